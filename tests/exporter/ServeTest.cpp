// The exporter program as a service: idle clients, IPv6, reloads, its own
// process figures.

#include "common/Loopback.h"
#include "exporter/MetricsServer.h"

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QThread>
#include <csignal>
#include <gtest/gtest.h>
#include <netdb.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

namespace zelt {
namespace {

// A connected socket to host:port, -1 when none.
int Connect(const char* host, int port)
{
    addrinfo hints{};
    hints.ai_flags = AI_NUMERICHOST;
    hints.ai_socktype = SOCK_STREAM;
    addrinfo* found = nullptr;
    if (getaddrinfo(host, std::to_string(port).c_str(), &hints, &found) != 0)
        return -1;
    int fd = socket(found->ai_family, SOCK_STREAM, 0);
    if (connect(fd, found->ai_addr, found->ai_addrlen) != 0) {
        close(fd);
        fd = -1;
    }
    freeaddrinfo(found);
    return fd;
}

// The reply to a request that asks for the connection to be closed after it,
// by HTTP/1.0 or by its header.
QByteArray Get(const char* host, int port, bool http10 = false)
{
    const int fd = Connect(host, port);
    QByteArray reply;
    const QByteArray request = http10 ? "GET /metrics HTTP/1.0\r\n\r\n"
                                      : "GET /metrics HTTP/1.1\r\nHost: x\r\nConnection: close\r\n\r\n";
    if (fd >= 0 && write(fd, request.data(), request.size()) == request.size())
        for (char buffer[65536]; const ssize_t n = read(fd, buffer, sizeof buffer);) {
            if (n < 0)
                break;
            reply.append(buffer, n);
        }
    close(fd);
    return reply;
}

class Exporter {
public:
    explicit Exporter(const QByteArray& config, QString listen = {}, const QStringList& more = {})
    {
        Configure(config);
        port_ = test::FreePort();
        if (listen.isEmpty())
            listen = "127.0.0.1:%1";
        process_.setReadChannel(QProcess::StandardError);
        process_.start(QCoreApplication::applicationDirPath() + "/../zelt6380-exporter",
                       QStringList{"--config", dir_.filePath("e.conf"), "--listen", listen.arg(port_)} + more);
        EXPECT_TRUE(WaitForLog("metrics on port"));
    }
    ~Exporter()
    {
        process_.terminate();
        EXPECT_TRUE(process_.waitForFinished(10000));
        EXPECT_EQ(process_.exitCode(), 0);
    }
    void Configure(const QByteArray& text)
    {
        QFile file(dir_.filePath("e.conf"));
        ASSERT_TRUE(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
        file.write(text);
    }
    bool WaitForLog(const QByteArray& text)
    {
        while (!log_.contains(text) && process_.waitForReadyRead(20000))
            log_ += process_.readAllStandardError();
        log_ += process_.readAllStandardError();
        return log_.contains(text);
    }
    void Signal(int number) { ::kill(static_cast<pid_t>(process_.processId()), number); }
    int port_ = 0;
    QByteArray log_;

private:
    QTemporaryDir dir_;
    QProcess process_;
};

// Runs a program to its end, with nothing on its input; its exit status,
// its output in output.
int RunToEnd(const QString& program, const QStringList& args, QByteArray* output = nullptr)
{
    QProcess process;
    process.setProcessChannelMode(QProcess::MergedChannels);
    process.start(program, args);
    process.closeWriteChannel();
    process.waitForFinished(60000);
    if (output)
        *output = process.readAll();
    return process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1;
}

TEST(ExporterService, TenIdleClientsBlindNoScrapeAndAnIdleOneIsClosed)
{
    Exporter exporter("; no plants yet\n");
    EXPECT_TRUE(exporter.WaitForLog("no plants in"));
    std::vector<int> idle;
    for (int i = 0; i < 10; ++i)
        idle.push_back(Connect("127.0.0.1", exporter.port_));
    QElapsedTimer took;
    took.start();
    const QByteArray reply = Get("127.0.0.1", exporter.port_);
    EXPECT_TRUE(Get("127.0.0.1", exporter.port_, true).contains("zelt_exporter_build_info"));
    EXPECT_LT(took.elapsed(), std::chrono::milliseconds(MetricsServer::IdleTimeout).count());
    for (const char* family : {"zelt_exporter_build_info{version=", "\nprocess_cpu_seconds_total ",
                               "\nprocess_resident_memory_bytes ", "\nprocess_open_fds ",
                               "\nprocess_start_time_seconds "})
        EXPECT_TRUE(reply.contains(family)) << family;
    const QString url = QString("http://127.0.0.1:%1/metrics").arg(exporter.port_);
    QByteArray packed, unpacked; // gzipped for a client that asks
    RunToEnd("curl", {"-s", "-H", "Accept-Encoding: gzip", url}, &packed);
    RunToEnd("curl", {"-s", "--compressed", url}, &unpacked);
    EXPECT_TRUE(packed.startsWith("\x1f\x8b") && unpacked.contains("zelt_exporter_build_info"));
    QByteArray connects; // a client that does not ask to close keeps its connection for the next scrape
    RunToEnd("curl", {"-s", "-o", "/dev/null", "-o", "/dev/null", "-w", "%{num_connects}", url, url}, &connects);
    EXPECT_EQ(connects, "10");
    // The idle ones are dropped after the timeout, not before.
    char byte;
    EXPECT_EQ(read(idle[0], &byte, 1), 0);
    EXPECT_GE(took.elapsed(), std::chrono::milliseconds(MetricsServer::IdleTimeout).count() - 1000);
    for (int fd : idle)
        close(fd);
}

TEST(ExporterService, ServesOnIpv6Literal)
{
    Exporter exporter("", "[::1]:%1");
    EXPECT_TRUE(Get("::1", exporter.port_).contains("zelt_exporter_build_info"));
    EXPECT_TRUE(Get("127.0.0.1", exporter.port_).isEmpty());
}

TEST(ExporterService, HangupReloadsAndABadFileKeepsTheRunningOne)
{
    Exporter exporter("[plant-a]\nline = /dev/null/a\n");
    EXPECT_TRUE(Get("127.0.0.1", exporter.port_).contains("zelt_plant_up{plant=\"a\"} 0"));
    exporter.Configure("[plant-b]\nline = /dev/null/b\nline = /dev/null/c\n");
    exporter.Signal(SIGHUP);
    EXPECT_TRUE(exporter.WaitForLog("keeping the previous configuration"));
    EXPECT_TRUE(exporter.log_.contains("e.conf:3: key line given twice")) << exporter.log_.toStdString();
    EXPECT_TRUE(Get("127.0.0.1", exporter.port_).contains("{plant=\"a\"}"));
    exporter.Configure("[plant-b]\nline = /dev/null/b\n");
    exporter.Signal(SIGHUP);
    EXPECT_TRUE(exporter.WaitForLog("reloaded"));
    const QByteArray reply = Get("127.0.0.1", exporter.port_);
    EXPECT_TRUE(reply.contains("{plant=\"b\"}"));
    EXPECT_FALSE(reply.contains("{plant=\"a\"}"));
}

// Certificates made with openssl in dir: the server's own, a client
// authority and a client it signed, and a stranger's self-signed one.
bool MakeCertificates(const QTemporaryDir& dir)
{
    const auto make = [&dir](const QString& name, const QStringList& more) {
        return RunToEnd("openssl", QStringList{"req", "-newkey", "ec", "-pkeyopt", "ec_paramgen_curve:prime256v1", "-nodes",
                                               "-days", "2", "-subj", "/CN=" + name, "-keyout", dir.filePath(name + ".key")} +
                                       more) == 0;
    };
    return make("server", {"-x509", "-addext", "subjectAltName=IP:127.0.0.1", "-out", dir.filePath("server.crt")}) &&
           make("ca", {"-x509", "-out", dir.filePath("ca.crt")}) &&
           make("stranger", {"-x509", "-out", dir.filePath("stranger.crt")}) &&
           make("client", {"-out", dir.filePath("client.csr")}) &&
           RunToEnd("openssl", {"x509", "-req", "-in", dir.filePath("client.csr"), "-CA", dir.filePath("ca.crt"), "-CAkey",
                                dir.filePath("ca.key"), "-CAcreateserial", "-days", "2", "-out", dir.filePath("client.crt")}) == 0;
}

TEST(ExporterService, ClientCertificatesAreCheckedAsConfiguredAndASilentTlsClientIsClosed)
{
    const QTemporaryDir dir;
    ASSERT_TRUE(MakeCertificates(dir));
    // The HTTP status of a scrape with the certificate of client, if any;
    // "000" when the connection is refused.
    const auto status = [&dir](int port, const QString& client) {
        QStringList args{"-s", "-o", "/dev/null", "-w", "%{http_code}", "--max-time", "10", "--cacert", dir.filePath("server.crt")};
        if (!client.isEmpty())
            args << "--cert" << dir.filePath(client + ".crt") << "--key" << dir.filePath(client + ".key");
        QByteArray code;
        RunToEnd("curl", args << QString("https://127.0.0.1:%1/metrics").arg(port), &code);
        return code;
    };
    const struct {
        const char* mode;
        bool asks;            // whether the server asks the client for a certificate
        const char* none;     // the status without a client certificate
        const char* signed_;  // with one the authority signed
        const char* stranger; // with a self-signed one
    } rows[] = {
        {"NoClientCert", false, "200", "200", "200"},
        {"RequestClientCert", true, "200", "200", "200"},
        {"RequireAnyClientCert", true, "000", "200", "200"},
        {"VerifyClientCertIfGiven", true, "200", "200", "000"},
        {"RequireAndVerifyClientCert", true, "000", "200", "000"},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.mode);
        QFile web(dir.filePath("web.yml"));
        ASSERT_TRUE(web.open(QIODevice::WriteOnly | QIODevice::Truncate));
        web.write(QByteArray("tls_server_config:\n  cert_file: server.crt\n  key_file: server.key\n"
                             "  client_ca_file: ca.crt\n  client_auth_type: ") + row.mode + "\n");
        web.close();
        Exporter exporter("", {}, {"--web.config.file", web.fileName()});
        QElapsedTimer took;
        took.start();
        const int silent = Connect("127.0.0.1", exporter.port_); // never speaks TLS
        EXPECT_EQ(status(exporter.port_, {}), row.none);
        EXPECT_EQ(status(exporter.port_, "client"), row.signed_);
        EXPECT_EQ(status(exporter.port_, "stranger"), row.stranger);
        QByteArray handshake;
        RunToEnd("openssl", {"s_client", "-msg", "-connect", QString("127.0.0.1:%1").arg(exporter.port_)}, &handshake);
        EXPECT_EQ(handshake.contains(", CertificateRequest"), row.asks);
        if (&row == rows) { // closed (or reset) once its handshake is overdue, not before
            pollfd closed{silent, POLLIN, 0};
            char byte;
            EXPECT_TRUE(poll(&closed, 1, 30000) == 1 && read(silent, &byte, 1) <= 0);
            EXPECT_GE(took.elapsed(), std::chrono::milliseconds(MetricsServer::IdleTimeout).count() - 1000);
        }
        close(silent);
    }
}

TEST(ExporterService, PrometheusScrapesOverHttpsWithBasicAuth)
{
    // The packaged example beside a certificate made here.
    const QTemporaryDir dir;
    const QString web = dir.filePath("web-config.yml");
    ASSERT_TRUE(QFile::copy(ZELT_TEST_SOURCE_DIR "/../../packaging/exporter/web-config.yml", web));
    ASSERT_EQ(RunToEnd("openssl", {"req", "-x509", "-newkey", "rsa:2048", "-nodes", "-days", "2", "-subj", "/CN=127.0.0.1",
                              "-addext", "subjectAltName=IP:127.0.0.1", "-keyout",
                              dir.filePath("zelt6380-exporter.key"), "-out", dir.filePath("zelt6380-exporter.crt")}),
              0);
    QByteArray said;
    EXPECT_EQ(RunToEnd("promtool", {"check", "web-config", web}, &said), 0) << said.toStdString();

    Exporter exporter("", {}, {"--web.config.file", web});
    const QString url = QString("https://127.0.0.1:%1/metrics").arg(exporter.port_);
    const QString ca = dir.filePath("zelt6380-exporter.crt");
    const auto status = [&](const QStringList& args) {
        QByteArray code;
        RunToEnd("curl", QStringList{"-s", "-o", "/dev/null", "-w", "%{http_code}", "--max-time", "10", "--cacert", ca} +
                        args,
            &code);
        return code;
    };
    EXPECT_EQ(status({"-u", "prometheus:example", url}), "200");
    EXPECT_EQ(status({"-u", "prometheus:exampl", url}), "401");
    EXPECT_EQ(status({url}), "401");
    EXPECT_EQ(status({QString(url).replace("https", "http")}), "000"); // no plain HTTP

    const int promPort = test::FreePort();
    QFile prom(dir.filePath("prometheus.yml"));
    ASSERT_TRUE(prom.open(QIODevice::WriteOnly));
    prom.write(QString("global:\n  scrape_interval: 1s\nscrape_configs:\n  - job_name: zelt6380\n    scheme: https\n"
                       "    tls_config:\n      ca_file: %1\n    basic_auth:\n      username: prometheus\n"
                       "      password: example\n    static_configs:\n      - targets: ['127.0.0.1:%2']\n")
                   .arg(ca)
                   .arg(exporter.port_)
                   .toUtf8());
    prom.close();
    QProcess prometheus;
    prometheus.setProcessChannelMode(QProcess::MergedChannels);
    prometheus.setStandardOutputFile(dir.filePath("prometheus.log"));
    prometheus.start("prometheus", {"--config.file=" + prom.fileName(), "--storage.tsdb.path=" + dir.filePath("data"),
                                    "--web.listen-address=127.0.0.1:" + QString::number(promPort)});
    const QString query =
        QString("http://127.0.0.1:%1/api/v1/query?query=zelt_exporter_build_info").arg(promPort);
    bool scraped = false;
    for (QDeadlineTimer deadline(60000); !scraped && !deadline.hasExpired(); QThread::msleep(500)) {
        QByteArray reply;
        RunToEnd("curl", {"-s", query}, &reply);
        scraped = reply.contains("\"job\":\"zelt6380\"") && reply.contains(",\"1\"]");
    }
    EXPECT_TRUE(scraped);
    prometheus.terminate();
    prometheus.waitForFinished(10000);
}

} // namespace
} // namespace zelt
