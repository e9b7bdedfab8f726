#include "ui/StandardError.h"

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

void SetStandardErrorSink(std::function<void(const QString&)> sink)
{
    Sink() = std::move(sink);
}

void ShowStandardError(const QString& message)
{
    if (Sink()) {
        Sink()(message);
        return;
    }
    QMessageBox box(QMessageBox::Critical, QApplication::applicationName(), message, QMessageBox::Ok,
                    QApplication::activeWindow());
    box.exec();
}

void HandleException(const std::exception& e)
{
    if (dynamic_cast<const EAbort*>(&e) != nullptr)
        return;
    ShowStandardError(QString::fromLocal8Bit(e.what()));
}

} // namespace zelt
