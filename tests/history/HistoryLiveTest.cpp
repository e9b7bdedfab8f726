// The console's "Alarm History" against the simulated controller over a
// pseudo-terminal, while the controller keeps pushing its status records:
// the modal window is driven from inside its own wait.

#include "HistoryFixture.h"

#include "app/MainForm.h"
#include "common/EventLoop.h"
#include "common/Pty.h"
#include "sim/FakeController.h"

#include <QElapsedTimer>
#include <QTimer>

#include <iostream>
#include <set>

using namespace zelt;
using namespace zelt::test;

namespace {

class LiveHistory : public ::testing::Test {
protected:
    void SetUp() override
    {
        SetMessageSink([this](MessageKind kind, const QString& text, const QString& detail) {
            messages.push_back({kind, text, detail});
        });
        SetStandardErrorSink([this](const QString& message) { errors.append(message); });
    }
    void TearDown() override
    {
        window.reset();
        controller.reset();
        SetMessageSink({});
        SetStandardErrorSink({});
    }

    void Start(int records, int silentFrom = 0, bool connect = true)
    {
        sim::Scenario scenario;
        scenario.historyCount = records;
        scenario.historySilentFrom = silentFrom;
        scenario.rate = 3;
        controller = std::make_unique<sim::FakeController>(pty.Master(), scenario);
        window = std::make_unique<TMain_Form>();
        window->CreateHistoryWindows();
        window->ComPort11().SetDeviceName(QString::fromStdString(pty.SlavePath()));
        if (connect) {
            MainButton("btnConnect")->click();
            ASSERT_TRUE(window->ComPort11().Active());
        }
        controller->startPushing();
    }

    // Presses "Alarm History"; inside the window's modal wait, runs whileOpen
    // and then presses Close.
    void Download(const std::function<void()>& whileOpen)
    {
        bool ran = false;
        QTimer::singleShot(0, [&] {
            whileOpen();
            ran = true;
            Button("bbtClose")->click();
        });
        window->findChild<QAbstractButton*>(QStringLiteral("Alarm_History"))->click();
        EXPECT_TRUE(ran);
    }

    QAbstractButton* MainButton(const char* name)
    {
        return window->findChild<QAbstractButton*>(QString::fromLatin1(name));
    }
    QAbstractButton* Button(const char* name)
    {
        return window->frmHistory()->findChild<QAbstractButton*>(QString::fromLatin1(name));
    }
    QString Cell(int col, int row) { return window->frmHistory()->Grid().Cell(col, row); }
    std::string Buttons()
    {
        std::string flags;
        for (const char* name : {"bbtReqStop", "bbtNewInfo", "bbtClose", "bbtFileSave", "bbtFileOpen"})
            flags += Button(name)->isEnabled() ? '1' : '0';
        return flags;
    }

    // The grid's texts of a row against the simulator's own record.
    void ExpectRowShows(int row)
    {
        const sim::HistoryEntry& e = controller->plant().history.at(static_cast<std::size_t>(row - 1));
        auto tenths = [](int value) { return QStringLiteral("%1.%2 V ").arg(value / 10, 2, 10, QLatin1Char('0')).arg(value % 10); };
        EXPECT_EQ(Cell(0, row), QString::number(row));
        EXPECT_EQ(Cell(1, row), e.when.toString(QStringLiteral("yyyy/MM/dd")));
        EXPECT_EQ(Cell(2, row), e.when.toString(QStringLiteral("HH:mm:ss")));
        EXPECT_EQ(Cell(3, row), tenths(e.dcVolt));
        EXPECT_EQ(Cell(10, row), tenths(e.blocks[3]));
        EXPECT_EQ(Cell(11, row), e.alarmDigits[0] & 1 ? QStringLiteral("F") : QStringLiteral("N"));
        EXPECT_EQ(Cell(35, row), e.alarmDigits[4] & 2 ? QStringLiteral("F") : QStringLiteral("N"));
        EXPECT_EQ(Cell(34, row), e.alarmDigits[7] & 8 ? QStringLiteral("F") : QStringLiteral("N"));
    }

    std::set<std::string> Requests() const
    {
        std::set<std::string> requests;
        for (const std::string& body : controller->receivedBodies())
            if (!body.empty() && body[0] == 'H')
                requests.insert(body);
        return requests;
    }

    void FullDownload(int records, int timeoutMs)
    {
        Start(records);
        QElapsedTimer clock;
        Download([&] {
            clock.start();
            ASSERT_TRUE(WaitUntil([&] { return !messages.empty(); }, timeoutMs));
            std::cout << "[ MEASURED ] " << records << " records in " << clock.elapsed() << " ms\n";
            ASSERT_EQ(messages.size(), 1u);
            EXPECT_EQ(messages[0].kind, MessageKind::Information);
            EXPECT_EQ(messages[0].text, QString::number(records) + QStringLiteral(" History data\rare Saved!!"));
            for (int row = 1; row <= records; ++row)
                ASSERT_EQ(Cell(0, row), QString::number(row)) << "row " << row;
            EXPECT_EQ(Cell(0, records + 1), QString());
            for (const int row : {1, records / 2, records})
                ExpectRowShows(row);
            EXPECT_EQ(Buttons(), Stopped);
            EXPECT_EQ(Requests().size(), static_cast<std::size_t>(records));
            // The status records went on being decoded meanwhile.
            EXPECT_FALSE(window->Status().Area().Text("pnlDC_V").empty());
        });
        EXPECT_EQ(Cell(0, 1), QString());
        EXPECT_EQ(window->Scheduler().RequestKind, KindIdle);
        EXPECT_TRUE(window->Timer1().isActive());
        EXPECT_TRUE(errors.isEmpty()) << errors.join(QLatin1Char('|')).toStdString();
    }

    // The line goes away after the download came to an end: one error, and
    // the main window is back to Disconnected, its timer staying stopped.
    void LoseThePortAfter(const std::function<void()>& end)
    {
        Start(3);
        Download([&] {
            end();
            EXPECT_FALSE(window->Timer1().isActive());
            controller.reset();
            pty.CloseMaster();
            pty.CloseSlave();
            ASSERT_TRUE(WaitUntil([&] { return !errors.isEmpty(); }, 5000));
            Pump(300);
            EXPECT_TRUE(MainButton("btnConnect")->isEnabled());
            EXPECT_FALSE(MainButton("btnDisconnect")->isEnabled());
        });
        EXPECT_FALSE(window->Timer1().isActive());
        EXPECT_EQ(errors.size(), 1) << errors.join(QLatin1Char('|')).toStdString();
    }

    PtyPair pty;
    std::unique_ptr<sim::FakeController> controller;
    std::unique_ptr<TMain_Form> window;
    std::vector<Message> messages;
    QStringList errors;
};

} // namespace

TEST_F(LiveHistory, TwentyFiveRecords)
{
    FullDownload(25, 30000);
}

// About a minute: one request every 300 ms.
TEST_F(LiveHistory, AFullPageOfTwoHundredRecords)
{
    FullDownload(200, 150000);
}

TEST_F(LiveHistory, AControllerFallingSilentEndsTheDownloadWithItsMessage)
{
    Start(25, 5);
    Download([&] {
        ASSERT_TRUE(WaitUntil([&] { return !messages.empty(); }, 20000));
        EXPECT_EQ(messages[0].kind, MessageKind::Error);
        EXPECT_EQ(Cell(0, 4), QStringLiteral("4"));
        EXPECT_EQ(Cell(0, 5), QString());
        EXPECT_EQ(Buttons(), Stopped);
        Pump(700);
        EXPECT_EQ(messages.size(), 1u);
    });
    EXPECT_TRUE(errors.isEmpty());
}

TEST_F(LiveHistory, APortClosingUnderTheDownloadEndsItWithOneError)
{
    Start(25);
    Download([&] {
        ASSERT_TRUE(WaitUntil([&] { return !Cell(0, 3).isEmpty(); }, 20000));
        controller.reset();
        pty.CloseMaster();
        pty.CloseSlave();
        ASSERT_TRUE(WaitUntil([&] { return !errors.isEmpty(); }, 5000));
        Pump(1200);
        EXPECT_EQ(errors.size(), 1) << errors.join(QLatin1Char('|')).toStdString();
        EXPECT_TRUE(messages.empty());
        EXPECT_EQ(Cell(0, 3), QStringLiteral("3"));
        EXPECT_EQ(Buttons(), Stopped);
        EXPECT_FALSE(window->Timer1().isActive());
        // A restart on the closed port ends with the download's own message, once.
        Button("bbtNewInfo")->click();
        Pump(1200);
        EXPECT_EQ(errors.size(), 1);
        EXPECT_EQ(messages.size(), 1u);
        EXPECT_FALSE(window->Timer1().isActive());
    });
    EXPECT_FALSE(window->Timer1().isActive());
}

TEST_F(LiveHistory, APortLostAfterTheLastRecordReachesTheMainWindow)
{
    LoseThePortAfter([&] { ASSERT_TRUE(WaitUntil([&] { return !messages.empty(); }, 10000)); });
}

TEST_F(LiveHistory, APortLostAfterStopReachesTheMainWindow)
{
    LoseThePortAfter([&] {
        ASSERT_TRUE(WaitUntil([&] { return !Cell(0, 1).isEmpty(); }, 10000));
        Button("bbtReqStop")->click();
    });
}

// Never connected: New Request and an immediate Close leave the scheduler
// stopped, whether the port is closed or open (as the port dialog leaves it),
// so a command posted later goes nowhere and raises no error.
TEST_F(LiveHistory, TheSchedulerStaysStoppedWhileDisconnected)
{
    Start(25, 0, false);
    for (const bool portOpen : {false, true}) {
        SCOPED_TRACE(portOpen ? "port open" : "port closed");
        if (portOpen)
            RunGuarded([&] { window->ComPort11().SetActive(true); });
        Download([&] {
            Button("bbtReqStop")->click();
            Button("bbtNewInfo")->click();
            EXPECT_FALSE(window->Timer1().isActive());
        });
        EXPECT_FALSE(window->Timer1().isActive());
        window->Scheduler().PostCommand(KindBattLoad);
        Pump(400);
        EXPECT_TRUE(controller->receivedBodies().empty());
        EXPECT_TRUE(errors.isEmpty()) << errors.join(QLatin1Char('|')).toStdString();
    }
    EXPECT_TRUE(window->ComPort11().Active());
}
