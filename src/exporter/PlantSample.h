#pragma once

// What a scrape reads of one plant: the decoded status and the line's
// counters, copied whole from the Qt thread after each read.

#include "status/StatusSnapshot.h"

#include <chrono>
#include <cstdint>
#include <optional>

namespace zelt {

struct PlantSample {
    StatusSnapshot snapshot;
    bool rectifierSeen = false; // an 'R' record has been decoded
    bool alarmsSeen = false;    // a 'K' record
    bool unitsSeen = false;     // a 'U' record
    std::int32_t verdict = 0;   // battery verdict: 1 good, 2 degraded, 3 low; 0 none
    std::optional<std::int64_t> nextTestSeconds; // next battery test, Unix time
    // The last status record decoded, on the steady clock and as Unix time.
    std::optional<std::chrono::steady_clock::time_point> lastRecord;
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
