// The export read back by xlrd: title, title row, records with real dates,
// times and numbers, the date format, the row count; the writer with texts
// of every length; failures shown as the one warning.

#include "HistoryFixture.h"
#include "XlsReader.h"

#include "history/HistoryExport.h"
#include "history/XlsWorkbook.h"

#include <QCoreApplication>
#include <QFile>
#include <QLineEdit>
#include <QRandomGenerator>
#include <QTemporaryDir>

#include <tuple>

using namespace zelt;
using namespace zelt::test;

TEST_F(HistoryFixture, ExportAfterThreeRecordsWritesTheGridAsTheSheet)
{
    StartDownload();
    for (int n = 1; n <= 3; ++n) {
        HRecord r;
        r.number = HNumber(n);
        r.status = n == 3 ? "8" : "0";
        r.time = "0" + std::to_string(n) + "0509";
        r.alarms = n == 2 ? "1F00F000" : "00000000";
        Answer(r);
    }
    ASSERT_EQ(download.HistoryRow, 3);
    QTemporaryDir dir;
    window->SaveFile(dir.path(), QTime(9, 5));
    const QString path = dir.filePath(QStringLiteral("ZELT(0905).xls"));
    EXPECT_EQ(window->edtFileName()->text(), QDir::toNativeSeparators(path));
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files), QStringList{QStringLiteral("ZELT(0905).xls")});

    const XlsContent xls = ReadXls(path);
    ASSERT_TRUE(xls.error.isEmpty()) << xls.error.toStdString();
    EXPECT_EQ(xls.sheets, 1);
    EXPECT_EQ(xls.rows, 3 + 3); // title, title row, three records, one empty row
    EXPECT_EQ(xls.columns, 36);
    EXPECT_EQ(xls.At(0, 0).text, QStringLiteral("ZELT-6380 Alarm Data"));
    for (int r = 0; r <= 4; ++r) {
        for (int c = 0; c < 36; ++c) {
            const XlsCell& cell = xls.At(r + 1, c);
            EXPECT_EQ(cell.text, Cell(c, r)) << "row " << r << " column " << c;
            const int type = Cell(c, r).isEmpty() ? (c == 1 && r >= 1 ? 6 : 0)
                           : r == 0              ? 1
                           : c == 0              ? 2
                           : c <= 2              ? 3
                                                 : 1;
            EXPECT_EQ(cell.type, type) << "row " << r << " column " << c;
        }
    }
    for (int r = 2; r <= 5; ++r)
        EXPECT_EQ(xls.At(r, 1).format, QStringLiteral("yyyy/mm/dd")) << r;
    EXPECT_EQ(xls.At(2, 2).format, QStringLiteral("hh:mm:ss"));
    EXPECT_EQ(xls.At(2, 2).text, QStringLiteral("01:05:09"));
    // Fitted to the longest text: the date column is wider than an F/N column.
    EXPECT_GT(xls.widths[QStringLiteral("1")].toInt(), xls.widths[QStringLiteral("11")].toInt());
    EXPECT_EQ(messages.size(), 1u); // the last record's message only
    // The sheet opens at A1, with grid lines.
    EXPECT_EQ(xls.view, (QJsonArray{0, 0, 1}));
    // Arial 10 pt, normal weight, automatic colour, plain.
    EXPECT_EQ(xls.font, (QJsonArray{QStringLiteral("Arial"), 200, 400, 0x7FFF, 0, 0}));
    // General alignment at the bottom, upright.
    EXPECT_EQ(xls.align, (QJsonArray{0, 2, 0}));
    EXPECT_EQ(xls.dimensions, (QJsonArray{0, xls.rows, 0, xls.columns}));
}

TEST_F(HistoryFixture, AnExportThatCannotBeWrittenShowsTheWarningWithTheReason)
{
    QTemporaryDir dir;
    QFile blocker(dir.filePath(QStringLiteral("file")));
    ASSERT_TRUE(blocker.open(QIODevice::WriteOnly));
    blocker.close();
    window->SaveFile(dir.filePath(QStringLiteral("file/sub")), QTime(23, 59));
    ASSERT_EQ(messages.size(), 1u);
    EXPECT_EQ(messages[0].kind, MessageKind::Warning);
    EXPECT_EQ(messages[0].text, QStringLiteral("Excel이 설치되어 있지 않습니다."));
    EXPECT_FALSE(messages[0].detail.isEmpty());
    EXPECT_TRUE(window->edtFileName()->text().isEmpty());
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files), QStringList{QStringLiteral("file")});
}

TEST(HistoryExport, FileNamesAndSheetNumbers)
{
    EXPECT_EQ(HistoryFileName(QTime(9, 5)), QStringLiteral("ZELT(0905).xls"));
    EXPECT_EQ(HistoryFileName(QTime(23, 59, 59)), QStringLiteral("ZELT(2359).xls"));
    EXPECT_EQ(SheetDate(QStringLiteral("2026/01/30")), 46052.0);
    EXPECT_EQ(SheetDate(QStringLiteral("2026/02/30")), std::nullopt);
    EXPECT_EQ(SheetDate(QStringLiteral("20260130")), std::nullopt);
    EXPECT_EQ(SheetTime(QStringLiteral("12:00:00")), 0.5);
    EXPECT_EQ(SheetTime(QStringLiteral("24:00:00")), std::nullopt);
}

// The export goes beside the program only in a folder of the operator's own.
TEST(HistoryExport, SystemFolders)
{
    const std::tuple<const char*, const char*, bool> cases[] = {
        {"/usr/bin", "/usr/local", true},           {"/usr/local/bin", "/usr/local", true},
        {"/usr", "", true},                         {"/opt/zelt/bin", "/usr/local", true},
        {"/opt", "/usr/local", true},               {"/srv/zelt/bin", "/srv/zelt", true},
        {"/srv/zelt", "/srv/zelt/", true},          {"/srv/zeltx/bin", "/srv/zelt", false},
        {"/usrx/bin", "/usr/local", false},         {"/optional/bin", "/usr/local", false},
        {"/home/op/zelt/build", "/usr/local", false}, {"/home/op/build", "/", false},
        {"/usr/../home/op", "/usr/local", false},
    };
    for (const auto& [folder, prefix, system] : cases)
        EXPECT_EQ(IsSystemFolder(QString::fromLatin1(folder), QString::fromLatin1(prefix)), system)
            << folder << " with prefix " << prefix;
    // The tests run from a build folder of the developer's own.
    EXPECT_EQ(HistoryExportFolder(), QCoreApplication::applicationDirPath());
}

// Random texts of 0 to 255 characters, Hangul and other non-Latin text
// among them, enough of them that the string table needs Continue records.
TEST(XlsWorkbook, EveryTextComesBackWhole)
{
    QRandomGenerator random(42);
    const char16_t alphabet[] = u"abcXYZ 019/:.-~\u00E9\u00FF\uAC00\uD55C\uAE00\u3042\u4E2D";
    const int letters = static_cast<int>(std::size(alphabet)) - 1;
    XlsSheet sheet(QStringLiteral("Sheet1"));
    std::vector<QString> texts;
    for (int i = 0; i < 300; ++i) {
        const int length = i < 256 ? i : random.bounded(256);
        QString text;
        for (int k = 0; k < length; ++k)
            text += QChar(alphabet[random.bounded(letters)]);
        texts.push_back(text);
        sheet.SetText(i / 10, i % 10, text);
    }
    EXPECT_THROW(sheet.SetText(0, 0, QString(256, QLatin1Char('x'))), std::invalid_argument);

    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("t.xls"));
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    const QByteArray bytes = XlsWorkbookBytes(sheet);
    file.write(bytes);
    file.close();
    EXPECT_GT(bytes.size(), 128 * 512); // more sectors than one FAT sector maps
    const XlsContent xls = ReadXls(path);
    ASSERT_TRUE(xls.error.isEmpty()) << xls.error.toStdString();
    ASSERT_EQ(xls.rows, 30);
    EXPECT_EQ(xls.indexFault, QString());
    for (int i = 0; i < 300; ++i)
        EXPECT_EQ(xls.At(i / 10, i % 10).text, texts[static_cast<std::size_t>(i)]) << i;
}

TEST(XlsWorkbook, CellsOutsideTheSheetAreRefused)
{
    struct Case {
        int row, col;
        bool refused;
    };
    const Case cases[] = {{65535, 255, false}, {65536, 0, true}, {0, 256, true}, {-1, 0, true}, {0, -1, true}};
    for (const Case& c : cases) {
        XlsSheet sheet(QStringLiteral("Sheet1"));
        bool refused = false;
        try {
            sheet.SetNumber(c.row, c.col, 1);
        } catch (const std::invalid_argument&) {
            refused = true;
        }
        EXPECT_EQ(refused, c.refused) << c.row << "," << c.col;
    }
}

TEST(XlsWorkbook, ASmallSheetIsPaddedOutOfTheMiniStream)
{
    XlsSheet sheet(QStringLiteral("Sheet1"));
    sheet.SetNumber(0, 0, 1.5);
    const QByteArray bytes = XlsWorkbookBytes(sheet);
    EXPECT_EQ(bytes.size(), 512 + 4096 + 512 + 512); // header, stream, directory, FAT
    QTemporaryDir dir;
    QFile file(dir.filePath(QStringLiteral("s.xls")));
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(bytes);
    file.close();
    const XlsContent xls = ReadXls(file.fileName());
    ASSERT_TRUE(xls.error.isEmpty()) << xls.error.toStdString();
    EXPECT_EQ(xls.At(0, 0).text, QStringLiteral("1.5"));
}
