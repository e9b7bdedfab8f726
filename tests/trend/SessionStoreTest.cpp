#include "common/EventLoop.h"
#include "status/StatusListener.h"
#include "status/StatusMonitor.h"
#include "battery/TfrmShow.h"
#include "status/Records.h"
#include "sim/Options.h"
#include "trend/DischargeScan.h"
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
#include <fcntl.h>
#include <map>
#include <tuple>
#include <set>
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

// Run in a child process by RecorderCrash and TwoConsoles: records one
// sample every 10 ms, of the plant with the MAC given if any, and writes each
// one's time down a pipe until it is killed or the pipe is closed.
TEST(RecorderChild, RecordsUntilKilled)
{
    const QByteArray path = qgetenv("ZELT_RECORDER_CHILD");
    if (path.isEmpty())
        GTEST_SKIP() << "runs only as RecorderCrash's child";
    const int pipe = qEnvironmentVariableIntValue("ZELT_RECORDER_PIPE");
    std::signal(SIGPIPE, SIG_IGN);
    StatusSnapshot s = Snapshot(-5);
    if (qEnvironmentVariableIsSet("ZELT_MAC"))
        s.Mac = sim::ParseOptions({"--mac", qgetenv("ZELT_MAC").toStdString()}).scenario.mac;
    std::int64_t t = Now();
    QStringList report;
    {
        SessionRecorder recorder(QString::fromLocal8Bit(path), RecorderSettings{}, LinksWith([&t] { return t; }, &report));
        for (t = Now(); write(pipe, &t, sizeof t) == sizeof t; t = Now()) {
            recorder.RectifierDecoded(s);
            QThread::msleep(10);
        }
    }
    QCoreApplication::processEvents();
    EXPECT_TRUE(report.isEmpty()) << report.join('\n').toStdString();
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
    const std::vector<TrendSample> kept = store.Samples("0011223344AA", 0, last + 1);
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

// Two consoles on one database, each pruning at start and recording its own
// plant for 30 s: every sample of both is kept.
TEST(TwoConsoles, EverySampleOfBothIsKept)
{
    QTemporaryDir dir;
    const std::string path = dir.filePath(QStringLiteral("sessions.sqlite")).toStdString();
    const std::string macs[] = {"00:11:22:33:44:01", "00:11:22:33:44:02"};
    std::vector<pid_t> children;
    std::vector<pollfd> pipes;
    for (const std::string& mac : macs) {
        int fds[2];
        ASSERT_EQ(pipe(fds), 0);
        fcntl(fds[0], F_SETFD, FD_CLOEXEC); // the other child must not hold this one's pipe open
        children.push_back(SpawnSelf("RecorderChild.*", {"ZELT_RECORDER_CHILD=" + path, "ZELT_MAC=" + mac,
                                                         "ZELT_RECORDER_PIPE=" + std::to_string(fds[1])}));
        close(fds[1]);
        pipes.push_back({fds[0], POLLIN, 0});
    }
    std::set<std::int64_t> sent[2];
    for (const std::int64_t end = Now() + 30000; Now() < end && poll(pipes.data(), 2, 1000) >= 0;) {
        for (std::size_t i = 0; i < 2; ++i) {
            std::int64_t t = 0;
            if ((pipes[i].revents & POLLIN) != 0 && read(pipes[i].fd, &t, sizeof t) == sizeof t)
                sent[i].insert(t);
        }
    }
    SessionStore store(QString::fromStdString(path), QStringLiteral("two"));
    for (std::size_t i = 0; i < 2; ++i) {
        close(pipes[i].fd); // the child's next write fails and it closes its recorder
        int status = -1;
        waitpid(children[i], &status, 0);
        EXPECT_EQ(status, 0);
        store.Open();
        std::set<std::int64_t> kept;
        for (const TrendSample& s : store.Samples(sim::ParseOptions({"--mac", macs[i]}).scenario.mac, 0, Now()))
            kept.insert(s.TimeMs);
        EXPECT_GT(sent[i].size(), 500u);
        EXPECT_TRUE(std::includes(kept.begin(), kept.end(), sent[i].begin(), sent[i].end())) << macs[i];
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
    const auto kept = [&] { return reader.Samples("0011223344AA", 0, t + 1); };
    recorder.RectifierDecoded(Snapshot(-5));
    ASSERT_TRUE(WaitUntil([&] { return QFile::exists(path) && (reader.Open(), kept().size() == 1); }, 10000));
    QSqlDatabase lock = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), QStringLiteral("lock"));
    lock.setDatabaseName(path);
    ASSERT_TRUE(lock.open() && QSqlQuery(lock).exec(QStringLiteral("BEGIN EXCLUSIVE")));
    for (int i = 0; i < 700; ++i) {
        t += 1000;
        recorder.RectifierDecoded(Snapshot(-5));
    }
    EXPECT_TRUE(WaitUntil([&] { return !recorder.Recording() && !report.isEmpty(); }, 30000));
    ASSERT_TRUE(QSqlQuery(lock).exec(QStringLiteral("ROLLBACK")));
    EXPECT_TRUE(WaitUntil([&] { return recorder.Recording() && report.size() == 2; }, 30000));
    ASSERT_EQ(report.size(), 2);
    EXPECT_TRUE(report[0].startsWith(QStringLiteral("Recording stopped: "))) << report[0].toStdString();
    EXPECT_EQ(report[1], QStringLiteral("Recording resumed: 99 samples and 0 alarm changes dropped"));
    ASSERT_EQ(kept().size(), 1u + 601u);
    EXPECT_EQ(kept()[1].TimeMs, 1000000 + 100 * 1000);
}

// A file written before sessions and test signs had columns: upgraded in
// place, its sample reads as before, and its test flag (maybe the automatic
// test setting) is no sign of a test. A file of a newer console is refused.
TEST(SessionStore, UpgradesAnOlderFileInPlace)
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("s.sqlite"));
    const auto sql = [&path](const char* statement) {
        QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), QStringLiteral("raw"));
        db.setDatabaseName(path);
        EXPECT_TRUE(db.open() && QSqlQuery(db).exec(QLatin1String(statement))) << statement;
        db = QSqlDatabase();
        QSqlDatabase::removeDatabase(QStringLiteral("raw"));
    };
    sql("CREATE TABLE samples(t INTEGER NOT NULL, plant TEXT NOT NULL, dc_v INTEGER, load_a INTEGER, batt_a INTEGER, "
        "temp1 INTEGER, temp2 INTEGER, block1 INTEGER, block2 INTEGER, block3 INTEGER, block4 INTEGER, flags INTEGER, "
        "ctrl_date TEXT, ctrl_time TEXT)");
    sql("INSERT INTO samples VALUES(1000, 'P', 481, 40, -20, 251, 268, 120, 121, 122, 123, 3, '20260601', '0800')");
    SessionStore store(path, QStringLiteral("new"));
    store.Open();
    EXPECT_EQ(store.UserVersion(), 2);
    TrendSample fresh;
    fresh.Batt1SensorFault = true;
    store.Append({{"P", fresh}}, {});
    const std::vector<TrendSample> read = store.Samples("P", 0, 2000);
    ASSERT_EQ(read.size(), 2u);
    EXPECT_EQ(std::tuple(read[1].DcVolt, read[1].BlockVolt[3], read[1].AcFail, TestSign(read[1]), read[1].Basis.has_value()),
              std::tuple(48.1, 12.3, true, false, false));
    EXPECT_TRUE(read[0].Batt1SensorFault && !read[1].Batt1SensorFault);
    sql("PRAGMA user_version = 3");
    EXPECT_THROW(SessionStore(path, QStringLiteral("newer")).Open(), std::runtime_error);
}

// A file that named plants by port and MAC: the plant seen on two ports is
// one plant under its MAC (upper case), with its samples, rollups, entered
// temperature and kept discharge; another MAC stays apart, and so do the
// factory MAC on each port (one a network port) and an empty MAC.
TEST(SessionStore, UpgradeNamesThePlantsByMac)
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("s.sqlite"));
    {
        SessionStore store(path, QStringLiteral("old"));
        store.Open();
        for (const auto& [plant, t] : {std::pair("COM1/0050C2A1B2C3", 1000), std::pair("COM3/0050C2A1B2C3", 5000),
                                       std::pair("COM2/0050c2a1b2c4", 3000), std::pair("COM1/020000006380", 2000),
                                       std::pair("tcp://h:4001/020000006380", 4000), std::pair("COM5/", 500)})
            store.Append({{plant, [time = t] { TrendSample s; s.TimeMs = time; return s; }()}}, {});
        store.SetEnteredTemp("COM1/0050C2A1B2C3", 1000, 21.5);
        for (const char* sql : {"ALTER TABLE samples DROP COLUMN port", "PRAGMA user_version = 1",
                                "INSERT INTO discharges VALUES('COM3/0050C2A1B2C3', 5000, 6000, 0)"})
            EXPECT_TRUE(QSqlQuery(QSqlDatabase::database(QStringLiteral("old"))).exec(QLatin1String(sql))) << sql;
    }
    SessionStore store(path, QStringLiteral("new"));
    store.Open();
    std::vector<std::tuple<std::string, std::string, std::int64_t>> plants;
    for (const StoredPlant& p : store.Plants())
        plants.emplace_back(p.Key, p.LastPort, p.LastSeenMs);
    EXPECT_EQ(plants, (decltype(plants){{"0050C2A1B2C3", "COM3", 5000}, {"tcp://h:4001/020000006380", "tcp://h:4001", 4000},
                                        {"0050C2A1B2C4", "COM2", 3000}, {"COM1/020000006380", "COM1", 2000}, {"COM5/", "COM5", 500}}));
    const std::vector<TrendSample> merged = store.Samples("0050C2A1B2C3", 0, 10000);
    ASSERT_EQ(merged.size(), 2u);
    EXPECT_EQ(merged[0].Port + merged[1].Port, "COM1COM3");
    EXPECT_EQ(store.Buckets("0050C2A1B2C3", 0, 10000, 1).size() + store.Buckets("COM1/0050C2A1B2C3", 0, 10000, 1).size(), 1u);
    EXPECT_EQ(store.EnteredTemps("0050C2A1B2C3"), (std::map<std::int64_t, double>{{1000, 21.5}}));
    QSqlQuery kept(QSqlDatabase::database(QStringLiteral("new")));
    ASSERT_TRUE(kept.exec(QStringLiteral("SELECT plant FROM discharges")) && kept.next());
    EXPECT_EQ(kept.value(0).toString(), QStringLiteral("0050C2A1B2C3"));
    EXPECT_FALSE(kept.next());
}

// The PC clock put back 60 s during 400 s of 36 A: the samples keep their
// recorded order, the ampere-hours follow the monotonic count, and the step
// is listed as a gap.
TEST(SessionStore, ClockStepKeepsOrderAndAmpHours)
{
    QTemporaryDir dir;
    SessionStore store(dir.filePath(QStringLiteral("s.sqlite")), QStringLiteral("step"));
    store.Open();
    std::vector<StoredSample> samples(421, {"P", {}});
    for (int i = 0; i <= 420; ++i) {
        TrendSample& s = samples[i].Sample;
        s.MonoMs = i * 1000LL;
        s.TimeMs = 500000 + s.MonoMs - (i > 200 ? 60000 : 0);
        s.Session = "a";
        s.BattCurrent = i < 400 ? -36 : 0;
    }
    store.Append(samples, {});
    const std::vector<TrendSample> read = store.Samples("P", 0, 10000000);
    const std::vector<DischargeSpan> found = DetectDischarges(read, DetectionSettings{});
    ASSERT_EQ(found.size(), 1u);
    ASSERT_EQ(found[0].Gaps.size(), 1u);
    EXPECT_EQ(std::tuple(found[0].Gaps[0].ClockStep, found[0].Gaps[0].LengthMs, found[0].Interrupted), std::tuple(true, 60000, false));
    EXPECT_NEAR(MeasureDischarge(read, found[0], {}).AmpHours, 36 * 399.5 / 3600, 1e-9);
    EXPECT_EQ(ScanDischarges(store, "P", 0, Now(), DetectionSettings{}, {}, {}).size(), 1u);
}

// Each [recorder] value out of range or not a number is ignored with one line
// naming it; the edges of the ranges are taken.
TEST(RecorderSettings, BadValuesKeepTheirDefaults)
{
    QTemporaryDir dir;
    int files = 0; // a new file each time: the settings files are cached by name
    const auto read = [&dir, &files](const char* text, QStringList& problems) {
        QFile ini(dir.filePath(QStringLiteral("%1.ini").arg(files++)));
        EXPECT_TRUE(ini.open(QIODevice::WriteOnly) && ini.write(text) >= 0);
        ini.close();
        QSettings file(ini.fileName(), QSettings::IniFormat);
        const RecorderSettings s = ReadRecorderSettings(file, problems);
        return std::tuple(s.RetentionDays, s.Detection.ThresholdAmps, s.Detection.HoldMs, s.EndVolt, s.Detection.BridgedGapsMs,
                          s.Detection.EndingGapMs, s.Correction.LowTemp, s.Correction.HighTemp);
    };
    QStringList problems;
    EXPECT_EQ(read("[recorder]\nretentionDays=90 days\ndischargeThresholdAmps=abc\ndischargeHoldSeconds=\nendVolt=35.9\n"
                   "bridgedGapSeconds=601\nendingGapMinutes=4\ncorrectionLowTemp=-10.1\ncorrectionHighTemp=60.1\n", problems),
              read("", problems));
    ASSERT_EQ(problems.size(), 8);
    EXPECT_EQ(problems[0], QStringLiteral("Recorder setting retentionDays \"90 days\" ignored (a whole number from 7 to 3650 is needed): 90 used"));
    EXPECT_EQ(problems[3], QStringLiteral("Recorder setting endVolt \"35.9\" ignored (0 or a number from 36 to 60 is needed): 0 used"));
    EXPECT_EQ(read("[recorder]\nretentionDays=3650\ndischargeThresholdAmps=0.5\ndischargeHoldSeconds=120\nendVolt=43.5\n"
                   "bridgedGapSeconds=10\nendingGapMinutes=1440\ncorrectionLowTemp=-10\ncorrectionHighTemp=60\n", problems),
              std::tuple(3650, 0.5, 120000, 43.5, 10000, 1440 * 60000, -10.0, 60.0));
    for (const char* bad : {"retentionDays=6", "retentionDays=7.5", "dischargeThresholdAmps=100.1", "dischargeHoldSeconds=1",
                            "endVolt=60.1", "bridgedGapSeconds=9", "endingGapMinutes=1441", "correctionLowTemp=40"})
        read((std::string("[recorder]\n") + bad).c_str(), problems);
    EXPECT_EQ(problems.size(), 16);
}

// What the recorder keeps of each record labels the discharge: the automatic
// test setting alone is no test, and an AC failure stays one whatever else.
TEST(SessionRecorder, LabelsFromTheRecordedEvidence)
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("s.sqlite"));
    const std::pair<void (*)(StatusSnapshot&), DischargeKind> cases[] = {
        {[](StatusSnapshot& s) { s.DischargeTestOn = 1; }, DischargeKind::Discharge},
        {[](StatusSnapshot& s) { s.DischargeTestOn = 1; s.Alarms["AF_U"] = true; }, DischargeKind::AcFailure},
        {[](StatusSnapshot& s) { s.ManualTestActive = 1; s.Alarms["HW_A1"] = true; }, DischargeKind::AcFailure},
        {[](StatusSnapshot& s) { s.ChargeMode = 6; s.Alarms["BTEMP1"] = true; }, DischargeKind::Test},
        {[](StatusSnapshot& s) { s.BattTestMode = 1; }, DischargeKind::Test},
        {[](StatusSnapshot& s) { s.ManualTestActive = 1; }, DischargeKind::Test},
    };
    std::int64_t t = 0;
    {
        SessionRecorder recorder(path, RecorderSettings{}, LinksWith([&t] { return t; }));
        ASSERT_TRUE(WaitUntil([&] { return QFile::exists(path); }, 10000)); // what follows is written on closing
        for (const auto& [mark, kind] : cases) {
            for (int i = 0; i < 32; ++i, t += 1000) {
                StatusSnapshot s = Snapshot(i < 20 ? -10 : 0);
                mark(s);
                recorder.RectifierDecoded(s);
            }
        }
    }
    SessionStore store(path, QStringLiteral("labels"));
    store.Open();
    const std::vector<TrendSample> samples = store.Samples("0011223344AA", 0, t);
    ASSERT_FALSE(samples.empty());
    EXPECT_EQ(samples.back().Port, "COM1");
    for (const TrendSample& s : samples)
        EXPECT_EQ(s.Batt1SensorFault, s.ChargeMode == 6) << s.TimeMs; // the red sensor lamp is recorded
    const std::vector<DischargeSpan> found = DetectDischarges(samples, DetectionSettings{});
    ASSERT_EQ(found.size(), std::size(cases));
    for (std::size_t i = 0; i < found.size(); ++i)
        EXPECT_EQ(found[i].Kind, cases[i].second) << i;
}

} // namespace
