#include "trend/SessionStore.h"

#include "trend/PlantId.h"

#include <QDir>
#include <QFileInfo>
#include <QSqlError>
#include <QSqlQuery>
#include <QVariant>
#include <algorithm>
#include <cmath>
#include <limits>
#include <map>
#include <stdexcept>
#include <tuple>

namespace zelt {

namespace {

// Voltages and temperatures are kept in tenths, as the controller sends them.
qint64 Tenths(double value)
{
    return std::llround(value * 10);
}

double FromTenths(const QVariant& value)
{
    return static_cast<double>(value.toLongLong()) / 10;
}

// Bit 0 of the flags held the automatic test setting or the manual test
// flag in files written before the test signs had columns of their own; it
// is no longer written nor read.
constexpr int AcFailBit = 2;

// user_version of the current layout. 0: the samples without the session,
// the test signs, the sensor state and the capacity basis; 1: plants named
// by port and MAC, no port per sample.
constexpr int SchemaVersion = 2;

const char* const AddedSampleColumns[] = {
    "mono INTEGER",        "session TEXT",      "charge_mode INTEGER", "test_bit INTEGER",   "manual_test INTEGER",
    "sensor_fault INTEGER", "strings INTEGER", "batt_type INTEGER",   "rated_ah INTEGER", "end_v INTEGER"};

// A discharge that began before the cutoff may end up to this long after it.
constexpr std::int64_t DetectionLookaheadMs = 24LL * 3600 * 1000;

const char* const SampleColumns =
    "t, dc_v, load_a, batt_a, temp1, temp2, block1, block2, block3, block4, flags, ctrl_date, ctrl_time, "
    "mono, session, charge_mode, test_bit, manual_test, sensor_fault, strings, batt_type, rated_ah, end_v, port";
constexpr int SampleColumnCount = 24;

// The series reduced to a lowest and a highest value, in the samples table
// and as <name>_lo, <name>_hi in the per-minute rollups.
const char* const ReducedColumns[] = {"dc_v", "load_a", "batt_a", "temp1", "temp2",
                                      "block1", "block2", "block3", "block4"};

constexpr std::int64_t MinuteMs = 60 * 1000;

std::int64_t MinuteOf(std::int64_t timeMs)
{
    return timeMs / MinuteMs * MinuteMs;
}

// ", MIN(a), MAX(a), MIN(b), ..." over the samples, or over the rollups as
// the lowest of the lows and the highest of the highs.
QString Extremes(bool rollups)
{
    QString sql;
    for (const char* column : ReducedColumns) {
        const QLatin1String name(column);
        sql += rollups ? QStringLiteral(", MIN(%1_lo), MAX(%1_hi)").arg(name)
                       : QStringLiteral(", MIN(%1), MAX(%1)").arg(name);
    }
    return sql;
}

[[noreturn]] void Fail(const QString& what, const QSqlError& error)
{
    throw std::runtime_error((what + ": " + error.text()).toStdString());
}

TrendSample SampleFrom(const QSqlQuery& q)
{
    TrendSample s;
    s.TimeMs = q.value(0).toLongLong();
    s.DcVolt = FromTenths(q.value(1));
    s.LoadCurrent = q.value(2).toDouble();
    s.BattCurrent = q.value(3).toDouble();
    s.Batt1TempValid = !q.value(4).isNull();
    s.Batt1Temp = FromTenths(q.value(4));
    s.RackTemp = FromTenths(q.value(5));
    for (int b = 0; b < 4; ++b)
        s.BlockVolt[b] = FromTenths(q.value(6 + b));
    s.AcFail = (q.value(10).toInt() & AcFailBit) != 0;
    s.ControllerDate = q.value(11).toString().toStdString();
    s.ControllerTime = q.value(12).toString().toStdString();
    s.MonoMs = q.value(13).toLongLong();
    s.Session = q.value(14).toString().toStdString();
    s.ChargeMode = q.value(15).toInt();
    s.TestModeBit = q.value(16).toInt() != 0;
    s.ManualTest = q.value(17).toInt() != 0;
    s.Batt1SensorFault = q.value(18).toInt() != 0;
    s.Port = q.value(23).toString().toStdString();
    if (!q.value(21).isNull())
        s.Basis = CapacityBasis{FromTenths(q.value(22)), q.value(19).toInt(), q.value(20).toInt() == 0, q.value(21).toInt()};
    return s;
}

// Within a session the monotonic count orders the samples, whatever the PC
// clock did meanwhile; sessions follow each other by their first PC time.
// Samples come in ordered by PC time, so most reads are in order already.
void InRecordingOrder(std::vector<TrendSample>& samples)
{
    // Each session's first PC time and its rank among the sessions.
    std::map<std::string, std::pair<std::int64_t, std::int64_t>> sessions;
    std::vector<std::tuple<std::int64_t, std::int64_t, std::int64_t>> keys;
    keys.reserve(samples.size());
    for (const TrendSample& s : samples) {
        if (s.Session.empty()) {
            keys.emplace_back(s.TimeMs, -1, s.TimeMs);
            continue;
        }
        const auto [start, rank] =
            sessions.try_emplace(s.Session, s.TimeMs, static_cast<std::int64_t>(sessions.size())).first->second;
        keys.emplace_back(start, rank, s.MonoMs);
    }
    if (std::is_sorted(keys.begin(), keys.end()))
        return;
    std::vector<std::size_t> order(samples.size());
    for (std::size_t i = 0; i < order.size(); ++i)
        order[i] = i;
    std::stable_sort(order.begin(), order.end(), [&](std::size_t a, std::size_t b) { return keys[a] < keys[b]; });
    std::vector<TrendSample> sorted;
    sorted.reserve(samples.size());
    for (std::size_t i : order)
        sorted.push_back(std::move(samples[i]));
    samples = std::move(sorted);
}

} // namespace

SessionStore::SessionStore(const QString& path, const QString& connectionName)
    : path_(path), connectionName_(connectionName)
{
}

SessionStore::~SessionStore()
{
    insertSample_.reset();
    insertEvent_.reset();
    rollUp_.reset();
    if (db_.isValid()) {
        db_.close();
        db_ = QSqlDatabase();
        QSqlDatabase::removeDatabase(connectionName_);
    }
}

// Each plant's lowest and highest values per minute, kept beside the samples
// so that a long span reads 1440 rows a day instead of 86 400. A store written
// before they existed gets them filled once, in one transaction that holds
// the write lock from the start so that two connections opening at once do
// not both fill.
void SessionStore::CreateRollups()
{
    if (Exec(QStringLiteral("SELECT 1 FROM sqlite_master WHERE name = 'minutes'")).next())
        return;
    Exec(QStringLiteral("BEGIN IMMEDIATE"));
    try {
        QString columns;
        for (const char* column : ReducedColumns)
            columns += QStringLiteral(", %1_lo INTEGER, %1_hi INTEGER").arg(QLatin1String(column));
        Exec(QStringLiteral("CREATE TABLE IF NOT EXISTS minutes(plant TEXT NOT NULL, t INTEGER NOT NULL, "
                            "first_t INTEGER NOT NULL%1, PRIMARY KEY(plant, t)) WITHOUT ROWID")
                 .arg(columns));
        PrepareRollUp();
        std::vector<std::string> names;
        for (QSqlQuery plants = Exec(QStringLiteral("SELECT DISTINCT plant FROM samples")); plants.next();)
            names.push_back(plants.value(0).toString().toStdString());
        for (const std::string& plant : names) {
            if (!RollUp(plant, 0, std::numeric_limits<qint64>::max()))
                Fail(QStringLiteral("cannot roll up ") + path_, rollUp_->lastError());
        }
        Exec(QStringLiteral("COMMIT"));
    } catch (...) {
        QSqlQuery(db_).exec(QStringLiteral("ROLLBACK"));
        throw;
    }
}

void SessionStore::PrepareRollUp()
{
    QString columns;
    for (const char* column : ReducedColumns)
        columns += QStringLiteral(", %1_lo, %1_hi").arg(QLatin1String(column));
    rollUp_ = std::make_unique<QSqlQuery>(db_);
    if (!rollUp_->prepare(QStringLiteral("INSERT OR REPLACE INTO minutes(plant, t, first_t%1) "
                                         "SELECT plant, t / %2 * %2 AS minute, MIN(t)%3 FROM samples "
                                         "WHERE plant = ? AND t >= ? AND t < ? GROUP BY minute")
                              .arg(columns)
                              .arg(MinuteMs)
                              .arg(Extremes(false))))
        Fail(QStringLiteral("session database ") + path_, rollUp_->lastError());
}

bool SessionStore::RollUp(const std::string& plant, std::int64_t fromMs, std::int64_t toMs)
{
    rollUp_->bindValue(0, QString::fromStdString(plant));
    rollUp_->bindValue(1, static_cast<qint64>(fromMs));
    rollUp_->bindValue(2, static_cast<qint64>(toMs));
    return rollUp_->exec();
}

QSqlQuery SessionStore::Exec(const QString& sql)
{
    QSqlQuery q(db_);
    if (!q.exec(sql))
        Fail(QStringLiteral("session database ") + path_, q.lastError());
    return q;
}

void SessionStore::Open()
{
    const QString folder = QFileInfo(path_).absolutePath();
    if (!QDir().mkpath(folder))
        throw std::runtime_error(("cannot create the folder " + folder).toStdString());
    db_ = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), connectionName_);
    db_.setDatabaseName(path_);
    if (!db_.open())
        Fail(QStringLiteral("cannot open ") + path_, db_.lastError());
    {
        QSqlQuery mode = Exec(QStringLiteral("PRAGMA journal_mode=WAL"));
        if (!mode.next() || mode.value(0).toString() != QLatin1String("wal"))
            throw std::runtime_error(("no write-ahead log for " + path_).toStdString());
    }
    // Commits come at most once a second, so each can afford its fsync: with
    // FULL the log is synced at every commit and a crash or power cut loses
    // only what was not yet committed. NORMAL would sync only at checkpoints.
    Exec(QStringLiteral("PRAGMA synchronous=FULL"));
    Exec(QStringLiteral("CREATE TABLE IF NOT EXISTS samples(t INTEGER NOT NULL, plant TEXT NOT NULL, "
                        "dc_v INTEGER, load_a INTEGER, batt_a INTEGER, temp1 INTEGER, temp2 INTEGER, "
                        "block1 INTEGER, block2 INTEGER, block3 INTEGER, block4 INTEGER, flags INTEGER, "
                        "ctrl_date TEXT, ctrl_time TEXT)"));
    Exec(QStringLiteral("CREATE INDEX IF NOT EXISTS samples_by_plant ON samples(plant, t)"));
    // The few discharging samples, so that finding the discharges of a long
    // store does not read every sample.
    Exec(QStringLiteral("CREATE INDEX IF NOT EXISTS discharging_samples ON samples(plant, t, batt_a) WHERE batt_a < 0"));
    CreateRollups();
    Exec(QStringLiteral("CREATE TABLE IF NOT EXISTS events(t INTEGER NOT NULL, plant TEXT NOT NULL, "
                        "alarm TEXT NOT NULL, state INTEGER NOT NULL)"));
    Exec(QStringLiteral("CREATE TABLE IF NOT EXISTS discharges(plant TEXT NOT NULL, start_t INTEGER NOT NULL, "
                        "end_t INTEGER NOT NULL, kind INTEGER NOT NULL, PRIMARY KEY(plant, start_t))"));
    Upgrade();

    if (!rollUp_)
        PrepareRollUp();
    insertSample_ = std::make_unique<QSqlQuery>(db_);
    insertEvent_ = std::make_unique<QSqlQuery>(db_);
    QString places = QStringLiteral("?");
    for (int i = 0; i < SampleColumnCount; ++i)
        places += QStringLiteral(",?");
    if (!insertSample_->prepare(QStringLiteral("INSERT INTO samples(plant, %1) VALUES(%2)")
                                    .arg(QLatin1String(SampleColumns), places)))
        Fail(QStringLiteral("session database ") + path_, insertSample_->lastError());
    if (!insertEvent_->prepare(QStringLiteral("INSERT INTO events(t, plant, alarm, state) VALUES(?,?,?,?)")))
        Fail(QStringLiteral("session database ") + path_, insertEvent_->lastError());
}

void SessionStore::Append(const std::vector<StoredSample>& samples, const std::vector<AlarmEvent>& events)
{
    Begin(QStringLiteral("cannot write "));
    const auto abandon = [&](QSqlQuery& q) {
        const QSqlError error = q.lastError();
        Rollback();
        Fail(QStringLiteral("cannot write ") + path_, error);
    };
    // Each plant's first and last time in this batch: the minutes to roll up again.
    std::map<std::string, std::pair<std::int64_t, std::int64_t>> touched;
    for (const StoredSample& stored : samples) {
        const TrendSample& s = stored.Sample;
        auto& [first, last] = touched.try_emplace(stored.Plant, s.TimeMs, s.TimeMs).first->second;
        first = std::min(first, s.TimeMs);
        last = std::max(last, s.TimeMs);
        QSqlQuery& q = *insertSample_;
        int i = 0;
        q.bindValue(i++, QString::fromStdString(stored.Plant));
        q.bindValue(i++, static_cast<qint64>(s.TimeMs));
        q.bindValue(i++, Tenths(s.DcVolt));
        q.bindValue(i++, std::llround(s.LoadCurrent));
        q.bindValue(i++, std::llround(s.BattCurrent));
        q.bindValue(i++, s.Batt1TempValid ? QVariant(Tenths(s.Batt1Temp)) : QVariant());
        q.bindValue(i++, Tenths(s.RackTemp));
        for (double block : s.BlockVolt)
            q.bindValue(i++, Tenths(block));
        q.bindValue(i++, s.AcFail ? AcFailBit : 0);
        q.bindValue(i++, QString::fromStdString(s.ControllerDate));
        q.bindValue(i++, QString::fromStdString(s.ControllerTime));
        q.bindValue(i++, static_cast<qint64>(s.MonoMs));
        q.bindValue(i++, QString::fromStdString(s.Session));
        q.bindValue(i++, s.ChargeMode);
        q.bindValue(i++, s.TestModeBit ? 1 : 0);
        q.bindValue(i++, s.ManualTest ? 1 : 0);
        q.bindValue(i++, s.Batt1SensorFault ? 1 : 0);
        const std::optional<CapacityBasis>& basis = s.Basis;
        q.bindValue(i++, basis ? QVariant(basis->Strings) : QVariant());
        q.bindValue(i++, basis ? QVariant(basis->FirstType ? 0 : 1) : QVariant());
        q.bindValue(i++, basis ? QVariant(basis->RatedAh) : QVariant());
        q.bindValue(i++, basis ? QVariant(Tenths(basis->EndVolt)) : QVariant());
        q.bindValue(i++, QString::fromStdString(s.Port));
        if (!q.exec())
            abandon(q);
    }
    for (const auto& [plant, times] : touched) {
        if (!RollUp(plant, MinuteOf(times.first), MinuteOf(times.second) + MinuteMs))
            abandon(*rollUp_);
    }
    for (const AlarmEvent& e : events) {
        QSqlQuery& q = *insertEvent_;
        q.bindValue(0, static_cast<qint64>(e.TimeMs));
        q.bindValue(1, QString::fromStdString(e.Plant));
        q.bindValue(2, QString::fromStdString(e.Alarm));
        q.bindValue(3, e.On ? 1 : 0);
        if (!q.exec())
            abandon(q);
    }
    Commit(QStringLiteral("cannot write "));
}

// The whole prune holds the write lock from its start: a deferred
// transaction that first reads could not take the lock later while another
// console holds a read, and would fail at once instead of waiting its turn.
int SessionStore::Prune(std::int64_t cutoffMs, const DetectionSettings& detection)
{
    const QString what = QStringLiteral("cannot prune ");
    Begin(what);
    const auto abandon = [&](const QSqlQuery& q) {
        const QSqlError error = q.lastError();
        Rollback();
        Fail(what + path_, error);
    };
    QSqlQuery plants(db_);
    plants.prepare(QStringLiteral("SELECT DISTINCT plant FROM samples WHERE t < ?"));
    plants.bindValue(0, static_cast<qint64>(cutoffMs));
    if (!plants.exec())
        abandon(plants);
    std::vector<std::string> names;
    while (plants.next())
        names.push_back(plants.value(0).toString().toStdString());

    QSqlQuery keep(db_);
    keep.prepare(QStringLiteral("INSERT OR IGNORE INTO discharges(plant, start_t, end_t, kind) VALUES(?,?,?,?)"));
    for (const std::string& plant : names) {
        std::vector<TrendSample> samples;
        try {
            samples = Samples(plant, 0, cutoffMs + DetectionLookaheadMs);
        } catch (...) {
            Rollback();
            throw;
        }
        for (const DischargeSpan& span : DetectDischarges(samples, detection)) {
            // A clock step may put a discharge's samples out of PC time order.
            std::int64_t from = samples[span.First].TimeMs;
            std::int64_t to = from;
            for (std::size_t i = span.First; i <= span.Last; ++i) {
                from = std::min(from, samples[i].TimeMs);
                to = std::max(to, samples[i].TimeMs);
            }
            if (from >= cutoffMs)
                continue;
            keep.bindValue(0, QString::fromStdString(plant));
            keep.bindValue(1, static_cast<qint64>(from));
            keep.bindValue(2, static_cast<qint64>(to));
            keep.bindValue(3, static_cast<int>(span.Kind));
            if (!keep.exec())
                abandon(keep);
        }
    }
    QSqlQuery prune(db_);
    prune.prepare(QStringLiteral("DELETE FROM samples WHERE t < ? AND NOT EXISTS (SELECT 1 FROM discharges d "
                                 "WHERE d.plant = samples.plant AND samples.t BETWEEN d.start_t AND d.end_t)"));
    prune.bindValue(0, static_cast<qint64>(cutoffMs));
    if (!prune.exec())
        abandon(prune);
    const int deleted = prune.numRowsAffected(); // the connection's last change: read it now
    // The minutes the cutoff reaches into are rolled up again from what is left.
    QSqlQuery pruneMinutes(db_);
    pruneMinutes.prepare(QStringLiteral("DELETE FROM minutes WHERE t < ?"));
    pruneMinutes.bindValue(0, static_cast<qint64>(cutoffMs));
    if (!pruneMinutes.exec())
        abandon(pruneMinutes);
    for (const std::string& plant : names) {
        if (!RollUp(plant, 0, MinuteOf(cutoffMs) + MinuteMs))
            abandon(*rollUp_);
    }
    Commit(what);
    return deleted;
}

void SessionStore::Begin(const QString& what)
{
    QSqlQuery q(db_);
    if (!q.exec(QStringLiteral("BEGIN IMMEDIATE")))
        Fail(what + path_, q.lastError());
}

void SessionStore::Commit(const QString& what)
{
    QSqlQuery q(db_);
    if (!q.exec(QStringLiteral("COMMIT"))) {
        const QSqlError error = q.lastError();
        Rollback();
        Fail(what + path_, error);
    }
}

void SessionStore::Rollback()
{
    QSqlQuery(db_).exec(QStringLiteral("ROLLBACK"));
}

int SessionStore::UserVersion()
{
    QSqlQuery q = Exec(QStringLiteral("PRAGMA user_version"));
    return q.next() ? q.value(0).toInt() : 0;
}

// Brings a file of an older layout up to the current one in place, under
// the write lock so that two consoles opening it at once upgrade it once.
void SessionStore::Upgrade()
{
    if (UserVersion() == SchemaVersion)
        return;
    Begin(QStringLiteral("cannot upgrade "));
    try {
        const int version = UserVersion();
        if (version > SchemaVersion)
            throw std::runtime_error((path_ + " was written by a newer version of the console").toStdString());
        if (version < 1) {
            for (const char* column : AddedSampleColumns)
                Exec(QStringLiteral("ALTER TABLE samples ADD COLUMN ") + QLatin1String(column));
            Exec(QStringLiteral("CREATE TABLE IF NOT EXISTS battery_temps(plant TEXT NOT NULL, start_t INTEGER NOT NULL, "
                                "temp INTEGER NOT NULL, PRIMARY KEY(plant, start_t))"));
        }
        if (version < 2) {
            Exec(QStringLiteral("ALTER TABLE samples ADD COLUMN port TEXT"));
            NameByMac();
        }
        Exec(QStringLiteral("PRAGMA user_version = %1").arg(SchemaVersion));
        Commit(QStringLiteral("cannot upgrade "));
    } catch (...) {
        Rollback();
        throw;
    }
}

// Plants were named "<port>/<MAC>": each sample keeps the port, and a plant
// whose MAC identifies it takes the MAC as its name, which merges the ports
// it was reached over. Its minutes are rolled up again under the new name.
void SessionStore::NameByMac()
{
    std::vector<std::string> keys;
    for (QSqlQuery q = Exec(QStringLiteral("SELECT DISTINCT plant FROM samples")); q.next();)
        keys.push_back(q.value(0).toString().toStdString());
    if (!rollUp_)
        PrepareRollUp();
    for (const std::string& key : keys) {
        const PlantKeyParts parts = SplitPlantKey(key);
        const std::string plant = PlantKey(parts.Port, parts.Mac);
        const auto run = [this](const char* sql, const std::vector<QVariant>& values) {
            QSqlQuery q(db_);
            q.prepare(QLatin1String(sql));
            for (std::size_t i = 0; i < values.size(); ++i)
                q.bindValue(static_cast<int>(i), values[i]);
            if (!q.exec())
                Fail(QStringLiteral("cannot upgrade ") + path_, q.lastError());
        };
        const QVariant from = QString::fromStdString(key);
        const QVariant to = QString::fromStdString(plant);
        run("UPDATE samples SET port = ?, plant = ? WHERE plant = ?", {QString::fromStdString(parts.Port), to, from});
        if (plant == key)
            continue;
        run("UPDATE events SET plant = ? WHERE plant = ?", {to, from});
        // The same discharge kept or entered under two names stays once.
        run("UPDATE OR IGNORE discharges SET plant = ? WHERE plant = ?", {to, from});
        run("DELETE FROM discharges WHERE plant = ?", {from});
        run("UPDATE OR IGNORE battery_temps SET plant = ? WHERE plant = ?", {to, from});
        run("DELETE FROM battery_temps WHERE plant = ?", {from});
        run("DELETE FROM minutes WHERE plant = ?", {from});
        if (!RollUp(plant, 0, std::numeric_limits<qint64>::max()))
            Fail(QStringLiteral("cannot upgrade ") + path_, rollUp_->lastError());
    }
}

std::vector<StoredPlant> SessionStore::Plants()
{
    std::vector<StoredPlant> plants;
    for (QSqlQuery q = Exec(QStringLiteral("SELECT plant, MAX(t) FROM samples GROUP BY plant ORDER BY MAX(t) DESC")); q.next();)
        plants.push_back({q.value(0).toString().toStdString(), {}, q.value(1).toLongLong()});
    QSqlQuery port(db_);
    port.prepare(QStringLiteral("SELECT port FROM samples WHERE plant = ? AND t = ?"));
    for (StoredPlant& plant : plants) {
        port.bindValue(0, QString::fromStdString(plant.Key));
        port.bindValue(1, static_cast<qint64>(plant.LastSeenMs));
        if (!port.exec())
            Fail(QStringLiteral("cannot read ") + path_, port.lastError());
        if (port.next())
            plant.LastPort = port.value(0).toString().toStdString();
    }
    return plants;
}

std::map<std::int64_t, double> SessionStore::EnteredTemps(const std::string& plant)
{
    QSqlQuery q(db_);
    q.prepare(QStringLiteral("SELECT start_t, temp FROM battery_temps WHERE plant = ?"));
    q.bindValue(0, QString::fromStdString(plant));
    if (!q.exec())
        Fail(QStringLiteral("cannot read ") + path_, q.lastError());
    std::map<std::int64_t, double> temps;
    while (q.next())
        temps.emplace(q.value(0).toLongLong(), FromTenths(q.value(1)));
    return temps;
}

void SessionStore::SetEnteredTemp(const std::string& plant, std::int64_t startMs, std::optional<double> temp)
{
    QSqlQuery q(db_);
    q.prepare(temp ? QStringLiteral("INSERT OR REPLACE INTO battery_temps(plant, start_t, temp) VALUES(?,?,?)")
                   : QStringLiteral("DELETE FROM battery_temps WHERE plant = ? AND start_t = ?"));
    q.bindValue(0, QString::fromStdString(plant));
    q.bindValue(1, static_cast<qint64>(startMs));
    if (temp)
        q.bindValue(2, Tenths(*temp));
    if (!q.exec())
        Fail(QStringLiteral("cannot write ") + path_, q.lastError());
}

std::vector<TrendSample> SessionStore::Samples(const std::string& plant, std::int64_t fromMs, std::int64_t toMs)
{
    QSqlQuery q(db_);
    q.setForwardOnly(true);
    q.prepare(QStringLiteral("SELECT %1 FROM samples WHERE plant = ? AND t >= ? AND t < ? ORDER BY t")
                  .arg(QLatin1String(SampleColumns)));
    q.bindValue(0, QString::fromStdString(plant));
    q.bindValue(1, static_cast<qint64>(fromMs));
    q.bindValue(2, static_cast<qint64>(toMs));
    if (!q.exec())
        Fail(QStringLiteral("cannot read ") + path_, q.lastError());
    std::vector<TrendSample> samples;
    while (q.next())
        samples.push_back(SampleFrom(q));
    InRecordingOrder(samples);
    return samples;
}

std::vector<SampleBucket> SessionStore::Buckets(const std::string& plant, std::int64_t fromMs, std::int64_t toMs,
                                                int count)
{
    // Stretches of a minute or longer are reduced from the rollups: every
    // minute that overlaps the span counts whole, in the stretch of its start.
    const bool rollups = toMs - fromMs >= MinuteMs * count;
    QSqlQuery q(db_);
    q.setForwardOnly(true);
    q.prepare(QStringLiteral("SELECT (t - ?) * ? / ? AS bucket, %1%2 FROM %3 "
                             "WHERE plant = ? AND t > ? AND t < ? GROUP BY bucket ORDER BY bucket")
                  .arg(rollups ? QStringLiteral("MIN(first_t)") : QStringLiteral("MIN(t)"), Extremes(rollups),
                       rollups ? QStringLiteral("minutes") : QStringLiteral("samples")));
    q.bindValue(0, static_cast<qint64>(fromMs));
    q.bindValue(1, count);
    q.bindValue(2, static_cast<qint64>(std::max<std::int64_t>(toMs - fromMs, 1)));
    q.bindValue(3, QString::fromStdString(plant));
    q.bindValue(4, static_cast<qint64>(rollups ? fromMs - MinuteMs : fromMs - 1));
    q.bindValue(5, static_cast<qint64>(toMs));
    if (!q.exec())
        Fail(QStringLiteral("cannot read ") + path_, q.lastError());
    std::vector<SampleBucket> buckets;
    while (q.next()) {
        SampleBucket b;
        b.TimeMs = q.value(1).toLongLong();
        for (TrendSample* s : {&b.Low, &b.High}) {
            const int at = s == &b.Low ? 2 : 3; // MIN then MAX of each column
            s->TimeMs = b.TimeMs;
            s->DcVolt = FromTenths(q.value(at));
            s->LoadCurrent = q.value(at + 2).toDouble();
            s->BattCurrent = q.value(at + 4).toDouble();
            s->Batt1TempValid = !q.value(at + 6).isNull();
            s->Batt1Temp = FromTenths(q.value(at + 6));
            s->RackTemp = FromTenths(q.value(at + 8));
            for (int k = 0; k < 4; ++k)
                s->BlockVolt[k] = FromTenths(q.value(at + 10 + 2 * k));
        }
        buckets.push_back(b);
    }
    return buckets;
}

std::optional<std::int64_t> SessionStore::FirstSampleTime(const std::string& plant)
{
    QSqlQuery q(db_);
    q.prepare(QStringLiteral("SELECT MIN(t) FROM samples WHERE plant = ?"));
    q.bindValue(0, QString::fromStdString(plant));
    if (!q.exec())
        Fail(QStringLiteral("cannot read ") + path_, q.lastError());
    if (!q.next() || q.value(0).isNull())
        return std::nullopt;
    return q.value(0).toLongLong();
}

std::vector<std::int64_t> SessionStore::DischargingTimes(const std::string& plant, double thresholdAmps,
                                                        std::int64_t fromMs)
{
    QSqlQuery q(db_);
    q.setForwardOnly(true);
    // "batt_a < 0" as the index has it, so that the index serves the query.
    q.prepare(QStringLiteral("SELECT t FROM samples WHERE plant = ? AND t >= ? AND batt_a < 0 AND batt_a < ? ORDER BY t"));
    q.bindValue(0, QString::fromStdString(plant));
    q.bindValue(1, static_cast<qint64>(fromMs));
    q.bindValue(2, -thresholdAmps);
    if (!q.exec())
        Fail(QStringLiteral("cannot read ") + path_, q.lastError());
    std::vector<std::int64_t> times;
    while (q.next())
        times.push_back(q.value(0).toLongLong());
    return times;
}

int SessionStore::KeptDischarges()
{
    QSqlQuery q = Exec(QStringLiteral("SELECT COUNT(*) FROM discharges"));
    return q.next() ? q.value(0).toInt() : 0;
}

} // namespace zelt
