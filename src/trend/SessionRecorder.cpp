#include "trend/SessionRecorder.h"

#include "status/StatusSnapshot.h"
#include "trend/PlantId.h"

#include <QMetaObject>
#include <QTimer>
#include <QUuid>
#include <deque>
#include <stdexcept>
#include <time.h>

namespace zelt {

namespace {

constexpr int CommitIntervalMs = 1000;
constexpr std::int64_t DayMs = 24LL * 3600 * 1000;
// What waits for a database that cannot be written.
constexpr std::int64_t QueuedSpanMs = 10 * 60 * 1000;
constexpr std::size_t QueuedEventsMax = 1000;

TrendSample SampleOf(const StatusSnapshot& s, const RecorderSettings& settings)
{
    TrendSample t;
    t.DcVolt = s.DcVolt / 10.0;
    t.LoadCurrent = s.LoadCurrent;
    t.BattCurrent = SignedBattCurrent(s);
    t.Batt1TempValid = s.Batt1SensorFitted != 0;
    const auto sensor = s.Alarms.find("BTEMP1");
    t.Batt1SensorFault = sensor != s.Alarms.end() && sensor->second;
    t.Batt1Temp = s.Batt1Temp / 10.0;
    t.RackTemp = s.RackTemp / 10.0;
    for (std::size_t b = 0; b < t.BlockVolt.size(); ++b)
        t.BlockVolt[b] = s.BlockVolt[b] / 10.0;
    t.ChargeMode = s.ChargeMode;
    t.TestModeBit = s.BattTestMode != 0;
    t.ManualTest = s.ManualTestActive != 0;
    t.AcFail = AcFailAlarm(s);
    t.Basis = CapacityBasisFor(settings, s);
    t.ControllerDate = s.ControllerDate;
    t.ControllerTime = s.ControllerTime;
    return t;
}

} // namespace

std::int64_t BootClockMs()
{
    timespec now{};
    clock_gettime(CLOCK_BOOTTIME, &now);
    return std::int64_t{now.tv_sec} * 1000 + now.tv_nsec / 1000000;
}

// Owns the store on the worker thread: opens and prunes it, then commits the
// recorder's queue on a timer.
class SessionRecorder::Worker : public QObject {
public:
    Worker(SessionRecorder& recorder, const QString& path) : recorder_(recorder), path_(path) {}

    void Start()
    {
        Commit();
        commit_.setInterval(CommitIntervalMs);
        connect(&commit_, &QTimer::timeout, this, [this] { Commit(); });
        commit_.start();
        prune_.setInterval(static_cast<int>(DayMs));
        connect(&prune_, &QTimer::timeout, this, [this] { pruneDue_ = true; });
        prune_.start();
    }

    void Stop()
    {
        commit_.stop();
        prune_.stop();
        Commit();
        store_.reset();
    }

private:
    // Never throws: a failure keeps the queue for the next commit.
    void Commit()
    {
        {
            const std::lock_guard lock(recorder_.mutex_);
            samples_.insert(samples_.end(), recorder_.samples_.begin(), recorder_.samples_.end());
            events_.insert(events_.end(), recorder_.events_.begin(), recorder_.events_.end());
            recorder_.samples_.clear();
            recorder_.events_.clear();
        }
        try {
            if (!store_) {
                auto store = std::make_unique<SessionStore>(path_, QUuid::createUuid().toString());
                store->Open();
                store_ = std::move(store);
            }
            Prune();
            if (!samples_.empty() || !events_.empty()) {
                store_->Append({samples_.begin(), samples_.end()}, {events_.begin(), events_.end()});
                samples_.clear();
                events_.clear();
            }
        } catch (const std::exception& e) {
            Bound();
            Stopped(e.what());
            return;
        }
        Resumed();
    }

    // A prune that fails loses nothing: it is tried again the next day.
    void Prune()
    {
        if (!pruneDue_)
            return;
        pruneDue_ = false;
        const RecorderSettings& settings = recorder_.settings_;
        try {
            store_->Prune(recorder_.links_.Clock() - settings.RetentionDays * DayMs, settings.Detection);
        } catch (const std::exception& e) {
            recorder_.Report(QStringLiteral("Pruning failed: ") + QString::fromStdString(e.what()));
        }
    }

    // What waits for the next try: the newest ten minutes of samples and the
    // newest alarm changes.
    void Bound()
    {
        while (!samples_.empty() && samples_.back().Sample.MonoMs - samples_.front().Sample.MonoMs > QueuedSpanMs) {
            samples_.pop_front();
            ++droppedSamples_;
        }
        while (events_.size() > QueuedEventsMax) {
            events_.pop_front();
            ++droppedEvents_;
        }
    }

    void Stopped(const std::string& message)
    {
        if (recorder_.failed_.exchange(true))
            return;
        recorder_.Report(QStringLiteral("Recording stopped: ") + QString::fromStdString(message));
    }

    void Resumed()
    {
        if (!recorder_.failed_.exchange(false))
            return;
        QString line = QStringLiteral("Recording resumed: ");
        if (droppedSamples_ == 0 && droppedEvents_ == 0)
            line += QStringLiteral("nothing dropped");
        else
            line += QStringLiteral("%1 samples and %2 alarm changes dropped").arg(droppedSamples_).arg(droppedEvents_);
        recorder_.Report(line);
        droppedSamples_ = 0;
        droppedEvents_ = 0;
    }

    SessionRecorder& recorder_;
    QString path_;
    std::unique_ptr<SessionStore> store_;
    std::deque<StoredSample> samples_;
    std::deque<AlarmEvent> events_;
    std::int64_t droppedSamples_ = 0;
    std::int64_t droppedEvents_ = 0;
    bool pruneDue_ = true;
    QTimer commit_{this};
    QTimer prune_{this};
};

SessionRecorder::SessionRecorder(const QString& path, const RecorderSettings& settings, Links links, QObject* parent)
    : QObject(parent), links_(std::move(links)), settings_(settings),
      session_(QUuid::createUuid().toString(QUuid::WithoutBraces).toStdString())
{
    worker_ = new Worker(*this, path);
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
    return PlantKey(links_.PortName().toStdString(), mac_);
}

void SessionRecorder::RectifierDecoded(const StatusSnapshot& snapshot)
{
    mac_ = snapshot.Mac;
    StoredSample stored{Plant(), SampleOf(snapshot, settings_)};
    stored.Sample.TimeMs = links_.Clock();
    stored.Sample.MonoMs = links_.Monotonic();
    stored.Sample.Session = session_;
    stored.Sample.Port = links_.PortName().toStdString();
    const std::lock_guard lock(mutex_);
    samples_.push_back(std::move(stored));
}

void SessionRecorder::AlarmsDecoded(const StatusSnapshot& snapshot)
{
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

// From the worker thread: one line for the result log, on the main thread.
void SessionRecorder::Report(const QString& line)
{
    QMetaObject::invokeMethod(this, [this, line] { links_.Report(line); }, Qt::QueuedConnection);
}

} // namespace zelt
