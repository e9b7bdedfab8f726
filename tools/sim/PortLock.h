#pragma once

// Which running simulator owns a port name: the one holding an exclusive
// lock on the name's lock file beside the alias (COM1.lock). The system
// drops the lock when the process ends, however it ends, so a name whose
// owner is gone can be taken over; whether the old pseudo-terminal still
// exists says nothing (its number may have been given to another).

#include <filesystem>
#include <string>

namespace zelt::sim {

class PortLock {
public:
    // Takes the lock for port; throws std::runtime_error with a message for
    // the operator when another process holds it.
    PortLock(const std::filesystem::path& path, const std::string& port);
    ~PortLock();
    PortLock(const PortLock&) = delete;
    PortLock& operator=(const PortLock&) = delete;

private:
    std::filesystem::path path_;
    int fd_ = -1;
};

} // namespace zelt::sim
