// The exporter under a real Prometheus server: two simulated plants over
// pseudo-terminals, one discharging, the other falling silent; the packaged
// rules and dashboard.

#include "common/EventLoop.h"
#include "common/Loopback.h"

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QDir>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QTemporaryDir>
#include <QUrl>
#include <arpa/inet.h>
#include <csignal>
#include <gtest/gtest.h>
#include <map>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

namespace zelt {
namespace {

const QString Packaging = QStringLiteral(ZELT_TEST_SOURCE_DIR "/../../packaging/exporter/");

// The body of an HTTP GET on 127.0.0.1; empty when nothing answers.
QByteArray Get(int port, const QByteArray& path)
{
    const int fd = socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    address.sin_port = htons(static_cast<std::uint16_t>(port));
    QByteArray reply;
    if (connect(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) == 0) {
        const QByteArray request = "GET " + path + " HTTP/1.0\r\nHost: 127.0.0.1\r\n\r\n";
        if (write(fd, request.data(), request.size()) == request.size()) {
            char buffer[65536];
            for (ssize_t n; (n = read(fd, buffer, sizeof buffer)) > 0;)
                reply.append(buffer, n);
        }
    }
    close(fd);
    const qsizetype end = reply.indexOf("\r\n\r\n");
    return end < 0 ? QByteArray() : reply.mid(end + 4);
}

class Fixture {
public:
    Fixture()
    {
        env_.insert("HOME", home_.path());
        promPort_ = test::FreePort();
        exporterPort_ = test::FreePort();
    }
    ~Fixture()
    {
        for (QProcess* p : {&prometheus_, &exporter_, &sims_[0], &sims_[1]}) {
            p->terminate();
            p->waitForFinished(5000);
        }
    }

    QString Alias(int plant) const { return home_.filePath(".local/share/zelt6380/ports/COM" + QString::number(3 + plant)); }

    void StartSim(int plant, QStringList args)
    {
        sims_[plant].setProcessEnvironment(env_);
        sims_[plant].start(QCoreApplication::applicationDirPath() + "/../tools/zelt6380-sim",
                           args << "--port" << "COM" + QString::number(3 + plant));
        // The first record shows the simulator has set up its signals too.
        ASSERT_TRUE(Eventually(5, [&] { return SentVolts(plant) > 0; }));
    }

    void StartServers()
    {
        QFile config(home_.filePath("exporter.conf"));
        ASSERT_TRUE(config.open(QIODevice::WriteOnly));
        config.write(("[plant-a]\nline = " + Alias(0) + "\nlabels = site=s1\n[plant-b]\nline = " + Alias(1) +
                      "\nlabels = site=s2\n").toUtf8());
        config.close();
        exporter_.setProcessChannelMode(QProcess::ForwardedErrorChannel);
        exporter_.start(QCoreApplication::applicationDirPath() + "/../zelt6380-exporter",
                        {"--config", config.fileName(), "--listen", "127.0.0.1:" + QString::number(exporterPort_)});
        QFile prom(home_.filePath("prometheus.yml"));
        ASSERT_TRUE(prom.open(QIODevice::WriteOnly));
        prom.write(QString("global:\n  scrape_interval: 1s\n  evaluation_interval: 1s\nrule_files:\n  - %1\n"
                           "scrape_configs:\n  - job_name: zelt6380\n    static_configs:\n      - targets: ['127.0.0.1:%2']\n")
                       .arg(Packaging + "zelt6380-rules.yml")
                       .arg(exporterPort_)
                       .toUtf8());
        prom.close();
        prometheus_.setProcessChannelMode(QProcess::MergedChannels);
        prometheus_.setStandardOutputFile(home_.filePath("prometheus.log"));
        prometheus_.start("prometheus", {"--config.file=" + prom.fileName(), "--storage.tsdb.path=" + home_.filePath("data"),
                                         "--web.listen-address=127.0.0.1:" + QString::number(promPort_)});
        ASSERT_TRUE(exporter_.waitForStarted(5000) && prometheus_.waitForStarted(5000));
    }

    // The DC voltage of the simulator's last 'R' record, as its log shows it.
    double SentVolts(int plant)
    {
        log_[plant] += sims_[plant].readAllStandardOutput();
        const qsizetype at = log_[plant].lastIndexOf(" -> R ");
        return at < 0 ? -1 : log_[plant].mid(at + 6, 3).toInt() / 10.0;
    }

    // plant label → value of each series of an instant query.
    std::map<QString, double> Query(const QString& expr)
    {
        const QJsonDocument reply = QJsonDocument::fromJson(Get(promPort_, "/api/v1/query?query=" + QUrl::toPercentEncoding(expr)));
        const QJsonArray result = reply["data"]["result"].toArray();
        std::map<QString, double> values;
        for (const QJsonValue& series : result)
            values[series["metric"]["plant"].toString()] = series["value"][1].toString().toDouble();
        return values;
    }

    // Polls until done() holds, at most seconds long.
    static bool Eventually(int seconds, const std::function<bool()>& done)
    {
        for (QDeadlineTimer deadline(seconds * 1000); !deadline.hasExpired(); test::Pump(250))
            if (done())
                return true;
        return done();
    }

    QProcess sims_[2];
    int exporterPort_ = 0;

private:
    QTemporaryDir home_;
    QProcessEnvironment env_ = QProcessEnvironment::systemEnvironment();
    QProcess exporter_;
    QProcess prometheus_;
    int promPort_ = 0;
    QByteArray log_[2];
};

TEST(ExporterUnderPrometheus, ScrapedRulesFireAndALostLineComesBack)
{
    Fixture f;
    f.StartSim(0, {"--noise"});
    f.StartSim(1, {"--discharge", "20"});
    ::kill(static_cast<pid_t>(f.sims_[1].processId()), SIGUSR1); // the discharge starts now
    f.StartServers();

    for (int plant : {0, 1}) {
        const QString name = plant == 0 ? "a" : "b";
        EXPECT_TRUE(Fixture::Eventually(20, [&] {
            return f.Query("zelt_dc_output_volts{site=\"s" + QString::number(plant + 1) + "\"}")[name] ==
                   f.SentVolts(plant);
        })) << name.toStdString();
    }

    // The scrape passes the exposition format's checks.
    QProcess promtool;
    promtool.start("promtool", {"check", "metrics"});
    promtool.write(Get(f.exporterPort_, "/metrics"));
    promtool.closeWriteChannel();
    ASSERT_TRUE(promtool.waitForFinished(10000));
    EXPECT_EQ(promtool.exitCode(), 0) << promtool.readAll().toStdString();
    EXPECT_GT(f.Query("zelt_frames_bad_checksum_total")["a"], 0);

    // Every panel of the dashboard shows a series.
    QFile dashboard(Packaging + "zelt6380-dashboard.json");
    ASSERT_TRUE(dashboard.open(QIODevice::ReadOnly));
    for (const QJsonValue& panel : QJsonDocument::fromJson(dashboard.readAll())["panels"].toArray())
        for (const QJsonValue& target : panel["targets"].toArray()) {
            const QString expr = target["expr"].toString().replace("$plant", ".*");
            EXPECT_FALSE(f.Query(expr).empty()) << expr.toStdString();
        }

    EXPECT_EQ(f.Query("zelt_exporter_build_info{job=\"zelt6380\"}").size(), 1u);

    // Plant a's controller falls silent: its readings vanish, its line's
    // figures stay. Then its simulator goes away and comes back; plant b goes on.
    const double reopens = f.Query("zelt_line_reopens_total")["a"];
    ::kill(static_cast<pid_t>(f.sims_[0].processId()), SIGSTOP);
    EXPECT_TRUE(Fixture::Eventually(30, [&] { return f.Query("zelt_plant_up")["a"] == 0; }));
    for (const char* reading : {"zelt_dc_output_volts", "zelt_battery_current_amperes", "zelt_alarm",
                                "zelt_rectifier_alarm", "zelt_setting_volts"})
        EXPECT_EQ(f.Query(reading).count("a"), 0u) << reading;
    EXPECT_EQ(f.Query("zelt_frames_received_total").count("a"), 1u);
    f.sims_[0].kill();
    f.sims_[0].waitForFinished(5000);
    f.StartSim(0, {});
    EXPECT_TRUE(Fixture::Eventually(25, [&] {
        return f.Query("zelt_plant_up")["a"] == 1 && f.Query("zelt_line_reopens_total")["a"] > reopens;
    }));
    EXPECT_EQ(f.Query("min_over_time(zelt_plant_up[40s])")["b"], 1);

    const QString firing = "ALERTS{alertname=\"ZeltBatteryDischarging\",alertstate=\"firing\"}";
    EXPECT_TRUE(Fixture::Eventually(60, [&] { return f.Query(firing).count("b") == 1; }));
    EXPECT_EQ(f.Query(firing).count("a"), 0u);
}

} // namespace
} // namespace zelt
