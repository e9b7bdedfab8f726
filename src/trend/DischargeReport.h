#pragma once

// The texts and files of a discharge report: the figures as the discharge
// list shows them, the samples as CSV (RFC 4180, CRLF line ends, UTF-8), and
// the report a technician signs: a one-row summary CSV and a one-page A4 PDF
// with the site, the plant, the basis, every figure or why it was withheld,
// the chart and lines to sign. Files are named
// discharge-<plant>-<yyyymmdd-hhmm> after the plant and the local start time,
// and written whole or not at all.

#include "trend/DischargeScan.h"
#include "trend/TrendSample.h"

#include <QByteArray>
#include <QString>
#include <QStringList>

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace zelt {

QString KindText(DischargeKind kind);
// "good", "degraded", "low"; empty for none.
QString VerdictText(const std::optional<std::int32_t>& verdict);

// Local time with its offset from UTC: 2026-06-01T10:00:00+02:00.
QString IsoLocalTime(std::int64_t ms);

// A CSV field, quoted when it holds a comma, a quote or a line break.
QString CsvField(const QString& text);

// The columns of the discharge list, and one discharge's values for them.
QStringList SummaryTitles();
QStringList SummaryTexts(const FoundDischarge& discharge);

// What the report says of one discharge of the plant at the site, measured
// from samples (its own): each field's title and text.
struct ReportField {
    QString Title;
    QString Text;
};
std::vector<ReportField> ReportFields(const QString& site, const std::string& plant, const FoundDischarge& discharge,
                                      const std::vector<TrendSample>& samples);

QByteArray SamplesCsv(const std::vector<TrendSample>& samples);
QByteArray SummaryCsv(const std::vector<ReportField>& fields);
QByteArray ReportPdf(const std::vector<ReportField>& fields, const std::vector<TrendSample>& samples);

// The plant with everything but letters, digits, '.', '-' and '_' replaced by '_'.
QString FileNamePlant(const std::string& plant);
// discharge-<plant>-<yyyymmdd-hhmm>, without an extension.
QString ReportBaseName(const std::string& plant, std::int64_t startMs);

// Writes <base>.csv and <base>-summary.csv into folder, both or neither;
// returns their paths. Throws std::runtime_error with the reason.
QStringList SaveCsvReport(const QString& folder, const QString& site, const std::string& plant, const FoundDischarge& discharge,
                          const std::vector<TrendSample>& samples);
// Writes <base>.pdf into folder; returns its path. Throws as above.
QString SavePdfReport(const QString& folder, const QString& site, const std::string& plant, const FoundDischarge& discharge,
                      const std::vector<TrendSample>& samples);

} // namespace zelt
