#include "serial/TtyDevice.h"

#include <cerrno>

namespace zelt {

std::unique_ptr<TtyDevice> TtyDevice::Open(const std::string& path, int& error)
{
    int fd = -1;
    termios saved {};
    error = comdev::OpenDevice(path, fd, saved);
    if (error != 0)
        return nullptr;
    return std::unique_ptr<TtyDevice>(new TtyDevice(fd, saved));
}

TtyDevice::~TtyDevice()
{
    comdev::CloseDevice(fd_, saved_);
}

// A tty that hangs up tells no more than that.
int TtyDevice::LostError()
{
    return EIO;
}

} // namespace zelt
