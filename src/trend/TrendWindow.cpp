#include "trend/TrendWindow.h"

#include "trend/DischargeChart.h"
#include "trend/DischargeList.h"
#include "trend/PlantId.h"
#include "trend/TimeAxisZoom.h"

#include <QChart>
#include <QChartView>
#include <QComboBox>
#include <QDateTime>
#include <QDateTimeAxis>
#include <QGraphicsLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineSeries>
#include <QMouseEvent>
#include <QUuid>
#include <QValueAxis>
#include <QVBoxLayout>

#include <algorithm>
#include <cmath>
#include <exception>
#include <limits>

namespace zelt {

namespace {

constexpr std::int64_t MinuteMs = 60 * 1000;

// The spans offered, in milliseconds; 0 is everything stored.
const std::pair<const char*, std::int64_t> Spans[] = {
    {"10 minutes", 10 * MinuteMs}, {"1 hour", 60 * MinuteMs}, {"8 hours", 8 * 60 * MinuteMs},
    {"24 hours", 24 * 60 * MinuteMs}, {"all stored", 0},
};

constexpr int LegendWidth = 90;

// Fits a 1366 x 768 screen with its panel and the window's frame.
constexpr QSize OpeningSize(1300, 690);

// "0050C2A1B2C3, last on COM3, seen 2026-06-01 10:00, 2 discharges".
QString PlantText(const StoredPlant& plant, std::size_t discharges, bool attached)
{
    const PlantKeyParts parts = SplitPlantKey(plant.Key);
    QString text = QString::fromStdString(parts.Mac.empty() ? std::string("no MAC") : parts.Mac);
    if (!parts.Port.empty())
        text += QStringLiteral(" on %1 (%2: told apart by its port)")
                    .arg(QString::fromStdString(parts.Port),
                         parts.Mac.empty() ? QStringLiteral("no MAC") : QStringLiteral("factory MAC"));
    text += QStringLiteral(", last on %1").arg(QString::fromStdString(plant.LastPort.empty() ? parts.Port : plant.LastPort));
    if (plant.LastSeenMs > 0)
        text += QStringLiteral(", seen ") + QDateTime::fromMSecsSinceEpoch(plant.LastSeenMs).toString(QStringLiteral("yyyy-MM-dd HH:mm"));
    text += discharges == 1 ? QStringLiteral(", 1 discharge") : QStringLiteral(", %1 discharges").arg(discharges);
    return attached ? text + QStringLiteral(" (attached)") : text;
}

// Used while the charts have not been laid out yet.
constexpr int DefaultBuckets = 600;

} // namespace

TrendWindow::TrendWindow(Links links, QWidget* parent)
    : QWidget(parent, Qt::Window)
    , links_(std::move(links))
{
    setObjectName(QStringLiteral("TrendWindow"));
    setWindowTitle(QStringLiteral("Trend"));
    resize(OpeningSize);

    auto* layout = new QVBoxLayout(this);
    auto* bar = new QHBoxLayout;
    bar->addWidget(new QLabel(QStringLiteral("Span"), this));
    span_ = new QComboBox(this);
    span_->setObjectName(QStringLiteral("cbSpan"));
    for (const auto& [caption, ms] : Spans)
        span_->addItem(QString::fromLatin1(caption), QVariant::fromValue<qint64>(ms));
    bar->addWidget(span_);
    bar->addWidget(new QLabel(QStringLiteral("Plant"), this));
    plant_ = new QComboBox(this);
    plant_->setObjectName(QStringLiteral("cbPlant"));
    plant_->setAccessibleName(QStringLiteral("Plant"));
    plant_->setSizeAdjustPolicy(QComboBox::AdjustToContents);
    bar->addWidget(plant_);
    status_ = new QLabel(this);
    status_->setObjectName(QStringLiteral("lblStatus"));
    bar->addWidget(status_, 1);
    layout->addLayout(bar);
    cursor_ = new QLabel(this);
    cursor_->setObjectName(QStringLiteral("lblCursor"));
    cursor_->setWordWrap(true);
    cursor_->setMinimumHeight(cursor_->fontMetrics().lineSpacing());
    layout->addWidget(cursor_);

    // The bus and the blocks differ fourfold: each gets its own scale.
    layout->addWidget(AddChart(QStringLiteral("DC V"), {{"DC", "V", [](const TrendSample& s) { return s.DcVolt; }}}));
    layout->addWidget(AddChart(QStringLiteral("Block V"),
                               {{"Block 1", "V", [](const TrendSample& s) { return s.BlockVolt[0]; }},
                                {"Block 2", "V", [](const TrendSample& s) { return s.BlockVolt[1]; }},
                                {"Block 3", "V", [](const TrendSample& s) { return s.BlockVolt[2]; }},
                                {"Block 4", "V", [](const TrendSample& s) { return s.BlockVolt[3]; }}}));
    layout->addWidget(AddChart(QStringLiteral("A"),
                               {{"Battery", "A", [](const TrendSample& s) { return s.BattCurrent; }}}));
    layout->addWidget(AddChart(QStringLiteral("\u00b0C"),
                               {{"Batt 1", "\u00b0C",
                                  [](const TrendSample& s) {
                                      return s.Batt1TempValid ? s.Batt1Temp
                                                              : std::numeric_limits<double>::quiet_NaN();
                                  }},
                                {"Rack", "\u00b0C", [](const TrendSample& s) { return s.RackTemp; }}}));

    for (QChartView* view : views_)
        layout->setStretchFactor(view, 3);
    list_ = new DischargeList(links_, [this] { return chosen_; }, this);
    layout->addWidget(list_, 2);

    reader_ = std::make_unique<TrendReader>(links_.DatabasePath, [this](const TrendResult& result) { ShowResult(result); });
    zoom_ = new TimeAxisZoom(views_, [this](std::int64_t fromMs, std::int64_t toMs) {
        follow_ = false;
        viewFromMs_ = fromMs;
        viewToMs_ = toMs;
        Refresh();
    }, this);

    // Choosing a span, the shown one too, returns to following the live stream.
    connect(span_, &QComboBox::currentIndexChanged, this, [this] { FollowLive(); });
    connect(span_, &QComboBox::activated, this, [this] {
        if (!follow_)
            FollowLive();
    });
    connect(plant_, &QComboBox::activated, this, [this] {
        chosen_ = plant_->currentData().toString().toStdString();
        list_->Refresh();
        FollowLive();
    });
    refresh_.setInterval(5000);
    connect(&refresh_, &QTimer::timeout, this, [this] { Refresh(); });
}

void TrendWindow::RefreshPlants()
{
    try {
        if (!plants_) {
            auto store = std::make_unique<SessionStore>(links_.DatabasePath, QUuid::createUuid().toString());
            store->Open();
            plants_ = std::move(store);
        }
        std::vector<StoredPlant> plants = plants_->Plants();
        const std::string attached = links_.Plant();
        // A plant attached but not yet recorded is offered too; a port without records is no plant.
        const bool known = std::any_of(plants.begin(), plants.end(), [&](const StoredPlant& p) { return p.Key == attached; });
        if (!known && !attached.empty() && attached.back() != '/')
            plants.insert(plants.begin(), StoredPlant{attached, SplitPlantKey(attached).Port, 0});
        const QSignalBlocker quiet(plant_);
        plant_->clear();
        for (const StoredPlant& p : plants) {
            const std::size_t discharges =
                ScanDischarges(*plants_, p.Key, 0, links_.Clock(), links_.Detection, {}, links_.Correction).size();
            plant_->addItem(PlantText(p, discharges, p.Key == attached), QString::fromStdString(p.Key));
        }
        // The plant shown stays; else the attached one, else the most recent.
        int index = plant_->findData(QString::fromStdString(chosen_));
        if (index < 0)
            index = plant_->findData(QString::fromStdString(attached));
        plant_->setCurrentIndex(index < 0 ? 0 : index);
        const std::string chosen = plant_->currentData().toString().toStdString();
        if (chosen != chosen_) {
            chosen_ = chosen;
            list_->Refresh();
        }
    } catch (const std::exception& e) {
        status_->setText(QString::fromStdString(e.what()));
    }
}

TrendWindow::~TrendWindow() = default;

QChartView* TrendWindow::AddChart(const QString& unit, const std::vector<TraceWanted>& wanted)
{
    // No chart title: the legend names the series and the value axis its unit,
    // so that the plot keeps the height.
    auto* chart = new QChart;
    chart->setMargins(QMargins(4, 0, 4, 0));
    chart->layout()->setContentsMargins(0, 0, 0, 0);
    chart->setBackgroundRoundness(0);
    // Small print where the room is short: every legend entry and tick label fits.
    QFont small = chart->titleFont();
    small.setPointSize(8);
    chart->legend()->setFont(small);
    chart->legend()->setAlignment(Qt::AlignRight);
    // Equal legends keep the plot areas, and so the time axes, one above the other.
    chart->legend()->setMinimumWidth(LegendWidth);
    chart->legend()->setMaximumWidth(LegendWidth);
    auto* time = new QDateTimeAxis;
    auto* values = new QValueAxis;
    values->setLabelsFont(small);
    values->setTitleFont(small);
    values->setTitleText(unit);
    time->setLabelsFont(small);
    chart->addAxis(time, Qt::AlignBottom);
    chart->addAxis(values, Qt::AlignLeft);
    for (const TraceWanted& trace : wanted) {
        auto* series = new QLineSeries;
        series->setName(QString::fromLatin1(trace.name));
        chart->addSeries(series);
        series->attachAxis(time);
        series->attachAxis(values);
        traces_.push_back({series, trace.unit, trace.value});
    }
    charts_.push_back(chart);
    timeAxes_.push_back(time);
    auto* view = new QChartView(chart, this);
    view->setRenderHint(QPainter::Antialiasing);
    view->setMouseTracking(true);
    view->viewport()->installEventFilter(this);
    views_.push_back(view);
    return view;
}

QLineSeries* TrendWindow::Series(const QString& name) const
{
    for (const Trace& trace : traces_) {
        if (trace.series->name() == name)
            return trace.series;
    }
    return nullptr;
}

QString TrendWindow::ReadError() const
{
    return status_->text();
}

QString TrendWindow::CursorText() const
{
    return cursor_->text();
}

void TrendWindow::ShowCursor(std::int64_t timeMs)
{
    QStringList parts{QDateTime::fromMSecsSinceEpoch(timeMs).toString(QStringLiteral("yyyy-MM-dd HH:mm:ss"))};
    for (const Trace& trace : traces_) {
        const QList<QPointF> points = trace.series->points();
        // The pairs are in time order; find the last one at or before timeMs.
        const auto after = std::upper_bound(points.begin(), points.end(), static_cast<qreal>(timeMs),
                                            [](qreal t, const QPointF& p) { return t < p.x(); });
        const qsizetype end = after - points.begin();
        if (end < 2)
            continue;
        const double low = points[end - 2].y();
        const double high = points[end - 1].y();
        const QString value = low == high ? QString::number(low, 'f', 1)
                                          : QStringLiteral("%1..%2").arg(low, 0, 'f', 1).arg(high, 0, 'f', 1);
        parts.append(QStringLiteral("%1 %2 %3").arg(trace.series->name(), value, QString::fromUtf8(trace.unit)));
    }
    cursor_->setText(parts.join(QStringLiteral("   ")));
}

bool TrendWindow::eventFilter(QObject* watched, QEvent* event)
{
    if (event->type() == QEvent::MouseMove) {
        for (QChartView* view : views_) {
            if (view->viewport() != watched)
                continue;
            const QPointF scene = view->mapToScene(static_cast<QMouseEvent*>(event)->position().toPoint());
            QChart* chart = view->chart();
            const QPointF value = chart->mapToValue(chart->mapFromScene(scene));
            ShowCursor(static_cast<std::int64_t>(value.x()));
        }
    }
    return QWidget::eventFilter(watched, event);
}

void TrendWindow::showEvent(QShowEvent* event)
{
    QWidget::showEvent(event);
    RefreshPlants();
    Refresh();
    refresh_.start();
}

void TrendWindow::hideEvent(QHideEvent* event)
{
    refresh_.stop();
    QWidget::hideEvent(event);
}

int TrendWindow::BucketCount() const
{
    const int width = static_cast<int>(charts_.front()->plotArea().width());
    return width > 0 ? width : DefaultBuckets;
}

void TrendWindow::FollowLive()
{
    follow_ = true;
    Refresh();
}

void TrendWindow::Refresh()
{
    try {
        // A plant attached after the window opened joins the chooser.
        // (A port without records, "COM1/", is no plant: no search every refresh for it.)
        if (const std::string attached = links_.Plant(); !attached.empty() && attached.back() != '/'
            && plant_->findData(QString::fromStdString(attached)) < 0)
            RefreshPlants();
        TrendRequest request{chosen_, viewFromMs_, viewToMs_, false, BucketCount()};
        if (follow_) {
            const std::int64_t now = links_.Clock();
            const std::int64_t span = span_->currentData().toLongLong();
            request.FromFirst = span == 0;
            request.FromMs = now - span;
            // One past now, so that a sample stamped this very millisecond is drawn.
            request.ToMs = now + 1;
        }
        reader_->Request(request);
    } catch (const std::exception& e) {
        status_->setText(QString::fromStdString(e.what()));
    }
}

void TrendWindow::ShowResult(const TrendResult& result)
{
    try {
        status_->setText(result.Error);
        const std::int64_t now = links_.Clock();
        zoom_->SetLongest(now - std::min(result.FirstMs.value_or(now), now));
        Draw(result.Buckets, result.FromMs, result.Request.ToMs);
    } catch (const std::exception& e) {
        status_->setText(QString::fromStdString(e.what()));
    }
    emit Drawn();
}

void TrendWindow::Draw(const std::vector<SampleBucket>& buckets, std::int64_t fromMs, std::int64_t toMs)
{
    // Each bucket becomes a vertical stroke from its lowest to its highest
    // value, which at one bucket per pixel column looks as every sample would.
    std::vector<QList<QPointF>> lines;
    for (const Trace& trace : traces_) {
        QList<QPointF>& points = lines.emplace_back();
        points.reserve(static_cast<qsizetype>(buckets.size()) * 2);
        for (const SampleBucket& b : buckets) {
            const double low = trace.value(b.Low);
            if (std::isnan(low))
                continue;
            points.append(QPointF(static_cast<qreal>(b.TimeMs), low));
            points.append(QPointF(static_cast<qreal>(b.TimeMs), trace.value(b.High)));
        }
    }
    const bool days = toMs - fromMs > 24 * 60 * MinuteMs;
    for (QDateTimeAxis* axis : timeAxes_) {
        axis->setFormat(days ? QStringLiteral("dd.MM HH:mm") : QStringLiteral("HH:mm"));
        axis->setRange(QDateTime::fromMSecsSinceEpoch(fromMs), QDateTime::fromMSecsSinceEpoch(std::max(toMs, fromMs + 1)));
    }
    for (QChart* chart : charts_) {
        double low = std::numeric_limits<double>::max();
        double high = std::numeric_limits<double>::lowest();
        for (std::size_t i = 0; i < traces_.size(); ++i) {
            if (traces_[i].series->chart() != chart)
                continue;
            for (const QPointF& p : lines[i]) {
                low = std::min(low, p.y());
                high = std::max(high, p.y());
            }
        }
        auto* axis = static_cast<QValueAxis*>(chart->axes(Qt::Vertical).front());
        if (low > high)
            low = high = 0;
        SetRoundTicks(axis, low, high, 3);
    }
    // The points go in last, once the axes hold their ranges, so that each
    // series is laid out on its chart once.
    for (std::size_t i = 0; i < traces_.size(); ++i)
        traces_[i].series->replace(lines[i]);
}

} // namespace zelt
