#include "battery/TfrmSetTime.h"

#include "battery/DialogButton.h"
#include "ui/MessageBox.h"
#include "battery/BattPayloads.h"
#include "battery/DatePicker.h"
#include "battery/SpinEdit.h"
#include "protocol/Scheduler.h"
#include "ui/Colours.h"
#include "ui/Panels.h"
#include "ui/StandardError.h"

#include <QDateTime>
#include <QGridLayout>
#include <QGroupBox>
#include <QLabel>
#include <QHBoxLayout>
#include <QPushButton>
#include <QTabWidget>
#include <QVBoxLayout>

namespace zelt {

namespace {

std::optional<std::int32_t> ValueOf(const TSpinEdit& box)
{
    if (box.IsEmpty())
        return std::nullopt;
    return box.value();
}

} // namespace

TfrmSetTime::TfrmSetTime(RequestScheduler& scheduler, QWidget* parent)
    : QDialog(parent),
      date(new DatePicker(this)),
      spinedtHour(new TSpinEdit("spinedtHour", 0, 23, 2, this)),
      spinedtMIn(new TSpinEdit("spinedtMIn", 0, 59, 2, this)),
      spinedtSec(new TSpinEdit("spinedtSec", 0, 59, 2, this)),
      Button1(NewDialogButton("Button1", "Current Set", this)),
      bbtOK(NewDialogButton("bbtOK", "OK", this)),
      bbtCancel(NewDialogButton("bbtCancel", "Cancel", this)),
      scheduler_(scheduler)
{
    setObjectName(QStringLiteral("frmSetTime"));
    setWindowTitle(QStringLiteral("SET DATE/TIME"));
    SetBackgroundColour(*this, MoneyGreen);

    auto* timeGroup = new QGroupBox(QStringLiteral("&TIME"));
    auto* timeGrid = new QGridLayout(timeGroup);
    int column = 0;
    for (auto [box, caption] : {std::pair{spinedtHour, "Hour"}, {spinedtMIn, "Min"}, {spinedtSec, "Sec"}}) {
        timeGrid->addWidget(NewPlainLabel(QString::fromLatin1(caption)), 0, column++);
        timeGrid->addWidget(box, 0, column++);
        box->setAccessibleName(QString::fromLatin1(caption));
        box->OnExit = [box = box] { box->FillEmpty(); };
    }

    auto* page = new QWidget;
    auto* pageColumn = new QVBoxLayout(page);
    pageColumn->addWidget(date);
    pageColumn->addWidget(timeGroup);
    auto* pages = new QTabWidget(this);
    pages->addTab(page, QStringLiteral("DATE / TIME"));

    auto* buttons = new QHBoxLayout;
    buttons->addWidget(Button1);
    buttons->addStretch(1);
    buttons->addWidget(bbtOK);
    buttons->addWidget(bbtCancel);
    auto* column1 = new QVBoxLayout(this);
    column1->addWidget(pages);
    column1->addLayout(buttons);

    connect(Button1, &QPushButton::clicked, this, [this] { RunGuarded([this] { Button1Click(); }); });
    connect(bbtOK, &QPushButton::clicked, this, [this] { RunGuarded([this] { bbtOKClick(); }); });
    connect(bbtCancel, &QPushButton::clicked, this, [this] { RunGuarded([this] { bbtCancelClick(); }); });

    // FormCreate: no clock payload yet; the month a fixed list until the opener says otherwise.
    scheduler_.ClockPayload.clear();
}

void TfrmSetTime::MakeMonthEditable()
{
    date->MakeMonthEditable();
}

void TfrmSetTime::FillFrom(const QDateTime& when)
{
    date->SetDate(when.date());
    spinedtHour->setValue(when.time().hour());
    spinedtMIn->setValue(when.time().minute());
    spinedtSec->setValue(when.time().second());
}

void TfrmSetTime::showEvent(QShowEvent* event)
{
    QDialog::showEvent(event);
    RunGuarded([this] { FillFrom(QDateTime::currentDateTime()); });
}

void TfrmSetTime::Button1Click()
{
    FillFrom(QDateTime::currentDateTime());
}

void TfrmSetTime::bbtOKClick()
{
    DateTimeParts parts;
    parts.month = date->Month();
    if (parts.month && (*parts.month < 1 || *parts.month > 12)) {
        ShowMessage(MessageKind::Information, QString::fromLatin1(MonthRangeMessage));
        return;
    }
    parts.year = date->Year();
    parts.day = date->Day();
    parts.hour = ValueOf(*spinedtHour);
    parts.minute = ValueOf(*spinedtMIn);
    parts.second = ValueOf(*spinedtSec);
    scheduler_.PostCommand(KindClock, ClockPayload(parts));
    accept();
}

void TfrmSetTime::bbtCancelClick()
{
    scheduler_.Release();
    reject();
}

void TfrmSetTime::done(int result)
{
    RunGuarded([this] { FormClose(); });
    QDialog::done(result);
}

void TfrmSetTime::FormClose()
{
    scheduler_.ReleaseIfQuiet();
}

} // namespace zelt
