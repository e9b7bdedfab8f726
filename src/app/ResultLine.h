#pragma once

#include <QDateTime>
#include <QString>

namespace zelt {

// A result log line: the text followed directly by the local date and time
// in the system locale's short date and long time format.
QString ResultLine(const QString& text, const QDateTime& when);

} // namespace zelt
