// The download driven tick by tick: requests every third tick, its three
// ends, stop, restart, close, and a port that closes under it.

#include "HistoryFixture.h"

using namespace zelt;
using namespace zelt::test;

namespace {

const QString NoAnswer = QStringLiteral(
    "No History data Or Commucation Fail.\rPlease Check the status of system ,And Try again!!");

} // namespace

TEST_F(HistoryFixture, RequestsEveryThirdTickUntilTheLastRecord)
{
    StartDownload();
    Ticks(1);
    EXPECT_EQ(sent, (std::vector<std::string>{"H001"}));
    EXPECT_EQ(window->windowTitle(), QStringLiteral("Alarm History Data"));
    EXPECT_EQ(Buttons(), Running);
    AnswerRow(1);
    Ticks(3);
    AnswerRow(2);
    Ticks(3);
    EXPECT_EQ(sent, (std::vector<std::string>{"H001", "H002", "H003"}));
    AnswerRow(3, true);
    ASSERT_EQ(messages.size(), 1u);
    EXPECT_EQ(messages[0].kind, MessageKind::Information);
    EXPECT_EQ(messages[0].text, QStringLiteral("3 History data\rare Saved!!"));
    EXPECT_FALSE(timer1.isActive());
    EXPECT_EQ(Buttons(), Stopped);
    EXPECT_EQ(download.HistoryRow, 3);
    EXPECT_EQ(Cell(0, 3), QStringLiteral("3"));
    EXPECT_EQ(Cell(1, 2), QStringLiteral("2026/01/30"));
    EXPECT_TRUE(errors.isEmpty());
}

TEST_F(HistoryFixture, ThreeUnansweredRequestsEndTheDownloadAtTheFourth)
{
    StartDownload();
    AnswerRow(1);
    Ticks(9);
    EXPECT_EQ(sent, (std::vector<std::string>{"H002", "H002", "H002"}));
    EXPECT_TRUE(messages.empty());
    Ticks(1);
    ASSERT_EQ(messages.size(), 1u);
    EXPECT_EQ(messages[0].kind, MessageKind::Error);
    EXPECT_EQ(messages[0].text, NoAnswer);
    EXPECT_FALSE(timer1.isActive());
    EXPECT_EQ(download.HistoryState, 0);
    EXPECT_EQ(Buttons(), Stopped);
    EXPECT_EQ(Cell(0, 1), QStringLiteral("1"));
    EXPECT_EQ(Cell(0, 2), QString());
    Ticks(30);
    EXPECT_EQ(sent.size(), 3u);
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

TEST_F(HistoryFixture, StopHaltsRequestsButALateAnswerStillFillsItsRow)
{
    StartDownload();
    Ticks(1);
    window->findChild<QAbstractButton*>(QStringLiteral("bbtReqStop"))->click();
    EXPECT_EQ(Buttons(), Stopped);
    EXPECT_FALSE(timer1.isActive());
    AnswerRow(1);
    EXPECT_EQ(Cell(0, 1), QStringLiteral("1"));
    Ticks(10);
    EXPECT_EQ(sent.size(), 1u);
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

TEST_F(HistoryFixture, ClosingRestoresTheSchedulerAndEmptiesAStartedGrid)
{
    StartDownload();
    Ticks(1);
    AnswerRow(1);
    window->edtFileName()->setText(QStringLiteral("x"));
    window->findChild<QAbstractButton*>(QStringLiteral("bbtClose"))->click();
    EXPECT_FALSE(window->isVisible());
    EXPECT_EQ(Cell(0, 1), QString());
    EXPECT_TRUE(window->edtFileName()->text().isEmpty());
    EXPECT_EQ(scheduler.RequestKind, KindIdle);
    EXPECT_TRUE(timer1.isActive());
    EXPECT_EQ(download.HistoryState, 0);
    EXPECT_EQ(download.HistoryRow, 1);
    EXPECT_EQ(Buttons(), Running);
    // An answer after the close is not asked for.
    AnswerRow(1, true);
    EXPECT_EQ(Cell(0, 1), QString());
    EXPECT_TRUE(messages.empty());
    EXPECT_TRUE(timer1.isActive());
}

TEST_F(HistoryFixture, AFailedDownloadKeepsItsRowsWhenClosed)
{
    StartDownload();
    AnswerRow(1);
    Ticks(10);
    ASSERT_EQ(messages.size(), 1u);
    window->close();
    EXPECT_EQ(Cell(0, 1), QStringLiteral("1"));
    download.ClearGrid();
    EXPECT_EQ(Cell(0, 1), QString());
    EXPECT_EQ(window->Grid().RowCount(), 201);
}

TEST_F(HistoryFixture, APortClosedUnderTheDownloadEndsItOnce)
{
    StartDownload();
    Ticks(1);
    AnswerRow(1);
    lineOpen = false;
    download.PortClosed(); // the port has shown its own error
    timer1.stop();         // as the main window falls back to disconnected
    scheduler.RequestKind = KindIdle;
    EXPECT_EQ(Buttons(), Stopped);
    EXPECT_TRUE(messages.empty());
    EXPECT_EQ(Cell(0, 1), QStringLiteral("1"));

    // A restart on the closed port ends at its first tick with one message.
    window->findChild<QAbstractButton*>(QStringLiteral("bbtNewInfo"))->click();
    Ticks(30);
    EXPECT_EQ(messages.size(), 1u);
    EXPECT_EQ(sent.size(), 1u);
    EXPECT_FALSE(timer1.isActive());
    EXPECT_EQ(Buttons(), Stopped);
    // Closing does not start the scheduler on a closed port.
    window->close();
    EXPECT_FALSE(timer1.isActive());
    EXPECT_TRUE(errors.isEmpty());
}
