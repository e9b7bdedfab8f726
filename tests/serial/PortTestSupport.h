#pragma once

// Shared by the serial suites: a port on a fresh pseudo-terminal, the
// standard error display captured, and counts of the process's descriptors
// and threads.

#include "common/EventLoop.h"
#include "common/Pty.h"
#include "serial/ComPort.h"
#include "serial/PortWindows.h"
#include "ui/StandardError.h"

#include <QStringList>
#include <gtest/gtest.h>

#include <dirent.h>
#include <string>

namespace zelt::test {

// Entries of a /proc/self folder ("fd" or "task").
inline int CountProcEntries(const char* folder)
{
    const std::string path = std::string("/proc/self/") + folder;
    DIR* dir = opendir(path.c_str());
    int count = 0;
    while (const dirent* entry = readdir(dir))
        if (entry->d_name[0] != '.')
            ++count;
    closedir(dir);
    return count;
}

class PortTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        SetStandardErrorSink([this](const QString& message) { errors.append(message); });
        ShowPortInWindows(port);
        port.SetDeviceName(QString::fromStdString(pty.SlavePath()));
    }
    void TearDown() override
    {
        port.SetActive(false);
        SetStandardErrorSink({});
    }

    // The console's line settings.
    void UsePlantSettings()
    {
        port.SetBaudRate(br57600);
        port.SetDataBits(db8);
        port.SetParity(paNone);
        port.SetStopBits(sb1);
    }

    PtyPair pty;
    QStringList errors; // what reached the standard error display
    tcomport2 port;
};

} // namespace zelt::test
