#include "trend/DischargeReport.h"

#include "history/HistoryExport.h"
#include "status/BattCapacity.h"
#include "trend/DischargeChart.h"
#include "trend/PlantId.h"

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

// The fields as rows of title and text from the top of area; returns the
// bottom of the table.
qreal DrawFields(QPainter& painter, const std::vector<ReportField>& fields, QRectF area)
{
    const qreal rowHeight = painter.fontMetrics().lineSpacing() * 1.3;
    const qreal split = area.width() * 0.3;
    qreal y = area.top();
    for (const ReportField& field : fields) {
        const QRectF row(area.left(), y, area.width(), rowHeight);
        painter.drawLine(row.bottomLeft(), row.bottomRight());
        painter.drawText(row.adjusted(0, 0, split - row.width(), 0), Qt::AlignLeft | Qt::AlignVCenter, field.Title);
        painter.drawText(row.adjusted(split, 0, 0, 0), Qt::AlignLeft | Qt::AlignVCenter, field.Text);
        y += rowHeight;
    }
    return y + rowHeight;
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
    // The verdict first after the Ah, where a narrow list still shows it.
    return {QStringLiteral("Kind"),         QStringLiteral("Start"),          QStringLiteral("Duration"),
            QStringLiteral("Ah"),           QStringLiteral("State"),          QStringLiteral("C25 Ah"),
            QStringLiteral("% of rated"),   QStringLiteral("Verdict"),        QStringLiteral("Start V"),
            QStringLiteral("End V"),        QStringLiteral("Lowest block V"), QStringLiteral("Lowest block"),
            QStringLiteral("Mean temp \u00b0C"), QStringLiteral("Gaps"),      QStringLiteral("No verdict because")};
}

QStringList SummaryTexts(const FoundDischarge& discharge)
{
    const DischargeFigures& f = discharge.Figures;
    return {KindText(discharge.Kind),
            IsoLocalTime(f.StartMs),
            Duration(f.DurationMs),
            Fixed(f.AmpHours, 1),
            StateText(discharge),
            f.C25 ? Fixed(*f.C25, 1) : QString(),
            f.PercentOfRated ? Fixed(*f.PercentOfRated, 1) : QString(),
            VerdictText(f.Verdict),
            Fixed(f.StartVolt, 1),
            Fixed(f.EndVolt, 1),
            Fixed(f.LowestBlockVolt, 1),
            QStringLiteral("Block %1").arg(f.LowestBlock + 1),
            TempText(f),
            GapsText(f),
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

std::vector<ReportField> ReportFields(const QString& site, const std::string& plant, const FoundDischarge& discharge,
                                      const std::vector<TrendSample>& samples)
{
    const DischargeFigures& f = discharge.Figures;
    const CapacityBasis& basis = f.Basis;
    const PlantKeyParts key = SplitPlantKey(plant);
    const bool byMac = key.Port.empty();
    const std::string port = !samples.empty() && !samples.back().Port.empty() ? samples.back().Port : key.Port;
    const double hours = static_cast<double>(f.DurationMs) / 3'600'000;
    const std::int32_t rated = basis.RatedAh > 0 ? basis.RatedAh : RatedCapacity(basis.Strings, basis.FirstType);
    // The blocks at the end: the last sample still discharging.
    std::size_t end = samples.size();
    while (end > 1 && samples[end - 1].BattCurrent >= 0)
        --end;
    QStringList blocks;
    for (int b = 0; b < (basis.Strings >= 2 ? 4 : 2) && end > 0; ++b)
        blocks.append(QStringLiteral("%1: %2 V").arg(b + 1).arg(Fixed(samples[end - 1].BlockVolt[static_cast<std::size_t>(b)], 1)));
    const double lambda = CorrectionLambda(f.DurationMs);
    std::int64_t gapMs = 0;
    for (const DischargeGap& gap : f.Gaps)
        gapMs += gap.LengthMs;
    QString withheld = QString::fromStdString(f.Withheld);
    if (withheld.isEmpty() && !f.Complete)
        withheld = discharge.Ongoing ? QStringLiteral("still discharging") : QStringLiteral("the end voltage was not reached");
    else if (withheld.isEmpty() && !f.PercentOfRated)
        withheld = QStringLiteral("no rated capacity");
    const QString none = QStringLiteral("\u2013");
    return {
        {QStringLiteral("Site"), site},
        {QStringLiteral("Plant MAC"), QString::fromStdString(key.Mac.empty() ? std::string("none") : key.Mac)
                                          + (byMac ? QString() : QStringLiteral(" (not unique: told apart by its port)"))},
        {QStringLiteral("Port"), QString::fromStdString(port)},
        {QStringLiteral("Kind"), KindText(discharge.Kind)},
        {QStringLiteral("Battery type"), basis.FirstType ? QStringLiteral("M12V90FT") : QStringLiteral("M12V155FT")},
        {QStringLiteral("Strings"), QString::number(basis.Strings)},
        {QStringLiteral("Rated Ah"), rated > 0 ? QString::number(rated) : none},
        {QStringLiteral("Start"), IsoLocalTime(f.StartMs)},
        {QStringLiteral("End"), IsoLocalTime(f.EndMs)},
        {QStringLiteral("Duration"), Duration(f.DurationMs)},
        {QStringLiteral("Mean current A"), hours > 0 ? Fixed(f.AmpHours / hours, 1) : none},
        {QStringLiteral("Rate"), f.Complete && hours > 0 ? QStringLiteral("C/%1").arg(Fixed(hours, 1))
                                                         : QStringLiteral("\u2013 (end voltage not reached)")},
        {QStringLiteral("Start V"), Fixed(f.StartVolt, 1)},
        {QStringLiteral("End V"), Fixed(f.EndVolt, 1)},
        {QStringLiteral("End voltage used"), Fixed(basis.EndVolt, 1) + QStringLiteral(" V")},
        {QStringLiteral("Block end V"), blocks.join(QStringLiteral(", "))},
        {QStringLiteral("Lowest block"), QStringLiteral("%1 V, block %2").arg(Fixed(f.LowestBlockVolt, 1)).arg(f.LowestBlock + 1)},
        {QStringLiteral("Mean temp \u00b0C"), f.TempAbsent && !f.TempEntered ? QStringLiteral("no sensor")
                                             : Fixed(f.MeanTemp, 1) + (f.TempEntered ? QStringLiteral(" entered") : QStringLiteral(" measured"))},
        {QStringLiteral("\u03bb"), QString::number(lambda)},
        {QStringLiteral("Correction factor"),
         f.C25 ? Fixed(1 / (1 + lambda * (f.MeanTemp - 25)), 3) : QStringLiteral("not applied")},
        {QStringLiteral("Ah"), Fixed(f.AmpHours, 1)},
        {QStringLiteral("C25 Ah"), f.C25 ? Fixed(*f.C25, 1) : none},
        {QStringLiteral("% of rated"), f.PercentOfRated ? Fixed(*f.PercentOfRated, 1) : none},
        {QStringLiteral("Verdict"), f.Verdict ? VerdictText(f.Verdict) : none},
        {QStringLiteral("No verdict because"), f.Verdict ? QString() : withheld},
        {QStringLiteral("Gaps"), f.Gaps.empty() ? QStringLiteral("none")
                                                : QStringLiteral("%1, %2 s in all, %3")
                                                      .arg(f.Gaps.size())
                                                      .arg(gapMs / 1000)
                                                      .arg(f.Interrupted ? QStringLiteral("not bridged") : QStringLiteral("bridged"))},
        {QStringLiteral("State"), StateText(discharge)},
        {QStringLiteral("Console version"), QStringLiteral(ZELT_VERSION)},
    };
}

QByteArray SummaryCsv(const std::vector<ReportField>& fields)
{
    QStringList titles;
    QStringList texts;
    for (const ReportField& field : fields) {
        titles.append(field.Title);
        texts.append(field.Text);
    }
    return CsvRow(titles) + CsvRow(texts);
}

QByteArray ReportPdf(const std::vector<ReportField>& fields, const std::vector<TrendSample>& samples)
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
        font.setPointSize(14);
        font.setBold(true);
        painter.setFont(font);
        qreal y = painter.fontMetrics().ascent();
        painter.drawText(QPointF(0, y), QStringLiteral("Discharge report"));
        y += painter.fontMetrics().descent() + painter.fontMetrics().lineSpacing() / 2;
        font.setPointSize(9);
        font.setBold(false);
        painter.setFont(font);
        y = DrawFields(painter, fields, QRectF(0, y, width, 0));

        // The chart is laid out at screen size and scaled onto the page.
        QGraphicsScene scene;
        QChart* chart = NewDischargeChart(samples);
        scene.addItem(chart);
        const QSizeF chartSize(720, 330);
        chart->resize(chartSize);
        const QRectF chartArea(0, y, width, width * chartSize.height() / chartSize.width());
        scene.render(&painter, chartArea, QRectF(QPointF(0, 0), chartSize));
        y = chartArea.bottom() + 2 * painter.fontMetrics().lineSpacing();

        // Lines to sign on.
        const qreal third = width / 3;
        const QString lines[] = {QStringLiteral("Tested by"), QStringLiteral("Signature"), QStringLiteral("Date")};
        for (int i = 0; i < 3; ++i) {
            const qreal left = i * third;
            painter.drawLine(QPointF(left, y), QPointF(left + third - 20, y));
            painter.drawText(QPointF(left, y + painter.fontMetrics().lineSpacing()), lines[i]);
        }
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

QStringList SaveCsvReport(const QString& folder, const QString& site, const std::string& plant,
                          const FoundDischarge& discharge, const std::vector<TrendSample>& samples)
{
    const QString samplesPath = ReportPath(folder, plant, discharge, QStringLiteral(".csv"));
    const QString summaryPath = ReportPath(folder, plant, discharge, QStringLiteral("-summary.csv"));
    SaveFileWhole(samplesPath, SamplesCsv(samples));
    try {
        SaveFileWhole(summaryPath, SummaryCsv(ReportFields(site, plant, discharge, samples)));
    } catch (...) {
        // The two belong together: no samples without their summary.
        QFile::remove(samplesPath);
        throw;
    }
    return {samplesPath, summaryPath};
}

QString SavePdfReport(const QString& folder, const QString& site, const std::string& plant,
                      const FoundDischarge& discharge, const std::vector<TrendSample>& samples)
{
    const QString path = ReportPath(folder, plant, discharge, QStringLiteral(".pdf"));
    SaveFileWhole(path, ReportPdf(ReportFields(site, plant, discharge, samples), samples));
    return path;
}

} // namespace zelt
