#include "trend/TimeAxisZoom.h"

#include <QChart>
#include <QChartView>
#include <QDateTime>
#include <QDateTimeAxis>
#include <QMouseEvent>
#include <QWheelEvent>

#include <algorithm>
#include <cmath>

namespace zelt {

namespace {

// One notch of the wheel (120 eighths of a degree) shows this much of the span.
constexpr double ZoomPerNotch = 0.8;

QDateTimeAxis* TimeAxis(const QChartView* view)
{
    return static_cast<QDateTimeAxis*>(view->chart()->axes(Qt::Horizontal).front());
}

} // namespace

TimeAxisZoom::TimeAxisZoom(std::vector<QChartView*> views, std::function<void(std::int64_t, std::int64_t)> changed,
                           QObject* parent)
    : QObject(parent), views_(std::move(views)), changed_(std::move(changed))
{
    for (QChartView* view : views_)
        view->viewport()->installEventFilter(this);
}

QChartView* TimeAxisZoom::ViewOf(QObject* viewport) const
{
    for (QChartView* view : views_) {
        if (view->viewport() == viewport)
            return view;
    }
    return nullptr;
}

double TimeAxisZoom::TimeAt(QChartView* view, QPointF position) const
{
    QChart* chart = view->chart();
    return chart->mapToValue(chart->mapFromScene(view->mapToScene(position.toPoint()))).x();
}

void TimeAxisZoom::SetRange(std::int64_t fromMs, std::int64_t toMs)
{
    for (QChartView* view : views_)
        TimeAxis(view)->setRange(QDateTime::fromMSecsSinceEpoch(fromMs), QDateTime::fromMSecsSinceEpoch(toMs));
    changed_(fromMs, toMs);
}

bool TimeAxisZoom::eventFilter(QObject* watched, QEvent* event)
{
    const QEvent::Type type = event->type();
    if (type != QEvent::Wheel && type != QEvent::MouseButtonPress && type != QEvent::MouseMove
        && type != QEvent::MouseButtonRelease)
        return QObject::eventFilter(watched, event);
    QChartView* view = ViewOf(watched);
    if (view == nullptr)
        return QObject::eventFilter(watched, event);
    const QDateTimeAxis* axis = TimeAxis(view);
    const std::int64_t from = axis->min().toMSecsSinceEpoch();
    const std::int64_t to = axis->max().toMSecsSinceEpoch();
    const double span = static_cast<double>(to - from);
    switch (type) {
    case QEvent::Wheel: {
        const auto* wheel = static_cast<QWheelEvent*>(event);
        const double notches = wheel->angleDelta().y() / 120.0;
        if (notches == 0)
            return true;
        const double longest = std::max(static_cast<double>(longestMs_), span);
        const double wanted = std::clamp(span * std::pow(ZoomPerNotch, notches), static_cast<double>(ShortestMs),
                                         std::max(longest, static_cast<double>(ShortestMs)));
        // The time under the mouse stays where it is.
        const double at = std::clamp(TimeAt(view, wheel->position()), static_cast<double>(from), static_cast<double>(to));
        const auto newFrom = static_cast<std::int64_t>(std::llround(at - (at - from) * wanted / span));
        SetRange(newFrom, newFrom + std::llround(wanted));
        return true;
    }
    case QEvent::MouseButtonPress: {
        const auto* mouse = static_cast<QMouseEvent*>(event);
        if (mouse->button() != Qt::LeftButton)
            break;
        dragAt_ = mouse->position();
        return true;
    }
    case QEvent::MouseMove: {
        const auto* mouse = static_cast<QMouseEvent*>(event);
        if (!dragAt_ || !(mouse->buttons() & Qt::LeftButton))
            break;
        const double width = view->chart()->plotArea().width();
        const double pixels = dragAt_->x() - mouse->position().x();
        dragAt_ = mouse->position();
        const std::int64_t shift = width > 0 ? std::llround(pixels * span / width) : 0;
        if (shift != 0)
            SetRange(from + shift, to + shift);
        break; // the cursor line follows the mouse too
    }
    case QEvent::MouseButtonRelease:
        if (static_cast<QMouseEvent*>(event)->button() == Qt::LeftButton && dragAt_) {
            dragAt_.reset();
            return true;
        }
        break;
    default:
        break;
    }
    return QObject::eventFilter(watched, event);
}

} // namespace zelt
