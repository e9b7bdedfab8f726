#pragma once

// The live status monitor of the main window: owns the status snapshot, the
// status area and the two blink timers with their counters, decodes the
// status records the dispatcher hands it and raises the battery alert.

#include "status/StatusArea.h"
#include "status/StatusListener.h"
#include "status/StatusSnapshot.h"
#include "status/TestAlertWindow.h"

#include <QObject>
#include <QTimer>
#include <cstdint>
#include <string>

class QTabWidget;

namespace zelt {

class StatusMonitor : public QObject {
    Q_OBJECT
public:
    // Builds the status pages into pages (PageControl1). testAlertShown is the
    // main window's flag, 1 while an alert is up; frmShow is the alert window.
    StatusMonitor(QTabWidget& pages, std::uint8_t& testAlertShown, TestAlertWindow& frmShow,
                  QObject* parent = nullptr);
    ~StatusMonitor() override;

    // body is RxBody of a frame of type 'R', 'K' or 'U'. Conversion errors
    // leave as EConvertError for the dispatcher to show.
    void DecodeRectifierStatus(const std::string& body);
    void DecodeAlarmStatus(const std::string& body);
    void DecodeUnitStatus(const std::string& body);

    // Receives the decoded values after each record; none by default. The
    // listener must outlive the monitor or be taken away first.
    void SetListener(StatusListener* listener) { listener_ = listener; }

    // Tick handlers of Timer2 (initial charge label) and Timer3 (manual test label).
    void Timer2Timer();
    void Timer3Timer();

    const StatusSnapshot& Snapshot() const { return snapshot_; }
    StatusArea& Area() { return area_; }
    QTimer& Timer2() { return timer2_; }
    QTimer& Timer3() { return timer3_; }
    std::int32_t InitBlinkCount() const { return initBlinkCount_; }
    std::int32_t TestBlinkCount() const { return testBlinkCount_; }

private:
    StatusSnapshot snapshot_;
    StatusArea area_;
    std::uint8_t& testAlertShown_;
    TestAlertWindow& frmShow_;
    QTimer timer2_;
    QTimer timer3_;
    std::int32_t initBlinkCount_ = 0;
    std::int32_t testBlinkCount_ = 0;
    StatusListener* listener_ = nullptr;
};

} // namespace zelt
