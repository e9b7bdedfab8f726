#include "status/StatusArea.h"

#include "ui/Colours.h"
#include "ui/Lamp.h"
#include "ui/Panels.h"

#include <QCheckBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QStyleOptionGroupBox>
#include <QStylePainter>
#include <QTabWidget>
#include <QVBoxLayout>
#include <stdexcept>
#include <tuple>
#include <utility>

namespace zelt {

namespace {

constexpr int RowHeight = 18;

// A group box whose title is drawn in blue while its contents keep the
// inherited text colour.
class BlueTitledGroup : public QGroupBox {
public:
    using QGroupBox::QGroupBox;

protected:
    void paintEvent(QPaintEvent*) override
    {
        QStylePainter painter(this);
        QStyleOptionGroupBox option;
        initStyleOption(&option);
        option.palette.setColor(QPalette::WindowText, TitleBlue);
        option.textColor = TitleBlue;
        painter.drawComplexControl(QStyle::CC_GroupBox, option);
    }
};
constexpr int BaseFontPoints = 8;

void SetFontPoints(QWidget& widget, int points)
{
    QFont font = widget.font();
    font.setPointSize(points);
    widget.setFont(font);
}

QGridLayout* CompactGrid(QWidget* parent)
{
    auto* grid = new QGridLayout(parent);
    grid->setContentsMargins(4, 2, 4, 3);
    grid->setHorizontalSpacing(4);
    grid->setVerticalSpacing(1);
    return grid;
}

template <typename Control>
Control* Find(const std::map<std::string, Control*, std::less<>>& controls, std::string_view name)
{
    const auto it = controls.find(name);
    if (it == controls.end())
        throw std::out_of_range("no status control named " + std::string(name));
    return it->second;
}

} // namespace

StatusArea::StatusArea(QTabWidget& pages)
{
    pages.addTab(BuildRectifierPage(), QStringLiteral("Rectifier Status"));
    pages.addTab(BuildOperatingPage(), QStringLiteral("Operating Info"));
    pages.addTab(BuildEthernetPage(), QStringLiteral("Ethernet Info"));
}

QGroupBox* StatusArea::NewGroup(const QString& title, bool moneyGreen)
{
    auto* group = new BlueTitledGroup(title);
    if (moneyGreen)
        SetBackgroundColour(*group, MoneyGreen);
    return group;
}

QLabel* StatusArea::NewCaption(const QString& text, const char* name)
{
    QLabel* label = NewPlainLabel(text);
    label->setFixedHeight(RowHeight);
    if (name != nullptr) {
        label->setObjectName(QString::fromLatin1(name));
        labels_.emplace(name, label);
    }
    return label;
}

QLabel* StatusArea::NewPanel(const char* name, int width)
{
    QLabel* panel = NewValuePanel(QString::fromLatin1(name), width, RowHeight);
    labels_.emplace(name, panel);
    return panel;
}

Lamp* StatusArea::NewLamp(const char* name, const char* caption)
{
    auto* lamp = new Lamp;
    lamp->setObjectName(QString::fromLatin1(name));
    lamp->setAccessibleName(QString::fromLatin1(caption).trimmed());
    lamps_.emplace(name, lamp);
    return lamp;
}

QCheckBox* StatusArea::NewCheck(const char* name)
{
    auto* check = new QCheckBox;
    check->setObjectName(QString::fromLatin1(name));
    check->setFixedHeight(RowHeight);
    checks_.emplace(name, check);
    return check;
}

void StatusArea::AddPanelRow(QGridLayout& grid, int row, const QString& caption, const char* panel, int width)
{
    grid.addWidget(NewCaption(caption), row, 0);
    grid.addWidget(NewPanel(panel, width), row, 1);
}

QWidget* StatusArea::BuildRectifierPage()
{
    auto* page = new QWidget;
    SetFontPoints(*page, BaseFontPoints);
    auto* column = new QVBoxLayout(page);
    column->setContentsMargins(4, 1, 4, 1);
    column->setSpacing(1);

    // Blink labels keep their place while hidden so the groups below stay put.
    auto* blinkRow = new QHBoxLayout;
    for (const auto& [name, text] : {std::pair{"Lab_Init_charge", "Initial Charge in Progress"},
                                     std::pair{"Label_Dch", "Battery Manual Testing"}}) {
        QLabel* label = NewCaption(QString::fromLatin1(text), name);
        QPalette palette = label->palette();
        palette.setColor(QPalette::WindowText, LampRed);
        label->setPalette(palette);
        QFont font = label->font();
        font.setBold(true);
        label->setFont(font);
        QSizePolicy policy = label->sizePolicy();
        policy.setRetainSizeWhenHidden(true);
        label->setSizePolicy(policy);
        label->setFixedHeight(14);
        label->hide();
        blinkRow->addWidget(label);
    }
    column->addLayout(blinkRow);

    auto* middle = new QHBoxLayout;
    middle->setSpacing(4);
    auto* left = new QVBoxLayout;
    left->setSpacing(2);

    QGroupBox* measure = NewGroup(QStringLiteral("Measure Status "), true);
    measure->setObjectName(QStringLiteral("Mesument"));
    {
        QGridLayout* grid = CompactGrid(measure);
        struct Row {
            const char* caption;
            const char* panel;
            const char* lamp;
        };
        const Row rows[] = {
            {"Date", "pnlDate", nullptr},
            {"Time", "pnlTime", nullptr},
            {"DC Volt", "pnlDC_V", nullptr},
            {"Load Amp", "pnlLC_A", nullptr},
            {"Batt. Amp", "pnlBC_A", nullptr},
            {"Batt.1 Temp", "pnlBATTTEMP1", nullptr},
            {"Rack/Batt.2 Temp", "pnlRACKTEMP", nullptr},
            {"Batt.1-L Volt", "pnlBANK_1L", "BK1_CEL1"},
            {"Batt.1-R Volt", "pnlBANK_1R", "BK1_CEL2"},
            {"Batt.2-L Volt", "pnlBANK_2L", "BK2_CEL1"},
            {"Batt.2-R Volt", "pnlBANK_2R", "BK2_CEL2"},
        };
        int r = 0;
        for (const Row& row : rows) {
            if (row.lamp != nullptr)
                grid->addWidget(NewLamp(row.lamp, row.caption), r, 0);
            // The battery current caption turns red in test mode, on money green otherwise.
            const bool battAmp = std::string_view(row.panel) == "pnlBC_A";
            QLabel* caption = NewCaption(QString::fromLatin1(row.caption), battAmp ? "Label_BattAmp" : nullptr);
            if (battAmp)
                SetBackgroundColour(*caption, MoneyGreen);
            grid->addWidget(caption, r, 1);
            grid->addWidget(NewPanel(row.panel, 120), r, 2);
            ++r;
        }
        grid->setColumnMinimumWidth(0, 18);
        grid->setColumnStretch(1, 1);
    }
    left->addWidget(measure);

    QGroupBox* dry = NewGroup(QStringLiteral("Dry Alarm Status"), true);
    {
        QGridLayout* grid = CompactGrid(dry);
        grid->addWidget(NewLamp("HW_A1", "ACF"), 0, 0);
        grid->addWidget(NewCaption(QStringLiteral("ACF")), 0, 1);
        grid->addWidget(NewLamp("HW_A3", "RML"), 0, 2);
        grid->addWidget(NewCaption(QStringLiteral("RML")), 0, 3);
        grid->addWidget(NewLamp("HW_A2", "DCF"), 1, 0);
        grid->addWidget(NewCaption(QStringLiteral("DCF")), 1, 1);
        grid->addWidget(NewLamp("HW_A4", "BF"), 1, 2);
        grid->addWidget(NewCaption(QStringLiteral("BF")), 1, 3);
        grid->setColumnStretch(1, 1);
        grid->setColumnStretch(3, 1);
    }
    left->addWidget(dry);

    QGroupBox* bbu = NewGroup(QStringLiteral("BBU Status"), true);
    {
        QGridLayout* grid = CompactGrid(bbu);
        const std::pair<const char*, const char*> rows[] = {
            {"BIC", "Label_BIC"}, {"BFC", "Label_BFC"}, {"BBC", "Label_BBC"}};
        const char* captions[] = {"Initial Charge", "Float Charge", "Boost Charge"};
        for (int r = 0; r < 3; ++r) {
            grid->addWidget(NewLamp(rows[r].first, captions[r]), r, 0);
            QLabel* label = NewCaption(QString::fromLatin1(captions[r]), rows[r].second);
            SetFontPoints(*label, 10);
            grid->addWidget(label, r, 1);
        }
        grid->setColumnStretch(1, 1);
    }
    left->addWidget(bbu);
    left->addStretch(1);
    middle->addLayout(left, 1);

    QGroupBox* system = NewGroup(QStringLiteral("System Status"), true);
    {
        QGridLayout* grid = CompactGrid(system);
        grid->setVerticalSpacing(0);
        grid->addWidget(NewCaption(QStringLiteral("Battery on Float"), "LabBOD"), 0, 0, 1, 2);
        const std::pair<const char*, const char*> rows[] = {
            {"AF_U", "AC#1(Upper) VOLT "},
            {"AF_L", "AC#2(Lower) VOLT"},
            {"OV", "DC Output High Volt"},
            {"UV", "DC Output Low Volt"},
            {"BE", "BATT Low Volt"},
            {"BR1", "LVD1 Open"},
            {"BF1", "BATT1 BREAKER Open"},
            {"BR2", "LVD2 Open"},
            {"BF2", "BATT2 BREAKER Open"},
            {"DNFB", "DC BREAKER Open"},
            {"BTEMP1", "Batt.1 Temp Sensor"},
            {"RTEMP", "Rack/Batt.2 Temp Sensor"},
            {"BDCH", "Battery Discharge"},
            {"BHTF", "Batt.1 High Temp"},
            {"BLTF", "Batt.1 Low Temp"},
            {"BHTF2", "Batt.2 High Temp"},
            {"BLTF2", "Batt.2 Low Temp"},
            {"Arm_Cmu", "ALARM B'd Communication"},
            {"SC", "Shelf Configuration"},
        };
        int r = 1;
        for (const auto& [lamp, caption] : rows) {
            grid->addWidget(NewLamp(lamp, caption), r, 0);
            grid->addWidget(NewCaption(QString::fromLatin1(caption)), r, 1);
            ++r;
        }
        grid->setColumnStretch(1, 1);
    }
    middle->addWidget(system, 1);
    column->addLayout(middle);

    QGroupBox* units = NewGroup(QStringLiteral("Unit Status"), true);
    {
        QGridLayout* grid = CompactGrid(units);
        grid->setHorizontalSpacing(3);
        grid->setVerticalSpacing(0);
        const char* panelHeads[] = {"AC Volt", "DC Volt", "AMP", "TEMP"};
        const char* panelPrefixes[] = {"pnlACVolt", "pnlVolt", "pnlAmp", "pnlTemp"};
        const char* lampHeads[] = {"UV", "FF", "OT", "OV", "CS", "AF", "SD", "DR"};
        const char* lampPrefixes[] = {"UV", "FF", "OT", "OV", "OC", "AF", "SD", "DR"};
        const auto addHead = [&](const char* text, int col) {
            QLabel* head = NewCaption(QString::fromLatin1(text));
            head->setFixedHeight(14);
            grid->addWidget(head, 0, col, Qt::AlignHCenter);
        };
        for (int c = 0; c < 4; ++c)
            addHead(panelHeads[c], 2 + c);
        for (int c = 0; c < 8; ++c)
            addHead(lampHeads[c], 6 + c);
        for (int unit = 1; unit <= 4; ++unit) {
            const std::string n = std::to_string(unit);
            grid->addWidget(NewLamp(("UF" + n).c_str(), ("UNIT" + n).c_str()), unit, 0);
            grid->addWidget(NewCaption(QStringLiteral("UNIT") + QString::number(unit), ("Label_U" + n).c_str()), unit, 1);
            for (int c = 0; c < 4; ++c)
                grid->addWidget(NewPanel((panelPrefixes[c] + n).c_str(), 58), unit, 2 + c);
            for (int c = 0; c < 8; ++c)
                grid->addWidget(NewLamp((lampPrefixes[c] + n).c_str(), (std::string(lampHeads[c]) + " UNIT" + n).c_str()), unit, 6 + c, Qt::AlignHCenter);
        }
    }
    column->addWidget(units);
    column->addStretch(1);
    return page;
}

QWidget* StatusArea::BuildOperatingPage()
{
    auto* page = new QWidget;
    SetFontPoints(*page, BaseFontPoints);
    auto* columns = new QHBoxLayout(page);
    columns->setContentsMargins(4, 4, 4, 4);
    auto* left = new QVBoxLayout;
    auto* right = new QVBoxLayout;

    QGroupBox* setting = NewGroup(QStringLiteral("Setting Status"), false);
    {
        QGridLayout* grid = CompactGrid(setting);
        AddPanelRow(*grid, 0, QStringLiteral("Operating Voltage"), "pnlDC_Set", 110);
        AddPanelRow(*grid, 1, QStringLiteral("Charge Limit Amp"), "pnlCh_limit", 110);
        AddPanelRow(*grid, 2, QStringLiteral("Charge Mode"), "pnlCh_Mode", 110);
        grid->addWidget(NewCaption(QStringLiteral("Temp Mode"), "LabelTempComp"), 3, 0, 1, 2);
    }
    left->addWidget(setting);

    QGroupBox* alarm = NewGroup(QStringLiteral("Alarm Set"), false);
    {
        QGridLayout* grid = CompactGrid(alarm);
        const std::pair<const char*, const char*> rows[] = {
            {"DC High Volt", "pnlDCO_V"},      {"DC Low Volt", "pnlDCL_V"},   {"Batt Low Volt", "pnlBLV"},
            {"DC OV Shut Down", "pnlOV_SD"},   {"Batt.1 High Temp", "pnlBHT"}, {"Batt.1 Low Temp", "pnlBLT"},
            {"Batt.2 High Temp", "pnlBHT2"},   {"Batt.2 Low Temp", "pnlBLT2"},
        };
        int r = 0;
        for (const auto& [caption, panel] : rows)
            AddPanelRow(*grid, r++, QString::fromLatin1(caption), panel, 110);
    }
    left->addWidget(alarm);

    QGroupBox* lvd = NewGroup(QStringLiteral("LVD Set"), false);
    {
        QGridLayout* grid = CompactGrid(lvd);
        AddPanelRow(*grid, 0, QStringLiteral("Open Volt"), "pnlLVD_V", 110);
        AddPanelRow(*grid, 1, QStringLiteral("Disconnect  Delay Time"), "pnlLVD_T", 110);
    }
    left->addWidget(lvd);
    left->addStretch(1);

    QGroupBox* battery = NewGroup(QStringLiteral("Battery Information"), false);
    {
        QGridLayout* grid = CompactGrid(battery);
        AddPanelRow(*grid, 0, QStringLiteral("Battery Type"), "pnlBattType", 100);
        AddPanelRow(*grid, 1, QStringLiteral("Remaining Capacity"), "pnlRCapa", 100);
        AddPanelRow(*grid, 2, QStringLiteral("Remaining Time"), "pnlRTime", 100);
        AddPanelRow(*grid, 3, QStringLiteral("Boost Entry"), "LabBEntry", 100);
        grid->addWidget(NewCaption(QStringLiteral("Health")), 4, 0);
        grid->addWidget(NewPanel("LabHealth", 170), 5, 0, 1, 2, Qt::AlignRight);
    }
    right->addWidget(battery);

    QGroupBox* shelf = NewGroup(QStringLiteral("Shelf Configuration"), false);
    {
        QGridLayout* grid = CompactGrid(shelf);
        const char* rows[2][6] = {{"AC#1 (Upper)", "pnlAC1", "RM#1", "pnlRM1", "RM#2", "pnlRM2"},
                                  {"AC#2 (Lower)", "pnlAC2", "RM#3", "pnlRM3", "RM#4", "pnlRM4"}};
        for (int r = 0; r < 2; ++r) {
            for (int c = 0; c < 3; ++c) {
                grid->addWidget(NewCaption(QString::fromLatin1(rows[r][2 * c])), r, 2 * c);
                grid->addWidget(NewPanel(rows[r][2 * c + 1], 34), r, 2 * c + 1);
            }
        }
    }
    right->addWidget(shelf);

    for (const auto& [title, panel] : {std::pair{"Initial Charge End Date Time", "pnlInitial_Time"},
                                       std::pair{"Charge Start Date Time", "pnlCh_Time"}}) {
        QGroupBox* group = NewGroup(QString::fromLatin1(title), false);
        QGridLayout* grid = CompactGrid(group);
        grid->addWidget(NewPanel(panel, 200), 0, 0);
        right->addWidget(group);
    }
    right->addStretch(1);

    columns->addLayout(left, 1);
    columns->addLayout(right, 1);
    return page;
}

QWidget* StatusArea::BuildEthernetPage()
{
    auto* page = new QWidget;
    SetFontPoints(*page, BaseFontPoints);
    auto* column = new QVBoxLayout(page);
    column->setContentsMargins(4, 4, 4, 4);
    constexpr int ByteWidth = 34;

    QGroupBox* rectifier = NewGroup(QStringLiteral("Rectifier IP"), true);
    {
        QGridLayout* grid = CompactGrid(rectifier);
        const std::pair<const char*, const char*> rows[] = {
            {"IP ADDRESS", "pnlIP"}, {"GATEWAY", "pnlGW"}, {"SUBNET MASK", "pnlSM"}};
        int r = 0;
        for (const auto& [caption, prefix] : rows) {
            grid->addWidget(NewCaption(QString::fromLatin1(caption)), r, 0);
            for (int b = 1; b <= 4; ++b)
                grid->addWidget(NewPanel((prefix + std::to_string(b)).c_str(), ByteWidth), r, b);
            ++r;
        }
        grid->addWidget(NewCaption(QStringLiteral("MACADDRESS")), r, 0);
        for (int b = 1; b <= 6; ++b)
            grid->addWidget(NewPanel(("pnlMAC" + std::to_string(b)).c_str(), ByteWidth), r, b);
        grid->setColumnStretch(7, 1);
    }
    column->addWidget(rectifier);

    QGroupBox* snmp = NewGroup(QStringLiteral("SNMP IP"), true);
    {
        QGridLayout* grid = CompactGrid(snmp);
        // The column heads are Korean: they need a font with Hangul glyphs.
        QFont hangul(QStringLiteral("NanumGothic"), BaseFontPoints);
        for (const auto& [text, col] : {std::pair{QStringLiteral("사용"), 1}, std::pair{QStringLiteral("Trap"), 6}}) {
            QLabel* head = NewCaption(text);
            head->setFont(hangul);
            grid->addWidget(head, 0, col, Qt::AlignHCenter);
        }
        for (int m = 1; m <= 4; ++m) {
            const std::string manager = std::to_string(m);
            grid->addWidget(NewCaption(QStringLiteral("IP") + QString::number(m)), m, 0);
            grid->addWidget(NewCheck(("cbSNMP_En" + manager).c_str()), m, 1, Qt::AlignHCenter);
            for (int b = 1; b <= 4; ++b)
                grid->addWidget(NewPanel(("pnlSVIP4" + std::to_string(b) + manager).c_str(), ByteWidth), m, 1 + b);
            grid->addWidget(NewCheck(("cbTrap_En" + manager).c_str()), m, 6, Qt::AlignHCenter);
        }
        grid->addWidget(NewCaption(QStringLiteral("Read Community")), 5, 0, 1, 2);
        grid->addWidget(NewPanel("pnlReadComuni", 4 * ByteWidth + 12), 5, 2, 1, 4);
        grid->addWidget(NewCaption(QStringLiteral("Write Community")), 6, 0, 1, 2);
        grid->addWidget(NewPanel("pnlWriteComuni", 4 * ByteWidth + 12), 6, 2, 1, 4);
        grid->setColumnStretch(7, 1);
    }
    column->addWidget(snmp);

    QGroupBox* tcp = NewGroup(QStringLiteral("TCP/IP"), true);
    {
        QGridLayout* grid = CompactGrid(tcp);
        for (int s = 1; s <= 2; ++s) {
            const std::string server = std::to_string(s);
            grid->addWidget(NewCaption(QStringLiteral("IP") + QString::number(s)), s - 1, 0);
            grid->addWidget(NewCheck(("cbTcpip_En" + server).c_str()), s - 1, 1);
            for (int b = 1; b <= 4; ++b)
                grid->addWidget(NewPanel(("pnlSVIP" + server + std::to_string(b)).c_str(), ByteWidth), s - 1, 1 + b);
        }
        grid->setColumnStretch(6, 1);
    }
    column->addWidget(tcp);

    QGroupBox* version = NewGroup(QStringLiteral("Program version"), true);
    {
        QGridLayout* grid = CompactGrid(version);
        const std::tuple<const char*, const char*, const char*> rows[] = {
            {"Main Board", "pnlProgramVersion", "pnlProgramName"},
            {"Alarm Board", "pnlAlarmVersion", "pnlAlarmName"}};
        int r = 0;
        for (const auto& [caption, versionPanel, filePanel] : rows) {
            grid->addWidget(NewCaption(QString::fromLatin1(caption)), r, 0);
            grid->addWidget(NewPanel(versionPanel, 110), r, 1);
            grid->addWidget(NewCaption(QStringLiteral("File")), r, 2);
            grid->addWidget(NewPanel(filePanel, 190), r, 3);
            ++r;
        }
        grid->setColumnStretch(4, 1);
    }
    column->addWidget(version);
    column->addStretch(1);
    return page;
}

QLabel* StatusArea::LabelNamed(std::string_view name) const
{
    return Find(labels_, name);
}

void StatusArea::SetText(std::string_view name, const std::string& text)
{
    LabelNamed(name)->setText(QString::fromLatin1(text.data(), static_cast<qsizetype>(text.size())));
}

std::string StatusArea::Text(std::string_view name) const
{
    return LabelNamed(name)->text().toLatin1().toStdString();
}

void StatusArea::SetLamp(std::string_view name, Rgb colour)
{
    Find(lamps_, name)->SetBrushColour(ToQColor(colour));
}

Rgb StatusArea::LampColour(std::string_view name) const
{
    return ToRgb(Find(lamps_, name)->BrushColour());
}

void StatusArea::SetBackground(std::string_view name, Rgb colour)
{
    SetBackgroundColour(*LabelNamed(name), ToQColor(colour));
}

void StatusArea::ClearBackground(std::string_view name)
{
    SetBackgroundColour(*LabelNamed(name), PanelWindowColour());
}

QColor StatusArea::Background(std::string_view name) const
{
    return LabelNamed(name)->palette().color(QPalette::Window);
}

void StatusArea::SetFontSize(std::string_view name, int points)
{
    SetFontPoints(*LabelNamed(name), points);
}

int StatusArea::FontSize(std::string_view name) const
{
    return LabelNamed(name)->font().pointSize();
}

void StatusArea::SetVisible(std::string_view name, bool visible)
{
    LabelNamed(name)->setVisible(visible);
}

bool StatusArea::IsVisible(std::string_view name) const
{
    return !LabelNamed(name)->isHidden();
}

void StatusArea::SetChecked(std::string_view name, bool checked)
{
    Find(checks_, name)->setChecked(checked);
}

bool StatusArea::IsChecked(std::string_view name) const
{
    return Find(checks_, name)->isChecked();
}

} // namespace zelt
