#pragma once

// The state behind TCustomComPort, shared by its implementation files only.

#include "serial/ComDevice.h"
#include "serial/ComPort.h"
#include "serial/ComThread.h"

#include <QSocketNotifier>

#include <atomic>
#include <chrono>
#include <memory>
#include <mutex>
#include <optional>

namespace zelt {

struct TCustomComPort::Impl {
    explicit Impl(TCustomComPort& port) : flowControl(port), characters(port), bufferSizes(port), timeouts(port) {}

    // Settings.
    QString deviceName = QStringLiteral("COM1");
    TBaudRate baudRate = brDefault;
    std::int32_t customBaudRate = 0;
    TDataBits dataBits = dbDefault;
    TParity parity = paDefault;
    TStopBits stopBits = sbDefault;
    TOptions options;
    TPriorityClass priorityClass = pcDefault;
    TThreadPriority threadPriority = tpTimeCritical;
    bool synchronizeEvents = true;
    TFlowControl flowControl;
    TCharacters characters;
    TBufferSizes bufferSizes;
    TTimeouts timeouts;

    // Events.
    TComPortEvent beforeOpen, afterOpen, beforeClose, afterClose;
    TComDataEvent beforeRead, afterRead, beforeWrite, afterWrite;
    TComErrorEvent onError;
    TComLineErrorEvent onLineError;
    TNotifyEvent onBreak, onCTSChange, onDSRChange, onRLSDChange, onRing, onRxChar, onRxFlag, onTxEmpty,
        onRx80PercFull, onPrinterError, onEvent1, onEvent2;
    TComErrorSink errorSink;
    TLineConnector lineConnector;

    // The open device.
    std::unique_ptr<ComDevice> device;
    // A device connected beforehand (OpenConnected), taken by the next open.
    std::unique_ptr<ComDevice> connected;
    std::optional<int> savedNice; // process priority from before opening
    bool lossReported = false;    // a transfer has raised the open device's failure
    // The time-outs in force; the tty driver has none, so transfers apply them.
    struct {
        std::int32_t readInterval = 0, readMultiplier = 0, readConstant = 0, writeMultiplier = 0, writeConstant = 0;
    } deviceTimeouts;

    // The transfer in each direction; pending while done < asked.
    struct {
        bool pending = false;
        char* buffer = nullptr;
        int asked = 0;
        int done = 0;
        std::chrono::steady_clock::time_point start;
        std::chrono::steady_clock::time_point lastByte;
    } read;
    struct {
        bool pending = false;
        std::string bytes; // the port keeps its own copy until written
        int done = 0;
        std::chrono::steady_clock::time_point start;
    } write;
    // Finishes a write that the device did not take at once.
    std::unique_ptr<QSocketNotifier> writeNotifier;

    std::unique_ptr<TComThread> thread;
    // A thread that was stopped from inside itself; joined at the next chance.
    std::unique_ptr<TComThread> retiredThread;
    // Shared with the event thread.
    std::atomic<unsigned> eventMask {0};
    std::atomic<int> rxFullThreshold {0};
    std::atomic<bool> outputStarted {false};
    std::atomic<std::uint64_t> bytesRead {0}; // read or purged, for the event thread's accounting

    // The driver's error counters as last seen; both threads may look.
    std::mutex countersMutex;
    bool hasCounters = false;
    comdev::LineCounters counters;
};

} // namespace zelt
