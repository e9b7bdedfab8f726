#include "status/StatusSnapshot.h"

namespace zelt {

std::int32_t SignedBattCurrent(const StatusSnapshot& s)
{
    return s.BattCurrentSign == "-" ? -s.BattCurrent : s.BattCurrent;
}

bool AcFailAlarm(const StatusSnapshot& s)
{
    for (const char* lamp : {"AF_U", "AF_L", "HW_A1"}) {
        const auto it = s.Alarms.find(lamp);
        if (it != s.Alarms.end() && it->second)
            return true;
    }
    return false;
}

} // namespace zelt
