#pragma once

// The clock dialog "SET DATE/TIME": picks a date and time and sets the
// controller's clock with the 'T' command. The scheduler stays quiet (kind
// 20) while it is open; OK posts the command, Cancel and closing release it.

#include <QDialog>

class QDateTime;
class QPushButton;

namespace zelt {

class DatePicker;
class TSpinEdit;
struct RequestScheduler;

class TfrmSetTime : public QDialog {
    Q_OBJECT
public:
    explicit TfrmSetTime(RequestScheduler& scheduler, QWidget* parent = nullptr);

    DatePicker* const date;
    TSpinEdit* const spinedtHour;
    TSpinEdit* const spinedtMIn;
    TSpinEdit* const spinedtSec;
    QPushButton* const Button1;
    QPushButton* const bbtOK;
    QPushButton* const bbtCancel;

    void MakeMonthEditable();
    // Date and time into the controls (activation and "Current Set" use the PC clock).
    void FillFrom(const QDateTime& when);
    void Button1Click();
    void bbtOKClick();
    void bbtCancelClick();

    void done(int result) override;

protected:
    void showEvent(QShowEvent* event) override; // FormActivate

private:
    void FormClose();

    RequestScheduler& scheduler_;
};

} // namespace zelt
