#include "ui/Panels.h"
#include "ui/SettingButtons.h"
#include "ui/SettingRow.h"

#include <QCheckBox>
#include <QComboBox>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QWidget>

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

} // namespace
} // namespace zelt
