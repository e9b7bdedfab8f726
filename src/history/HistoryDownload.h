#pragma once

// The alarm history download: one request per permitted tick of the request
// scheduler while the request kind is the history kind, one grid row per
// matching answer. It ends at the controller's last record (information
// message), after three unanswered requests for a row (error message), or
// silently when the page limit is passed. The state lives here and is owned
// by the main window; the newest history window shows it.

#include "protocol/Scheduler.h"

#include <QTimer>

#include <cstdint>
#include <functional>
#include <string>

namespace zelt {

class TfrmHistory;

inline constexpr const char* NoHistoryMessage =
    "No History data Or Commucation Fail.\rPlease Check the status of system ,And Try again!!";

// The serial line the requests go out on, and whether the main window is
// connected: only then may the scheduler's timer run.
struct HistoryLine {
    std::function<void(const std::string& body)> sendFrame;
    std::function<bool()> isOpen;
    std::function<bool()> isConnected;
};

class HistoryDownload {
public:
    HistoryDownload(RequestScheduler& scheduler, QTimer& timer1, HistoryLine line);

    std::int32_t HistoryRow = 1;   // record asked for next, and the grid row it fills
    std::uint8_t HistoryMax = 200; // page limit
    std::uint8_t HistoryState = 0; // 2 once started from the main window, 0 after a failure or Close

    RequestScheduler& Scheduler() { return scheduler_; }
    QTimer& Timer1() { return timer1_; }

    // The newest history window: every new window registers itself.
    TfrmHistory* Window() const { return window_; }
    void SetWindow(TfrmHistory* window) { window_ = window; }

    // The "Alarm History" button, before its window opens.
    void Start();
    // After the window has closed: every record row of its grid emptied.
    void ClearGrid();
    // "New Request": from the first record again. While disconnected the
    // scheduler stays stopped and the download ends at once, as without answer.
    void Restart();
    // The window closes: the scheduler's timer runs again while connected,
    // and stays stopped otherwise.
    void ResumeScheduler();

    // The scheduler's history step.
    void History_polling();
    // An 'H' record from the dispatcher.
    void History_Display(const std::string& rxBody);

    // The port closed under the download: it ends as without answer; the
    // port has reported why.
    void PortClosed();

private:
    void History_Packet(const std::string& rxBody, std::int32_t number);
    void EndWithoutAnswer(bool tellOperator);

    RequestScheduler& scheduler_;
    QTimer& timer1_;
    HistoryLine line_;
    TfrmHistory* window_ = nullptr;
};

} // namespace zelt
