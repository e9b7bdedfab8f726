#include "common/EventLoop.h"
#include "status/StatusListener.h"
#include "status/StatusMonitor.h"
#include "battery/TfrmShow.h"
#include "status/Records.h"
#include "trend/SessionRecorder.h"

#include <QDateTime>
#include <QFile>
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
            std::move(clock)};
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

TEST(RecorderCrash, KilledWriterLosesAtMostTheLastSecond)
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("sessions.sqlite"));
    int fds[2];
    ASSERT_EQ(pipe(fds), 0);
    std::vector<std::string> env;
    for (char** e = environ; *e != nullptr; ++e)
        env.emplace_back(*e);
    env.push_back("ZELT_RECORDER_CHILD=" + path.toStdString());
    env.push_back("ZELT_RECORDER_PIPE=" + std::to_string(fds[1]));
    std::vector<char*> envp;
    for (std::string& e : env)
        envp.push_back(e.data());
    envp.push_back(nullptr);
    std::string self = "/proc/self/exe", filter = "--gtest_filter=RecorderChild.*";
    char* argv[] = {self.data(), filter.data(), nullptr};

    const pid_t child = fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        execve("/proc/self/exe", argv, envp.data());
        _exit(127);
    }
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
