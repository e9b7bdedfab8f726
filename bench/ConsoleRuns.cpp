#include "ConsoleRuns.h"

#include "Pty.h"
#include "ReaderCpu.h"
#include "app/MainForm.h"
#include "protocol/FieldText.h"
#include "protocol/FrameCodec.h"
#include "sim/PlantState.h"
#include "sim/Records.h"
#include "status/StatusArea.h"

#include <QAbstractButton>
#include <QCoreApplication>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QDateTime>
#include <QElapsedTimer>
#include <QThread>
#include <QTimer>

#include <algorithm>
#include <netinet/in.h>
#include <stdexcept>
#include <sys/socket.h>
#include <unistd.h>

namespace zelt::bench {

namespace {

struct SetValues {
    int dcVolt;
    int modulesIn;
    bool acUpperIn;
    bool acLowerIn;
    int unit1AcVolt;
};

SetValues ValuesOfSet(std::size_t i)
{
    return {400 + static_cast<int>(i % 500), static_cast<int>(i % 16), (i / 16) % 2 != 0, (i / 32) % 2 != 0,
            100 + static_cast<int>(i % 300)};
}

// What the panels of one record type show for set i.
std::string ShownBy(char type, std::size_t i)
{
    const SetValues v = ValuesOfSet(i);
    switch (type) {
    case 'R':
        return FormatTenths(v.dcVolt, 'V') + " ";
    case 'K': {
        std::string shown;
        for (int n = 0; n < 4; ++n)
            shown += (v.modulesIn >> n) & 1 ? "IN " : "OUT ";
        return shown + (v.acUpperIn ? "IN " : "OUT ") + (v.acLowerIn ? "IN " : "OUT ");
    }
    default:
        return std::to_string(v.unit1AcVolt) + "V ";
    }
}

std::string Shown(StatusArea& area, char type)
{
    switch (type) {
    case 'R':
        return area.Text("pnlDC_V");
    case 'K': {
        std::string shown;
        for (const char* panel : {"pnlRM1", "pnlRM2", "pnlRM3", "pnlRM4", "pnlAC1", "pnlAC2"})
            shown += area.Text(panel);
        return shown;
    }
    default:
        return area.Text("pnlACVolt1");
    }
}

bool Accepts(int port)
{
    const int fd = socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in a {};
    a.sin_family = AF_INET;
    a.sin_port = htons(static_cast<std::uint16_t>(port));
    a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    const bool ok = ::connect(fd, reinterpret_cast<sockaddr*>(&a), sizeof a) == 0;
    close(fd);
    return ok;
}

// Starts ser2net in front of the pty; returns the address the window opens.
QString StartSer2net(QProcess& server, const QTemporaryDir& dir, const std::string& slavePath, Line line)
{
    const int port = LoopbackPort();
    QFile config(dir.filePath(QStringLiteral("ser2net.yaml")));
    config.open(QIODevice::WriteOnly);
    config.write(QStringLiteral("connection: &plant\n  accepter: %1tcp,127.0.0.1,%2\n"
                                "  connector: serialdev,%3,57600n81,local\n"
                                "  options:\n    banner: \"\"\n    kickolduser: false\n")
                     .arg(line == Line::Ser2netRfc2217 ? QStringLiteral("telnet(rfc2217),") : QString())
                     .arg(port)
                     .arg(QString::fromStdString(slavePath))
                     .toUtf8());
    config.close();
    server.start(QStringLiteral("/usr/sbin/ser2net"),
                 {"-n", "-u", "-P", dir.filePath(QStringLiteral("pid")), "-c", config.fileName()});
    QElapsedTimer clock;
    clock.start();
    while (!Accepts(port)) {
        if (clock.elapsed() > 5000)
            throw std::runtime_error("ser2net did not start");
        QThread::msleep(20);
    }
    return QStringLiteral("%1://127.0.0.1:%2").arg(line == Line::Ser2netRfc2217 ? "rfc2217" : "tcp").arg(port);
}

} // namespace

int LoopbackPort()
{
    const int fd = socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in a {};
    a.sin_family = AF_INET;
    a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t size = sizeof a;
    bind(fd, reinterpret_cast<sockaddr*>(&a), sizeof a);
    getsockname(fd, reinterpret_cast<sockaddr*>(&a), &size);
    close(fd);
    return ntohs(a.sin_port);
}

std::vector<std::string> RecordSets(int count)
{
    const QDateTime now = QDateTime::currentDateTime();
    sim::PlantState plant = sim::MakePlant(sim::Scenario{}, now);
    std::vector<std::string> sets;
    for (int i = 0; i < count; ++i) {
        const SetValues v = ValuesOfSet(static_cast<std::size_t>(i));
        plant.readings.dcVolt = v.dcVolt;
        plant.shelf.modulesIn = v.modulesIn;
        plant.shelf.acUpperIn = v.acUpperIn;
        plant.shelf.acLowerIn = v.acLowerIn;
        plant.readings.units[0].acVolt = v.unit1AcVolt;
        sets.push_back(EncodeFrame("R" + sim::EncodeRectifierStatus(plant, now))
                       + EncodeFrame("K" + sim::EncodeAlarmStatus(plant))
                       + EncodeFrame("U" + sim::EncodeUnitStatus(plant)));
    }
    return sets;
}

double Percentile(std::vector<double> values, double p)
{
    if (values.empty())
        return 0;
    std::sort(values.begin(), values.end());
    const auto at = static_cast<std::size_t>(p / 100 * static_cast<double>(values.size() - 1) + 0.5);
    return values[std::min(at, values.size() - 1)];
}

ConsoleRun RunConsole(const StreamPlan& plan, Line line, bool recording)
{
    PtyPair pty;
    QTemporaryDir dir;
    QProcess server;
    ConsoleRun run;
    run.framesSent = plan.frames.size() * FramesPerSet;
    TMain_Form window;
    if (!recording)
        window.Status().SetListener(nullptr);
    window.show();
    window.ComPort11().SetDeviceName(line == Line::Pty ? QString::fromStdString(pty.slavePath)
                                                       : StartSer2net(server, dir, pty.slavePath, line));
    window.findChild<QAbstractButton*>(QStringLiteral("btnConnect"))->click();
    // ser2net opens (and flushes) the pty only once the client is in.
    if (line != Line::Pty)
        QThread::msleep(300);

    // Where each frame of the stream ends, and its type letter. Payloads are
    // ASCII: a frame's first ETX after its STX ends its body.
    std::vector<std::pair<std::size_t, char>> frameEnds;
    std::size_t offset = 0;
    for (const std::string& set : plan.frames) {
        for (std::size_t at = 0; at < set.size(); at = set.find(ETX, at + 1) + 2)
            frameEnds.emplace_back(offset + set.find(ETX, at + 1) + 2, set[at + 1]);
        offset += set.size();
    }

    // Behind the window's own AfterRead handler, the decoders have run. The
    // frames of one type that a read completed count as decoded when that
    // type's panels now show the last of them (the k-th frame of a type
    // belongs to set k).
    StatusArea& area = window.Status().Area();
    std::size_t bytesRead = 0;
    std::size_t framesEnded = 0;
    const char types[FramesPerSet] = {'R', 'K', 'U'};
    std::size_t seenOfType[FramesPerSet] = {};
    std::vector<std::int64_t> setShownAt; // when each set's 'U' was verified
    const TComDataEvent windowHandler = window.ComPort11().AfterRead();
    window.ComPort11().SetAfterRead([&](QObject* sender, const char* buffer, int length, bool wait) {
        windowHandler(sender, buffer, length, wait);
        const std::int64_t now = MonotonicNs();
        bytesRead += static_cast<std::size_t>(length);
        std::size_t completed[FramesPerSet] = {};
        for (; framesEnded < frameEnds.size() && frameEnds[framesEnded].first <= bytesRead; ++framesEnded)
            for (std::size_t t = 0; t < FramesPerSet; ++t)
                completed[t] += frameEnds[framesEnded].second == types[t] ? 1 : 0;
        for (std::size_t t = 0; t < FramesPerSet; ++t) {
            if (completed[t] == 0)
                continue;
            seenOfType[t] += completed[t];
            if (Shown(area, types[t]) != ShownBy(types[t], seenOfType[t] - 1))
                continue;
            run.framesDecoded += completed[t];
            if (types[t] == 'U')
                setShownAt.resize(seenOfType[t], now);
        }
    });

    QElapsedTimer beat;
    QTimer heartbeat;
    heartbeat.setTimerType(Qt::PreciseTimer);
    QObject::connect(&heartbeat, &QTimer::timeout, [&] {
        run.latenessMs.push_back(static_cast<double>(beat.nsecsElapsed()) / 1e6 - 10);
        beat.restart();
    });

    const double cpuBefore = ProcessCpuSeconds();
    QElapsedTimer wall;
    wall.start();
    {
        StreamWriter writer(pty.master, plan);
        beat.start();
        heartbeat.start(10);
        QElapsedTimer quiet;
        quiet.start();
        std::size_t seen = 0;
        // Until every frame has been decoded, or nothing new for two seconds.
        while (run.framesDecoded < run.framesSent && quiet.elapsed() < 2000) {
            QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
            if (run.framesDecoded != seen) {
                seen = run.framesDecoded;
                quiet.restart();
            }
        }
        heartbeat.stop();
        writer.Wait();
        run.wallSeconds = static_cast<double>(wall.elapsed()) / 1000;
        run.cpuSeconds = ProcessCpuSeconds() - cpuBefore;
        if (run.framesDecoded == run.framesSent)
            for (std::size_t i = 0; i < setShownAt.size(); ++i)
                run.latencyMs.push_back(static_cast<double>(setShownAt[i] - writer.WrittenAt(i)) / 1e6);
    }
    window.findChild<QAbstractButton*>(QStringLiteral("btnDisconnect"))->click();
    server.kill();
    server.waitForFinished(2000);
    return run;
}

} // namespace zelt::bench
