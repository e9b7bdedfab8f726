// The zelt6380-sim program itself: it publishes its alias, logs, takes the
// alias down again on SIGTERM and SIGINT, keeps a name from a second
// simulator; and ./run's start script, which sends its log to a file.

#include "TempHome.h"
#include "common/Loopback.h"

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QDir>
#include <QFileInfo>
#include <QProcess>
#include <QTemporaryDir>
#include <csignal>
#include <gtest/gtest.h>

namespace fs = std::filesystem;

namespace zelt::sim {
namespace {

QString ProgramPath()
{
    return QCoreApplication::applicationDirPath() + "/../tools/zelt6380-sim";
}

TEST(SimProgram, AliasLivesAsLongAsTheProgram)
{
    if (!QFileInfo(ProgramPath()).isExecutable())
        GTEST_SKIP() << "zelt6380-sim not built";
    for (const int sig : {SIGTERM, SIGINT}) {
        SCOPED_TRACE(sig);
        test::TempHome home;
        QProcess sim;
        sim.start(ProgramPath(), {"--port", "COM6", "--rate", "5"});
        ASSERT_TRUE(sim.waitForStarted(3000));
        ASSERT_TRUE(sim.waitForReadyRead(5000));
        const QString first = QString::fromLocal8Bit(sim.readLine());
        EXPECT_TRUE(first.startsWith("zelt6380-sim: COM6 is /dev/pts/")) << first.toStdString();
        const fs::path link = home.ports() / "COM6";
        ASSERT_TRUE(fs::is_symlink(link));
        EXPECT_NE(first.toStdString().find(fs::read_symlink(link).string()), std::string::npos);

        // Record lines follow, each a time stamp, a direction and a frame.
        ASSERT_TRUE(sim.canReadLine() || sim.waitForReadyRead(5000));
        const QString record = QString::fromLocal8Bit(sim.readLine());
        EXPECT_TRUE(record.contains(" -> R ")) << record.toStdString();

        // SIGUSR1 starts a discharge test at once and says so.
        ::kill(static_cast<pid_t>(sim.processId()), SIGUSR1);
        QByteArray log;
        for (QDeadlineTimer deadline(5000); !log.contains("zelt6380-sim: discharge test started\n") &&
                                            !deadline.hasExpired();)
            if (sim.waitForReadyRead(100))
                log += sim.readAll();
        EXPECT_TRUE(log.contains("zelt6380-sim: discharge test started\n"));

        ::kill(static_cast<pid_t>(sim.processId()), sig);
        ASSERT_TRUE(sim.waitForFinished(5000));
        EXPECT_EQ(sim.exitStatus(), QProcess::NormalExit);
        EXPECT_EQ(sim.exitCode(), 0);
        EXPECT_TRUE(sim.readAll().trimmed().endsWith("zelt6380-sim: stopped"));
        std::error_code ec;
        EXPECT_FALSE(fs::exists(fs::symlink_status(link, ec)));
    }
}

TEST(SimProgram, ListenServesOneClientAtATimeOnTcp)
{
    if (!QFileInfo(ProgramPath()).isExecutable())
        GTEST_SKIP() << "zelt6380-sim not built";
    int port = 0;
    {
        zelt::test::Listener probe; // a port free a moment ago
        port = probe.Port();
    }
    QProcess sim;
    sim.start(ProgramPath(), {"--listen", QString::number(port), "--rate", "5"});
    ASSERT_TRUE(sim.waitForReadyRead(5000));
    EXPECT_TRUE(sim.readLine().startsWith("zelt6380-sim: listening on 127.0.0.1:"));
    const auto dial = [port] {
        const int fd = socket(AF_INET, SOCK_STREAM, 0);
        sockaddr_in a {};
        a.sin_family = AF_INET;
        a.sin_port = htons(static_cast<std::uint16_t>(port));
        a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        ::connect(fd, reinterpret_cast<sockaddr*>(&a), sizeof a);
        return fd;
    };
    const int first = dial();
    EXPECT_EQ(zelt::test::ReceiveBytes(first, 2, 3000), "\x02R");
    const int second = dial();
    EXPECT_EQ(zelt::test::ReceiveBytes(second, 1, 3000), ""); // closed at once
    close(first);
    close(second);
    sim.terminate();
    EXPECT_TRUE(sim.waitForFinished(5000));
    EXPECT_TRUE(sim.readAll().contains("zelt6380-sim: stopped\n")); // "-- client gone" may come after it
}

TEST(SimProgram, RefusesToReplaceWhatIsNoLink)
{
    if (!QFileInfo(ProgramPath()).isExecutable())
        GTEST_SKIP() << "zelt6380-sim not built";
    test::TempHome home;
    fs::create_directories(home.ports() / "COM7");
    QProcess sim;
    sim.start(ProgramPath(), {"--port", "COM7"});
    ASSERT_TRUE(sim.waitForFinished(5000));
    EXPECT_EQ(sim.exitCode(), 1);
    EXPECT_TRUE(sim.readAllStandardError().contains("is not a port alias"));
    EXPECT_TRUE(fs::is_directory(home.ports() / "COM7"));
}

TEST(SimProgram, AWrongCommandLineSaysSoInOneLine)
{
    if (!QFileInfo(ProgramPath()).isExecutable())
        GTEST_SKIP() << "zelt6380-sim not built";
    QProcess sim;
    sim.start(ProgramPath(), {"--verbose"});
    ASSERT_TRUE(sim.waitForFinished(5000));
    EXPECT_EQ(sim.exitCode(), 2);
    EXPECT_EQ(sim.readAllStandardError(), "zelt6380-sim: unknown option '--verbose'; try --help\n");
    EXPECT_TRUE(sim.readAllStandardOutput().isEmpty());

    QProcess help; // asked for, the usage is no error
    help.start(ProgramPath(), {"--help"});
    ASSERT_TRUE(help.waitForFinished(5000));
    EXPECT_EQ(help.exitCode(), 0);
    EXPECT_TRUE(help.readAllStandardOutput().startsWith("usage:"));
}

// A name is held by the running simulator that took it, not by whichever
// started last; once its owner is gone (killed, its link and lock file left
// behind) the next simulator takes it over.
TEST(SimProgram, ASecondSimulatorOnTheSameNameIsRefused)
{
    if (!QFileInfo(ProgramPath()).isExecutable())
        GTEST_SKIP() << "zelt6380-sim not built";
    test::TempHome home;
    const fs::path link = home.ports() / "COM4";
    QProcess first;
    first.start(ProgramPath(), {"--port", "COM4"});
    ASSERT_TRUE(first.waitForReadyRead(5000));
    const fs::path firstTarget = fs::read_symlink(link);

    QProcess second;
    second.start(ProgramPath(), {"--port", "COM4"});
    ASSERT_TRUE(second.waitForFinished(5000));
    EXPECT_EQ(second.exitCode(), 1);
    EXPECT_EQ(second.readAllStandardError(),
              "zelt6380-sim: COM4 is taken by another running zelt6380-sim (process " + QByteArray::number(first.processId())
                  + "); stop it or use another --port\n");
    EXPECT_EQ(fs::read_symlink(link), firstTarget);
    EXPECT_EQ(first.state(), QProcess::Running);

    first.kill();
    ASSERT_TRUE(first.waitForFinished(5000));
    ASSERT_TRUE(fs::is_symlink(link));
    QProcess third;
    third.start(ProgramPath(), {"--port", "COM4"});
    ASSERT_TRUE(third.waitForReadyRead(5000));
    EXPECT_TRUE(third.readLine().startsWith("zelt6380-sim: COM4 is /dev/pts/"));
    EXPECT_EQ(third.state(), QProcess::Running);
    third.terminate();
    ASSERT_TRUE(third.waitForFinished(5000));
    EXPECT_FALSE(fs::exists(fs::symlink_status(link)));
}

// ./run's start script with a stand-in console and simulator.
class StartConsole : public ::testing::Test {
protected:
    void Script(const QString& name, const QByteArray& text)
    {
        const QString path = build.filePath(name);
        QDir().mkpath(QFileInfo(path).path());
        QFile file(path);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write("#!/bin/sh\n" + text);
        file.close();
        file.setPermissions(QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    }
    void Start(const QStringList& simFlags)
    {
        Script("zelt6380", "echo console\n");
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert("DISPLAY", ":99");
        start.setProcessEnvironment(env);
        start.start(QStringLiteral(ZELT_TEST_SOURCE_DIR "/../../scripts/start-console"),
                    QStringList{build.path(), "start"} + simFlags);
        ASSERT_TRUE(start.waitForFinished(20000));
    }
    QTemporaryDir build;
    QProcess start;
};

// The terminal gets one line naming the log, the log gets the simulator's output.
TEST_F(StartConsole, TheSimulatorLogsIntoAFile)
{
    Script("tools/zelt6380-sim", "echo \"zelt6380-sim: COM1 is /dev/pts/9 ($*)\"\n"
                                 "while :; do echo '12:00:00.000 -> R 535'; sleep 0.05; done\n");
    Start({});
    EXPECT_EQ(start.exitCode(), 0);
    const QString log = build.filePath("zelt6380-sim.log");
    EXPECT_EQ(start.readAllStandardOutput(),
              "start: controller simulator on COM1, its log in " + log.toLocal8Bit() + "\nconsole\n");
    QFile logFile(log);
    ASSERT_TRUE(logFile.open(QIODevice::ReadOnly));
    const QByteArray logged = logFile.readAll();
    EXPECT_TRUE(logged.startsWith("zelt6380-sim: COM1 is /dev/pts/9 (--port COM1)\n12:00:00.000 -> R 535\n"))
        << logged.toStdString();
}

// A simulator that will not run stops the start before the console opens,
// with its own words and a status that tells refused flags from a failure.
TEST_F(StartConsole, ASimulatorThatEndsAtOnceOpensNoConsole)
{
    const struct {
        QStringList flags;
        int simStatus;
        int startStatus;
    } cases[] = {{{"--bogus"}, 2, 2}, {{}, 1, 1}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.simStatus);
        Script("tools/zelt6380-sim", "echo \"zelt6380-sim: no good\" >&2\nexit " + QByteArray::number(c.simStatus) + "\n");
        Start(c.flags);
        EXPECT_EQ(start.exitCode(), c.startStatus);
        EXPECT_FALSE(start.readAllStandardOutput().contains("console"));
        EXPECT_TRUE(start.readAllStandardError().contains("zelt6380-sim: no good"));
    }
}

TEST_F(StartConsole, HelpIsTheSimulatorsAndStartsNothing)
{
    Script("tools/zelt6380-sim", "echo \"usage $*\"\n");
    Start({"--discharge", "20", "--help"});
    EXPECT_EQ(start.exitCode(), 0);
    EXPECT_EQ(start.readAllStandardOutput(), "usage --help\n");
}

} // namespace
} // namespace zelt::sim
