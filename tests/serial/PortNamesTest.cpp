#include "serial/PortNames.h"

#include <QSettings>
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <unistd.h>

namespace zelt {
namespace {

class PortNamesTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        char pattern[] = "/tmp/zelt-ports-XXXXXX";
        folder = mkdtemp(pattern);
    }
    void TearDown() override { std::filesystem::remove_all(folder); }
    std::string folder;
};

TEST_F(PortNamesTest, ComNamesMapToSerialAndUsbDevices)
{
    const struct {
        const char* name;
        const char* device;
    } cases[] = {
        {"COM1", "/dev/ttyS0"},   {"COM4", "/dev/ttyS3"},   {"COM5", "/dev/ttyUSB0"},
        {"COM8", "/dev/ttyUSB3"}, {"/dev/pts/7", "/dev/pts/7"}, {"COM9", ""},
        {"COM0", ""},             {"com1", ""},             {"", ""},
    };
    for (const auto& c : cases)
        EXPECT_EQ(ResolvePortDevice(c.name, folder), c.device) << c.name;
}

TEST_F(PortNamesTest, ALinkInThePortsFolderWins)
{
    symlink("/dev/ttyACM0", (folder + "/COM3").c_str());
    symlink("../elsewhere/tty", (folder + "/COM6").c_str());
    symlink("/dev/ttyACM1", (folder + "/sim").c_str());
    EXPECT_EQ(ResolvePortDevice("COM3", folder), "/dev/ttyACM0");
    EXPECT_EQ(ResolvePortDevice("COM6", folder), folder + "/../elsewhere/tty");
    EXPECT_EQ(ResolvePortDevice("sim", folder), "/dev/ttyACM1");
    EXPECT_EQ(ResolvePortDevice("COM2", folder), "/dev/ttyS1");
}

TEST_F(PortNamesTest, OnlyLinksAndOnlyPlainNamesAreLookedUp)
{
    std::filesystem::create_directory(folder + "/sub");
    symlink("/dev/ttyACM0", (folder + "/sub/COM1").c_str());
    { FILE* f = fopen((folder + "/COM2").c_str(), "w"); fclose(f); }
    EXPECT_EQ(ResolvePortDevice("sub/COM1", folder), "");
    EXPECT_EQ(ResolvePortDevice("COM2", folder), "/dev/ttyS1");
}

TEST_F(PortNamesTest, TheDefaultFolderIsReadFromHomeAtEachCall)
{
    const char* home = std::getenv("HOME");
    const std::string saved = home != nullptr ? home : "";
    setenv("HOME", folder.c_str(), 1);
    EXPECT_EQ(DefaultPortsFolder(), folder + "/.local/share/zelt6380/ports");
    std::filesystem::create_directories(DefaultPortsFolder());
    symlink("/dev/ttyACM2", (DefaultPortsFolder() + "/COM1").c_str());
    EXPECT_EQ(ResolvePortDevice("COM1"), "/dev/ttyACM2");
    unsetenv("HOME");
    EXPECT_EQ(DefaultPortsFolder(), "");
    EXPECT_EQ(ResolvePortDevice("COM1"), "/dev/ttyS0");
    if (home != nullptr)
        setenv("HOME", saved.c_str(), 1);
}

// An error box about a line is titled with the name and what it opens.
TEST_F(PortNamesTest, ALineTitleNamesThePortAndWhatItOpens)
{
    const char* home = std::getenv("HOME");
    const std::string saved = home != nullptr ? home : "";
    setenv("HOME", folder.c_str(), 1);
    QSettings::setPath(QSettings::IniFormat, QSettings::UserScope, QString::fromStdString(folder));
    QSettings(QSettings::IniFormat, QSettings::UserScope, "zelt6380", "zelt6380")
        .setValue("ports/COM3", "rfc2217://ts-07:4001");
    const struct {
        const char* name;
        const char* title;
    } cases[] = {
        {"COM3", "COM3 \u2014 rfc2217://ts-07:4001"}, {"COM1", "COM1 \u2014 /dev/ttyS0"},
        {"COM6", "COM6 \u2014 /dev/ttyUSB1"},           {"/dev/pts/4", "/dev/pts/4"},
        {"tcp://h:4001", "tcp://h:4001"},               {"COM9", "COM9"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(LineTitle(QString::fromUtf8(c.name)).toStdString(), c.title) << c.name;
    if (home != nullptr)
        setenv("HOME", saved.c_str(), 1);
}

} // namespace
} // namespace zelt
