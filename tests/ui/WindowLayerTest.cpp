#include "ui/Panels.h"
#include "ui/SettingButtons.h"
#include "ui/SettingRow.h"
#include "ui/StandardError.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QMessageBox>
#include <QPushButton>
#include <QTimer>
#include <QWidget>

#include <utility>

#include <gtest/gtest.h>

namespace zelt {
namespace {

// Text from the controller is shown as the characters it is, never as markup.
TEST(WindowLayer, LabelsAndPanelsShowMarkupAsPlainText)
{
    QWidget window;
    QLabel* panel = NewValuePanel(QStringLiteral("pnlCommunity"), 120, 18, &window);
    QLabel* label = NewPlainLabel(QStringLiteral("<b>x</b>"), &window);
    panel->setText(QStringLiteral("<i>pub"));
    EXPECT_EQ(panel->textFormat(), Qt::PlainText);
    EXPECT_EQ(label->textFormat(), Qt::PlainText);
    EXPECT_EQ(panel->text(), QStringLiteral("<i>pub"));
    EXPECT_EQ(panel->objectName(), QStringLiteral("pnlCommunity"));
}

TEST(WindowLayer, SettingRowNamesItsCaptionlessControlsAfterTheCaption)
{
    QWidget window;
    auto* grid = new QGridLayout(&window);
    QComboBox* list = NewValueList("cbFLV", {QStringLiteral("44.0  "), QStringLiteral("44.5  ")});
    const SettingRow row = AddSettingRow(*grid, 0, QStringLiteral("FL Volt"), list, QStringLiteral("V"),
                                         QStringLiteral("(44.0~57.5)"), "cbFL");
    ASSERT_NE(row.apply, nullptr);
    EXPECT_EQ(row.apply->objectName(), QStringLiteral("cbFL"));
    EXPECT_TRUE(row.apply->text().isEmpty());
    EXPECT_EQ(row.apply->accessibleName(), QStringLiteral("FL Volt"));
    EXPECT_EQ(list->accessibleName(), QStringLiteral("FL Volt"));
    EXPECT_EQ(row.range->text(), QStringLiteral("(44.0~57.5)"));
    // An editable list opens without a selection.
    EXPECT_TRUE(list->isEditable());
    EXPECT_EQ(list->currentIndex(), -1);

    const SettingRow bare = AddSettingRow(*grid, 1, QStringLiteral("Hidden"), new QComboBox, {}, {}, nullptr);
    EXPECT_EQ(bare.unit, nullptr);
    EXPECT_EQ(bare.range, nullptr);
    EXPECT_EQ(bare.apply, nullptr);
}

TEST(WindowLayer, SettingButtonsInTheirOrderLeavingOutUnnamedOnes)
{
    QWidget window;
    auto* layout = new QHBoxLayout(&window);
    const SettingButtons buttons = AddSettingButtons(*layout, {"btnSetting", nullptr, "BitBtn3", "btnExit"});
    EXPECT_EQ(buttons.selectAll, nullptr);
    ASSERT_EQ(layout->count(), 3);
    EXPECT_EQ(buttons.setting->text(), QStringLiteral("Setting"));
    EXPECT_EQ(buttons.defaults->text(), QStringLiteral("Default"));
    EXPECT_EQ(buttons.defaults->objectName(), QStringLiteral("BitBtn3"));
    EXPECT_EQ(layout->itemAt(2)->widget(), buttons.exit);
}

// An error about a line is titled with the line; any other with the program's name.
TEST(WindowLayer, TheErrorBoxTakesTheTitleItIsGiven)
{
    const std::pair<QString, QString> cases[] = {
        {QString(), QApplication::applicationName()},
        {QStringLiteral("COM3 \u2014 rfc2217://ts-07:4001"), QStringLiteral("COM3 \u2014 rfc2217://ts-07:4001")},
    };
    for (const auto& [title, shown] : cases) {
        QString seen;
        QTimer::singleShot(0, [&] {
            auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
            ASSERT_NE(box, nullptr);
            seen = box->windowTitle() + QLatin1Char('|') + box->text();
            box->accept();
        });
        ShowStandardError(QStringLiteral("Connection refused"), title);
        EXPECT_EQ(seen, shown + QStringLiteral("|Connection refused"));
    }
}

} // namespace
} // namespace zelt
