#include "battery/TfrmShow.h"
#include "ui/Colours.h"

#include <QLabel>

#include <gtest/gtest.h>

using namespace zelt;

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
    alert.ShowAlert("Batt Disch Test Due on 2024-04-14", "", MoneyGreen);
    testAlertShown = 1;
    alert.close();
    EXPECT_EQ(testAlertShown, 0);
}

} // namespace
