#pragma once

// The serial port component: owns one serial device, opens and configures it,
// waits for line events on its own event thread (TComThread) and hands each
// to the main thread synchronously, and offers reads and writes that do not
// block the program. The device itself is reached through a thin POSIX device
// layer (ComDevice.h).

#include "serial/ComEvent.h"

#include <QObject>
#include <QString>

#include <atomic>
#include <cstdint>
#include <functional>
#include <memory>
#include <set>
#include <stdexcept>
#include <string>

namespace zelt {

// A value ending in Default leaves the device's current setting unchanged.
enum TBaudRate {
    brDefault, br50, br75, br110, br150, br300, br600, br1200, br1800, br2000, br2400, br3600, br4800, br7200,
    br9600, br10400, br14400, br15625, br19200, br28800, br38400, br56000, br57600, br115200, br128000, br256000,
    brCustom
};
enum TDataBits { dbDefault, db4, db5, db6, db7, db8 };
enum TParity { paDefault, paNone, paOdd, paEven, paMark, paSpace };
enum TStopBits { sbDefault, sb1, sb1_5, sb2 };
enum TDTRControl { dcDefault, dcDisable, dcEnable, dcHandshake };
enum TRTSControl { rcDefault, rcDisable, rcEnable, rcHandshake, rcToggle };
enum TXOnXOffControl { xcDefault, xcDisable, xcInput, xcOutput, xcInputOutput };
enum TOption {
    opCheckParity, opOutputCTSFlow, opOutputDSRFlow, opDSRSensitivity, opTXContinueOnXOff, opUseErrorChar,
    opDiscardNullBytes, opAbortOnError
};
using TOptions = std::set<TOption>;
enum TPriorityClass { pcDefault, pcIdle, pcNormal, pcHigh, pcRealTime };
enum TThreadPriority { tpIdle, tpLowest, tpLower, tpNormal, tpHigher, tpHighest, tpTimeCritical };
enum TModemStatusValue { msCTS, msDSR, msRing, msRLSD };
using TModemStatus = std::set<TModemStatusValue>;
enum TLineError {
    leBreak, leDeviceNotSelected, leFrame, leIO, leMode, leOutOfPaper, leOverrun, leDeviceTimeOut, leRxOverflow,
    leParity, leTxFull
};
using TLineErrors = std::set<TLineError>;
enum TComAction { caFail, caAbort };

// Error of the component: the system's message and errno, or one of the
// component's own messages with ErrorCode 0.
class EComError : public std::runtime_error {
public:
    EComError(const std::string& message, int errorCode)
        : std::runtime_error(message), ErrorCode(errorCode)
    {
    }
    int ErrorCode;
};

class TCustomComPort;
class ComDevice;
struct NetworkLine;

using TComPortEvent = TEvent<TCustomComPort* /*ComPort*/>;
using TComDataEvent = TEvent<QObject* /*Sender*/, const char* /*Buffer*/, int /*Length*/, bool /*WaitOnCompletion*/>;
using TComErrorEvent = TEvent<TCustomComPort* /*ComPort*/, const EComError& /*E*/, TComAction& /*Action*/>;
using TComLineErrorEvent = TEvent<QObject* /*Sender*/, const TLineErrors& /*LineErrors*/>;
using TNotifyEvent = TEvent<QObject* /*Sender*/>;

// Receives the message of an error that reaches no caller of the port.
using TComErrorSink = std::function<void(const std::string& message)>;
// Opens the device of a network line; throws EComError when the line cannot
// be opened, EAbort when the operator gives up.
using TLineConnector = std::function<std::unique_ptr<ComDevice>(const NetworkLine& line)>;

// Settings groups; each holds a link back to its port, and changing one of
// their properties re-applies the group to an open device.
class TFlowControl {
public:
    explicit TFlowControl(TCustomComPort& port) : port_(port) {}
    TDTRControl DTR() const { return dtr_; }
    void SetDTR(TDTRControl value);
    TRTSControl RTS() const { return rts_; }
    void SetRTS(TRTSControl value);
    TXOnXOffControl XOnXOff() const { return xonxoff_; }
    void SetXOnXOff(TXOnXOffControl value);
    std::uint16_t XOnLimit() const { return xonLimit_; }
    void SetXOnLimit(std::uint16_t value);
    std::uint16_t XOffLimit() const { return xoffLimit_; }
    void SetXOffLimit(std::uint16_t value);

private:
    TCustomComPort& port_;
    TDTRControl dtr_ = dcDefault;
    TRTSControl rts_ = rcDefault;
    TXOnXOffControl xonxoff_ = xcDefault;
    std::uint16_t xonLimit_ = 0;
    std::uint16_t xoffLimit_ = 0;
};

class TCharacters {
public:
    explicit TCharacters(TCustomComPort& port) : port_(port) {}
    char XOn() const { return xon_; }
    void SetXOn(char value);
    char XOff() const { return xoff_; }
    void SetXOff(char value);
    char Error() const { return error_; }
    void SetError(char value);
    char Eof() const { return eof_; }
    void SetEof(char value);
    char Event() const { return event_; }
    void SetEvent(char value);

private:
    TCustomComPort& port_;
    char xon_ = 17;
    char xoff_ = 19;
    char error_ = 0;
    char eof_ = 0;
    char event_ = 0;
};

class TBufferSizes {
public:
    explicit TBufferSizes(TCustomComPort& port) : port_(port) {}
    std::int32_t Input() const { return input_; }
    void SetInput(std::int32_t value);
    std::int32_t Output() const { return output_; }
    void SetOutput(std::int32_t value);

private:
    TCustomComPort& port_;
    std::int32_t input_ = 4096;
    std::int32_t output_ = 2048;
};

// Milliseconds; 0 = that time-out is not used.
class TTimeouts {
public:
    explicit TTimeouts(TCustomComPort& port) : port_(port) {}
    std::int32_t ReadInterval() const { return readInterval_; }
    void SetReadInterval(std::int32_t value);
    std::int32_t ReadMultiplier() const { return readMultiplier_; }
    void SetReadMultiplier(std::int32_t value);
    std::int32_t ReadConstant() const { return readConstant_; }
    void SetReadConstant(std::int32_t value);
    std::int32_t WriteMultiplier() const { return writeMultiplier_; }
    void SetWriteMultiplier(std::int32_t value);
    std::int32_t WriteConstant() const { return writeConstant_; }
    void SetWriteConstant(std::int32_t value);

private:
    TCustomComPort& port_;
    std::int32_t readInterval_ = 0;
    std::int32_t readMultiplier_ = 0;
    std::int32_t readConstant_ = 0;
    std::int32_t writeMultiplier_ = 0;
    std::int32_t writeConstant_ = 0;
};

class TCustomComPort : public QObject {
    Q_OBJECT
public:
    explicit TCustomComPort(QObject* owner = nullptr);
    ~TCustomComPort() override; // closes the port, with its events

    // True while the device is open. Writing opens or closes it.
    bool Active() const;
    void SetActive(bool value);
    // Opens the port on a device already connected, such as a network line
    // a NetConnector opened without blocking; the device name is not used.
    void OpenConnected(std::unique_ptr<ComDevice> device);

    TBaudRate BaudRate() const;
    void SetBaudRate(TBaudRate value);
    // The bit rate of BaudRate (0 for brDefault), or the stored number for
    // brCustom; writing it stores the number and switches to brCustom.
    std::int32_t CustomBaudRate() const;
    void SetCustomBaudRate(std::int32_t value);
    TDataBits DataBits() const;
    void SetDataBits(TDataBits value);
    TParity Parity() const;
    void SetParity(TParity value);
    TStopBits StopBits() const;
    void SetStopBits(TStopBits value);
    TOptions Options() const;
    void SetOptions(const TOptions& value);

    // "COM1".."COM8", a path, or a network line (tcp://HOST:PORT,
    // rfc2217://HOST:PORT); see PortNames.h. Only while closed.
    QString DeviceName() const;
    void SetDeviceName(const QString& value);
    TPriorityClass PriorityClass() const;
    void SetPriorityClass(TPriorityClass value); // only while closed
    TThreadPriority ThreadPriority() const;
    void SetThreadPriority(TThreadPriority value);
    bool SynchronizeEvents() const;
    void SetSynchronizeEvents(bool value); // only while closed

    TFlowControl& FlowControl();
    TCharacters& Characters();
    TBufferSizes& BufferSizes();
    TTimeouts& Timeouts();

    TModemStatus ModemStatus();

    // Start a transfer of Length bytes; with WaitOnCompletion, return only when it has finished.
    void Read(char* Buffer, int Length, bool WaitOnCompletion);
    void Write(const char* Buffer, int Length, bool WaitOnCompletion);
    // Reads every byte now waiting into text (AfterRead sees exactly those bytes, or Length 0).
    void ReadAvailable(std::string& text);
    // Starts writing text and returns without waiting; the port keeps the bytes.
    void WriteText(const std::string& text);
    int BytesWaiting();
    void PurgeInput();
    void PurgeOutput();

    // Events. Assigning or changing a line-event handler while open re-applies
    // the line-event mask (which starts or stops the event thread).
    // On a tty, OnRxChar, OnRx80PercFull and OnTxEmpty follow the queues; the
    // modem-line events, OnBreak and OnLineError follow the driver's lines and
    // counters where it has them (a pseudo-terminal has neither). OnRxFlag,
    // OnPrinterError, OnEvent1 and OnEvent2 never fire: the tty driver cannot
    // look into the input queue and has no such conditions.
    const TComPortEvent& BeforeOpen() const;
    void SetBeforeOpen(TComPortEvent handler);
    const TComPortEvent& AfterOpen() const;
    void SetAfterOpen(TComPortEvent handler);
    const TComPortEvent& BeforeClose() const;
    void SetBeforeClose(TComPortEvent handler);
    const TComPortEvent& AfterClose() const;
    void SetAfterClose(TComPortEvent handler);
    const TComDataEvent& BeforeRead() const;
    void SetBeforeRead(TComDataEvent handler);
    const TComDataEvent& AfterRead() const;
    void SetAfterRead(TComDataEvent handler);
    const TComDataEvent& BeforeWrite() const;
    void SetBeforeWrite(TComDataEvent handler);
    const TComDataEvent& AfterWrite() const;
    void SetAfterWrite(TComDataEvent handler);
    const TComErrorEvent& OnError() const;
    void SetOnError(TComErrorEvent handler);
    const TComLineErrorEvent& OnLineError() const;
    void SetOnLineError(TComLineErrorEvent handler);
    const TNotifyEvent& OnBreak() const;
    void SetOnBreak(TNotifyEvent handler);
    const TNotifyEvent& OnCTSChange() const;
    void SetOnCTSChange(TNotifyEvent handler);
    const TNotifyEvent& OnDSRChange() const;
    void SetOnDSRChange(TNotifyEvent handler);
    const TNotifyEvent& OnRLSDChange() const;
    void SetOnRLSDChange(TNotifyEvent handler);
    const TNotifyEvent& OnRing() const;
    void SetOnRing(TNotifyEvent handler);
    const TNotifyEvent& OnRxChar() const;
    void SetOnRxChar(TNotifyEvent handler);
    const TNotifyEvent& OnRxFlag() const;
    void SetOnRxFlag(TNotifyEvent handler);
    const TNotifyEvent& OnTxEmpty() const;
    void SetOnTxEmpty(TNotifyEvent handler);
    const TNotifyEvent& OnRx80PercFull() const;
    void SetOnRx80PercFull(TNotifyEvent handler);
    const TNotifyEvent& OnPrinterError() const;
    void SetOnPrinterError(TNotifyEvent handler);
    const TNotifyEvent& OnEvent1() const;
    void SetOnEvent1(TNotifyEvent handler);
    const TNotifyEvent& OnEvent2() const;
    void SetOnEvent2(TNotifyEvent handler);

    // Where errors go that a handler raises, the event thread meets or a write
    // meets after returning; EAbort is dropped. Without a sink the message
    // goes to Qt's warning log.
    void SetErrorSink(TComErrorSink sink);
    // How a network line opens. Without a connector the port waits for the
    // connection in a local event loop (see ConnectWaiting).
    void SetLineConnector(TLineConnector connector);

protected:
    // The open step: device, buffers, line settings, time-outs, line-event mask.
    virtual void OpenDevice();

    // Implementation state lives behind this (device handle, event thread,
    // pending transfers, stored settings and handlers).
private:
    struct Impl;

    void Open();
    std::unique_ptr<ComDevice> OpenPortDevice();
    void Close();
    // Closing without events: event thread, device, saved priority.
    void CloseDeviceSteps();
    void StartThread();
    void StopThread();
    void ApplyBufferSizes();
    void ApplyLineSettings();
    void ApplyTimeouts();
    void ApplyEventMask();
    void LineEventHandlerChanged();
    void FinishRead();
    void FinishWrite();
    void ContinueWrite();
    void CheckLineErrors();
    TLineErrors TakeLineErrors();
    void CheckOpen();
    void CheckClosed();
    void Check(int error);
    // A transfer or wait that failed: the device is lost, told in its own
    // words where it has them.
    void CheckTransfer(int error);
    [[noreturn]] void RaiseError(const EComError& error);
    // Runs work; what it throws goes to the error sink.
    void Guarded(const std::function<void()>& work);
    void Report(const std::exception_ptr& error);
    void DispatchEvents(unsigned events, const std::atomic<bool>& stopping);
    void EventThreadFailed(int error, bool hangUp);

    std::unique_ptr<Impl> d_;
    friend class TFlowControl;
    friend class TCharacters;
    friend class TBufferSizes;
    friend class TTimeouts;
    friend class TComThread;
};

// Publishes the properties and events; adds nothing.
class TComPort : public TCustomComPort {
    Q_OBJECT
public:
    using TCustomComPort::TCustomComPort;
};

// The class of the main window's port instance; adds nothing.
class tcomport2 : public TComPort {
    Q_OBJECT
public:
    using TComPort::TComPort;
};

} // namespace zelt
