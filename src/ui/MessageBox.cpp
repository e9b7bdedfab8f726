#include "ui/MessageBox.h"

#include <QMessageBox>

namespace zelt {

namespace {

using Sink = std::function<void(MessageKind, const QString&, const QString&)>;

Sink& CurrentSink()
{
    static Sink sink;
    return sink;
}

} // namespace

void SetMessageSink(Sink sink)
{
    CurrentSink() = std::move(sink);
}

void ShowMessage(MessageKind kind, const QString& text, const QString& detail, QWidget* parent)
{
    if (CurrentSink()) {
        CurrentSink()(kind, text, detail);
        return;
    }
    static const struct {
        QMessageBox::Icon icon;
        const char* caption;
    } Looks[] = {{QMessageBox::Information, "Information"}, {QMessageBox::Critical, "Error"},
                 {QMessageBox::Warning, "Warning"}};
    const auto& look = Looks[static_cast<int>(kind)];
    QString shown = text;
    shown.replace(QLatin1Char('\r'), QLatin1Char('\n'));
    QMessageBox box(look.icon, QString::fromLatin1(look.caption), shown, QMessageBox::Ok, parent);
    box.setTextFormat(Qt::PlainText);
    if (!detail.isEmpty())
        box.setDetailedText(detail);
    box.exec();
}

} // namespace zelt
