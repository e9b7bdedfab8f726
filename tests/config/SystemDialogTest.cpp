// The system settings dialog with its real widgets.

#include "DialogFixture.h"
#include "config/RadioGroup.h"
#include "config/TfrmSetting.h"

#include <QLabel>

#include <tuple>

namespace zelt::test {
namespace {

using SystemDialog = DialogTest;

TEST_F(SystemDialog, OpensOnTheReportedValuesAndSendsThemBack)
{
    RRecord r; // float 53.5 V, limit 12 A, LVD 43.0 V after 5 s, 20 %, float mode, discharge 30 min at 47.0 / 45.0 V
    r.acDrop = "425";
    R(r);
    TfrmSetting dialog(scheduler, Snap());
    EXPECT_EQ(Shown(dialog, "cbFLV"), "53.5  ");
    EXPECT_EQ(Shown(dialog, "cbCHLimit"), "12");
    EXPECT_EQ(Find<TRadioGroup>(dialog, "rgCH_Limit").ItemIndex(), -1);
    EXPECT_EQ(Shown(dialog, "cbBoxCH_Mode"), "Float");
    EXPECT_EQ(Shown(dialog, "cbBoxBoost_Entry"), "20%");
    EXPECT_EQ(Shown(dialog, "cbLVD_Time"), "5");
    EXPECT_EQ(Shown(dialog, "cbAFDrop_V"), "42.5  ");
    EXPECT_EQ(Shown(dialog, "cbDCH_T"), "30");
    EXPECT_EQ(Find<QComboBox>(dialog, "cbCHLimit").count(), 8);
    for (const auto& [name, count, first, last] : {std::tuple{"cbLVD_Time", 60, "1", "60"},
                                                   std::tuple{"cbAFDr_T", 12, "10", "120"},
                                                   std::tuple{"cbDCH_T", 12, "10", "120"}}) {
        const QComboBox& list = Find<QComboBox>(dialog, name);
        EXPECT_EQ(list.count(), count) << name;
        EXPECT_EQ(list.itemText(0), QLatin1String(first)) << name;
        EXPECT_EQ(list.itemText(list.count() - 1), QLatin1String(last)) << name;
    }
    EXPECT_EQ(Find<QLabel>(dialog, "BL_Label").text(), "(4~32)");
    EXPECT_EQ(Find<QLabel>(dialog, "LabTemp").text(), "Temp Mode ON");

    Find<QCheckBox>(dialog, "cbFL").setChecked(true);
    dialog.btnSettingClick();
    EXPECT_EQ(scheduler.SettingPayload, "535" "565" "012" "0" "0" "2" "000" "000" "000" "000" "430" "005"
                                        "000" "000" "1" "000" "030" "470" "450" "10000");
    EXPECT_EQ(scheduler.RequestKind, KindSystem);
    EXPECT_FALSE(Find<QCheckBox>(dialog, "cbFL").isChecked());
    EXPECT_TRUE(errors.isEmpty()) << errors.join('|').toStdString();
}

TEST_F(SystemDialog, BigBatteryAndLimitOff)
{
    RRecord r;
    r.battType = "50";
    r.chargeLimit = "000";
    R(r);
    TfrmSetting dialog(scheduler, Snap());
    EXPECT_EQ(Find<QComboBox>(dialog, "cbCHLimit").count(), 14);
    EXPECT_EQ(Find<QComboBox>(dialog, "cbCHLimit").itemText(13), "56");
    EXPECT_EQ(Find<QLabel>(dialog, "BL_Label").text(), "(4~56)");
    EXPECT_EQ(Find<TRadioGroup>(dialog, "rgCH_Limit").ItemIndex(), 0);
    EXPECT_EQ(Shown(dialog, "cbCHLimit"), "OFF");
    dialog.btnSettingClick();
    EXPECT_EQ(scheduler.SettingPayload.substr(6, 3), "000");

    // "ON" without picking a limit leaves "OFF" in the list: the standard conversion error.
    scheduler = RequestScheduler{};
    Find<TRadioGroup>(dialog, "rgCH_Limit").Item(1)->click();
    Find<QCheckBox>(dialog, "cbCH_Limit").setChecked(true);
    Click(dialog, "btnSetting");
    EXPECT_EQ(errors, QStringList{"'OFF' is not a valid integer value"});
    EXPECT_EQ(scheduler.RequestKind, KindIdle);
    EXPECT_TRUE(scheduler.SettingPayload.empty());
    EXPECT_TRUE(Find<QCheckBox>(dialog, "cbCH_Limit").isChecked());
}

TEST_F(SystemDialog, DefaultBeforeAnyStatusThenSelectAll)
{
    TfrmSetting dialog(scheduler, Snap());
    Click(dialog, "BitBtn3");
    Click(dialog, "btnSeletAll");
    Click(dialog, "btnSetting");
    EXPECT_EQ(scheduler.SettingPayload, "540" "565" "032" "0" "0" "1" "000" "000" "000" "000" "420" "005"
                                        "000" "000" "1" "000" "060" "440" "440" "FEEF7");
    EXPECT_TRUE(errors.isEmpty()) << errors.join('|').toStdString();
}

TEST_F(SystemDialog, ExitAndCloseLeaveTheSchedulerAsTheySay)
{
    TfrmSetting dialog(scheduler, Snap());
    Click(dialog, "BitBtn3");
    Click(dialog, "btnSetting");
    Click(dialog, "btnExit"); // before the next tick: the command is dropped
    EXPECT_EQ(scheduler.RequestKind, KindIdle);
    EXPECT_EQ(scheduler.SendPermit, 1);

    struct Case {
        std::uint8_t kindBefore, kindAfter, permitAfter;
    };
    for (const Case c : {Case{KindQuiet, KindIdle, 1}, Case{KindSystem, KindSystem, 0}}) {
        TfrmSetting other(scheduler, Snap());
        scheduler.RequestKind = c.kindBefore;
        scheduler.SendPermit = 0;
        other.reject(); // the title bar's close
        EXPECT_EQ(scheduler.RequestKind, c.kindAfter);
        EXPECT_EQ(scheduler.SendPermit, c.permitAfter);
    }
}

} // namespace
} // namespace zelt::test
