// zelt6380-screenshots DIR: renders the main window, connected to the
// simulated controller over a pseudo-terminal, once per status tab, into
// DIR/main-<tab>.png; the configuration dialogs as they open on the
// controller's values into DIR/config-<dialog>.png; then the alarm history
// window after a download from the simulator (DIR/history.png) and its
// acronym list (DIR/history-acronyms.png). Used to keep the README's
// pictures true.

#include "app/MainForm.h"
#include "config/TForm1.h"
#include "config/TfrmADSetting.h"
#include "config/TfrmAlarm.h"
#include "config/TfrmInitial.h"
#include "config/TfrmSetting.h"
#include "history/HistoryMessage.h"
#include "history/TfrmHistList.h"
#include "history/TfrmHistory.h"
#include "sim/FakeController.h"
#include "sim/SerialLine.h"

#include <QAbstractButton>
#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QTabWidget>
#include <QTimer>

#include <cstdio>
#include <memory>
#include <utility>
#include <vector>

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

    QElapsedTimer clock;
    clock.start();
    while (clock.elapsed() < 3500)
        QApplication::processEvents(QEventLoop::AllEvents, 50);

    bool written = true;
    auto save = [&](QWidget& widget, const QString& name) {
        const QString path = dir.filePath(name);
        if (!widget.grab().save(path)) {
            std::fprintf(stderr, "cannot write %s\n", qPrintable(path));
            written = false;
        }
    };
    const char* names[] = {"rectifier-status", "operating-info", "ethernet-info"};
    for (int tab = 0; tab < 3; ++tab) {
        window.PageControl1()->setCurrentIndex(tab);
        QApplication::processEvents();
        save(window, QStringLiteral("main-%1.png").arg(QString::fromLatin1(names[tab])));
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
        save(*dialog, QStringLiteral("config-%1.png").arg(QString::fromLatin1(name)));
        dialog->hide();
    }

    // The history download ends with a message that would wait for OK.
    bool downloaded = false;
    zelt::SetHistoryMessageSink([&](zelt::HistoryMessageKind, const QString&, const QString&) { downloaded = true; });
    window.CreateHistoryWindows();
    QTimer::singleShot(0, [&] {
        zelt::TfrmHistory& history = *window.frmHistory();
        clock.restart();
        while (!downloaded && clock.elapsed() < 20000)
            QApplication::processEvents(QEventLoop::AllEvents, 50);
        QApplication::processEvents();
        save(history, QStringLiteral("history.png"));
        history.findChild<QAbstractButton*>(QStringLiteral("BitBtn2"))->click();
        QApplication::processEvents();
        save(*window.frmHistList(), QStringLiteral("history-acronyms.png"));
        window.frmHistList()->hide();
        history.findChild<QAbstractButton*>(QStringLiteral("bbtClose"))->click();
    });
    window.findChild<QAbstractButton*>(QStringLiteral("Alarm_History"))->click();
    if (!downloaded)
        std::fprintf(stderr, "the history download did not end\n");
    return written && downloaded ? 0 : 1;
}
