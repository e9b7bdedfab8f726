// The download driven tick by tick: requests every third tick, its three
// ends, stop, restart, close, and a port that closes under it.

#include "HistoryFixture.h"

using namespace zelt;
using namespace zelt::test;

namespace {

const QString NoAnswer = QStringLiteral(
    "No History data Or Commucation Fail.\rPlease Check the status of system ,And Try again!!");

} // namespace

TEST_F(HistoryFixture, RequestsEveryThirdTickOneRowPerAnswer)
{
    StartDownload();
    Ticks(1);
    EXPECT_EQ(sent, (std::vector<std::string>{"H001"}));
    EXPECT_EQ(window->windowTitle(), QStringLiteral("Alarm History Data"));
    EXPECT_EQ(Buttons(), Running);
    AnswerRow(1);
    Ticks(2);
    EXPECT_EQ(sent.size(), 1u);
    Ticks(1);
    AnswerRow(2);
    Ticks(3);
    EXPECT_EQ(sent, (std::vector<std::string>{"H001", "H002", "H003"}));
    EXPECT_EQ(Cell(1, 2), QStringLiteral("2026/01/30"));
    EXPECT_EQ(download.HistoryRow, 3);
}

// The status digit is decimal: bit 3 (8 and 9) marks the last record, 0 to 7
// ask for the next one, and a hexadecimal letter does not convert, so the
// record is dropped and its row asked again.
TEST_F(HistoryFixture, StatusDigitEndsTheDownloadOnlyWithBitThree)
{
    const std::string digits = "0123456789ABCDEF";
    for (const char digit : digits) {
        SCOPED_TRACE(std::string("status digit ") + digit);
        messages.clear();
        errors.clear();
        scheduler = RequestScheduler{};
        StartDownload();
        Ticks(1);
        HRecord r;
        r.status = std::string(1, digit);
        Answer(r);
        const bool last = digit == '8' || digit == '9';
        const bool malformed = digit >= 'A';
        EXPECT_EQ(timer1.isActive(), !last);
        EXPECT_EQ(messages.size(), last ? 1u : 0u);
        EXPECT_EQ(errors.size(), malformed ? 1 : 0);
        EXPECT_EQ(download.HistoryRow, last || malformed ? 1 : 2);
        EXPECT_EQ(Buttons(), last ? Stopped : Running);
        window->close();
    }
}

// The three ends of a download: the last record, three unanswered requests
// and Stop. Each stops the requests for good, keeps the rows and enables
// restart, close, save and open; only the first two speak.
TEST_F(HistoryFixture, EachEndStopsTheRequestsAndKeepsTheRows)
{
    struct End {
        const char* name;
        std::function<void()> drive;
        std::optional<MessageKind> message;
        QString text;
        int historyState;
    };
    const End ends[] = {
        {"last record", [&] { Ticks(3); AnswerRow(2, true); }, MessageKind::Information,
         QStringLiteral("2 History data\rare Saved!!"), 2},
        {"no answer", [&] { Ticks(9); EXPECT_TRUE(messages.empty()); EXPECT_EQ(sent.size(), 4u); Ticks(3); },
         MessageKind::Error, NoAnswer, 0},
        {"stop", [&] { Ticks(3); window->findChild<QAbstractButton*>(QStringLiteral("bbtReqStop"))->click(); },
         std::nullopt, {}, 2},
    };
    for (const End& end : ends) {
        SCOPED_TRACE(end.name);
        messages.clear();
        sent.clear();
        scheduler = RequestScheduler{};
        StartDownload();
        Ticks(1);
        AnswerRow(1);
        end.drive();
        ASSERT_EQ(messages.size(), end.message ? 1u : 0u);
        if (end.message) {
            EXPECT_EQ(messages[0].kind, *end.message);
            EXPECT_EQ(messages[0].text, end.text);
        }
        EXPECT_FALSE(timer1.isActive());
        EXPECT_EQ(download.HistoryState, end.historyState);
        EXPECT_EQ(Buttons(), Stopped);
        EXPECT_EQ(Cell(0, 1), QStringLiteral("1"));
        EXPECT_EQ(sent.front(), "H001");
        EXPECT_EQ(sent.back(), "H002");
        // After Stop a late answer still fills its row.
        if (!end.message)
            AnswerRow(2);
        EXPECT_EQ(Cell(0, 2), end.message == MessageKind::Error ? QString() : QStringLiteral("2"));
        window->close();
    }
    EXPECT_TRUE(errors.isEmpty());
}

// Closing returns the scheduler to listening; its timer runs again only while
// the main window is connected. A started grid is emptied, a failed one kept
// until the main window clears it.
TEST_F(HistoryFixture, ClosingResumesTheSchedulerOnlyWhileConnected)
{
    for (const bool failed : {false, true}) {
        for (const bool isConnected : {true, false}) {
            SCOPED_TRACE(std::string(failed ? "failed" : "running") + (isConnected ? ", connected" : ", disconnected"));
            connected = isConnected;
            scheduler = RequestScheduler{};
            StartDownload();
            AnswerRow(1);
            if (failed)
                Ticks(10);
            window->edtFileName()->setText(QStringLiteral("x"));
            window->findChild<QAbstractButton*>(QStringLiteral("bbtClose"))->click();
            EXPECT_FALSE(window->isVisible());
            EXPECT_EQ(timer1.isActive(), isConnected);
            EXPECT_EQ(scheduler.RequestKind, KindIdle);
            EXPECT_EQ(download.HistoryState, 0);
            EXPECT_EQ(download.HistoryRow, 1);
            EXPECT_EQ(Buttons(), Running);
            EXPECT_TRUE(window->edtFileName()->text().isEmpty());
            EXPECT_EQ(Cell(0, 1), failed ? QStringLiteral("1") : QString());
            download.ClearGrid();
            EXPECT_EQ(Cell(0, 1), QString());
            EXPECT_EQ(window->Grid().RowCount(), 201);
            // An answer after the close is not asked for.
            AnswerRow(1, true);
            EXPECT_EQ(Cell(0, 1), QString());
            EXPECT_EQ(timer1.isActive(), isConnected);
        }
    }
}

TEST_F(HistoryFixture, RecordNumbersCompareOnTheirLowEightBits)
{
    StartDownload();
    AnswerRow(2);
    EXPECT_EQ(download.HistoryRow, 1);
    AnswerRow(257);
    EXPECT_EQ(download.HistoryRow, 2);
    EXPECT_EQ(Cell(0, 1), QStringLiteral("257"));
}

TEST_F(HistoryFixture, PassingThePageLimitEndsSilentlyWithEveryRowFilled)
{
    StartDownload();
    for (int n = 1; n <= 200; ++n) {
        Ticks(3);
        AnswerRow(n);
    }
    EXPECT_EQ(sent.size(), 200u);
    Ticks(3);
    EXPECT_FALSE(timer1.isActive());
    EXPECT_TRUE(messages.empty());
    EXPECT_EQ(Buttons(), Stopped);
    EXPECT_EQ(sent.size(), 200u);
    EXPECT_EQ(Cell(0, 200), QStringLiteral("200"));
}

TEST_F(HistoryFixture, MalformedRecordsReachTheErrorBoxAndTheRowIsAskedAgain)
{
    StartDownload();
    HRecord bad;
    bad.alarms = "0000000G";
    Ticks(1);
    Answer(bad);
    EXPECT_EQ(errors, QStringList{QStringLiteral("'$G' is not a valid integer value")});
    EXPECT_EQ(Cell(10, 1), QStringLiteral("24.9 V "));
    EXPECT_EQ(Cell(11, 1), QString());
    EXPECT_EQ(download.HistoryRow, 1);
    HRecord noNumber;
    noNumber.number = "0x1";
    Answer(noNumber);
    EXPECT_EQ(errors.size(), 2);
    Ticks(3);
    EXPECT_EQ(sent, (std::vector<std::string>{"H001", "H001"}));
}

TEST_F(HistoryFixture, NewRequestEmptiesTheGridAndStartsAgainAtTheFirstRecord)
{
    StartDownload();
    Ticks(1);
    AnswerRow(1);
    Ticks(3);
    AnswerRow(2, true);
    sent.clear();
    window->Grid().verticalScrollBar()->setValue(50);
    window->findChild<QAbstractButton*>(QStringLiteral("bbtNewInfo"))->click();
    EXPECT_EQ(Buttons(), Running);
    EXPECT_EQ(Cell(0, 1), QString());
    EXPECT_EQ(Cell(35, 2), QString());
    EXPECT_EQ(window->Grid().TopRow(), 1);
    EXPECT_EQ(scheduler.RequestKind, KindHistory);
    Ticks(3);
    EXPECT_EQ(sent, (std::vector<std::string>{"H001"}));
}

TEST_F(HistoryFixture, APortClosedUnderTheDownloadEndsItWithoutAMessage)
{
    StartDownload();
    Ticks(1);
    AnswerRow(1);
    lineOpen = false;
    download.PortClosed(); // the port has shown its own error
    EXPECT_FALSE(timer1.isActive());
    EXPECT_EQ(Buttons(), Stopped);
    EXPECT_TRUE(messages.empty());
    EXPECT_EQ(Cell(0, 1), QStringLiteral("1"));
    EXPECT_TRUE(errors.isEmpty());
}

// While disconnected the timer stays stopped, whether the port is closed or
// the port dialog has opened it: a restart ends at once with the download's
// own message, and nothing is sent.
TEST_F(HistoryFixture, NewRequestWhileDisconnectedEndsAtOnce)
{
    for (const bool portOpen : {false, true}) {
        SCOPED_TRACE(portOpen ? "port open" : "port closed");
        StartDownload();
        Ticks(1);
        AnswerRow(1);
        window->findChild<QAbstractButton*>(QStringLiteral("bbtReqStop"))->click();
        sent.clear();
        messages.clear();
        connected = false;
        lineOpen = portOpen;
        window->findChild<QAbstractButton*>(QStringLiteral("bbtNewInfo"))->click();
        EXPECT_FALSE(timer1.isActive());
        ASSERT_EQ(messages.size(), 1u);
        EXPECT_EQ(messages[0].text, NoAnswer);
        EXPECT_EQ(Buttons(), Stopped);
        EXPECT_EQ(Cell(0, 1), QString());
        EXPECT_TRUE(sent.empty());
        window->close();
        EXPECT_FALSE(timer1.isActive());
        connected = true;
    }
    EXPECT_TRUE(errors.isEmpty());
}
