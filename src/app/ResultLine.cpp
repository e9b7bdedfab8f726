#include "app/ResultLine.h"

#include <QLocale>

namespace zelt {

QString ResultLine(const QString& text, const QDateTime& when)
{
    const QLocale locale = QLocale::system();
    return text + locale.toString(when.date(), QLocale::ShortFormat) + QLatin1Char(' ')
        + locale.toString(when.time(), QLocale::LongFormat);
}

} // namespace zelt
