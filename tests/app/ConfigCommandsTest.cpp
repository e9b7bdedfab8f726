// The configuration dialogs end to end: the console connected to the
// simulated controller over a pseudo-terminal; each dialog opened from the
// toolbar, a value changed and "Setting" pressed; the command leaves once,
// the controller applies and acknowledges it, and its next status record
// shows the new value in the main window.

#include "app/MainForm.h"
#include "common/EventLoop.h"
#include "common/Pty.h"
#include "config/RadioGroup.h"
#include "config/TForm1.h"
#include "config/TfrmADSetting.h"
#include "config/TfrmAlarm.h"
#include "config/TfrmInitial.h"
#include "config/TfrmSetting.h"
#include "protocol/Scheduler.h"
#include "sim/FakeController.h"
#include "ui/StandardError.h"

#include <QAbstractButton>
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTimer>

#include <gtest/gtest.h>

#include <functional>

namespace zelt {
namespace {

class ConfigCommands : public ::testing::Test {
protected:
    void SetUp() override
    {
        SetStandardErrorSink([this](const QString& message) { errors.append(message); });
        window.ComPort11().SetDeviceName(QString::fromStdString(pty.SlavePath()));
        Button("btnConnect")->click();
        ASSERT_TRUE(window.ComPort11().Active());
        controller.pushNow();
        ASSERT_TRUE(test::WaitUntil([&] { return !Area().Text("pnlDC_Set").empty() && !Area().Text("pnlRM4").empty(); }));
    }
    void TearDown() override
    {
        EXPECT_TRUE(errors.isEmpty()) << errors.join(QLatin1Char('|')).toStdString();
        SetStandardErrorSink({});
    }

    StatusArea& Area() { return window.Status().Area(); }
    QAbstractButton* Button(const char* name) const
    {
        return window.findChild<QAbstractButton*>(QString::fromLatin1(name));
    }

    // Clicks a toolbar button that shows a dialog modally and runs inDialog
    // while it is open; the dialog is then closed if it still is.
    void WithDialog(const char* button, const std::function<void()>& inDialog)
    {
        bool ran = false;
        QTimer::singleShot(0, [&] {
            inDialog();
            ran = true;
            if (QWidget* modal = QApplication::activeModalWidget())
                modal->close();
        });
        Button(button)->click();
        EXPECT_TRUE(ran);
    }

    // The bodies of this letter the controller received.
    std::vector<std::string> Received(char letter) const
    {
        std::vector<std::string> bodies;
        for (const std::string& body : controller.receivedBodies())
            if (body.front() == letter)
                bodies.push_back(body);
        return bodies;
    }

    bool AckLogged() const
    {
        const QString log = window.mmResult()->toPlainText();
        return log.startsWith(QLatin1String(AckSuccessLine)) && log.size() > QString::fromLatin1(AckSuccessLine).size();
    }

    // Waits for the acknowledgement's result line, then for a fresh status
    // record to show shows().
    void ExpectAppliedAndShown(const std::function<bool()>& shows)
    {
        ASSERT_TRUE(test::WaitUntil([&] { return AckLogged(); }, 3000)) << window.mmResult()->toPlainText().toStdString();
        EXPECT_EQ(window.mmResult()->toPlainText().count(QLatin1Char('\n')), 0);
        controller.pushNow();
        EXPECT_TRUE(test::WaitUntil(shows, 3000));
    }

    template <typename T>
    static T* Find(const QWidget* dialog, const char* name)
    {
        return dialog->findChild<T*>(QString::fromLatin1(name));
    }

    QStringList errors;
    test::PtyPair pty;
    sim::FakeController controller{pty.Master(), sim::Scenario{}};
    TMain_Form window;
};

TEST_F(ConfigCommands, SystemSettingsFloatVoltage)
{
    WithDialog("Setting", [&] {
        Find<QComboBox>(frmSetting, "cbFLV")->setCurrentIndex(21); // 54.5 V
        Find<QCheckBox>(frmSetting, "cbFL")->setChecked(true);
        Find<QPushButton>(frmSetting, "btnSetting")->click();
        test::WaitUntil([&] { return AckLogged(); }, 3000);
    });
    EXPECT_EQ(Received('O'), std::vector<std::string>{"O545565032001000000000000420005000000100006044044010000"});
    ExpectAppliedAndShown([&] { return Area().Text("pnlDC_Set") == "54.5 V "; });
}

TEST_F(ConfigCommands, AlarmSettingsHighVoltage)
{
    WithDialog("btnAlarm", [&] {
        Find<QComboBox>(frmAlarm, "cbbOV")->setCurrentIndex(10); // 57.0 V
        Find<QCheckBox>(frmAlarm, "cbDCOV")->setChecked(true);
        Find<QPushButton>(frmAlarm, "btnSetting")->click();
        test::WaitUntil([&] { return AckLogged(); }, 3000);
    });
    EXPECT_EQ(Received('N'), std::vector<std::string>{"N570480440600050000" "1FDF0" "050000"});
    ExpectAppliedAndShown([&] { return Area().Text("pnlDCO_V") == "57.0 V "; });
}

// The controller's 'J' acknowledgement leaves no line in the result log.
TEST_F(ConfigCommands, NetworkSettingsAddress)
{
    WithDialog("IP_Setting", [&] {
        Find<QLineEdit>(Form1, "edtIP4")->setText(QStringLiteral("123"));
        Find<QCheckBox>(Form1, "cbIP")->setChecked(true);
        Find<QPushButton>(Form1, "btnSetting")->click();
        test::WaitUntil([&] { return !Received('J').empty() && controller.outputIdle(); }, 3000);
    });
    EXPECT_EQ(Received('J'), std::vector<std::string>{"J0050C2A1B2C3" "C0A80A7B" "C0A80A01" "FFFFFF00"
                                                      "C0A80A14" "1" "C0A80A15" "0" "C0A80A1E" "1" "0" "C0A80A1F" "0" "0"
                                                      "C0A80A20" "0" "0" "C0A80A21" "0" "0" "200000" "67publicprivate"});
    ASSERT_TRUE(test::WaitUntil([&] {
        const auto& sent = controller.sentBodies();
        return std::find(sent.begin(), sent.end(), "J1") != sent.end();
    }));
    controller.pushNow();
    EXPECT_TRUE(test::WaitUntil([&] { return Area().Text("pnlIP4") == "123"; }, 3000));
    test::Pump(50);
    EXPECT_TRUE(window.mmResult()->toPlainText().isEmpty());
}

TEST_F(ConfigCommands, MeasureValueDcVoltage)
{
    WithDialog("SpeedButton5", [&] {
        EXPECT_EQ(window.Scheduler().RequestKind, KindQuiet);
        Find<QLineEdit>(frmADSetting, "MskDC_LV")->setText(QStringLiteral("54.50"));
        Find<QCheckBox>(frmADSetting, "cbDCV_SET_EN")->setChecked(true);
        Find<QPushButton>(frmADSetting, "btnSet")->click();
        test::WaitUntil([&] { return AckLogged(); }, 3000);
    });
    EXPECT_EQ(Received('M'), std::vector<std::string>{"M5451" "0001" "0001" "0001" "2701" "2701" "10"});
    // The plant's reading drifts by a tenth either way around its reference.
    ExpectAppliedAndShown([&] {
        const double volts = QString::fromStdString(Area().Text("pnlDC_V")).section(QLatin1Char(' '), 0, 0).toDouble();
        return volts >= 54.25 && volts <= 54.75;
    });
    EXPECT_EQ(window.Scheduler().RequestKind, KindIdle);
}

TEST_F(ConfigCommands, HistoryClearEmptiesTheControllersHistory)
{
    ASSERT_FALSE(controller.plant().history.empty());
    WithDialog("Initial", [&] {
        EXPECT_EQ(window.Scheduler().RequestKind, KindQuiet);
        Find<TRadioGroup>(frmInitial, "rgInitial")->Item(0)->click();
        Find<QPushButton>(frmInitial, "BitBtnOK")->click();
    });
    ASSERT_TRUE(test::WaitUntil([&] { return AckLogged(); }, 3000));
    EXPECT_EQ(Received('I'), std::vector<std::string>{"I1"});
    EXPECT_TRUE(controller.plant().history.empty());
}

TEST_F(ConfigCommands, EveryClickOpensANewDialogAndTheGlobalDesignatesTheNewest)
{
    std::vector<const TfrmSetting*> opened;
    for (int i = 0; i < 2; ++i)
        WithDialog("Setting", [&] { opened.push_back(frmSetting); });
    ASSERT_EQ(opened.size(), 2u);
    EXPECT_NE(opened[0], opened[1]);
    EXPECT_EQ(frmSetting, opened[1]);
}

} // namespace
} // namespace zelt
