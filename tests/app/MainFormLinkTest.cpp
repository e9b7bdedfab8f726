#include "WindowFixture.h"

#include "app/ResultLine.h"
#include "battery/TBattDisch.h"
#include "protocol/FrameCodec.h"
#include "serial/PortDialog.h"
#include "ui/MessageBox.h"

#include <QComboBox>
#include <QLabel>
#include <QPushButton>
#include <QTemporaryDir>

#include <filesystem>
#include <vector>

using namespace zelt;
using namespace zelt::test;

namespace {

// Points HOME at a temporary folder for the lifetime of the object.
class TemporaryHome {
public:
    TemporaryHome() : old_(qgetenv("HOME")) { qputenv("HOME", dir_.path().toLocal8Bit()); }
    ~TemporaryHome() { qputenv("HOME", old_); }
    // Makes the port name an alias of device.
    void AliasPort(const char* name, const QString& device) const
    {
        const std::filesystem::path ports = dir_.path().toStdString() + "/.local/share/zelt6380/ports";
        std::filesystem::create_directories(ports);
        std::filesystem::create_symlink(device.toStdString(), ports / name);
    }

private:
    QTemporaryDir dir_;
    QByteArray old_;
};

bool IsConnected(TMain_Form& w)
{
    return w.Timer1().isActive() && !w.findChild<QAbstractButton*>("btnConnect")->isEnabled()
        && w.findChild<QAbstractButton*>("btnDisconnect")->isEnabled();
}

bool IsDisconnected(TMain_Form& w)
{
    return !w.Timer1().isActive() && w.findChild<QAbstractButton*>("btnConnect")->isEnabled()
        && !w.findChild<QAbstractButton*>("btnDisconnect")->isEnabled();
}

} // namespace

TEST_F(WindowTest, ConnectOpensThePortAndStartsTheScheduler)
{
    window->Scheduler().RequestKind = KindSystem; // posted while stopped: discarded
    Connect();
    EXPECT_TRUE(IsConnected(*window));
    EXPECT_EQ(window->Scheduler().RequestKind, KindIdle);
    EXPECT_EQ(controller.Receive(400), "");
    EXPECT_TRUE(errors.isEmpty());
}

TEST_F(WindowTest, PostedCommandLeavesExactlyOnceAndItsAckIsLoggedOnce)
{
    Connect();
    window->Scheduler().PostCommand(KindSystem, "123");
    const std::string expected = "\x02O123\x03\xE5";
    EXPECT_EQ(controller.ReceiveBytes(expected.size(), 5000), expected);
    EXPECT_EQ(controller.Receive(400), "");

    window->Scheduler().PostCommand(KindAlarm, "77");
    ASSERT_EQ(controller.ReceiveBytes(6, 5000), EncodeFrame("N77"));
    controller.Send(EncodeFrame("N1"));
    ASSERT_TRUE(WaitUntil([&] { return !ResultLines().isEmpty(); }));
    Pump(300);
    const QStringList lines = ResultLines();
    ASSERT_EQ(lines.size(), 1);
    EXPECT_TRUE(lines[0].startsWith(QStringLiteral("Setting Sucess! <<---"))) << lines[0].toStdString();
    EXPECT_EQ(lines[0].size(), ResultLine(QStringLiteral("Setting Sucess! <<---"), QDateTime::currentDateTime()).size());
    EXPECT_EQ(window->Scheduler().RequestKind, KindIdle);
    EXPECT_EQ(controller.Receive(300), "");
    EXPECT_TRUE(errors.isEmpty());
}

TEST_F(WindowTest, IgnoredAndUnknownRepliesLeaveTheLogAlone)
{
    Connect();
    controller.Send(EncodeFrame("J1"));
    controller.Send(EncodeFrame("O2"));
    controller.Send(EncodeFrame("D0"));
    Pump(300);
    EXPECT_TRUE(ResultLines().isEmpty());
    controller.Send(EncodeFrame("O0"));
    ASSERT_TRUE(WaitUntil([&] { return ResultLines().size() == 1; }));
    EXPECT_TRUE(ResultLines()[0].startsWith(QStringLiteral("Setting Fail! <<---")));
}

TEST_F(WindowTest, CommandPostedWhileDisconnectedIsNeverSent)
{
    window->Scheduler().PostCommand(KindSystem, "123");
    Pump(300);
    Connect();
    EXPECT_EQ(controller.Receive(500), "");
}

TEST_F(WindowTest, ClockCommandClearsTheAlertLatch)
{
    Connect();
    window->TestAlertShown = 1;
    window->Scheduler().PostCommand(KindClock, "20260101120000");
    EXPECT_EQ(controller.ReceiveBytes(18, 5000), EncodeFrame("T20260101120000"));
    EXPECT_EQ(window->TestAlertShown, 0);
}

TEST_F(WindowTest, BatterySaveIsSentOnlyWhileConnectedAndClearsTheAlertLatchOnceSent)
{
    QStringList messages;
    SetMessageSink([&](MessageKind, const QString& m, const QString&) { messages.append(m); });
    TBattDisch& batt = window->BattDisch();
    batt.cbbBankQty->setCurrentIndex(0);
    window->TestAlertShown = 1;
    batt.btnSetting->click();
    EXPECT_EQ(messages, QStringList{QStringLiteral("Save Error!! Not connected")});

    Connect();
    batt.btnSetting->click();
    EXPECT_EQ(window->TestAlertShown, 1);
    EXPECT_EQ(controller.ReceiveBytes(25, 5000), EncodeFrame("G" + std::string(21, '0')));
    EXPECT_EQ(window->TestAlertShown, 0);
    SetMessageSink({});
}

TEST_F(WindowTest, DisconnectStopsAllTraffic)
{
    Connect();
    Button("btnDisconnect")->click();
    EXPECT_TRUE(IsDisconnected(*window));
    EXPECT_FALSE(window->ComPort11().Active());
    window->Scheduler().PostCommand(KindSystem, "123");
    EXPECT_EQ(controller.Receive(400), "");
    EXPECT_TRUE(errors.isEmpty());
}

TEST_F(WindowTest, DeviceThatCannotBeOpenedShowsTheErrorAndKeepsTheButtons)
{
    window->ComPort11().SetDeviceName(QStringLiteral("/nonexistent/tty-zelt"));
    Button("btnConnect")->click();
    EXPECT_EQ(errors.size(), 1);
    EXPECT_FALSE(window->ComPort11().Active());
    EXPECT_TRUE(IsDisconnected(*window));
}

TEST_F(WindowTest, ControllerHangingUpLeavesAUsableWindow)
{
    Connect();
    controller.Close();
    ASSERT_TRUE(WaitUntil([&] { return IsDisconnected(*window); }, 3000));
    window->Scheduler().PostCommand(KindSystem, "123");
    Pump(500);
    EXPECT_EQ(errors.size(), 1) << errors.join(QLatin1Char('|')).toStdString();
    EXPECT_FALSE(window->ComPort11().Active());

    // Another line: Connect works again.
    Controller replacement;
    window->ComPort11().SetDeviceName(replacement.SlavePath());
    const auto errorsBefore = errors.size();
    Connect();
    window->Scheduler().PostCommand(KindBattLoad);
    EXPECT_EQ(replacement.ReceiveBytes(4, 5000), EncodeFrame("L"));
    EXPECT_EQ(errors.size(), errorsBefore);
}

TEST_F(WindowTest, ClosingWhileConnectedClosesThePortSilently)
{
    window->show();
    Connect();
    window->close();
    EXPECT_FALSE(window->ComPort11().Active());
    EXPECT_TRUE(errors.isEmpty());
}

// The dialog is modal: it is driven from a single-shot timer once it runs.
TEST_F(WindowTest, PortDialogReopensAnotherDevice)
{
    const TemporaryHome home;
    Controller other;
    home.AliasPort("COM3", other.SlavePath());

    Connect();
    bool dialogSeen = false;
    QTimer::singleShot(50, [&] {
        ASSERT_NE(frmComPort, nullptr);
        dialogSeen = frmComPort->isVisible();
        EXPECT_EQ(window->Scheduler().RequestKind, KindQuiet);
        EXPECT_FALSE(window->ComPort11().Active());
        frmComPort->SetItemIndex(2);
        frmComPort->findChild<QPushButton*>("BitBtn1")->click();
    });
    Button("Port")->click();

    EXPECT_TRUE(dialogSeen);
    EXPECT_TRUE(errors.isEmpty()) << errors.join(QLatin1Char('|')).toStdString();
    EXPECT_EQ(window->ComPort11().DeviceName(), QStringLiteral("COM3"));
    EXPECT_EQ(window->ComSettingPanel(4)->text(), QStringLiteral("COM3"));
    EXPECT_TRUE(window->ComPort11().Active());
    EXPECT_TRUE(IsConnected(*window)); // the dialog does not touch Timer1
    EXPECT_EQ(window->Scheduler().RequestKind, KindIdle);

    window->Scheduler().PostCommand(KindBattLoad);
    EXPECT_EQ(other.ReceiveBytes(4, 5000), EncodeFrame("L"));
    EXPECT_EQ(controller.Receive(200), "");
}

TEST_F(WindowTest, PortDialogWithADeviceThatCannotBeOpened)
{
    const TemporaryHome home;
    home.AliasPort("COM2", QStringLiteral("/nonexistent/tty-zelt"));
    Connect();
    QTimer::singleShot(50, [&] {
        frmComPort->SetItemIndex(1);
        frmComPort->findChild<QPushButton*>("BitBtn1")->click();
    });
    Button("Port")->click();

    EXPECT_EQ(errors.size(), 1);
    EXPECT_FALSE(window->ComPort11().Active());
    EXPECT_EQ(window->ComPort11().DeviceName(), QStringLiteral("COM2"));
    EXPECT_EQ(window->ComSettingPanel(4)->text(), QStringLiteral("COM1"));
    EXPECT_EQ(window->Scheduler().RequestKind, KindIdle);
    EXPECT_TRUE(IsConnected(*window)); // the dialog leaves Timer1 and the buttons alone
}

// Each Port click makes a new dialog; closing it by its title bar leaves the
// port closed and the scheduler listening.
TEST_F(WindowTest, PortDialogClosedByItsTitleBar)
{
    Connect();
    std::vector<TfrmComPort*> shown;
    for (int i = 0; i < 2; ++i) {
        QTimer::singleShot(50, [&] {
            shown.push_back(frmComPort);
            frmComPort->close();
        });
        Button("Port")->click();
    }
    ASSERT_EQ(shown.size(), 2u);
    EXPECT_NE(shown[0], shown[1]);
    EXPECT_EQ(frmComPort, shown[1]);
    // Timer1 runs on, so a tick may already have used the permit again.
    EXPECT_FALSE(window->ComPort11().Active());
    EXPECT_EQ(window->Scheduler().RequestKind, KindIdle);
    EXPECT_TRUE(errors.isEmpty());
}
