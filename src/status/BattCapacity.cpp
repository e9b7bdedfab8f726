#include "status/BattCapacity.h"

namespace zelt {

std::int64_t CapacityPercent(std::int64_t part, std::int64_t whole)
{
    return whole == 0 ? 0 : part * 100 / whole;
}

std::int32_t RatedCapacity(std::int32_t strings, bool firstType)
{
    return strings * (firstType ? 86 : 155);
}

std::int32_t CapacityVerdict(std::int64_t n)
{
    if (n >= 90)
        return 1;
    if (n >= 80)
        return 2;
    return 3;
}

} // namespace zelt
