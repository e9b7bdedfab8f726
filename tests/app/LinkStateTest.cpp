// The status bar's last panel on the real main window, against the simulated
// controller over a pseudo-terminal, with a clock the test moves by hand.

#include "app/LinkStatePanel.h"
#include "app/MainForm.h"
#include "common/EventLoop.h"
#include "common/Pty.h"
#include "sim/FakeController.h"
#include "ui/StandardError.h"

#include <QAbstractButton>
#include <QStatusBar>

#include <gtest/gtest.h>

using namespace zelt;

TEST(LinkState, SaysWhetherTheStatusShownIsLive)
{
    QStringList errors;
    SetStandardErrorSink([&](const QString& message) { errors.append(message); });
    test::PtyPair pty;
    sim::FakeController controller(pty.Master(), sim::Scenario{});
    {
        TMain_Form window;
        window.ComPort11().SetDeviceName(QString::fromStdString(pty.SlavePath()));
        QDateTime now(QDate(2026, 12, 8), QTime(9, 59, 58));
        LinkStatePanel& panel = window.LinkState();
        panel.SetClock([&] { return now; });
        EXPECT_EQ(panel.parent(), window.findChild<QStatusBar*>(QStringLiteral("ComSetting")));
        EXPECT_EQ(window.ComSettingPanel(4)->text(), QStringLiteral("COM1"));
        auto shows = [&](const char* text) { return test::WaitUntil([&] { return panel.text() == QLatin1String(text); }, 3000); };

        EXPECT_TRUE(shows("Not connected"));
        window.findChild<QAbstractButton*>(QStringLiteral("btnConnect"))->click();
        EXPECT_TRUE(shows("Waiting for the controller"));
        now = now.addSecs(2);
        controller.pushNow();
        EXPECT_TRUE(shows("Live"));
        now = now.addMSecs(5000);
        test::Pump(1100);
        EXPECT_EQ(panel.text(), QStringLiteral("Live"));
        // One millisecond more, and the panel's own second tick tells.
        now = now.addMSecs(1);
        EXPECT_TRUE(shows("No status since 10:00:00"));
        controller.pushNow();
        EXPECT_TRUE(shows("Live"));
        window.findChild<QAbstractButton*>(QStringLiteral("btnDisconnect"))->click();
        EXPECT_EQ(panel.text(), QStringLiteral("Not connected"));
        window.findChild<QAbstractButton*>(QStringLiteral("btnConnect"))->click();
        EXPECT_EQ(panel.text(), QStringLiteral("Waiting for the controller"));
        EXPECT_TRUE(errors.isEmpty()) << errors.join(QLatin1Char('|')).toStdString();
    }
    SetStandardErrorSink({});
}
