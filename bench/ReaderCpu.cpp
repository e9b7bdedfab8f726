#include "ReaderCpu.h"

#include "Pty.h"
#include "serial/ComPort.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QSerialPort>
#include <QTimer>

#include <sys/resource.h>

namespace zelt::bench {

double ProcessCpuSeconds()
{
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return static_cast<double>(usage.ru_utime.tv_sec + usage.ru_stime.tv_sec) +
           static_cast<double>(usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e6;
}

namespace {

std::size_t TotalBytes(const StreamPlan& plan)
{
    std::size_t total = 0;
    for (const auto& f : plan.frames)
        total += f.size();
    return total;
}

// Runs the event loop until received reaches the total or the stream has
// been quiet for a second after the writer finished.
ReaderRun Measure(const StreamPlan& plan, int master, const std::size_t& received)
{
    ReaderRun run;
    run.bytesSent = TotalBytes(plan);
    const double cpuBefore = ProcessCpuSeconds();
    QElapsedTimer wall;
    wall.start();
    {
        StreamWriter writer(master, plan);
        QTimer ticker;
        ticker.start(50);
        const qint64 limitMs = static_cast<qint64>(run.bytesSent / std::max(plan.bytesPerSecond, 1.0) * 1000) + 5000;
        while (received < run.bytesSent && wall.elapsed() < limitMs)
            QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
        writer.Wait();
    }
    run.wallSeconds = static_cast<double>(wall.elapsed()) / 1000;
    run.cpuSeconds = ProcessCpuSeconds() - cpuBefore;
    run.bytesReceived = received;
    return run;
}

} // namespace

ReaderRun RunPortComponentReader(const StreamPlan& plan)
{
    PtyPair pty;
    std::size_t received = 0;
    tcomport2 port;
    port.SetDeviceName(QString::fromStdString(pty.slavePath));
    port.SetBaudRate(br57600);
    port.SetDataBits(db8);
    port.SetParity(paNone);
    port.SetStopBits(sb1);
    std::string text;
    port.SetOnRxChar([&](QObject*) {
        port.ReadAvailable(text);
        received += text.size();
    });
    port.SetActive(true);
    const ReaderRun run = Measure(plan, pty.master, received);
    port.SetActive(false);
    return run;
}

ReaderRun RunQSerialPortReader(const StreamPlan& plan)
{
    PtyPair pty;
    std::size_t received = 0;
    QSerialPort port;
    port.setPortName(QString::fromStdString(pty.slavePath));
    port.setBaudRate(57600);
    port.setDataBits(QSerialPort::Data8);
    port.setParity(QSerialPort::NoParity);
    port.setStopBits(QSerialPort::OneStop);
    QObject::connect(&port, &QSerialPort::readyRead, [&] { received += static_cast<std::size_t>(port.readAll().size()); });
    if (!port.open(QIODevice::ReadWrite))
        throw std::runtime_error("QSerialPort could not open " + pty.slavePath);
    const ReaderRun run = Measure(plan, pty.master, received);
    port.close();
    return run;
}

} // namespace zelt::bench
