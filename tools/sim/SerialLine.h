#pragma once

// The simulator's end of the line: the master of a pseudo-terminal, or a real
// serial device (a null-modem cable to the console's PC).

#include <string>

namespace zelt::sim {

// A pseudo-terminal pair in raw mode at 57600 8N1. The master is non-blocking;
// the slave stays open while the pair lives, so that the master reads nothing
// (rather than an error) while no console has the slave open.
class PtyPair {
public:
    PtyPair(); // throws std::runtime_error
    ~PtyPair();
    PtyPair(const PtyPair&) = delete;
    PtyPair& operator=(const PtyPair&) = delete;

    int master() const { return master_; }
    int slave() const { return slave_; }
    const std::string& slavePath() const { return slavePath_; }

private:
    int master_ = -1;
    int slave_ = -1;
    std::string slavePath_;
};

// Opens a serial device raw, 57600 8N1, no flow control, non-blocking.
// Throws std::runtime_error naming the device and the reason.
int OpenSerialDevice(const std::string& path);

// Puts a terminal into raw 57600 8N1 without flow control; false on failure.
bool SetRaw57600(int fd);

} // namespace zelt::sim
