#include "ExporterRuns.h"

#include "ConsoleRuns.h"
#include "Pty.h"
#include "StreamWriter.h"

#include <QCoreApplication>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QThread>

#include <arpa/inet.h>
#include <csignal>
#include <memory>
#include <netinet/in.h>
#include <sys/resource.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <unistd.h>

namespace zelt::bench {

namespace {

constexpr double LineBytesPerSecond = 5760; // 57600 bit/s, 10 bits a byte

// One child process feeds every plant's master: a whole record set a second
// each (spread over the second), or a continuous stream at line rate.
class FleetWriter {
public:
    FleetWriter(const std::vector<std::unique_ptr<PtyPair>>& lines, bool lineRate)
    {
        const std::string set = RecordSets(1).front();
        pid_ = fork();
        if (pid_ != 0)
            return;
        const std::size_t n = lines.size();
        std::vector<std::size_t> offsets(n, 0);
        const double start = static_cast<double>(MonotonicNs()) / 1e9;
        std::vector<double> sent(n, 0);
        for (;;) {
            const double now = static_cast<double>(MonotonicNs()) / 1e9 - start;
            for (std::size_t i = 0; i < n; ++i) {
                if (lineRate) {
                    // Bytes due by now at line rate, cycling through the set.
                    auto due = static_cast<std::size_t>(now * LineBytesPerSecond - sent[i]);
                    while (due > 0) {
                        const std::size_t piece = std::min(due, set.size() - offsets[i]);
                        const ssize_t w = write(lines[i]->master, set.data() + offsets[i], piece);
                        if (w <= 0)
                            break;
                        offsets[i] = (offsets[i] + static_cast<std::size_t>(w)) % set.size();
                        sent[i] += static_cast<double>(w);
                        due -= static_cast<std::size_t>(w);
                    }
                } else if (now >= sent[i] + static_cast<double>(i) / static_cast<double>(n)) {
                    [[maybe_unused]] const ssize_t w = write(lines[i]->master, set.data(), set.size());
                    sent[i] += 1;
                }
            }
            usleep(10000);
        }
    }
    ~FleetWriter()
    {
        if (pid_ > 0) {
            kill(pid_, SIGKILL);
            waitpid(pid_, nullptr, 0);
        }
    }

private:
    pid_t pid_ = -1;
};

// The body of GET /metrics, gzipped when asked for, as Prometheus asks;
// empty when nothing answers.
std::string Scrape(int port, bool gzip = false)
{
    const int fd = socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    address.sin_port = htons(static_cast<std::uint16_t>(port));
    std::string reply;
    if (connect(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) == 0) {
        const std::string request = std::string("GET /metrics HTTP/1.0\r\nHost: 127.0.0.1\r\n") +
                                    (gzip ? "Accept-Encoding: gzip\r\n" : "") + "\r\n";
        if (write(fd, request.data(), request.size()) == static_cast<ssize_t>(request.size())) {
            char buffer[65536];
            for (ssize_t n; (n = read(fd, buffer, sizeof buffer)) > 0;)
                reply.append(buffer, static_cast<std::size_t>(n));
        }
    }
    close(fd);
    const std::size_t end = reply.find("\r\n\r\n");
    return end == std::string::npos ? std::string() : reply.substr(end + 4);
}

// Plants whose zelt_plant_up is 1 in a scrape.
std::size_t PlantsUp(const std::string& scrape)
{
    std::size_t up = 0;
    for (std::size_t at = scrape.find("\nzelt_plant_up{"); at != std::string::npos;
         at = scrape.find("\nzelt_plant_up{", at + 1)) {
        const std::size_t end = scrape.find('\n', at + 1);
        up += scrape.compare(end - 2, 2, " 1") == 0 ? 1 : 0;
    }
    return up;
}

// utime + stime of a process, seconds; resident memory, MB.
double CpuSeconds(qint64 pid)
{
    QFile stat(QStringLiteral("/proc/%1/stat").arg(pid));
    if (!stat.open(QIODevice::ReadOnly))
        return 0;
    const QList<QByteArray> fields = stat.readAll().split(')').last().split(' ');
    // After the name: state is field 1, utime 12 and stime 13.
    return static_cast<double>(fields.value(12).toLongLong() + fields.value(13).toLongLong()) /
           static_cast<double>(sysconf(_SC_CLK_TCK));
}

// A number field of /proc/PID/status ("VmRSS:", "Threads:").
double StatusField(qint64 pid, const QByteArray& field)
{
    QFile status(QStringLiteral("/proc/%1/status").arg(pid));
    if (!status.open(QIODevice::ReadOnly))
        return 0;
    for (const QByteArray& line : status.readAll().split('\n'))
        if (line.startsWith(field))
            return line.mid(field.size()).trimmed().split(' ').first().toDouble();
    return 0;
}

void RunOne(std::FILE* out, std::size_t plants, bool lineRate)
{
    std::vector<std::unique_ptr<PtyPair>> lines;
    QTemporaryDir dir;
    QFile config(dir.filePath(QStringLiteral("exporter.conf")));
    if (!config.open(QIODevice::WriteOnly))
        throw std::runtime_error("cannot write the configuration");
    for (std::size_t i = 0; i < plants; ++i) {
        lines.push_back(std::make_unique<PtyPair>());
        config.write(QStringLiteral("[plant-p%1]\nline = %2\nlabels = site=s%1\n")
                         .arg(i)
                         .arg(QString::fromStdString(lines.back()->slavePath))
                         .toUtf8());
    }
    config.close();
    const FleetWriter writer(lines, lineRate);

    const int port = LoopbackPort();
    QProcess exporter;
    exporter.setStandardErrorFile(QProcess::nullDevice());
    exporter.start(QCoreApplication::applicationDirPath() + QStringLiteral("/../zelt6380-exporter"),
                   {QStringLiteral("--config"), config.fileName(), QStringLiteral("--listen"),
                    QStringLiteral("127.0.0.1:%1").arg(port)});
    if (!exporter.waitForStarted(5000))
        throw std::runtime_error("the exporter did not start");
    const qint64 pid = exporter.processId();

    // Warm up until every plant is up, then measure over 20 s.
    for (int i = 0; i < 300 && PlantsUp(Scrape(port)) != plants; ++i)
        QThread::msleep(100);
    QThread::sleep(2);
    const double cpu0 = CpuSeconds(pid);
    const std::int64_t t0 = MonotonicNs();
    std::vector<double> scrapeMs;
    std::size_t bytes = 0;
    while (MonotonicNs() - t0 < 20'000'000'000) {
        QThread::sleep(2);
        const std::int64_t s0 = MonotonicNs();
        bytes = Scrape(port, true).size();
        scrapeMs.push_back(static_cast<double>(MonotonicNs() - s0) / 1e6);
    }
    const double wall = static_cast<double>(MonotonicNs() - t0) / 1e9;
    const double cpu = CpuSeconds(pid) - cpu0;
    const double rss = StatusField(pid, "VmRSS:") / 1024;
    const auto threads = static_cast<int>(StatusField(pid, "Threads:"));
    const std::size_t up = PlantsUp(Scrape(port));
    exporter.terminate();
    exporter.waitForFinished(5000);

    std::fprintf(out,
                 "| %zu | %s | %zu | %.1f %% | %.2f ms/s | %.1f MB | %.2f MB | %d | %.1f ms | %.1f ms | %.1f ms | %zu kB |\n",
                 plants, lineRate ? "line rate" : "1 set/s", up, 100 * cpu / wall,
                 1000 * cpu / wall / static_cast<double>(plants), rss, rss / static_cast<double>(plants), threads,
                 Percentile(scrapeMs, 50), Percentile(scrapeMs, 90), Percentile(scrapeMs, 100), bytes / 1024);
    std::fflush(out);
}

} // namespace

void RunExporterReport(std::FILE* out, std::size_t onlyPlants)
{
    std::fprintf(out, "\n| Plants | Stream | Up | CPU (of one core) | CPU per plant | RSS | RSS per plant | Threads | "
                      "Scrape median | Scrape p90 | Scrape max | Scrape size (gzip) |\n"
                      "| --- | --- | --- | --- | --- | --- | --- | --- | --- | --- | --- | --- |\n");
    // Two descriptors a line here, one or two in the exporter.
    rlimit limit{};
    if (getrlimit(RLIMIT_NOFILE, &limit) == 0) {
        limit.rlim_cur = limit.rlim_max;
        setrlimit(RLIMIT_NOFILE, &limit);
    }
    if (onlyPlants != 0) {
        RunOne(out, onlyPlants, false);
        return;
    }
    for (const bool lineRate : {false, true})
        for (const std::size_t plants : {1, 10, 50, 100})
            RunOne(out, plants, lineRate);
    RunOne(out, 1000, false);
}

} // namespace zelt::bench
