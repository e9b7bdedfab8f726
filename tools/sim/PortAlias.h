#pragma once

// A port alias: a symbolic link named after the port (COM1 -> /dev/pts/7) in
// the per-user ports folder, where the console looks before the fixed device
// names.

#include <filesystem>
#include <string>
#include <string_view>

namespace zelt::sim {

// $HOME/.local/share/zelt6380/ports; throws std::runtime_error without HOME.
std::filesystem::path PortsFolder();

// "COM1" to "COM8", the ports the console offers.
bool IsPortName(std::string_view name);

// Publishes the alias for as long as it lives. A link of that name, dangling
// or not, is replaced; anything else of that name is left alone and the
// constructor throws std::runtime_error with a message for the operator.
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
};

} // namespace zelt::sim
