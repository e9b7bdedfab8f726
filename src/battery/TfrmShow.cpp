#include "battery/TfrmShow.h"

#include "ui/Colours.h"
#include "ui/StandardError.h"

#include <QApplication>
#include <QCloseEvent>
#include <QKeyEvent>
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

    SetNormalGeometry();
    // Created hidden; the first alert comes up maximized.
    setWindowState(Qt::WindowMaximized);
}

// The normal size and place: 350 pixels wide, centred on the screen.
void TfrmShow::SetNormalGeometry()
{
    resize(350, 120);
    if (const QScreen* screen = QApplication::primaryScreen())
        move(screen->availableGeometry().center() - rect().center());
}

void TfrmShow::ShowAlert(const std::string& message, const std::string& message2, Rgb message2Background)
{
    lbMessage_->setText(QString::fromLatin1(message.data(), static_cast<qsizetype>(message.size())));
    lbMessage2_->setText(QString::fromLatin1(message2.data(), static_cast<qsizetype>(message2.size())));
    QPalette palette = lbMessage2_->palette();
    palette.setColor(QPalette::Window, ToQColor(message2Background));
    lbMessage2_->setPalette(palette);
    resize(350, height());
    Place();
    show();
    activateWindow();
}

void TfrmShow::Place()
{
    QWidget* const modal = QApplication::activeModalWidget();
    if (modal != nullptr && modal != this)
        JoinModalChain(modal);
    else
        StandFree();
}

void TfrmShow::JoinModalChain(QWidget* modal)
{
    if (parentWidget() == modal)
        return;
    if (parentWidget() != nullptr)
        parentWidget()->removeEventFilter(this);
    setParent(modal, windowFlags());
    modal->installEventFilter(this);
    setWindowState(windowState() & ~Qt::WindowMaximized);
    SetNormalGeometry();
}

void TfrmShow::StandFree()
{
    if (parentWidget() == nullptr)
        return;
    parentWidget()->removeEventFilter(this);
    setParent(nullptr, windowFlags());
    setWindowState(windowState() | Qt::WindowMaximized);
}

// A modal window that came up after the alert blocks it: the alert moves into
// that window's chain. Deferred, because the window list is being walked.
bool TfrmShow::event(QEvent* event)
{
    if (event->type() == QEvent::WindowBlocked)
        QMetaObject::invokeMethod(
            this,
            [this] {
                RunGuarded([this] {
                    if (isVisible()) {
                        Place();
                        show();
                    }
                });
            },
            Qt::QueuedConnection);
    return QWidget::event(event);
}

// The modal window the alert lives in is closing (or going away): the alert
// leaves with it, and one still up moves to where the operator can reach it.
bool TfrmShow::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == parentWidget() && event->type() == QEvent::Hide) {
        RunGuarded([this] {
            const bool shown = isVisible();
            StandFree();
            if (shown) {
                Place();
                show();
            }
        });
    }
    return QWidget::eventFilter(watched, event);
}

// Escape closes the window, as its title bar's close button does.
void TfrmShow::keyPressEvent(QKeyEvent* event)
{
    if (event->key() == Qt::Key_Escape) {
        close();
        return;
    }
    QWidget::keyPressEvent(event);
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
