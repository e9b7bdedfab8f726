// zelt6380-exporter: watches the plants of a configuration file and serves
// their status as Prometheus metrics.

#include "exporter/ExporterConfig.h"
#include "exporter/Fleet.h"

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QSocketNotifier>

#include <prometheus/exposer.h>

#include <csignal>
#include <cstdio>
#include <sys/signalfd.h>
#include <unistd.h>

namespace {

// ":9380" listens on every address, as the HTTP server writes it "9380".
std::string ServerAddress(const QString& listen)
{
    return (listen.startsWith(QLatin1Char(':')) ? listen.mid(1) : listen).toStdString();
}

} // namespace

int main(int argc, char** argv)
{
    // SIGTERM and SIGINT end the event loop: they are blocked before any
    // thread starts and read from a descriptor on the Qt thread.
    sigset_t quitSignals;
    sigemptyset(&quitSignals);
    sigaddset(&quitSignals, SIGTERM);
    sigaddset(&quitSignals, SIGINT);
    pthread_sigmask(SIG_BLOCK, &quitSignals, nullptr);

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
    parser.addOption(configOption);
    parser.addOption(listenOption);
    if (!parser.parse(app.arguments()) || !parser.positionalArguments().isEmpty()) {
        std::fprintf(stderr, "zelt6380-exporter: %s (see --help)\n",
                     parser.positionalArguments().isEmpty() ? qPrintable(parser.errorText())
                                                            : "no arguments are taken besides the options");
        return 2;
    }
    if (parser.isSet(QStringLiteral("help")))
        parser.showHelp(0);

    zelt::ExporterConfig config;
    try {
        config = zelt::ReadExporterConfig(parser.value(configOption));
    } catch (const zelt::ConfigError& e) {
        std::fprintf(stderr, "zelt6380-exporter: %s\n", e.what());
        return 2;
    }

    zelt::Fleet fleet(config);
    std::unique_ptr<prometheus::Exposer> exposer;
    try {
        exposer = std::make_unique<prometheus::Exposer>(ServerAddress(parser.value(listenOption)));
    } catch (const std::exception& e) {
        std::fprintf(stderr, "zelt6380-exporter: cannot listen on %s: %s\n", qPrintable(parser.value(listenOption)),
                     e.what());
        return 1;
    }
    exposer->RegisterCollectable(fleet.Collector());
    for (const int port : exposer->GetListeningPorts())
        std::fprintf(stderr, "zelt6380-exporter: metrics on port %d\n", port);

    const int signalFd = signalfd(-1, &quitSignals, SFD_CLOEXEC | SFD_NONBLOCK);
    QSocketNotifier quit(signalFd, QSocketNotifier::Read);
    QObject::connect(&quit, &QSocketNotifier::activated, &app, &QCoreApplication::quit);

    fleet.Start();
    const int status = QCoreApplication::exec();
    close(signalFd);
    return status;
}
