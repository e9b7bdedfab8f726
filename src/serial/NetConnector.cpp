#include "serial/NetConnector.h"

#include "serial/ComDevice.h"
#include "serial/SocketDevice.h"
#include "serial/TelnetCodec.h"

#include <QEventLoop>
#include <QSocketNotifier>

#include <cerrno>
#include <cstring>
#include <mutex>
#include <netdb.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <thread>
#include <unistd.h>

namespace zelt {

namespace {

// A dead line is noticed within about 25 s when idle (10 s, then three
// probes 5 s apart) and within 20 s when sent data goes unacknowledged.
int SetLineOptions(int fd)
{
    const auto set = [fd](int level, int name, int value) {
        return setsockopt(fd, level, name, &value, sizeof value) == 0;
    };
    if (set(IPPROTO_TCP, TCP_NODELAY, 1) && set(SOL_SOCKET, SO_KEEPALIVE, 1) && set(IPPROTO_TCP, TCP_KEEPIDLE, 10) &&
        set(IPPROTO_TCP, TCP_KEEPINTVL, 5) && set(IPPROTO_TCP, TCP_KEEPCNT, 3) &&
        set(IPPROTO_TCP, TCP_USER_TIMEOUT, 20000))
        return 0;
    return errno;
}

} // namespace

// Shared with the resolver thread, which cannot be cancelled and may end
// after the connector: it hands its result over only while target lives.
struct NetConnector::Handover {
    std::mutex mutex;
    NetConnector* target = nullptr;
};

NetConnector::Resolution NetConnector::SystemResolver(const std::string& host, const std::string& port)
{
    addrinfo hints {};
    hints.ai_family = AF_UNSPEC;
    hints.ai_socktype = SOCK_STREAM;
    hints.ai_flags = AI_NUMERICSERV;
    addrinfo* found = nullptr;
    Resolution resolution;
    resolution.result = getaddrinfo(host.c_str(), port.c_str(), &hints, &found);
    resolution.systemError = errno;
    for (const addrinfo* a = resolution.result == 0 ? found : nullptr; a != nullptr; a = a->ai_next) {
        Address address {};
        std::memcpy(&address.address, a->ai_addr, a->ai_addrlen);
        address.length = a->ai_addrlen;
        resolution.addresses.push_back(address);
    }
    if (found != nullptr)
        freeaddrinfo(found);
    return resolution;
}

std::vector<NetConnector::Address> NetConnector::Interleaved(const std::vector<Address>& addresses)
{
    std::vector<Address> first, other;
    if (addresses.empty())
        return {};
    for (const Address& a : addresses)
        (a.address.ss_family == addresses.front().address.ss_family ? first : other).push_back(a);
    std::vector<Address> order;
    for (std::size_t i = 0; i < first.size() || i < other.size(); ++i) {
        if (i < first.size())
            order.push_back(first[i]);
        if (i < other.size())
            order.push_back(other[i]);
    }
    return order;
}

NetConnector::NetConnector(NetworkLine line, int timeoutMs, QObject* parent)
    : QObject(parent), line_(std::move(line))
{
    timer_.setSingleShot(true);
    timer_.setTimerType(Qt::PreciseTimer); // a coarse one may end 5 % early
    timer_.setInterval(timeoutMs);
    connect(&timer_, &QTimer::timeout, this, [this] { Guarded([&] { TimedOut(); }); });
    stagger_.setSingleShot(true);
    stagger_.setTimerType(Qt::PreciseTimer);
    stagger_.setInterval(kStaggerMs);
    connect(&stagger_, &QTimer::timeout, this, [this] { Guarded([&] { StartNext(); }); });
}

NetConnector::~NetConnector()
{
    if (handover_) {
        std::lock_guard lock(handover_->mutex);
        handover_->target = nullptr;
    }
    CloseAll();
}

void NetConnector::Start()
{
    timer_.start();
    handover_ = std::make_shared<Handover>();
    handover_->target = this;
    std::thread([handover = handover_, resolver = resolver_, host = line_.host, port = line_.port] {
        Resolution resolution = resolver(host, port);
        std::lock_guard lock(handover->mutex);
        if (NetConnector* target = handover->target)
            QMetaObject::invokeMethod(
                target,
                [target, resolution = std::move(resolution)]() mutable {
                    target->Guarded([&] { target->Resolved(std::move(resolution)); });
                },
                Qt::QueuedConnection);
    }).detach();
}

std::unique_ptr<ComDevice> NetConnector::TakeDevice()
{
    return std::move(device_);
}

void NetConnector::Resolved(Resolution resolution)
{
    if (finished_)
        return;
    if (resolution.result != 0) {
        Fail(resolution.result == EAI_SYSTEM ? comdev::SystemError(resolution.systemError)
                                             : EComError(gai_strerror(resolution.result), 0));
        return;
    }
    if (!resolution.addresses.empty())
        addresses_ = Interleaved(resolution.addresses);
    StartNext();
}

// Starts the attempt at the next address; when none is left and none is
// under way, the last failure is the error.
void NetConnector::StartNext()
{
    stagger_.stop();
    while (next_ < addresses_.size()) {
        const Address& a = addresses_[next_++];
        const int fd = socket(a.address.ss_family, SOCK_STREAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0);
        if (fd < 0) {
            lastError_ = errno;
            continue;
        }
        if (const int error = SetLineOptions(fd); error != 0) {
            lastError_ = error;
            close(fd);
            continue;
        }
        if (::connect(fd, reinterpret_cast<const sockaddr*>(&a.address), a.length) == 0) {
            Won(fd);
            return;
        }
        if (errno == EINPROGRESS) {
            auto notifier = std::make_unique<QSocketNotifier>(fd, QSocketNotifier::Write);
            connect(notifier.get(), &QSocketNotifier::activated, this, [this, fd] { Guarded([&] { AttemptEnded(fd); }); });
            attempts_.push_back({fd, std::move(notifier)});
            stagger_.start();
            return;
        }
        lastError_ = errno;
        close(fd);
    }
    if (attempts_.empty())
        Fail(comdev::SystemError(lastError_ != 0 ? lastError_ : EHOSTUNREACH));
}

// The connect of one attempt has ended, either way. When the latest has
// failed the next starts at once.
void NetConnector::AttemptEnded(int fd)
{
    int error = 0;
    socklen_t size = sizeof error;
    getsockopt(fd, SOL_SOCKET, SO_ERROR, &error, &size);
    if (error == 0) {
        Won(fd);
        return;
    }
    lastError_ = error;
    const bool latest = !attempts_.empty() && attempts_.back().fd == fd;
    for (auto it = attempts_.begin(); it != attempts_.end(); ++it) {
        if (it->fd == fd) {
            DropNotifier(it->notifier);
            attempts_.erase(it);
            break;
        }
    }
    close(fd);
    if (latest)
        StartNext();
}

void NetConnector::Won(int fd)
{
    stagger_.stop();
    for (Attempt& attempt : attempts_) {
        DropNotifier(attempt.notifier);
        if (attempt.fd != fd)
            close(attempt.fd);
    }
    attempts_.clear();
    fd_ = fd;
    connectedAt_ = std::chrono::steady_clock::now();
    if (!line_.telnet) {
        Succeed();
        return;
    }
    telnet_ = std::make_unique<TelnetCodec>();
    const std::string offers = telnet_->Start();
    // A fresh socket takes these few bytes at once.
    if (send(fd_, offers.data(), offers.size(), MSG_NOSIGNAL) != static_cast<ssize_t>(offers.size())) {
        Fail(comdev::SystemError(errno != 0 ? errno : EIO));
        return;
    }
    notifier_ = std::make_unique<QSocketNotifier>(fd_, QSocketNotifier::Read);
    connect(notifier_.get(), &QSocketNotifier::activated, this, [this] { Guarded([&] { Readable(); }); });
}

// One chunk at a time, so that a server that streams cannot keep the event
// loop (and the operator's Cancel) waiting. Payload before the line is open
// is dropped, as opening purges the input; only its words are kept.
void NetConnector::Readable()
{
    char chunk[4096];
    ssize_t n = 0;
    do
        n = recv(fd_, chunk, sizeof chunk, MSG_DONTWAIT);
    while (n < 0 && errno == EINTR);
    if (n < 0 && (errno == EAGAIN || errno == EWOULDBLOCK))
        return;
    if (n <= 0) {
        FailClosed(n == 0 ? ECONNRESET : errno);
        return;
    }
    std::string payload, replies;
    telnet_->Decode(std::string_view(chunk, static_cast<std::size_t>(n)), payload, replies);
    words_.Add(payload);
    if (!replies.empty() &&
        send(fd_, replies.data(), replies.size(), MSG_NOSIGNAL) != static_cast<ssize_t>(replies.size())) {
        Fail(comdev::SystemError(errno != 0 ? errno : EIO));
        return;
    }
    if (!telnet_->Failure().empty())
        Fail(EComError(telnet_->Failure(), 0));
    else if (telnet_->Ready())
        Succeed();
}

// An unforeseen error ends the attempt with its message.
void NetConnector::Guarded(const std::function<void()>& work)
{
    try {
        work();
    } catch (const std::exception& e) {
        Fail(EComError(e.what(), 0));
    } catch (...) {
        Fail(EComError("Unknown error", 0));
    }
}

void NetConnector::Succeed()
{
    DropNotifier(notifier_);
    timer_.stop();
    SocketDevice::Timing timing;
    timing.connectedAt = connectedAt_;
    timing.silenceLimit = line_.silenceLimit;
    device_ = std::make_unique<SocketDevice>(fd_, std::move(telnet_), timing);
    fd_ = -1;
    finished_ = true;
    emit finished();
}

void NetConnector::Fail(const EComError& error)
{
    if (finished_)
        return;
    timer_.stop();
    CloseAll();
    error_ = error;
    finished_ = true;
    emit finished();
}

void NetConnector::FailClosed(int error)
{
    const std::string words = words_.Text();
    Fail(words.empty() ? comdev::SystemError(error) : EComError("The terminal server closed the line: " + words, 0));
}

// A server that talked instead of negotiating is quoted.
void NetConnector::TimedOut()
{
    const std::string words = words_.Text();
    Fail(words.empty() ? comdev::SystemError(ETIMEDOUT)
                       : EComError("The terminal server did not negotiate the line: " + words, 0));
}

// The notifier may be the one whose signal is being handled: it goes later.
void NetConnector::DropNotifier(std::unique_ptr<QSocketNotifier>& notifier)
{
    if (notifier) {
        notifier->setEnabled(false);
        notifier.release()->deleteLater();
    }
}

void NetConnector::CloseAll()
{
    stagger_.stop();
    for (Attempt& attempt : attempts_) {
        DropNotifier(attempt.notifier);
        close(attempt.fd);
    }
    attempts_.clear();
    DropNotifier(notifier_);
    if (fd_ >= 0)
        close(fd_);
    fd_ = -1;
}

std::unique_ptr<ComDevice> ConnectWaiting(const NetworkLine& line)
{
    NetConnector connector(line);
    QEventLoop loop;
    QObject::connect(&connector, &NetConnector::finished, &loop, &QEventLoop::quit);
    connector.Start();
    loop.exec();
    if (std::unique_ptr<ComDevice> device = connector.TakeDevice())
        return device;
    throw *connector.Error();
}

} // namespace zelt
