// The port alias in the per-user ports folder, under a temporary HOME.

#include "TempHome.h"

#include "sim/PortAlias.h"

#include <fstream>
#include <unistd.h>
#include <gtest/gtest.h>

namespace fs = std::filesystem;

namespace zelt::sim {
namespace {

using test::TempHome;

TEST(PortAlias, AppearsAndDisappears)
{
    TempHome home;
    const fs::path link = home.ports() / "COM1";
    {
        PortAlias alias("COM1", "/dev/pts/77");
        EXPECT_EQ(alias.path(), link);
        ASSERT_TRUE(fs::is_symlink(link));
        EXPECT_EQ(fs::read_symlink(link), "/dev/pts/77");
    }
    std::error_code ec;
    EXPECT_FALSE(fs::exists(fs::symlink_status(link, ec)));
    // No temporary link is left behind in the folder.
    EXPECT_TRUE(fs::is_empty(home.ports()));
}

TEST(PortAlias, ReplacesAnOldLink)
{
    TempHome home;
    fs::create_directories(home.ports());
    const fs::path tty = home.path() / "tty";
    std::ofstream(tty).put('x');
    for (const fs::path& old : {fs::path("/nonexistent/pts/3"), tty}) { // dangling, then live
        SCOPED_TRACE(old.string());
        fs::create_symlink(old, home.ports() / "COM3");
        {
            PortAlias alias("COM3", "/dev/pts/78");
            EXPECT_EQ(fs::read_symlink(home.ports() / "COM3"), "/dev/pts/78");
        }
        std::error_code ec;
        EXPECT_FALSE(fs::exists(fs::symlink_status(home.ports() / "COM3", ec)));
    }
}

TEST(PortAlias, RefusesWhatIsNoLink)
{
    TempHome home;
    fs::create_directories(home.ports() / "COM4");
    std::ofstream(home.ports() / "COM2") << "keep";
    for (const char* port : {"COM2", "COM4"}) {
        EXPECT_THROW(PortAlias(port, "/dev/pts/79"), std::runtime_error) << port;
        EXPECT_FALSE(fs::is_symlink(home.ports() / port)) << port;
    }
    std::ifstream kept(home.ports() / "COM2");
    std::string text;
    kept >> text;
    EXPECT_EQ(text, "keep");
}

TEST(PortAlias, LeavesALinkSomeoneElseTook)
{
    TempHome home;
    const fs::path link = home.ports() / "COM5";
    {
        PortAlias alias("COM5", "/dev/pts/80");
        fs::remove(link);
        fs::create_symlink("/dev/pts/81", link);
    }
    ASSERT_TRUE(fs::is_symlink(link));
    EXPECT_EQ(fs::read_symlink(link), "/dev/pts/81");
}

// The lock decides, not the link: a held name is refused even though its
// pseudo-terminal does not exist, and a name whose lock nobody holds (a
// crashed owner's link and lock file left behind) is taken over.
TEST(PortAlias, OneOwnerPerName)
{
    TempHome home;
    const fs::path link = home.ports() / "COM2";
    {
        PortAlias first("COM2", "/nonexistent/pts/70");
        try {
            PortAlias second("COM2", "/dev/pts/71");
            ADD_FAILURE() << "a held name was taken";
        } catch (const std::runtime_error& e) {
            EXPECT_EQ(std::string(e.what()), "COM2 is taken by another running zelt6380-sim (process "
                                                 + std::to_string(getpid()) + "); stop it or use another --port");
        }
        EXPECT_EQ(fs::read_symlink(link), "/nonexistent/pts/70");
        const PortAlias other("COM3", "/dev/pts/72");
    }
    fs::create_symlink("/dev/pts/70", link);
    std::ofstream(home.ports() / "COM2.lock") << "999999\n";
    {
        const PortAlias next("COM2", "/dev/pts/73");
        EXPECT_EQ(fs::read_symlink(link), "/dev/pts/73");
    }
    EXPECT_TRUE(fs::is_empty(home.ports()));
}

TEST(PortAlias, OnlyThePortsOfTheConsole)
{
    TempHome home;
    for (const char* bad : {"COM0", "COM9", "COM10", "com1", "../COM1", "", "LPT1"}) {
        EXPECT_FALSE(IsPortName(bad)) << bad;
        EXPECT_THROW(PortAlias(bad, "/dev/pts/1"), std::runtime_error) << bad;
    }
    for (const char* good : {"COM1", "COM8"})
        EXPECT_TRUE(IsPortName(good)) << good;
}

} // namespace
} // namespace zelt::sim
