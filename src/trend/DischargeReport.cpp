#include "trend/DischargeReport.h"

#include "history/HistoryExport.h"
#include "trend/DischargeChart.h"

#include <QBuffer>
#include <QChart>
#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QGraphicsScene>
#include <QPageSize>
#include <QPainter>
#include <QPdfWriter>

#include <cmath>
#include <cstdlib>
#include <stdexcept>

namespace zelt {

namespace {

QString Fixed(double value, int decimals)
{
    return QString::number(value, 'f', decimals);
}

QString Duration(std::int64_t ms)
{
    const std::int64_t s = ms / 1000;
    return QStringLiteral("%1:%2:%3")
        .arg(s / 3600)
        .arg(s / 60 % 60, 2, 10, QLatin1Char('0'))
        .arg(s % 60, 2, 10, QLatin1Char('0'));
}

QString StateText(const FoundDischarge& d)
{
    if (d.Figures.Interrupted)
        return QStringLiteral("interrupted");
    if (d.Figures.Complete)
        return QStringLiteral("complete");
    return d.Ongoing ? QStringLiteral("ongoing") : QStringLiteral("partial");
}

QString GapsText(const DischargeFigures& f)
{
    std::int64_t ms = 0;
    for (const DischargeGap& gap : f.Gaps)
        ms += gap.LengthMs;
    return f.Gaps.empty() ? QStringLiteral("0") : QStringLiteral("%1 (%2 s)").arg(f.Gaps.size()).arg(ms / 1000);
}

QString TempText(const DischargeFigures& f)
{
    if (f.TempEntered)
        return Fixed(f.MeanTemp, 1) + QStringLiteral(" entered");
    return f.TempAbsent ? QStringLiteral("no sensor") : Fixed(f.MeanTemp, 1);
}

QByteArray CsvRow(const QStringList& fields)
{
    QStringList quoted;
    for (const QString& field : fields)
        quoted.append(CsvField(field));
    return (quoted.join(QLatin1Char(',')) + QStringLiteral("\r\n")).toUtf8();
}

void DrawSummaryTable(QPainter& painter, const FoundDischarge& discharge, QRectF area)
{
    const QStringList titles = SummaryTitles();
    const QStringList texts = SummaryTexts(discharge);
    const qreal rowHeight = painter.fontMetrics().lineSpacing() * 1.5;
    const qreal split = area.width() * 0.4;
    for (qsizetype i = 0; i < titles.size(); ++i) {
        const QRectF row(area.left(), area.top() + static_cast<qreal>(i) * rowHeight, area.width(), rowHeight);
        painter.drawLine(row.bottomLeft(), row.bottomRight());
        painter.drawText(row.adjusted(0, 0, -split, 0), Qt::AlignLeft | Qt::AlignVCenter, titles[i]);
        painter.drawText(row.adjusted(split, 0, 0, 0), Qt::AlignLeft | Qt::AlignVCenter, texts[i]);
    }
}

QString ReportPath(const QString& folder, const std::string& plant, const FoundDischarge& discharge,
                   const QString& ending)
{
    if (!QDir().mkpath(folder))
        throw std::runtime_error(("Cannot create the folder " + QDir::toNativeSeparators(folder)).toStdString());
    return QDir(folder).filePath(ReportBaseName(plant, discharge.Figures.StartMs) + ending);
}

} // namespace

QString KindText(DischargeKind kind)
{
    switch (kind) {
    case DischargeKind::Test:
        return QStringLiteral("test");
    case DischargeKind::AcFailure:
        return QStringLiteral("AC failure");
    case DischargeKind::Discharge:
        break;
    }
    return QStringLiteral("discharge");
}

QString VerdictText(const std::optional<std::int32_t>& verdict)
{
    if (!verdict)
        return {};
    switch (*verdict) {
    case 1:
        return QStringLiteral("good");
    case 2:
        return QStringLiteral("degraded");
    default:
        return QStringLiteral("low");
    }
}

QString IsoLocalTime(std::int64_t ms)
{
    const QDateTime t = QDateTime::fromMSecsSinceEpoch(ms);
    const int offset = t.offsetFromUtc();
    const int minutes = std::abs(offset) / 60;
    return t.toString(QStringLiteral("yyyy-MM-dd'T'HH:mm:ss")) + (offset < 0 ? QLatin1Char('-') : QLatin1Char('+'))
         + QStringLiteral("%1:%2").arg(minutes / 60, 2, 10, QLatin1Char('0')).arg(minutes % 60, 2, 10, QLatin1Char('0'));
}

QString CsvField(const QString& text)
{
    if (!text.contains(QLatin1Char(',')) && !text.contains(QLatin1Char('"')) && !text.contains(QLatin1Char('\n'))
        && !text.contains(QLatin1Char('\r')))
        return text;
    QString quoted = text;
    quoted.replace(QLatin1Char('"'), QStringLiteral("\"\""));
    return QLatin1Char('"') + quoted + QLatin1Char('"');
}

QStringList SummaryTitles()
{
    return {QStringLiteral("Kind"),           QStringLiteral("Start"),        QStringLiteral("Duration"),
            QStringLiteral("Ah"),             QStringLiteral("Start V"),      QStringLiteral("End V"),
            QStringLiteral("Lowest block V"), QStringLiteral("Lowest block"), QStringLiteral("Mean temp \u00b0C"),
            QStringLiteral("Gaps"),           QStringLiteral("State"),        QStringLiteral("C25 Ah"),
            QStringLiteral("% of rated"),     QStringLiteral("Verdict"),      QStringLiteral("No verdict because")};
}

QStringList SummaryTexts(const FoundDischarge& discharge)
{
    const DischargeFigures& f = discharge.Figures;
    return {KindText(discharge.Kind),
            IsoLocalTime(f.StartMs),
            Duration(f.DurationMs),
            Fixed(f.AmpHours, 1),
            Fixed(f.StartVolt, 1),
            Fixed(f.EndVolt, 1),
            Fixed(f.LowestBlockVolt, 1),
            QStringLiteral("Block %1").arg(f.LowestBlock + 1),
            TempText(f),
            GapsText(f),
            StateText(discharge),
            f.C25 ? Fixed(*f.C25, 1) : QString(),
            f.PercentOfRated ? Fixed(*f.PercentOfRated, 1) : QString(),
            VerdictText(f.Verdict),
            QString::fromStdString(f.Withheld)};
}

QByteArray SamplesCsv(const std::vector<TrendSample>& samples)
{
    QByteArray csv = CsvRow({QStringLiteral("Time"), QStringLiteral("DC V"), QStringLiteral("Load A"),
                             QStringLiteral("Battery A"), QStringLiteral("Batt 1 \u00b0C"), QStringLiteral("Rack \u00b0C"),
                             QStringLiteral("Block 1 V"), QStringLiteral("Block 2 V"), QStringLiteral("Block 3 V"),
                             QStringLiteral("Block 4 V"), QStringLiteral("Test"), QStringLiteral("AC fail"),
                             QStringLiteral("Controller date"), QStringLiteral("Controller time")});
    for (const TrendSample& s : samples) {
        csv += CsvRow({IsoLocalTime(s.TimeMs), Fixed(s.DcVolt, 1), Fixed(s.LoadCurrent, 0), Fixed(s.BattCurrent, 0),
                       s.Batt1TempValid ? Fixed(s.Batt1Temp, 1) : QString(), Fixed(s.RackTemp, 1),
                       Fixed(s.BlockVolt[0], 1), Fixed(s.BlockVolt[1], 1), Fixed(s.BlockVolt[2], 1),
                       Fixed(s.BlockVolt[3], 1), TestSign(s) ? QStringLiteral("1") : QStringLiteral("0"),
                       s.AcFail ? QStringLiteral("1") : QStringLiteral("0"), QString::fromStdString(s.ControllerDate),
                       QString::fromStdString(s.ControllerTime)});
    }
    return csv;
}

QByteArray SummaryCsv(const FoundDischarge& discharge)
{
    return CsvRow(SummaryTitles()) + CsvRow(SummaryTexts(discharge));
}

QByteArray ReportPdf(const std::string& plant, const FoundDischarge& discharge, const std::vector<TrendSample>& samples)
{
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    {
        QPdfWriter writer(&buffer);
        writer.setPageSize(QPageSize(QPageSize::A4));
        writer.setPageMargins(QMarginsF(15, 15, 15, 15), QPageLayout::Millimeter);
        writer.setResolution(150);
        writer.setTitle(QStringLiteral("Discharge report"));
        QPainter painter(&writer);
        const qreal width = writer.width();
        QFont font = painter.font();
        font.setPointSize(16);
        font.setBold(true);
        painter.setFont(font);
        qreal y = painter.fontMetrics().lineSpacing();
        painter.drawText(QPointF(0, y), QStringLiteral("Discharge report"));
        font.setPointSize(10);
        font.setBold(false);
        painter.setFont(font);
        y += painter.fontMetrics().lineSpacing() * 1.5;
        painter.drawText(QPointF(0, y), QStringLiteral("Plant %1, %2 from %3")
                                            .arg(QString::fromStdString(plant), KindText(discharge.Kind),
                                                 IsoLocalTime(discharge.Figures.StartMs)));
        y += painter.fontMetrics().lineSpacing();

        // The chart is laid out at screen size and scaled onto the page.
        QGraphicsScene scene;
        QChart* chart = NewDischargeChart(samples);
        scene.addItem(chart);
        const QSizeF chartSize(800, 420);
        chart->resize(chartSize);
        const QRectF chartArea(0, y, width, width * chartSize.height() / chartSize.width());
        scene.render(&painter, chartArea, QRectF(QPointF(0, 0), chartSize));
        y = chartArea.bottom() + painter.fontMetrics().lineSpacing();

        DrawSummaryTable(painter, discharge, QRectF(0, y, width, writer.height() - y));
    }
    return bytes;
}

QString FileNamePlant(const std::string& plant)
{
    QString name = QString::fromStdString(plant);
    for (QChar& c : name) {
        const bool safe = (c >= QLatin1Char('a') && c <= QLatin1Char('z')) || (c >= QLatin1Char('A') && c <= QLatin1Char('Z'))
                       || (c >= QLatin1Char('0') && c <= QLatin1Char('9')) || c == QLatin1Char('.')
                       || c == QLatin1Char('-') || c == QLatin1Char('_');
        if (!safe)
            c = QLatin1Char('_');
    }
    return name;
}

QString ReportBaseName(const std::string& plant, std::int64_t startMs)
{
    return QStringLiteral("discharge-%1-%2")
        .arg(FileNamePlant(plant), QDateTime::fromMSecsSinceEpoch(startMs).toString(QStringLiteral("yyyyMMdd-HHmm")));
}

QStringList SaveCsvReport(const QString& folder, const std::string& plant, const FoundDischarge& discharge,
                          const std::vector<TrendSample>& samples)
{
    const QString samplesPath = ReportPath(folder, plant, discharge, QStringLiteral(".csv"));
    const QString summaryPath = ReportPath(folder, plant, discharge, QStringLiteral("-summary.csv"));
    SaveFileWhole(samplesPath, SamplesCsv(samples));
    try {
        SaveFileWhole(summaryPath, SummaryCsv(discharge));
    } catch (...) {
        // The two belong together: no samples without their summary.
        QFile::remove(samplesPath);
        throw;
    }
    return {samplesPath, summaryPath};
}

QString SavePdfReport(const QString& folder, const std::string& plant, const FoundDischarge& discharge,
                      const std::vector<TrendSample>& samples)
{
    const QString path = ReportPath(folder, plant, discharge, QStringLiteral(".pdf"));
    SaveFileWhole(path, ReportPdf(plant, discharge, samples));
    return path;
}

} // namespace zelt
