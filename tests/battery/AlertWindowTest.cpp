#include "BattFixture.h"
#include "battery/TfrmSetDate.h"
#include "status/Records.h"
#include "ui/Colours.h"

#include <QLabel>
#include <QTest>
#include <QTimer>

#include <gtest/gtest.h>

using namespace zelt;
using namespace zelt::test;

namespace {

TEST(AlertWindow, CreatedHiddenMaximizedAndOnTop)
{
    std::uint8_t testAlertShown = 0;
    TfrmShow alert(testAlertShown);
    EXPECT_FALSE(alert.isVisible());
    EXPECT_TRUE(alert.windowState() & Qt::WindowMaximized);
    EXPECT_TRUE(alert.windowFlags() & Qt::WindowStaysOnTopHint);
    EXPECT_EQ(alert.windowTitle(), QStringLiteral("Battery Alert"));
    EXPECT_EQ(alert.palette().color(QPalette::Window), MoneyGreen);
    EXPECT_EQ(alert.lbMessage()->palette().color(QPalette::Window), AlertYellow);
    EXPECT_EQ(alert.lbMessage()->palette().color(QPalette::WindowText), LampRed);
    EXPECT_TRUE(alert.lbMessage2()->font().bold());
    EXPECT_EQ(alert.lbMessage2()->textFormat(), Qt::PlainText);
}

TEST(AlertWindow, ClosingTheWindowClearsTheFlag)
{
    std::uint8_t testAlertShown = 0;
    TfrmShow alert(testAlertShown);
    alert.ShowAlert("Batt Disch Test Due on 2024-04-14", "", RgbMoneyGreen);
    testAlertShown = 1;
    alert.close();
    EXPECT_EQ(testAlertShown, 0);
}

// A status record whose low verdict calls for a replacement within the month.
std::string LowCapacityRecord()
{
    RRecord r;
    r.lastTest = "20230414";
    r.interval = "1";
    r.verdict = "3";
    return RxBodyOf('R', r.Payload());
}

class AlertOverModal : public BattFixture {};

// Raised while the battery window is open, or before it opened: either way
// the alert is reachable at its normal size and closes on Escape, and the
// window stays usable. Keys go through the platform's window events, which a
// modal window blocks for every window outside its chain.
TEST_F(AlertOverModal, ClosesOnEscapeOverTheBatteryWindowWhichStaysUsable)
{
    for (const bool raisedFirst : {false, true}) {
        bool maximized = true;
        int width = 0;
        bool closedByEscape = false;
        bool windowTookEscape = false;
        if (raisedFirst)
            monitor.DecodeRectifierStatus(LowCapacityRecord());
        // A timer, not a posted call: the window's own posted events run first.
        QTimer::singleShot(10, &window, [&] {
            if (!raisedFirst)
                monitor.DecodeRectifierStatus(LowCapacityRecord());
            maximized = frmShow.isMaximized();
            width = frmShow.width();
            QTest::keyClick(frmShow.windowHandle(), Qt::Key_Escape);
            closedByEscape = !frmShow.isVisible() && testAlertShown == 0;
            frmShow.close();
            QTest::keyClick(window.windowHandle(), Qt::Key_Escape);
            windowTookEscape = !window.isVisible();
            window.reject();
        });
        window.Open();
        EXPECT_FALSE(maximized) << raisedFirst;
        EXPECT_EQ(width, 350) << raisedFirst;
        EXPECT_TRUE(closedByEscape) << raisedFirst;
        EXPECT_TRUE(windowTookEscape) << raisedFirst;
        EXPECT_EQ(frmShow.parentWidget(), nullptr) << raisedFirst;
    }
    EXPECT_EQ(Text(frmShow.lbMessage()), "Post-Test Recommendations- Capacity is low, ");
    EXPECT_EQ(Text(frmShow.lbMessage2()), "replace battery string by 2024-04-14");
}

// The test date dialog is made anew at every click: an alert raised over one
// must outlive it, and stands free (maximized) once no modal window is up.
TEST_F(AlertOverModal, OutlivesTheDialogItWasRaisedOver)
{
    {
        TfrmSetDate dialog(window, window.frmDataSetCheck(), scheduler, testAlertShown);
        QTimer::singleShot(0, &dialog, [&] {
            monitor.DecodeRectifierStatus(LowCapacityRecord());
            dialog.reject();
        });
        dialog.exec();
    }
    EXPECT_TRUE(frmShow.isVisible());
    EXPECT_EQ(frmShow.parentWidget(), nullptr);
    EXPECT_TRUE(frmShow.isMaximized());
    frmShow.close();
}

} // namespace
