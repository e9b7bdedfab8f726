#include "config/TfrmAlarm.h"

#include "config/AlarmSettingsPayload.h"
#include "config/PayloadFields.h"
#include "config/RadioGroup.h"
#include "config/ValueLists.h"
#include "protocol/FieldText.h"
#include "protocol/Scheduler.h"
#include "status/StatusSnapshot.h"
#include "ui/Colours.h"
#include "ui/Panels.h"
#include "ui/SettingButtons.h"
#include "ui/SettingRow.h"
#include "ui/StandardError.h"

#include <QCheckBox>
#include <QComboBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QPushButton>
#include <QVBoxLayout>

namespace zelt {

TfrmAlarm* frmAlarm = nullptr;

namespace {

// The low-temperature entries, degrees C.
const int LowTemps[] = {-40, -35, -30, -25, -20, -15, -10, -5, 0, 5, 10, 15, 20};

QStringList LowTempEntries()
{
    QStringList entries;
    for (const int t : LowTemps)
        entries << QString::number(t);
    return entries;
}

// The position of the entry whose code is code, -1 for none.
int LowTempPosition(std::int32_t code)
{
    for (int i = 0; i < static_cast<int>(std::size(LowTemps)); ++i)
        if (LowTempCode(LowTemps[i]) == code)
            return i;
    return -1;
}

// The code of the entry shown; none when the list shows no entry.
std::optional<std::int32_t> LowTempCodeOf(const QComboBox& list)
{
    const int position = ShownPosition(list);
    if (position < 0)
        return std::nullopt;
    return LowTempCode(LowTemps[position]);
}

void PreSelect(QComboBox& list, std::int32_t value, int position)
{
    if (value != 0)
        SelectPosition(list, position);
}

// Modules behind an AC input that is out are out too and cannot be switched.
void ShelfRule(const TRadioGroup& ac, TRadioGroup& first, TRadioGroup& second)
{
    const bool out = ac.ItemIndex() == 1;
    for (TRadioGroup* module : {&first, &second}) {
        if (out)
            module->SetItemIndex(1);
        module->setEnabled(!out);
    }
}

} // namespace

TfrmAlarm::TfrmAlarm(RequestScheduler& scheduler, const StatusSnapshot& snapshot, QWidget* parent)
    : QDialog(parent), scheduler_(scheduler), snapshot_(snapshot)
{
    frmAlarm = this;
    setObjectName(QStringLiteral("frmAlarm"));
    setWindowTitle(QStringLiteral("Alarm Setting"));
    SetBackgroundColour(*this, MoneyGreen);
    auto* layout = new QVBoxLayout(this);
    auto* top = new QHBoxLayout;
    layout->addLayout(top);

    auto* left = new QVBoxLayout;
    top->addLayout(left);
    const QStringList onOff{QStringLiteral("ON"), QStringLiteral("OFF")};
    const QStringList inOut{QStringLiteral("IN"), QStringLiteral("OUT")};
    auto* alarms = new QGroupBox(QStringLiteral("Alarm ON/OFF"), this);
    auto* alarmGrid = new QGridLayout(alarms);
    rgBR1_ = AddGroup(*alarmGrid, 0, 0, "rgBR1", QStringLiteral("LVD1 Open"), onOff);
    rgBF1_ = AddGroup(*alarmGrid, 1, 0, "rgBF1", QStringLiteral("BATT1 BREAKER Open"), onOff);
    rgBR2_ = AddGroup(*alarmGrid, 2, 0, "rgBR2", QStringLiteral("LVD2 Open"), onOff);
    rgBF2_ = AddGroup(*alarmGrid, 3, 0, "rgBF2", QStringLiteral("BATT2 BREAKER Open"), onOff);
    rgBPB_ = AddGroup(*alarmGrid, 4, 0, "rgBPB", QStringLiteral("Batt.1 Temp Sensor"), onOff);
    left->addWidget(alarms);
    auto* shelf = new QGroupBox(QStringLiteral("Shelf Configuration"), this);
    auto* shelfGrid = new QGridLayout(shelf);
    rgAC1_ = AddGroup(*shelfGrid, 0, 0, "rgAC1", QStringLiteral("AC#1 (Upper)"), inOut);
    rgAC2_ = AddGroup(*shelfGrid, 0, 1, "rgAC2", QStringLiteral("AC#2 (Lower)"), inOut);
    rgRM1_ = AddGroup(*shelfGrid, 1, 0, "rgRM1", QStringLiteral("RM#1"), inOut);
    rgRM2_ = AddGroup(*shelfGrid, 2, 0, "rgRM2", QStringLiteral("RM#2"), inOut);
    rgRM3_ = AddGroup(*shelfGrid, 1, 1, "rgRM3", QStringLiteral("RM#3"), inOut);
    rgRM4_ = AddGroup(*shelfGrid, 2, 1, "rgRM4", QStringLiteral("RM#4"), inOut);
    left->addWidget(shelf);
    connect(rgAC1_, &TRadioGroup::Click, this, [this] { RunGuarded([this] { rgAC1Click(); }); });
    connect(rgAC2_, &TRadioGroup::Click, this, [this] { RunGuarded([this] { rgAC2Click(); }); });

    auto* thresholds = new QGroupBox(this);
    auto* grid = new QGridLayout(thresholds);
    const QString volt = QStringLiteral("V");
    const QString celsius = QStringLiteral("C");
    cbbOV_ = AddRow(*grid, QStringLiteral("DC Output High Volt"), "cbbOV", volt, QStringLiteral("(56.0~60.0)"), "cbDCOV");
    cbbUV_ = AddRow(*grid, QStringLiteral("DC Output Low Volt"), "cbbUV", volt, QStringLiteral("(40.0~50.0)"), "cbDCLV");
    cbbBLV_ = AddRow(*grid, QStringLiteral("BATT Low Volt"), "cbbBLV", volt, QStringLiteral("(40.0~50.0)"), "cbBAT_LV");
    cbbOV_SD_ = AddRow(*grid, QStringLiteral("DC OV ShutDown"), "cbbOV_SD", volt, QStringLiteral("(59.0~60.0)"), "cbDCOV_SD");
    cbbBHT_ = AddRow(*grid, QStringLiteral("Batt.1 High Temp"), "cbbBHT", celsius, QStringLiteral("(35 ~ 50)"), "cbBHT");
    cbbBLT_ = AddRow(*grid, QStringLiteral("Batt.1 Low Temp"), "cbbBLT", celsius, QStringLiteral("(-40 ~ 20)"), "cbBLT");
    cbbBHT2_ = AddRow(*grid, QStringLiteral("Batt.2 High Temp"), "cbbBHT2", celsius, QStringLiteral("(35 ~ 50)"), "cbBHT2");
    cbbBLT2_ = AddRow(*grid, QStringLiteral("Batt.2 Low Temp"), "cbbBLT2", celsius, QStringLiteral("(-40 ~ 20)"), "cbBLT2");
    top->addWidget(thresholds, 0, Qt::AlignTop);

    auto* buttonRow = new QHBoxLayout;
    const SettingButtons buttons =
        AddSettingButtons(*buttonRow, {"btnSetting", "btnSeletAll", "BitBtn3", "btnExit"});
    layout->addLayout(buttonRow);
    connect(buttons.setting, &QPushButton::clicked, this, [this] { RunGuarded([this] { btnSettingClick(); }); });
    connect(buttons.selectAll, &QPushButton::clicked, this, [this] { RunGuarded([this] { btnSeletAllClick(); }); });
    connect(buttons.defaults, &QPushButton::clicked, this, [this] { RunGuarded([this] { BitBtn3Click(); }); });
    connect(buttons.exit, &QPushButton::clicked, this, [this] { RunGuarded([this] { btnExitClick(); }); });

    Fill(*cbbBLT_, LowTempEntries());
    Fill(*cbbBLT2_, LowTempEntries());
    FormCreate(snapshot);
}

TfrmAlarm::~TfrmAlarm()
{
    if (frmAlarm == this)
        frmAlarm = nullptr;
}

QComboBox* TfrmAlarm::AddRow(QGridLayout& grid, const QString& caption, const char* list, const QString& unit,
                             const QString& range, const char* apply)
{
    QComboBox* value = NewValueList(list, {});
    applyBoxes_.push_back(AddSettingRow(grid, grid.count() == 0 ? 0 : grid.rowCount(), caption, value, unit, range, apply).apply);
    return value;
}

TRadioGroup* TfrmAlarm::AddGroup(QGridLayout& grid, int row, int column, const char* name, const QString& caption,
                                 const QStringList& items)
{
    auto* group = new TRadioGroup(name, caption, items, 2);
    radioGroups_.push_back(group);
    grid.addWidget(group, row, column);
    return group;
}

bool TfrmAlarm::Ticked(const char* name) const
{
    return findChild<QCheckBox*>(QString::fromLatin1(name))->isChecked();
}

void TfrmAlarm::FormCreate(const StatusSnapshot& s)
{
    Fill(*cbbUV_, Entries(101, 400, 1, FormatTenths));
    Fill(*cbbOV_, Entries(41, 560, 1, FormatTenths));
    Fill(*cbbBLV_, Entries(101, 400, 1, FormatTenths));
    Fill(*cbbOV_SD_, Entries(11, 590, 1, FormatTenths));
    PreSelect(*cbbOV_, s.DcHighAlarmVolt, s.DcHighAlarmVolt - 560);
    PreSelect(*cbbUV_, s.DcLowAlarmVolt, s.DcLowAlarmVolt - 400);
    PreSelect(*cbbBLV_, s.BattLowAlarmVolt, s.BattLowAlarmVolt - 400);
    PreSelect(*cbbOV_SD_, s.OvShutdownVolt, s.OvShutdownVolt - 590);

    // The AC groups come before the module groups: a module group ends on its
    // own flag even where the shelf rule has just disabled it.
    const std::uint8_t flags[] = {s.BR1Fitted, s.BF1Fitted, s.BR2Fitted, s.BF2Fitted, s.Batt1SensorFitted,
                                  s.AcUpperIn, s.AcLowerIn, s.ModuleIn[1], s.ModuleIn[2], s.ModuleIn[3], s.ModuleIn[4]};
    for (std::size_t i = 0; i < radioGroups_.size(); ++i)
        radioGroups_[i]->SetItemIndex(flags[i] != 0 ? 0 : 1);

    Fill(*cbbBHT_, Entries(16, 35, 1, FormatWhole));
    PreSelect(*cbbBHT_, s.Batt1HighTemp, s.Batt1HighTemp - 35);
    Fill(*cbbBHT2_, Entries(16, 35, 1, FormatWhole));
    PreSelect(*cbbBHT2_, s.Batt2HighTemp, s.Batt2HighTemp - 35);

    SelectPosition(*cbbBLT_, LowTempPosition(s.Batt1LowTemp));
    SelectPosition(*cbbBLT2_, LowTempPosition(s.Batt2LowTemp));
}

AlarmSettingsValues TfrmAlarm::ReadValues() const
{
    AlarmSettingsValues v;
    v.dcHighVolt = ValueAt(*cbbOV_, 560, 1);
    v.dcLowVolt = ValueAt(*cbbUV_, 400, 1);
    v.battLowVolt = ValueAt(*cbbBLV_, 400, 1);
    v.ovShutdownVolt = ValueAt(*cbbOV_SD_, 590, 1);
    v.batt1HighTemp = ValueAt(*cbbBHT_, 35, 1);
    v.batt2HighTemp = ValueAt(*cbbBHT2_, 35, 1);
    v.batt1LowCode = LowTempCodeOf(*cbbBLT_);
    v.batt2LowCode = LowTempCodeOf(*cbbBLT2_);

    const auto first = [](const TRadioGroup* group) { return group->ItemIndex() == 0; };
    v.rgBR1 = first(rgBR1_);
    v.rgBF1 = first(rgBF1_);
    v.rgBR2 = first(rgBR2_);
    v.rgBF2 = first(rgBF2_);
    v.rgBPB = first(rgBPB_);
    v.rgAC1 = first(rgAC1_);
    v.rgAC2 = first(rgAC2_);
    v.rgRM1 = first(rgRM1_);
    v.rgRM2 = first(rgRM2_);
    v.rgRM3 = first(rgRM3_);
    v.rgRM4 = first(rgRM4_);

    v.cbDCOV = Ticked("cbDCOV");
    v.cbDCLV = Ticked("cbDCLV");
    v.cbBAT_LV = Ticked("cbBAT_LV");
    v.cbDCOV_SD = Ticked("cbDCOV_SD");
    v.cbBHT = Ticked("cbBHT");
    v.cbBLT = Ticked("cbBLT");
    v.cbBHT2 = Ticked("cbBHT2");
    v.cbBLT2 = Ticked("cbBLT2");
    return v;
}

AlarmSettingsReport TfrmAlarm::Reported() const
{
    const StatusSnapshot& s = snapshot_;
    if (!StatusReported(s))
        return {};
    return {s.DcHighAlarmVolt, s.DcLowAlarmVolt, s.BattLowAlarmVolt, s.OvShutdownVolt,
            s.Batt1HighTemp,   s.Batt1LowTemp,   s.Batt2HighTemp,    s.Batt2LowTemp};
}

void TfrmAlarm::btnSettingClick()
{
    scheduler_.PostCommand(KindAlarm, AlarmSettingsPayload(ReadValues(), Reported()));
    SetApplyBoxes(applyBoxes_, false);
}

void TfrmAlarm::btnSeletAllClick()
{
    SetApplyBoxes(applyBoxes_, true);
}

void TfrmAlarm::BitBtn3Click()
{
    SelectPosition(*cbbOV_, 20);
    SelectPosition(*cbbUV_, 80);
    SelectPosition(*cbbBLV_, 40);
    SelectPosition(*cbbOV_SD_, 10);
    SelectPosition(*cbbBHT_, 15);
    SelectPosition(*cbbBLT_, LowTempPosition(0));
    SelectPosition(*cbbBHT2_, 15);
    SelectPosition(*cbbBLT2_, LowTempPosition(0));
    for (TRadioGroup* group : radioGroups_)
        group->SetItemIndex(1);
}

void TfrmAlarm::btnExitClick()
{
    scheduler_.Release();
    reject();
}

void TfrmAlarm::rgAC1Click()
{
    ShelfRule(*rgAC1_, *rgRM1_, *rgRM2_);
}

void TfrmAlarm::rgAC2Click()
{
    ShelfRule(*rgAC2_, *rgRM3_, *rgRM4_);
}

} // namespace zelt
