#include "serial/ComSignal.h"

#include <QPalette>

#include <optional>

namespace zelt {

namespace {

// The port event a momentary or modem-line signal takes over.
struct NotifyEventAccess {
    const TNotifyEvent& (TCustomComPort::*get)() const;
    void (TCustomComPort::*set)(TNotifyEvent);
};

const NotifyEventAccess* NotifyEventOf(TSignal signal)
{
    using P = TCustomComPort;
    static const NotifyEventAccess kBreak {&P::OnBreak, &P::SetOnBreak};
    static const NotifyEventAccess kRxChar {&P::OnRxChar, &P::SetOnRxChar};
    static const NotifyEventAccess kCTS {&P::OnCTSChange, &P::SetOnCTSChange};
    static const NotifyEventAccess kDSR {&P::OnDSRChange, &P::SetOnDSRChange};
    static const NotifyEventAccess kEvent1 {&P::OnEvent1, &P::SetOnEvent1};
    static const NotifyEventAccess kEvent2 {&P::OnEvent2, &P::SetOnEvent2};
    static const NotifyEventAccess kPrinterError {&P::OnPrinterError, &P::SetOnPrinterError};
    static const NotifyEventAccess kRing {&P::OnRing, &P::SetOnRing};
    static const NotifyEventAccess kRLSD {&P::OnRLSDChange, &P::SetOnRLSDChange};
    static const NotifyEventAccess kRx80PercFull {&P::OnRx80PercFull, &P::SetOnRx80PercFull};
    static const NotifyEventAccess kRxFlag {&P::OnRxFlag, &P::SetOnRxFlag};
    static const NotifyEventAccess kTxEmpty {&P::OnTxEmpty, &P::SetOnTxEmpty};
    switch (signal) {
    case siBreak: return &kBreak;
    case siRxChar: return &kRxChar;
    case siCTS: return &kCTS;
    case siDSR: return &kDSR;
    case siEvent1: return &kEvent1;
    case siEvent2: return &kEvent2;
    case siPrinterError: return &kPrinterError;
    case siRing: return &kRing;
    case siRLSD: return &kRLSD;
    case siRx80PercFull: return &kRx80PercFull;
    case siRxFlag: return &kRxFlag;
    case siTxEmpty: return &kTxEmpty;
    case siNone:
    case siTxChar:
    case siLineError: return nullptr;
    }
    return nullptr;
}

// Signals that follow a modem line rather than flash.
std::optional<TModemStatusValue> ModemLineOf(TSignal signal)
{
    switch (signal) {
    case siCTS: return msCTS;
    case siDSR: return msDSR;
    case siRing: return msRing;
    case siRLSD: return msRLSD;
    default: return std::nullopt;
    }
}

} // namespace

struct TComSignal::Saved {
    TComSignal* lamp = nullptr; // null once the lamp has let go
    TCustomComPort* port = nullptr;
    TComPortEvent afterOpen, afterClose;
    TNotifyEvent notify;
    TComLineErrorEvent lineError;
    TComDataEvent beforeWrite, afterWrite;
};

struct TComSignal::Own {
    TComPortEvent afterOpen, afterClose;
    TNotifyEvent notify;
    TComLineErrorEvent lineError;
    TComDataEvent beforeWrite, afterWrite;
};

TComSignal::TComSignal(QObject* owner) : QObject(owner)
{
    timer_.setSingleShot(true);
    connect(&timer_, &QTimer::timeout, this, [this] { TimerTick(); });
}

TComSignal::~TComSignal()
{
    Unhook();
}

void TComSignal::SetColorOff(const QColor& value)
{
    colorOff_ = value;
    Paint();
}

void TComSignal::SetColorOn(const QColor& value)
{
    colorOn_ = value;
}

void TComSignal::SetComPort(TCustomComPort* value)
{
    timer_.stop();
    Unhook();
    disconnect(portDestroyed_);
    port_ = value;
    if (port_ != nullptr)
        portDestroyed_ = connect(port_, &QObject::destroyed, this, [this] { PortDestroyed(); });
    Hook();
    Refresh();
}

void TComSignal::SetControl(QWidget* value)
{
    control_ = value;
    Paint();
}

void TComSignal::SetDelay(int value)
{
    delay_ = value;
}

void TComSignal::SetSignal(TSignal value)
{
    Unhook();
    signal_ = value;
    Hook();
    Refresh();
}

void TComSignal::Hook()
{
    if (port_ == nullptr)
        return;
    const auto saved = std::make_shared<Saved>();
    saved->lamp = this;
    saved->port = port_;
    auto own = std::make_unique<Own>();

    saved->afterOpen = port_->AfterOpen();
    own->afterOpen = [saved](TCustomComPort* port) {
        if (saved->lamp)
            saved->lamp->Refresh();
        saved->afterOpen(port);
    };
    port_->SetAfterOpen(own->afterOpen);
    saved->afterClose = port_->AfterClose();
    own->afterClose = [saved](TCustomComPort* port) {
        if (saved->lamp)
            saved->lamp->Refresh();
        saved->afterClose(port);
    };
    port_->SetAfterClose(own->afterClose);

    if (const NotifyEventAccess* access = NotifyEventOf(signal_)) {
        const bool followsLine = ModemLineOf(signal_).has_value();
        saved->notify = (port_->*access->get)();
        own->notify = [saved, followsLine](QObject*) {
            if (saved->lamp) {
                if (followsLine)
                    saved->lamp->Refresh();
                else
                    saved->lamp->Pulse();
            }
            saved->notify(saved->port);
        };
        (port_->*access->set)(own->notify);
    } else if (signal_ == siLineError) {
        saved->lineError = port_->OnLineError();
        own->lineError = [saved](QObject*, const TLineErrors& errors) {
            if (saved->lamp)
                saved->lamp->Pulse();
            saved->lineError(saved->port, errors);
        };
        port_->SetOnLineError(own->lineError);
    } else if (signal_ == siTxChar) {
        saved->beforeWrite = port_->BeforeWrite();
        own->beforeWrite = [saved](QObject*, const char* buffer, int length, bool wait) {
            if (saved->lamp)
                saved->lamp->WriteStarted();
            saved->beforeWrite(saved->port, buffer, length, wait);
        };
        port_->SetBeforeWrite(own->beforeWrite);
        saved->afterWrite = port_->AfterWrite();
        own->afterWrite = [saved](QObject*, const char* buffer, int length, bool wait) {
            if (saved->lamp)
                saved->lamp->WriteFinished();
            saved->afterWrite(saved->port, buffer, length, wait);
        };
        port_->SetAfterWrite(own->afterWrite);
    }
    saved_ = saved;
    own_ = std::move(own);
}

void TComSignal::Unhook()
{
    if (!saved_)
        return;
    // A handler installed after this lamp's stays; it still reaches the
    // saved handlers through this lamp's own, which only passes events on now.
    saved_->lamp = nullptr;
    if (port_ != nullptr) {
        if (port_->AfterOpen() == own_->afterOpen)
            port_->SetAfterOpen(saved_->afterOpen);
        if (port_->AfterClose() == own_->afterClose)
            port_->SetAfterClose(saved_->afterClose);
        if (const NotifyEventAccess* access = NotifyEventOf(signal_); access && (port_->*access->get)() == own_->notify)
            (port_->*access->set)(saved_->notify);
        if (signal_ == siLineError && port_->OnLineError() == own_->lineError)
            port_->SetOnLineError(saved_->lineError);
        if (signal_ == siTxChar && port_->BeforeWrite() == own_->beforeWrite)
            port_->SetBeforeWrite(saved_->beforeWrite);
        if (signal_ == siTxChar && port_->AfterWrite() == own_->afterWrite)
            port_->SetAfterWrite(saved_->afterWrite);
    }
    saved_.reset();
    own_.reset();
    writing_ = false;
}

void TComSignal::PortDestroyed()
{
    // The port is past its own destructor: nothing is given back to it.
    if (saved_)
        saved_->lamp = nullptr;
    saved_.reset();
    own_.reset();
    SetComPort(nullptr);
}

void TComSignal::Refresh()
{
    bool on = false;
    if (port_ != nullptr && port_->Active()) {
        if (const auto line = ModemLineOf(signal_))
            on = port_->ModemStatus().count(*line) != 0;
    }
    SetSignalValue(on);
}

void TComSignal::Pulse()
{
    SetSignalValue(true);
    lastPulse_.start();
    if (!timer_.isActive())
        timer_.start(delay_);
}

void TComSignal::WriteStarted()
{
    writing_ = true;
    Pulse();
}

void TComSignal::WriteFinished()
{
    writing_ = false;
}

void TComSignal::TimerTick()
{
    if (signal_ == siTxChar && writing_) {
        timer_.start(delay_);
        return;
    }
    // Pulses since the timer started move the end on to Delay after the last.
    const qint64 left = delay_ - lastPulse_.elapsed();
    if (left > 0) {
        timer_.start(static_cast<int>(left));
        return;
    }
    SetSignalValue(false);
}

void TComSignal::SetSignalValue(bool value)
{
    if (value == value_)
        return;
    value_ = value;
    Paint();
    onSignal_(this);
}

void TComSignal::Paint()
{
    if (!control_)
        return;
    control_->setAutoFillBackground(true);
    QPalette palette = control_->palette();
    palette.setColor(QPalette::Window, value_ ? colorOn_ : colorOff_);
    control_->setPalette(palette);
}

} // namespace zelt
