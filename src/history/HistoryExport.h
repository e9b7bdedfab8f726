#pragma once

// The history grid as a spreadsheet file: title in A1, the grid's title row
// in row 2, then the grid rows 1 to HistoryRow + 1. Dates, times and record
// numbers become numbers, as a spreadsheet makes of them when they are typed
// in; every other cell keeps the grid's text.

#include "history/XlsWorkbook.h"

#include <QDate>
#include <QString>
#include <QTime>

#include <functional>
#include <optional>

namespace zelt {

class TStringGrid;

inline constexpr const char* HistorySheetTitle = "ZELT-6380 Alarm Data";
inline constexpr const char* DateFormatCode = "yyyy/mm/dd";
inline constexpr const char* TimeFormatCode = "hh:mm:ss";

// "yyyy/mm/dd" as a spreadsheet day number (days since 1899-12-30); none for another text.
std::optional<double> SheetDate(const QString& text);
// "hh:mm:ss" as a fraction of a day; none for another text.
std::optional<double> SheetTime(const QString& text);

// The sheet of grid rows 0 to historyRow + 1; the columns fitted to the
// longest text of each.
XlsSheet HistorySheet(const std::function<QString(int col, int row)>& cell, int columns, int historyRow);

// "ZELT(hhmm).xls" for the time of the export.
QString HistoryFileName(const QTime& now);

// True for a folder that packages install into: /usr, /opt, the install
// prefix, or a folder under one of them.
bool IsSystemFolder(const QString& folder, const QString& installPrefix);

// The program's folder when it is a copy of the operator's own (not in a
// system folder) and writable; otherwise the user's documents folder.
QString HistoryExportFolder();

// Writes bytes to path through a temporary file beside it, renamed over the
// name once complete on disk: a failure leaves no half-written file. Throws
// std::runtime_error with the path and the system's reason.
void SaveFileWhole(const QString& path, const QByteArray& bytes);

// Writes the workbook into folder under the name of now, through a temporary
// file renamed over the final name once it is complete on disk. Returns the
// full path; throws std::runtime_error with the system's reason.
QString SaveHistoryWorkbook(const XlsSheet& sheet, const QString& folder, const QTime& now);

} // namespace zelt
