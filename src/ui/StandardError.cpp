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

void ShowStandardError(const QString& message, const QString& title)
{
    if (Sink()) {
        Sink()(message);
        return;
    }
    QMessageBox box(QMessageBox::Critical, title.isEmpty() ? QApplication::applicationName() : title, message,
                    QMessageBox::Ok, QApplication::activeWindow());
    box.exec();
}

void HandleException(const std::exception& e, const QString& title)
{
    if (dynamic_cast<const EAbort*>(&e) != nullptr)
        return;
    ShowStandardError(QString::fromLocal8Bit(e.what()), title);
}

} // namespace zelt
