// zelt6380-screenshots DIR: renders every window of the console into DIR,
// the main window connected to the simulated controller over a
// pseudo-terminal:
//   main-<tab>.png           the main window, once per status tab;
//   config-<dialog>.png      the configuration dialogs as they open on the
//                            controller's values;
//   history.png              the alarm history window after a download, and
//   history-acronyms.png     its acronym list;
//   battery-discharge-<verdict>.png  the battery discharge test window with a
//                            good, a degraded and a low battery's bookkeeping;
//   battery-alert.png        the battery alert of a low battery;
//   initial-charge.png, clock.png, test-date.png, test-date-confirm.png
//                            the other battery dialogs;
//   port.png                 the port dialog;
//   connect-box.png          the box shown while a network line connects;
//   network-ports.png        the port dialog's network ports window, over
//                            a settings file of its own with two addresses;
//   trend.png                the Trend window at its opening size over a simulated 20-minute
//                            discharge test, recorded into a temporary store,
//                            the test selected in its discharge list, and
//   discharge-*.pdf          that test's report (docs/discharge-report.png is
//                            its page: pdftoppm -r 50 -png -singlefile).
// Used to keep the README's pictures true.

#include "app/MainForm.h"
#include "battery/TBattDisch.h"
#include "battery/TfrmDataSetCheck.h"
#include "battery/TfrmSetDate.h"
#include "battery/TfrmSetDisch.h"
#include "battery/TfrmSetTime.h"
#include "battery/TfrmShow.h"
#include "protocol/FrameCodec.h"
#include "sim/DischargeModel.h"
#include "sim/PlantModel.h"
#include "sim/Records.h"
#include "status/StatusMonitor.h"
#include "trend/DischargeList.h"
#include "trend/SessionRecorder.h"
#include "trend/PlantId.h"
#include "trend/TrendWindow.h"
#include "config/TForm1.h"
#include "config/TfrmADSetting.h"
#include "config/TfrmAlarm.h"
#include "config/TfrmInitial.h"
#include "config/TfrmSetting.h"
#include "ui/MessageBox.h"
#include "history/TfrmHistList.h"
#include "history/TfrmHistory.h"
#include "serial/NetworkPortsDialog.h"
#include "serial/PortDialog.h"
#include "sim/FakeController.h"
#include "sim/SerialLine.h"
#include "ui/Colours.h"

#include <QAbstractButton>
#include <QCheckBox>
#include <QComboBox>
#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QLabel>
#include <QSettings>
#include <QTabWidget>
#include <QTableWidget>
#include <QTemporaryDir>
#include <QTimer>

#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cstdio>
#include <functional>
#include <memory>
#include <utility>
#include <vector>

namespace {

bool PumpUntil(const std::function<bool()>& done, int ms)
{
    QElapsedTimer clock;
    clock.start();
    while (!done() && clock.elapsed() < ms)
        QApplication::processEvents(QEventLoop::AllEvents, 20);
    return done();
}

bool Grab(QWidget& widget, const QDir& dir, const QString& name)
{
    QApplication::processEvents();
    const QString path = dir.filePath(name + QStringLiteral(".png"));
    if (widget.grab().save(path))
        return true;
    std::fprintf(stderr, "cannot write %s\n", qPrintable(path));
    return false;
}

// Shows a window that is otherwise hidden, grabs it and hides it again.
bool GrabShown(QWidget& widget, const QDir& dir, const QString& name)
{
    widget.show();
    const bool saved = Grab(widget, dir, name);
    widget.hide();
    return saved;
}

bool SaveMainTabs(zelt::TMain_Form& window, const QDir& dir)
{
    const char* names[] = {"rectifier-status", "operating-info", "ethernet-info"};
    for (int tab = 0; tab < 3; ++tab) {
        window.PageControl1()->setCurrentIndex(tab);
        if (!Grab(window, dir, QStringLiteral("main-%1").arg(QString::fromLatin1(names[tab]))))
            return false;
    }
    window.PageControl1()->setCurrentIndex(0);
    return true;
}

bool SaveConfigDialogs(zelt::TMain_Form& window, const QDir& dir)
{
    zelt::RequestScheduler& scheduler = window.Scheduler();
    const zelt::StatusSnapshot& snapshot = window.Status().Snapshot();
    std::vector<std::pair<const char*, std::unique_ptr<QDialog>>> dialogs;
    dialogs.emplace_back("setting", std::make_unique<zelt::TfrmSetting>(scheduler, snapshot, &window));
    dialogs.emplace_back("alarm", std::make_unique<zelt::TfrmAlarm>(scheduler, snapshot, &window));
    dialogs.emplace_back("ip-setting", std::make_unique<zelt::TForm1>(scheduler, window.Status().Area(), &window));
    dialogs.emplace_back("ad-set", std::make_unique<zelt::TfrmADSetting>(scheduler, &window));
    dialogs.emplace_back("history-clear", std::make_unique<zelt::TfrmInitial>(scheduler, &window));
    for (auto& [name, dialog] : dialogs)
        if (!GrabShown(*dialog, dir, QStringLiteral("config-%1").arg(QString::fromLatin1(name))))
            return false;
    scheduler.Release();
    return true;
}

// Runs "Alarm History" from the toolbar; the modal window is grabbed from
// inside its own event loop once the download has ended.
bool SaveHistory(zelt::TMain_Form& window, const QDir& dir)
{
    // The download ends with a message that would wait for OK.
    bool downloaded = false;
    bool saved = false;
    zelt::SetMessageSink([&](zelt::MessageKind, const QString&, const QString&) { downloaded = true; });
    window.CreateHistoryWindows();
    QTimer::singleShot(0, [&] {
        zelt::TfrmHistory& history = *window.frmHistory();
        PumpUntil([&] { return downloaded; }, 20000);
        saved = Grab(history, dir, QStringLiteral("history"));
        history.findChild<QAbstractButton*>(QStringLiteral("BitBtn2"))->click();
        saved = Grab(*window.frmHistList(), dir, QStringLiteral("history-acronyms")) && saved;
        window.frmHistList()->hide();
        history.findChild<QAbstractButton*>(QStringLiteral("bbtClose"))->click();
    });
    window.findChild<QAbstractButton*>(QStringLiteral("Alarm_History"))->click();
    if (!downloaded)
        std::fprintf(stderr, "the history download did not end\n");
    return saved && downloaded;
}

// The battery discharge test window after the controller answered 'L' with
// the bookkeeping of the battery scenario.
bool SaveBattDisch(zelt::TMain_Form& window, zelt::sim::FakeController& controller, zelt::sim::BatteryBook battery,
                   const QDir& dir, const char* name)
{
    zelt::sim::Scenario scenario;
    scenario.battery = battery;
    zelt::sim::BattTestBook book = zelt::sim::MakePlant(scenario, QDateTime::currentDateTime()).battTest;
    book.lastTestDate = "20250115"; // the same pictures every day
    controller.plant().battTest = book;
    zelt::TBattDisch& batt = window.BattDisch();
    batt.Opening();
    if (!PumpUntil([&] { return batt.BattTestPending == 0; }, 3000)) {
        std::fprintf(stderr, "no battery test reply for %s\n", name);
        return false;
    }
    batt.ApplyBattTestBody();
    batt.Timer1.stop();
    return GrabShown(batt, dir, QString::fromLatin1(name));
}

bool SaveBatteryWindows(zelt::TMain_Form& window, zelt::sim::FakeController& controller, const QDir& dir)
{
    controller.stopPushing();
    using zelt::sim::BatteryBook;
    const std::pair<BatteryBook, const char*> verdicts[] = {{BatteryBook::Good, "battery-discharge-good"},
                                                            {BatteryBook::Degraded, "battery-discharge-degraded"},
                                                            {BatteryBook::Low, "battery-discharge-low"}};
    for (const auto& [battery, name] : verdicts)
        if (!SaveBattDisch(window, controller, battery, dir, name))
            return false;

    const QDateTime fixed(QDate(2026, 3, 7), QTime(9, 30, 15));
    zelt::TfrmSetDisch charge(window.Scheduler(), window.Status().Snapshot());
    charge.cbFloat->setChecked(true);
    zelt::TfrmSetTime clockDialog(window.Scheduler());
    clockDialog.MakeMonthEditable();
    clockDialog.show();
    clockDialog.FillFrom(fixed);
    zelt::TBattDisch& batt = window.BattDisch();
    zelt::TfrmSetDate dateDialog(batt, batt.frmDataSetCheck(), window.Scheduler(), window.TestAlertShown);
    dateDialog.MakeMonthEditable();
    dateDialog.show();
    dateDialog.FillFrom(fixed.date());
    zelt::TfrmDataSetCheck& confirm = batt.frmDataSetCheck();
    confirm.lbMessage->setText(QStringLiteral("\" Discharge Test Less than 12 month -- Are you sure ? \""));

    // The alert as the status decoder raises it for a low battery, at its
    // normal size rather than maximized.
    zelt::TfrmShow& alert = window.frmShow();
    alert.ShowAlert("Post-Test Recommendations- Capacity is low, ", "replace battery string by 2026-01-15",
                    zelt::RgbYellow);
    alert.showNormal();
    const bool alertSaved = Grab(alert, dir, QStringLiteral("battery-alert"));
    alert.hide();

    return alertSaved && GrabShown(charge, dir, QStringLiteral("initial-charge"))
        && GrabShown(clockDialog, dir, QStringLiteral("clock")) && GrabShown(dateDialog, dir, QStringLiteral("test-date"))
        && GrabShown(confirm, dir, QStringLiteral("test-date-confirm"));
}

bool SavePortDialog(zelt::TMain_Form& window, const QDir& dir)
{
    zelt::TfrmComPort dialog(window.ComPort11(), window.Scheduler(), [](const QString&) {}, &window);
    return GrabShown(dialog, dir, QStringLiteral("port"));
}

// Last of all: the settings file it reads stays in a temporary folder.
bool SaveNetworkPorts(const QDir& dir)
{
    const QTemporaryDir config;
    QSettings::setPath(QSettings::IniFormat, QSettings::UserScope, config.path());
    QSettings settings(QSettings::IniFormat, QSettings::UserScope, QStringLiteral("zelt6380"), QStringLiteral("zelt6380"));
    settings.setValue(QStringLiteral("ports/COM3"), QStringLiteral("rfc2217://10.20.0.5:4001"));
    settings.setValue(QStringLiteral("ports/COM4"), QStringLiteral("tcp://[fd00::17]:4002"));
    settings.sync();
    zelt::NetworkPortsDialog dialog;
    return GrabShown(dialog, dir, QStringLiteral("network-ports"));
}

// Connects to an RFC 2217 line whose server takes the connection but never
// negotiates (a loopback listener that never accepts), grabs the box shown
// meanwhile and cancels it.
bool SaveConnectBox(zelt::TMain_Form& window, const QDir& dir)
{
    window.findChild<QAbstractButton*>(QStringLiteral("btnDisconnect"))->click();
    const int listener = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t length = sizeof address;
    if (listener < 0 || ::bind(listener, reinterpret_cast<sockaddr*>(&address), length) != 0
        || ::listen(listener, 1) != 0 || ::getsockname(listener, reinterpret_cast<sockaddr*>(&address), &length) != 0) {
        std::fprintf(stderr, "no loopback listener for the connect box\n");
        return false;
    }
    window.ComPort11().SetDeviceName(QStringLiteral("rfc2217://127.0.0.1:%1").arg(ntohs(address.sin_port)));
    bool saved = false;
    QTimer::singleShot(0, [&] {
        QWidget* box = nullptr;
        PumpUntil([&] {
            box = QApplication::activeModalWidget();
            return box != nullptr && box->objectName() == QStringLiteral("ConnectBox");
        }, 3000);
        if (box != nullptr && box->objectName() == QStringLiteral("ConnectBox")) {
            saved = Grab(*box, dir, QStringLiteral("connect-box"));
            static_cast<QDialog*>(box)->reject();
        }
    });
    window.findChild<QAbstractButton*>(QStringLiteral("btnConnect"))->click();
    ::close(listener);
    if (!saved)
        std::fprintf(stderr, "no connect box was shown\n");
    return saved;
}

// Plays a discharge test of the simulated plant through the decoders into a
// session store, one record set a simulated second, and grabs the Trend
// window on the hour that holds it, the cursor in the discharge.
bool SaveTrend(const QDir& dir)
{
    QTemporaryDir storeDir;
    const QString path = storeDir.filePath(QStringLiteral("sessions.sqlite"));
    const QDateTime t0(QDate(2026, 6, 1), QTime(8, 0), Qt::UTC);
    zelt::sim::PlantState plant = zelt::sim::MakePlant(zelt::sim::Scenario{}, t0);
    zelt::sim::StartDischarge(plant, t0.addSecs(5 * 60), 20, false);
    const auto received = [](char letter, const std::string& payload) {
        return zelt::EncodeFrame(std::string(1, letter) + payload).substr(2);
    };

    QTabWidget pages;
    std::uint8_t alertShown = 0;
    zelt::TfrmShow alert{alertShown};
    zelt::StatusMonitor monitor{pages, alertShown, alert};
    std::int64_t now = t0.toMSecsSinceEpoch();
    {
        zelt::SessionRecorder recorder(path, zelt::RecorderSettings{},
                                       {[] { return QStringLiteral("COM1"); }, [](const QString&) {}, [&now] { return now; },
                                        [&now] { return now; }});
        monitor.SetListener(&recorder);
        for (int second = 0; second < 60 * 60; ++second) {
            const QDateTime t = t0.addSecs(second);
            now = t.toMSecsSinceEpoch();
            zelt::sim::AdvancePlant(plant, t);
            monitor.DecodeAlarmStatus(received('K', zelt::sim::EncodeAlarmStatus(plant)));
            monitor.DecodeRectifierStatus(received('R', zelt::sim::EncodeRectifierStatus(plant, t)));
        }
        monitor.SetListener(nullptr);
    }

    const std::string plantKey = zelt::PlantKey("COM1", plant.network.mac);
    const zelt::StatusSnapshot& snapshot = monitor.Snapshot();
    zelt::TrendWindow trend({path, [plantKey] { return plantKey; }, [&now] { return now; },
                             [&snapshot] { return zelt::CapacityBasisFor(zelt::RecorderSettings{}, snapshot); },
                             zelt::DetectionSettings{}, [](int) {}});
    // The report's site name, from a settings file of its own.
    QSettings::setPath(QSettings::IniFormat, QSettings::UserScope, storeDir.path());
    QSettings(QSettings::IniFormat, QSettings::UserScope, QStringLiteral("zelt6380"), QStringLiteral("zelt6380"))
        .setValue(QStringLiteral("report/siteName"), QStringLiteral("Hilltop exchange"));
    trend.SpanBox()->setCurrentIndex(1); // 1 hour
    bool drawn = false;
    QObject::connect(&trend, &zelt::TrendWindow::Drawn, [&drawn] { drawn = true; });
    trend.show();
    if (!PumpUntil([&drawn] { return drawn; }, 10000)) {
        std::fprintf(stderr, "the Trend window drew nothing\n");
        return false;
    }
    auto* discharges = trend.findChild<zelt::DischargeList*>();
    discharges->Table()->selectRow(0);
    trend.ShowCursor(t0.addSecs(15 * 60).toMSecsSinceEpoch());
    const bool saved = Grab(trend, dir, QStringLiteral("trend"));
    discharges->ExportPdf(dir.path());
    trend.hide();
    return saved;
}

} // namespace

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    if (argc != 2) {
        std::fprintf(stderr, "usage: zelt6380-screenshots DIR\n");
        return 2;
    }
    // Absolute: the history window makes the program's folder the current one.
    const QDir dir(QDir(QString::fromLocal8Bit(argv[1])).absolutePath());
    zelt::sim::PtyPair pty;
    zelt::sim::FakeController controller(pty.master(), zelt::sim::Scenario{});
    zelt::TMain_Form window;
    window.show();
    window.ComPort11().SetDeviceName(QString::fromStdString(pty.slavePath()));
    window.findChild<QAbstractButton*>(QStringLiteral("btnConnect"))->click();
    controller.startPushing();
    PumpUntil([] { return false; }, 3500);

    const bool written = SaveMainTabs(window, dir) && SaveConfigDialogs(window, dir) && SaveHistory(window, dir)
        && SaveBatteryWindows(window, controller, dir) && SavePortDialog(window, dir)
        && SaveConnectBox(window, dir) && SaveTrend(dir) && SaveNetworkPorts(dir);
    return written ? 0 : 1;
}
