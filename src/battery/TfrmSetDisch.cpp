#include "battery/TfrmSetDisch.h"

#include "battery/DialogButton.h"
#include "battery/BattPayloads.h"
#include "protocol/Scheduler.h"
#include "status/StatusSnapshot.h"
#include "ui/Colours.h"
#include "ui/Panels.h"
#include "ui/StandardError.h"

#include <QCheckBox>
#include <QComboBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

namespace zelt {

namespace {

QCheckBox* Box(const char* name, QWidget* parent)
{
    auto* box = new QCheckBox(parent);
    box->setObjectName(QString::fromLatin1(name));
    return box;
}

} // namespace

TfrmSetDisch::TfrmSetDisch(RequestScheduler& scheduler, const StatusSnapshot& snapshot, QWidget* parent)
    : QDialog(parent),
      cbFloat(Box("cbFloat", this)),
      cb12h(Box("cb12h", this)),
      cb24h(Box("cb24h", this)),
      cb72h(Box("cb72h", this)),
      cbComp(Box("cbComp", this)),
      cbTemp_Comp(new QComboBox(this)),
      btnSetting(NewDialogButton("btnSetting", "Setting", this)),
      BitBtn3(NewDialogButton("BitBtn3", "Default", this)),
      btnExit(NewDialogButton("btnExit", "Exit", this)),
      scheduler_(scheduler)
{
    setObjectName(QStringLiteral("frmSetDisch"));
    setWindowTitle(QStringLiteral("Initial Charge"));
    SetBackgroundColour(*this, MoneyGreen);
    cbTemp_Comp->setObjectName(QStringLiteral("cbTemp_Comp"));
    cbTemp_Comp->addItems({QStringLiteral("OFF"), QStringLiteral("ON")});
    cbComp->hide();
    cbTemp_Comp->hide();

    auto* group = new QGroupBox(QStringLiteral("Battery OCV "), this);
    auto* grid = new QGridLayout(group);
    const std::tuple<const char*, const char*, QCheckBox*> rows[] = {
        {"> 12.80V", "12H~24H, Float", cbFloat},
        {"12.61 ~ 12.80V", "12H~24H, EQ", cb12h},
        {"12.30 ~ 12.60V", "24H~48H, EQ", cb24h},
        {"12.10 ~ 12.29V", "72H~144H, EQ", cb72h},
    };
    int row = 0;
    for (const auto& [band, program, box] : rows) {
        grid->addWidget(NewPlainLabel(QString::fromLatin1(band)), row, 0);
        grid->addWidget(NewPlainLabel(QString::fromLatin1(program)), row, 1);
        grid->addWidget(box, row, 2);
        box->setAccessibleName(QString::fromLatin1(band));
        ++row;
    }
    grid->addWidget(NewPlainLabel(QStringLiteral("Temp Compensation Always ON")), row, 0, 1, 3);

    auto* buttons = new QHBoxLayout;
    buttons->addWidget(btnSetting);
    buttons->addWidget(BitBtn3);
    buttons->addWidget(btnExit);
    auto* column = new QVBoxLayout(this);
    column->addWidget(group);
    column->addLayout(buttons);

    const std::pair<QCheckBox*, void (TfrmSetDisch::*)()> handlers[] = {
        {cbFloat, &TfrmSetDisch::cbFloatClick}, {cb12h, &TfrmSetDisch::cb12hClick},
        {cb24h, &TfrmSetDisch::cb24hClick},     {cb72h, &TfrmSetDisch::cb72hClick},
        {cbComp, &TfrmSetDisch::cbCompClick},
    };
    for (const auto& [box, handler] : handlers)
        connect(box, &QCheckBox::toggled, this, [this, handler = handler] { RunGuarded([&] { (this->*handler)(); }); });
    connect(btnSetting, &QPushButton::clicked, this, [this] { RunGuarded([this] { btnSettingClick(); }); });
    connect(BitBtn3, &QPushButton::clicked, this, [this] { RunGuarded([this] { BitBtn3Click(); }); });
    connect(btnExit, &QPushButton::clicked, this, [this] { RunGuarded([this] { btnExitClick(); }); });

    // FormCreate: the controller's present compensation mode, 0 "OFF" and 1
    // "ON"; any other flag selects neither, and the payload carries no mode bit.
    const std::int32_t mode = snapshot.TempCompOn;
    cbTemp_Comp->setCurrentIndex(mode == 0 || mode == 1 ? mode : -1);
}

void TfrmSetDisch::KeepOnly(QCheckBox* row)
{
    for (QCheckBox* each : {cbFloat, cb12h, cb24h, cb72h})
        if (each != row)
            each->setChecked(false);
}

void TfrmSetDisch::cbFloatClick()
{
    if (!cbFloat->isChecked())
        return;
    KeepOnly(cbFloat);
    cbComp->setChecked(true);
}

void TfrmSetDisch::cb12hClick()
{
    if (!cb12h->isChecked())
        return;
    KeepOnly(cb12h);
    cbComp->setChecked(false);
}

void TfrmSetDisch::cb24hClick()
{
    if (!cb24h->isChecked())
        return;
    KeepOnly(cb24h);
    cbComp->setChecked(false);
}

void TfrmSetDisch::cb72hClick()
{
    if (!cb72h->isChecked())
        return;
    KeepOnly(cb72h);
    cbComp->setChecked(false);
}

void TfrmSetDisch::cbCompClick()
{
    if (!cbComp->isChecked())
        return;
    KeepOnly(cbFloat);
    cbFloat->setChecked(true);
}

void TfrmSetDisch::BitBtn3Click()
{
    cbComp->setChecked(true);
    KeepOnly(cbFloat);
    cbFloat->setChecked(true);
}

void TfrmSetDisch::btnSettingClick()
{
    ChargeSelection selection;
    selection.rows = {cbFloat->isChecked(), cb12h->isChecked(), cb24h->isChecked(), cb72h->isChecked()};
    selection.compensation = cbComp->isChecked();
    selection.tempCompIndex = cbTemp_Comp->currentIndex();
    scheduler_.PostCommand(KindCharge, ChargePayload(selection));
    for (QCheckBox* box : {cbFloat, cb12h, cb24h, cb72h, cbComp})
        box->setChecked(false);
}

void TfrmSetDisch::btnExitClick()
{
    scheduler_.Release();
    close();
}

void TfrmSetDisch::done(int result)
{
    RunGuarded([this] { FormClose(); });
    QDialog::done(result);
}

void TfrmSetDisch::FormClose()
{
    scheduler_.ReleaseIfQuiet();
}

} // namespace zelt
