// The battery test commands of a connected main window against the simulated
// controller over a pseudo-terminal.

#include "app/MainForm.h"
#include "battery/TBattDisch.h"
#include "battery/TfrmSetDisch.h"
#include "battery/TfrmSetTime.h"
#include "common/EventLoop.h"
#include "common/Pty.h"
#include "sim/FakeController.h"
#include "sim/Records.h"
#include "ui/StandardError.h"

#include <QAbstractButton>
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTimer>

#include <gtest/gtest.h>

using namespace zelt;

namespace {

class BatteryLive : public ::testing::Test {
protected:
    void SetUp() override
    {
        SetStandardErrorSink([this](const QString& message) { errors.append(message); });
        window.ComPort11().SetDeviceName(QString::fromStdString(pty.SlavePath()));
        Click("btnConnect");
        ASSERT_TRUE(window.ComPort11().Active());
    }
    void TearDown() override
    {
        EXPECT_TRUE(errors.isEmpty()) << errors.join(QLatin1Char('|')).toStdString();
        SetStandardErrorSink({});
    }

    void Click(const char* name) { window.findChild<QAbstractButton*>(QString::fromLatin1(name))->click(); }
    // Runs work once the modal dialog that the click opens is up.
    void ClickIntoModal(const char* name, std::function<void()> work)
    {
        QTimer::singleShot(0, &window, [work = std::move(work)] { RunGuarded(work); });
        Click(name);
    }
    bool Received(char letter) const
    {
        for (const std::string& body : controller.receivedBodies())
            if (body[0] == letter)
                return true;
        return false;
    }
    std::string LastReceived(char letter) const
    {
        const auto& bodies = controller.receivedBodies();
        for (auto it = bodies.rbegin(); it != bodies.rend(); ++it)
            if ((*it)[0] == letter)
                return *it;
        return {};
    }
    bool LogEndsWith(const char* text) const
    {
        const QStringList lines = window.mmResult()->toPlainText().split(QLatin1Char('\n'));
        return lines.last().startsWith(QString::fromLatin1(text));
    }
    // Asks for the bookkeeping as the window's opening does, waits for the
    // reply and applies it with one tick.
    bool LoadBookkeeping()
    {
        TBattDisch& batt = window.BattDisch();
        batt.Opening();
        if (!test::WaitUntil([&] { return batt.BattTestPending == 0; }, 3000))
            return false;
        batt.ApplyBattTestBody();
        batt.Timer1.stop();
        return true;
    }

    QStringList errors;
    test::PtyPair pty;
    sim::Scenario scenario;
    sim::FakeController controller{pty.Master(), scenario};
    TMain_Form window;
};

TEST_F(BatteryLive, BatteryDischargeShowsTheControllersBookkeeping)
{
    controller.plant().battTest = {"20141231", 2, 1, 100, 85, 2, 1, 98, 0};
    TBattDisch& batt = window.BattDisch();
    bool shown = false;
    ClickIntoModal("SpeedButton3", [&] {
        shown = batt.isVisible() && batt.isModal();
        test::WaitUntil([&] { return batt.BattTestApplied == "201412312110008521"; }, 4000);
        batt.btnExit->click();
    });
    EXPECT_TRUE(shown);
    EXPECT_EQ(controller.receivedBodies().front(), "L");
    EXPECT_EQ(batt.pnlLastDate->text(), QStringLiteral("2014/12/31"));
    EXPECT_EQ(batt.edtDTCapa->text(), QStringLiteral("85"));
    EXPECT_EQ(batt.pnlNextDate->text(), QStringLiteral("2016-12-31"));
    EXPECT_EQ(batt.BattVerdict, 2);
    EXPECT_TRUE(LogEndsWith("BattTest Test Load Sucess! <<---"));
    EXPECT_FALSE(batt.Timer1.isActive());
}

TEST_F(BatteryLive, SavedBookkeepingComesBackWithTheNextReply)
{
    controller.plant().battTest = {"20141231", 2, 1, 100, 85, 2, 1, 98, 0};
    ASSERT_TRUE(LoadBookkeeping());
    TBattDisch& batt = window.BattDisch();
    batt.edtDT->setText(QStringLiteral("170"));
    batt.edtDTCapa->setText(QStringLiteral("120"));
    batt.btnDTset->click();
    ASSERT_EQ(batt.BattVerdict, 3);
    batt.btnSetting->click();
    ASSERT_TRUE(test::WaitUntil([&] { return LogEndsWith("Setting Sucess! <<---"); }, 3000));
    // Last test, 12 months, type 1, 170 and 120 Ah, low, one string, 139 % of 86 Ah, no message.
    EXPECT_EQ(LastReceived('G'), "G20141231" "1" "1" "170" "120" "3" "1" "139" "0");

    batt.edtDTCapa->clear();
    ASSERT_TRUE(LoadBookkeeping());
    EXPECT_EQ(batt.BattTestBody, "201412311117012031");
    EXPECT_EQ(batt.edtDTCapa->text(), QStringLiteral("120"));
    EXPECT_EQ(batt.pnlNextTestDate->text(), QStringLiteral("2015-12-31"));
}

TEST_F(BatteryLive, ClockSendsThePcTime)
{
    QDateTime before;
    ClickIntoModal("Clock", [&] {
        EXPECT_EQ(window.Scheduler().RequestKind, KindQuiet);
        before = QDateTime::currentDateTime().addSecs(-1);
        window.frmSetTime()->bbtOK->click();
    });
    ASSERT_TRUE(test::WaitUntil([&] { return LogEndsWith("Setting Sucess! <<---"); }, 3000));
    const std::string body = LastReceived('T');
    ASSERT_EQ(body.size(), 15u);
    const QDateTime sent = QDateTime::fromString(QString::fromStdString(body.substr(1)), QStringLiteral("yyyyMMddHHmmss"));
    EXPECT_GE(sent, before.addMSecs(-before.time().msec()));
    EXPECT_LE(sent, QDateTime::currentDateTime());
    EXPECT_EQ(window.Scheduler().RequestKind, KindIdle);
}

TEST_F(BatteryLive, InitialChargeStartsTheCharge)
{
    controller.startPushing();
    ASSERT_TRUE(test::WaitUntil([&] { return window.Status().Snapshot().TempCompOn == 1; }, 3000));
    controller.stopPushing();
    ClickIntoModal("Expand_Battery", [&] {
        TfrmSetDisch& dialog = *window.frmSetDisch();
        dialog.cbFloat->click();
        dialog.btnSetting->click();
        test::WaitUntil([&] { return Received('C'); }, 3000);
        dialog.btnExit->click();
    });
    EXPECT_EQ(LastReceived('C'), "C15");
    ASSERT_TRUE(test::WaitUntil([&] { return LogEndsWith("Setting Sucess! <<---"); }, 3000));
    // A record set whenever the line is idle, until one 'R' record has come through.
    ASSERT_TRUE(test::WaitUntil(
        [&] {
            if (controller.outputIdle())
                controller.pushNow();
            return window.Status().Snapshot().InitialChargeActive == 1;
        },
        5000));
    const std::string end = window.Status().Area().Text("pnlInitial_Time");
    EXPECT_EQ(end.substr(2, 1), "/") << end;
}

} // namespace
