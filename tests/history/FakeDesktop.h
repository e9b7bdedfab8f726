#pragma once

// A desktop of the test's own: the XDG config and data folders point into a
// temporary folder for the life of the object, and text/plain is registered
// there with the desktop entries the test writes.

#include <QByteArray>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <map>
#include <string>

namespace zelt::test {

class FakeDesktop {
public:
    // isolated: the system's config and data folders are left out as well.
    explicit FakeDesktop(bool isolated)
    {
        Set("XDG_CONFIG_HOME", Path("config"));
        Set("XDG_DATA_HOME", Path("data"));
        if (isolated) {
            Set("XDG_CONFIG_DIRS", Path("etc"));
            Set("XDG_DATA_DIRS", Path("usr"));
        }
        QDir().mkpath(Path("data/applications"));
        QDir().mkpath(Path("usr/applications"));
    }
    ~FakeDesktop()
    {
        for (const auto& [name, value] : saved_)
            if (value.isNull())
                qunsetenv(name.c_str());
            else
                qputenv(name.c_str(), value);
    }
    FakeDesktop(const FakeDesktop&) = delete;
    FakeDesktop& operator=(const FakeDesktop&) = delete;

    QString Path(const QString& relative) const { return dir_.filePath(relative); }

    // Writes a file under the temporary folder, its folder made as needed.
    void Write(const QString& relative, const QByteArray& text) const
    {
        QDir().mkpath(QFileInfo(Path(relative)).path());
        QFile file(Path(relative));
        file.open(QIODevice::WriteOnly);
        file.write(text);
    }

private:
    void Set(const char* name, const QString& value)
    {
        saved_.emplace(name, qEnvironmentVariableIsSet(name) ? qgetenv(name) : QByteArray());
        qputenv(name, value.toLocal8Bit());
    }

    QTemporaryDir dir_;
    std::map<std::string, QByteArray> saved_;
};

} // namespace zelt::test
