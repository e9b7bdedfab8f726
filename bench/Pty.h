#pragma once

#include <string>

namespace zelt::bench {

// A pseudo-terminal pair in raw mode; the benchmark writes on the master and
// the reader under test opens the slave by its path.
struct PtyPair {
    PtyPair();
    ~PtyPair();
    PtyPair(const PtyPair&) = delete;
    PtyPair& operator=(const PtyPair&) = delete;
    int master = -1;
    int slave = -1; // held open so the line stays up between readers
    std::string slavePath;
};

} // namespace zelt::bench
