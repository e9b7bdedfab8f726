#pragma once

// The simulated controller on one end of a serial line (a pseudo-terminal
// master or a serial device). It pushes the status records on a timer,
// answers history and battery test requests, applies and acknowledges
// commands, and keeps every body it received. It runs on the Qt event loop
// of its thread: a socket notifier for the line and a timer for the records,
// so tests drive it without threads. Frames leave back to back.

#include "sim/FrameReader.h"
#include "sim/PlantState.h"

#include <QObject>
#include <QSocketNotifier>
#include <QTimer>
#include <deque>
#include <functional>
#include <string>
#include <vector>

namespace zelt::sim {

class FakeController : public QObject {
    Q_OBJECT

public:
    using LogSink = std::function<void(const std::string& line)>;

    // fd stays owned by the caller and must outlive the controller.
    FakeController(int fd, const Scenario& scenario, QObject* parent = nullptr);

    // Pushes a record set ('R', 'K', 'U') at the scenario's rate, the first at once.
    void startPushing();
    void stopPushing();
    bool isPushing() const { return pushTimer_.isActive(); }

    // Moves the plant on and queues one record set now.
    void pushNow();

    // Starts a battery discharge test now, of the scenario's length (20
    // minutes without one).
    void startDischarge();

    // Queues a frame of this letter and payload behind the waiting records.
    void sendFrame(char letter, const std::string& payload);

    // Letter and payload of every verified frame received, oldest first.
    const std::vector<std::string>& receivedBodies() const { return received_; }
    void clearReceived() { received_.clear(); }

    // The bodies sent so far, in the order they left.
    const std::vector<std::string>& sentBodies() const { return sent_; }

    // True when no frame waits or is being written.
    bool outputIdle() const { return !busy_ && queue_.empty(); }

    PlantState& plant() { return plant_; }

    // Receives one log line per frame sent and received.
    void setLogSink(LogSink sink) { log_ = std::move(sink); }

signals:
    // The line reached its end (the far end closed it) or broke.
    void lineClosed();

private:
    struct Outgoing {
        std::string bytes;
        std::string body;     // empty for noise
        std::string logText;
        bool reply = false;   // an answer to the console: goes ahead of waiting records
    };

    // Waiting frames beyond this are dropped, oldest first, while nobody reads the line.
    static constexpr std::size_t QueueLimit = 32;

    void onReadable();
    void onWritable();
    void handleFrame(const ReadFrame& frame);
    void answerHistory(const std::string& payload);
    void reply(char letter, const std::string& payload);
    void enqueue(Outgoing item);
    void queueNoise();
    void startNext();
    void flushCurrent();
    void log(const std::string& direction, const std::string& text);
    QDateTime controllerNow() const;

    int fd_;
    Scenario scenario_;
    PlantState plant_;
    FrameReader reader_;
    QSocketNotifier readNotifier_;
    QSocketNotifier writeNotifier_;
    QTimer pushTimer_;
    std::deque<Outgoing> queue_;
    Outgoing current_;
    std::size_t written_ = 0;
    bool busy_ = false;
    bool unread_ = false; // records are being dropped: the line was full and nobody read it since
    std::vector<std::string> received_;
    std::vector<std::string> sent_;
    std::uint32_t noiseSeed_ = 7;
    LogSink log_;
};

} // namespace zelt::sim
