#pragma once

// Opens a network line without blocking the calling thread: resolves the
// host on a thread of its own, connects a non-blocking TCP socket to its
// addresses, and on an RFC 2217 line negotiates the Telnet options and the
// remote port's line settings. The caller's event loop drives it; finished()
// tells the outcome, at the latest after the time-out.
//
// The addresses are tried as RFC 8305 ("Happy Eyeballs") says: in the
// resolver's order with the families alternating, each attempt started
// kStaggerMs after the previous one unless that one has failed already; the
// first to connect wins and the others are closed.

#include "serial/ComPort.h"
#include "serial/PortNames.h"
#include "serial/SocketDevice.h"

#include <QObject>
#include <QTimer>

#include <chrono>
#include <functional>
#include <memory>
#include <optional>
#include <sys/socket.h>
#include <vector>

class QSocketNotifier;

namespace zelt {

class TelnetCodec;

class NetConnector : public QObject {
    Q_OBJECT
public:
    static constexpr int kDefaultTimeoutMs = 5000;
    static constexpr int kStaggerMs = 250;

    struct Address {
        sockaddr_storage address;
        socklen_t length;
    };
    // What a look-up found: result is a getaddrinfo code (0 when found),
    // systemError the errno behind EAI_SYSTEM.
    struct Resolution {
        int result = 0;
        int systemError = 0;
        std::vector<Address> addresses;
    };
    // Looks up a host and a numeric port; runs on a thread of its own.
    using Resolver = std::function<Resolution(const std::string& host, const std::string& port)>;
    // The system resolver, getaddrinfo, whose order follows RFC 6724.
    static Resolution SystemResolver(const std::string& host, const std::string& port);
    // The order of attempts: families alternate, the first address's first.
    static std::vector<Address> Interleaved(const std::vector<Address>& addresses);

    explicit NetConnector(NetworkLine line, int timeoutMs = kDefaultTimeoutMs, QObject* parent = nullptr);
    ~NetConnector() override;

    // Before Start: another resolver than the system's.
    void SetResolver(Resolver resolver) { resolver_ = std::move(resolver); }
    void Start();
    bool Finished() const { return finished_; }
    // Once finished: the open device (taken once), or null and Error().
    std::unique_ptr<ComDevice> TakeDevice();
    const std::optional<EComError>& Error() const { return error_; }

signals:
    void finished();

private:
    struct Handover;
    struct Attempt {
        int fd;
        std::unique_ptr<QSocketNotifier> notifier;
    };

    void Resolved(Resolution resolution);
    void StartNext();
    void AttemptEnded(int fd);
    void Won(int fd);
    void Readable();
    void Guarded(const std::function<void()>& work);
    void Succeed();
    void Fail(const EComError& error);
    // The far end closed or reset the line while it was negotiated.
    void FailClosed(int error);
    void TimedOut();
    void DropNotifier(std::unique_ptr<QSocketNotifier>& notifier);
    void CloseAll();

    NetworkLine line_;
    Resolver resolver_ = SystemResolver;
    QTimer timer_;
    QTimer stagger_;
    std::shared_ptr<Handover> handover_;
    std::vector<Address> addresses_;
    std::size_t next_ = 0;
    int lastError_ = 0;
    std::vector<Attempt> attempts_; // connects under way, the latest last
    int fd_ = -1;                    // the connected socket
    std::chrono::steady_clock::time_point connectedAt_;
    std::unique_ptr<QSocketNotifier> notifier_;
    std::unique_ptr<TelnetCodec> telnet_;
    ServerWords words_; // what the server said in plain text while negotiated
    std::unique_ptr<ComDevice> device_;
    std::optional<EComError> error_;
    bool finished_ = false;
};

// Opens line while a local event loop runs, without any window; throws
// EComError when it cannot, at the latest after the default time-out.
std::unique_ptr<ComDevice> ConnectWaiting(const NetworkLine& line);

} // namespace zelt
