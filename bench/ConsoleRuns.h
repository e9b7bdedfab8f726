#pragma once

#include "StreamWriter.h"

#include <cstdio>
#include <vector>

namespace zelt::bench {

// A connected main window reading a stream of 'R' records from a pty.
struct ConsoleRun {
    std::size_t framesSent = 0;
    std::size_t framesDecoded = 0;
    double wallSeconds = 0;
    double cpuSeconds = 0;
    std::vector<double> latencyMs;   // last byte written -> panel text changed, per decoded record
    std::vector<double> latenessMs;  // of a 10 ms precise heartbeat timer
};

// 'R' records whose DC voltage differs from one to the next, as wire frames.
std::vector<std::string> RecordFrames(int count);

ConsoleRun RunConsole(const StreamPlan& plan);

double Percentile(std::vector<double> values, double p);

} // namespace zelt::bench
