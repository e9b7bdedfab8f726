// The zelt6380-sim program itself: it publishes its alias, logs, and takes
// the alias down again on SIGTERM and SIGINT.

#include "TempHome.h"

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
