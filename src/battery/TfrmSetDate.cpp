#include "battery/TfrmSetDate.h"

#include "battery/DialogButton.h"
#include "battery/BattDates.h"
#include "ui/MessageBox.h"
#include "battery/ChoiceList.h"
#include "battery/DatePicker.h"
#include "battery/TBattDisch.h"
#include "battery/TfrmDataSetCheck.h"
#include "protocol/FieldText.h"
#include "protocol/Scheduler.h"
#include "ui/Colours.h"
#include "ui/Panels.h"
#include "ui/StandardError.h"

#include <QDate>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QTabWidget>
#include <QVBoxLayout>

namespace zelt {

namespace {

QString Latin1(const std::string& text)
{
    return QString::fromLatin1(text.data(), static_cast<qsizetype>(text.size()));
}

} // namespace

TfrmSetDate::TfrmSetDate(TBattDisch& battDisch, TfrmDataSetCheck& check, RequestScheduler& scheduler,
                         std::uint8_t& testAlertShown, QWidget* parent)
    : QDialog(parent),
      date(new DatePicker(this)),
      Button1(NewDialogButton("Button1", "Current Set", this)),
      bbtOK(NewDialogButton("bbtOK", "OK", this)),
      battDisch_(battDisch),
      check_(check),
      scheduler_(scheduler),
      testAlertShown_(testAlertShown)
{
    setObjectName(QStringLiteral("frmSetDate"));
    setWindowTitle(QStringLiteral("SET DATE/TIME"));
    SetBackgroundColour(*this, MoneyGreen);

    auto* page = new QWidget;
    auto* pageColumn = new QVBoxLayout(page);
    pageColumn->addWidget(date);
    auto* pages = new QTabWidget(this);
    pages->addTab(page, QStringLiteral("DATE"));
    auto* buttons = new QHBoxLayout;
    buttons->addWidget(Button1);
    buttons->addStretch(1);
    buttons->addWidget(bbtOK);
    auto* column = new QVBoxLayout(this);
    column->addWidget(pages);
    column->addLayout(buttons);

    connect(Button1, &QPushButton::clicked, this, [this] { RunGuarded([this] { Button1Click(); }); });
    connect(bbtOK, &QPushButton::clicked, this, [this] { RunGuarded([this] { bbtOKClick(); }); });

    // FormCreate.
    battDisch_.TestDates.ChosenEndDate.clear();
}

void TfrmSetDate::MakeMonthEditable()
{
    date->MakeMonthEditable();
}

void TfrmSetDate::FillFrom(const QDate& day)
{
    date->SetDate(day);
}

void TfrmSetDate::showEvent(QShowEvent* event)
{
    QDialog::showEvent(event);
    RunGuarded([this] { FillFrom(QDate::currentDate()); });
}

void TfrmSetDate::Button1Click()
{
    FillFrom(QDate::currentDate());
}

void TfrmSetDate::bbtOKClick()
{
    const auto month = date->Month();
    if (month && (*month < 1 || *month > 12)) {
        ShowMessage(MessageKind::Information, QString::fromLatin1(MonthRangeMessage));
        return;
    }
    const auto year = date->Year();
    const std::int32_t day = date->Day();
    TestDateChoice& dates = battDisch_.TestDates;
    if (year && month && day >= 1)
        dates.ChosenEndDate = DashedText(CalendarDate{*year, *month, day});
    // Throws the standard conversion message when no date was picked.
    const CalendarDate picked = ReadPanelDate(dates.ChosenEndDate);

    const std::string next = battDisch_.pnlNextDate->text().toStdString();
    const bool early = !next.empty() && IsBefore(picked, ReadPanelDate(next));

    if (early)
        dates.PendingLastDate = dates.ChosenEndDate;
    else
        battDisch_.pnlLastDate->setText(Latin1(dates.ChosenEndDate));

    const bool twelveMonths = SelectedIndex(*battDisch_.IntervalBox) == 0;
    const std::string nextTest = DashedText(AddTestYears(picked, twelveMonths ? 1 : 2));
    if (early)
        dates.PendingNextDate = nextTest;
    else
        battDisch_.pnlNextDate->setText(Latin1(nextTest));

    if (battDisch_.BattVerdict == 3) {
        const std::string replace = DashedText(AddTestYears(picked, 1));
        if (early)
            dates.PendingReplaceDate = replace;
        else
            battDisch_.pnlNextTestDate->setText(Latin1(replace));
    }

    if (early) {
        const char* phrase = twelveMonths ? "Discharge Test Less than 12 month -- Are you sure ?"
                                          : "Discharge Test Less than 24 month -- Are you sure ?";
        check_.lbMessage->setText(QStringLiteral("\" %1 \"").arg(QString::fromLatin1(phrase)));
        check_.exec();
    }
    testAlertShown_ = 0;
    accept();
}

void TfrmSetDate::done(int result)
{
    RunGuarded([this] { FormClose(); });
    QDialog::done(result);
}

void TfrmSetDate::FormClose()
{
    scheduler_.ReleaseIfQuiet();
}

} // namespace zelt
