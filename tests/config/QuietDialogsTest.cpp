// The measure value and history clear dialogs, which keep the scheduler
// quiet while they are open.

#include "DialogFixture.h"
#include "config/RadioGroup.h"
#include "config/TfrmADSetting.h"
#include "config/TfrmInitial.h"

#include <QApplication>
#include <QFocusEvent>
#include <QLineEdit>

namespace zelt::test {
namespace {

class QuietDialog : public DialogTest {
protected:
    // What the toolbar does before it opens either dialog.
    void SetUp() override
    {
        DialogTest::SetUp();
        scheduler.Pause();
    }
};

TEST_F(QuietDialog, MeasureValuesAreSentOneAboveTheDesignValues)
{
    TfrmADSetting dialog(scheduler);
    for (QCheckBox* box : dialog.findChildren<QCheckBox*>())
        box->setChecked(true);
    Click(dialog, "btnSet");
    EXPECT_EQ(scheduler.ControlPayload, "0001" "0001" "0001" "0001" "2701" "2701" "F" "3");
    EXPECT_EQ(scheduler.RequestKind, KindMeasure);
    EXPECT_FALSE(Find<QCheckBox>(dialog, "cbCell2_Set_En").isChecked());
    dialog.reject(); // a command posted: the close leaves the scheduler alone
    EXPECT_EQ(scheduler.RequestKind, KindMeasure);
}

TEST_F(QuietDialog, MeasureWithAnEmptyDigitStaysQuietUntilClosed)
{
    TfrmADSetting dialog(scheduler);
    Find<QLineEdit>(dialog, "mskCELL1").setText(QStringLiteral("2"));
    Find<QCheckBox>(dialog, "cbCell1_Set_En").setChecked(true);
    Click(dialog, "btnSet");
    EXPECT_EQ(errors, QStringList{"'2___' is not a valid integer value"});
    EXPECT_EQ(scheduler.RequestKind, KindQuiet);
    EXPECT_TRUE(scheduler.ControlPayload.empty());
    Click(dialog, "BitBtnCancel");
    EXPECT_EQ(scheduler.RequestKind, KindIdle);
    EXPECT_EQ(scheduler.SendPermit, 1);
}

TEST_F(QuietDialog, LeavingAChangedEditWithAnEmptyDigitIsNotAllowed)
{
    TfrmADSetting dialog(scheduler);
    auto& edit = Find<QLineEdit>(dialog, "mskDCA");
    edit.setText(QStringLiteral("12"));
    edit.setModified(true);
    QFocusEvent leave(QEvent::FocusOut);
    QApplication::sendEvent(&edit, &leave);
    EXPECT_EQ(errors, QStringList{"Invalid input value.  Use escape key to abandon changes"});

    errors.clear();
    Find<QLineEdit>(dialog, "mskBAP").setText(QStringLiteral("12")); // changed by the program, not typed
    QApplication::sendEvent(&Find<QLineEdit>(dialog, "mskBAP"), &leave);
    EXPECT_TRUE(errors.isEmpty());
}

TEST_F(QuietDialog, HistoryClearOnlyAfterConfirmation)
{
    TfrmInitial dialog(scheduler);
    auto& ok = Find<QPushButton>(dialog, "BitBtnOK");
    EXPECT_FALSE(ok.isEnabled());
    Find<TRadioGroup>(dialog, "rgInitial").Item(0)->click();
    ASSERT_TRUE(ok.isEnabled());
    scheduler.SendPermit = 0;
    ok.click();
    EXPECT_EQ(scheduler.RequestKind, KindHistoryClear);
    EXPECT_EQ(scheduler.ControlPayload, "1");
    EXPECT_EQ(scheduler.SendPermit, 1);
}

TEST_F(QuietDialog, HistoryClearCancelAndTitleBarCloseSendNothing)
{
    for (const bool cancel : {true, false}) {
        scheduler.Pause();
        scheduler.SendPermit = 0;
        TfrmInitial dialog(scheduler);
        if (cancel)
            Click(dialog, "BitBtnICancel");
        else
            dialog.reject();
        EXPECT_EQ(scheduler.RequestKind, KindIdle) << cancel;
        EXPECT_EQ(scheduler.SendPermit, 1) << cancel;
        EXPECT_TRUE(scheduler.ControlPayload.empty());
    }
}

} // namespace
} // namespace zelt::test
