#pragma once

// What a scrape reads of one plant: the decoded status and the line's
// counters, copied whole from the Qt thread after each read.

#include "status/StatusSnapshot.h"

#include <chrono>
#include <cstdint>
#include <map>
#include <optional>
#include <string>

namespace zelt {

struct PlantSample {
    using TimePoint = std::chrono::steady_clock::time_point;

    StatusSnapshot snapshot;
    // When the last 'R', 'K' and 'U' record was decoded: the values of a
    // kind of record are current only while its records keep coming.
    std::optional<TimePoint> rectifierAt;
    std::optional<TimePoint> alarmsAt;
    std::optional<TimePoint> unitsAt;
    // Every alarm lamp of the 'K' and 'U' records that applies (is not
    // grey), true while red.
    std::map<std::string, bool, std::less<>> lamps;
    std::int32_t verdict = 0;   // battery verdict: 1 good, 2 degraded, 3 low; 0 none
    std::optional<std::int64_t> nextTestSeconds; // next battery test, Unix time
    // The last status record decoded, on the steady clock and as Unix time.
    std::optional<TimePoint> lastRecord;
    double lastRecordSeconds = 0;
    std::uint64_t framesReceived = 0;
    std::uint64_t badChecksums = 0;
    std::uint64_t reopens = 0;
};

// The verdict code the 'R' record sends, while it says its verdict is valid
// and the plant has battery strings; 0 otherwise.
std::int32_t BatteryVerdict(const StatusSnapshot& s);

// Local midnight of the next battery test date, by the battery alert's date
// rule; none without battery strings or when the last test date is no date.
std::optional<std::int64_t> NextTestSeconds(const StatusSnapshot& s);

} // namespace zelt
