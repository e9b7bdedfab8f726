#pragma once

#include "StreamWriter.h"

#include <cstdio>
#include <vector>

namespace zelt::bench {

// A connected main window reading a stream of record sets from a pty.
struct ConsoleRun {
    std::size_t framesSent = 0;
    std::size_t framesDecoded = 0;
    double wallSeconds = 0;
    double cpuSeconds = 0;
    std::vector<double> latencyMs;   // last byte of a set written -> its 'U' shown, per set
    std::vector<double> latenessMs;  // of a 10 ms precise heartbeat timer
};

// Record sets, each 'R', 'K' and 'U' back to back as one piece of wire bytes.
// Each record tells its set apart from the sets near it on the panels it
// drives: the DC voltage ('R'), the module and AC input presence ('K', 64
// states), unit 1's AC voltage ('U').
std::vector<std::string> RecordSets(int count);
inline constexpr std::size_t FramesPerSet = 3;

// How the window reaches the pty: directly, or through a ser2net started for
// the run on a loopback port, as a raw stream or an RFC 2217 session.
enum class Line { Pty, Ser2netRaw, Ser2netRfc2217 };

// recording false takes the session recorder off the status decoders.
ConsoleRun RunConsole(const StreamPlan& plan, Line line = Line::Pty, bool recording = true);

double Percentile(std::vector<double> values, double p);

// A loopback TCP port nobody listens on just now.
int LoopbackPort();

} // namespace zelt::bench
