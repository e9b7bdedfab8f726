#pragma once

// The live status monitor of the main window: owns the status snapshot, the
// status area, the two blink timers with their counters and the battery alert
// window, and decodes the status records the dispatcher hands it.

#include "status/StatusArea.h"
#include "status/StatusSnapshot.h"
#include "status/TfrmShow.h"

#include <QObject>
#include <QTimer>
#include <cstdint>
#include <memory>
#include <string>

class QTabWidget;

namespace zelt {

class StatusMonitor : public QObject {
    Q_OBJECT
public:
    // Builds the status pages into pages (PageControl1) and the hidden alert
    // window. testAlertShown is the main window's flag, 1 while an alert is up.
    StatusMonitor(QTabWidget& pages, std::uint8_t& testAlertShown, QObject* parent = nullptr);
    ~StatusMonitor() override;

    // body is RxBody of a frame of type 'R', 'K' or 'U'. Conversion errors
    // leave as EConvertError for the dispatcher to show.
    void DecodeRectifierStatus(const std::string& body);
    void DecodeAlarmStatus(const std::string& body);
    void DecodeUnitStatus(const std::string& body);

    // Tick handlers of Timer2 (initial charge label) and Timer3 (manual test label).
    void Timer2Timer();
    void Timer3Timer();

    const StatusSnapshot& Snapshot() const { return snapshot_; }
    StatusArea& Area() { return area_; }
    TfrmShow& frmShow() { return *frmShow_; }
    QTimer& Timer2() { return timer2_; }
    QTimer& Timer3() { return timer3_; }
    std::int32_t InitBlinkCount() const { return initBlinkCount_; }
    std::int32_t TestBlinkCount() const { return testBlinkCount_; }

private:
    StatusSnapshot snapshot_;
    StatusArea area_;
    std::uint8_t& testAlertShown_;
    std::unique_ptr<TfrmShow> frmShow_;
    QTimer timer2_;
    QTimer timer3_;
    std::int32_t initBlinkCount_ = 0;
    std::int32_t testBlinkCount_ = 0;
};

} // namespace zelt
