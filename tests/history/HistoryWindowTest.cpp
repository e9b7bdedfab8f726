// The history window's controls and the acronym list, read back from the
// widgets; the open dialog with the desktop's handler for files observed.

#include "HistoryFixture.h"

#include "history/HistoryRecord.h"

#include <QApplication>
#include <QDesktopServices>
#include <QFileDialog>
#include <QHeaderView>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTimer>
#include <QToolButton>
#include <QUrl>

using namespace zelt;
using namespace zelt::test;

namespace {

// Receives what the desktop would open.
class UrlCatcher : public QObject {
    Q_OBJECT
public:
    QList<QUrl> opened;
public slots:
    void open(const QUrl& url) { opened.append(url); }
};

} // namespace

TEST_F(HistoryFixture, WindowLayout)
{
    window->show();
    EXPECT_EQ(window->windowTitle(), QStringLiteral("History Data"));
    EXPECT_FALSE(window->windowFlags() & Qt::WindowCloseButtonHint);
    TStringGrid& grid = window->Grid();
    EXPECT_EQ(grid.objectName(), QStringLiteral("StringGrid1"));
    EXPECT_EQ(grid.ColCount(), 36);
    EXPECT_EQ(grid.RowCount(), 201);
    EXPECT_TRUE(grid.font().bold());
    EXPECT_EQ(grid.font().pointSize(), 8);
    EXPECT_EQ(grid.verticalHeader()->defaultSectionSize(), 20);
    for (int c = 0; c < 36; ++c)
        EXPECT_EQ(grid.Cell(c, 0), QString::fromLatin1(HistoryColumnTable[static_cast<std::size_t>(c)].title)) << c;
    EXPECT_EQ(grid.Cell(19, 0), QStringLiteral("U1/U2/U3/U4"));
    // The design widths at least; wider where the platform's font needs it.
    for (int c = 1; c < 36; ++c)
        EXPECT_GE(grid.columnWidth(c - 1), HistoryColumnTable[static_cast<std::size_t>(c)].width) << c;
    EXPECT_GE(grid.verticalHeader()->width(), 30);
    const std::pair<const char*, const char*> hints[] = {{"bbtFileSave", "Save File"}, {"bbtFileOpen", "Open File"},
                                                         {"bbtReqStop", "Stop Request "}, {"bbtNewInfo", "New Request"},
                                                         {"bbtClose", "Close"}, {"BitBtn2", "Close"}};
    for (const auto& [name, hint] : hints)
        EXPECT_EQ(window->findChild<QAbstractButton*>(QString::fromLatin1(name))->toolTip(), QString::fromLatin1(hint));
    EXPECT_TRUE(window->findChild<QToolButton*>(QStringLiteral("bbtClose"))->text().isEmpty());
    EXPECT_EQ(window->findChild<QPushButton*>(QStringLiteral("BitBtn2"))->text(), QStringLiteral("Acronyms"));
    EXPECT_EQ(Buttons(), Running);
}

TEST_F(HistoryFixture, AcronymsShowsTheListExactly)
{
    window->findChild<QAbstractButton*>(QStringLiteral("BitBtn2"))->click();
    EXPECT_TRUE(list.isVisible());
    EXPECT_EQ(list.windowTitle(), QStringLiteral("LIST"));
    const QPlainTextEdit* memo = list.Memo1();
    EXPECT_TRUE(memo->isReadOnly());
    EXPECT_EQ(memo->palette().color(QPalette::Base), QColor(255, 255, 225));
    const QStringList lines = memo->toPlainText().split(QLatin1Char('\n'));
    ASSERT_EQ(lines.size(), 41);
    EXPECT_EQ(lines[0], QStringLiteral("        ( Measurement List )"));
    EXPECT_EQ(lines[1], QString());
    EXPECT_EQ(lines[3], QStringLiteral(" LC(A)  : DC Load Current"));
    EXPECT_EQ(lines[16], QStringLiteral(" BE :  Battery Low Voltage"));
    EXPECT_EQ(lines[22], QStringLiteral(" DN : DC Breaker Open "));
    EXPECT_EQ(lines[29], QStringLiteral(" CMU : Alarm B'd Communication Fail"));
    EXPECT_EQ(lines[31], QStringLiteral(" cfg : Shelf Configuration Fail"));
    EXPECT_EQ(lines[38], QString());
    EXPECT_EQ(lines[40], QStringLiteral("       "));
}

TEST_F(HistoryFixture, OpenFileHandsThePickedFileToTheDesktopAndCancelDoesNothing)
{
    UrlCatcher catcher;
    QDesktopServices::setUrlHandler(QStringLiteral("file"), &catcher, "open");
    QFileDialog* dialog = window->OpenDialog1();
    EXPECT_EQ(dialog->defaultSuffix(), QStringLiteral("TXT"));
    // The dialog drops the filter's leading blank.
    EXPECT_EQ(dialog->nameFilters(), QStringList{QStringLiteral("데이터 파일 (*.txt)")});

    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("log.txt"));
    QFile(path).open(QIODevice::WriteOnly);
    QTimer::singleShot(0, [&] {
        dialog->selectFile(path);
        static_cast<QDialog*>(dialog)->accept();
    });
    window->findChild<QAbstractButton*>(QStringLiteral("bbtFileOpen"))->click();
    QTimer::singleShot(0, [&] { dialog->reject(); });
    window->findChild<QAbstractButton*>(QStringLiteral("bbtFileOpen"))->click();
    QDesktopServices::unsetUrlHandler(QStringLiteral("file"));
    EXPECT_EQ(catcher.opened, QList<QUrl>{QUrl::fromLocalFile(path)});
}

#include "HistoryWindowTest.moc"
