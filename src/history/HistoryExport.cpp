#include "history/HistoryExport.h"

#include "protocol/FieldText.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QRegularExpression>
#include <QSaveFile>
#include <QStandardPaths>

#include <stdexcept>

namespace zelt {

namespace {

constexpr int DateColumn = 1;
constexpr int TimeColumn = 2;
constexpr int OrdColumn = 0;

// Columns a text takes: East Asian wide characters count twice.
int TextWidth(const QString& text)
{
    int width = 0;
    for (const QChar c : text) {
        const char16_t u = c.unicode();
        const bool wide = (u >= 0x1100 && u <= 0x115F) || (u >= 0x2E80 && u <= 0xA4CF) || (u >= 0xAC00 && u <= 0xD7A3)
                       || (u >= 0xF900 && u <= 0xFAFF) || (u >= 0xFF00 && u <= 0xFF60);
        width += wide ? 2 : 1;
    }
    return width;
}

std::optional<double> SheetNumber(const QString& text)
{
    static const QRegularExpression digits(QStringLiteral("^-?\\d{1,9}$"));
    if (!digits.match(text).hasMatch())
        return std::nullopt;
    return text.toDouble();
}

} // namespace

std::optional<double> SheetDate(const QString& text)
{
    static const QRegularExpression pattern(QStringLiteral("^(\\d{4})/(\\d{2})/(\\d{2})$"));
    const QRegularExpressionMatch m = pattern.match(text);
    if (!m.hasMatch())
        return std::nullopt;
    const QDate date(m.captured(1).toInt(), m.captured(2).toInt(), m.captured(3).toInt());
    // Day numbers before March 1900 disagree with the 1900 leap year the format assumes.
    if (!date.isValid() || date < QDate(1900, 3, 1))
        return std::nullopt;
    return static_cast<double>(QDate(1899, 12, 30).daysTo(date));
}

std::optional<double> SheetTime(const QString& text)
{
    static const QRegularExpression pattern(QStringLiteral("^(\\d{2}):(\\d{2}):(\\d{2})$"));
    const QRegularExpressionMatch m = pattern.match(text);
    if (!m.hasMatch())
        return std::nullopt;
    const QTime time(m.captured(1).toInt(), m.captured(2).toInt(), m.captured(3).toInt());
    if (!time.isValid())
        return std::nullopt;
    return time.msecsSinceStartOfDay() / 86400000.0;
}

XlsSheet HistorySheet(const std::function<QString(int col, int row)>& cell, int columns, int historyRow)
{
    XlsSheet sheet(QStringLiteral("Sheet1"));
    const XlsSheet::Format dateFormat = sheet.AddNumberFormat(QString::fromLatin1(DateFormatCode));
    const XlsSheet::Format timeFormat = sheet.AddNumberFormat(QString::fromLatin1(TimeFormatCode));
    std::vector<int> widths(static_cast<std::size_t>(columns), 0);
    for (int r = 0; r <= historyRow + 1; ++r) {
        const int sheetRow = r + 1;
        for (int c = 0; c < columns; ++c) {
            const QString text = cell(c, r);
            widths[static_cast<std::size_t>(c)] = std::max(widths[static_cast<std::size_t>(c)], TextWidth(text));
            const bool record = r >= 1;
            const XlsSheet::Format format = record && c == DateColumn ? dateFormat : 0;
            std::optional<double> number;
            if (record && c == DateColumn)
                number = SheetDate(text);
            else if (record && c == TimeColumn)
                number = SheetTime(text);
            else if (record && c == OrdColumn)
                number = SheetNumber(text);
            if (number)
                sheet.SetNumber(sheetRow, c, *number, c == TimeColumn ? timeFormat : format);
            else if (!text.isEmpty())
                sheet.SetText(sheetRow, c, text, format);
            else if (format != 0)
                sheet.SetBlank(sheetRow, c, format);
        }
    }
    for (int c = 0; c < columns; ++c)
        sheet.SetColumnWidth(c, (widths[static_cast<std::size_t>(c)] + 1) * 256);
    sheet.SetText(0, 0, QString::fromLatin1(HistorySheetTitle));
    return sheet;
}

QString HistoryFileName(const QTime& now)
{
    return QStringLiteral("ZELT(") + QString::fromStdString(ZeroFill(now.hour(), 2) + ZeroFill(now.minute(), 2))
         + QStringLiteral(").xls");
}

bool IsSystemFolder(const QString& folder, const QString& installPrefix)
{
    const QString path = QDir::cleanPath(folder);
    for (const QString& root : {QStringLiteral("/usr"), QStringLiteral("/opt"), QDir::cleanPath(installPrefix)}) {
        if (root.isEmpty() || root == QLatin1String("/"))
            continue;
        if (path == root || path.startsWith(root + QLatin1Char('/')))
            return true;
    }
    return false;
}

QString HistoryExportFolder()
{
    // An installed program's folder belongs to its package, even when the
    // operator runs it as root: the export must not land among its files.
    const QString program = QCoreApplication::applicationDirPath();
    if (!IsSystemFolder(program, QStringLiteral(ZELT_INSTALL_PREFIX)) && QFileInfo(program).isWritable())
        return program;
    return QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation);
}

QString SaveHistoryWorkbook(const XlsSheet& sheet, const QString& folder, const QTime& now)
{
    const QByteArray bytes = XlsWorkbookBytes(sheet);
    if (!QDir().mkpath(folder))
        throw std::runtime_error(("Cannot create the folder " + QDir::toNativeSeparators(folder)).toStdString());
    const QString path = QDir(folder).filePath(HistoryFileName(now));
    SaveFileWhole(path, bytes);
    return path;
}

void SaveFileWhole(const QString& path, const QByteArray& bytes)
{
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size() || !file.commit())
        throw std::runtime_error((QDir::toNativeSeparators(path) + QStringLiteral(": ") + file.errorString()).toStdString());
}

} // namespace zelt
