#include "battery/BattMessage.h"

#include <QApplication>
#include <QMessageBox>

namespace zelt {

namespace {

std::function<void(const QString&)>& Sink()
{
    static std::function<void(const QString&)> sink;
    return sink;
}

} // namespace

void SetBattMessageSink(std::function<void(const QString&)> sink)
{
    Sink() = std::move(sink);
}

void ShowBattMessage(const QString& message)
{
    if (Sink()) {
        Sink()(message);
        return;
    }
    QMessageBox box(QMessageBox::Information, QApplication::applicationName(), message, QMessageBox::Ok,
                    QApplication::activeWindow());
    box.exec();
}

} // namespace zelt
