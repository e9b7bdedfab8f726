#include "config/TfrmInitial.h"

#include "config/HistoryClearPayload.h"
#include "config/RadioGroup.h"
#include "protocol/Scheduler.h"
#include "ui/Colours.h"
#include "ui/Panels.h"
#include "ui/StandardError.h"

#include <QHBoxLayout>
#include <QPushButton>
#include <QVBoxLayout>

namespace zelt {

TfrmInitial* frmInitial = nullptr;

TfrmInitial::TfrmInitial(RequestScheduler& scheduler, QWidget* parent) : QDialog(parent), scheduler_(scheduler)
{
    frmInitial = this;
    setObjectName(QStringLiteral("frmInitial"));
    setWindowTitle(QStringLiteral("History Initial"));
    SetBackgroundColour(*this, MoneyGreen);
    auto* layout = new QVBoxLayout(this);
    rgInitial_ = new TRadioGroup("rgInitial", QStringLiteral("Command"), {QStringLiteral("Are you sure?")}, 1, this);
    layout->addWidget(rgInitial_);
    connect(rgInitial_, &TRadioGroup::Click, this, [this] { RunGuarded([this] { rgInitialClick(); }); });

    BitBtnOK_ = new QPushButton(QStringLiteral("OK"), this);
    BitBtnOK_->setObjectName(QStringLiteral("BitBtnOK"));
    BitBtnOK_->setEnabled(false);
    auto* cancel = new QPushButton(QStringLiteral("Cancel"), this);
    cancel->setObjectName(QStringLiteral("BitBtnICancel"));
    // Neither button is pressed by Enter: the history is cleared only by a click on OK.
    for (QPushButton* button : {BitBtnOK_, cancel})
        button->setAutoDefault(false);
    auto* buttons = new QHBoxLayout;
    buttons->addWidget(BitBtnOK_);
    buttons->addWidget(cancel);
    layout->addLayout(buttons);
    connect(BitBtnOK_, &QPushButton::clicked, this, [this] { RunGuarded([this] { BitBtnOKClick(); }); });
    connect(cancel, &QPushButton::clicked, this, [this] { RunGuarded([this] { BitBtnICancelClick(); }); });
}

TfrmInitial::~TfrmInitial()
{
    if (frmInitial == this)
        frmInitial = nullptr;
}

void TfrmInitial::rgInitialClick()
{
    BitBtnOK_->setEnabled(true);
}

void TfrmInitial::BitBtnOKClick()
{
    if (rgInitial_->ItemIndex() == 0)
        scheduler_.RequestKind = KindHistoryClear;
    scheduler_.ControlPayload = HistoryClearPayload;
    scheduler_.ReplyCountdown = 3;
    scheduler_.SendPermit = 1;
    accept();
}

void TfrmInitial::BitBtnICancelClick()
{
    scheduler_.Release();
    reject();
}

void TfrmInitial::done(int result)
{
    scheduler_.ReleaseIfQuiet();
    QDialog::done(result);
}

} // namespace zelt
