#include "sim/PlantState.h"

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

    // Two strings of M12V90FT (172 Ah rated) that tested good.
    BattTestBook& book = state.battTest;
    book.typeCode = 1;
    book.strings = 2;
    book.previousCapacity = 170;
    book.latestCapacity = 165;
    book.verdict = 1;
    book.percentRated = 95;
    const QDate today = pcNow.date();
    if (scenario.batteryDue) {
        // Tested a year ago less a month with the 12-month interval: the next
        // test falls due in about 30 days.
        book.lastTestDate = today.addDays(30).addYears(-1).toString(QStringLiteral("yyyyMMdd")).toStdString();
        book.intervalCode = 1;
    } else {
        book.lastTestDate = today.addDays(-60).toString(QStringLiteral("yyyyMMdd")).toStdString();
        book.intervalCode = 2;
    }

    state.history = MakeHistory(scenario.historyCount, pcNow);
    UpdateReadings(state);
    return state;
}

} // namespace zelt::sim
