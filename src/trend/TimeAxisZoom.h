#pragma once

// Wheel zoom and drag pan on the time axis shared by stacked charts: the wheel
// over any of them zooms all of them around the mouse's time, dragging with
// the left button pans them together. Every change of the range is set on each
// chart's time axis and handed on, so that the owner can read the new range.

#include <QObject>
#include <QPointF>

#include <cstdint>
#include <functional>
#include <optional>
#include <vector>

class QChartView;

namespace zelt {

class TimeAxisZoom : public QObject {
public:
    // The shortest span the wheel zooms in to.
    static constexpr std::int64_t ShortestMs = 60 * 1000;

    TimeAxisZoom(std::vector<QChartView*> views, std::function<void(std::int64_t, std::int64_t)> changed,
                 QObject* parent = nullptr);

    // The longest span the wheel zooms out to (everything stored); a span
    // already longer is not shortened by zooming out.
    void SetLongest(std::int64_t ms) { longestMs_ = ms; }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    QChartView* ViewOf(QObject* viewport) const;
    double TimeAt(QChartView* view, QPointF position) const;
    void SetRange(std::int64_t fromMs, std::int64_t toMs);

    std::vector<QChartView*> views_;
    std::function<void(std::int64_t, std::int64_t)> changed_;
    std::int64_t longestMs_ = 0;
    std::optional<QPointF> dragAt_; // the last position of a drag in progress
};

} // namespace zelt
