#pragma once

// The alarm history record 'H': its layout and the texts it shows in the
// history grid. Plain functions over the received body; no widgets here.

#include <array>
#include <cstdint>
#include <string>

namespace zelt {

// The history grid: a title row and a fixed column, 200 records of 36 columns.
inline constexpr int HistoryColumns = 36;
inline constexpr int HistoryPageRows = 200;

struct HistoryColumn {
    const char* title;
    int width; // pixels
};
extern const std::array<HistoryColumn, HistoryColumns> HistoryColumnTable;

// The status digit and the record number at the front of a record.
struct HistoryHead {
    std::int32_t status = 0;
    std::int32_t number = 0;
    // Bit 3 of the status digit marks the controller's last record.
    bool Last() const { return (status & 8) != 0; }
};

// Reads the status digit and the record number (decimal); throws
// EConvertError when either does not convert.
HistoryHead ReadHistoryHead(const std::string& rxBody);

// Columns 0 to 10: the record number without leading zeros, date, time and
// the measurements, shown as received with their units.
std::array<std::string, 11> HistoryMeasurementTexts(const std::string& rxBody, std::int32_t number);

// Columns 11 to 35 ("F" fault, "N" normal) from the eight alarm digits.
// Every digit is converted before any text is made: a malformed digit throws
// EConvertError and yields no alarm column at all.
std::array<std::string, HistoryColumns - 11> HistoryAlarmTexts(const std::string& rxBody);

} // namespace zelt
