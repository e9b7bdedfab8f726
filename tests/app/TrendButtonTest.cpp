#include "app/WindowFixture.h"
#include "trend/TrendWindow.h"

namespace zelt::test {
namespace {

using TrendButtonTest = WindowTest;

TEST_F(TrendButtonTest, ComesAfterTheLastButtonAndOpensOneModelessWindow)
{
    QAbstractButton* trend = Button("btnTrend");
    ASSERT_NE(trend, nullptr);
    EXPECT_EQ(trend->text(), QStringLiteral("Trend"));
    const QRect last = Button("SpeedButton3")->geometry();
    EXPECT_EQ(trend->geometry().topLeft(), QPoint(last.right() + 1, last.top()));

    trend->click();
    TrendWindow* opened = window->Trend();
    ASSERT_NE(opened, nullptr);
    EXPECT_TRUE(opened->isVisible());
    EXPECT_FALSE(opened->isModal());
    opened->close();
    trend->click();
    EXPECT_EQ(window->Trend(), opened);
    EXPECT_TRUE(opened->isVisible());
    EXPECT_TRUE(errors.isEmpty()) << errors.join(QLatin1Char('|')).toStdString();
}

} // namespace
} // namespace zelt::test
