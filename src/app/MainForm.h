#pragma once

// The main window: toolbar, TX/RX lamps, status tabs, result log and the
// status bar of port settings. It owns the serial port, the request
// scheduler and the receive state, and drives them from its handlers.

#include "history/HistoryDownload.h"
#include "protocol/FrameCodec.h"
#include "protocol/Scheduler.h"
#include "serial/ComPort.h"
#include "serial/ComSignal.h"
#include "status/StatusMonitor.h"

#include <QMainWindow>
#include <QTimer>

#include <array>
#include <cstdint>
#include <memory>

class QLabel;
class QPlainTextEdit;
class QTabWidget;

namespace zelt {

class LinkStatePanel;
class TBattDisch;
class TfrmComPort;
class TfrmSetting;
class TfrmAlarm;
class TfrmInitial;
class TfrmADSetting;
class TForm1;
class TfrmHistList;
class TfrmHistory;
class TfrmSetDisch;
class TfrmSetTime;
class TfrmShow;
class TSpeedButton;
class SessionRecorder;
class TrendWindow;

class TMain_Form : public QMainWindow, private SchedulerLink {
    Q_OBJECT
public:
    explicit TMain_Form(QWidget* parent = nullptr);
    ~TMain_Form() override;

    // Shared with the other windows (main thread only).
    RequestScheduler& Scheduler() { return scheduler_; }
    FrameReceiver& Receiver() { return rx_; }
    tcomport2& ComPort11() { return comPort11_; }
    QTimer& Timer1() { return timer1_; }
    QTimer& Timer2() { return status_->Timer2(); }
    QTimer& Timer3() { return status_->Timer3(); }
    // The status tabs, their decoders and the snapshot.
    StatusMonitor& Status() { return *status_; }
    // The battery test windows: the alert, the discharge test window (created
    // once) and the newest initial charge and clock dialogs.
    TfrmShow& frmShow() { return *frmShow_; }
    TBattDisch& BattDisch() { return *battDisch_; }
    TfrmSetDisch* frmSetDisch() { return frmSetDisch_.get(); }
    TfrmSetTime* frmSetTime() { return frmSetTime_.get(); }
    QTabWidget* PageControl1() const { return pageControl1_; }
    QPlainTextEdit* mmResult() const { return mmResult_; }
    // The five panels of ComSetting; the fifth shows the port's device name.
    QLabel* ComSettingPanel(int index) const { return comSettingPanels_.at(index); }
    // The sixth panel: whether the status shown is live.
    LinkStatePanel& LinkState() { return *linkState_; }
    void SetPortPanelText(const QString& deviceName);
    // Appends text with the local date and time to the result log.
    void AddResultLine(const QString& text);

    // 1 while a battery alert is up; sending the clock command clears it.
    std::uint8_t TestAlertShown = 0;

    // Toolbar commands.
    void ExitClick();
    void PortClick();
    void btnConnectClick();
    void btnDisconnectClick();

    // Commands of the battery test windows.
    void ClockClick();
    void Expand_BatteryClick();
    void SpeedButton3Click();
    // Opens the trend of the recorded samples (one window, raised when open).
    void TrendClick();
    TrendWindow* Trend() const { return trend_.get(); }

    // Commands of the configuration dialogs.
    void btnAlarmClick();
    void SettingClick();
    void InitialClick();
    void IP_SettingClick();
    void SpeedButton5Click();

    // The alarm history command, its download and its windows.
    void Alarm_HistoryClick();
    HistoryDownload& History() { return history_; }
    // The start-up instances of the history window and the acronym list.
    void CreateHistoryWindows();
    TfrmHistory* frmHistory() const { return frmHistory_.get(); }
    TfrmHistList* frmHistList() const { return frmHistList_.get(); }

    // The scheduler tick and the dispatch of a received frame.
    void Timer1Timer();
    void DispatchFrame();
    void HandleSettingAck();

protected:
    void closeEvent(QCloseEvent* event) override; // FormClose

private:
    void FormCreate();
    void BuildToolbar(QWidget* panel);
    void BuildStatusBar();
    void ConnectPort();
    void FallBackToDisconnected();

    // Port events.
    void ComPort11RxChar(QObject* sender);
    void ComPort11AfterRead(QObject* sender, const char* buffer, int length, bool waitOnCompletion);
    void ComPort11AfterClose(TCustomComPort* port);

    // What the scheduler tick drives.
    void SendFrame(const std::string& body) override;
    void HistoryStep() override;
    void ClockSent() override;
    void BattSetSent() override;

    // Record handlers of the dispatch table, filled in by the status,
    // history and battery test windows as they are built.
    void History_Display();
    void DecodeAlarmStatus();
    void HandleBattTestReply();
    void DecodeRectifierStatus();
    void DecodeUnitStatus();
    // The alarm history download's step (request kind 18).
    void History_polling();

    RequestScheduler scheduler_;
    FrameReceiver rx_;
    std::string rxText_; // the bytes of the last read; kept to reuse its storage
    // True while the window itself closes the port, so that AfterClose can
    // tell a deliberate close from a device that went away.
    bool closingPort_ = false;
    // Connect pressed and not since disconnected: only then does Timer1 run.
    bool connected_ = false;

    TSpeedButton* btnConnect_ = nullptr;
    TSpeedButton* btnDisconnect_ = nullptr;
    QLabel* pnlTX_ = nullptr;
    QLabel* pnlRX_ = nullptr;
    QTabWidget* pageControl1_ = nullptr;
    QPlainTextEdit* mmResult_ = nullptr;
    std::array<QLabel*, 5> comSettingPanels_{};
    LinkStatePanel* linkState_ = nullptr;
    QTimer timer1_;
    std::unique_ptr<TfrmShow> frmShow_;
    std::unique_ptr<StatusMonitor> status_;
    // Records what status_ decodes into the session database.
    std::unique_ptr<SessionRecorder> recorder_;
    std::unique_ptr<TrendWindow> trend_;
    std::unique_ptr<TBattDisch> battDisch_;
    std::unique_ptr<TfrmSetDisch> frmSetDisch_;
    std::unique_ptr<TfrmSetTime> frmSetTime_;

    // The lamps hook into the port's events: they are declared after it so
    // that they are destroyed first and give its handlers back.
    tcomport2 comPort11_;
    tcomsignal1 comSignal11_;
    tcomsignal1 comSignal12_;
    // The newest port dialog (a new one at every Port click).
    std::unique_ptr<TfrmComPort> portDialog_;
    // The newest configuration dialogs (a new one at every click).
    std::unique_ptr<TfrmSetting> frmSetting_;
    std::unique_ptr<TfrmAlarm> frmAlarm_;
    std::unique_ptr<TfrmInitial> frmInitial_;
    std::unique_ptr<TfrmADSetting> frmADSetting_;
    std::unique_ptr<TForm1> form1_;
    // The history download and its windows; the newest history window (a new
    // one at every Alarm History click) is the one the download fills.
    HistoryDownload history_;
    std::unique_ptr<TfrmHistList> frmHistList_;
    std::unique_ptr<TfrmHistory> frmHistory_;
};

// The current main window.
extern TMain_Form* Main_Form;

} // namespace zelt
