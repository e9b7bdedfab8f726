#pragma once

// A port alias: a symbolic link named after the port (COM1 -> /dev/pts/7) in
// the per-user ports folder, where the console looks before the fixed device
// names.

#include "sim/PortLock.h"

#include <filesystem>
#include <optional>
#include <string>
#include <string_view>

namespace zelt::sim {

// $HOME/.local/share/zelt6380/ports; throws std::runtime_error without HOME.
std::filesystem::path PortsFolder();

// "COM1" to "COM8", the ports the console offers.
bool IsPortName(std::string_view name);

// Publishes the alias for as long as it lives, holding the name's lock
// (PortLock) meanwhile. A name another running simulator holds is refused;
// a link of that name left by one that is gone, dangling or not, is
// replaced; anything else of that name is left alone. Refusals throw
// std::runtime_error with a message for the operator.
class PortAlias {
public:
    PortAlias(const std::string& port, const std::string& target);
    ~PortAlias();
    PortAlias(const PortAlias&) = delete;
    PortAlias& operator=(const PortAlias&) = delete;

    const std::filesystem::path& path() const { return path_; }

private:
    std::filesystem::path path_;
    std::string target_;
    std::optional<PortLock> lock_;
};

} // namespace zelt::sim
