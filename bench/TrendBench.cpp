// The Trend window over a store of 90 days at one sample a second: reading a
// 24-hour span reduced to a chart's columns, drawing it, and opening the window
// on everything stored. The store is generated once by SQL, as one written
// before the per-minute rollups existed, so that opening it first measures
// filling them.

#include "trend/SessionStore.h"
#include "trend/TrendWindow.h"

#include <QComboBox>
#include <QCoreApplication>
#include <QElapsedTimer>
#include <QSqlDatabase>
#include <QSqlError>
#include <QSqlQuery>
#include <QTemporaryDir>
#include <benchmark/benchmark.h>

#include <ctime>
#include <cstdio>
#include <memory>
#include <stdexcept>

namespace {

constexpr std::int64_t DayMs = 24LL * 3600 * 1000;
constexpr int Days = 90;
constexpr std::int64_t T0 = 1'780'000'000'000;
constexpr std::int64_t End = T0 + Days * DayMs;
const char* const Plant = "COM1/0050C2A1B2C3";

void Run(QSqlDatabase& db, const QString& sql)
{
    QSqlQuery q(db);
    if (!q.exec(sql))
        throw std::runtime_error(q.lastError().text().toStdString());
}

// The path of the 90-day store, generated at the first call.
QString Store()
{
    static QTemporaryDir dir;
    static QString path;
    if (!path.isEmpty())
        return path;
    path = dir.filePath(QStringLiteral("sessions.sqlite"));
    {
        zelt::SessionStore tables(path, QStringLiteral("bench-create"));
        tables.Open();
    }
    {
        QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), QStringLiteral("bench-generate"));
        db.setDatabaseName(path);
        db.open();
        QElapsedTimer clock;
        clock.start();
        Run(db, QStringLiteral("DROP TABLE minutes"));
        Run(db, QStringLiteral("BEGIN"));
        Run(db, QStringLiteral("INSERT INTO samples(plant, t, dc_v, load_a, batt_a, temp1, temp2, block1, block2, block3, "
                               "block4, flags, ctrl_date, ctrl_time) "
                               "WITH RECURSIVE seq(i) AS (SELECT 0 UNION ALL SELECT i + 1 FROM seq WHERE i < %1) "
                               "SELECT '%2', %3 + i * 1000, 535 + i % 7, 42 + i % 5, 1 - i % 3, 251 + i % 4, 268 - i % 6, "
                               "267 + i % 3, 268 - i % 3, 267 + i % 2, 268, 0, '20261208', '120000' FROM seq")
                .arg(Days * 86400 - 1)
                .arg(QLatin1String(Plant))
                .arg(T0));
        Run(db, QStringLiteral("COMMIT"));
        std::printf("generated %d days of samples in %.1f s\n", Days, clock.elapsed() / 1000.0);
        db.close();
        db = QSqlDatabase();
        QSqlDatabase::removeDatabase(QStringLiteral("bench-generate"));
    }
    QElapsedTimer clock;
    clock.start();
    zelt::SessionStore fill(path, QStringLiteral("bench-fill"));
    fill.Open();
    std::printf("filled the minute rollups of %d days on opening in %.1f s\n", Days, clock.elapsed() / 1000.0);
    return path;
}

double ThreadCpuMs()
{
    timespec t{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &t);
    return t.tv_sec * 1e3 + t.tv_nsec / 1e6;
}

// The last 24 hours reduced to columns: 1000 read from the rollups (a stretch
// of 86.4 s), 1500 from the samples (57.6 s, under a minute).
void BM_DayRead(benchmark::State& state)
{
    zelt::SessionStore store(Store(), QStringLiteral("bench-day"));
    store.Open();
    const auto columns = static_cast<int>(state.range(0));
    for (auto _ : state)
        benchmark::DoNotOptimize(store.Buckets(Plant, End - DayMs, End, columns));
}
BENCHMARK(BM_DayRead)->Arg(1000)->Arg(1500)->Unit(benchmark::kMillisecond);

// Runs the event loop until the window has drawn a read.
void WaitForDrawing(zelt::TrendWindow& window)
{
    bool drawn = false;
    const auto c = QObject::connect(&window, &zelt::TrendWindow::Drawn, [&drawn] { drawn = true; });
    while (!drawn)
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
    QObject::disconnect(c);
}

// Lets the window repaint what it has drawn, so that no repaint is left to
// fall into the next timed step.
void Settle()
{
    QElapsedTimer clock;
    clock.start();
    while (clock.elapsed() < 100)
        QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
}

zelt::TrendWindow::Links Links()
{
    return {Store(), [] { return std::string(Plant); }, [] { return End; }};
}

// The shown window choosing the 24-hour span until it is drawn and painted, as
// wall time. The main thread's share, the drawing, is reported as main_ms:
// handing the read's columns to the charts (series_ms) and painting them
// (paint_ms).
void BM_DayDraw(benchmark::State& state)
{
    zelt::TrendWindow window(Links());
    window.resize(1100, 800);
    window.show();
    WaitForDrawing(window);
    Settle();
    double seriesMs = 0, paintMs = 0;
    for (auto _ : state) {
        const double start = ThreadCpuMs();
        window.SpanBox()->setCurrentIndex(3);
        WaitForDrawing(window);
        const double drawn = ThreadCpuMs();
        window.grab();
        seriesMs += drawn - start;
        paintMs += ThreadCpuMs() - drawn;
        state.PauseTiming();
        window.SpanBox()->setCurrentIndex(0);
        WaitForDrawing(window);
        Settle();
        state.ResumeTiming();
    }
    const auto n = static_cast<double>(state.iterations());
    state.counters["main_ms"] = (seriesMs + paintMs) / n;
    state.counters["series_ms"] = seriesMs / n;
    state.counters["paint_ms"] = paintMs / n;
}
BENCHMARK(BM_DayDraw)->Unit(benchmark::kMillisecond)->UseRealTime();


// Opening the window, a new one with its own reader each time, and showing
// everything stored.
void BM_OpenAllStored(benchmark::State& state)
{
    Store();
    double mainMs = 0;
    for (auto _ : state) {
        const double cpu = ThreadCpuMs();
        auto window = std::make_unique<zelt::TrendWindow>(Links());
        window->resize(1100, 800);
        window->show();
        window->SpanBox()->setCurrentIndex(4);
        WaitForDrawing(*window);
        window->grab();
        mainMs += ThreadCpuMs() - cpu;
        state.PauseTiming();
        window.reset();
        state.ResumeTiming();
    }
    state.counters["main_ms"] = mainMs / static_cast<double>(state.iterations());
}
BENCHMARK(BM_OpenAllStored)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(5);

} // namespace
