#include "StreamWriter.h"

#include <cerrno>
#include <ctime>
#include <poll.h>
#include <sys/mman.h>
#include <sys/wait.h>
#include <unistd.h>

namespace zelt::bench {

std::int64_t MonotonicNs()
{
    timespec ts{};
    clock_gettime(CLOCK_MONOTONIC, &ts);
    return static_cast<std::int64_t>(ts.tv_sec) * 1000000000 + ts.tv_nsec;
}

namespace {

void SleepUntil(std::int64_t deadlineNs)
{
    const std::int64_t left = deadlineNs - MonotonicNs();
    if (left <= 0)
        return;
    timespec ts{static_cast<time_t>(left / 1000000000), static_cast<long>(left % 1000000000)};
    while (nanosleep(&ts, &ts) != 0 && errno == EINTR) {
    }
}

bool WriteAll(int fd, const char* data, std::size_t size)
{
    while (size > 0) {
        const ssize_t n = write(fd, data, size);
        if (n < 0 && (errno == EAGAIN || errno == EINTR)) {
            pollfd p{fd, POLLOUT, 0};
            poll(&p, 1, 100);
            continue;
        }
        if (n <= 0)
            return false;
        data += n;
        size -= static_cast<std::size_t>(n);
    }
    return true;
}

int RunChild(int fd, const StreamPlan& plan, std::int64_t* stamps)
{
    const std::int64_t start = MonotonicNs();
    double sent = 0;
    for (std::size_t i = 0; i < plan.frames.size(); ++i) {
        const std::string& frame = plan.frames[i];
        for (std::size_t at = 0; at < frame.size(); at += plan.chunk) {
            const std::size_t n = std::min(plan.chunk, frame.size() - at);
            if (plan.bytesPerSecond > 0)
                SleepUntil(start + static_cast<std::int64_t>(sent / plan.bytesPerSecond * 1e9));
            // Stamped just before the frame's last bytes go out, so that the
            // reader can never see the frame before its stamp was taken.
            if (at + n == frame.size())
                stamps[i] = MonotonicNs();
            if (!WriteAll(fd, frame.data() + at, n))
                return 1;
            sent += static_cast<double>(n);
        }
    }
    return 0;
}

} // namespace

StreamWriter::StreamWriter(int masterFd, const StreamPlan& plan)
    : count_(plan.frames.size())
{
    void* shared = mmap(nullptr, sizeof(std::int64_t) * (count_ + 1), PROT_READ | PROT_WRITE,
                        MAP_SHARED | MAP_ANONYMOUS, -1, 0);
    stamps_ = static_cast<std::int64_t*>(shared);
    pid_ = fork();
    if (pid_ == 0)
        _exit(RunChild(masterFd, plan, stamps_));
}

StreamWriter::~StreamWriter()
{
    Wait();
    munmap(stamps_, sizeof(std::int64_t) * (count_ + 1));
}

bool StreamWriter::Wait()
{
    if (pid_ <= 0)
        return false;
    int status = 0;
    waitpid(pid_, &status, 0);
    pid_ = 0;
    return WIFEXITED(status) && WEXITSTATUS(status) == 0;
}

std::int64_t StreamWriter::WrittenAt(std::size_t i) const
{
    return stamps_[i];
}

} // namespace zelt::bench
