// The network settings dialog with its real widgets, pre-filled from the
// main window's network panels.

#include "DialogFixture.h"
#include "config/RadioGroup.h"
#include "config/TForm1.h"

#include <QLineEdit>

namespace zelt::test {
namespace {

using NetworkDialog = DialogTest;

std::string EditText(const QObject& dialog, const char* name)
{
    return Find<QLineEdit>(dialog, name).text().toStdString();
}

TEST_F(NetworkDialog, UnchangedItSendsBackWhatTheControllerReported)
{
    RRecord r;
    r.mac = "0011223344aa";
    R(r);
    TForm1 dialog(scheduler, monitor.Area());
    EXPECT_EQ(EditText(dialog, "edtIP4"), "100");
    EXPECT_EQ(EditText(dialog, "edtMAC6"), "aa");
    EXPECT_EQ(EditText(dialog, "edtSVIP442"), "11");
    EXPECT_EQ(EditText(dialog, "edtWriteComuni"), "private");
    EXPECT_EQ(Find<TRadioGroup>(dialog, "rgTCPIP1").ItemIndex(), 1);
    EXPECT_EQ(Find<TRadioGroup>(dialog, "rgTCPIP2").ItemIndex(), 0);

    Click(dialog, "btnSetting");
    // Manager switches as reported; the trap switches are never sent.
    EXPECT_EQ(scheduler.SettingPayload, "0011223344aa" "C0A80164" "C0A80101" "FFFFFF00" "0A000001" "1" "0A000002" "0"
                                        "0A00000A" "1" "0" "0A00000B" "0" "0" "0A00000C" "1" "0" "0A00000D" "0" "0"
                                        "000000" "6" "7" "public" "private");
    EXPECT_EQ(scheduler.RequestKind, KindNetwork);
    EXPECT_TRUE(errors.isEmpty()) << errors.join('|').toStdString();
}

TEST_F(NetworkDialog, SelectAllLeavesTheMacAndDefaultWritesTheFactorySettings)
{
    TForm1 dialog(scheduler, monitor.Area());
    Click(dialog, "BitBtn3");
    Click(dialog, "btnSeletAll");
    EXPECT_FALSE(Find<QCheckBox>(dialog, "cbMAC").isChecked());
    Click(dialog, "btnSetting");
    EXPECT_EQ(scheduler.SettingPayload, "020000006380" "C0A80164" "C0A80101" "FFFFFF00" "C0A80165" "1" "C0A80166" "0"
                                        "C0A80167" "1" "0" "C0A80168" "0" "0" "C0A80169" "0" "0" "C0A8016A" "0" "0"
                                        "EFBD6C" "6" "7" "vantor" "quillet");
    EXPECT_FALSE(Find<QCheckBox>(dialog, "cbIP").isChecked());
    Click(dialog, "btnExit");
    EXPECT_EQ(scheduler.RequestKind, KindIdle);
    EXPECT_EQ(scheduler.SendPermit, 1);
}

} // namespace
} // namespace zelt::test
