#pragma once

// Encoders of the records the controller sends: the status records 'R', 'K'
// and 'U', the history record 'H' and the battery test reply 'L'. Each
// returns the payload, the text behind the record letter.

#include "sim/PlantState.h"

#include <string>

namespace zelt::sim {

// The fourteen hexadecimal digits of the alarm status record, as numbers.
std::array<int, 14> AlarmDigits(const PlantState& state);

// 'R': measurements, every setting, firmware, clock (now), network, the two
// communities and the battery test tail. 285 characters plus the communities.
std::string EncodeRectifierStatus(const PlantState& state, const QDateTime& now);

// 'K': fourteen hexadecimal digits of alarm and presence bits.
std::string EncodeAlarmStatus(const PlantState& state);

// 'U': voltages, currents, temperatures, alarm bits and AC voltages of the
// four units, 60 characters.
std::string EncodeUnitStatus(const PlantState& state);

// 'H': history record number (1-based), 52 characters; last sets bit 3 of
// the status digit.
std::string EncodeHistoryRecord(const HistoryEntry& entry, int number, bool last);

// 'L': the 18 characters of the battery test bookkeeping.
std::string EncodeBattTestBody(const BattTestBook& book);

} // namespace zelt::sim
