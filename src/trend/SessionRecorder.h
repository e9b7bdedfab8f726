#pragma once

// Records the decoded status into the session database: every 'R' record as
// one sample, every alarm change as an event. The main thread only queues;
// a worker thread with its own connection commits the queue once a second,
// prunes old samples at start and daily. A write that fails keeps the last
// ten minutes of samples and is tried again at each commit, so recording
// resumes by itself once the database can be written (a lock released, a
// disk freed); one report line says when it stops and one when it resumes,
// never disturbing the live display.

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

// The system's monotonic clock including time asleep, in milliseconds.
std::int64_t BootClockMs();

class SessionRecorder : public QObject, public StatusListener {
public:
    struct Links {
        std::function<QString()> PortName;           // the port the records come from
        std::function<void(const QString&)> Report;    // one line for the result log
        std::function<std::int64_t()> Clock;           // PC time, UTC milliseconds
        std::function<std::int64_t()> Monotonic;       // milliseconds that never step
    };

    SessionRecorder(const QString& path, const RecorderSettings& settings, Links links, QObject* parent = nullptr);
    // Commits what is queued and closes the database.
    ~SessionRecorder() override;

    void RectifierDecoded(const StatusSnapshot& snapshot) override;
    void AlarmsDecoded(const StatusSnapshot& snapshot) override;

    // False while the database cannot be written.
    bool Recording() const { return !failed_; }
    // The plant the records come from, named by PlantKey from the port and
    // the MAC address the last record gave.
    std::string Plant() const;

private:
    class Worker;

    void Report(const QString& line);

    Links links_;
    RecorderSettings settings_;
    std::string session_; // this recorder's run
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
