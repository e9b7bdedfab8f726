#include "trend/SessionRecorder.h"

#include "status/StatusSnapshot.h"

#include <QMetaObject>
#include <QTimer>
#include <QUuid>
#include <stdexcept>

namespace zelt {

namespace {

constexpr int CommitIntervalMs = 1000;
constexpr std::int64_t DayMs = 24LL * 3600 * 1000;

TrendSample SampleOf(const StatusSnapshot& s, std::int64_t timeMs)
{
    TrendSample t;
    t.TimeMs = timeMs;
    t.DcVolt = s.DcVolt / 10.0;
    t.LoadCurrent = s.LoadCurrent;
    t.BattCurrent = SignedBattCurrent(s);
    t.Batt1TempValid = s.Batt1SensorFitted != 0;
    t.Batt1Temp = s.Batt1Temp / 10.0;
    t.RackTemp = s.RackTemp / 10.0;
    for (std::size_t b = 0; b < t.BlockVolt.size(); ++b)
        t.BlockVolt[b] = s.BlockVolt[b] / 10.0;
    t.TestFlag = s.DischargeTestOn != 0 || s.ManualTestActive != 0;
    t.AcFail = AcFailAlarm(s);
    t.ControllerDate = s.ControllerDate;
    t.ControllerTime = s.ControllerTime;
    return t;
}

} // namespace

// Owns the store on the worker thread: opens and prunes it, then commits the
// recorder's queue on a timer.
class SessionRecorder::Worker : public QObject {
public:
    Worker(SessionRecorder& recorder, const QString& path, const RecorderSettings& settings)
        : recorder_(recorder), path_(path), settings_(settings)
    {
    }

    void Start()
    {
        Guarded([this] {
            store_ = std::make_unique<SessionStore>(path_, QUuid::createUuid().toString());
            store_->Open();
            Prune();
        });
        commit_.setInterval(CommitIntervalMs);
        connect(&commit_, &QTimer::timeout, this, [this] { Guarded([this] { Commit(); }); });
        commit_.start();
        prune_.setInterval(static_cast<int>(DayMs));
        connect(&prune_, &QTimer::timeout, this, [this] { Guarded([this] { Prune(); }); });
        prune_.start();
    }

    void Stop()
    {
        commit_.stop();
        prune_.stop();
        Guarded([this] { Commit(); });
        store_.reset();
    }

private:
    void Commit()
    {
        std::vector<StoredSample> samples;
        std::vector<AlarmEvent> events;
        {
            const std::lock_guard lock(recorder_.mutex_);
            samples.swap(recorder_.samples_);
            events.swap(recorder_.events_);
        }
        if (!samples.empty() || !events.empty())
            store_->Append(samples, events);
    }

    void Prune()
    {
        store_->Prune(recorder_.links_.Clock() - settings_.RetentionDays * DayMs, settings_.Detection);
    }

    // Once the database has failed the worker stays idle.
    template <typename Step>
    void Guarded(Step step)
    {
        if (recorder_.failed_)
            return;
        try {
            step();
        } catch (const std::exception& e) {
            recorder_.Failed(e.what());
            store_.reset();
        }
    }

    SessionRecorder& recorder_;
    QString path_;
    RecorderSettings settings_;
    std::unique_ptr<SessionStore> store_;
    QTimer commit_{this};
    QTimer prune_{this};
};

SessionRecorder::SessionRecorder(const QString& path, const RecorderSettings& settings, Links links, QObject* parent)
    : QObject(parent), links_(std::move(links))
{
    worker_ = new Worker(*this, path, settings);
    worker_->moveToThread(&thread_);
    connect(&thread_, &QThread::finished, worker_, &QObject::deleteLater);
    thread_.start();
    QMetaObject::invokeMethod(worker_, [w = worker_] { w->Start(); });
}

SessionRecorder::~SessionRecorder()
{
    QMetaObject::invokeMethod(worker_, [w = worker_] { w->Stop(); }, Qt::BlockingQueuedConnection);
    thread_.quit();
    thread_.wait();
}

std::string SessionRecorder::Plant() const
{
    return links_.PortName().toStdString() + "/" + mac_;
}

void SessionRecorder::RectifierDecoded(const StatusSnapshot& snapshot)
{
    if (failed_)
        return;
    mac_ = snapshot.Mac;
    StoredSample stored{Plant(), SampleOf(snapshot, links_.Clock())};
    const std::lock_guard lock(mutex_);
    samples_.push_back(std::move(stored));
}

void SessionRecorder::AlarmsDecoded(const StatusSnapshot& snapshot)
{
    if (failed_)
        return;
    const std::int64_t now = links_.Clock();
    const std::string plant = Plant();
    std::vector<AlarmEvent> changes;
    for (const auto& [alarm, on] : snapshot.Alarms) {
        const auto it = alarms_.find(alarm);
        // An alarm seen for the first time is an event only when it is on.
        if (it == alarms_.end() ? on : it->second != on)
            changes.push_back(AlarmEvent{now, plant, alarm, on});
    }
    alarms_ = snapshot.Alarms;
    if (changes.empty())
        return;
    const std::lock_guard lock(mutex_);
    events_.insert(events_.end(), changes.begin(), changes.end());
}

// On the worker thread: stops the recording and reports once on the main thread.
void SessionRecorder::Failed(const std::string& message)
{
    failed_ = true;
    QMetaObject::invokeMethod(this, [this, line = QString::fromStdString(message)] {
        links_.Report(QStringLiteral("Recording stopped: ") + line);
    }, Qt::QueuedConnection);
}

} // namespace zelt
