#include "SerialRuns.h"

#include "ConsoleRuns.h"
#include "ReaderCpu.h"
#include "protocol/FrameCodec.h"

#include <string>
#include <vector>

namespace zelt::bench {

namespace {

StreamPlan SyntheticRecords(int count, double bytesPerSecond)
{
    StreamPlan plan;
    plan.bytesPerSecond = bytesPerSecond;
    for (int i = 0; i < count; ++i)
        plan.frames.push_back(EncodeFrame("R" + std::string(300, static_cast<char>('0' + i % 10))));
    return plan;
}

void PrintReader(std::FILE* out, const char* name, const ReaderRun& run)
{
    std::fprintf(out, "  %-28s %8zu of %8zu bytes, %6.2f s wall, CPU %7.3f s = %6.2f %% of a core, %7.1f ns/byte\n",
                 name, run.bytesReceived, run.bytesSent, run.wallSeconds, run.cpuSeconds,
                 100 * run.cpuSeconds / run.wallSeconds, 1e9 * run.cpuSeconds / static_cast<double>(run.bytesReceived));
}

} // namespace

void RunSerialReport(std::FILE* out)
{
    const StreamPlan paced = SyntheticRecords(300, 5760);
    std::fprintf(out, "\nReaders of a paced stream (57600 bit/s, 16-byte writes, %zu frames):\n", paced.frames.size());
    const ReaderRun ours = RunPortComponentReader(paced);
    PrintReader(out, "port component (OnRxChar)", ours);
    const ReaderRun qt = RunQSerialPortReader(paced);
    PrintReader(out, "QSerialPort (readyRead)", qt);
    const double ratio = (ours.cpuSeconds / static_cast<double>(ours.bytesReceived)) /
                         (qt.cpuSeconds / static_cast<double>(qt.bytesReceived));
    std::fprintf(out, "  CPU per byte, port component / QSerialPort: %.2f\n", ratio);
    std::fflush(out);

    // One set ('R', 'K', 'U') is about 400 bytes: 334 sets are 1002 frames.
    const struct {
        const char* name;
        double bytesPerSecond;
        std::size_t chunk; // 0: one write per set
    } consoleRuns[] = {{"line rate (57600 bit/s)", 5760, 16},
                       {"line rate (57600 bit/s)", 5760, 0},
                       {"ten times the line rate", 57600, 16},
                       {"ten times the line rate", 57600, 0}};
    const std::vector<std::string> sets = RecordSets(334);
    for (const auto& c : consoleRuns) {
        StreamPlan plan;
        plan.bytesPerSecond = c.bytesPerSecond;
        plan.frames = sets;
        plan.chunk = c.chunk > 0 ? c.chunk : sets.front().size() * 2;
        const ConsoleRun run = RunConsole(plan);
        if (c.chunk > 0)
            std::fprintf(out, "\nConnected main window, record sets R K U at %s, %zu-byte writes:\n", c.name, c.chunk);
        else
            std::fprintf(out, "\nConnected main window, record sets R K U at %s, one write per set:\n", c.name);
        std::fprintf(out, "  frames sent %zu, decoded %zu; %.2f s wall, CPU %.3f s = %.2f %% of a core\n", run.framesSent,
                     run.framesDecoded, run.wallSeconds, run.cpuSeconds, 100 * run.cpuSeconds / run.wallSeconds);
        if (!run.latencyMs.empty())
            std::fprintf(out, "  last byte of a set written -> its 'U' shown: median %.3f ms, 99th percentile %.3f ms\n",
                         Percentile(run.latencyMs, 50), Percentile(run.latencyMs, 99));
        std::fprintf(out, "  10 ms heartbeat lateness: median %.3f ms, 99th percentile %.3f ms\n",
                     Percentile(run.latenessMs, 50), Percentile(run.latenessMs, 99));
        std::fflush(out);
    }

    StreamPlan plan;
    plan.bytesPerSecond = 5760;
    plan.frames = sets;
    plan.chunk = 16;

    // The session recorder's share: the same line-rate stream with it off and on, twice in turn.
    std::fprintf(out, "\nConnected main window at line rate, 16-byte writes, session recorder off and on:\n");
    for (const bool recording : {false, true, false, true}) {
        const ConsoleRun run = RunConsole(plan, Line::Pty, recording);
        std::fprintf(out, "  recording %-3s: CPU %.3f s over %.2f s = %.2f %% of a core\n", recording ? "on" : "off",
                     run.cpuSeconds, run.wallSeconds, 100 * run.cpuSeconds / run.wallSeconds);
        std::fflush(out);
    }

    // The same stream through ser2net on the loopback, against the direct pty
    // in the same run. CPU is the console's process only.
    std::fprintf(out, "\nConnected main window, record sets at line rate, 16-byte writes, by line:\n");
    const struct {
        const char* name;
        Line line;
    } lines[] = {{"pty", Line::Pty}, {"ser2net raw tcp", Line::Ser2netRaw}, {"ser2net rfc2217", Line::Ser2netRfc2217}};
    for (const auto& l : lines) {
        const ConsoleRun run = RunConsole(plan, l.line);
        std::size_t bytes = 0;
        for (const std::string& set : sets)
            bytes += set.size();
        std::fprintf(out, "  %-16s frames %zu of %zu; latency p50 %.3f ms, p99 %.3f ms; CPU %.3f s = %.0f ns/byte\n",
                     l.name, run.framesDecoded, run.framesSent, Percentile(run.latencyMs, 50),
                     Percentile(run.latencyMs, 99), run.cpuSeconds, 1e9 * run.cpuSeconds / static_cast<double>(bytes));
        std::fflush(out);
    }
}

} // namespace zelt::bench
