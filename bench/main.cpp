// zelt-bench: micro benchmarks (Google Benchmark), then the serial runs over
// pseudo-terminals. `zelt-bench --micro` runs only the former,
// `zelt-bench --serial` only the latter; `zelt-bench --exporter` only the
// fleet exporter's runs, `zelt-bench --exporter N` only its run of N plants.

#include "ExporterRuns.h"
#include "ReaderCpu.h"
#include "SerialRuns.h"

#include <QApplication>
#include <benchmark/benchmark.h>

#include <cstdio>
#include <cstdlib>
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
            const char* plants = i + 1 < argc ? argv[i + 1] : "0";
            zelt::bench::RunExporterReport(stdout, std::strtoul(plants, nullptr, 10));
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
