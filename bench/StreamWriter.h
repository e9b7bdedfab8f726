#pragma once

// A controller stand-in for the benchmark: a forked child process writes a
// sequence of frames to a pseudo-terminal master, paced at a given byte rate,
// and stamps the moment each frame's last byte was written into memory shared
// with the parent. Running in its own process keeps its CPU time out of the
// reader's figures.

#include <cstdint>
#include <string>
#include <vector>

namespace zelt::bench {

struct StreamPlan {
    std::vector<std::string> frames; // wire bytes of each frame
    double bytesPerSecond = 5760;    // 57600 bit/s at 10 bits a byte
    std::size_t chunk = 16;          // bytes per write, like a UART's receive FIFO
};

class StreamWriter {
public:
    StreamWriter(int masterFd, const StreamPlan& plan);
    ~StreamWriter();
    StreamWriter(const StreamWriter&) = delete;
    StreamWriter& operator=(const StreamWriter&) = delete;

    // Waits for the child; true when it wrote every frame.
    bool Wait();
    // CLOCK_MONOTONIC nanoseconds just before frame i's last bytes were written.
    // Valid after Wait().
    std::int64_t WrittenAt(std::size_t i) const;
    std::size_t FrameCount() const { return count_; }

private:
    std::size_t count_;
    std::int64_t* stamps_; // shared mapping, count_ entries
    int pid_ = -1;
};

std::int64_t MonotonicNs();

} // namespace zelt::bench
