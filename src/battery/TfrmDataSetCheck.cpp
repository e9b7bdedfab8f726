#include "battery/TfrmDataSetCheck.h"

#include "battery/DialogButton.h"
#include "battery/TBattDisch.h"
#include "ui/Colours.h"
#include "ui/Panels.h"
#include "ui/StandardError.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

namespace zelt {

namespace {

QString Latin1(const std::string& text)
{
    return QString::fromLatin1(text.data(), static_cast<qsizetype>(text.size()));
}

} // namespace

TfrmDataSetCheck::TfrmDataSetCheck(TBattDisch& battDisch)
    : QDialog(&battDisch),
      lbMessage(NewPlainLabel({}, this)),
      btnSet(NewDialogButton("btnSet", "Yes", this)),
      No(NewDialogButton("No", "no", this)),
      battDisch_(battDisch)
{
    setObjectName(QStringLiteral("frmDataSetCheck"));
    setWindowTitle(QStringLiteral("frmDataSetCheck"));
    SetBackgroundColour(*this, MoneyGreen);
    lbMessage->setObjectName(QStringLiteral("lbMessage"));

    auto* buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(btnSet);
    buttons->addWidget(No);
    buttons->addStretch(1);
    auto* column = new QVBoxLayout(this);
    column->addWidget(lbMessage);
    column->addLayout(buttons);

    connect(btnSet, &QPushButton::clicked, this, [this] { RunGuarded([this] { btnSetClick(); }); });
    connect(No, &QPushButton::clicked, this, [this] { RunGuarded([this] { NoClick(); }); });
}

void TfrmDataSetCheck::btnSetClick()
{
    const TestDateChoice& dates = battDisch_.TestDates;
    battDisch_.pnlLastDate->setText(Latin1(dates.PendingLastDate));
    battDisch_.pnlNextDate->setText(Latin1(dates.PendingNextDate));
    if (battDisch_.BattVerdict == 3)
        battDisch_.pnlNextTestDate->setText(Latin1(dates.PendingReplaceDate));
    accept();
}

void TfrmDataSetCheck::NoClick()
{
    reject();
}

} // namespace zelt
