#pragma once

// Opens a network line without blocking the calling thread: resolves the
// host through the system resolver on a thread of its own, connects a
// non-blocking TCP socket, and on an RFC 2217 line negotiates the Telnet
// options and the remote port's line settings. The caller's event loop
// drives it; finished() tells the outcome, at the latest after the time-out.

#include "serial/ComPort.h"
#include "serial/PortNames.h"

#include <QObject>
#include <QTimer>

#include <functional>
#include <memory>
#include <optional>
#include <sys/socket.h>
#include <vector>

class QSocketNotifier;

namespace zelt {

class ComDevice;
class TelnetCodec;

class NetConnector : public QObject {
    Q_OBJECT
public:
    static constexpr int kDefaultTimeoutMs = 5000;

    explicit NetConnector(NetworkLine line, int timeoutMs = kDefaultTimeoutMs, QObject* parent = nullptr);
    ~NetConnector() override;

    void Start();
    bool Finished() const { return finished_; }
    // Once finished: the open device (taken once), or null and Error().
    std::unique_ptr<ComDevice> TakeDevice();
    const std::optional<EComError>& Error() const { return error_; }

signals:
    void finished();

private:
    struct Resolution;
    struct Address {
        sockaddr_storage address;
        socklen_t length;
    };

    void Resolved(int result, int systemError, std::vector<Address> addresses);
    void TryNext();
    void Writable();
    void Connected();
    void Readable();
    void Guarded(const std::function<void()>& work);
    void Succeed();
    void Fail(const EComError& error);
    void DropNotifier();
    void CloseSocket();

    NetworkLine line_;
    QTimer timer_;
    std::shared_ptr<Resolution> resolution_;
    std::vector<Address> addresses_;
    std::size_t next_ = 0;
    int lastError_ = 0;
    int fd_ = -1;
    std::unique_ptr<QSocketNotifier> notifier_;
    std::unique_ptr<TelnetCodec> telnet_;
    std::string payload_; // arrived while negotiating
    std::unique_ptr<ComDevice> device_;
    std::optional<EComError> error_;
    bool finished_ = false;
};

// Opens line while a local event loop runs, without any window; throws
// EComError when it cannot, at the latest after the default time-out.
std::unique_ptr<ComDevice> ConnectWaiting(const NetworkLine& line);

} // namespace zelt
