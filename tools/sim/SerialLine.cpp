#include "sim/SerialLine.h"

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <pty.h>
#include <stdexcept>
#include <termios.h>
#include <unistd.h>

namespace zelt::sim {

namespace {

[[noreturn]] void ThrowErrno(const std::string& what)
{
    throw std::runtime_error(what + ": " + std::strerror(errno));
}

bool SetFlag(int fd, int flag)
{
    const int flags = fcntl(fd, F_GETFL);
    return flags >= 0 && fcntl(fd, F_SETFL, flags | flag) == 0;
}

} // namespace

bool SetRaw57600(int fd)
{
    termios tio{};
    if (tcgetattr(fd, &tio) != 0)
        return false;
    cfmakeraw(&tio);
    tio.c_cflag &= ~static_cast<tcflag_t>(CSTOPB | PARENB | CRTSCTS);
    tio.c_cflag |= CS8 | CLOCAL | CREAD;
    tio.c_iflag &= ~static_cast<tcflag_t>(IXON | IXOFF | IXANY);
    tio.c_cc[VMIN] = 1;
    tio.c_cc[VTIME] = 0;
    cfsetispeed(&tio, B57600);
    cfsetospeed(&tio, B57600);
    return tcsetattr(fd, TCSANOW, &tio) == 0;
}

PtyPair::PtyPair()
{
    char name[256] = {};
    if (openpty(&master_, &slave_, name, nullptr, nullptr) != 0)
        ThrowErrno("cannot open a pseudo-terminal");
    slavePath_ = name;
    fcntl(master_, F_SETFD, FD_CLOEXEC);
    fcntl(slave_, F_SETFD, FD_CLOEXEC);
    if (!SetRaw57600(slave_) || !SetFlag(master_, O_NONBLOCK)) {
        const int saved = errno;
        close(master_);
        close(slave_);
        errno = saved;
        ThrowErrno("cannot set up the pseudo-terminal " + slavePath_);
    }
}

PtyPair::~PtyPair()
{
    close(slave_);
    close(master_);
}

int OpenSerialDevice(const std::string& path)
{
    const int fd = open(path.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0)
        ThrowErrno("cannot open " + path);
    if (!isatty(fd) || !SetRaw57600(fd)) {
        const int saved = isatty(fd) ? errno : ENOTTY;
        close(fd);
        errno = saved;
        ThrowErrno("cannot set " + path + " to 57600 8N1");
    }
    tcflush(fd, TCIOFLUSH);
    return fd;
}

} // namespace zelt::sim
