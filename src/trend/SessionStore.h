#pragma once

// The session database: one SQLite file holding every recorded sample, each
// minute's lowest and highest values, the alarm changes and the discharges
// found in pruned data. One store is one
// connection; it must be used only on the thread that opened it. Failures
// throw std::runtime_error with the database's message.

#include "trend/DischargeAnalysis.h"
#include "trend/TrendSample.h"

#include <QSqlDatabase>
#include <QString>
#include <cstdint>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <vector>

class QSqlQuery;

namespace zelt {

// A plant is named as PlantKey gives it: its MAC, or its port and MAC.
struct StoredSample {
    std::string Plant;
    TrendSample Sample;
};

struct AlarmEvent {
    std::int64_t TimeMs = 0;
    std::string Plant;
    std::string Alarm; // the alarm lamp's name
    bool On = false;
};

// A stretch of a long span (one pixel column of a chart): its first sample's
// time and each series' lowest and highest value in it. The flags and the
// controller's clock are not reduced.
struct SampleBucket {
    std::int64_t TimeMs = 0;
    TrendSample Low;
    TrendSample High;
};

// A plant as the database holds it.
struct StoredPlant {
    std::string Key;
    std::string LastPort; // where its newest sample came from
    std::int64_t LastSeenMs = 0;
};

class SessionStore {
public:
    // connectionName must be unique among the stores open at one time.
    SessionStore(const QString& path, const QString& connectionName);
    ~SessionStore();

    SessionStore(const SessionStore&) = delete;
    SessionStore& operator=(const SessionStore&) = delete;

    // Creates the folder and the tables as needed, and brings a file written
    // by an older version up to the current layout.
    void Open();
    // The layout's version as the file gives it.
    int UserVersion();
    // Writes all of them in one transaction, waiting for another console's
    // write to end (up to the driver's busy time-out).
    void Append(const std::vector<StoredSample>& samples, const std::vector<AlarmEvent>& events);
    // Keeps the discharges found among the samples older than cutoffMs, then
    // deletes those samples except the ones inside a kept discharge. Returns
    // how many were deleted.
    int Prune(std::int64_t cutoffMs, const DetectionSettings& detection);

    // Samples of one plant with fromMs <= time < toMs, in recording order:
    // by the monotonic count within a session, sessions by their start.
    std::vector<TrendSample> Samples(const std::string& plant, std::int64_t fromMs, std::int64_t toMs);
    // The same span cut into count equal stretches of time and reduced by the
    // database; stretches without samples are left out. Stretches of a minute
    // or more are reduced from per-minute rollups, each minute counted whole
    // in the stretch where it starts.
    std::vector<SampleBucket> Buckets(const std::string& plant, std::int64_t fromMs, std::int64_t toMs, int count);
    // The time of the plant's oldest sample; none when it has no samples.
    std::optional<std::int64_t> FirstSampleTime(const std::string& plant);
    // Times from fromMs on of the plant's samples whose battery current is
    // below minus thresholdAmps, in order.
    std::vector<std::int64_t> DischargingTimes(const std::string& plant, double thresholdAmps, std::int64_t fromMs);
    // Every plant with samples, the most recently seen first.
    std::vector<StoredPlant> Plants();
    // Number of kept discharges.
    int KeptDischarges();
    // The battery temperatures the operator entered, by discharge start.
    std::map<std::int64_t, double> EnteredTemps(const std::string& plant);
    // Enters a discharge's battery temperature; none removes it.
    void SetEnteredTemp(const std::string& plant, std::int64_t startMs, std::optional<double> temp);

private:
    QSqlQuery Exec(const QString& sql);
    // Write transactions take the write lock at once.
    void Begin(const QString& what);
    void Commit(const QString& what);
    void Rollback();
    void Upgrade();
    // Gives each sample its port and merges the plants of one real MAC.
    void NameByMac();
    void CreateRollups();
    void PrepareRollUp();
    // Recomputes the rollups of the plant's minutes starting in [fromMs, toMs).
    bool RollUp(const std::string& plant, std::int64_t fromMs, std::int64_t toMs);

    QString path_;
    QString connectionName_;
    QSqlDatabase db_;
    std::unique_ptr<QSqlQuery> insertSample_;
    std::unique_ptr<QSqlQuery> insertEvent_;
    std::unique_ptr<QSqlQuery> rollUp_;
};

} // namespace zelt
