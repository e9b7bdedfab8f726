// zelt6380-exporter: watches the plants of a configuration file and serves
// their status as Prometheus metrics.

#include "exporter/ExporterConfig.h"
#include "exporter/Fleet.h"
#include "exporter/ListenAddress.h"
#include "exporter/MetricsServer.h"
#include "exporter/ProcessMetrics.h"

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QSocketNotifier>

#include <csignal>
#include <cstdio>
#include <sys/resource.h>
#include <sys/signalfd.h>
#include <unistd.h>

namespace {

// Each line holds a descriptor or two: the soft limit goes up to the hard one.
void RaiseOpenFileLimit()
{
    rlimit limit{};
    if (getrlimit(RLIMIT_NOFILE, &limit) == 0 && limit.rlim_cur < limit.rlim_max) {
        limit.rlim_cur = limit.rlim_max;
        setrlimit(RLIMIT_NOFILE, &limit);
    }
}

void SayPlants(const zelt::ExporterConfig& config, const QString& path)
{
    if (config.plants.empty())
        std::fprintf(stderr, "zelt6380-exporter: no plants in %s; serving the exporter's own metrics only\n",
                     qPrintable(path));
    else
        std::fprintf(stderr, "zelt6380-exporter: watching %zu plant(s)\n", config.plants.size());
}

} // namespace

int main(int argc, char** argv)
{
    // SIGTERM and SIGINT end the event loop, SIGHUP reads the configuration
    // again: they are blocked before any thread starts and read from a
    // descriptor on the Qt thread.
    sigset_t handledSignals;
    sigemptyset(&handledSignals);
    sigaddset(&handledSignals, SIGTERM);
    sigaddset(&handledSignals, SIGINT);
    sigaddset(&handledSignals, SIGHUP);
    pthread_sigmask(SIG_BLOCK, &handledSignals, nullptr);
    RaiseOpenFileLimit();

    QCoreApplication app(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("zelt6380-exporter"));

    QCommandLineParser parser;
    parser.setApplicationDescription(QStringLiteral("Serves the status of ZELT-6380A plants as Prometheus metrics."));
    parser.addHelpOption();
    const QCommandLineOption configOption(QStringLiteral("config"), QStringLiteral("The configuration file."),
                                          QStringLiteral("FILE"),
                                          QStringLiteral("/etc/zelt6380/zelt6380-exporter.conf"));
    const QCommandLineOption listenOption(QStringLiteral("listen"),
                                          QStringLiteral("Address and port of the metrics server."),
                                          QStringLiteral("[ADDR]:PORT"), QStringLiteral(":9380"));
    const QCommandLineOption webOption(QStringLiteral("web.config.file"),
                                       QStringLiteral("TLS and basic authentication of the metrics server "
                                                      "(Prometheus exporter web configuration)."),
                                       QStringLiteral("FILE"));
    parser.addOption(configOption);
    parser.addOption(listenOption);
    parser.addOption(webOption);
    if (!parser.parse(app.arguments()) || !parser.positionalArguments().isEmpty()) {
        std::fprintf(stderr, "zelt6380-exporter: %s (see --help)\n",
                     parser.positionalArguments().isEmpty() ? qPrintable(parser.errorText())
                                                            : "no arguments are taken besides the options");
        return 2;
    }
    if (parser.isSet(QStringLiteral("help")))
        parser.showHelp(0);

    const QString configPath = parser.value(configOption);
    zelt::ExporterConfig config;
    zelt::ListenAddress listen;
    try {
        listen = zelt::ParseListenAddress(parser.value(listenOption));
        config = zelt::ReadExporterConfig(configPath);
    } catch (const std::runtime_error& e) {
        std::fprintf(stderr, "zelt6380-exporter: %s\n", e.what());
        return 2;
    }

    auto fleet = std::make_unique<zelt::Fleet>(config);
    const auto process = std::make_shared<zelt::ProcessCollector>();
    zelt::MetricsServer server;
    try {
        if (parser.isSet(webOption))
            server.Secure(zelt::ReadWebConfig(parser.value(webOption)));
    } catch (const zelt::WebConfigError& e) {
        std::fprintf(stderr, "zelt6380-exporter: %s\n", e.what());
        return 2;
    }
    try {
        const quint16 port = server.Listen(listen);
        std::fprintf(stderr, "zelt6380-exporter: metrics on port %d\n", port);
    } catch (const zelt::ListenError& e) {
        std::fprintf(stderr, "zelt6380-exporter: cannot listen on %s: %s\n", qPrintable(parser.value(listenOption)),
                     e.what());
        return 1;
    }
    server.Add(fleet->Collector());
    server.Add(process);
    SayPlants(config, configPath);

    // A configuration read again replaces the whole fleet; one that is
    // refused leaves the running one as it is.
    const auto reload = [&] {
        try {
            const zelt::ExporterConfig fresh = zelt::ReadExporterConfig(configPath);
            server.Remove(fleet->Collector());
            fleet.reset();
            fleet = std::make_unique<zelt::Fleet>(fresh);
            server.Add(fleet->Collector());
            fleet->Start();
            std::fprintf(stderr, "zelt6380-exporter: configuration reloaded\n");
            SayPlants(fresh, configPath);
        } catch (const zelt::ConfigError& e) {
            std::fprintf(stderr, "zelt6380-exporter: keeping the previous configuration: %s\n", e.what());
        }
    };

    const int signalFd = signalfd(-1, &handledSignals, SFD_CLOEXEC | SFD_NONBLOCK);
    QSocketNotifier notifier(signalFd, QSocketNotifier::Read);
    QObject::connect(&notifier, &QSocketNotifier::activated, &app, [&] {
        signalfd_siginfo info{};
        while (read(signalFd, &info, sizeof info) == sizeof info) {
            if (info.ssi_signo == SIGHUP)
                reload();
            else
                QCoreApplication::quit();
        }
    });

    fleet->Start();
    const int status = QCoreApplication::exec();
    close(signalFd);
    return status;
}
