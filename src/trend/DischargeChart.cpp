#include "trend/DischargeChart.h"

#include <QChart>
#include <QLineSeries>
#include <QValueAxis>

#include <algorithm>
#include <cmath>
#include <limits>

namespace zelt {

namespace {

using Value = double (*)(const TrendSample&);

// One axis and its series, each point one sample; NaN values are left out.
void AddSeries(QChart* chart, QValueAxis* time, const QString& title, Qt::Alignment side,
               const std::vector<TrendSample>& samples, const std::vector<std::pair<QString, Value>>& series)
{
    auto* axis = new QValueAxis;
    axis->setTitleText(title);
    chart->addAxis(axis, side);
    double low = std::numeric_limits<double>::max();
    double high = std::numeric_limits<double>::lowest();
    for (const auto& [name, value] : series) {
        auto* line = new QLineSeries;
        line->setName(name);
        QList<QPointF> points;
        points.reserve(static_cast<qsizetype>(samples.size()));
        for (const TrendSample& s : samples) {
            const double v = value(s);
            if (std::isnan(v))
                continue;
            points.append(QPointF(static_cast<double>(s.TimeMs - samples.front().TimeMs) / 60000, v));
            low = std::min(low, v);
            high = std::max(high, v);
        }
        line->replace(points);
        chart->addSeries(line);
        line->attachAxis(time);
        line->attachAxis(axis);
    }
    if (low > high)
        low = high = 0;
    SetRoundTicks(axis, low, high, 4);
}

double Blocks(const TrendSample& s, int b)
{
    return s.BlockVolt[static_cast<std::size_t>(b)];
}

} // namespace

void SetRoundTicks(QValueAxis* axis, double low, double high, int ticks)
{
    // A steady value still gets a scale around it.
    if (high - low < 1) {
        low -= 0.5;
        high += 0.5;
    }
    const double rough = (high - low) / std::max(ticks - 1, 1);
    const double power = std::pow(10, std::floor(std::log10(rough)));
    double step = 10 * power;
    for (double factor : {1.0, 2.0, 5.0}) {
        if (factor * power >= rough) {
            step = factor * power;
            break;
        }
    }
    const double from = std::floor(low / step) * step;
    const double to = std::ceil(high / step) * step;
    axis->setTickType(QValueAxis::TicksDynamic);
    axis->setTickAnchor(from);
    axis->setTickInterval(step);
    axis->setRange(from, to);
    const int decimals = std::max(0, static_cast<int>(-std::floor(std::log10(step) + 1e-9)));
    axis->setLabelFormat(QStringLiteral("%.%1f").arg(decimals));
}

QChart* NewDischargeChart(const std::vector<TrendSample>& span)
{
    // The discharge only: not the samples after it that already charge.
    std::size_t end = span.size();
    while (end > 1 && span[end - 1].BattCurrent >= 0)
        --end;
    const std::vector<TrendSample> samples(span.begin(), span.begin() + static_cast<std::ptrdiff_t>(end));
    auto* chart = new QChart;
    chart->legend()->setAlignment(Qt::AlignBottom);
    auto* time = new QValueAxis;
    time->setTitleText(QStringLiteral("min"));
    chart->addAxis(time, Qt::AlignBottom);
    if (samples.empty())
        return chart;
    const int strings = samples.back().Basis ? samples.back().Basis->Strings : 2;
    std::vector<std::pair<QString, Value>> blocks{{QStringLiteral("Block 1 V"), [](const TrendSample& s) { return Blocks(s, 0); }},
                                                  {QStringLiteral("Block 2 V"), [](const TrendSample& s) { return Blocks(s, 1); }}};
    if (strings >= 2) {
        blocks.emplace_back(QStringLiteral("Block 3 V"), [](const TrendSample& s) { return Blocks(s, 2); });
        blocks.emplace_back(QStringLiteral("Block 4 V"), [](const TrendSample& s) { return Blocks(s, 3); });
    }
    AddSeries(chart, time, QStringLiteral("DC V"), Qt::AlignLeft, samples,
              {{QStringLiteral("DC bus V"), [](const TrendSample& s) { return s.DcVolt; }}});
    AddSeries(chart, time, QStringLiteral("Block V"), Qt::AlignLeft, samples, blocks);
    AddSeries(chart, time, QStringLiteral("A"), Qt::AlignRight, samples,
              {{QStringLiteral("Battery A"), [](const TrendSample& s) { return s.BattCurrent; }}});
    AddSeries(chart, time, QStringLiteral("\u00b0C"), Qt::AlignRight, samples,
              {{QStringLiteral("Batt 1 \u00b0C"), [](const TrendSample& s) {
                    return s.Batt1TempValid && !s.Batt1SensorFault ? s.Batt1Temp : std::numeric_limits<double>::quiet_NaN();
                }}});
    SetRoundTicks(time, 0, std::max(1.0, static_cast<double>(samples.back().TimeMs - samples.front().TimeMs) / 60000), 8);
    return chart;
}

} // namespace zelt
