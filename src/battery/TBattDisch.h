#pragma once

// The battery discharge test window: shows and edits the controller's test
// bookkeeping (last test, interval, battery type and strings, the capacities
// of the last two tests and the verdict), works out the capacity verdict and
// the next dates, and saves the bookkeeping with the 'G' command. It reads
// the bookkeeping with the 'L' request, repeated from its own one-second
// timer until the reply is in. Created once at start-up, shown modally.

#include <QDialog>
#include <QTimer>

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>

class QComboBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QRadioButton;

namespace zelt {

class StatusArea;
class TfrmDataSetCheck;
class TfrmSetDate;
class TfrmShow;
struct RequestScheduler;
struct StatusSnapshot;

// What the window reaches on the main window.
struct BattDischLinks {
    RequestScheduler& scheduler;
    const StatusSnapshot& snapshot;       // the manual test flag at creation
    const StatusArea& statusArea;         // the initial charge time display
    TfrmShow& frmShow;                    // the battery alert window, closed once Save is sent
    std::uint8_t& testAlertShown;         // 1 while a battery alert is up
    std::function<void(const QString&)> addResultLine;
    // True while the main window is connected: a command posted now goes out.
    std::function<bool()> lineConnected;
};

// The dates of the test date dialog: the one picked and the three an early
// test date would write, held until the operator confirms them.
struct TestDateChoice {
    std::string ChosenEndDate;
    std::string PendingLastDate;
    std::string PendingNextDate;
    std::string PendingReplaceDate;
};

class TBattDisch : public QDialog {
    Q_OBJECT
public:
    explicit TBattDisch(BattDischLinks links, QWidget* parent = nullptr);
    ~TBattDisch() override;

    // The first 18 characters of the latest 'L' reply; 18 zeros until then.
    std::string BattTestBody = std::string(18, '0');
    // The body last applied to the window; emptied at each opening.
    std::string BattTestApplied;
    // 1 from the opening until the 'L' reply arrives.
    std::uint8_t BattTestPending = 0;
    // 0 none, 1 good, 2 degraded, 3 low.
    std::int32_t BattVerdict = 0;
    TestDateChoice TestDates;

    // The "Battery Discharge" command: asks for the bookkeeping and shows
    // the window modally. Opening() is its part before the window shows.
    void Open();
    void Opening();

    // rxBody: the received body of an 'L' frame.
    void HandleBattTestReply(const std::string& rxBody);

    // Tick of Timer1: repeats the request while no reply is in and applies a
    // body not applied yet.
    void ApplyBattTestBody();
    // Puts ampHours into "This DT Capacity" once the window has shown the
    // controller's next 'L' reply, so that the reply does not overwrite it.
    void FillDtCapacityAfterReply(int ampHours);
    void EvaluateCapacity(); // "Set"
    void btnSettingClick();  // "Save"
    // The scheduler has written the 'G' command that Save posted: the alert
    // may be raised again.
    void BattSetSent();
    void IntervalBoxChange();
    void cbBoxBattTypeChange();
    void cbbBankQtyChange();
    void edtDTCapaChange();
    void btnTestDateSetClick();
    void btnExitClick();
    void ClearTestDisplay();

    QTimer Timer1;
    TfrmDataSetCheck& frmDataSetCheck() { return *frmDataSetCheck_; }
    // The newest test date dialog.
    TfrmSetDate* frmSetDate() { return frmSetDate_.get(); }

    QLabel* const pnlLastDate;
    QComboBox* const IntervalBox;
    QLabel* const pnlNextDate;
    QPushButton* const btnTestDateSet;
    QComboBox* const cbBoxBattType;
    QComboBox* const cbbBankQty;
    QRadioButton* const rgMDchOn;
    QRadioButton* const rgMDchOff;
    QLabel* const pnlRate;
    QLineEdit* const edtDT;
    QLineEdit* const edtDTCapa;
    QPushButton* const btnDTset;
    QLabel* const pnlRateCapa;
    QLabel* const pnlCapaPrev;
    QLabel* const LabGood;
    QLabel* const Lab12Month;
    QLabel* const LabCapaLow;
    QLabel* const pnlNextTestDate;
    QPushButton* const btnSetting;
    QPushButton* const btnExit;

    void done(int result) override;

private:
    void FormCreate();
    void BuildLayout();
    void FormClose();
    void EvaluateCapacitySteps();
    void ApplyBody(std::string body);
    void ShowLastTestDate(const std::string& date);
    void ShowVerdict(const std::string& code, int intervalIndex, const QString& intervalShown);
    void Highlight(QLabel* line, bool withTextColours);
    void ShowRatedCapacity();
    void SetPercentPanel(QLabel* panel, const std::string& text, bool hasValue);
    bool HasLastDate() const;
    bool SaveQueued() const;

    BattDischLinks links_;
    std::optional<int> dtCapacityAfterReply_;
    std::unique_ptr<TfrmDataSetCheck> frmDataSetCheck_;
    std::unique_ptr<TfrmSetDate> frmSetDate_;
};

} // namespace zelt
