#pragma once

// Records the decoded status into the session database: every 'R' record as
// one sample, every alarm change as an event. The main thread only queues;
// a worker thread with its own connection commits the queue once a second,
// prunes old samples at start and daily. A database that fails costs one
// report line and the recording, never the live display.

#include "status/StatusListener.h"
#include "trend/RecorderSettings.h"
#include "trend/SessionStore.h"

#include <QObject>
#include <QThread>
#include <atomic>
#include <cstdint>
#include <functional>
#include <map>
#include <mutex>
#include <string>
#include <vector>

namespace zelt {

class SessionRecorder : public QObject, public StatusListener {
public:
    struct Links {
        std::function<QString()> PortName;           // the port the records come from
        std::function<void(const QString&)> Report;    // one line for the result log
        std::function<std::int64_t()> Clock;           // PC time, UTC milliseconds
    };

    SessionRecorder(const QString& path, const RecorderSettings& settings, Links links, QObject* parent = nullptr);
    // Commits what is queued and closes the database.
    ~SessionRecorder() override;

    void RectifierDecoded(const StatusSnapshot& snapshot) override;
    void AlarmsDecoded(const StatusSnapshot& snapshot) override;

    // False once the database has failed.
    bool Recording() const { return !failed_; }
    // The plant the records come from: the port name and the controller's MAC
    // address as the last record gave it.
    std::string Plant() const;

private:
    class Worker;

    void Failed(const std::string& message);

    Links links_;
    std::string mac_;
    std::map<std::string, bool, std::less<>> alarms_;
    std::atomic<bool> failed_ = false;

    std::mutex mutex_;
    std::vector<StoredSample> samples_;
    std::vector<AlarmEvent> events_;

    QThread thread_;
    Worker* worker_ = nullptr; // lives on thread_
};

} // namespace zelt
