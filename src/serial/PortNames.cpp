#include "serial/PortNames.h"

#include <QSettings>

#include <cstdlib>
#include <sys/stat.h>
#include <unistd.h>

namespace zelt {

namespace {

// The target of the link folder/name, resolved against the folder when it is
// relative; empty when there is no such link.
std::string LinkTarget(const std::string& folder, const std::string& name)
{
    // Only plain names are looked up, so a name cannot reach outside the folder.
    if (folder.empty() || name.empty() || name.find('/') != std::string::npos || name == "." || name == "..")
        return {};
    const std::string link = folder + "/" + name;
    struct stat info {};
    if (lstat(link.c_str(), &info) != 0 || !S_ISLNK(info.st_mode))
        return {};
    std::string target(4096, '\0');
    const ssize_t n = readlink(link.c_str(), target.data(), target.size() - 1);
    if (n <= 0)
        return {};
    target.resize(static_cast<std::size_t>(n));
    return target[0] == '/' ? target : folder + "/" + target;
}

} // namespace

std::string DefaultPortsFolder()
{
    const char* home = std::getenv("HOME");
    if (home == nullptr || *home == '\0')
        return {};
    return std::string(home) + "/.local/share/zelt6380/ports";
}

std::string ResolvePortDevice(const std::string& name, const std::string& portsFolder)
{
    if (!name.empty() && name[0] == '/')
        return name;
    if (std::string target = LinkTarget(portsFolder, name); !target.empty())
        return target;
    if (name.size() == 4 && name.compare(0, 3, "COM") == 0 && name[3] >= '1' && name[3] <= '8') {
        const int number = name[3] - '1';
        return number < 4 ? "/dev/ttyS" + std::to_string(number) : "/dev/ttyUSB" + std::to_string(number - 4);
    }
    return {};
}

std::optional<NetworkLine> ParseNetworkLine(const QString& url)
{
    NetworkLine line;
    QString rest;
    if (url.startsWith(QLatin1String("tcp://"))) {
        rest = url.mid(6);
    } else if (url.startsWith(QLatin1String("rfc2217://"))) {
        line.telnet = true;
        rest = url.mid(10);
    } else {
        return std::nullopt;
    }
    const qsizetype colon = rest.lastIndexOf(QLatin1Char(':'));
    if (colon <= 0)
        return std::nullopt;
    QString host = rest.left(colon);
    const QString port = rest.mid(colon + 1);
    bool number = false;
    const int portNumber = port.toInt(&number);
    if (!number || portNumber < 1 || portNumber > 65535 || port.startsWith(QLatin1Char('+')))
        return std::nullopt;
    if (host.startsWith(QLatin1Char('[')) && host.endsWith(QLatin1Char(']')))
        host = host.mid(1, host.size() - 2);
    if (host.isEmpty() || host.contains(QLatin1Char('/')) || host.contains(QLatin1Char('[')) ||
        (host.contains(QLatin1Char(':')) && !rest.startsWith(QLatin1Char('['))))
        return std::nullopt;
    line.host = host.toStdString();
    line.port = std::to_string(portNumber);
    line.authority = rest;
    return line;
}

QString MappedPortUrl(const QString& name)
{
    QSettings settings(QSettings::IniFormat, QSettings::UserScope, QStringLiteral("zelt6380"),
                       QStringLiteral("zelt6380"));
    settings.beginGroup(QStringLiteral("ports"));
    return settings.value(name).toString().trimmed();
}

QString PortTarget(const QString& name)
{
    if (const QString url = MappedPortUrl(name); !url.isEmpty())
        return url;
    return QString::fromStdString(ResolvePortDevice(name.toStdString()));
}

QString LineTitle(const QString& name)
{
    const QString target = PortTarget(name);
    return target.isEmpty() || target == name ? name : name + QStringLiteral(" \u2014 ") + target;
}

std::chrono::seconds RawLineSilenceLimit()
{
    QSettings settings(QSettings::IniFormat, QSettings::UserScope, QStringLiteral("zelt6380"),
                       QStringLiteral("zelt6380"));
    bool number = false;
    const int seconds = settings.value(QStringLiteral("network/silence")).toInt(&number);
    return std::chrono::seconds(number && seconds >= 0 ? seconds : NetworkLine().silenceLimit.count());
}

} // namespace zelt
