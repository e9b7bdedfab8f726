#include "sim/PlantState.h"

#include "sim/DischargeModel.h"
#include "sim/History.h"
#include "sim/PlantModel.h"

namespace zelt::sim {

QDateTime ControllerNow(const PlantState& state, const QDateTime& pcNow)
{
    return pcNow.addSecs(state.clockOffsetSeconds);
}

PlantState MakePlant(const Scenario& scenario, const QDateTime& pcNow)
{
    PlantState state;
    state.cycleAlarms = scenario.alarms;

    // Two strings of M12V90FT (172 Ah rated), 170 Ah at the test before the
    // last one; the last one found what the scenario's verdict says.
    BattTestBook& book = state.battTest;
    book.typeCode = 1;
    book.strings = 2;
    book.previousCapacity = 170;
    switch (scenario.battery) {
    case BatteryBook::Good:
        book.latestCapacity = 165; // 95 % of rated, 97 % of the previous
        book.verdict = 1;
        book.percentRated = 95;
        break;
    case BatteryBook::Degraded:
        book.latestCapacity = 150; // 87 % and 88 %
        book.verdict = 2;
        book.percentRated = 87;
        break;
    case BatteryBook::Low:
        book.latestCapacity = 120; // 69 % and 70 %
        book.verdict = 3;
        book.percentRated = 69;
        break;
    case BatteryBook::None:
    case BatteryBook::NoStrings:
        // Never tested; without strings the controller keeps nothing at all.
        book = BattTestBook{};
        book.strings = scenario.battery == BatteryBook::None ? 2 : 0;
        if (scenario.battery == BatteryBook::NoStrings)
            book.intervalCode = book.typeCode = 0;
        break;
    }
    const QDate today = pcNow.date();
    if (book.verdict == 0) {
        // Never tested: no last test date.
    } else if (scenario.batteryDue) {
        // Tested a year ago less a month with the 12-month interval: the next
        // test falls due in about 30 days.
        book.lastTestDate = today.addDays(30).addYears(-1).toString(QStringLiteral("yyyyMMdd")).toStdString();
        book.intervalCode = 1;
    } else {
        book.lastTestDate = today.addDays(-60).toString(QStringLiteral("yyyyMMdd")).toStdString();
        // A weak battery is tested every 12 months.
        book.intervalCode = book.verdict == 1 ? 2 : 1;
    }

    state.history = MakeHistory(scenario.historyCount, pcNow);
    state.capacityPercent = scenario.capacityPercent;
    if (!scenario.mac.empty())
        state.network.mac = scenario.mac;
    if (scenario.dischargeMinutes > 0)
        StartDischarge(state, pcNow.addSecs(60), scenario.dischargeMinutes, scenario.dischargePartial);
    UpdateReadings(state);
    return state;
}

} // namespace zelt::sim
