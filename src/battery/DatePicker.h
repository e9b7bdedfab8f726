#pragma once

// The date controls of both date dialogs: the year box, the month box and the
// month calendar (weeks from Sunday) whose selected cell is the day. The
// calendar shows the month and year of the two boxes, and its day is held
// within the month as they change.

#include <QGroupBox>

#include <cstdint>
#include <optional>

class QCalendarWidget;
class QComboBox;
class QDate;

namespace zelt {

class TSpinEdit;

class DatePicker : public QGroupBox {
    Q_OBJECT
public:
    explicit DatePicker(QWidget* parent = nullptr);

    TSpinEdit* const spinedtYear;
    QComboBox* const cbMonth;
    QCalendarWidget* const EngCalendar1;

    // Lets the month be typed (a month without its leading zero can stand).
    void MakeMonthEditable();

    // Year, month (a plain number, 7 for July) and the calendar from date.
    void SetDate(const QDate& date);

    // Keep the calendar on the boxes' month with a day that exists.
    void cbMonthChange();
    void spinedtYearChange();
    void spinedtYearExit();

    // The year box's value; empty when the box is empty.
    std::optional<std::int32_t> Year() const;
    // The month box's value; empty when the box is empty. Throws EConvertError
    // for a text that is no whole number.
    std::optional<std::int32_t> Month() const;
    // The calendar's day.
    std::int32_t Day() const;

private:
    void ShowCalendar(std::int32_t year, std::int32_t month, std::int32_t day);
};

// The message of a typed month that is no month.
inline constexpr const char* MonthRangeMessage = "Month must be 01 to 12";

} // namespace zelt
