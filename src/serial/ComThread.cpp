#include "serial/ComThread.h"

#include "serial/ComDevice.h"

#include <QMetaObject>

#include <algorithm>

#include <cerrno>
#include <poll.h>
#include <sys/eventfd.h>
#include <sys/ioctl.h>
#include <system_error>
#include <unistd.h>

namespace zelt {

namespace {

// Nice values for the thread priorities; below 0 needs privileges.
int NiceFor(TThreadPriority priority)
{
    constexpr int nice[] = {19, 10, 5, 0, -5, -10, -20};
    return nice[priority];
}

// Modem lines and line counters are not signalled through poll; while a
// handler asks for them they are sampled at this interval.
constexpr int kSampleMs = 20;
// A handler that left bytes unread: look for new ones at this interval
// rather than spinning on a descriptor that stays readable.
constexpr int kBackoffMs = 20;
// Output drain is sampled at this interval until OnTxEmpty is reported.
constexpr int kDrainMs = 5;
// A descriptor that keeps reporting readable with nothing queued is at its
// end (a tty without hang-up reporting); after this many looks it counts as gone.
constexpr int kEmptyReadsForHangUp = 5;

constexpr unsigned kRxEvents = evRxChar | evRxFlag | evRx80PercFull;
constexpr unsigned kModemEvents = evCTS | evDSR | evRLSD | evRing;
constexpr unsigned kCounterEvents = evBreak | evError;

unsigned ModemChanges(int before, int after)
{
    const int changed = before ^ after;
    unsigned events = 0;
    if (changed & TIOCM_CTS)
        events |= evCTS;
    if (changed & TIOCM_DSR)
        events |= evDSR;
    if (changed & TIOCM_CD)
        events |= evRLSD;
    if (changed & TIOCM_RI)
        events |= evRing;
    return events;
}

unsigned CounterChanges(const comdev::LineCounters& before, const comdev::LineCounters& after)
{
    unsigned events = 0;
    if (after.breaks != before.breaks)
        events |= evBreak;
    if (after.frame != before.frame || after.overrun != before.overrun || after.parity != before.parity ||
        after.bufferOverrun != before.bufferOverrun)
        events |= evError;
    return events;
}

} // namespace

TComThread::TComThread(Link link, TThreadPriority priority)
    : link_(std::move(link)), nice_(NiceFor(priority))
{
    wakeFd_ = eventfd(0, EFD_NONBLOCK | EFD_CLOEXEC);
    if (wakeFd_ < 0)
        throw std::system_error(errno, std::generic_category());
    try {
        thread_ = std::thread([this] { Execute(); });
    } catch (...) {
        close(wakeFd_);
        throw;
    }
}

TComThread::~TComThread()
{
    RequestStop();
    thread_.join();
    close(wakeFd_);
}

void TComThread::RequestStop()
{
    {
        std::lock_guard lock(control_->mutex);
        control_->stopping = true;
    }
    control_->cv.notify_all();
    Wake();
}

void TComThread::Wake()
{
    const std::uint64_t one = 1;
    // The counter only saturates when nobody reads it, which cannot block a wake-up.
    [[maybe_unused]] const ssize_t n = write(wakeFd_, &one, sizeof one);
}

bool TComThread::IsCurrent() const
{
    return std::this_thread::get_id() == thread_.get_id();
}

void TComThread::SetPriority(TThreadPriority priority)
{
    nice_ = NiceFor(priority);
    if (const int tid = tid_; tid != 0)
        comdev::SetPriority(tid, nice_); // EPERM: not privileged to raise it
}

bool TComThread::RunOnMain(std::function<void()> work)
{
    const std::shared_ptr<Control> control = control_;
    std::uint64_t ticket = 0;
    {
        std::lock_guard lock(control->mutex);
        if (control->stopping)
            return false;
        ticket = ++control->queued;
    }
    QMetaObject::invokeMethod(
        link_.context,
        [control, ticket, work = std::move(work)] {
            // A hand-over that runs after its thread was told to stop is stale.
            if (control->stopping)
                return;
            work();
            {
                std::lock_guard lock(control->mutex);
                control->done = ticket;
            }
            control->cv.notify_all();
        },
        Qt::QueuedConnection);
    std::unique_lock lock(control->mutex);
    control->cv.wait(lock, [&] { return control->done >= ticket || control->stopping; });
    return !control->stopping;
}

void TComThread::Fail(int error, bool hangUp)
{
    const std::shared_ptr<Control> control = control_;
    QMetaObject::invokeMethod(
        link_.context,
        [control, failed = link_.failed, error, hangUp] {
            if (!control->stopping)
                failed(error, hangUp);
        },
        Qt::QueuedConnection);
}

void TComThread::Execute()
{
    tid_ = comdev::CurrentThreadId();
    comdev::SetPriority(0, nice_); // EPERM: not privileged to raise it

    ComDevice& device = *link_.device;
    const int fd = device.Handle();
    // A socket tells a hang-up by itself; only a tty needs the empty-reads guess.
    const bool tty = device.DeviceKind() == ComDevice::Kind::Tty;
    int lastModem = 0;
    bool modemLines = device.GetModemLines(lastModem) == 0;
    comdev::LineCounters lastCounters;
    bool counters = device.GetLineCounters(lastCounters) == 0;
    // Bytes already reported and not yet read are not reported again: the
    // queue as it was at the last report, less what the port has read since.
    int reportedQueue = 0;
    std::uint64_t readAtReport = 0;
    const auto unreported = [&] {
        const std::uint64_t consumed = link_.bytesRead() - readAtReport;
        return consumed >= static_cast<std::uint64_t>(reportedQueue) ? 0 : reportedQueue - static_cast<int>(consumed);
    };
    bool pause = false; // readable with nothing queued: look again later
    int emptyReads = 0; // in a row, without the port reading anything in between
    std::uint64_t readAtEmpty = 0;

    while (!control_->stopping) {
        const unsigned mask = link_.mask();
        const bool wantRx = (mask & kRxEvents) != 0;
        const bool wantModem = modemLines && (mask & kModemEvents) != 0;
        const bool wantCounters = counters && (mask & kCounterEvents) != 0;
        const bool wantDrain = (mask & evTxEmpty) != 0 && link_.outputStarted();
        const int unread = wantRx ? unreported() : 0;
        // With bytes left unread the descriptor stays readable: sample the
        // queue instead of polling for input, so the thread does not spin.
        const bool sampleRx = wantRx && (unread > 0 || pause);

        // Hang-ups show in revents even when no events are asked for; a
        // socket closed by the far end only when asked (POLLRDHUP).
        pollfd fds[2] = {{wakeFd_, POLLIN, 0},
                         {fd, static_cast<short>((wantRx && !sampleRx ? POLLIN : 0) | POLLRDHUP), 0}};
        int timeout = -1;
        if (const int error = device.Service(timeout); error != 0) {
            Fail(error, true);
            return;
        }
        const auto within = [&timeout](int ms) { timeout = timeout < 0 ? ms : std::min(timeout, ms); };
        if (sampleRx)
            within(kBackoffMs);
        if (wantModem || wantCounters)
            within(kSampleMs);
        if (wantDrain)
            within(kDrainMs);
        const int n = poll(fds, 2, timeout);
        if (control_->stopping)
            break;
        if (n < 0) {
            if (errno == EINTR)
                continue;
            Fail(errno, false);
            return;
        }
        if (fds[0].revents & POLLIN) {
            std::uint64_t count = 0;
            [[maybe_unused]] const ssize_t r = read(wakeFd_, &count, sizeof count);
        }
        if (fds[1].revents & (POLLHUP | POLLERR | POLLNVAL | POLLRDHUP)) {
            Fail(device.LostError(), true);
            return;
        }

        unsigned events = 0;
        if (wantRx && (sampleRx || (fds[1].revents & POLLIN))) {
            pause = false;
            // Taken before the count, so a read in between can only cause an
            // extra report, never a missed one.
            const std::uint64_t readBefore = link_.bytesRead();
            int count = 0;
            if (const int error = device.InputCount(count); error != 0) {
                Fail(error, true);
                return;
            }
            if (count > unread) {
                events |= evRxChar;
                if (count >= link_.rxFullThreshold())
                    events |= evRx80PercFull;
                reportedQueue = count;
                readAtReport = readBefore;
                emptyReads = 0;
            } else if (tty && count == 0 && !sampleRx) {
                // The port reading the bytes first is no sign of a hang-up.
                if (readBefore != readAtEmpty)
                    emptyReads = 0;
                readAtEmpty = readBefore;
                if (++emptyReads >= kEmptyReadsForHangUp) {
                    Fail(EIO, true);
                    return;
                }
                pause = true;
            }
        }
        if (wantModem) {
            int lines = 0;
            if (device.GetModemLines(lines) == 0) {
                events |= ModemChanges(lastModem, lines);
                lastModem = lines;
            } else {
                modemLines = false;
            }
        }
        if (wantCounters) {
            comdev::LineCounters now;
            if (device.GetLineCounters(now) == 0) {
                events |= CounterChanges(lastCounters, now);
                lastCounters = now;
            } else {
                counters = false;
            }
        }
        if (wantDrain) {
            int queued = 0;
            if (device.OutputCount(queued) == 0 && queued == 0) {
                link_.outputReported();
                events |= evTxEmpty;
            }
        }

        events &= mask;
        if (events == 0)
            continue;
        if (link_.synchronize) {
            if (!RunOnMain([this, events] { link_.dispatch(events, control_->stopping); }))
                break;
        } else {
            link_.dispatch(events, control_->stopping);
        }
    }
}

} // namespace zelt
