#pragma once

// Points HOME at a fresh temporary folder for the life of the object, so that
// port aliases never touch the real home.

#include <QByteArray>
#include <QTemporaryDir>
#include <cstdlib>
#include <filesystem>
#include <string>

namespace zelt::sim::test {

class TempHome {
public:
    TempHome() : saved_(qgetenv("HOME")), hadHome_(qEnvironmentVariableIsSet("HOME"))
    {
        qputenv("HOME", dir_.path().toLocal8Bit());
    }
    ~TempHome()
    {
        if (hadHome_)
            qputenv("HOME", saved_);
        else
            qunsetenv("HOME");
    }
    TempHome(const TempHome&) = delete;
    TempHome& operator=(const TempHome&) = delete;

    std::filesystem::path path() const { return dir_.path().toStdString(); }
    std::filesystem::path ports() const { return path() / ".local" / "share" / "zelt6380" / "ports"; }

private:
    QTemporaryDir dir_;
    QByteArray saved_;
    bool hadHome_;
};

} // namespace zelt::sim::test
