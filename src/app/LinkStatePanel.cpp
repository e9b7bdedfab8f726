#include "app/LinkStatePanel.h"

namespace zelt {

namespace {

// Records older than this no longer count as live.
constexpr qint64 LiveMs = 5000;

} // namespace

LinkStatePanel::LinkStatePanel(QWidget* parent)
    : QLabel(parent), now_([] { return QDateTime::currentDateTime(); })
{
    setObjectName(QStringLiteral("LinkState"));
    setFixedWidth(170);
    setFrameStyle(QFrame::Panel | QFrame::Sunken);
    timer_.setInterval(1000);
    connect(&timer_, &QTimer::timeout, this, &LinkStatePanel::Refresh);
    timer_.start();
    Refresh();
}

void LinkStatePanel::SetClock(Clock clock)
{
    now_ = std::move(clock);
    Refresh();
}

void LinkStatePanel::Connected()
{
    connected_ = true;
    lastRecord_ = {};
    Refresh();
}

void LinkStatePanel::Disconnected()
{
    connected_ = false;
    lastRecord_ = {};
    Refresh();
}

void LinkStatePanel::RecordArrived()
{
    lastRecord_ = now_();
    Refresh();
}

void LinkStatePanel::Refresh()
{
    if (lastRecord_.isValid() && lastRecord_.msecsTo(now_()) <= LiveMs)
        setText(QStringLiteral("Live"));
    else if (!connected_)
        setText(QStringLiteral("Not connected"));
    else if (!lastRecord_.isValid())
        setText(QStringLiteral("Waiting for the controller"));
    else
        setText(QStringLiteral("No status since ") + lastRecord_.toString(QStringLiteral("HH:mm:ss")));
}

} // namespace zelt
