#include "serial/ComPort.h"

#include "core/Abort.h"
#include "serial/ComDevice.h"
#include "serial/ComPortImpl.h"
#include "serial/ComThread.h"
#include "serial/LineSettings.h"
#include "serial/NetConnector.h"
#include "serial/PortNames.h"
#include "serial/TtyDevice.h"

#include <QFile>
#include <QPointer>
#include <QSocketNotifier>
#include <QThread>

#include <cerrno>
#include <chrono>
#include <mutex>
#include <optional>
#include <poll.h>
#include <sys/ioctl.h>
#include <system_error>

namespace zelt {

namespace {

using Clock = std::chrono::steady_clock;

const char* const kClosedPort = "Can't perform this operation on a closed port";
const char* const kOpenPort = "Can't perform this operation on an open port";

// Nice values for the process priority classes. Raising the priority needs
// privileges; without them the process keeps its priority (EPERM is ignored).
int NiceForClass(TPriorityClass priority)
{
    constexpr int nice[] = {0, 19, 0, -10, -20};
    return nice[priority];
}

bool NotPrivileged(int error)
{
    return error == EPERM || error == EACCES;
}

// Milliseconds left until deadline for poll: -1 without a deadline, 0 when past.
int MillisecondsLeft(const std::optional<Clock::time_point>& deadline)
{
    if (!deadline)
        return -1;
    const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(*deadline - Clock::now()).count();
    return left <= 0 ? 0 : static_cast<int>(left);
}

// The earlier of two optional deadlines.
std::optional<Clock::time_point> Earlier(std::optional<Clock::time_point> a, std::optional<Clock::time_point> b)
{
    if (!a)
        return b;
    if (!b)
        return a;
    return std::min(*a, *b);
}

} // namespace


TCustomComPort::TCustomComPort(QObject* owner) : QObject(owner), d_(std::make_unique<Impl>(*this)) {}

TCustomComPort::~TCustomComPort()
{
    Guarded([&] { Close(); });
    CloseDeviceSteps(); // when a BeforeClose handler failed
}

// ---- Opening and closing -------------------------------------------------

bool TCustomComPort::Active() const
{
    return d_->device != nullptr;
}

void TCustomComPort::SetActive(bool value)
{
    if (value == Active())
        return;
    if (value)
        Open();
    else
        Close();
}

void TCustomComPort::OpenConnected(std::unique_ptr<ComDevice> device)
{
    CheckClosed();
    d_->connected = std::move(device);
    try {
        Open();
    } catch (...) {
        d_->connected.reset(); // a BeforeOpen handler failed before the device was taken
        throw;
    }
}

void TCustomComPort::Open()
{
    d_->beforeOpen(this);
    OpenDevice();
    if (Active())
        d_->afterOpen(this);
}

void TCustomComPort::OpenDevice()
{
    CloseDeviceSteps();
    errno = 0;
    try {
        if (d_->priorityClass != pcDefault) {
            // The nice value is per thread on Linux: this sets the calling (main)
            // thread's, where the program's work runs.
            int nice = 0;
            Check(comdev::GetPriority(0, nice));
            d_->savedNice = nice;
            if (const int error = comdev::SetPriority(0, NiceForClass(d_->priorityClass)); !NotPrivileged(error))
                Check(error);
        }
        d_->device = OpenPortDevice();
        {
            std::lock_guard lock(d_->countersMutex);
            d_->hasCounters = d_->device->GetLineCounters(d_->counters) == 0;
        }
        d_->writeNotifier = std::make_unique<QSocketNotifier>(d_->device->Handle(), QSocketNotifier::Write);
        d_->writeNotifier->setEnabled(false);
        connect(d_->writeNotifier.get(), &QSocketNotifier::activated, this,
                [this] { Guarded([&] { ContinueWrite(); }); });
        PurgeInput();
        PurgeOutput();
        ApplyBufferSizes();
        ApplyLineSettings();
        ApplyTimeouts();
        ApplyEventMask();
    } catch (...) {
        CloseDeviceSteps();
        throw;
    }
}

// A name mapped to a network line, or a network line's address itself,
// opens a socket; any other name a tty.
std::unique_ptr<ComDevice> TCustomComPort::OpenPortDevice()
{
    if (d_->connected)
        return std::move(d_->connected);
    QString url = MappedPortUrl(d_->deviceName);
    if (url.isEmpty() && d_->deviceName.contains(QLatin1String("://")))
        url = d_->deviceName;
    if (!url.isEmpty()) {
        std::optional<NetworkLine> line = ParseNetworkLine(url);
        if (!line)
            RaiseError(EComError("Not a network port address: " + url.toStdString(), 0));
        line->silenceLimit = RawLineSilenceLimit();
        try {
            return d_->lineConnector ? d_->lineConnector(*line) : ConnectWaiting(*line);
        } catch (const EComError& error) {
            RaiseError(error);
        }
    }
    int error = 0;
    std::unique_ptr<ComDevice> device =
        TtyDevice::Open(ResolvePortDevice(QFile::encodeName(d_->deviceName).toStdString()), error);
    Check(error);
    return device;
}

void TCustomComPort::Close()
{
    // Closing from the event thread is done by the main thread.
    if (d_->thread && d_->thread->IsCurrent()) {
        d_->thread->RunOnMain([this] { Close(); });
        return;
    }
    if (!Active())
        return;
    d_->beforeClose(this);
    CloseDeviceSteps();
    if (!Active())
        d_->afterClose(this);
}

void TCustomComPort::CloseDeviceSteps()
{
    StopThread();
    if (d_->device) {
        d_->writeNotifier.reset();
        d_->read.pending = false;
        d_->write.pending = false;
        d_->device.reset();
        d_->lossReported = false;
    }
    if (d_->savedNice) {
        comdev::SetPriority(0, *d_->savedNice); // lowering it back may need privileges
        d_->savedNice.reset();
    }
}

// ---- The event thread ----------------------------------------------------

void TCustomComPort::StartThread()
{
    if (d_->retiredThread && !d_->retiredThread->IsCurrent())
        d_->retiredThread.reset();
    Impl* const d = d_.get();
    TComThread::Link link;
    link.context = this;
    link.device = d->device.get();
    link.synchronize = d->synchronizeEvents;
    link.mask = [d] { return d->eventMask.load(); };
    link.rxFullThreshold = [d] { return d->rxFullThreshold.load(); };
    link.outputStarted = [d] { return d->outputStarted.load(); };
    link.outputReported = [d] { d->outputStarted = false; };
    link.bytesRead = [d] { return d->bytesRead.load(); };
    link.dispatch = [this](unsigned events, const std::atomic<bool>& stopping) { DispatchEvents(events, stopping); };
    link.failed = [this](int error, bool hangUp) { EventThreadFailed(error, hangUp); };
    try {
        d_->thread = std::make_unique<TComThread>(std::move(link), d_->threadPriority);
    } catch (const std::system_error&) {
        RaiseError(EComError("Can't create thread", 0));
    }
}

void TCustomComPort::StopThread()
{
    d_->eventMask = 0;
    if (d_->retiredThread && !d_->retiredThread->IsCurrent())
        d_->retiredThread.reset();
    if (!d_->thread)
        return;
    if (d_->thread->IsCurrent()) {
        // A handler on the event thread cannot join its own thread.
        d_->thread->RequestStop();
        d_->retiredThread = std::move(d_->thread);
        return;
    }
    d_->thread.reset();
}

void TCustomComPort::ApplyEventMask()
{
    const std::pair<const TNotifyEvent*, unsigned> notify[] = {
        {&d_->onBreak, evBreak},       {&d_->onCTSChange, evCTS},         {&d_->onDSRChange, evDSR},
        {&d_->onEvent1, evEvent1},     {&d_->onEvent2, evEvent2},         {&d_->onPrinterError, evPrinterError},
        {&d_->onRing, evRing},         {&d_->onRLSDChange, evRLSD},       {&d_->onRx80PercFull, evRx80PercFull},
        {&d_->onRxChar, evRxChar},     {&d_->onRxFlag, evRxFlag},         {&d_->onTxEmpty, evTxEmpty},
    };
    unsigned mask = d_->onLineError ? evError : 0u;
    for (const auto& [handler, event] : notify)
        if (*handler)
            mask |= event;
    if (mask == 0) {
        StopThread();
        return;
    }
    d_->eventMask = mask;
    if (d_->thread)
        d_->thread->Wake();
    else
        StartThread();
}

void TCustomComPort::LineEventHandlerChanged()
{
    if (Active())
        ApplyEventMask();
}

void TCustomComPort::DispatchEvents(unsigned events, const std::atomic<bool>& stopping)
{
    const QPointer<TCustomComPort> alive(this);
    // What the handlers throw reaches the error sink on the main thread, also
    // when they run on the event thread.
    const auto handlers = [&] {
        // A handler may close or even destroy the port; the rest is then skipped.
        const auto raise = [&](unsigned event, TNotifyEvent Impl::*handler) {
            if (!alive || stopping || (events & event) == 0)
                return;
            const TNotifyEvent h = (*d_).*handler;
            h(this);
        };
        raise(evBreak, &Impl::onBreak);
        raise(evCTS, &Impl::onCTSChange);
        raise(evDSR, &Impl::onDSRChange);
        if (alive && !stopping && (events & evError) != 0 && d_->onLineError)
            CheckLineErrors();
        raise(evEvent1, &Impl::onEvent1);
        raise(evEvent2, &Impl::onEvent2);
        raise(evPrinterError, &Impl::onPrinterError);
        raise(evRing, &Impl::onRing);
        raise(evRLSD, &Impl::onRLSDChange);
        raise(evRx80PercFull, &Impl::onRx80PercFull);
        raise(evRxChar, &Impl::onRxChar);
        raise(evRxFlag, &Impl::onRxFlag);
        raise(evTxEmpty, &Impl::onTxEmpty);
    };
    if (QThread::currentThread() == thread()) {
        Guarded(handlers);
        return;
    }
    try {
        handlers();
    } catch (...) {
        QMetaObject::invokeMethod(
            this, [this, error = std::current_exception()] { Report(error); }, Qt::QueuedConnection);
    }
}

void TCustomComPort::EventThreadFailed(int error, bool hangUp)
{
    Guarded([&] {
        d_->thread.reset(); // it has ended by itself
        // A transfer on this thread may have met the loss first and raised it:
        // the port is then closed without telling it twice.
        const bool told = hangUp && d_->lossReported;
        const std::string reason = hangUp && d_->device ? d_->device->LostReason() : std::string();
        // The device has gone away: what is left of it is closed.
        if (hangUp)
            Close();
        if (!told)
            RaiseError(reason.empty() ? comdev::SystemError(error) : EComError(reason, 0));
    });
}

// ---- Errors ----------------------------------------------------------------

void TCustomComPort::Guarded(const std::function<void()>& work)
{
    try {
        work();
    } catch (...) {
        Report(std::current_exception());
    }
}

void TCustomComPort::Report(const std::exception_ptr& error)
{
    std::string message;
    try {
        std::rethrow_exception(error);
    } catch (const EAbort&) {
        return;
    } catch (const std::exception& e) {
        message = e.what();
    } catch (...) {
        message = "Unknown error";
    }
    if (d_->errorSink)
        d_->errorSink(message);
    else
        qWarning("%s: %s", qUtf8Printable(d_->deviceName), message.c_str());
}

void TCustomComPort::RaiseError(const EComError& error)
{
    TComAction action = caFail;
    d_->onError(this, error, action);
    if (action == caAbort)
        throw EAbort();
    throw error;
}

void TCustomComPort::Check(int error)
{
    if (error != 0)
        RaiseError(comdev::SystemError(error));
}

void TCustomComPort::CheckTransfer(int error)
{
    if (error == 0)
        return;
    d_->lossReported = true;
    const std::string reason = d_->device->LostReason();
    RaiseError(reason.empty() ? comdev::SystemError(error) : EComError(reason, 0));
}

void TCustomComPort::CheckOpen()
{
    if (!Active())
        RaiseError(EComError(kClosedPort, 0));
}

void TCustomComPort::CheckClosed()
{
    if (Active())
        RaiseError(EComError(kOpenPort, 0));
}

TLineErrors TCustomComPort::TakeLineErrors()
{
    // Nobody to tell: the driver's counters are not read at every transfer.
    // Assigning a handler takes them afresh (SetOnLineError), so that it
    // hears only of errors after it came, as if they had been read all along.
    if (!d_->onLineError)
        return {};
    std::lock_guard lock(d_->countersMutex);
    comdev::LineCounters now;
    // Pseudo-terminals keep no error counters: they report no line errors.
    if (!d_->hasCounters || d_->device->GetLineCounters(now) != 0)
        return {};
    const TLineErrors errors = comdev::LineErrorsBetween(d_->counters, now);
    d_->counters = now;
    return errors;
}

void TCustomComPort::CheckLineErrors()
{
    CheckOpen();
    const TLineErrors errors = TakeLineErrors();
    if (!errors.empty())
        d_->onLineError(this, errors);
}

// ---- Transfers -------------------------------------------------------------

void TCustomComPort::Read(char* Buffer, int Length, bool WaitOnCompletion)
{
    CheckOpen();
    d_->beforeRead(this, Buffer, Length, WaitOnCompletion);
    FinishRead();
    auto& r = d_->read;
    r.buffer = Buffer;
    r.asked = Length;
    r.done = 0;
    r.start = r.lastByte = Clock::now();
    r.pending = Length > 0;
    if (r.pending) {
        int got = 0;
        const int error = d_->device->ReadSome(Buffer, Length, got);
        if (error != 0)
            r.pending = false;
        CheckTransfer(error);
        r.done = got;
        d_->bytesRead += static_cast<std::uint64_t>(got);
        if (WaitOnCompletion)
            FinishRead();
    }
    d_->afterRead(this, Buffer, Length, WaitOnCompletion);
}

void TCustomComPort::FinishRead()
{
    auto& r = d_->read;
    if (r.pending) {
        r.pending = false; // whatever happens next, this transfer is over
        const auto& t = d_->deviceTimeouts;
        std::optional<Clock::time_point> total;
        if (t.readMultiplier != 0 || t.readConstant != 0)
            total = r.start + std::chrono::milliseconds(std::int64_t(t.readMultiplier) * r.asked + t.readConstant);
        while (r.done < r.asked) {
            std::optional<Clock::time_point> deadline = total;
            if (t.readInterval > 0 && r.done > 0)
                deadline = Earlier(deadline, r.lastByte + std::chrono::milliseconds(t.readInterval));
            const int wait = MillisecondsLeft(deadline);
            bool ready = false;
            CheckTransfer(d_->device->WaitReady(POLLIN, wait, ready));
            if (!ready && wait == 0)
                break;
            int got = 0;
            CheckTransfer(d_->device->ReadSome(r.buffer + r.done, r.asked - r.done, got));
            if (got > 0) {
                r.done += got;
                d_->bytesRead += static_cast<std::uint64_t>(got);
                r.lastByte = Clock::now();
            }
        }
        if (r.done != r.asked)
            RaiseError(EComError("Timeout", 0));
    }
    CheckLineErrors();
}

void TCustomComPort::Write(const char* Buffer, int Length, bool WaitOnCompletion)
{
    CheckOpen();
    d_->beforeWrite(this, Buffer, Length, WaitOnCompletion);
    FinishWrite();
    auto& w = d_->write;
    w.bytes.assign(Buffer, static_cast<std::size_t>(Length > 0 ? Length : 0));
    w.done = 0;
    w.start = Clock::now();
    w.pending = Length > 0;
    if (w.pending) {
        ContinueWrite();
        if (WaitOnCompletion)
            FinishWrite();
    }
    d_->afterWrite(this, Buffer, Length, WaitOnCompletion);
}

void TCustomComPort::ContinueWrite()
{
    auto& w = d_->write;
    const int length = static_cast<int>(w.bytes.size());
    if (!w.pending || w.done >= length) {
        // Nothing left to write: a notifier still armed would fire without end.
        d_->writeNotifier->setEnabled(false);
        return;
    }
    int put = 0;
    const int error = d_->device->WriteSome(w.bytes.data() + w.done, length - w.done, put);
    if (error != 0) {
        w.pending = false;
        d_->writeNotifier->setEnabled(false);
        CheckTransfer(error);
    }
    w.done += put;
    const bool left = w.done < length;
    d_->writeNotifier->setEnabled(left);
    if (!left) {
        d_->outputStarted = true;
        if (d_->thread)
            d_->thread->Wake();
    }
}

void TCustomComPort::FinishWrite()
{
    auto& w = d_->write;
    if (w.pending) {
        const int length = static_cast<int>(w.bytes.size());
        const auto& t = d_->deviceTimeouts;
        std::optional<Clock::time_point> deadline;
        if (t.writeMultiplier != 0 || t.writeConstant != 0)
            deadline = w.start + std::chrono::milliseconds(std::int64_t(t.writeMultiplier) * length + t.writeConstant);
        while (w.pending && w.done < length) {
            const int wait = MillisecondsLeft(deadline);
            bool ready = false;
            const int error = d_->device->WaitReady(POLLOUT, wait, ready);
            if (error != 0) {
                w.pending = false;
                d_->writeNotifier->setEnabled(false);
            }
            CheckTransfer(error);
            if (!ready && wait == 0)
                break;
            ContinueWrite();
        }
        w.pending = false;
        d_->writeNotifier->setEnabled(false);
        if (w.done != length)
            RaiseError(EComError("Timeout", 0));
    }
    CheckLineErrors();
}

void TCustomComPort::ReadAvailable(std::string& text)
{
    FinishRead();
    text.resize(static_cast<std::size_t>(BytesWaiting()));
    Read(text.data(), static_cast<int>(text.size()), true);
}

void TCustomComPort::WriteText(const std::string& text)
{
    Write(text.data(), static_cast<int>(text.size()), false);
}

int TCustomComPort::BytesWaiting()
{
    CheckOpen();
    const TLineErrors errors = TakeLineErrors();
    if (!errors.empty())
        d_->onLineError(this, errors);
    int count = 0;
    CheckTransfer(d_->device->InputCount(count));
    return count;
}

void TCustomComPort::PurgeInput()
{
    if (!Active())
        return;
    d_->read.pending = false;
    int discarded = 0;
    d_->device->InputCount(discarded);
    d_->bytesRead += static_cast<std::uint64_t>(discarded);
    Check(d_->device->PurgeInput());
}

void TCustomComPort::PurgeOutput()
{
    if (!Active())
        return;
    d_->write.pending = false;
    d_->writeNotifier->setEnabled(false);
    Check(d_->device->PurgeOutput());
}

TModemStatus TCustomComPort::ModemStatus()
{
    CheckOpen();
    int lines = 0;
    if (const int error = d_->device->GetModemLines(lines); error != 0) {
        if (comdev::NoModemLines(error))
            return {};
        Check(error);
    }
    TModemStatus status;
    if (lines & TIOCM_CTS)
        status.insert(msCTS);
    if (lines & TIOCM_DSR)
        status.insert(msDSR);
    if (lines & TIOCM_RI)
        status.insert(msRing);
    if (lines & TIOCM_CD)
        status.insert(msRLSD);
    return status;
}

// ---- Applying settings to the open device ---------------------------------

void TCustomComPort::ApplyBufferSizes()
{
    if (!Active())
        return;
    // The tty driver's queues have fixed sizes; the input size sets the mark
    // at which OnRx80PercFull is raised.
    d_->rxFullThreshold = static_cast<int>(static_cast<std::int64_t>(d_->bufferSizes.Input()) * 8 / 10);
}

void TCustomComPort::ApplyLineSettings()
{
    if (!Active())
        return;
    termios settings {};
    Check(d_->device->GetSettings(settings));
    LineSettings line;
    line.bitRate = d_->baudRate == brCustom ? d_->customBaudRate : BaudRateValue(d_->baudRate);
    line.dataBits = d_->dataBits;
    line.parity = d_->parity;
    line.stopBits = d_->stopBits;
    line.rts = d_->flowControl.RTS();
    line.xonXoff = d_->flowControl.XOnXOff();
    line.options = d_->options;
    line.xon = d_->characters.XOn();
    line.xoff = d_->characters.XOff();
    line.eof = d_->characters.Eof();
    Check(zelt::ApplyLineSettings(settings, line));
    Check(d_->device->SetSettings(settings));

    // DTR and RTS held on or off; the tty driver has no DTR handshake (DTR is
    // held on) and no RTS toggling around each send (RTS is held on). Devices
    // without modem lines ignore them.
    const auto setLine = [&](int line, bool on) {
        if (const int error = d_->device->SetModemLine(line, on); !comdev::NoModemLines(error))
            Check(error);
    };
    if (d_->flowControl.DTR() != dcDefault)
        setLine(TIOCM_DTR, d_->flowControl.DTR() != dcDisable);
    if (d_->flowControl.RTS() == rcDisable || d_->flowControl.RTS() == rcEnable || d_->flowControl.RTS() == rcToggle)
        setLine(TIOCM_RTS, d_->flowControl.RTS() != rcDisable);
}

void TCustomComPort::ApplyTimeouts()
{
    if (!Active())
        return;
    const TTimeouts& t = d_->timeouts;
    d_->deviceTimeouts = {t.ReadInterval(), t.ReadMultiplier(), t.ReadConstant(), t.WriteMultiplier(),
                          t.WriteConstant()};
}

} // namespace zelt
