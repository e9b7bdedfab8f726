// The alarm settings dialog with its real widgets.

#include "DialogFixture.h"
#include "config/RadioGroup.h"
#include "config/TfrmAlarm.h"

namespace zelt::test {
namespace {

using AlarmDialog = DialogTest;

int Choice(const QObject& dialog, const char* group)
{
    return Find<TRadioGroup>(dialog, group).ItemIndex();
}
bool Enabled(const QObject& dialog, const char* group)
{
    return Find<TRadioGroup>(dialog, group).isEnabled();
}

TEST_F(AlarmDialog, OpensOnTheReportedThresholdsAndFlags)
{
    RRecord r; // high 57.0, low 47.0, batt low 46.0 V; batt 1 50 C / -40 C, batt 2 45 C / 20 C
    r.ovShutdown = "595";
    r.batt1Low = "60"; // the first low-temperature entry
    R(r);
    // LVD1 and LVD2 fitted, sensor fitted, modules 1 and 3 in, AC#1 out and AC#2 in.
    K("00000000" "5" "1" "5" "8" "00");
    TfrmAlarm dialog(scheduler, Snap());
    EXPECT_EQ(Shown(dialog, "cbbOV"), "57.0  ");
    EXPECT_EQ(Shown(dialog, "cbbOV_SD"), "59.5  ");
    EXPECT_EQ(Shown(dialog, "cbbBLV"), "46.0  ");
    EXPECT_EQ(Shown(dialog, "cbbBHT2"), "45  ");
    EXPECT_EQ(Shown(dialog, "cbbBLT"), "-40");
    EXPECT_EQ(Shown(dialog, "cbbBLT2"), "20");
    const std::pair<const char*, int> choices[] = {{"rgBR1", 0}, {"rgBF1", 1}, {"rgBR2", 0}, {"rgBF2", 1},
                                                   {"rgBPB", 0}, {"rgAC1", 1}, {"rgAC2", 0}, {"rgRM1", 0},
                                                   {"rgRM2", 1}, {"rgRM3", 0}, {"rgRM4", 1}};
    for (const auto& [group, item] : choices)
        EXPECT_EQ(Choice(dialog, group), item) << group;
    // The alarm groups stand one under another in their order, left aligned.
    dialog.show();
    const QPoint first = Find<TRadioGroup>(dialog, "rgBR1").mapTo(&dialog, QPoint());
    int above = first.y() - 1;
    for (const char* group : {"rgBR1", "rgBF1", "rgBR2", "rgBF2", "rgBPB"}) {
        const QPoint at = Find<TRadioGroup>(dialog, group).mapTo(&dialog, QPoint());
        EXPECT_GT(at.y(), above) << group;
        EXPECT_EQ(at.x(), first.x()) << group;
        above = at.y();
    }
    // The module groups come after the AC groups: RM#1 and RM#2 end on their
    // own flag although the shelf rule disabled them.
    EXPECT_FALSE(Enabled(dialog, "rgRM1"));
    EXPECT_FALSE(Enabled(dialog, "rgRM2"));
    EXPECT_TRUE(Enabled(dialog, "rgRM3"));

    Find<TRadioGroup>(dialog, "rgAC1").Item(0)->click();
    EXPECT_TRUE(Enabled(dialog, "rgRM1"));
    EXPECT_EQ(Choice(dialog, "rgRM1"), 0);

    Find<QCheckBox>(dialog, "cbBLT").setChecked(true);
    Click(dialog, "btnSetting");
    EXPECT_EQ(scheduler.ControlPayload, "570" "470" "460" "595" "050" "060" "0" "5" "D" "5" "2" "045" "020");
    EXPECT_EQ(scheduler.RequestKind, KindAlarm);
    EXPECT_FALSE(Find<QCheckBox>(dialog, "cbBLT").isChecked());
}

TEST_F(AlarmDialog, DefaultSelectAllSettingThenExit)
{
    TfrmAlarm dialog(scheduler, Snap());
    Click(dialog, "BitBtn3");
    Click(dialog, "btnSeletAll");
    Click(dialog, "btnSetting");
    EXPECT_EQ(scheduler.ControlPayload, "580" "480" "440" "600" "050" "000" "F" "0" "0" "0" "F" "050" "000");
    for (const char* module : {"rgRM1", "rgRM2", "rgRM3", "rgRM4"}) {
        EXPECT_EQ(Choice(dialog, module), 1) << module;
        EXPECT_FALSE(Enabled(dialog, module)) << module;
    }
    Click(dialog, "btnExit");
    EXPECT_EQ(scheduler.RequestKind, KindIdle);
    EXPECT_EQ(scheduler.SendPermit, 1);
    EXPECT_TRUE(errors.isEmpty()) << errors.join('|').toStdString();
}

} // namespace
} // namespace zelt::test
