#include "app/ResultLine.h"

namespace zelt {

namespace {

// The time format without its time-zone fields ("t" outside quoted text) and
// the blanks they leave behind.
QString WithoutTimeZone(const QString& format)
{
    QString kept;
    bool quoted = false;
    for (const QChar c : format) {
        if (c == QLatin1Char('\''))
            quoted = !quoted;
        else if (!quoted && c == QLatin1Char('t'))
            continue;
        kept += c;
    }
    return kept.trimmed().replace(QStringLiteral("  "), QStringLiteral(" "));
}

} // namespace

QString ResultLine(const QString& text, const QDateTime& when, const QLocale& locale)
{
    return text + locale.toString(when.date(), QLocale::ShortFormat) + QLatin1Char(' ')
        + locale.toString(when.time(), WithoutTimeZone(locale.timeFormat(QLocale::LongFormat)));
}

} // namespace zelt
