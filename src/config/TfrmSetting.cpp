#include "config/TfrmSetting.h"

#include "config/PayloadFields.h"
#include "config/RadioGroup.h"
#include "config/ValueLists.h"
#include "config/SystemSettingsPayload.h"
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
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

namespace zelt {

TfrmSetting* frmSetting = nullptr;

namespace {

const char* const TempModeOn = "Temp Mode ON";
const char* const TempModeOff = "Temp Mode : OFF(No External Batteries)";

QGroupBox* NewGroup(const QString& title, QGridLayout*& grid, QWidget* parent)
{
    auto* group = new QGroupBox(title, parent);
    grid = new QGridLayout(group);
    return group;
}

// Selects the position of a snapshot value, or nothing for a value of 0
// (no status received yet).
void PreSelect(QComboBox& list, std::int32_t value, int position)
{
    if (value != 0)
        SelectPosition(list, position);
}

} // namespace

TfrmSetting::TfrmSetting(RequestScheduler& scheduler, const StatusSnapshot& snapshot, QWidget* parent)
    : QDialog(parent), scheduler_(scheduler), snapshot_(snapshot)
{
    frmSetting = this;
    setObjectName(QStringLiteral("frmSetting"));
    setWindowTitle(QStringLiteral("Setting"));
    SetBackgroundColour(*this, MoneyGreen);
    auto* layout = new QVBoxLayout(this);

    QGridLayout* grid = nullptr;
    QGroupBox* rectifier = NewGroup(QStringLiteral("Rectifier Set"), grid, this);
    cbFLV_ = AddRow(*grid, QStringLiteral("FL Volt"), "cbFLV", QStringLiteral("V"), QStringLiteral("(44.0~57.5)"), "cbFL");
    cbBoxCH_Mode_ = AddRow(*grid, QStringLiteral("Charge Mode "), "cbBoxCH_Mode", {}, {}, "cbCH_Mode");
    cbBoxBoost_Entry_ = AddRow(*grid, QStringLiteral("Boost Entry"), "cbBoxBoost_Entry", {}, {}, "cbBoost_En");
    LabTemp_ = NewPlainLabel(QStringLiteral("Temp Mode"));
    LabTemp_->setObjectName(QStringLiteral("LabTemp"));
    grid->addWidget(LabTemp_, grid->rowCount(), 0, 1, 5);
    cbBoxTemp_ = NewValueList("cbBoxTemp", {});
    const SettingRow temp = AddSettingRow(*grid, grid->rowCount(), QStringLiteral("Temp Mode"), cbBoxTemp_, {}, {}, "cbTemp");
    applyBoxes_.push_back(temp.apply);
    for (QWidget* hidden : {static_cast<QWidget*>(temp.caption), temp.value, static_cast<QWidget*>(temp.apply)})
        hidden->setVisible(false);

    QGridLayout* limitGrid = nullptr;
    QGroupBox* limit = NewGroup(QStringLiteral("Batt Charge Limit Ampere Setting"), limitGrid, rectifier);
    cbCHLimit_ = NewValueList("cbCHLimit", {});
    const SettingRow limitRow = AddSettingRow(*limitGrid, 0, QStringLiteral("Charge Limit"), cbCHLimit_,
                                              QStringLiteral("A"), QStringLiteral("(4~32)"), "cbCH_Limit");
    applyBoxes_.push_back(limitRow.apply);
    BL_Label_ = limitRow.range;
    BL_Label_->setObjectName(QStringLiteral("BL_Label"));
    rgCH_Limit_ = new TRadioGroup("rgCH_Limit", {}, {QStringLiteral("OFF"), QStringLiteral("ON")}, 2, limit);
    limitGrid->addWidget(rgCH_Limit_, 1, 0, 1, 5);
    connect(rgCH_Limit_, &TRadioGroup::Click, this, [this] { RunGuarded([this] { rgCH_LimitClick(); }); });
    grid->addWidget(limit, grid->rowCount(), 0, 1, 5);
    layout->addWidget(rectifier);

    QGroupBox* lvd = NewGroup(QStringLiteral("LVD Set"), grid, this);
    cbLVD_V_ = AddRow(*grid, QStringLiteral("Open Volt"), "cbLVD_V", QStringLiteral("V"), QStringLiteral("(40.0~50.0)"), "cbLVD");
    cbLVD_Time_ = AddRow(*grid, QStringLiteral("Delay Time"), "cbLVD_Time", QStringLiteral("Sec"), QStringLiteral("(1~60)"), "cbLVD_T");
    layout->addWidget(lvd);

    // Two groups whose rows are filled and read but never shown.
    QGroupBox* boost = NewGroup(QStringLiteral("Boost Set"), grid, this);
    cbEQV_ = AddRow(*grid, QStringLiteral("EQ Volt"), "cbEQV", {}, {}, "cbEQ");
    cbBCC_ = AddRow(*grid, QStringLiteral("EQ Charge Current"), "cbBCC", {}, {}, "cbEQ_A");
    cbBEC_ = AddRow(*grid, QStringLiteral("EQ End Current"), "cbBEC", {}, {}, "cbEQ_End_A");
    cbEQ_T_ = AddRow(*grid, QStringLiteral("EQ Charge Time"), "cbEQ_T", {}, {}, "cbEQT");
    cbB_P_ = AddRow(*grid, QStringLiteral("EQ Charge Period"), "cbB_P", {}, {}, "cbEQ_Day");
    boost->setVisible(false);
    layout->addWidget(boost);
    QGroupBox* discharge = NewGroup(QStringLiteral("Battery Discharge Set"), grid, this);
    cbAF_MD_ = AddRow(*grid, QStringLiteral("AC Fail Mode"), "cbAF_MD", {}, {}, "cbAF");
    cbAFDr_T_ = AddRow(*grid, QStringLiteral("AF Duration Time"), "cbAFDr_T", {}, {}, "cbAFD_T");
    cbAFDrop_V_ = AddRow(*grid, QStringLiteral("AF Drop Volt"), "cbAFDrop_V", {}, {}, "cbAFD_V");
    cbBoxDCH_ = AddRow(*grid, QStringLiteral("Discharge Test"), "cbBoxDCH", {}, {}, "cbDCH");
    cbDCH_T_ = AddRow(*grid, QStringLiteral("DISCH. Time"), "cbDCH_T", {}, {}, "cbDCHT");
    cbDCH_ARM_ = AddRow(*grid, QStringLiteral("DISCH. ALARM"), "cbDCH_ARM", {}, {}, "cbDCHARM");
    cbDCH_ABT_ = AddRow(*grid, QStringLiteral("DISCH. Abort"), "cbDCH_ABT", {}, {}, "cbDCHABT");
    discharge->setVisible(false);
    layout->addWidget(discharge);

    auto* buttonRow = new QHBoxLayout;
    const SettingButtons buttons =
        AddSettingButtons(*buttonRow, {"btnSetting", "btnSeletAll", "BitBtn3", "btnExit"});
    layout->addLayout(buttonRow);
    connect(buttons.setting, &QPushButton::clicked, this, [this] { RunGuarded([this] { btnSettingClick(); }); });
    connect(buttons.selectAll, &QPushButton::clicked, this, [this] { RunGuarded([this] { btnSeletAllClick(); }); });
    connect(buttons.defaults, &QPushButton::clicked, this, [this] { RunGuarded([this] { BitBtn3Click(); }); });
    connect(buttons.exit, &QPushButton::clicked, this, [this] { RunGuarded([this] { btnExitClick(); }); });

    Fill(*cbBoxCH_Mode_, {QStringLiteral("Float"), QStringLiteral("Boost")});
    Fill(*cbBoxBoost_Entry_, {QStringLiteral("10%"), QStringLiteral("20%"), QStringLiteral("30%")});
    for (QComboBox* onOff : {cbBoxTemp_, cbAF_MD_, cbBoxDCH_})
        Fill(*onOff, {QStringLiteral("OFF"), QStringLiteral("ON")});
    FormCreate();
}

TfrmSetting::~TfrmSetting()
{
    if (frmSetting == this)
        frmSetting = nullptr;
}

QComboBox* TfrmSetting::AddRow(QGridLayout& grid, const QString& caption, const char* list, const QString& unit,
                               const QString& range, const char* apply)
{
    QComboBox* value = NewValueList(list, {});
    const SettingRow row = AddSettingRow(grid, grid.count() == 0 ? 0 : grid.rowCount(), caption, value, unit, range, apply);
    applyBoxes_.push_back(row.apply);
    return value;
}

QCheckBox* TfrmSetting::Box(const char* name) const
{
    return findChild<QCheckBox*>(QString::fromLatin1(name));
}

void TfrmSetting::FormCreate()
{
    const StatusSnapshot& s = snapshot_;
    PreSelect(*cbBoxBoost_Entry_, s.BoostEntry, s.BoostEntry - 1);
    LabTemp_->setText(QString::fromLatin1(s.ExtBattStrings != 0 && s.TempCompOn != 0 ? TempModeOn : TempModeOff));

    Fill(*cbBCC_, Entries(31, 20, 1, PlainNumber));
    PreSelect(*cbBCC_, s.EqChargeCurrent, s.EqChargeCurrent - 20);

    const bool bigBattery = s.BattTypeIndex == 1;
    BL_Label_->setText(bigBattery ? QStringLiteral("(4~56)") : QStringLiteral("(4~32)"));
    Fill(*cbCHLimit_, Entries(bigBattery ? 14 : 8, 4, 4, PlainNumber));
    if (s.ChargeLimit != 0) {
        SelectPosition(*cbCHLimit_, (s.ChargeLimit - 1) / 4);
    } else {
        SelectPosition(*cbCHLimit_, 0);
        rgCH_Limit_->SetItemIndex(0);
    }

    Fill(*cbFLV_, Entries(28, 440, 5, FormatTenths));
    Fill(*cbEQV_, Entries(28, 440, 5, FormatTenths));
    Fill(*cbBEC_, Entries(99, 2, 1, PlainNumber));
    Fill(*cbEQ_T_, Entries(20, 1, 1, PlainNumber));
    Fill(*cbB_P_, Entries(81, 10, 1, PlainNumber));
    PreSelect(*cbFLV_, s.FloatVolt, (s.FloatVolt - 440) / 5);
    PreSelect(*cbEQV_, s.EqualizeVolt, (s.EqualizeVolt - 440) / 5);
    PreSelect(*cbBEC_, s.EqEndCurrent, s.EqEndCurrent - 2);

    SelectPosition(*cbBoxCH_Mode_, s.ChargeMode == 1 ? 0 : 1);
    SelectPosition(*cbBoxTemp_, s.TempCompOn);
    SelectPosition(*cbBoxDCH_, s.DischargeTestOn);

    for (QComboBox* volts : {cbLVD_V_, cbAFDrop_V_, cbDCH_ARM_, cbDCH_ABT_})
        Fill(*volts, Entries(21, 400, 5, FormatTenths));
    PreSelect(*cbLVD_V_, s.LvdOpenVolt, (s.LvdOpenVolt - 400) / 5);
    PreSelect(*cbAFDrop_V_, s.AcFailDropVolt, (s.AcFailDropVolt - 400) / 5);
    PreSelect(*cbDCH_ARM_, s.DischargeAlarmVolt, (s.DischargeAlarmVolt - 400) / 5);
    PreSelect(*cbDCH_ABT_, s.DischargeAbortVolt, (s.DischargeAbortVolt - 400) / 5);

    Fill(*cbLVD_Time_, Entries(60, 1, 1, PlainNumber));
    PreSelect(*cbLVD_Time_, s.LvdDelay, s.LvdDelay - 1);

    Fill(*cbAFDr_T_, Entries(12, 10, 10, PlainNumber));
    Fill(*cbDCH_T_, Entries(12, 10, 10, PlainNumber));
    PreSelect(*cbDCH_T_, s.DischargeTime, (s.DischargeTime - 10) / 10);

    SelectPosition(*cbAF_MD_, s.AcFailMode);
}

SystemSettingsValues TfrmSetting::ReadValues() const
{
    SystemSettingsValues v;
    v.floatVolt = ValueAt(*cbFLV_, 440, 5);
    v.chargeLimitOff = rgCH_Limit_->ItemIndex() == 0;
    v.chargeLimitText = TextOf(*cbCHLimit_);
    v.chargeMode = ValueAt(*cbBoxCH_Mode_, 0, 1);
    v.boostEntry = ValueAt(*cbBoxBoost_Entry_, 1, 1);
    v.lvdOpenVolt = ValueAt(*cbLVD_V_, 400, 5);
    v.lvdDelayText = TextOf(*cbLVD_Time_);
    v.acFailMode = ValueAt(*cbAF_MD_, 0, 1);
    v.dischargeTimeText = TextOf(*cbDCH_T_);
    v.dischargeAlarmVolt = ValueAt(*cbDCH_ARM_, 400, 5);
    v.dischargeAbortVolt = ValueAt(*cbDCH_ABT_, 400, 5);

    const auto ticked = [this](const char* name) { return Box(name)->isChecked(); };
    v.cbFL = ticked("cbFL");
    v.cbEQ = ticked("cbEQ");
    v.cbCH_Limit = ticked("cbCH_Limit");
    v.cbCH_Mode = ticked("cbCH_Mode");
    v.cbBoost_En = ticked("cbBoost_En");
    v.cbEQ_A = ticked("cbEQ_A");
    v.cbEQ_End_A = ticked("cbEQ_End_A");
    v.cbEQ_Day = ticked("cbEQ_Day");
    v.cbAF = ticked("cbAF");
    v.cbEQT = ticked("cbEQT");
    v.cbLVD = ticked("cbLVD");
    v.cbLVD_T = ticked("cbLVD_T");
    v.cbAFD_V = ticked("cbAFD_V");
    v.cbAFD_T = ticked("cbAFD_T");
    v.cbDCHT = ticked("cbDCHT");
    v.cbDCHARM = ticked("cbDCHARM");
    v.cbDCHABT = ticked("cbDCHABT");
    return v;
}

// The rows' values as the snapshot holds them now. The charge mode is
// reported as a status code: 1 is float, as the pre-fill reads it.
SystemSettingsReport TfrmSetting::Reported() const
{
    const StatusSnapshot& s = snapshot_;
    if (!StatusReported(s))
        return {};
    return {s.FloatVolt, s.ChargeLimit, s.ChargeMode == 1 ? 0 : 1, s.BoostEntry, s.LvdOpenVolt,
            s.LvdDelay,  s.AcFailMode,  s.DischargeTime, s.DischargeAlarmVolt, s.DischargeAbortVolt};
}

// A refused or unconvertible value leaves before anything is queued, with
// the apply boxes still ticked.
void TfrmSetting::btnSettingClick()
{
    scheduler_.PostCommand(KindSystem, SystemSettingsPayload(ReadValues(), Reported()));
    SetApplyBoxes(applyBoxes_, false);
}

void TfrmSetting::btnSeletAllClick()
{
    SetApplyBoxes(applyBoxes_, true);
}

void TfrmSetting::BitBtn3Click()
{
    SelectPosition(*cbFLV_, 20);
    SelectPosition(*cbBoxCH_Mode_, 0);
    SelectPosition(*cbBoxBoost_Entry_, 0);
    cbCHLimit_->setCurrentText(snapshot_.BattTypeIndex == 1 ? QStringLiteral("56") : QStringLiteral("32"));
    rgCH_Limit_->SetItemIndex(1);
    SelectPosition(*cbLVD_V_, 4);
    SelectPosition(*cbLVD_Time_, 4);
    SelectPosition(*cbBoxTemp_, 1);
    SelectPosition(*cbEQV_, 25);
    cbBCC_->setCurrentText(QStringLiteral("50"));
    SelectPosition(*cbBEC_, 8);
    cbEQ_T_->setCurrentText(QStringLiteral("12"));
    SelectPosition(*cbB_P_, 20);
    SelectPosition(*cbAF_MD_, 1);
    SelectPosition(*cbAFDr_T_, 5);
    SelectPosition(*cbAFDrop_V_, 8);
    SelectPosition(*cbBoxDCH_, 0);
    SelectPosition(*cbDCH_T_, 5);
    SelectPosition(*cbDCH_ARM_, 8);
    SelectPosition(*cbDCH_ABT_, 8);
}

void TfrmSetting::btnExitClick()
{
    scheduler_.Release();
    reject();
}

void TfrmSetting::rgCH_LimitClick()
{
    if (rgCH_Limit_->ItemIndex() == 0)
        cbCHLimit_->setCurrentText(QStringLiteral("OFF"));
}

void TfrmSetting::done(int result)
{
    scheduler_.ReleaseIfQuiet();
    QDialog::done(result);
}

} // namespace zelt
