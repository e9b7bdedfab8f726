#include "sim/PlantModel.h"

#include "sim/DischargeModel.h"
#include "sim/History.h"

#include <algorithm>
#include <cstdlib>

namespace zelt::sim {

namespace {

// A small deterministic generator: the same plant drifts the same way, which
// keeps runs comparable.
int Jitter(std::uint32_t& seed, int span)
{
    seed = seed * 1103515245u + 12345u;
    return static_cast<int>((seed >> 16) % static_cast<std::uint32_t>(2 * span + 1)) - span;
}

bool SameAlarms(const ActiveAlarms& a, const ActiveAlarms& b)
{
    return a.acFailUnit == b.acFailUnit && a.breakerOpen == b.breakerOpen && a.battDischarge == b.battDischarge;
}

void FinishInitialCharge(PlantState& state, const QDateTime& now)
{
    InitialCharge& charge = state.initialCharge;
    if (charge.active && now >= charge.end) {
        charge.active = false;
        charge.state = 2;
    }
}

} // namespace

ActiveAlarms AlarmsForTick(std::uint32_t tick)
{
    ActiveAlarms alarms;
    switch ((tick / 5) % 4) {
    case 1:
        alarms.acFailUnit = 2;
        break;
    case 2:
        alarms.breakerOpen = true;
        break;
    case 3:
        alarms.battDischarge = true;
        break;
    default:
        break;
    }
    return alarms;
}

void UpdateReadings(PlantState& state)
{
    const Settings& set = state.settings;
    const Calibration& cal = state.calibration;
    Readings& r = state.readings;
    std::uint32_t& seed = state.seed;

    const bool discharging = state.alarms.battDischarge;
    const bool boosting = state.initialCharge.active || set.chargeMode == 2;
    const int bus = discharging ? 502 : boosting ? set.equalizeVolt : set.floatVolt;

    r.dcVolt = bus + Jitter(seed, 1) + cal.dcVolt;
    r.loadCurrent = std::max(0, 42 + Jitter(seed, 1) + cal.loadCurrent);
    if (discharging)
        r.battCurrent = -std::max(0, 15 + Jitter(seed, 1) + cal.dischargeCurrent);
    else if (boosting)
        r.battCurrent = std::max(0, 15 + Jitter(seed, 1) + cal.chargeCurrent);
    else
        r.battCurrent = std::max(0, 1 + Jitter(seed, 1) + cal.chargeCurrent);
    r.batt1Temp = 251 + Jitter(seed, 2);
    r.secondTemp = 0;
    r.rackTemp = 268 + Jitter(seed, 2);
    const int halfBus = r.dcVolt / 2;
    r.blocks = {halfBus + Jitter(seed, 1) + cal.bank1, halfBus + Jitter(seed, 1) + cal.bank1,
                halfBus + Jitter(seed, 1) + cal.bank2, halfBus + Jitter(seed, 1) + cal.bank2};

    // The units share the load and the battery charge; a unit out of the shelf
    // or without AC delivers nothing.
    int working = 0;
    for (int n = 0; n < UnitCount; ++n)
        working += (state.shelf.modulesIn >> n & 1) && state.alarms.acFailUnit != n + 1 ? 1 : 0;
    const int output = r.loadCurrent + r.battCurrent;
    for (int n = 0; n < UnitCount; ++n) {
        UnitReading& unit = r.units[static_cast<std::size_t>(n)];
        const bool inShelf = state.shelf.modulesIn >> n & 1;
        if (state.alarms.acFailUnit == n + 1 || !inShelf) {
            unit = UnitReading{0, 0, 260 + Jitter(seed, 3), inShelf ? 0x04 : 0, 0};
            continue;
        }
        unit.dcVolt = r.dcVolt + Jitter(seed, 1);
        unit.current = std::max(0, output * 10 / std::max(working, 1) + Jitter(seed, 3));
        unit.temp = 320 + unit.current / 10 + Jitter(seed, 5);
        unit.alarmBits = 0;
        unit.acVolt = 224 + Jitter(seed, 2);
    }
}

void AdvancePlant(PlantState& state, const QDateTime& now)
{
    ++state.tick;
    FinishInitialCharge(state, now);
    const ActiveAlarms before = state.alarms;
    if (state.cycleAlarms)
        state.alarms = AlarmsForTick(state.tick);
    if (!ApplyDischarge(state, now))
        UpdateReadings(state);
    if (!SameAlarms(before, state.alarms))
        RecordEvent(state, now);
}

} // namespace zelt::sim
