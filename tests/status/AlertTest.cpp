#include "StatusFixture.h"


using namespace zelt;
using namespace zelt::test;

namespace {

// The controller's date is 2024-03-15; a last test on 2023-04-14 with a
// one-year interval puts the next test 30 days ahead.
RRecord DueSoon(const char* verdict)
{
    RRecord r;
    r.lastTest = "20230414";
    r.interval = "1";
    r.verdict = verdict;
    return r;
}

class BatteryAlert : public StatusFixture {
protected:
    TfrmShow& Alert() { return frmShow; }
    std::string Line(int n) { return (n == 1 ? Alert().lbMessage() : Alert().lbMessage2())->text().toStdString(); }
    QColor Line2Background() { return Alert().lbMessage2()->palette().color(QPalette::Window); }
};

TEST_F(BatteryAlert, LowCapacityRaisedOnceUntilClosed)
{
    R(DueSoon("3"));
    ASSERT_TRUE(Alert().isVisible());
    EXPECT_FALSE(Alert().isModal());
    EXPECT_EQ(testAlertShown, 1);
    EXPECT_EQ(Line(1), "Post-Test Recommendations- Capacity is low, ");
    EXPECT_EQ(Line(2), "replace battery string by 2024-04-14");
    EXPECT_EQ(Line2Background(), AlertYellow);

    Alert().hide();
    R(DueSoon("3"));
    EXPECT_FALSE(Alert().isVisible()) << "raised again while the flag is up";

    Alert().close();
    EXPECT_EQ(testAlertShown, 0);
    R(DueSoon("3"));
    EXPECT_TRUE(Alert().isVisible());
    EXPECT_EQ(testAlertShown, 1);
    Alert().close();
}

TEST_F(BatteryAlert, TestDueSoonForAGoodBattery)
{
    for (const char* verdict : {"1", "2"}) {
        R(DueSoon(verdict));
        ASSERT_TRUE(Alert().isVisible()) << verdict;
        EXPECT_EQ(Line(1), "Batt Disch Test Due on 2024-04-14");
        EXPECT_EQ(Line(2), "");
        EXPECT_EQ(Line2Background(), MoneyGreen);
        EXPECT_EQ(Alert().normalGeometry().width(), 350);
        Alert().close();
    }
}

// Records that must not raise an alert.
struct QuietCase {
    const char* what;
    const char* lastTest;
    const char* interval;
    const char* verdict;
    const char* strings;
    const char* date;
};

void PrintTo(const QuietCase& c, std::ostream* os)
{
    *os << c.what;
}

class QuietAlert : public BatteryAlert, public ::testing::WithParamInterface<QuietCase> {};

TEST_P(QuietAlert, RaisesNothing)
{
    const QuietCase& c = GetParam();
    RRecord r;
    r.lastTest = c.lastTest;
    r.interval = c.interval;
    r.verdict = c.verdict;
    r.strings = c.strings;
    r.date = c.date;
    ASSERT_NO_THROW(R(r));
    EXPECT_FALSE(Alert().isVisible());
    EXPECT_EQ(testAlertShown, 0);
    EXPECT_EQ(Text("pnlCh_Time"), "None "); // the tail ran to its end or to the alert step
}

INSTANTIATE_TEST_SUITE_P(
    Cases, QuietAlert,
    ::testing::Values(QuietCase{"already due", "20230301", "1", "3", "1", "20240315"},
                      QuietCase{"due today", "20230315", "1", "3", "1", "20240315"},
                      QuietCase{"90 days ahead", "20230613", "1", "1", "1", "20240315"},
                      QuietCase{"two-year interval", "20230414", "2", "3", "1", "20240315"},
                      QuietCase{"no strings", "20230414", "1", "3", "0", "20240315"},
                      QuietCase{"other verdict", "20230414", "1", "4", "1", "20240315"},
                      QuietCase{"no test date", "00000000", "1", "3", "1", "20240315"},
                      QuietCase{"bad test date", "2023x414", "1", "3", "1", "20240315"},
                      QuietCase{"bad controller date", "20230414", "1", "3", "1", "20241315"}));

TEST_F(BatteryAlert, EightyNineDaysAheadRaises)
{
    RRecord r = DueSoon("1");
    r.lastTest = "20230612"; // next 2024-06-12, 89 days after 2024-03-15
    R(r);
    EXPECT_TRUE(Alert().isVisible());
    Alert().close();
}

TEST_F(BatteryAlert, LeapDayTestFallsBackToThe28th)
{
    RRecord r = DueSoon("3");
    r.lastTest = "20240229";
    r.date = "20250201";
    R(r);
    EXPECT_EQ(Line(2), "replace battery string by 2025-02-28");
    Alert().close();
}

} // namespace
