#include "common/EventLoop.h"
#include "status/StatusListener.h"
#include "status/StatusMonitor.h"
#include "battery/TfrmShow.h"
#include "status/Records.h"
#include "sim/Options.h"
#include "sim/Records.h"
#include "protocol/FrameCodec.h"
#include "trend/SessionRecorder.h"

#include <QDateTime>
#include <QFile>
#include <QSettings>
#include <QSqlDatabase>
#include <QSqlQuery>
#include <QTabWidget>
#include <QTemporaryDir>
#include <QThread>
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <csignal>
#include <map>
#include <poll.h>
#include <sys/wait.h>
#include <unistd.h>

using namespace zelt;
using namespace zelt::test;

extern char** environ;

namespace {

std::int64_t Now()
{
    return QDateTime::currentMSecsSinceEpoch();
}

StatusSnapshot Snapshot(std::int32_t battAmps)
{
    StatusSnapshot s;
    s.DcVolt = 535;
    s.BattCurrentSign = battAmps < 0 ? "-" : "+";
    s.BattCurrent = std::abs(battAmps);
    s.Mac = "0011223344AA";
    return s;
}

SessionRecorder::Links LinksWith(std::function<std::int64_t()> clock, QStringList* report = nullptr)
{
    return {[] { return QStringLiteral("COM1"); },
            [report](const QString& line) {
                if (report != nullptr)
                    report->append(line);
            },
            clock, clock};
}

// Run in a child process by RecorderCrash: records one sample every 10 ms
// and writes each one's time down a pipe until it is killed.
TEST(RecorderChild, RecordsUntilKilled)
{
    const QByteArray path = qgetenv("ZELT_RECORDER_CHILD");
    if (path.isEmpty())
        GTEST_SKIP() << "runs only as RecorderCrash's child";
    const int pipe = qEnvironmentVariableIntValue("ZELT_RECORDER_PIPE");
    std::int64_t t = Now();
    SessionRecorder recorder(QString::fromLocal8Bit(path), RecorderSettings{}, LinksWith([&t] { return t; }));
    for (;;) {
        t = Now();
        recorder.RectifierDecoded(Snapshot(-5));
        if (write(pipe, &t, sizeof t) != sizeof t)
            return;
        QThread::msleep(10);
    }
}

// Runs the tests matching filter in a child process with the variables
// added to its environment.
pid_t SpawnSelf(const std::string& filter, const std::vector<std::string>& variables)
{
    std::vector<std::string> env;
    for (char** e = environ; *e != nullptr; ++e)
        env.emplace_back(*e);
    env.insert(env.end(), variables.begin(), variables.end());
    std::vector<char*> envp;
    for (std::string& e : env)
        envp.push_back(e.data());
    envp.push_back(nullptr);
    std::string self = "/proc/self/exe", option = "--gtest_filter=" + filter;
    char* argv[] = {self.data(), option.data(), nullptr};
    const pid_t child = fork();
    if (child == 0) {
        execve("/proc/self/exe", argv, envp.data());
        _exit(127);
    }
    return child;
}

TEST(RecorderCrash, KilledWriterLosesAtMostTheLastSecond)
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("sessions.sqlite"));
    int fds[2];
    ASSERT_EQ(pipe(fds), 0);
    const pid_t child = SpawnSelf("RecorderChild.RecordsUntilKilled", {"ZELT_RECORDER_CHILD=" + path.toStdString(),
                                                                     "ZELT_RECORDER_PIPE=" + std::to_string(fds[1])});
    ASSERT_GE(child, 0);
    close(fds[1]);
    // Let it record for three seconds after its first sample, then kill it.
    std::int64_t first = 0, last = 0;
    pollfd p{fds[0], POLLIN, 0};
    while (poll(&p, 1, 10000) > 0) {
        std::int64_t t = 0;
        if (read(fds[0], &t, sizeof t) != sizeof t)
            break;
        first = first == 0 ? t : first;
        last = t;
        if (last - first > 3000)
            break;
    }
    kill(child, SIGKILL);
    waitpid(child, nullptr, 0);
    close(fds[0]);
    ASSERT_GT(last - first, 3000) << "the child did not record";

    SessionStore store(path, QStringLiteral("crash"));
    store.Open();
    const std::vector<TrendSample> kept = store.Samples("COM1/0011223344AA", 0, last + 1);
    ASSERT_FALSE(kept.empty());
    EXPECT_EQ(kept.front().TimeMs, first);
    EXPECT_GE(kept.back().TimeMs, last - 1000 - 500) << "lost more than the last second and a commit";
    EXPECT_EQ(kept.back().BattCurrent, -5);
}

TEST(SessionStore, PruningKeepsDischarges)
{
    QTemporaryDir dir;
    SessionStore store(dir.filePath(QStringLiteral("s.sqlite")), QStringLiteral("prune"));
    store.Open();
    // Before the cutoff at 500 s: seconds 0 to 199, discharging from 100 to
    // 129; another plant floating. After it: 500 to 509.
    std::vector<StoredSample> samples;
    const auto add = [&](const char* plant, int t, double amps) {
        TrendSample s;
        s.TimeMs = t * 1000;
        s.BattCurrent = amps;
        samples.push_back({plant, s});
    };
    for (int t = 0; t < 200; ++t) {
        add("COM1/A", t, t >= 100 && t < 130 ? -20 : 0);
        add("COM2/B", t, 0);
    }
    for (int t = 500; t < 510; ++t)
        add("COM1/A", t, 0);
    store.Append(samples, {});
    EXPECT_EQ(store.Prune(500 * 1000, DetectionSettings{}), 2 * 200 - 31);
    EXPECT_EQ(store.KeptDischarges(), 1);
    const std::vector<TrendSample> kept = store.Samples("COM1/A", 0, 1000 * 1000);
    ASSERT_EQ(kept.size(), 31u + 10u); // the discharge up to its first float sample, and the new
    EXPECT_EQ(kept.front().TimeMs, 100 * 1000);
    EXPECT_EQ(kept[30].TimeMs, 130 * 1000);
    EXPECT_TRUE(store.Samples("COM2/B", 0, 1000 * 1000).empty());
    // The minute rollups follow: only the minutes of what is left, from its first sample on.
    std::vector<std::int64_t> minutes;
    for (const SampleBucket& b : store.Buckets("COM1/A", 0, 600 * 1000, 10))
        minutes.push_back(b.TimeMs / 1000);
    EXPECT_EQ(minutes, (std::vector<std::int64_t>{100, 120, 500}));
    EXPECT_TRUE(store.Buckets("COM2/B", 0, 600 * 1000, 10).empty());
}

// Spans cut into stretches of whole minutes come from the rollups; they must
// equal the same reduction done over the samples, also for a store written
// before the rollups existed.
TEST(SessionStore, RollupsReduceAsTheSamplesDo)
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("s.sqlite"));
    constexpr std::int64_t Minute = 60 * 1000;
    {
        SessionStore store(path, QStringLiteral("rollups"));
        store.Open();
        // Three hours, a sample every 7 s, in batches that split minutes.
        std::vector<StoredSample> batch;
        for (int i = 0; i < 3 * 3600 / 7; ++i) {
            TrendSample s;
            s.TimeMs = i * 7000LL;
            s.DcVolt = 50 + (i * 37 % 50) / 10.0;
            s.LoadCurrent = i * 13 % 40;
            s.BattCurrent = i * 17 % 60 - 30;
            s.Batt1TempValid = i % 100 < 50;
            s.Batt1Temp = 20 + i % 9;
            s.RackTemp = 25 - i % 7;
            s.BlockVolt = {12 + i % 3 / 10.0, 13 - i % 5 / 10.0, 12.5 + i % 11 / 10.0, 12 + i % 13 / 10.0};
            batch.push_back({"P", s});
            batch.push_back({"Q", s});
            if (i % 100 == 99) {
                store.Append(batch, {});
                batch.clear();
            }
        }
        store.Append(batch, {});
    }
    const struct {
        std::int64_t from, to;
        int count;
    } spans[] = {{0, 180 * Minute, 180}, {0, 180 * Minute, 18}, {60 * Minute, 120 * Minute, 4}, {7 * Minute, 187 * Minute, 2}};
    // Every reduced series; an absent sensor reads as NaN, which min and max skip.
    const std::vector<double (*)(const TrendSample&)> series = {
        [](const TrendSample& s) { return s.DcVolt; },
        [](const TrendSample& s) { return s.LoadCurrent; },
        [](const TrendSample& s) { return s.BattCurrent; },
        [](const TrendSample& s) { return s.Batt1TempValid ? s.Batt1Temp : std::nan(""); },
        [](const TrendSample& s) { return s.RackTemp; },
        [](const TrendSample& s) { return s.BlockVolt[0]; },
        [](const TrendSample& s) { return s.BlockVolt[1]; },
        [](const TrendSample& s) { return s.BlockVolt[2]; },
        [](const TrendSample& s) { return s.BlockVolt[3]; },
    };
    for (const bool dropped : {false, true}) {
        if (dropped) { // as a store written before the rollups existed
            QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), QStringLiteral("drop"));
            db.setDatabaseName(path);
            ASSERT_TRUE(db.open());
            ASSERT_TRUE(QSqlQuery(db).exec(QStringLiteral("DROP TABLE minutes")));
            db.close();
            db = QSqlDatabase();
            QSqlDatabase::removeDatabase(QStringLiteral("drop"));
        }
        SessionStore store(path, QStringLiteral("read"));
        store.Open();
        for (const auto& span : spans) {
            SCOPED_TRACE(testing::Message() << dropped << " " << span.from << " " << span.count);
            // The reduction done here over the samples: per stretch its first
            // time, then each series' lowest and highest value.
            std::map<std::int64_t, std::vector<double>> expected;
            for (const TrendSample& s : store.Samples("P", span.from, span.to)) {
                auto [it, first] = expected.try_emplace((s.TimeMs - span.from) * span.count / (span.to - span.from));
                std::vector<double>& e = it->second;
                if (first)
                    e.push_back(static_cast<double>(s.TimeMs));
                for (std::size_t k = 0; k < series.size(); ++k) {
                    const double v = series[k](s);
                    if (first) {
                        e.push_back(v);
                        e.push_back(v);
                    } else if (!std::isnan(v)) {
                        e[1 + 2 * k] = std::isnan(e[1 + 2 * k]) ? v : std::min(e[1 + 2 * k], v);
                        e[2 + 2 * k] = std::isnan(e[2 + 2 * k]) ? v : std::max(e[2 + 2 * k], v);
                    }
                }
            }
            // NaN never equals itself: both sides write it as -1.
            const auto plain = [](double v) { return std::isnan(v) ? -1 : v; };
            std::vector<std::vector<double>> got, want;
            for (const SampleBucket& b : store.Buckets("P", span.from, span.to, span.count)) {
                std::vector<double>& g = got.emplace_back(1, static_cast<double>(b.TimeMs));
                for (const auto& value : series) {
                    g.push_back(plain(value(b.Low)));
                    g.push_back(plain(value(b.High)));
                }
            }
            for (auto& [bucket, values] : expected) {
                std::transform(values.begin(), values.end(), values.begin(), plain);
                want.push_back(values);
            }
            EXPECT_EQ(got, want);
        }
    }
}

// The live display goes on while a database that cannot be used costs one
// line and the recording.
TEST(SessionRecorder, BadDatabaseLeavesTheDisplayRunning)
{
    QTemporaryDir dir;
    QFile notAFolder(dir.filePath(QStringLiteral("file")));
    ASSERT_TRUE(notAFolder.open(QIODevice::WriteOnly));
    QFile corrupt(dir.filePath(QStringLiteral("corrupt.sqlite")));
    ASSERT_TRUE(corrupt.open(QIODevice::WriteOnly));
    corrupt.write(QByteArray(8192, 'x'));
    corrupt.close();
    for (const QString& path : {notAFolder.fileName() + QStringLiteral("/sessions.sqlite"), corrupt.fileName()}) {
        QTabWidget pages;
        std::uint8_t alertShown = 0;
        TfrmShow frmShow{alertShown};
        StatusMonitor monitor{pages, alertShown, frmShow};
        QStringList report;
        SessionRecorder recorder(path, RecorderSettings{}, LinksWith(Now, &report));
        monitor.SetListener(&recorder);
        ASSERT_TRUE(WaitUntil([&] { return !report.isEmpty(); }, 5000)) << path.toStdString();
        RRecord r;
        for (const char* volts : {"480", "481"}) {
            r.dcVolt = volts;
            monitor.DecodeRectifierStatus(RxBodyOf('R', r.Payload()));
        }
        EXPECT_EQ(monitor.Area().Text("pnlDC_V"), "48.1 V ");
        EXPECT_FALSE(recorder.Recording());
        QCoreApplication::processEvents();
        EXPECT_EQ(report.size(), 1) << report.join('\n').toStdString();
        EXPECT_TRUE(report[0].startsWith(QStringLiteral("Recording stopped: "))) << report[0].toStdString();
    }
}

} // namespace

namespace {

// Run in a child process by TwoConsoles: the simulator's plant with the MAC
// given, its records decoded and recorded every 20 ms for 30 s; then the
// number recorded down the pipe.
TEST(RecorderChild, RecordsThirtySeconds)
{
    const QByteArray path = qgetenv("ZELT_TWO_CONSOLES");
    if (path.isEmpty())
        GTEST_SKIP() << "runs only as TwoConsoles' child";
    const int pipe = qEnvironmentVariableIntValue("ZELT_RECORDER_PIPE");
    sim::PlantState plant = sim::MakePlant(sim::ParseOptions({"--mac", qgetenv("ZELT_MAC").toStdString()}).scenario,
                                           QDateTime::currentDateTime());
    QTabWidget pages;
    std::uint8_t alertShown = 0;
    TfrmShow frmShow{alertShown};
    StatusMonitor monitor{pages, alertShown, frmShow};
    QStringList report;
    std::int64_t count = 0;
    {
        SessionRecorder recorder(QString::fromLocal8Bit(path), RecorderSettings{}, LinksWith(Now, &report));
        monitor.SetListener(&recorder);
        for (const std::int64_t end = Now() + 30000; Now() < end; ++count) {
            monitor.DecodeRectifierStatus(EncodeFrame("R" + sim::EncodeRectifierStatus(plant, QDateTime::currentDateTime())).substr(2));
            QCoreApplication::processEvents();
            QThread::msleep(20);
        }
        monitor.SetListener(nullptr);
    }
    QCoreApplication::processEvents();
    EXPECT_TRUE(report.isEmpty()) << report.join('\n').toStdString();
    ASSERT_EQ(write(pipe, &count, sizeof count), static_cast<ssize_t>(sizeof count));
}

// Two consoles on one database, each pruning at start and writing its own
// plant: neither gives up, and every sample of both is there.
TEST(TwoConsoles, EverySampleOfBothIsKept)
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("sessions.sqlite"));
    const char* const macs[] = {"00:11:22:33:44:01", "00:11:22:33:44:02"};
    std::vector<std::pair<pid_t, int>> children;
    for (const char* mac : macs) {
        int fds[2];
        ASSERT_EQ(pipe(fds), 0);
        const pid_t child = SpawnSelf("RecorderChild.RecordsThirtySeconds",
                                      {"ZELT_TWO_CONSOLES=" + path.toStdString(), std::string("ZELT_MAC=") + mac,
                                       "ZELT_RECORDER_PIPE=" + std::to_string(fds[1])});
        ASSERT_GE(child, 0);
        close(fds[1]);
        children.emplace_back(child, fds[0]);
    }
    std::vector<std::int64_t> counts;
    for (const auto& [child, fd] : children) {
        std::int64_t count = -1;
        pollfd p{fd, POLLIN, 0};
        if (poll(&p, 1, 120000) > 0 && read(fd, &count, sizeof count) != sizeof count)
            count = -1;
        close(fd);
        int status = -1;
        waitpid(child, &status, 0);
        EXPECT_EQ(status, 0);
        counts.push_back(count);
    }
    SessionStore store(path, QStringLiteral("two"));
    store.Open();
    for (std::size_t i = 0; i < 2; ++i) {
        const std::string plant = "COM1/" + sim::ParseOptions({"--mac", macs[i]}).scenario.mac;
        EXPECT_GT(counts[i], 100);
        EXPECT_EQ(static_cast<std::int64_t>(store.Samples(plant, 0, Now() + 1).size()), counts[i]) << plant;
    }
}

// A write refused while another connection holds the lock keeps the newest
// ten minutes of samples and goes on once the lock is gone.
TEST(SessionRecorder, StopsAndResumesAroundALock)
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("sessions.sqlite"));
    std::atomic<std::int64_t> t = 1000000;
    QStringList report;
    SessionRecorder recorder(path, RecorderSettings{}, LinksWith([&t] { return t.load(); }, &report));
    SessionStore reader(path, QStringLiteral("reader"));
    const std::string plant = "COM1/0011223344AA";
    recorder.RectifierDecoded(Snapshot(-5));
    ASSERT_TRUE(WaitUntil(
        [&] {
            try {
                reader.Open();
                return reader.Samples(plant, 0, t + 1).size() == 1;
            } catch (const std::exception&) {
                return false;
            }
        },
        10000));

    QSqlDatabase lock = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), QStringLiteral("lock"));
    lock.setDatabaseName(path);
    ASSERT_TRUE(lock.open());
    ASSERT_TRUE(QSqlQuery(lock).exec(QStringLiteral("BEGIN EXCLUSIVE")));
    for (int i = 0; i < 700; ++i) {
        t += 1000;
        recorder.RectifierDecoded(Snapshot(-5));
    }
    EXPECT_TRUE(WaitUntil([&] { return !recorder.Recording() && !report.isEmpty(); }, 30000));
    ASSERT_TRUE(QSqlQuery(lock).exec(QStringLiteral("ROLLBACK")));
    lock.close();
    lock = QSqlDatabase();
    QSqlDatabase::removeDatabase(QStringLiteral("lock"));
    EXPECT_TRUE(WaitUntil([&] { return recorder.Recording() && report.size() == 2; }, 30000));
    ASSERT_EQ(report.size(), 2);
    EXPECT_TRUE(report[0].startsWith(QStringLiteral("Recording stopped: "))) << report[0].toStdString();
    EXPECT_EQ(report[1], QStringLiteral("Recording resumed: 99 samples and 0 alarm changes dropped"));
    const std::vector<TrendSample> kept = reader.Samples(plant, 0, t + 1);
    ASSERT_EQ(kept.size(), 1u + 601u);
    EXPECT_EQ(kept[1].TimeMs, 1000000 + 100 * 1000);
}

// A file written before this layout: its samples read as before, with no
// session, basis nor test sign, and new samples keep every field.
TEST(SessionStore, UpgradesAnOlderFileInPlace)
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("s.sqlite"));
    {
        QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), QStringLiteral("old"));
        db.setDatabaseName(path);
        ASSERT_TRUE(db.open());
        QString minutes;
        for (const char* c : {"dc_v", "load_a", "batt_a", "temp1", "temp2", "block1", "block2", "block3", "block4"})
            minutes += QStringLiteral(", %1_lo INTEGER, %1_hi INTEGER").arg(QLatin1String(c));
        for (const QString& sql : {
                 QStringLiteral("PRAGMA journal_mode=WAL"),
                 QStringLiteral("CREATE TABLE samples(t INTEGER NOT NULL, plant TEXT NOT NULL, dc_v INTEGER, load_a INTEGER, "
                                "batt_a INTEGER, temp1 INTEGER, temp2 INTEGER, block1 INTEGER, block2 INTEGER, "
                                "block3 INTEGER, block4 INTEGER, flags INTEGER, ctrl_date TEXT, ctrl_time TEXT)"),
                 QStringLiteral("CREATE INDEX samples_by_plant ON samples(plant, t)"),
                 QStringLiteral("CREATE TABLE minutes(plant TEXT NOT NULL, t INTEGER NOT NULL, first_t INTEGER NOT NULL%1, "
                                "PRIMARY KEY(plant, t)) WITHOUT ROWID").arg(minutes),
                 QStringLiteral("CREATE TABLE events(t INTEGER NOT NULL, plant TEXT NOT NULL, alarm TEXT NOT NULL, "
                                "state INTEGER NOT NULL)"),
                 QStringLiteral("CREATE TABLE discharges(plant TEXT NOT NULL, start_t INTEGER NOT NULL, "
                                "end_t INTEGER NOT NULL, kind INTEGER NOT NULL, PRIMARY KEY(plant, start_t))"),
                 QStringLiteral("INSERT INTO samples VALUES(1000, 'P', 481, 40, -20, 251, 268, 120, 121, 122, 123, 3, "
                                "'20260601', '080000')")})
            ASSERT_TRUE(QSqlQuery(db).exec(sql)) << sql.toStdString();
        db.close();
        db = QSqlDatabase();
        QSqlDatabase::removeDatabase(QStringLiteral("old"));
    }
    SessionStore store(path, QStringLiteral("new"));
    store.Open();
    EXPECT_EQ(store.UserVersion(), 1);
    TrendSample fresh;
    fresh.TimeMs = 2000;
    fresh.MonoMs = 77;
    fresh.Session = "s";
    fresh.ChargeMode = 6;
    fresh.TestModeBit = true;
    fresh.Batt1SensorFault = true;
    fresh.Basis = CapacityBasis{43.5, 2, false, 310};
    TrendSample manual;
    manual.TimeMs = 3000;
    manual.ManualTest = true;
    store.Append({{"P", fresh}, {"P", manual}}, {});
    const std::vector<TrendSample> read = store.Samples("P", 0, 10000);
    ASSERT_EQ(read.size(), 3u);
    const TrendSample& old = read[0];
    EXPECT_EQ(old.DcVolt, 48.1);
    EXPECT_EQ(old.BattCurrent, -20);
    EXPECT_EQ(old.BlockVolt[3], 12.3);
    EXPECT_TRUE(old.AcFail);
    EXPECT_FALSE(TestSign(old)) << "the old flag may have been the automatic test setting";
    EXPECT_TRUE(old.Session.empty());
    EXPECT_FALSE(old.Basis.has_value());
    const TrendSample& back = read[1];
    EXPECT_EQ(back.MonoMs, 77);
    EXPECT_EQ(back.Session, "s");
    EXPECT_EQ(back.ChargeMode, 6);
    EXPECT_TRUE(back.TestModeBit);
    EXPECT_FALSE(back.ManualTest);
    EXPECT_TRUE(back.Batt1SensorFault);
    ASSERT_TRUE(back.Basis.has_value());
    EXPECT_EQ(back.Basis->EndVolt, 43.5);
    EXPECT_EQ(back.Basis->Strings, 2);
    EXPECT_FALSE(back.Basis->FirstType);
    EXPECT_EQ(back.Basis->RatedAh, 310);
    EXPECT_TRUE(read[2].ManualTest);
    EXPECT_FALSE(read[2].TestModeBit);
    // The entered battery temperatures live in the upgraded file too.
    store.SetEnteredTemp("P", 2000, 18.5);
    EXPECT_EQ(store.EnteredTemps("P"), (std::map<std::int64_t, double>{{2000, 18.5}}));
    store.SetEnteredTemp("P", 2000, std::nullopt);
    EXPECT_TRUE(store.EnteredTemps("P").empty());

    // A file from a newer console is not touched.
    ASSERT_NO_THROW(SessionStore(path, QStringLiteral("again")).Open());
    QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), QStringLiteral("newer"));
    db.setDatabaseName(path);
    ASSERT_TRUE(db.open());
    ASSERT_TRUE(QSqlQuery(db).exec(QStringLiteral("PRAGMA user_version = 2")));
    db.close();
    db = QSqlDatabase();
    QSqlDatabase::removeDatabase(QStringLiteral("newer"));
    EXPECT_THROW(SessionStore(path, QStringLiteral("newest")).Open(), std::runtime_error);
}

// A PC clock put back 60 s during a 36 A discharge of 400 s: the
// samples stay in their recorded order, the ampere-hours follow the
// monotonic count, and the step is listed as a gap.
TEST(SessionStore, ClockStepKeepsOrderAndAmpHours)
{
    QTemporaryDir dir;
    SessionStore store(dir.filePath(QStringLiteral("s.sqlite")), QStringLiteral("step"));
    store.Open();
    std::vector<StoredSample> samples;
    for (int i = 0; i <= 420; ++i) {
        TrendSample s;
        s.MonoMs = i * 1000LL;
        s.TimeMs = 500000 + s.MonoMs - (i > 200 ? 60000 : 0);
        s.Session = "a";
        s.BattCurrent = i < 400 ? -36 : 0;
        samples.push_back({"P", s});
    }
    store.Append(samples, {});
    const std::vector<TrendSample> read = store.Samples("P", 0, 10000000);
    const std::vector<DischargeSpan> found = DetectDischarges(read, DetectionSettings{});
    ASSERT_EQ(found.size(), 1u);
    ASSERT_EQ(found[0].Gaps.size(), 1u);
    EXPECT_TRUE(found[0].Gaps[0].ClockStep);
    EXPECT_EQ(found[0].Gaps[0].LengthMs, 60000);
    EXPECT_FALSE(found[0].Interrupted);
    const DischargeFigures f = MeasureDischarge(read, found[0], {});
    EXPECT_NEAR(f.AmpHours, 36 * 399.5 / 3600, 1e-9);
    EXPECT_EQ(f.DurationMs, 400000);
}

// Each [recorder] value out of range or not a number is ignored with one line.
TEST(RecorderSettings, BadValuesKeepTheirDefaults)
{
    QTemporaryDir dir;
    const struct {
        const char* key;
        const char* text;
        double value; // as read; the default when refused
        bool refused;
    } cases[] = {
        {"retentionDays", "90 days", 90, true}, {"retentionDays", "abc", 90, true}, {"retentionDays", "", 90, true},
        {"retentionDays", "6", 90, true},       {"retentionDays", "7", 7, false},   {"retentionDays", "3650", 3650, false},
        {"retentionDays", "3651", 90, true},    {"retentionDays", "7.5", 90, true},
        {"dischargeThresholdAmps", "0.4", 2, true}, {"dischargeThresholdAmps", "0.5", 0.5, false},
        {"dischargeThresholdAmps", "100", 100, false}, {"dischargeThresholdAmps", "100.1", 2, true},
        {"dischargeThresholdAmps", "2 A", 2, true},
        {"dischargeHoldSeconds", "1", 10, true}, {"dischargeHoldSeconds", "2", 2, false},
        {"dischargeHoldSeconds", "120", 120, false}, {"dischargeHoldSeconds", "121", 10, true},
        {"endVolt", "0", 0, false}, {"endVolt", "35.9", 0, true}, {"endVolt", "36", 36, false},
        {"endVolt", "60", 60, false}, {"endVolt", "60.1", 0, true}, {"endVolt", "1,5", 0, true},
        {"bridgedGapSeconds", "9", 60, true}, {"bridgedGapSeconds", "10", 10, false},
        {"bridgedGapSeconds", "600", 600, false}, {"bridgedGapSeconds", "601", 60, true},
        {"endingGapMinutes", "4", 30, true}, {"endingGapMinutes", "5", 5, false},
        {"endingGapMinutes", "1440", 1440, false}, {"endingGapMinutes", "1441", 30, true},
        {"correctionLowTemp", "-10.1", 10, true}, {"correctionLowTemp", "-10", -10, false},
        {"correctionHighTemp", "60", 60, false}, {"correctionHighTemp", "60.1", 40, true},
        {"correctionLowTemp", "40", 10, true}, {"correctionHighTemp", "10", 40, true},
    };
    const std::map<std::string, double (*)(const RecorderSettings&)> fields = {
        {"retentionDays", [](const RecorderSettings& s) { return double(s.RetentionDays); }},
        {"dischargeThresholdAmps", [](const RecorderSettings& s) { return s.Detection.ThresholdAmps; }},
        {"dischargeHoldSeconds", [](const RecorderSettings& s) { return s.Detection.HoldMs / 1000.0; }},
        {"endVolt", [](const RecorderSettings& s) { return s.EndVolt; }},
        {"bridgedGapSeconds", [](const RecorderSettings& s) { return s.Detection.BridgedGapsMs / 1000.0; }},
        {"endingGapMinutes", [](const RecorderSettings& s) { return s.Detection.EndingGapMs / 60000.0; }},
        {"correctionLowTemp", [](const RecorderSettings& s) { return s.Correction.LowTemp; }},
        {"correctionHighTemp", [](const RecorderSettings& s) { return s.Correction.HighTemp; }},
    };
    int n = 0;
    for (const auto& c : cases) {
        const QString path = dir.filePath(QStringLiteral("%1.ini").arg(n++));
        QFile ini(path);
        ASSERT_TRUE(ini.open(QIODevice::WriteOnly));
        ini.write(QByteArray("[recorder]\n") + c.key + "=" + c.text + "\n");
        ini.close();
        QSettings file(path, QSettings::IniFormat);
        QStringList problems;
        const RecorderSettings s = ReadRecorderSettings(file, problems);
        EXPECT_EQ(fields.at(c.key)(s), c.value) << c.key << "=" << c.text;
        ASSERT_EQ(problems.size(), c.refused ? 1 : 0) << c.key << "=" << c.text;
        if (c.refused) {
            EXPECT_TRUE(problems[0].contains(QLatin1String(c.key))) << problems[0].toStdString();
            EXPECT_TRUE(problems[0].contains(QLatin1String(c.text))) << problems[0].toStdString();
            EXPECT_TRUE(problems[0].contains(QStringLiteral("%1").arg(c.value)) && problems[0].endsWith(QStringLiteral(" used")))
                << problems[0].toStdString();
        }
    }
    QStringList problems;
    QSettings file(dir.filePath(QStringLiteral("0.ini")), QSettings::IniFormat);
    EXPECT_EQ(ReadRecorderSettings(file, problems).RetentionDays, 90);
    EXPECT_EQ(problems.join(QString()), QStringLiteral(
        "Recorder setting retentionDays \"90 days\" ignored (a whole number from 7 to 3650 is needed): 90 used"));
}

} // namespace

namespace {

// What the recorder keeps of each record labels the discharge: the automatic
// test setting alone is no test, and an AC failure stays one whatever else.
TEST(SessionRecorder, LabelsFromTheRecordedEvidence)
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("s.sqlite"));
    const struct {
        const char* mac;
        void (*mark)(StatusSnapshot&);
        DischargeKind kind;
    } cases[] = {
        {"A1", [](StatusSnapshot& s) { s.DischargeTestOn = 1; }, DischargeKind::Discharge},
        {"A2", [](StatusSnapshot& s) { s.DischargeTestOn = 1; s.Alarms["AF_U"] = true; }, DischargeKind::AcFailure},
        {"A3", [](StatusSnapshot& s) { s.ManualTestActive = 1; s.Alarms["HW_A1"] = true; }, DischargeKind::AcFailure},
        {"A4", [](StatusSnapshot& s) { s.ChargeMode = 6; }, DischargeKind::Test},
        {"A5", [](StatusSnapshot& s) { s.BattTestMode = 1; }, DischargeKind::Test},
        {"A6", [](StatusSnapshot& s) { s.ManualTestActive = 1; }, DischargeKind::Test},
    };
    std::int64_t t = 0;
    {
        SessionRecorder recorder(path, RecorderSettings{}, LinksWith([&t] { return t; }));
        for (const auto& c : cases) {
            for (int i = 0; i < 30; ++i) {
                StatusSnapshot s = Snapshot(i < 20 ? -10 : 0);
                s.Mac = c.mac;
                c.mark(s);
                recorder.RectifierDecoded(s);
                t += 1000;
            }
        }
    }
    SessionStore store(path, QStringLiteral("labels"));
    store.Open();
    for (const auto& c : cases) {
        const std::vector<DischargeSpan> found =
            DetectDischarges(store.Samples(std::string("COM1/") + c.mac, 0, t), DetectionSettings{});
        ASSERT_EQ(found.size(), 1u) << c.mac;
        EXPECT_EQ(found[0].Kind, c.kind) << c.mac;
    }
}

} // namespace
