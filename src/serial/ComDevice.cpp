#include "serial/ComDevice.h"

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <linux/serial.h>
#include <poll.h>
#include <sys/file.h>
#include <sys/ioctl.h>
#include <sys/resource.h>
#include <sys/syscall.h>
#include <unistd.h>

namespace zelt::comdev {

namespace {

int Result(int rc)
{
    return rc < 0 ? errno : 0;
}

// Raw mode without touching bit rate, character size, parity or stop bits,
// which the line settings leave alone when they are at their Default values.
// Software flow control is switched off here too: the protocol's checksum
// byte may be XON or XOFF, and only an explicit XOnXOff setting turns it on.
void MakeRaw(termios& t)
{
    t.c_iflag &= ~static_cast<tcflag_t>(IGNBRK | BRKINT | PARMRK | ISTRIP | INLCR | IGNCR | ICRNL | IXON | IXOFF |
                                        IXANY | IMAXBEL | IUCLC);
    t.c_oflag &= ~static_cast<tcflag_t>(OPOST);
    t.c_lflag &= ~static_cast<tcflag_t>(ECHO | ECHOE | ECHOK | ECHONL | ICANON | ISIG | IEXTEN);
    // CLOCAL: a dropped carrier must not hang the line up; CREAD: receive.
    t.c_cflag |= CLOCAL | CREAD;
    t.c_cflag &= ~static_cast<tcflag_t>(HUPCL);
    t.c_cc[VMIN] = 0;
    t.c_cc[VTIME] = 0;
}

} // namespace

EComError SystemError(int error)
{
    return EComError(std::strerror(error), error);
}

int OpenDevice(const std::string& path, int& fd, termios& saved)
{
    fd = -1;
    if (path.empty())
        return ENOENT;
    const int handle = open(path.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
    if (handle < 0)
        return errno;
    // TIOCEXCL makes further opens of the tty fail with EBUSY, but not for
    // root; the advisory lock also stops root and openers in this process.
    if (flock(handle, LOCK_EX | LOCK_NB) != 0) {
        const int error = errno == EWOULDBLOCK ? EBUSY : errno;
        close(handle);
        return error;
    }
    termios raw {};
    if (tcgetattr(handle, &saved) != 0) {
        const int error = errno;
        close(handle);
        return error;
    }
    raw = saved;
    MakeRaw(raw);
    if (tcsetattr(handle, TCSANOW, &raw) != 0 || ioctl(handle, TIOCEXCL) != 0) {
        const int error = errno;
        tcsetattr(handle, TCSANOW, &saved);
        close(handle);
        return error;
    }
    fd = handle;
    return 0;
}

void CloseDevice(int fd, const termios& saved)
{
    // A device that has gone away fails these with EIO; closing goes on.
    tcsetattr(fd, TCSANOW, &saved);
    // Exclusive mode belongs to the tty, not to this descriptor: it would
    // outlive the close while anyone else holds the tty open.
    ioctl(fd, TIOCNXCL);
    close(fd); // releases the advisory lock
}

int GetSettings(int fd, termios& settings)
{
    return Result(tcgetattr(fd, &settings));
}

int SetSettings(int fd, const termios& settings)
{
    return Result(tcsetattr(fd, TCSANOW, &settings));
}

int PurgeInput(int fd)
{
    return Result(tcflush(fd, TCIFLUSH));
}

int PurgeOutput(int fd)
{
    return Result(tcflush(fd, TCOFLUSH));
}

int InputCount(int fd, int& count)
{
    count = 0;
    return Result(ioctl(fd, FIONREAD, &count));
}

int OutputCount(int fd, int& count)
{
    count = 0;
    return Result(ioctl(fd, TIOCOUTQ, &count));
}

namespace {

// Runs one non-blocking transfer, retried on EINTR; EAGAIN moves nothing and is no error.
template <typename Transfer>
int TransferSome(Transfer transfer, int& done)
{
    done = 0;
    for (;;) {
        const ssize_t n = transfer();
        if (n >= 0) {
            done = static_cast<int>(n);
            return 0;
        }
        if (errno == EINTR)
            continue;
        return errno == EAGAIN ? 0 : errno;
    }
}

} // namespace

int ReadSome(int fd, char* buffer, int length, int& done)
{
    // With VMIN=VTIME=0 the tty returns 0 rather than EAGAIN when nothing
    // is queued; a hung-up device shows in WaitReady instead.
    return TransferSome([&] { return read(fd, buffer, static_cast<std::size_t>(length)); }, done);
}

int WriteSome(int fd, const char* buffer, int length, int& done)
{
    return TransferSome([&] { return write(fd, buffer, static_cast<std::size_t>(length)); }, done);
}

int WaitReady(int fd, short events, int timeoutMs, bool& ready)
{
    ready = false;
    pollfd entry {fd, events, 0};
    int count = 0;
    if (const int error = PollOnce(entry, timeoutMs, count))
        return error;
    if ((entry.revents & (POLLHUP | POLLERR | POLLNVAL)) != 0)
        return EIO;
    ready = count > 0;
    return 0;
}

int PollOnce(pollfd& entry, int timeoutMs, int& count)
{
    for (;;) {
        count = poll(&entry, 1, timeoutMs);
        if (count >= 0)
            return 0;
        if (errno != EINTR)
            return errno;
    }
}

int GetModemLines(int fd, int& lines)
{
    lines = 0;
    return Result(ioctl(fd, TIOCMGET, &lines));
}

int SetModemLine(int fd, int line, bool on)
{
    return Result(ioctl(fd, on ? TIOCMBIS : TIOCMBIC, &line));
}

bool NoModemLines(int error)
{
    return error == ENOTTY || error == EINVAL;
}

int GetLineCounters(int fd, LineCounters& counters)
{
    serial_icounter_struct icount {};
    if (ioctl(fd, TIOCGICOUNT, &icount) != 0)
        return errno;
    counters = {icount.brk, icount.frame, icount.overrun, icount.parity, icount.buf_overrun};
    return 0;
}

TLineErrors LineErrorsBetween(const LineCounters& before, const LineCounters& after)
{
    TLineErrors errors;
    if (after.breaks != before.breaks)
        errors.insert(leBreak);
    if (after.frame != before.frame)
        errors.insert(leFrame);
    if (after.overrun != before.overrun)
        errors.insert(leOverrun);
    if (after.parity != before.parity)
        errors.insert(leParity);
    if (after.bufferOverrun != before.bufferOverrun)
        errors.insert(leRxOverflow);
    return errors;
}

// On Linux the nice value belongs to each thread; PRIO_PROCESS with tid 0 is
// the calling thread.
int GetPriority(int tid, int& nice)
{
    errno = 0;
    nice = getpriority(PRIO_PROCESS, static_cast<id_t>(tid));
    return nice == -1 ? errno : 0;
}

int SetPriority(int tid, int nice)
{
    return Result(setpriority(PRIO_PROCESS, static_cast<id_t>(tid), nice));
}

int CurrentThreadId()
{
    return static_cast<int>(syscall(SYS_gettid));
}

} // namespace zelt::comdev
