#include "battery/TfrmShow.h"

#include "ui/Colours.h"
#include "ui/StandardError.h"

#include <QCloseEvent>
#include <QGuiApplication>
#include <QLabel>
#include <QScreen>
#include <QVBoxLayout>

namespace zelt {

namespace {

QLabel* NewMessageLine(QWidget* parent, const char* name, const QColor& background)
{
    auto* label = new QLabel(parent);
    label->setTextFormat(Qt::PlainText);
    label->setObjectName(QString::fromLatin1(name));
    label->setAlignment(Qt::AlignCenter);
    label->setWordWrap(true);
    QFont font = label->font();
    font.setBold(true);
    font.setPointSize(11);
    label->setFont(font);
    QPalette palette = label->palette();
    palette.setColor(QPalette::WindowText, LampRed);
    palette.setColor(QPalette::Window, background);
    label->setPalette(palette);
    label->setAutoFillBackground(true);
    return label;
}

} // namespace

TfrmShow::TfrmShow(std::uint8_t& testAlertShown)
    : QWidget(nullptr, Qt::Window | Qt::WindowStaysOnTopHint),
      testAlertShown_(testAlertShown),
      lbMessage_(NewMessageLine(this, "lbMessage", AlertYellow)),
      lbMessage2_(NewMessageLine(this, "lbMessage2", MoneyGreen))
{
    setObjectName(QStringLiteral("frmShow"));
    setWindowTitle(QStringLiteral("Battery Alert"));
    QPalette palette = this->palette();
    palette.setColor(QPalette::Window, MoneyGreen);
    setPalette(palette);
    setAutoFillBackground(true);

    auto* column = new QVBoxLayout(this);
    column->addStretch(1);
    column->addWidget(lbMessage_);
    column->addWidget(lbMessage2_);
    column->addStretch(1);

    resize(350, 120);
    if (const QScreen* screen = QGuiApplication::primaryScreen())
        move(screen->availableGeometry().center() - rect().center());
    // Created hidden; the first alert comes up maximized.
    setWindowState(Qt::WindowMaximized);
}

void TfrmShow::ShowAlert(const std::string& message, const std::string& message2, const QColor& message2Background)
{
    lbMessage_->setText(QString::fromLatin1(message.data(), static_cast<qsizetype>(message.size())));
    lbMessage2_->setText(QString::fromLatin1(message2.data(), static_cast<qsizetype>(message2.size())));
    QPalette palette = lbMessage2_->palette();
    palette.setColor(QPalette::Window, message2Background);
    lbMessage2_->setPalette(palette);
    resize(350, height());
    show();
}

void TfrmShow::closeEvent(QCloseEvent* event)
{
    RunGuarded([this] { FormClose(); });
    event->accept();
}

void TfrmShow::FormClose()
{
    testAlertShown_ = 0;
}

} // namespace zelt
