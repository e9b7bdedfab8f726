#pragma once

// The test date dialog "SET DATE/TIME": records the day a discharge test
// was completed into the battery discharge test window (last test, next
// scheduled test and, for a low capacity, the replacement date). A date
// before the scheduled test is applied only when the operator confirms it.
// It sends nothing; the window's Save carries the dates to the controller.

#include <QDialog>

#include <cstdint>

class QDate;
class QPushButton;

namespace zelt {

class DatePicker;
class TBattDisch;
class TfrmDataSetCheck;
struct RequestScheduler;

class TfrmSetDate : public QDialog {
    Q_OBJECT
public:
    TfrmSetDate(TBattDisch& battDisch, TfrmDataSetCheck& check, RequestScheduler& scheduler,
                std::uint8_t& testAlertShown, QWidget* parent = nullptr);

    DatePicker* const date;
    QPushButton* const Button1;
    QPushButton* const bbtOK;

    void MakeMonthEditable();
    void FillFrom(const QDate& day);
    void Button1Click();
    void bbtOKClick();

    void done(int result) override;

protected:
    void showEvent(QShowEvent* event) override; // FormActivate

private:
    void FormClose();

    TBattDisch& battDisch_;
    TfrmDataSetCheck& check_;
    RequestScheduler& scheduler_;
    std::uint8_t& testAlertShown_;
};

} // namespace zelt
