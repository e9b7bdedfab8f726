// zelt6380-screenshots DIR: renders the main window, connected to the
// simulated controller over a pseudo-terminal, once per status tab, into
// DIR/main-<tab>.png, and the configuration dialogs as they open on the
// controller's values into DIR/config-<dialog>.png. Used to keep the
// README's pictures true.

#include "app/MainForm.h"
#include "config/TForm1.h"
#include "config/TfrmADSetting.h"
#include "config/TfrmAlarm.h"
#include "config/TfrmInitial.h"
#include "config/TfrmSetting.h"
#include "sim/FakeController.h"
#include "sim/SerialLine.h"

#include <QAbstractButton>
#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QTabWidget>

#include <cstdio>
#include <memory>
#include <utility>
#include <vector>

namespace {

bool Save(QWidget& widget, const QString& path)
{
    if (widget.grab().save(path))
        return true;
    std::fprintf(stderr, "cannot write %s\n", qPrintable(path));
    return false;
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
        if (!Save(window, dir.filePath(QStringLiteral("main-%1.png").arg(QString::fromLatin1(names[tab])))))
            return 1;
    }

    zelt::RequestScheduler& scheduler = window.Scheduler();
    const zelt::StatusSnapshot& snapshot = window.Status().Snapshot();
    std::vector<std::pair<const char*, std::unique_ptr<QDialog>>> dialogs;
    dialogs.emplace_back("setting", std::make_unique<zelt::TfrmSetting>(scheduler, snapshot, &window));
    dialogs.emplace_back("alarm", std::make_unique<zelt::TfrmAlarm>(scheduler, snapshot, &window));
    dialogs.emplace_back("ip-setting", std::make_unique<zelt::TForm1>(scheduler, window.Status().Area(), &window));
    dialogs.emplace_back("ad-set", std::make_unique<zelt::TfrmADSetting>(scheduler, &window));
    dialogs.emplace_back("history-clear", std::make_unique<zelt::TfrmInitial>(scheduler, &window));
    for (auto& [name, dialog] : dialogs) {
        dialog->show();
        QApplication::processEvents();
        if (!Save(*dialog, dir.filePath(QStringLiteral("config-%1.png").arg(QString::fromLatin1(name)))))
            return 1;
        dialog->hide();
    }
    return 0;
}
