#pragma once

// Maps the console's port names to device paths.

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

} // namespace zelt
