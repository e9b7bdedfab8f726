#pragma once

// The capacity figures of a battery discharge test, in whole numbers.

#include <cstdint>

namespace zelt {

// part * 100 / whole with the fraction dropped; 0 when whole is 0.
std::int64_t CapacityPercent(std::int64_t part, std::int64_t whole);

// Rated capacity of all strings: 86 Ah a string for the first battery type
// (M12V90FT), 155 Ah for the other.
std::int32_t RatedCapacity(std::int32_t strings, bool firstType);

// The verdict on the figure n: 1 good from 90, 2 degraded from 80, else 3 low.
std::int32_t CapacityVerdict(std::int64_t n);

} // namespace zelt
