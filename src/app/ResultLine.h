#pragma once

#include <QDateTime>
#include <QLocale>
#include <QString>

namespace zelt {

// A result log line: the text followed directly by the local date in the
// locale's short date format, a blank, and the time with seconds in its long
// time format without the time zone.
QString ResultLine(const QString& text, const QDateTime& when, const QLocale& locale = QLocale::system());

} // namespace zelt
