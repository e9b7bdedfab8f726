// Micro benchmarks of the receive path.

#include "protocol/FrameCodec.h"

#include <benchmark/benchmark.h>

#include <string>

namespace {

// A stream of 'R'-sized frames cut into 16-byte reads, as a UART delivers them.
std::string RecordStream(int frames)
{
    std::string stream;
    for (int i = 0; i < frames; ++i)
        stream += zelt::EncodeFrame("R" + std::string(290, static_cast<char>('0' + i % 10)));
    return stream;
}

void BM_ReceiveAssembler(benchmark::State& state)
{
    const std::string stream = RecordStream(100);
    zelt::FrameReceiver rx;
    std::size_t frames = 0;
    for (auto _ : state) {
        for (std::size_t at = 0; at < stream.size(); at += 16) {
            rx.Assemble(std::string_view(stream).substr(at, 16));
            do {
                if (rx.FrameReady == 1) {
                    rx.FrameReady = 0;
                    frames += rx.CutFrame() ? 1 : 0;
                }
            } while (rx.NextFrame());
        }
    }
    benchmark::DoNotOptimize(frames);
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations()) * static_cast<std::int64_t>(stream.size()));
}
BENCHMARK(BM_ReceiveAssembler);

} // namespace
