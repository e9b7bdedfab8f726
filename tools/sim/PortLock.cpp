#include "sim/PortLock.h"

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <stdexcept>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

namespace zelt::sim {

namespace {

// The owner's process number as it wrote it into the file; empty if none.
std::string OwnerOf(int fd)
{
    char text[32] = {};
    const ssize_t n = pread(fd, text, sizeof text - 1, 0);
    std::string owner(text, n > 0 ? static_cast<std::size_t>(n) : 0);
    while (!owner.empty() && (owner.back() == '\n' || owner.back() == ' '))
        owner.pop_back();
    return owner;
}

bool SameFile(int fd, const std::filesystem::path& path)
{
    struct stat held{};
    struct stat named{};
    return fstat(fd, &held) == 0 && stat(path.c_str(), &named) == 0 && held.st_dev == named.st_dev
        && held.st_ino == named.st_ino;
}

} // namespace

PortLock::PortLock(const std::filesystem::path& path, const std::string& port) : path_(path)
{
    for (;;) {
        fd_ = open(path_.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0644);
        if (fd_ < 0)
            throw std::runtime_error("cannot open " + path_.string() + ": " + std::strerror(errno));
        if (flock(fd_, LOCK_EX | LOCK_NB) != 0) {
            const int error = errno;
            const std::string owner = OwnerOf(fd_);
            close(fd_);
            if (error != EWOULDBLOCK)
                throw std::runtime_error("cannot lock " + path_.string() + ": " + std::strerror(error));
            throw std::runtime_error(port + " is taken by another running zelt6380-sim"
                                     + (owner.empty() ? std::string() : " (process " + owner + ")")
                                     + "; stop it or use another --port");
        }
        // The owner before may have removed the file between the open and the
        // lock: a lock on a file nobody else sees owns nothing, so start again.
        if (SameFile(fd_, path_))
            break;
        close(fd_);
    }
    // The number only serves another simulator's message: failing to write it is no failure.
    const std::string pid = std::to_string(getpid()) + "\n";
    [[maybe_unused]] const bool written =
        ftruncate(fd_, 0) == 0 && pwrite(fd_, pid.data(), pid.size(), 0) == static_cast<ssize_t>(pid.size());
}

PortLock::~PortLock()
{
    // Removed while still held, so that nobody locks a file on its way out.
    unlink(path_.c_str());
    close(fd_);
}

} // namespace zelt::sim
