// zelt-bench: micro benchmarks (Google Benchmark), then the serial runs over
// pseudo-terminals. `zelt-bench --micro` runs only the former,
// `zelt-bench --serial` only the latter; `zelt-bench --exporter` only the
// fleet exporter's runs.

#include "ExporterRuns.h"
#include "ReaderCpu.h"
#include "SerialRuns.h"

#include <QApplication>
#include <benchmark/benchmark.h>

#include <cstdio>
#include <cstring>

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    bool micro = true, serial = true;
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--micro") == 0)
            serial = false;
        else if (std::strcmp(argv[i], "--serial") == 0)
            micro = false;
        else if (std::strcmp(argv[i], "--exporter") == 0) {
            zelt::bench::RunExporterReport(stdout);
            return 0;
        }
    }
    if (micro) {
        int benchArgc = 1;
        benchmark::Initialize(&benchArgc, argv);
        benchmark::RunSpecifiedBenchmarks();
        benchmark::Shutdown();
    }
    if (serial)
        zelt::bench::RunSerialReport(stdout);
    return 0;
}
