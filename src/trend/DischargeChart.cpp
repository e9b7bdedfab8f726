#include "trend/DischargeChart.h"

#include <QChart>
#include <QLineSeries>
#include <QValueAxis>

#include <algorithm>

namespace zelt {

namespace {

void AddSeries(QChart* chart, QValueAxis* time, const QString& name, Qt::Alignment side,
               const std::vector<TrendSample>& samples, double (*value)(const TrendSample&))
{
    auto* series = new QLineSeries;
    series->setName(name);
    QList<QPointF> points;
    points.reserve(static_cast<qsizetype>(samples.size()));
    double low = value(samples.front());
    double high = low;
    for (const TrendSample& s : samples) {
        points.append(QPointF(static_cast<double>(s.TimeMs - samples.front().TimeMs) / 60000, value(s)));
        low = std::min(low, value(s));
        high = std::max(high, value(s));
    }
    series->replace(points);
    auto* axis = new QValueAxis;
    axis->setTitleText(name);
    axis->setLabelFormat(QStringLiteral("%.1f"));
    chart->addSeries(series);
    chart->addAxis(axis, side);
    series->attachAxis(time);
    series->attachAxis(axis);
    // A steady value still gets a scale around it.
    const double margin = std::max((high - low) / 20, 0.5);
    axis->setRange(low - margin, high + margin);
    axis->applyNiceNumbers();
}

} // namespace

QChart* NewDischargeChart(const std::vector<TrendSample>& samples)
{
    auto* chart = new QChart;
    chart->legend()->setAlignment(Qt::AlignBottom);
    auto* time = new QValueAxis;
    time->setTitleText(QStringLiteral("min"));
    time->setLabelFormat(QStringLiteral("%.0f"));
    chart->addAxis(time, Qt::AlignBottom);
    if (samples.empty())
        return chart;
    AddSeries(chart, time, QStringLiteral("DC bus V"), Qt::AlignLeft, samples,
              [](const TrendSample& s) { return s.DcVolt; });
    AddSeries(chart, time, QStringLiteral("Battery A"), Qt::AlignRight, samples,
              [](const TrendSample& s) { return s.BattCurrent; });
    time->setRange(0, std::max(1.0, static_cast<double>(samples.back().TimeMs - samples.front().TimeMs) / 60000));
    return chart;
}

} // namespace zelt
