// Enter and Escape in every configuration dialog, sent to the control the
// operator typed into. Enter never presses a button, so it never discards or
// sends what was typed; Escape abandons a change to a measure value and
// otherwise closes the dialog.

#include "DialogFixture.h"
#include "config/TForm1.h"
#include "config/TfrmADSetting.h"
#include "config/TfrmAlarm.h"
#include "config/TfrmInitial.h"
#include "config/TfrmSetting.h"

#include <QApplication>
#include <QFocusEvent>
#include <QKeyEvent>
#include <QLineEdit>

#include <memory>

namespace zelt::test {
namespace {

enum class Dialog { System, Alarm, Network, Measure, HistoryClear };

struct KeyCase {
    const char* what;
    Dialog dialog;
    const char* control; // a list, edit or radio group
    const char* typed;   // typed into the control first; nullptr: nothing
    bool complained;     // left with an empty digit, the message shown, the focus back
    int key;
    bool open;          // the dialog is still open afterwards
    const char* shown;  // the control's text afterwards; nullptr: not looked at
};

void Send(QWidget& target, int key, const QString& text = {})
{
    const Qt::KeyboardModifiers modifiers = key == Qt::Key_Enter ? Qt::KeypadModifier : Qt::NoModifier;
    QKeyEvent press(QEvent::KeyPress, key, modifiers, text);
    QApplication::sendEvent(&target, &press);
    QKeyEvent release(QEvent::KeyRelease, key, modifiers, text);
    QApplication::sendEvent(&target, &release);
}

void SendFocus(QWidget& target, QEvent::Type type)
{
    QFocusEvent focus(type, Qt::OtherFocusReason);
    QApplication::sendEvent(&target, &focus);
}

class Keys : public DialogTest, public ::testing::WithParamInterface<KeyCase> {
protected:
    std::unique_ptr<QDialog> Open(Dialog dialog)
    {
        switch (dialog) {
        case Dialog::System:
            R(RRecord{});
            return std::make_unique<TfrmSetting>(scheduler, Snap());
        case Dialog::Alarm:
            R(RRecord{});
            return std::make_unique<TfrmAlarm>(scheduler, Snap());
        case Dialog::Network:
            R(RRecord{});
            return std::make_unique<TForm1>(scheduler, monitor.Area());
        case Dialog::Measure:
            scheduler.Pause();
            return std::make_unique<TfrmADSetting>(scheduler);
        case Dialog::HistoryClear:
            scheduler.Pause();
            return std::make_unique<TfrmInitial>(scheduler);
        }
        return nullptr;
    }
};

TEST_P(Keys, EnterKeepsAndEscapeAbandons)
{
    const KeyCase& c = GetParam();
    std::unique_ptr<QDialog> dialog = Open(c.dialog);
    dialog->show();
    QWidget* target = nullptr;
    QLineEdit* edit = nullptr;
    if (auto* group = dialog->findChild<TRadioGroup*>(QString::fromLatin1(c.control))) {
        group->Item(0)->click();
        target = group->Item(0);
    } else if (auto* list = dialog->findChild<QComboBox*>(QString::fromLatin1(c.control))) {
        edit = list->lineEdit();
    } else {
        edit = &Find<QLineEdit>(*dialog, c.control);
    }
    if (edit != nullptr) {
        target = edit;
        SendFocus(*edit, QEvent::FocusIn);
        if (!edit->inputMask().isEmpty())
            Send(*edit, Qt::Key_Home);
        else
            edit->selectAll();
        for (const char* t = c.typed; t != nullptr && *t != '\0'; ++t)
            Send(*edit, *t == '\b' ? Qt::Key_Delete : int(*t), *t == '\b' ? QString() : QString(QChar(*t)));
    }
    if (c.complained) {
        SendFocus(*edit, QEvent::FocusOut);
        ASSERT_EQ(errors, QStringList{"Invalid input value.  Use escape key to abandon changes"});
        errors.clear();
        SendFocus(*edit, QEvent::FocusIn); // the message box closes and hands the focus back
    }
    const RequestScheduler before = scheduler;

    Send(*target, c.key);

    EXPECT_EQ(dialog->isVisible(), c.open);
    if (c.shown != nullptr)
        EXPECT_EQ(edit->displayText().toStdString(), c.shown);
    EXPECT_TRUE(errors.isEmpty()) << errors.join('|').toStdString();
    EXPECT_TRUE(scheduler.SettingPayload.empty());
    EXPECT_TRUE(scheduler.ControlPayload.empty());
    if (c.open) {
        EXPECT_EQ(scheduler.RequestKind, before.RequestKind);
    } else { // closed as by its title bar: a pausing dialog releases the scheduler
        EXPECT_EQ(scheduler.RequestKind, KindIdle);
        EXPECT_EQ(scheduler.SendPermit, 1);
    }
}

const KeyCase Cases[] = {
    {"SystemReturn", Dialog::System, "cbFLV", "9", false, Qt::Key_Return, true, "9"},
    {"SystemEnter", Dialog::System, "cbFLV", "9", false, Qt::Key_Enter, true, "9"},
    {"SystemEscape", Dialog::System, "cbFLV", "9", false, Qt::Key_Escape, false, nullptr},
    {"AlarmReturn", Dialog::Alarm, "cbbOV", "7", false, Qt::Key_Return, true, "7"},
    {"AlarmEnter", Dialog::Alarm, "cbbBLT", "-7", false, Qt::Key_Enter, true, "-7"},
    {"AlarmEscape", Dialog::Alarm, "cbbOV", "7", false, Qt::Key_Escape, false, nullptr},
    {"NetworkReturn", Dialog::Network, "edtIP4", "7", false, Qt::Key_Return, true, "7"},
    {"NetworkEnter", Dialog::Network, "edtReadComuni", "x", false, Qt::Key_Enter, true, "x"},
    {"NetworkEscape", Dialog::Network, "edtIP4", "7", false, Qt::Key_Escape, false, nullptr},
    {"MeasureReturn", Dialog::Measure, "mskDCA", "1", false, Qt::Key_Return, true, "100.0"},
    {"MeasureEnter", Dialog::Measure, "mskCELL1", "1", false, Qt::Key_Enter, true, "17.00"},
    {"MeasureEscapeUnchanged", Dialog::Measure, "mskDCA", nullptr, false, Qt::Key_Escape, false, "000.0"},
    {"MeasureEscapeChanged", Dialog::Measure, "mskDCA", "1", false, Qt::Key_Escape, true, "000.0"},
    {"MeasureEscapeAfterTheMessage", Dialog::Measure, "mskCELL1", "\b", true, Qt::Key_Escape, true, "27.00"},
    {"HistoryClearReturn", Dialog::HistoryClear, "rgInitial", nullptr, false, Qt::Key_Return, true, nullptr},
    {"HistoryClearEnter", Dialog::HistoryClear, "rgInitial", nullptr, false, Qt::Key_Enter, true, nullptr},
    {"HistoryClearEscape", Dialog::HistoryClear, "rgInitial", nullptr, false, Qt::Key_Escape, false, nullptr},
};

INSTANTIATE_TEST_SUITE_P(Config, Keys, ::testing::ValuesIn(Cases),
                         [](const auto& info) { return std::string(info.param.what); });

// A complete value left behind is kept: Escape after a later change brings it
// back, not the value the dialog opened with.
using MeasureKeys = DialogTest;
TEST_F(MeasureKeys, EscapeRestoresTheValueLastKept)
{
    scheduler.Pause();
    TfrmADSetting dialog(scheduler);
    dialog.show();
    QLineEdit& edit = Find<QLineEdit>(dialog, "mskDCA");
    for (const char digit : {'1', '2'}) {
        SendFocus(edit, QEvent::FocusIn);
        Send(edit, Qt::Key_Home);
        Send(edit, digit, QString(QChar::fromLatin1(digit)));
        if (digit == '1')
            SendFocus(edit, QEvent::FocusOut);
    }
    Send(edit, Qt::Key_Escape);
    EXPECT_EQ(edit.displayText(), QStringLiteral("100.0"));
    EXPECT_TRUE(dialog.isVisible());
    EXPECT_TRUE(errors.isEmpty()) << errors.join('|').toStdString();
}

} // namespace
} // namespace zelt::test
