// zelt6380-screenshots DIR: renders the main window, connected to the
// simulated controller over a pseudo-terminal, once per status tab, into
// DIR/main-<tab>.png. Used to keep the README's pictures true.

#include "app/MainForm.h"
#include "sim/FakeController.h"
#include "sim/SerialLine.h"

#include <QAbstractButton>
#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QTabWidget>

#include <cstdio>

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
    return 0;
}
