#include "serial/ComPort.h"

#include "serial/ComPortImpl.h"
#include "serial/LineSettings.h"

// The port's settings, its event properties and its settings groups. Line
// settings, buffer sizes and time-outs take effect at once on an open device.

namespace zelt {

// ---- Properties ------------------------------------------------------------

TBaudRate TCustomComPort::BaudRate() const { return d_->baudRate; }
void TCustomComPort::SetBaudRate(TBaudRate value)
{
    d_->baudRate = value;
    ApplyLineSettings();
}

std::int32_t TCustomComPort::CustomBaudRate() const
{
    return d_->baudRate == brCustom ? d_->customBaudRate : BaudRateValue(d_->baudRate);
}
void TCustomComPort::SetCustomBaudRate(std::int32_t value)
{
    d_->customBaudRate = value;
    d_->baudRate = brCustom;
    ApplyLineSettings();
}

TDataBits TCustomComPort::DataBits() const { return d_->dataBits; }
void TCustomComPort::SetDataBits(TDataBits value)
{
    d_->dataBits = value;
    ApplyLineSettings();
}

TParity TCustomComPort::Parity() const { return d_->parity; }
void TCustomComPort::SetParity(TParity value)
{
    d_->parity = value;
    ApplyLineSettings();
}

TStopBits TCustomComPort::StopBits() const { return d_->stopBits; }
void TCustomComPort::SetStopBits(TStopBits value)
{
    d_->stopBits = value;
    ApplyLineSettings();
}

TOptions TCustomComPort::Options() const { return d_->options; }
void TCustomComPort::SetOptions(const TOptions& value)
{
    d_->options = value;
    ApplyLineSettings();
}

QString TCustomComPort::DeviceName() const { return d_->deviceName; }
void TCustomComPort::SetDeviceName(const QString& value)
{
    CheckClosed();
    d_->deviceName = value;
}

TPriorityClass TCustomComPort::PriorityClass() const { return d_->priorityClass; }
void TCustomComPort::SetPriorityClass(TPriorityClass value)
{
    CheckClosed();
    d_->priorityClass = value;
}

TThreadPriority TCustomComPort::ThreadPriority() const { return d_->threadPriority; }
void TCustomComPort::SetThreadPriority(TThreadPriority value)
{
    d_->threadPriority = value;
    if (d_->thread)
        d_->thread->SetPriority(value);
}

bool TCustomComPort::SynchronizeEvents() const { return d_->synchronizeEvents; }
void TCustomComPort::SetSynchronizeEvents(bool value)
{
    CheckClosed();
    d_->synchronizeEvents = value;
}

TFlowControl& TCustomComPort::FlowControl() { return d_->flowControl; }
TCharacters& TCustomComPort::Characters() { return d_->characters; }
TBufferSizes& TCustomComPort::BufferSizes() { return d_->bufferSizes; }
TTimeouts& TCustomComPort::Timeouts() { return d_->timeouts; }

// ---- Events ----------------------------------------------------------------

const TComPortEvent& TCustomComPort::BeforeOpen() const { return d_->beforeOpen; }
void TCustomComPort::SetBeforeOpen(TComPortEvent handler) { d_->beforeOpen = std::move(handler); }
const TComPortEvent& TCustomComPort::AfterOpen() const { return d_->afterOpen; }
void TCustomComPort::SetAfterOpen(TComPortEvent handler) { d_->afterOpen = std::move(handler); }
const TComPortEvent& TCustomComPort::BeforeClose() const { return d_->beforeClose; }
void TCustomComPort::SetBeforeClose(TComPortEvent handler) { d_->beforeClose = std::move(handler); }
const TComPortEvent& TCustomComPort::AfterClose() const { return d_->afterClose; }
void TCustomComPort::SetAfterClose(TComPortEvent handler) { d_->afterClose = std::move(handler); }
const TComDataEvent& TCustomComPort::BeforeRead() const { return d_->beforeRead; }
void TCustomComPort::SetBeforeRead(TComDataEvent handler) { d_->beforeRead = std::move(handler); }
const TComDataEvent& TCustomComPort::AfterRead() const { return d_->afterRead; }
void TCustomComPort::SetAfterRead(TComDataEvent handler) { d_->afterRead = std::move(handler); }
const TComDataEvent& TCustomComPort::BeforeWrite() const { return d_->beforeWrite; }
void TCustomComPort::SetBeforeWrite(TComDataEvent handler) { d_->beforeWrite = std::move(handler); }
const TComDataEvent& TCustomComPort::AfterWrite() const { return d_->afterWrite; }
void TCustomComPort::SetAfterWrite(TComDataEvent handler) { d_->afterWrite = std::move(handler); }
const TComErrorEvent& TCustomComPort::OnError() const { return d_->onError; }
void TCustomComPort::SetOnError(TComErrorEvent handler) { d_->onError = std::move(handler); }

const TComLineErrorEvent& TCustomComPort::OnLineError() const { return d_->onLineError; }
void TCustomComPort::SetOnLineError(TComLineErrorEvent handler)
{
    const bool first = !d_->onLineError;
    d_->onLineError = std::move(handler);
    if (first && d_->onLineError && Active())
        TakeLineErrors(); // errors from before the handler are not its to report
    LineEventHandlerChanged();
}


const TNotifyEvent& TCustomComPort::OnBreak() const { return d_->onBreak; }
void TCustomComPort::SetOnBreak(TNotifyEvent handler)
{
    d_->onBreak = std::move(handler);
    LineEventHandlerChanged();
}

const TNotifyEvent& TCustomComPort::OnCTSChange() const { return d_->onCTSChange; }
void TCustomComPort::SetOnCTSChange(TNotifyEvent handler)
{
    d_->onCTSChange = std::move(handler);
    LineEventHandlerChanged();
}

const TNotifyEvent& TCustomComPort::OnDSRChange() const { return d_->onDSRChange; }
void TCustomComPort::SetOnDSRChange(TNotifyEvent handler)
{
    d_->onDSRChange = std::move(handler);
    LineEventHandlerChanged();
}

const TNotifyEvent& TCustomComPort::OnRLSDChange() const { return d_->onRLSDChange; }
void TCustomComPort::SetOnRLSDChange(TNotifyEvent handler)
{
    d_->onRLSDChange = std::move(handler);
    LineEventHandlerChanged();
}

const TNotifyEvent& TCustomComPort::OnRing() const { return d_->onRing; }
void TCustomComPort::SetOnRing(TNotifyEvent handler)
{
    d_->onRing = std::move(handler);
    LineEventHandlerChanged();
}

const TNotifyEvent& TCustomComPort::OnRxChar() const { return d_->onRxChar; }
void TCustomComPort::SetOnRxChar(TNotifyEvent handler)
{
    d_->onRxChar = std::move(handler);
    LineEventHandlerChanged();
}

const TNotifyEvent& TCustomComPort::OnRxFlag() const { return d_->onRxFlag; }
void TCustomComPort::SetOnRxFlag(TNotifyEvent handler)
{
    d_->onRxFlag = std::move(handler);
    LineEventHandlerChanged();
}

const TNotifyEvent& TCustomComPort::OnTxEmpty() const { return d_->onTxEmpty; }
void TCustomComPort::SetOnTxEmpty(TNotifyEvent handler)
{
    d_->onTxEmpty = std::move(handler);
    LineEventHandlerChanged();
}

const TNotifyEvent& TCustomComPort::OnRx80PercFull() const { return d_->onRx80PercFull; }
void TCustomComPort::SetOnRx80PercFull(TNotifyEvent handler)
{
    d_->onRx80PercFull = std::move(handler);
    LineEventHandlerChanged();
}

const TNotifyEvent& TCustomComPort::OnPrinterError() const { return d_->onPrinterError; }
void TCustomComPort::SetOnPrinterError(TNotifyEvent handler)
{
    d_->onPrinterError = std::move(handler);
    LineEventHandlerChanged();
}

const TNotifyEvent& TCustomComPort::OnEvent1() const { return d_->onEvent1; }
void TCustomComPort::SetOnEvent1(TNotifyEvent handler)
{
    d_->onEvent1 = std::move(handler);
    LineEventHandlerChanged();
}

const TNotifyEvent& TCustomComPort::OnEvent2() const { return d_->onEvent2; }
void TCustomComPort::SetOnEvent2(TNotifyEvent handler)
{
    d_->onEvent2 = std::move(handler);
    LineEventHandlerChanged();
}

void TCustomComPort::SetErrorSink(TComErrorSink sink)
{
    d_->errorSink = std::move(sink);
}

void TCustomComPort::SetLineConnector(TLineConnector connector)
{
    d_->lineConnector = std::move(connector);
}

// ---- Settings groups -------------------------------------------------------

void TFlowControl::SetDTR(TDTRControl value)
{
    dtr_ = value;
    port_.ApplyLineSettings();
}
void TFlowControl::SetRTS(TRTSControl value)
{
    rts_ = value;
    port_.ApplyLineSettings();
}
void TFlowControl::SetXOnXOff(TXOnXOffControl value)
{
    xonxoff_ = value;
    port_.ApplyLineSettings();
}
// The tty driver has fixed flow-control limits; these are kept for the port's settings.
void TFlowControl::SetXOnLimit(std::uint16_t value)
{
    xonLimit_ = value;
    port_.ApplyLineSettings();
}
void TFlowControl::SetXOffLimit(std::uint16_t value)
{
    xoffLimit_ = value;
    port_.ApplyLineSettings();
}

void TCharacters::SetXOn(char value)
{
    xon_ = value;
    port_.ApplyLineSettings();
}
void TCharacters::SetXOff(char value)
{
    xoff_ = value;
    port_.ApplyLineSettings();
}
// The tty driver has no error replacement and no event character; these two
// are kept for the port's settings.
void TCharacters::SetError(char value)
{
    error_ = value;
    port_.ApplyLineSettings();
}
void TCharacters::SetEof(char value)
{
    eof_ = value;
    port_.ApplyLineSettings();
}
void TCharacters::SetEvent(char value)
{
    event_ = value;
    port_.ApplyLineSettings();
}

void TBufferSizes::SetInput(std::int32_t value)
{
    input_ = value;
    port_.ApplyBufferSizes();
}
void TBufferSizes::SetOutput(std::int32_t value)
{
    output_ = value;
    port_.ApplyBufferSizes();
}

void TTimeouts::SetReadInterval(std::int32_t value)
{
    readInterval_ = value;
    port_.ApplyTimeouts();
}
void TTimeouts::SetReadMultiplier(std::int32_t value)
{
    readMultiplier_ = value;
    port_.ApplyTimeouts();
}
void TTimeouts::SetReadConstant(std::int32_t value)
{
    readConstant_ = value;
    port_.ApplyTimeouts();
}
void TTimeouts::SetWriteMultiplier(std::int32_t value)
{
    writeMultiplier_ = value;
    port_.ApplyTimeouts();
}
void TTimeouts::SetWriteConstant(std::int32_t value)
{
    writeConstant_ = value;
    port_.ApplyTimeouts();
}

} // namespace zelt
