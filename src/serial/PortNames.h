#pragma once

// Maps the console's port names to device paths or network lines.

#include <QString>

#include <chrono>
#include <optional>
#include <string>

namespace zelt {

// The per-user folder of port links: $HOME/.local/share/zelt6380/ports, read
// at each call; empty when HOME is not set.
std::string DefaultPortsFolder();

// The device path for a port name: a name starting with "/" is a path; a
// symbolic link named after the port in portsFolder wins (COM3 -> /dev/ttyACM0);
// otherwise "COM1".."COM4" are /dev/ttyS0..3 and "COM5".."COM8" /dev/ttyUSB0..3.
// Any other name resolves to the empty string (no such device).
std::string ResolvePortDevice(const std::string& name, const std::string& portsFolder = DefaultPortsFolder());

// A serial line reached through a terminal server: tcp://HOST:PORT is the
// raw byte stream, rfc2217://HOST:PORT a Telnet session with the COM port
// control option. An IPv6 literal HOST goes in brackets.
struct NetworkLine {
    bool telnet = false;
    std::string host; // without the brackets
    std::string port;
    QString authority; // HOST:PORT as written
    // A raw line that brings no byte for this long counts as dropped; zero: never.
    std::chrono::seconds silenceLimit {30};
};
std::optional<NetworkLine> ParseNetworkLine(const QString& url);

// The network line a port name stands for in the console's settings file
// (group "ports", key the name: COM3=rfc2217://10.20.0.5:4001); empty when
// none. A mapping wins over a link in the ports folder.
QString MappedPortUrl(const QString& name);

// What a port name opens, as the port dialogs show it: its network address,
// or the device path.
QString PortTarget(const QString& name);

// The port name and what it opens, "COM3 — rfc2217://ts-07:4001" or
// "COM1 — /dev/ttyS0", so that an error about a line says which one; the
// name alone when it is itself the address or path.
QString LineTitle(const QString& name);

// How long a raw network line may stay silent, from the settings file
// (group "network", key "silence", seconds; 0 turns the limit off); 30 s
// when not set.
std::chrono::seconds RawLineSilenceLimit();

} // namespace zelt
