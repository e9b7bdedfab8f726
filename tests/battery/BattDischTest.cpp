#include "BattFixture.h"

#include "protocol/FieldText.h"
#include "status/StatusArea.h"
#include "ui/Colours.h"

#include <QDate>
#include <functional>
#include <map>
#include <QPushButton>
#include <QRadioButton>

using namespace zelt;
using namespace zelt::test;

namespace {

// Last test 2014-12-31, interval code 2, type 1, capacities 100 and 85,
// verdict degraded, one string.
const std::string DegradedBody = "2014123121100085" "21";

class BattDisch : public BattFixture {};

TEST_F(BattDisch, CreatedWithItsInitialValues)
{
    EXPECT_EQ(window.windowTitle(), QStringLiteral("Battery Discharge Set"));
    EXPECT_EQ(Text(window.pnlRate), "86");
    EXPECT_EQ(Text(window.IntervalBox), "24");
    EXPECT_EQ(Text(window.cbBoxBattType), "M12V90FT");
    EXPECT_EQ(Text(window.cbbBankQty), "1");
    EXPECT_TRUE(window.rgMDchOff->isChecked());
    // The capacity edits have no caption of their own: they carry their row's.
    EXPECT_EQ(window.edtDT->accessibleName(), QStringLiteral("DT Capacity"));
    EXPECT_EQ(window.edtDTCapa->accessibleName(), QStringLiteral("This DT Capacity"));
    EXPECT_EQ(window.BattTestBody, std::string(18, '0'));
    EXPECT_FALSE(window.Timer1.isActive());
    EXPECT_EQ(window.Timer1.interval(), 1000);
    EXPECT_FALSE(window.isVisible());
}

// The capacity's Set button on its own row; Save and Exit at the right.
TEST_F(BattDisch, ButtonsWhereTheyBelong)
{
    window.show();
    const auto at = [&](const QWidget* w) { return QRect(w->mapTo(&window, QPoint()), w->size()); };
    EXPECT_EQ(at(window.btnDTset).center().y(), at(window.edtDTCapa).center().y());
    EXPECT_GT(at(window.btnDTset).left(), at(window.edtDTCapa).right());
    for (const QLineEdit* edit : {window.edtDT, window.edtDTCapa})
        EXPECT_EQ(edit->width(), 90);
    // Bank Qty's list lines up under the next test date; the manual test box
    // sits between the Type row and the Rated AH row.
    EXPECT_EQ(at(window.cbbBankQty).left(), at(window.pnlNextDate).left());
    const auto* manual = window.findChild<QWidget*>(QStringLiteral("rgMDch"));
    ASSERT_NE(manual, nullptr);
    EXPECT_GT(at(manual).top(), at(window.cbBoxBattType).bottom());
    EXPECT_LT(at(manual).bottom(), at(window.pnlRate).top());
    // Top to bottom: the settings, the health figures, the recommendation.
    EXPECT_GT(at(window.pnlRateCapa).top(), at(window.edtDTCapa).bottom());
    EXPECT_GT(at(window.pnlNextTestDate).top(), at(window.pnlRateCapa).bottom());
    EXPECT_GT(at(window.btnSetting).left(), window.width() / 2);
    EXPECT_GT(at(window.btnExit).left(), at(window.btnSetting).right());
    window.hide();
}

TEST_F(BattDisch, RequestRepeatsEachTickUntilTheReply)
{
    window.Opening();
    EXPECT_EQ(scheduler.RequestKind, KindBattLoad);
    EXPECT_EQ(scheduler.SendPermit, 1);
    EXPECT_EQ(scheduler.ReplyCountdown, 3);
    EXPECT_TRUE(window.Timer1.isActive());
    EXPECT_EQ(window.BattTestPending, 1);

    scheduler.Release(); // the request expired without an answer
    window.ApplyBattTestBody();
    EXPECT_EQ(scheduler.RequestKind, KindBattLoad);

    Reply(DegradedBody + "tail ignored");
    EXPECT_EQ(window.BattTestBody, DegradedBody);
    EXPECT_EQ(window.BattTestPending, 0);
    ASSERT_EQ(results.size(), 1);
    EXPECT_TRUE(results[0].startsWith(QStringLiteral("BattTest Test Load Sucess! <<---")));

    scheduler.Release();
    window.ApplyBattTestBody();
    EXPECT_EQ(scheduler.RequestKind, KindIdle);
}

TEST_F(BattDisch, ReplyShorterThanTheBookkeepingIsNoReply)
{
    window.Opening();
    Reply("20141231211000852"); // 17 characters: ETX and checksum would fill the last field
    EXPECT_EQ(window.BattTestPending, 1);
    EXPECT_EQ(window.BattTestBody, std::string(18, '0'));
    EXPECT_TRUE(results.isEmpty());
}

TEST_F(BattDisch, DegradedBodyFillsTheWindow)
{
    Apply(DegradedBody);
    EXPECT_EQ(Text(window.cbbBankQty), "1");
    EXPECT_EQ(Text(window.pnlLastDate), "2014/12/31");
    EXPECT_EQ(Text(window.cbBoxBattType), "M12V90FT");
    EXPECT_EQ(Text(window.pnlRate), "86");
    EXPECT_EQ(Text(window.edtDT), "100");
    EXPECT_EQ(Text(window.edtDTCapa), "85");
    EXPECT_EQ(Text(window.pnlCapaPrev), "85");
    EXPECT_EQ(Text(window.pnlRateCapa), "98");
    EXPECT_EQ(window.BattVerdict, 2);
    EXPECT_EQ(Background(window.Lab12Month), AlertYellow);
    EXPECT_EQ(Background(window.LabGood), MoneyGreen);
    EXPECT_EQ(Background(window.LabCapaLow), MoneyGreen);
    EXPECT_EQ(Items(window.IntervalBox), (std::vector<std::string>{"12", "--"}));
    EXPECT_EQ(Text(window.IntervalBox), "--");
    EXPECT_EQ(Text(window.pnlNextDate), "2016-12-31");
    EXPECT_EQ(Text(window.pnlNextTestDate), "");
    EXPECT_TRUE(window.btnTestDateSet->isEnabled());
    EXPECT_TRUE(errors.isEmpty()) << errors.join('|').toStdString();
}

TEST_F(BattDisch, VerdictCodesColourTheLinesAndRenameTheSecondInterval)
{
    const std::tuple<char, int, const char*, QLabel*> cases[] = {
        {'0', 0, "24", nullptr}, {'1', 1, "24", window.LabGood}, {'2', 2, "--", window.Lab12Month},
        {'3', 3, "--", window.LabCapaLow}};
    // A verdict code colours the backgrounds only; the text colours follow a measured capacity.
    const std::map<QLabel*, QColor> text = {{window.LabGood, window.LabGood->palette().color(QPalette::WindowText)},
                                            {window.Lab12Month, window.Lab12Month->palette().color(QPalette::WindowText)},
                                            {window.LabCapaLow, window.LabCapaLow->palette().color(QPalette::WindowText)}};
    for (const auto& [code, verdict, second, line] : cases) {
        std::string body = "2016022911100085" "01";
        body[16] = code;
        Apply(body);
        EXPECT_EQ(window.BattVerdict, verdict) << code;
        EXPECT_EQ(window.IntervalBox->itemText(1).toStdString(), second) << code;
        EXPECT_EQ(Text(window.IntervalBox), "12") << code;
        for (QLabel* each : {window.LabGood, window.Lab12Month, window.LabCapaLow})
            EXPECT_EQ(Background(each), each == line ? AlertYellow : MoneyGreen) << code;
        for (const auto& [each, colour] : text)
            EXPECT_EQ(each->palette().color(QPalette::WindowText), colour) << code;
        EXPECT_EQ(Text(window.pnlNextDate), "2017-02-28") << code;
        EXPECT_EQ(Text(window.pnlNextTestDate), verdict == 3 ? "2017-02-28" : "") << code;
    }
    Apply("2016022911100085" "71"); // an unknown verdict changes none of it
    EXPECT_EQ(window.BattVerdict, 3);
    EXPECT_EQ(Background(window.LabCapaLow), AlertYellow);
}

TEST_F(BattDisch, SameBodyAppliedOnceUntilTheNextOpening)
{
    Apply(DegradedBody);
    window.edtDT->setText(QStringLiteral("120"));
    window.ApplyBattTestBody();
    EXPECT_EQ(Text(window.edtDT), "120") << "applied again without a new opening";

    window.Opening();
    window.ApplyBattTestBody();
    EXPECT_EQ(Text(window.edtDT), "100");
}

TEST_F(BattDisch, CapacityHandedOverGoesInAfterTheReplyIsShown)
{
    // The body held from before the opening, its latest capacity; the reply is DegradedBody.
    const std::pair<std::string, const char*> cases[] = {{"2014123121100090" "21", "90"}, {DegradedBody, "85"}};
    for (const auto& [before, latest] : cases) {
        Apply(before);
        window.FillDtCapacityAfterReply(164);
        window.Opening();
        window.ApplyBattTestBody();
        EXPECT_EQ(Text(window.edtDTCapa), latest) << "filled before the reply";
        Reply(DegradedBody);
        window.ApplyBattTestBody();
        EXPECT_EQ(Text(window.edtDTCapa), "164") << latest;
        EXPECT_EQ(Text(window.pnlCapaPrev), "164") << latest; // 164 * 100 / 100
        window.edtDTCapa->setText(QStringLiteral("70"));
        window.ApplyBattTestBody();
        EXPECT_EQ(Text(window.edtDTCapa), "70") << "filled more than once";
    }
}

TEST_F(BattDisch, ReplyAfterTheWindowClosedIsAppliedToTheHiddenWindow)
{
    window.Opening();
    window.show();
    window.btnExit->click();
    EXPECT_FALSE(window.isVisible());
    EXPECT_FALSE(window.Timer1.isActive());

    Reply(DegradedBody);
    EXPECT_TRUE(window.Timer1.isActive());
    window.ApplyBattTestBody();
    EXPECT_EQ(Text(window.pnlLastDate), "2014/12/31");
    window.Timer1.stop();
}

TEST_F(BattDisch, NoStringsClearsTheTestAndKeepsTheRest)
{
    Apply(DegradedBody);
    Apply("2020010112170150" "30");
    EXPECT_EQ(Text(window.cbbBankQty), "0");
    for (const auto* panel : {window.pnlLastDate, window.pnlNextDate, window.pnlNextTestDate})
        EXPECT_EQ(Text(panel), "");
    EXPECT_EQ(Text(window.edtDT), "");
    EXPECT_EQ(Text(window.edtDTCapa), "");
    EXPECT_FALSE(window.btnTestDateSet->isEnabled());
    for (QLabel* line : {window.LabGood, window.Lab12Month, window.LabCapaLow}) {
        EXPECT_EQ(Background(line), MoneyGreen);
        EXPECT_EQ(Foreground(line), LampGrey);
    }
    EXPECT_EQ(Text(window.cbBoxBattType), "M12V90FT");
    EXPECT_EQ(Text(window.IntervalBox), "--");
    EXPECT_EQ(Text(window.pnlRate), "86");
    EXPECT_EQ(window.BattVerdict, 2);
}

TEST_F(BattDisch, NoLastTestTakesTheInitialChargeStartOrShowsNone)
{
    const std::pair<const char*, std::string> cases[] = {
        {"None ", "None"},
        {"", "None"},
        {"Initial Charge Completed ", "None"},
        {"Initial Charge Failed ", "None"},
        {"Initial Charge Interrupted ", "None"},
        {"03/15  12:30  ", std::to_string(QDate::currentDate().year()) + "/03/15"},
        {"12-25 08:00", std::to_string(QDate::currentDate().year()) + "/12/25"},
    };
    for (const auto& [charge, shown] : cases) {
        monitor.Area().SetText("pnlInitial_Time", charge);
        window.pnlNextDate->clear();
        Apply("0000000011100085" "11");
        EXPECT_EQ(Text(window.pnlLastDate), shown) << charge;
        if (shown == "None") {
            Pick(window.IntervalBox, 1); // no last test: nothing to count from
            Pick(window.IntervalBox, 0);
            EXPECT_EQ(Text(window.pnlNextDate), "") << charge;
        }
    }
    EXPECT_TRUE(errors.isEmpty()) << errors.join('|').toStdString();
}

TEST_F(BattDisch, UnknownCodesShowTheirDigitAndSelectNothing)
{
    Apply("2014123157100085" "11");
    EXPECT_EQ(Text(window.IntervalBox), "5");
    EXPECT_EQ(window.IntervalBox->findText(window.IntervalBox->currentText()), -1);
    EXPECT_EQ(Text(window.cbBoxBattType), "7");
    EXPECT_EQ(Text(window.pnlRate), "155");
    EXPECT_EQ(Text(window.pnlNextDate), "2016-12-31");

    window.btnSettingClick();
    EXPECT_EQ(messages, QStringList{QStringLiteral("Save Error!! Please check Set data")});
    EXPECT_EQ(scheduler.RequestKind, KindBattLoad) << "the refused Save posted something";
}

TEST_F(BattDisch, ImpossibleLastTestDateEndsTheTickWithTheDateMessageOnce)
{
    window.Opening();
    Reply("2014133121100085" "21");
    try {
        window.ApplyBattTestBody();
        FAIL() << "no error";
    } catch (const EConvertError& e) {
        EXPECT_STREQ(e.what(), "Invalid argument to date encode");
    }
    EXPECT_EQ(Text(window.pnlLastDate), "2014/13/31");
    EXPECT_NO_THROW(window.ApplyBattTestBody());
}

struct Evaluation {
    const char* what;
    int strings;
    int type;
    const char* previous;
    const char* latest;
    const char* rateCapa; // empty: grey and empty
    const char* capaPrev;
    int verdict;
};

void PrintTo(const Evaluation& e, std::ostream* os)
{
    *os << e.what;
}

class Evaluate : public BattFixture, public ::testing::WithParamInterface<Evaluation> {};

TEST_P(Evaluate, FiguresVerdictAndDates)
{
    const Evaluation& e = GetParam();
    Apply("2014123121000000" "0" + std::to_string(e.strings == 0 ? 1 : e.strings));
    Pick(window.cbbBankQty, e.strings);
    Pick(window.cbBoxBattType, e.type);
    window.edtDT->setText(QString::fromLatin1(e.previous));
    window.edtDTCapa->setText(QString::fromLatin1(e.latest));
    window.pnlNextDate->setText(QStringLiteral("unchanged"));
    window.btnDTset->click();

    EXPECT_EQ(Text(window.pnlRateCapa), e.rateCapa);
    EXPECT_EQ(Background(window.pnlRateCapa), *e.rateCapa ? PanelWindowColour() : LampGrey);
    EXPECT_EQ(Text(window.pnlCapaPrev), e.capaPrev);
    EXPECT_EQ(Background(window.pnlCapaPrev), *e.capaPrev ? PanelWindowColour() : LampGrey);
    EXPECT_EQ(window.BattVerdict, e.verdict);
    QLabel* const lines[] = {window.LabGood, window.Lab12Month, window.LabCapaLow};
    for (int v = 1; v <= 3; ++v) {
        EXPECT_EQ(Background(lines[v - 1]), v == e.verdict ? AlertYellow : MoneyGreen) << v;
        EXPECT_EQ(Foreground(lines[v - 1]), v == e.verdict ? QColor(Qt::black) : LampGrey) << v;
    }
    EXPECT_EQ(Text(window.IntervalBox), "12");
    EXPECT_EQ(window.IntervalBox->itemText(1).toStdString(), e.verdict == 1 ? "24" : "--");
    if (e.strings == 0)
        return; // no strings: the dates were cleared
    EXPECT_EQ(Text(window.pnlNextDate), e.verdict == 1 ? "unchanged" : "2015-12-31");
    EXPECT_EQ(Text(window.pnlNextTestDate), e.verdict == 3 ? "2015-12-31" : "");
    EXPECT_TRUE(errors.isEmpty());
}

INSTANTIATE_TEST_SUITE_P(
    Cases, Evaluate,
    ::testing::Values(Evaluation{"two strings 170 then 150", 2, 0, "170", "150", "87", "88", 2},
                      Evaluation{"exactly 90", 1, 0, "78", "", "90", "", 1},
                      Evaluation{"89", 1, 0, "77", "", "89", "", 2},
                      Evaluation{"exactly 80", 1, 0, "69", "", "80", "", 2},
                      Evaluation{"79", 1, 0, "68", "", "79", "", 3},
                      Evaluation{"M12V155FT exactly 90", 1, 1, "140", "", "90", "", 1},
                      Evaluation{"M12V155FT 89", 1, 1, "139", "", "89", "", 2},
                      Evaluation{"M12V155FT exactly 80", 1, 1, "124", "", "80", "", 2},
                      Evaluation{"M12V155FT 79", 1, 1, "123", "", "79", "", 3},
                      Evaluation{"type M12V155FT", 1, 1, "150", "150", "96", "100", 1},
                      Evaluation{"previous 0", 1, 0, "0", "80", "93", "0", 3},
                      Evaluation{"no strings", 0, 0, "", "", "", "", 1},
                      Evaluation{"nothing entered", 1, 0, "", "", "", "", 1}));

TEST_F(BattDisch, EvaluationEndsSilentlyWithoutAPercentToPrevious)
{
    Apply("2014123121000000" "11");
    window.BattVerdict = 2;
    window.edtDTCapa->setText(QStringLiteral("80"));
    window.pnlCapaPrev->clear();
    window.EvaluateCapacity();
    EXPECT_EQ(Text(window.pnlRateCapa), "93");
    EXPECT_EQ(window.BattVerdict, 2);
    EXPECT_TRUE(errors.isEmpty());
}

// One field changed at a time from the degraded bookkeeping, through the
// window's controls; Save's payload in full.
TEST_F(BattDisch, SavePayloadFieldByField)
{
    const std::pair<const char*, std::function<void()>> changes[] = {
        {"2014123121100085210980", [] {}},
        {"2015010221100085210980", [this] { window.pnlLastDate->setText(QStringLiteral("2015-01-02")); }},
        {"2014123111100085210980", [this] { Pick(window.IntervalBox, 0); }},
        {"2014123122100085210980", [this] { Pick(window.cbBoxBattType, 1); }},
        {"2014123121007085210980", [this] { window.edtDT->setText(QStringLiteral("7")); }},
        {"2014123121000085210980", [this] { window.edtDT->clear(); }},
        {"2014123121100234210980", [this] { window.edtDTCapa->setText(QStringLiteral("1234")); }},
        {"2014123121100000210980", [this] { window.edtDTCapa->clear(); }},
        {"2014123121100085310980", [this] { Apply("2014123121100085" "31"); }},
        {"2014123121100085220980", [this] { Pick(window.cbbBankQty, 2); }},
        {"2014123121100085210050", [this] { window.pnlRateCapa->setText(QStringLiteral("5")); }},
        {"2014123121100085210000", [this] { window.pnlRateCapa->clear(); }},
        {"000000000000000000000", [this] { Pick(window.cbbBankQty, 0); }},
        {"2014123121100085210981", [this] { window.rgMDchOn->click(); }},
    };
    for (const auto& [payload, change] : changes) {
        Apply(DegradedBody);
        change();
        window.btnSetting->click();
        EXPECT_EQ(scheduler.SettingPayload, payload);
        EXPECT_EQ(scheduler.RequestKind, KindBattSet) << payload;
    }
    EXPECT_TRUE(errors.isEmpty()) << errors.join('|').toStdString();
}

// The window's one-second tick may come between Save and the scheduler's
// tick while the 'L' reply is still out: the 'G' goes out all the same, and
// the alert is cleared only then.
TEST_F(BattDisch, SaveGoesOutBeforeTheRepeatedRequestAndThenClearsTheAlert)
{
    Apply(DegradedBody);
    window.Opening();
    testAlertShown = 1;
    frmShow.show();
    window.btnSetting->click();
    EXPECT_EQ(testAlertShown, 1);
    EXPECT_TRUE(frmShow.isVisible());

    window.ApplyBattTestBody();
    scheduler.Tick(line);
    EXPECT_EQ(line.sent, std::vector<std::string>{"G2014123121100085210980"});
    EXPECT_EQ(testAlertShown, 0);
    EXPECT_FALSE(frmShow.isVisible());

    window.ApplyBattTestBody();
    scheduler.Tick(line);
    EXPECT_EQ(line.sent.back(), "L") << "the request did not go on";
}

TEST_F(BattDisch, SaveRefusals)
{
    monitor.Area().SetText("pnlInitial_Time", "None ");
    Apply("0000000021100085" "21");
    window.btnSettingClick();
    EXPECT_EQ(messages, QStringList{QStringLiteral("Save Error!! Please check Set data")});
    EXPECT_EQ(scheduler.SettingPayload, "");

    Apply(DegradedBody);
    window.edtDT->setText(QStringLiteral("1O0"));
    window.btnSetting->click();
    EXPECT_EQ(errors, QStringList{QStringLiteral("'1O0' is not a valid integer value")});
    EXPECT_EQ(scheduler.RequestKind, KindBattLoad);

    // Disconnected: nothing would send it, and the alert stays as it is.
    Apply(DegradedBody);
    connected = false;
    testAlertShown = 1;
    messages.clear();
    window.btnSetting->click();
    EXPECT_EQ(messages, QStringList{QStringLiteral("Save Error!! Not connected")});
    EXPECT_EQ(scheduler.RequestKind, KindBattLoad);
    EXPECT_EQ(testAlertShown, 1);
}

TEST_F(BattDisch, PickingAnIntervalMovesTheNextTestAndALowVerdictsReplacementDate)
{
    struct Case {
        char verdict;
        int picked;
        const char* shown;
        const char* next;
        const char* replace;
    };
    const Case cases[] = {
        {'0', 1, "24", "2016-12-31", "kept"},       {'1', 0, "12", "2015-12-31", "kept"},
        {'1', 1, "24", "2016-12-31", "kept"},       {'2', 1, "12", "2015-12-31", "kept"},
        {'3', 1, "12", "2015-12-31", "2015-12-31"}, {'3', 0, "12", "2015-12-31", "2015-12-31"},
    };
    for (const Case& c : cases) {
        std::string body = "2014123111100085" "01";
        body[16] = c.verdict;
        Apply(body);
        window.pnlNextDate->clear();
        window.pnlNextTestDate->setText(QStringLiteral("kept"));
        Pick(window.IntervalBox, c.picked);
        EXPECT_EQ(Text(window.IntervalBox), c.shown) << c.verdict << c.picked;
        EXPECT_EQ(Text(window.pnlNextDate), c.next) << c.verdict << c.picked;
        EXPECT_EQ(Text(window.pnlNextTestDate), c.replace) << c.verdict << c.picked;
    }
}

TEST_F(BattDisch, StringCountAndTypeChangeTheRatedCapacity)
{
    Apply(DegradedBody);
    Pick(window.cbbBankQty, 0);
    EXPECT_EQ(Text(window.pnlRate), "");
    EXPECT_FALSE(window.edtDT->isEnabled());
    EXPECT_FALSE(window.btnTestDateSet->isEnabled());
    EXPECT_EQ(Text(window.pnlLastDate), "");

    Pick(window.cbbBankQty, 2);
    EXPECT_EQ(Text(window.pnlRate), "172");
    EXPECT_TRUE(window.edtDTCapa->isEnabled());
    Pick(window.cbBoxBattType, 1);
    EXPECT_EQ(Text(window.pnlRate), "310");

    window.edtDT->setText(QStringLiteral("200"));
    window.edtDTCapa->setText(QStringLiteral("150"));
    EXPECT_EQ(Text(window.pnlCapaPrev), "75");
}

} // namespace
