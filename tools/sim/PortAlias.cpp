#include "sim/PortAlias.h"

#include <cstdlib>
#include <stdexcept>
#include <system_error>
#include <unistd.h>

namespace fs = std::filesystem;

namespace zelt::sim {

fs::path PortsFolder()
{
    const char* home = std::getenv("HOME");
    if (!home || !*home)
        throw std::runtime_error("HOME is not set: no ports folder to publish the port in");
    return fs::path(home) / ".local" / "share" / "zelt6380" / "ports";
}

bool IsPortName(std::string_view name)
{
    return name.size() == 4 && name.substr(0, 3) == "COM" && name[3] >= '1' && name[3] <= '8';
}

PortAlias::PortAlias(const std::string& port, const std::string& target) : target_(target)
{
    if (!IsPortName(port))
        throw std::runtime_error("'" + port + "' is not a port name (COM1 to COM8)");
    const fs::path folder = PortsFolder();
    std::error_code ec;
    fs::create_directories(folder, ec);
    if (ec)
        throw std::runtime_error("cannot create " + folder.string() + ": " + ec.message());
    path_ = folder / port;
    lock_.emplace(folder / (port + ".lock"), port);

    const fs::file_status status = fs::symlink_status(path_, ec);
    if (fs::exists(status) && !fs::is_symlink(status))
        throw std::runtime_error(path_.string() + " exists and is not a port alias; remove it or use another --port");

    // The new link is made beside the old one and renamed over it, so that the
    // name never disappears while it is replaced.
    const fs::path temporary = folder / ("." + port + "." + std::to_string(getpid()));
    fs::remove(temporary, ec);
    fs::create_symlink(target_, temporary, ec);
    if (!ec)
        fs::rename(temporary, path_, ec);
    if (ec) {
        std::error_code ignored;
        fs::remove(temporary, ignored);
        throw std::runtime_error("cannot publish " + path_.string() + ": " + ec.message());
    }
}

PortAlias::~PortAlias()
{
    // Only our own link goes: another simulator may have taken the name since.
    std::error_code ec;
    if (fs::is_symlink(fs::symlink_status(path_, ec)) && fs::read_symlink(path_, ec) == target_)
        fs::remove(path_, ec);
}

} // namespace zelt::sim
