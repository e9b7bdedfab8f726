// The history window's controls and the acronym list, read back from the
// widgets; the open dialog with a text editor of the test's own.

#include "FakeDesktop.h"
#include "HistoryFixture.h"

#include "common/EventLoop.h"
#include "history/HistoryRecord.h"

#include <QApplication>
#include <QFileDialog>
#include <QHeaderView>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTemporaryDir>
#include <QKeyEvent>
#include <QTimer>
#include <QToolButton>

using namespace zelt;
using namespace zelt::test;

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

// Enter in the file name field is no click on a button of the strip.
TEST_F(HistoryFixture, EnterInTheWindowOpensNoAcronymList)
{
    window->show();
    window->edtFileName()->setFocus();
    QKeyEvent enter(QEvent::KeyPress, Qt::Key_Return, Qt::NoModifier);
    QApplication::sendEvent(window->edtFileName(), &enter);
    EXPECT_FALSE(list.isVisible());
    EXPECT_TRUE(window->isVisible());
}

// The picked file goes to the program registered for text/plain only when
// it is plain text by name and by content; anything else, typed past the
// filter, gets a message and no program.
TEST_F(HistoryFixture, OpenFileStartsTheTextEditorOnPlainTextOnly)
{
    const FakeDesktop desktop(false);
    const QString opened = desktop.Path(QStringLiteral("opened"));
    desktop.Write(QStringLiteral("bin/editor"), "#!/bin/sh\necho \"$@\" >> '" + opened.toLocal8Bit() + "'\n");
    QFile::setPermissions(desktop.Path(QStringLiteral("bin/editor")), QFile::ReadOwner | QFile::ExeOwner);
    desktop.Write(QStringLiteral("config/mimeapps.list"), "[Default Applications]\ntext/plain=zelt-test-editor.desktop\n");
    desktop.Write(QStringLiteral("data/applications/zelt-test-editor.desktop"),
                  "[Desktop Entry]\nType=Application\nExec=" + desktop.Path(QStringLiteral("bin/editor")).toLocal8Bit()
                      + " --view %f\n");

    auto* dialog = window->findChild<QFileDialog*>(QStringLiteral("OpenDialog1"));
    ASSERT_EQ(dialog, window->OpenDialog1());
    EXPECT_EQ(dialog->defaultSuffix(), QStringLiteral("TXT"));
    // The dialog drops the filter's leading blank.
    EXPECT_EQ(dialog->nameFilters(), QStringList{QStringLiteral("데이터 파일 (*.txt)")});
    // The name typed into the dialog's name field, past the filter.
    auto pick = [&](const QString& path) {
        QTimer::singleShot(0, [&, path] {
            dialog->findChild<QLineEdit*>(QStringLiteral("fileNameEdit"))->setText(path);
            static_cast<QDialog*>(dialog)->accept();
        });
        window->findChild<QAbstractButton*>(QStringLiteral("bbtFileOpen"))->click();
    };
    const std::pair<const char*, QByteArray> refused[] = {
        {"launcher.desktop", "[Desktop Entry]\nType=Application\nExec=touch /tmp/x\n"},
        {"entry.txt", "[Desktop Entry]\nType=Application\nExec=touch /tmp/x\n"},
        {"run.sh", "#!/bin/sh\necho x\n"},
        {"script.txt", "#!/bin/sh\necho x\n"},
        {"tool.py", "#!/usr/bin/python3\nprint(1)\n"},
        {"page.txt", "<html><body>x</body></html>\n"},
    };
    // All in place before the dialog first reads the folder.
    for (const auto& [name, content] : refused)
        desktop.Write(QString::fromLatin1(name), content);
    desktop.Write(QStringLiteral("log.txt"), "2026/01/30 23:59:07 AF\n");
    for (const auto& [name, content] : refused) {
        SCOPED_TRACE(name);
        messages.clear();
        pick(desktop.Path(QString::fromLatin1(name)));
        ASSERT_EQ(messages.size(), 1u);
        EXPECT_EQ(messages[0].kind, MessageKind::Warning);
        EXPECT_EQ(messages[0].text, QStringLiteral("Only plain text files can be opened."));
        EXPECT_EQ(messages[0].detail, desktop.Path(QString::fromLatin1(name)));
    }
    messages.clear();
    pick(desktop.Path(QStringLiteral("log.txt")));
    QTimer::singleShot(0, [&] { dialog->reject(); });
    window->findChild<QAbstractButton*>(QStringLiteral("bbtFileOpen"))->click();
    EXPECT_TRUE(messages.empty());

    QFile log(opened);
    ASSERT_TRUE(WaitUntil([&] { return log.exists() && log.size() > 0; }, 5000));
    Pump(200);
    ASSERT_TRUE(log.open(QIODevice::ReadOnly));
    EXPECT_EQ(log.readAll(), "--view " + desktop.Path(QStringLiteral("log.txt")).toLocal8Bit() + "\n");
}


// Cells just outside the grid read as empty and ignore writes; the edge
// cells inside take them.
TEST(StringGrid, WritesOutsideTheGridAreIgnored)
{
    TStringGrid grid(3, 4);
    const std::pair<int, int> outside[] = {{-1, 0}, {0, -1}, {3, 0}, {0, 4}, {3, 1}, {1, 4}};
    for (const auto& [col, row] : outside) {
        grid.SetCell(col, row, QStringLiteral("x"));
        EXPECT_TRUE(grid.Cell(col, row).isEmpty()) << col << "," << row;
    }
    const std::pair<int, int> edges[] = {{0, 0}, {2, 0}, {0, 3}, {2, 3}};
    for (const auto& [col, row] : edges) {
        grid.SetCell(col, row, QStringLiteral("e"));
        EXPECT_EQ(grid.Cell(col, row), QStringLiteral("e")) << col << "," << row;
    }
}
