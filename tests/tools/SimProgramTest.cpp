// The zelt6380-sim program itself: it publishes its alias, logs, and takes
// the alias down again on SIGTERM and SIGINT.

#include "TempHome.h"
#include "common/Loopback.h"

#include <QCoreApplication>
#include <QFileInfo>
#include <QProcess>
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

        ::kill(static_cast<pid_t>(sim.processId()), sig);
        ASSERT_TRUE(sim.waitForFinished(5000));
        EXPECT_EQ(sim.exitStatus(), QProcess::NormalExit);
        EXPECT_EQ(sim.exitCode(), 0);
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

} // namespace
} // namespace zelt::sim
