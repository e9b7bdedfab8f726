#include "common/EventLoop.h"
#include "trend/DischargeChart.h"
#include "trend/DischargeList.h"
#include "trend/SessionStore.h"
#include "trend/TrendWindow.h"

#include <QApplication>
#include <QChart>
#include <QChartView>
#include <QComboBox>
#include <QDateTime>
#include <QDateTimeAxis>
#include <QFile>
#include <QGraphicsTextItem>
#include <QLabel>
#include <QPushButton>
#include <QSettings>
#include <QTableWidget>
#include <QValueAxis>
#include <QLineSeries>
#include <QMouseEvent>
#include <QTemporaryDir>
#include <QWheelEvent>

#include <gtest/gtest.h>

namespace zelt {
namespace {

constexpr std::int64_t T0 = 1'700'000'000'000;
constexpr int Count = 3000; // one sample every 200 ms: ten minutes
const std::string Plant = "COM1/0011223344AA";

// Every series rises from its own start, so that a swapped column or a
// bucket's lowest value drawn twice shows.
TrendSample Ramp(int i, double offset)
{
    TrendSample s;
    s.TimeMs = T0 + i * 200LL;
    const double step = i * 0.1;
    s.DcVolt = 48 + offset + step;
    s.BattCurrent = -30 + offset + i / 100;
    s.Batt1Temp = 20 + offset + step;
    s.Batt1TempValid = true;
    s.RackTemp = 25 + offset + step;
    for (int b = 0; b < 4; ++b)
        s.BlockVolt[b] = 12 + 10 * b + offset + step;
    return s;
}

class TrendWindowTest : public ::testing::Test {
protected:
    void Fill()
    {
        SessionStore store(path, QStringLiteral("fill"));
        store.Open();
        std::vector<StoredSample> samples;
        for (int i = 0; i < Count; ++i) {
            samples.push_back({Plant, Ramp(i, 0)});
            samples.push_back({"COM2/0011223344BB", Ramp(i, 500)}); // another plant, never drawn
        }
        store.Append(samples, {});
    }
    std::unique_ptr<TrendWindow> Open(const QString& database, std::int64_t now, int span)
    {
        auto window = std::make_unique<TrendWindow>(
            TrendWindow::Links{database, [] { return Plant; }, [now] { return now; }, {}, {}, {}});
        window->SpanBox()->setCurrentIndex(span);
        window->show();
        window->Refresh();
        EXPECT_TRUE(WaitForDrawing(*window));
        return window;
    }
    // Runs the event loop until the window has drawn the next read.
    static bool WaitForDrawing(TrendWindow& window)
    {
        int drawn = 0;
        const QMetaObject::Connection counting =
            QObject::connect(&window, &TrendWindow::Drawn, [&drawn] { ++drawn; });
        const bool done = test::WaitUntil([&drawn] { return drawn > 0; }, 10000);
        QObject::disconnect(counting);
        return done;
    }

    QTemporaryDir dir;
    QString path = dir.filePath(QStringLiteral("sessions.sqlite"));
};

TEST_F(TrendWindowTest, DrawsEachSeriesAsTheLowestAndHighestOfEveryBucket)
{
    Fill();
    const auto window = Open(path, T0 + 10 * 60 * 1000, 0);
    ASSERT_EQ(window->ReadError(), QString());
    const TrendSample first = Ramp(0, 0);
    const TrendSample last = Ramp(Count - 1, 0);
    const struct {
        const char* series;
        double (*value)(const TrendSample&);
    } rows[] = {
        {"DC", [](const TrendSample& s) { return s.DcVolt; }},
        {"Block 1", [](const TrendSample& s) { return s.BlockVolt[0]; }},
        {"Block 2", [](const TrendSample& s) { return s.BlockVolt[1]; }},
        {"Block 3", [](const TrendSample& s) { return s.BlockVolt[2]; }},
        {"Block 4", [](const TrendSample& s) { return s.BlockVolt[3]; }},
        {"Battery", [](const TrendSample& s) { return s.BattCurrent; }},
        {"Batt 1", [](const TrendSample& s) { return s.Batt1Temp; }},
        {"Rack", [](const TrendSample& s) { return s.RackTemp; }},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.series);
        const QList<QPointF> points = window->Series(QString::fromLatin1(row.series))->points();
        ASSERT_GE(points.size(), 4);
        EXPECT_EQ(points.front(), QPointF(T0, row.value(first)));
        EXPECT_DOUBLE_EQ(points.back().y(), row.value(last));
        for (qsizetype i = 0; i + 1 < points.size(); i += 2) {
            EXPECT_EQ(points[i].x(), points[i + 1].x());
            EXPECT_LE(points[i].y(), points[i + 1].y());
        }
    }
    // A bucket holds several samples of the ramp: its stroke spans them.
    const QList<QPointF> dc = window->Series(QStringLiteral("DC"))->points();
    EXPECT_LT(dc[0].y(), dc[1].y());

    // The cursor reads every series out of the bucket under it.
    window->ShowCursor(T0 + 1);
    for (const char* reading : {"DC 48.0..", "Block 2 22.0..", "Battery -30.0 A", "Rack 25.0.."})
        EXPECT_TRUE(window->CursorText().contains(QString::fromUtf8(reading))) << reading;
    window->ShowCursor(T0 - 1);
    EXPECT_FALSE(window->CursorText().contains(QStringLiteral("DC")));
}

TEST_F(TrendWindowTest, ShowsTheSelectedSpanEndingNow)
{
    Fill();
    constexpr std::int64_t Hour = 3600 * 1000;
    const struct {
        int span;
        std::int64_t now;
        bool drawn;
    } rows[] = {
        {0, T0 + 20 * 60 * 1000, false}, {1, T0 + Hour / 2, true}, {1, T0 + 2 * Hour, false},
        {2, T0 + 7 * Hour, true},        {3, T0 + 23 * Hour, true}, {3, T0 + 25 * Hour, false},
        {4, T0 + 90 * 24 * Hour, true},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.span);
        const auto window = Open(path, row.now, row.span);
        const QList<QPointF> dc = window->Series(QStringLiteral("DC"))->points();
        EXPECT_EQ(!dc.isEmpty(), row.drawn);
        if (row.drawn)
            EXPECT_EQ(dc.front().x(), T0);
    }
}

// The time axis of every chart, as [from, to] in milliseconds.
std::vector<std::pair<std::int64_t, std::int64_t>> Ranges(const TrendWindow& window)
{
    std::vector<std::pair<std::int64_t, std::int64_t>> ranges;
    for (QChartView* view : window.ChartViews()) {
        const auto* axis = static_cast<QDateTimeAxis*>(view->chart()->axes(Qt::Horizontal).front());
        ranges.emplace_back(axis->min().toMSecsSinceEpoch(), axis->max().toMSecsSinceEpoch());
    }
    return ranges;
}

TEST_F(TrendWindowTest, WheelZoomsAndDragPansEveryChartUntilASpanIsChosen)
{
    Fill();
    constexpr std::int64_t Now = T0 + 60 * 60 * 1000; // an hour stored
    const auto window = Open(path, Now, 0);           // the last 10 minutes
    const struct {
        int notches;  // wheel turns, away from the operator zooming in
        int dragPixels; // to the left
        double spanFactor;
        std::int64_t span; // expected instead of the factor when not 0
    } rows[] = {
        {1, 0, 0.8, 0}, {-1, 0, 1.25, 0}, {-20, 0, 0, 60 * 60 * 1000}, {40, 0, 0, 60 * 1000}, {0, 100, 1, 0},
    };
    for (std::size_t i = 0; i < std::size(rows); ++i) {
        const auto& row = rows[i];
        SCOPED_TRACE(i);
        QChartView* view = window->ChartViews()[i % 4];
        QChart* chart = view->chart();
        const QPointF at = view->mapFromScene(chart->mapToScene(chart->plotArea().center()));
        const auto timeAt = [&] { return chart->mapToValue(chart->mapFromScene(view->mapToScene(at.toPoint()))).x(); };
        const auto [from, to] = Ranges(*window).front();
        const double before = timeAt();
        if (row.notches != 0) {
            QWheelEvent wheel(at, view->mapToGlobal(at), QPoint(), QPoint(0, 120 * row.notches), Qt::NoButton,
                              Qt::NoModifier, Qt::NoScrollPhase, false);
            QCoreApplication::sendEvent(view->viewport(), &wheel);
        } else {
            const QPointF end = at - QPointF(row.dragPixels, 0);
            QMouseEvent press(QEvent::MouseButtonPress, at, view->mapToGlobal(at), Qt::LeftButton, Qt::LeftButton, Qt::NoModifier);
            QMouseEvent move(QEvent::MouseMove, end, view->mapToGlobal(end), Qt::NoButton, Qt::LeftButton, Qt::NoModifier);
            QMouseEvent release(QEvent::MouseButtonRelease, end, view->mapToGlobal(end), Qt::LeftButton, Qt::NoButton, Qt::NoModifier);
            for (QMouseEvent* e : {&press, &move, &release})
                QCoreApplication::sendEvent(view->viewport(), e);
        }
        const auto ranges = Ranges(*window);
        for (const auto& range : ranges)
            EXPECT_EQ(range, ranges.front()); // the charts stay in step
        const auto [newFrom, newTo] = ranges.front();
        const double expected = row.span != 0 ? row.span : (to - from) * row.spanFactor;
        EXPECT_NEAR(newTo - newFrom, expected, 1);
        const double pixelMs = (newTo - newFrom) / chart->plotArea().width();
        if (row.span == 0 && row.dragPixels == 0)
            EXPECT_NEAR(timeAt(), before, pixelMs); // the time under the mouse stays
        if (row.dragPixels != 0)
            EXPECT_NEAR(newFrom - from, row.dragPixels * pixelMs, 1);
        // The read of the new range keeps it.
        ASSERT_TRUE(WaitForDrawing(*window));
        EXPECT_EQ(Ranges(*window).front(), ranges.front());
    }
    // Choosing the span again follows the live stream.
    emit window->SpanBox()->activated(0);
    ASSERT_TRUE(WaitForDrawing(*window));
    EXPECT_EQ(Ranges(*window).front(), std::make_pair(Now - 10 * 60 * 1000, Now + 1));
}

TEST_F(TrendWindowTest, AnEmptyOrUnreadableDatabaseLeavesTheChartsEmpty)
{
    const struct {
        QString database;
        bool error;
    } rows[] = {{path, false}, {QStringLiteral("/dev/null/sessions.sqlite"), true}};
    for (const auto& row : rows) {
        SCOPED_TRACE(row.database.toStdString());
        const auto window = Open(row.database, T0, 4);
        EXPECT_TRUE(window->Series(QStringLiteral("DC"))->points().isEmpty());
        EXPECT_EQ(window->ReadError().isEmpty(), !row.error);
    }
}

// Plant A by its MAC, seen on COM1 and then COM3, with a two-minute 20 A
// test recorded without its basis; plant B of the factory MAC, seen last,
// with one recorded with its basis (end voltage 43 V).
class PlantChooserTest : public TrendWindowTest {
protected:
    void SetUp() override
    {
        SessionStore store(path, QStringLiteral("plants"));
        store.Open();
        for (const auto& [plant, from, port, basis] : {std::tuple(A, T0, "COM1", false), std::tuple(A, T0 + 200000, "COM3", false),
                                                         std::tuple(B, T0 + 1000000, "COM1", true)}) {
            std::vector<StoredSample> samples;
            for (int i = 0; i < 200; ++i) {
                const bool discharging = from != T0 + 200000 && i >= 20 && i < 140;
                TrendSample s = Ramp(i, 0);
                std::tie(s.TimeMs, s.Port, s.ManualTest) = std::tuple(from + i * 1000LL, port, discharging);
                std::tie(s.BattCurrent, s.DcVolt) = std::pair(discharging ? -20 : 0, discharging ? 50 - (i - 20) / 15.0 : 53);
                s.Basis = basis ? std::optional(CapacityBasis{43, 1, true, 0}) : std::nullopt;
                samples.push_back({plant, s});
            }
            store.Append(samples, {});
        }
    }
    std::unique_ptr<TrendWindow> OpenAttached(const std::string& attached)
    {
        auto window = std::make_unique<TrendWindow>(TrendWindow::Links{path, [attached] { return attached; },
            [] { return T0 + 2000000; }, [] { return CapacityBasis{60, 2, true, 0}; }, {}, [](int) {}, {}});
        window->SpanBox()->setCurrentIndex(4); // all stored
        window->show();
        EXPECT_TRUE(WaitForDrawing(*window));
        list = window->findChild<DischargeList*>();
        return window;
    }
    QString Row() const
    {
        list->Table()->selectRow(0);
        return QStringList{list->Table()->item(0, 4)->text(), list->UseButton()->toolTip()}.join(QLatin1Char('|'));
    }

    const std::string A = "0050C2A1B2C3";
    const std::string B = "COM1/020000006380";
    DischargeList* list = nullptr;
};

// With no plant attached it opens on the plant seen last; a stored test is
// measured by the basis recorded with it, never by the attached plant's.
TEST_F(PlantChooserTest, ListsEveryPlantAndOpensOnTheAttachedOne)
{
    const auto seen = [](std::int64_t ms) { return QDateTime::fromMSecsSinceEpoch(ms).toString(QStringLiteral("yyyy-MM-dd HH:mm")); };
    const auto window = OpenAttached("COM1/");
    QComboBox* plants = window->PlantBox();
    ASSERT_EQ(plants->count(), 2);
    EXPECT_EQ(plants->itemText(0), "020000006380 on COM1 (factory MAC: told apart by its port), last on COM1, seen "
                                       + seen(T0 + 1199000) + ", 1 discharge");
    EXPECT_EQ(plants->itemText(1), "0050C2A1B2C3, last on COM3, seen " + seen(T0 + 399000) + ", 1 discharge");
    EXPECT_EQ(std::pair(window->ShownPlant(), Row()), std::pair(B, QStringLiteral("complete|This test is of another plant than the one attached")));
    EXPECT_FALSE(window->Series(QStringLiteral("DC"))->points().isEmpty());
    plants->setCurrentIndex(1);
    emit plants->activated(1);
    EXPECT_EQ(std::pair(window->ShownPlant(), Row()), std::pair(A, QStringLiteral("partial|This test is of another plant than the one attached")));

    const auto attached = OpenAttached(A); // its samples without a basis: the attached plant's
    EXPECT_TRUE(attached->PlantBox()->currentText().endsWith(QStringLiteral(" (attached)")));
    EXPECT_EQ(std::pair(attached->ShownPlant(), Row()), std::pair(A, QStringLiteral("complete|")));
}

TEST(RoundTicks, OneTwoOrFiveTimesAPowerOfTen)
{
    using Ticks = std::tuple<double, double, double, QString>; // min, max, interval, label format
    const std::tuple<double, double, int, Ticks> cases[] = {
        {43.4, 46.8, 3, {42, 48, 2, "%.0f"}},   {12.31, 12.35, 3, {11, 13, 1, "%.0f"}}, {1.0, 2.9, 10, {1, 3, 0.5, "%.1f"}},
        {-490, -490, 4, {-490.5, -489.5, 0.5, "%.1f"}}, {0, 1000, 3, {0, 1000, 500, "%.0f"}}, {-33, 7, 5, {-40, 10, 10, "%.0f"}}};
    for (const auto& [low, high, ticks, expected] : cases) {
        QValueAxis axis;
        SetRoundTicks(&axis, low, high, ticks);
        EXPECT_EQ(Ticks(axis.min(), axis.max(), axis.tickInterval(), axis.labelFormat()), expected) << low;
        EXPECT_EQ(std::pair(axis.tickAnchor(), axis.tickType()), std::pair(axis.min(), QValueAxis::TicksDynamic));
    }
}

// The discharge alone: the charging sample after it is left out, and a
// temperature without a fitted sensor is no point.
TEST(DischargeChart, EachSeriesHasItsSamples)
{
    std::vector<TrendSample> samples(5);
    for (int i = 0; i < 5; ++i)
        std::tie(samples[i].TimeMs, samples[i].BattCurrent, samples[i].Batt1TempValid) = std::tuple(i * 60000, i < 4 ? -20 : 30, i != 1);
    const std::unique_ptr<QChart> chart(NewDischargeChart(samples));
    QStringList counts;
    for (QAbstractSeries* series : chart->series())
        counts.append(QStringLiteral("%1 %2").arg(series->name()).arg(static_cast<QLineSeries*>(series)->count()));
    EXPECT_EQ(counts.join(QStringLiteral(", ")), QStringLiteral("DC bus V 4, Block 1 V 4, Block 2 V 4, Block 3 V 4, Block 4 V 4, "
                                                                "Battery A 4, Batt 1 \u00b0C 3"));
}

// At its opening size the window fits a 1366 x 768 screen; every value axis
// shows its numbers, every legend entry is whole, the verdict columns are in
// view, and "Export PDF" says where it saved, eliding a long path.
TEST_F(PlantChooserTest, OpeningSizeShowsEverything)
{
    const QString documents = dir.filePath(QStringLiteral("a folder with a long name/another inside it/a third one/and a fourth"));
    QFile dirs(dir.filePath(QStringLiteral("user-dirs.dirs")));
    ASSERT_TRUE(dirs.open(QIODevice::WriteOnly) && dirs.write("XDG_DOCUMENTS_DIR=\"" + documents.toUtf8() + "\"\n") > 0);
    dirs.close();
    qputenv("XDG_CONFIG_HOME", dir.path().toUtf8());
    QSettings::setPath(QSettings::IniFormat, QSettings::UserScope, dir.path());
    QSettings(QSettings::IniFormat, QSettings::UserScope, QStringLiteral("zelt6380"), QStringLiteral("zelt6380"))
        .setValue(QStringLiteral("report/siteName"), QStringLiteral("Hilltop"));

    const auto window = OpenAttached(A);
    const int width = window->width();
    EXPECT_TRUE(width <= 1366 && window->height() <= 700);
    for (QChartView* view : window->ChartViews()) {
        QLegend* legend = view->chart()->legend();
        for (QGraphicsItem* item : view->scene()->items()) {
            if (auto* text = dynamic_cast<QGraphicsTextItem*>(item); text != nullptr && text->isVisible()) {
                EXPECT_FALSE(text->toPlainText().contains(QChar(0x2026))) << text->toPlainText().toStdString();
                EXPECT_TRUE(!legend->isAncestorOf(text) || legend->rect().contains(legend->mapRectFromItem(text, text->boundingRect())))
                    << text->toPlainText().toStdString();
            }
        }
    }
    QTableWidget* table = list->Table();
    for (int column = 4; column <= 7; ++column)
        EXPECT_LE(table->columnViewportPosition(column) + table->columnWidth(column), table->viewport()->width()) << column;

    table->selectRow(0);
    list->PdfButton()->click();
    const QString saved = QStringLiteral("Saved ") + documents + QStringLiteral("/discharge-0050C2A1B2C3-")
                        + QDateTime::fromMSecsSinceEpoch(T0 + 20000).toString(QStringLiteral("yyyyMMdd-HHmm")) + QStringLiteral(".pdf");
    EXPECT_TRUE(list->SavedLabel()->toolTip() == saved && QFile::exists(saved.mid(6))) << list->SavedLabel()->toolTip().toStdString();
    EXPECT_TRUE(list->SavedLabel()->text().contains(QChar(0x2026))) << list->SavedLabel()->text().toStdString();
    QApplication::processEvents();
    EXPECT_EQ(window->width(), width);
}

} // namespace
} // namespace zelt
