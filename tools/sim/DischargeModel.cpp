#include "sim/DischargeModel.h"

#include "status/BattCapacity.h"

#include <algorithm>
#include <cmath>

namespace zelt::sim {

namespace {

constexpr int PlateauStartVolt = 496;
constexpr int KneeVolt = 476;
constexpr double KneeAt = 0.8;

qint64 LengthMs(const DischargeRun& run)
{
    return std::int64_t{run.minutes} * 60 * 1000;
}

} // namespace

void StartDischarge(PlantState& state, const QDateTime& start, int minutes, bool partial)
{
    const BattTestBook& book = state.battTest;
    const double ampHours = RatedCapacity(book.strings, book.typeCode != 2) * state.capacityPercent / 100.0;
    state.discharge = DischargeRun{start, minutes, static_cast<int>(std::lround(ampHours * 60 / minutes)), partial};
}

bool DischargeRunning(const PlantState& state, const QDateTime& now)
{
    const DischargeRun& run = state.discharge;
    if (!run.start.isValid() || run.amps == 0)
        return false;
    const qint64 elapsed = run.start.msecsTo(now);
    const qint64 discharging = run.partial ? LengthMs(run) / 2 : LengthMs(run);
    return elapsed >= 0 && elapsed < discharging + LengthMs(run);
}

int DischargeBusVolt(double x, int abortVolt)
{
    // Points of the curve: the dip to its bottom and back onto the plateau.
    const double points[][2] = {{0, 498}, {0.01, 488}, {0.03, PlateauStartVolt}, {KneeAt, KneeVolt}};
    if (x >= KneeAt) {
        const double k = (std::min(x, 1.0) - KneeAt) / (1 - KneeAt);
        return static_cast<int>(std::lround(KneeVolt - (KneeVolt - abortVolt) * k * k));
    }
    for (int i = 1;; ++i) {
        if (x < points[i][0]) {
            const double k = (x - points[i - 1][0]) / (points[i][0] - points[i - 1][0]);
            return static_cast<int>(std::lround(points[i - 1][1] + (points[i][1] - points[i - 1][1]) * k));
        }
    }
}

bool ApplyDischarge(PlantState& state, const QDateTime& now)
{
    if (!DischargeRunning(state, now))
        return false;
    const DischargeRun& run = state.discharge;
    const double x = static_cast<double>(run.start.msecsTo(now)) / static_cast<double>(LengthMs(run));
    const bool discharging = x < (run.partial ? 0.5 : 1.0);
    Readings& r = state.readings;
    const Settings& set = state.settings;
    state.battTest.manualTest = discharging ? 1 : 0;
    r.dcVolt = discharging ? DischargeBusVolt(x, set.dischargeAbortVolt) : set.equalizeVolt;
    r.battCurrent = discharging ? -run.amps : std::max(set.chargeLimit, 10);
    r.loadCurrent = 42;
    r.batt1Temp = 251;
    r.rackTemp = 268;
    r.blocks.fill(r.dcVolt / 2);
    for (UnitReading& unit : r.units)
        unit = UnitReading{r.dcVolt, discharging ? 0 : (r.loadCurrent + r.battCurrent) * 10 / UnitCount, 320, 0, 224};
    return true;
}

} // namespace zelt::sim
