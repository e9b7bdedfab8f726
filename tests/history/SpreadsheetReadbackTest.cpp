// The history workbook opened by a real spreadsheet program: LibreOffice
// converts it to CSV, and every cell it shows must be the grid's text. Dates
// span the whole range a controller's clock can hold and beyond, so the day
// numbers, the 1900 leap-year rule and the date format are checked as a
// spreadsheet reads them, not as our own reader does.

#include "history/HistoryExport.h"
#include "history/XlsWorkbook.h"

#include <QDate>
#include <QFile>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>

#include <gtest/gtest.h>

using namespace zelt;

namespace {

struct GridRow {
    QString number, date, time;
};

// The first and last day of every year from 1900 to 2099, with the leap
// days and the day after them; 1900's February stays text.
std::vector<GridRow> DatesFrom1900To2099()
{
    std::vector<GridRow> rows;
    auto add = [&rows](const QDate& date) {
        const int n = static_cast<int>(rows.size()) + 1;
        const QTime time = QTime(0, 0).addSecs((n * 7919) % 86400);
        rows.push_back({QString::number(n), date.toString(QStringLiteral("yyyy/MM/dd")),
                        time.toString(QStringLiteral("HH:mm:ss"))});
    };
    for (int year = 1900; year <= 2099; ++year) {
        add(QDate(year, 1, 1));
        if (QDate::isLeapYear(year))
            add(QDate(year, 2, 29));
        add(QDate(year, 3, 1));
        add(QDate(year, 12, 31));
    }
    rows.push_back({QStringLiteral("9999"), QStringLiteral("1900/02/29"), QStringLiteral("23:59:59")});
    return rows;
}

QStringList CsvRows(const QString& csvPath)
{
    QFile file(csvPath);
    if (!file.open(QIODevice::ReadOnly))
        return {};
    QStringList rows = QString::fromUtf8(file.readAll()).split(QLatin1Char('\n'));
    while (!rows.isEmpty() && rows.last().isEmpty())
        rows.removeLast();
    return rows;
}

} // namespace

TEST(SpreadsheetReadback, LibreOfficeShowsEveryDateTimeAndNumberAsTheGrid)
{
    const QString soffice = QStandardPaths::findExecutable(QStringLiteral("soffice"));
    ASSERT_FALSE(soffice.isEmpty()) << "LibreOffice (libreoffice-calc-nogui) is not installed";

    const std::vector<GridRow> rows = DatesFrom1900To2099();
    const QStringList titles {QStringLiteral("NO"), QStringLiteral("DATE"), QStringLiteral("TIME")};
    const auto cell = [&](int col, int row) -> QString {
        if (row == 0)
            return titles[col];
        if (row > static_cast<int>(rows.size()))
            return {};
        const GridRow& r = rows[static_cast<std::size_t>(row - 1)];
        return col == 0 ? r.number : col == 1 ? r.date : r.time;
    };
    QTemporaryDir dir;
    const QString path = SaveHistoryWorkbook(HistorySheet(cell, 3, static_cast<int>(rows.size())), dir.path(), QTime(8, 0));

    QProcess convert;
    convert.start(soffice, {QStringLiteral("-env:UserInstallation=file://") + dir.filePath(QStringLiteral("profile")),
                            QStringLiteral("--headless"), QStringLiteral("--convert-to"),
                            QStringLiteral("csv:Text - txt - csv (StarCalc):44,34,76"), QStringLiteral("--outdir"),
                            dir.path(), path});
    ASSERT_TRUE(convert.waitForFinished(180000)) << "LibreOffice did not finish";
    const QStringList csv = CsvRows(dir.filePath(QStringLiteral("ZELT(0800).csv")));
    ASSERT_EQ(csv.size(), static_cast<qsizetype>(rows.size()) + 2) << convert.readAllStandardError().toStdString();

    EXPECT_EQ(csv[0], QStringLiteral("ZELT-6380 Alarm Data,,"));
    EXPECT_EQ(csv[1], titles.join(QLatin1Char(',')));
    for (std::size_t i = 0; i < rows.size(); ++i) {
        const GridRow& r = rows[i];
        EXPECT_EQ(csv[static_cast<qsizetype>(i) + 2], r.number + QLatin1Char(',') + r.date + QLatin1Char(',') + r.time);
    }
}
