// The simulator's battery discharge test.

#include "sim/DischargeModel.h"
#include "sim/PlantModel.h"

#include <gtest/gtest.h>

namespace zelt::sim {
namespace {

TEST(DischargeModel, CurveDipsHoldsAndKneesToTheAbortVoltage)
{
    const std::pair<double, int> points[] = {{0, 498}, {0.01, 488}, {0.03, 496}, {0.415, 486}, {0.8, 476},
                                             {0.9, 467}, {1, 440}};
    for (const auto& [x, volt] : points)
        EXPECT_EQ(DischargeBusVolt(x, 440), volt) << x;
}

// Record sets a second apart from the start of a discharge of the default
// plant (two strings of 86 Ah); Ah summed from the currents sent.
TEST(DischargeModel, DeliversTheShareOfRatedInTime)
{
    const struct {
        int minutes, percent;
        bool partial;
        int amps;        // 172 Ah * percent / 100 over the minutes
        int endVolt;     // the last discharging record's bus voltage
    } cases[] = {{20, 95, false, 490, 440}, {60, 50, false, 86, 440}, {20, 95, true, 490, 484}};
    const QDateTime start(QDate(2026, 1, 1), QTime(12, 0));
    for (const auto& c : cases) {
        PlantState plant = MakePlant(Scenario{}, start);
        plant.capacityPercent = c.percent;
        StartDischarge(plant, start, c.minutes, c.partial);
        double ampSeconds = 0;
        int lastVolt = 0, seconds = 0;
        for (; seconds < 2 * 3600; ++seconds) {
            AdvancePlant(plant, start.addSecs(seconds));
            if (plant.readings.battCurrent >= 0)
                break;
            EXPECT_EQ(plant.readings.battCurrent, -c.amps);
            EXPECT_EQ(plant.battTest.manualTest, 1);
            ampSeconds -= plant.readings.battCurrent;
            lastVolt = plant.readings.dcVolt;
        }
        EXPECT_EQ(seconds, c.minutes * 60 / (c.partial ? 2 : 1)) << c.minutes;
        EXPECT_NEAR(lastVolt, c.endVolt, 1) << c.minutes;
        EXPECT_EQ(plant.readings.blocks[3], plant.readings.dcVolt / 2);
        EXPECT_EQ(plant.battTest.manualTest, 0);
        EXPECT_GT(plant.readings.battCurrent, 0) << "recharging after it";
        EXPECT_NEAR(ampSeconds / 3600, c.amps * c.minutes / 60.0 / (c.partial ? 2 : 1), 1e-9);
    }
}

} // namespace
} // namespace zelt::sim
