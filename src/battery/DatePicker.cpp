#include "battery/DatePicker.h"

#include "battery/BattDates.h"
#include "battery/SpinEdit.h"
#include "protocol/FieldText.h"
#include "ui/Panels.h"
#include "ui/StandardError.h"

#include <QCalendarWidget>
#include <QComboBox>
#include <QDate>
#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>

namespace zelt {

DatePicker::DatePicker(QWidget* parent)
    : QGroupBox(QStringLiteral("&DATE"), parent),
      spinedtYear(new TSpinEdit("spinedtYear", 2001, 2999, 4, this)),
      cbMonth(new QComboBox(this)),
      EngCalendar1(new QCalendarWidget(this))
{
    cbMonth->setObjectName(QStringLiteral("cbMonth"));
    for (int month = 1; month <= 12; ++month)
        cbMonth->addItem(QStringLiteral("%1").arg(month, 2, 10, QLatin1Char('0')));
    EngCalendar1->setObjectName(QStringLiteral("EngCalendar1"));
    EngCalendar1->setFirstDayOfWeek(Qt::Sunday);
    // Year and month come from the boxes above; the calendar picks the day.
    EngCalendar1->setNavigationBarVisible(false);
    EngCalendar1->setVerticalHeaderFormat(QCalendarWidget::NoVerticalHeader);

    auto* grid = new QGridLayout(this);
    grid->addWidget(NewPlainLabel(QStringLiteral("Year")), 0, 0);
    grid->addWidget(spinedtYear, 0, 1);
    grid->addWidget(NewPlainLabel(QStringLiteral("Month ")), 0, 2);
    grid->addWidget(cbMonth, 0, 3);
    grid->addWidget(EngCalendar1, 1, 0, 1, 4);
    spinedtYear->setAccessibleName(QStringLiteral("Year"));
    cbMonth->setAccessibleName(QStringLiteral("Month"));

    connect(cbMonth, &QComboBox::currentTextChanged, this, [this] { RunGuarded([this] { cbMonthChange(); }); });
    // Typing runs the text hook (an emptied box has no value); a new value,
    // typed or set, is signalled by the box itself.
    spinedtYear->OnTextChange = [this] { spinedtYearChange(); };
    connect(spinedtYear, &QSpinBox::valueChanged, this, [this] { RunGuarded([this] { spinedtYearChange(); }); });
    spinedtYear->OnExit = [this] { spinedtYearExit(); };
}

void DatePicker::MakeMonthEditable()
{
    cbMonth->setEditable(true);
    cbMonth->setInsertPolicy(QComboBox::NoInsert);
    cbMonth->lineEdit()->setMaxLength(2);
}

void DatePicker::SetDate(const QDate& date)
{
    spinedtYear->setValue(date.year());
    if (cbMonth->isEditable())
        cbMonth->setEditText(QString::number(date.month()));
    else
        cbMonth->setCurrentIndex(date.month() - 1);
    ShowCalendar(date.year(), date.month(), date.day());
}

void DatePicker::cbMonthChange()
{
    const auto month = Month();
    // An empty box or a typed month outside 1 to 12 leaves the calendar as it was.
    if (!month || *month < 1 || *month > 12)
        return;
    const std::int32_t year = spinedtYear->value();
    ShowCalendar(year, *month, ClampDay(year, *month, Day()));
}

void DatePicker::spinedtYearChange()
{
    if (spinedtYear->IsEmpty())
        spinedtYear->setValue(spinedtYear->minimum());
    cbMonthChange();
}

void DatePicker::spinedtYearExit()
{
    spinedtYear->FillEmpty();
}

std::optional<std::int32_t> DatePicker::Year() const
{
    if (spinedtYear->IsEmpty())
        return std::nullopt;
    return spinedtYear->value();
}

std::optional<std::int32_t> DatePicker::Month() const
{
    const std::string text = cbMonth->currentText().toStdString();
    if (text.empty())
        return std::nullopt;
    return StrToInt(text);
}

std::int32_t DatePicker::Day() const
{
    return EngCalendar1->selectedDate().day();
}

void DatePicker::ShowCalendar(std::int32_t year, std::int32_t month, std::int32_t day)
{
    // Only the days of the boxes' month can be picked: a cell of the month
    // before or after would move the calendar away from the boxes.
    EngCalendar1->setDateRange(QDate(year, month, 1), QDate(year, month, DaysInMonth(year, month)));
    EngCalendar1->setSelectedDate(QDate(year, month, day));
    EngCalendar1->setCurrentPage(year, month);
}

} // namespace zelt
