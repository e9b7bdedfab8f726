// zelt6380-sim: plays the plant controller for the console, on a
// pseudo-terminal published as a port alias or on a real serial device.

#include "sim/FakeController.h"
#include "sim/Options.h"
#include "sim/PortAlias.h"
#include "sim/SerialLine.h"
#include "sim/SignalAction.h"
#include "sim/TcpListener.h"
#include "ui/StandardError.h"

#include <QCoreApplication>
#include <csignal>
#include <cstdio>
#include <iostream>
#include <memory>
#include <unistd.h>

namespace {

void PrintLine(const std::string& line)
{
    std::fputs(line.c_str(), stdout);
    std::fputc('\n', stdout);
    std::fflush(stdout);
}

int Run(const zelt::sim::SimOptions& options, QCoreApplication& app)
{
    using namespace zelt::sim;
    const SignalAction signalQuit({SIGINT, SIGTERM, SIGHUP}, [] { QCoreApplication::quit(); });
    if (options.listen != 0) {
        TcpListener listener(options.listen, options.scenario, PrintLine);
        PrintLine("zelt6380-sim: listening on 127.0.0.1:" + std::to_string(options.listen));
        const int rc = app.exec();
        PrintLine("zelt6380-sim: stopped");
        return rc;
    }
    std::unique_ptr<PtyPair> pty;
    std::unique_ptr<PortAlias> alias;
    int fd = -1;
    if (options.device.empty()) {
        pty = std::make_unique<PtyPair>();
        alias = std::make_unique<PortAlias>(options.port, pty->slavePath());
        fd = pty->master();
        PrintLine("zelt6380-sim: " + options.port + " is " + pty->slavePath() + " (alias " + alias->path().string()
                  + ")");
    } else {
        fd = OpenSerialDevice(options.device);
        PrintLine("zelt6380-sim: on " + options.device + " at 57600 8N1");
    }

    FakeController controller(fd, options.scenario);
    controller.setLogSink(PrintLine);
    // The handler is in place before the first record goes out: whoever waits
    // for that record may signal at once.
    const SignalAction signalDischarge({SIGUSR1}, [&controller] {
        controller.startDischarge();
        PrintLine("zelt6380-sim: discharge test started");
    });
    controller.startPushing();
    const int rc = app.exec();
    if (!pty)
        close(fd);
    PrintLine("zelt6380-sim: stopped");
    return rc;
}

} // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    // A closed standard output (the log piped into a pager that quit) must
    // not kill the program before it has taken its alias down.
    std::signal(SIGPIPE, SIG_IGN);
    zelt::sim::SimOptions options;
    try {
        options = zelt::sim::ParseOptions(std::vector<std::string>(argv + 1, argv + argc));
    } catch (const std::invalid_argument& e) {
        std::cerr << "zelt6380-sim: " << e.what() << "; try --help\n";
        return 2;
    }
    if (options.help) {
        std::cout << zelt::sim::UsageText();
        return 0;
    }
    zelt::SetStandardErrorSink([](const QString& message) {
        std::cerr << "zelt6380-sim: " << message.toStdString() << std::endl;
    });
    try {
        return Run(options, app);
    } catch (const std::exception& e) {
        std::cerr << "zelt6380-sim: " << e.what() << std::endl;
        return 1;
    }
}
