// The plant between record sets: the alarm cycle, the history and the scenarios
// that shape the battery test bookkeeping.

#include "status/BattCapacity.h"
#include "sim/History.h"
#include "sim/PlantModel.h"
#include "sim/Records.h"

#include <gtest/gtest.h>

namespace zelt::sim {
namespace {

const QDateTime Now(QDate(2026, 3, 7), QTime(9, 8, 5));

TEST(PlantModel, AlarmCycleComesAndGoesIntoTheHistory)
{
    struct Phase {
        std::uint32_t tick;
        int acFailUnit;
        bool breaker, discharge;
    };
    for (const Phase& p : std::vector<Phase>{{0, 0, false, false}, {4, 0, false, false}, {5, 2, false, false},
                                             {10, 0, true, false}, {15, 0, false, true}, {20, 0, false, false}}) {
        const ActiveAlarms a = AlarmsForTick(p.tick);
        EXPECT_EQ(a.acFailUnit, p.acFailUnit) << p.tick;
        EXPECT_EQ(a.breakerOpen, p.breaker) << p.tick;
        EXPECT_EQ(a.battDischarge, p.discharge) << p.tick;
    }

    Scenario scenario;
    scenario.alarms = true;
    PlantState s = MakePlant(scenario, Now);
    for (int i = 1; i <= 5; ++i)
        AdvancePlant(s, Now.addSecs(i));
    // Tick 5: unit 2 has lost its AC, and the event is stored with its bits.
    EXPECT_EQ(s.readings.units[1].alarmBits, 0x04);
    EXPECT_EQ(s.readings.units[1].acVolt, 0);
    ASSERT_EQ(s.history.size(), 26u);
    EXPECT_EQ(s.history.back().alarmDigits[2], 0x2);
    EXPECT_EQ(s.history.back().when, Now.addSecs(5));
    for (int i = 6; i <= 15; ++i)
        AdvancePlant(s, Now.addSecs(i));
    EXPECT_LT(s.readings.battCurrent, 0);
    EXPECT_EQ(EncodeAlarmStatus(s).substr(6, 1), "2");
    EXPECT_EQ(s.history.size(), 28u);
}

TEST(PlantModel, HistoryIsBoundedAndDated)
{
    const std::vector<HistoryEntry> h = MakeHistory(500, Now);
    ASSERT_EQ(h.size(), HistoryCapacity);
    EXPECT_EQ(h.back().when, Now.addSecs(-2 * 3600));
    for (std::size_t i = 1; i < h.size(); ++i)
        EXPECT_LT(h[i - 1].when, h[i].when) << i;
    EXPECT_TRUE(MakeHistory(0, Now).empty());
}

// Every alarm bit the history grid shows (all of d1 to d8 but d4) is set in
// some record of the default history.
TEST(PlantModel, DefaultHistorySetsEveryShownAlarmBit)
{
    std::array<int, 8> seen{};
    for (const HistoryEntry& e : MakeHistory(Scenario{}.historyCount, Now))
        for (std::size_t d = 0; d < seen.size(); ++d)
            seen[d] |= e.alarmDigits[d];
    EXPECT_EQ(seen, (std::array<int, 8>{0xF, 0xF, 0xF, 0, 0xF, 0xF, 0xF, 0xF}));
}

// Days from today to the next test, as the console works it out from the
// last test date and the interval code of the status record.
int DaysToNextTest(const std::string& record, const QDate& today)
{
    const std::string tail = record.substr(218 + 6 + 7);
    const QDate last = QDate::fromString(QString::fromStdString(tail.substr(16, 8)), "yyyyMMdd");
    int year = last.year() + (tail[24] == '2' ? 2 : 1);
    QDate next(year, last.month(), last.day());
    if (!next.isValid())
        next = QDate(year, last.month(), 28);
    return static_cast<int>(today.daysTo(next));
}

TEST(PlantModel, BatteryDueScenarioRaisesTheAlert)
{
    for (const QDate& today : {QDate(2026, 3, 7), QDate(2028, 1, 30), QDate(2027, 12, 31)}) {
        SCOPED_TRACE(today.toString().toStdString());
        const QDateTime now(today, QTime(12, 0));
        Scenario due;
        due.batteryDue = true;
        const std::string r = EncodeRectifierStatus(MakePlant(due, now), now);
        const int days = DaysToNextTest(r, today);
        EXPECT_GT(days, 0);
        EXPECT_LT(days, 90);
        EXPECT_EQ(r[218 + 13 + 26], '1'); // verdict good

        const std::string calm = EncodeRectifierStatus(MakePlant(Scenario{}, now), now);
        EXPECT_GE(DaysToNextTest(calm, today), 90);
    }
}

TEST(PlantModel, BatteryScenariosGiveTheirVerdicts)
{
    const QDateTime now(QDate(2026, 3, 7), QTime(12, 0));
    const std::tuple<BatteryBook, int, int, bool> cases[] = {
        {BatteryBook::Good, 1, 2, true},  {BatteryBook::Degraded, 2, 2, true}, {BatteryBook::Low, 3, 2, true},
        {BatteryBook::None, 0, 2, false}, {BatteryBook::NoStrings, 0, 0, false}};
    for (const auto& [battery, verdict, strings, tested] : cases) {
        SCOPED_TRACE(verdict * 10 + strings);
        Scenario scenario;
        scenario.battery = battery;
        const BattTestBook book = MakePlant(scenario, now).battTest;
        EXPECT_EQ(book.verdict, verdict);
        EXPECT_EQ(book.strings, strings);
        EXPECT_EQ(book.lastTestDate != "00000000", tested);
        if (!tested)
            continue;
        // The stored verdict is the one the console works out from the capacities.
        const std::int64_t rated = CapacityPercent(book.latestCapacity, RatedCapacity(book.strings, true));
        const std::int64_t toPrevious = CapacityPercent(book.latestCapacity, book.previousCapacity);
        EXPECT_EQ(CapacityVerdict(std::min(rated, toPrevious)), verdict);
        EXPECT_EQ(book.percentRated, rated);
        EXPECT_EQ(book.intervalCode, verdict == 1 ? 2 : 1);
    }
}

} // namespace
} // namespace zelt::sim
