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
struct NetConnector::Resolution {
    std::mutex mutex;
    NetConnector* target = nullptr;
};

NetConnector::NetConnector(NetworkLine line, int timeoutMs, QObject* parent)
    : QObject(parent), line_(std::move(line))
{
    timer_.setSingleShot(true);
    timer_.setTimerType(Qt::PreciseTimer); // a coarse one may end 5 % early
    timer_.setInterval(timeoutMs);
    connect(&timer_, &QTimer::timeout, this, [this] { Guarded([&] { Fail(comdev::SystemError(ETIMEDOUT)); }); });
}

NetConnector::~NetConnector()
{
    if (resolution_) {
        std::lock_guard lock(resolution_->mutex);
        resolution_->target = nullptr;
    }
    CloseSocket();
}

void NetConnector::Start()
{
    timer_.start();
    resolution_ = std::make_shared<Resolution>();
    resolution_->target = this;
    std::thread([resolution = resolution_, host = line_.host, port = line_.port] {
        addrinfo hints {};
        hints.ai_family = AF_UNSPEC;
        hints.ai_socktype = SOCK_STREAM;
        hints.ai_flags = AI_NUMERICSERV;
        addrinfo* found = nullptr;
        const int result = getaddrinfo(host.c_str(), port.c_str(), &hints, &found);
        const int systemError = errno;
        std::vector<Address> addresses;
        for (const addrinfo* a = result == 0 ? found : nullptr; a != nullptr; a = a->ai_next) {
            Address address {};
            std::memcpy(&address.address, a->ai_addr, a->ai_addrlen);
            address.length = a->ai_addrlen;
            addresses.push_back(address);
        }
        if (found != nullptr)
            freeaddrinfo(found);
        std::lock_guard lock(resolution->mutex);
        if (NetConnector* target = resolution->target)
            QMetaObject::invokeMethod(
                target,
                [target, result, systemError, addresses = std::move(addresses)]() mutable {
                    target->Guarded([&] { target->Resolved(result, systemError, std::move(addresses)); });
                },
                Qt::QueuedConnection);
    }).detach();
}

std::unique_ptr<ComDevice> NetConnector::TakeDevice()
{
    return std::move(device_);
}

void NetConnector::Resolved(int result, int systemError, std::vector<Address> addresses)
{
    if (finished_)
        return;
    if (result != 0) {
        Fail(result == EAI_SYSTEM ? comdev::SystemError(systemError) : EComError(gai_strerror(result), 0));
        return;
    }
    addresses_ = std::move(addresses);
    TryNext();
}

// Each address in turn until one accepts; the last refusal is the error.
void NetConnector::TryNext()
{
    CloseSocket();
    while (next_ < addresses_.size()) {
        const Address& a = addresses_[next_++];
        fd_ = socket(a.address.ss_family, SOCK_STREAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0);
        if (fd_ < 0) {
            lastError_ = errno;
            continue;
        }
        if (const int error = SetLineOptions(fd_); error != 0) {
            lastError_ = error;
            CloseSocket();
            continue;
        }
        if (::connect(fd_, reinterpret_cast<const sockaddr*>(&a.address), a.length) == 0) {
            Connected();
            return;
        }
        if (errno == EINPROGRESS) {
            notifier_ = std::make_unique<QSocketNotifier>(fd_, QSocketNotifier::Write);
            connect(notifier_.get(), &QSocketNotifier::activated, this, [this] { Guarded([&] { Writable(); }); });
            return;
        }
        lastError_ = errno;
        CloseSocket();
    }
    Fail(comdev::SystemError(lastError_ != 0 ? lastError_ : EHOSTUNREACH));
}

// The connect under way has ended, either way.
void NetConnector::Writable()
{
    int error = 0;
    socklen_t size = sizeof error;
    getsockopt(fd_, SOL_SOCKET, SO_ERROR, &error, &size);
    DropNotifier();
    if (error == 0) {
        Connected();
    } else {
        lastError_ = error;
        TryNext();
    }
}

void NetConnector::Connected()
{
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

void NetConnector::Readable()
{
    char chunk[4096];
    for (;;) {
        const ssize_t n = recv(fd_, chunk, sizeof chunk, MSG_DONTWAIT);
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0 && (errno == EAGAIN || errno == EWOULDBLOCK))
            break;
        if (n <= 0) {
            Fail(comdev::SystemError(n == 0 ? ECONNRESET : errno));
            return;
        }
        std::string replies;
        telnet_->Decode(std::string_view(chunk, static_cast<std::size_t>(n)), payload_, replies);
        if (!replies.empty() &&
            send(fd_, replies.data(), replies.size(), MSG_NOSIGNAL) != static_cast<ssize_t>(replies.size())) {
            Fail(comdev::SystemError(errno != 0 ? errno : EIO));
            return;
        }
        if (!telnet_->Failure().empty()) {
            Fail(EComError(telnet_->Failure(), 0));
            return;
        }
    }
    if (telnet_->Ready())
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
    DropNotifier();
    timer_.stop();
    device_ = std::make_unique<SocketDevice>(fd_, std::move(telnet_), std::move(payload_));
    fd_ = -1;
    finished_ = true;
    emit finished();
}

void NetConnector::Fail(const EComError& error)
{
    if (finished_)
        return;
    timer_.stop();
    CloseSocket();
    error_ = error;
    finished_ = true;
    emit finished();
}

// The notifier may be the one whose signal is being handled: it goes later.
void NetConnector::DropNotifier()
{
    if (notifier_) {
        notifier_->setEnabled(false);
        notifier_.release()->deleteLater();
    }
}

void NetConnector::CloseSocket()
{
    DropNotifier();
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
