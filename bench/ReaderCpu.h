#pragma once

#include "StreamWriter.h"

#include <string>

namespace zelt::bench {

// CPU time a reader spends on a stream, and what it received.
struct ReaderRun {
    double cpuSeconds = 0;
    std::size_t bytesSent = 0;
    std::size_t bytesReceived = 0;
    double wallSeconds = 0;
};

// Reads the planned stream with the console's port component: OnRxChar
// handler reading every waiting byte, as the main window does.
ReaderRun RunPortComponentReader(const StreamPlan& plan);

// Reads the same stream with a minimal QSerialPort reader (readyRead, readAll).
ReaderRun RunQSerialPortReader(const StreamPlan& plan);

// Process CPU time (all threads), seconds.
double ProcessCpuSeconds();

} // namespace zelt::bench
