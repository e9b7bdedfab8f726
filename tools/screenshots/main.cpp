// zelt6380-screenshots DIR: renders the main window, connected to the
// simulated controller over a pseudo-terminal, once per status tab, into
// DIR/main-<tab>.png; then the battery discharge test window with the
// bookkeeping of a good, a degraded and a low battery as the controller
// sends it, and the initial charge, clock and test date dialogs. Used to keep
// the README's pictures true.

#include "app/MainForm.h"
#include "battery/TBattDisch.h"
#include "battery/TfrmDataSetCheck.h"
#include "battery/TfrmSetDate.h"
#include "battery/TfrmSetDisch.h"
#include "battery/TfrmSetTime.h"
#include "sim/FakeController.h"
#include "sim/SerialLine.h"

#include <QAbstractButton>
#include <QApplication>
#include <QCheckBox>
#include <QDir>
#include <QElapsedTimer>
#include <QTabWidget>

#include <cstdio>
#include <functional>

namespace {

bool PumpUntil(const std::function<bool()>& done, int ms)
{
    QElapsedTimer clock;
    clock.start();
    while (!done() && clock.elapsed() < ms)
        QApplication::processEvents(QEventLoop::AllEvents, 20);
    return done();
}

bool Save(QWidget& widget, const QDir& dir, const char* name)
{
    widget.show();
    QApplication::processEvents();
    const QString path = dir.filePath(QString::fromLatin1(name) + QStringLiteral(".png"));
    const bool saved = widget.grab().save(path);
    widget.hide();
    if (!saved)
        std::fprintf(stderr, "cannot write %s\n", qPrintable(path));
    return saved;
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
    return Save(batt, dir, name);
}

} // namespace

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    if (argc != 2) {
        std::fprintf(stderr, "usage: zelt6380-screenshots DIR\n");
        return 2;
    }
    const QDir dir(QString::fromLocal8Bit(argv[1]));
    zelt::sim::PtyPair pty;
    zelt::sim::FakeController controller(pty.master(), zelt::sim::Scenario{});
    zelt::TMain_Form window;
    window.show();
    window.ComPort11().SetDeviceName(QString::fromStdString(pty.slavePath()));
    window.findChild<QAbstractButton*>(QStringLiteral("btnConnect"))->click();
    controller.startPushing();

    QElapsedTimer clock;
    clock.start();
    while (clock.elapsed() < 3500)
        QApplication::processEvents(QEventLoop::AllEvents, 50);

    const char* names[] = {"rectifier-status", "operating-info", "ethernet-info"};
    for (int tab = 0; tab < 3; ++tab) {
        window.PageControl1()->setCurrentIndex(tab);
        QApplication::processEvents();
        const QString path = dir.filePath(QStringLiteral("main-%1.png").arg(QString::fromLatin1(names[tab])));
        if (!window.grab().save(path)) {
            std::fprintf(stderr, "cannot write %s\n", qPrintable(path));
            return 1;
        }
    }

    controller.stopPushing();
    using zelt::sim::BatteryBook;
    const std::pair<BatteryBook, const char*> verdicts[] = {{BatteryBook::Good, "battery-discharge-good"},
                                                            {BatteryBook::Degraded, "battery-discharge-degraded"},
                                                            {BatteryBook::Low, "battery-discharge-low"}};
    for (const auto& [battery, name] : verdicts)
        if (!SaveBattDisch(window, controller, battery, dir, name))
            return 1;

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
    if (!Save(charge, dir, "initial-charge") || !Save(clockDialog, dir, "clock") || !Save(dateDialog, dir, "test-date"))
        return 1;
    return 0;
}
