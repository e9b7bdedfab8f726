#include "StatusFixture.h"

#include <QFontInfo>
#include <QFontMetrics>
#include <QGroupBox>
#include <QImage>
#include <QPainter>
#include <QTabBar>

#include <set>

using namespace zelt;
using namespace zelt::test;

namespace {

using StatusAreaLayout = StatusFixture;

std::vector<std::string> Numbered(const std::string& prefix, int from, int to)
{
    std::vector<std::string> names;
    for (int i = from; i <= to; ++i)
        names.push_back(prefix + std::to_string(i));
    return names;
}

std::vector<std::string> AllLamps()
{
    std::vector<std::string> lamps = {"BK1_CEL1", "BK1_CEL2", "BK2_CEL1", "BK2_CEL2", "HW_A1", "HW_A2", "HW_A3",
                                      "HW_A4",    "BIC",      "BFC",      "BBC",      "AF_U",  "AF_L",  "OV",
                                      "UV",       "BE",       "BR1",      "BF1",      "BR2",   "BF2",   "DNFB",
                                      "BTEMP1",   "RTEMP",    "BDCH",     "BHTF",     "BLTF",  "BHTF2", "BLTF2",
                                      "Arm_Cmu",  "SC"};
    for (const char* prefix : {"UF", "UV", "FF", "OT", "OV", "OC", "AF", "SD", "DR"})
        for (const std::string& name : Numbered(prefix, 1, 4))
            lamps.push_back(name);
    return lamps;
}

std::vector<std::string> AllPanels()
{
    std::vector<std::string> panels = {
        "pnlDate",        "pnlTime",     "pnlDC_V",     "pnlLC_A",          "pnlBC_A",        "pnlBATTTEMP1",
        "pnlRACKTEMP",    "pnlBANK_1L",  "pnlBANK_1R",  "pnlBANK_2L",       "pnlBANK_2R",     "pnlDC_Set",
        "pnlCh_limit",    "pnlCh_Mode",  "pnlDCO_V",    "pnlDCL_V",         "pnlBLV",         "pnlOV_SD",
        "pnlBHT",         "pnlBLT",      "pnlBHT2",     "pnlBLT2",          "pnlLVD_V",       "pnlLVD_T",
        "pnlBattType",    "pnlRCapa",    "pnlRTime",    "LabBEntry",        "LabHealth",      "pnlAC1",
        "pnlAC2",         "pnlInitial_Time", "pnlCh_Time", "pnlReadComuni", "pnlWriteComuni", "pnlProgramVersion",
        "pnlProgramName", "pnlAlarmVersion", "pnlAlarmName"};
    for (const char* prefix : {"pnlRM", "pnlACVolt", "pnlVolt", "pnlAmp", "pnlTemp", "pnlIP", "pnlGW", "pnlSM",
                               "pnlSVIP1", "pnlSVIP2"})
        for (const std::string& name : Numbered(prefix, 1, 4))
            panels.push_back(name);
    for (const std::string& name : Numbered("pnlMAC", 1, 6))
        panels.push_back(name);
    for (int b = 1; b <= 4; ++b)
        for (int m = 1; m <= 4; ++m)
            panels.push_back("pnlSVIP4" + std::to_string(b) + std::to_string(m));
    return panels;
}

TEST_F(StatusAreaLayout, ThreePagesWithTheirCaptions)
{
    ASSERT_EQ(pages.count(), 3);
    EXPECT_EQ(pages.tabText(0), QStringLiteral("Rectifier Status"));
    EXPECT_EQ(pages.tabText(1), QStringLiteral("Operating Info"));
    EXPECT_EQ(pages.tabText(2), QStringLiteral("Ethernet Info"));
    EXPECT_EQ(pages.widget(0)->findChild<QGroupBox*>("Mesument")->title(), QStringLiteral("Measure Status "));
}

TEST_F(StatusAreaLayout, EveryLampStartsLimeAndRound)
{
    const auto lamps = AllLamps();
    EXPECT_EQ(pages.findChildren<zelt::Lamp*>().size(), static_cast<qsizetype>(lamps.size()));
    for (const std::string& name : lamps) {
        auto* lamp = pages.findChild<zelt::Lamp*>(QString::fromStdString(name));
        ASSERT_NE(lamp, nullptr) << name;
        EXPECT_EQ(lamp->BrushColour(), LampLime) << name;
        EXPECT_EQ(lamp->size(), QSize(18, 18)) << name;
    }
}

TEST_F(StatusAreaLayout, LampPaintsACircleInItsColour)
{
    monitor.Area().SetLamp("OV", RgbRed);
    auto* lamp = pages.findChild<zelt::Lamp*>("OV");
    QImage image(18, 18, QImage::Format_ARGB32);
    image.fill(Qt::transparent);
    lamp->render(&image, QPoint(), QRegion(), QWidget::DrawChildren);
    EXPECT_EQ(QColor(image.pixel(9, 9)), LampRed);
    EXPECT_EQ(qAlpha(image.pixel(0, 0)), 0) << "corner outside the circle";
}

TEST_F(StatusAreaLayout, EveryPanelStartsEmptyOnTheWindowColour)
{
    for (const std::string& name : AllPanels()) {
        auto* panel = pages.findChild<QLabel*>(QString::fromStdString(name));
        ASSERT_NE(panel, nullptr) << name;
        EXPECT_TRUE(panel->text().isEmpty()) << name;
        EXPECT_EQ(panel->palette().color(QPalette::Window), PanelWindowColour()) << name;
    }
    // And no panel beyond them.
    std::set<std::string> expected, found;
    for (const std::string& name : AllPanels())
        if (name.rfind("pnl", 0) == 0)
            expected.insert(name);
    for (const QLabel* label : pages.findChildren<QLabel*>())
        if (label->objectName().startsWith(QStringLiteral("pnl")))
            found.insert(label->objectName().toStdString());
    EXPECT_EQ(found, expected);
}

TEST_F(StatusAreaLayout, CheckBoxesStartClearAndBlinkLabelsHidden)
{
    std::vector<std::string> boxes = {"cbTcpip_En1", "cbTcpip_En2"};
    for (const char* prefix : {"cbSNMP_En", "cbTrap_En"})
        for (const std::string& name : Numbered(prefix, 1, 4))
            boxes.push_back(name);
    for (const std::string& name : boxes) {
        auto* box = pages.findChild<QCheckBox*>(QString::fromStdString(name));
        ASSERT_NE(box, nullptr) << name;
        EXPECT_FALSE(box->isChecked()) << name;
    }
    EXPECT_FALSE(Shown("Lab_Init_charge"));
    EXPECT_FALSE(Shown("Label_Dch"));
    EXPECT_EQ(Text("Lab_Init_charge"), "Initial Charge in Progress");
    EXPECT_EQ(Text("Label_Dch"), "Battery Manual Testing");
    EXPECT_EQ(Label("Label_Dch").palette().color(QPalette::WindowText), LampRed);
}

TEST_F(StatusAreaLayout, NamedCaptionsStartWithTheirTexts)
{
    const std::pair<const char*, const char*> captions[] = {
        {"Label_BattAmp", "Batt. Amp"}, {"Label_BIC", "Initial Charge"}, {"Label_BFC", "Float Charge"},
        {"Label_BBC", "Boost Charge"},  {"LabBOD", "Battery on Float"},  {"LabelTempComp", "Temp Mode"},
        {"Label_U1", "UNIT1"},          {"Label_U4", "UNIT4"}};
    for (const auto& [name, text] : captions)
        EXPECT_EQ(Text(name), text) << name;
    EXPECT_EQ(Background("Label_BattAmp"), MoneyGreen);
}

// True when some pixel of the group's title band is clearly blue (the text
// is antialiased, so few pixels are pure blue).
bool TitleDrawnBlue(QGroupBox& group)
{
    QImage image(group.size(), QImage::Format_ARGB32);
    group.render(&image, QPoint(), QRegion(), QWidget::DrawWindowBackground);
    for (int y = 0; y < 16; ++y)
        for (int x = 0; x < image.width(); ++x)
            if (const QColor c(image.pixel(x, y)); c.blue() - std::max(c.red(), c.green()) > 100)
                return true;
    return false;
}

TEST_F(StatusAreaLayout, GroupsHaveBlueTitlesAndMoneyGreenOnTheFirstAndThirdPage)
{
    pages.resize(598, 560);
    int count = 0;
    for (int page = 0; page < 3; ++page) {
        pages.setCurrentIndex(page);
        pages.show();
        const auto groups = pages.widget(page)->findChildren<QGroupBox*>();
        ASSERT_FALSE(groups.isEmpty());
        for (QGroupBox* group : groups) {
            const std::string title = group->title().toStdString();
            EXPECT_TRUE(TitleDrawnBlue(*group)) << title;
            EXPECT_EQ(group->autoFillBackground(), page != 1) << title;
            if (page != 1)
                EXPECT_EQ(group->palette().color(QPalette::Window), MoneyGreen) << title;
            ++count;
        }
    }
    pages.hide();
    EXPECT_EQ(count, 16);
    // Captions inside keep the default text colour.
    EXPECT_NE(pages.findChild<QLabel*>("LabBOD")->palette().color(QPalette::WindowText), TitleBlue);
}

TEST_F(StatusAreaLayout, KoreanColumnHeadUsesAHangulFont)
{
    const QString head = QStringLiteral("사용");
    QLabel* label = nullptr;
    for (QLabel* candidate : pages.findChildren<QLabel*>())
        if (candidate->text() == head)
            label = candidate;
    ASSERT_NE(label, nullptr);
    const QFontMetrics metrics(label->font());
    for (const QChar c : head)
        EXPECT_TRUE(metrics.inFontUcs4(c.unicode())) << "no glyph for U+" << std::hex << static_cast<int>(c.unicode());
    EXPECT_EQ(QFontInfo(label->font()).family(), QStringLiteral("NanumGothic"));
}

TEST_F(StatusAreaLayout, FitsTheMainWindowPageControl)
{
    const QSize needed = pages.minimumSizeHint();
    EXPECT_LE(needed.width(), 590);
    EXPECT_LE(needed.height(), 560);
    // At its design size nothing is squeezed below its own minimum.
    pages.resize(590, 560);
    for (int page = 0; page < 3; ++page) {
        QWidget* w = pages.widget(page);
        EXPECT_LE(w->minimumSizeHint().width(), pages.width()) << page;
        EXPECT_LE(w->minimumSizeHint().height(), pages.height() - pages.tabBar()->sizeHint().height()) << page;
    }
}

} // namespace
