#pragma once

// The battery alert window: two lines of bold red text, always on top,
// shown without waiting. Closing it clears the alert flag so that an alert
// whose condition still holds comes back with the next status record.
//
// Modality blocks every window outside the chain of the modal window in use,
// so while one is up the alert joins that chain at its normal size; it is
// maximized only when no modal window is up. It never outlives its stay in a
// modal window's chain: when that window closes, the alert stands free again
// (or joins the next modal window in use).

#include "status/TestAlertWindow.h"

#include <QColor>
#include <QWidget>
#include <cstdint>
#include <string>

class QLabel;

namespace zelt {

class TfrmShow : public QWidget, public TestAlertWindow {
    Q_OBJECT
public:
    // testAlertShown is the main window's flag, 1 while an alert is up.
    explicit TfrmShow(std::uint8_t& testAlertShown);

    QLabel* lbMessage() const { return lbMessage_; }
    QLabel* lbMessage2() const { return lbMessage2_; }

    void ShowAlert(const std::string& message, const std::string& message2, Rgb message2Background) override;

protected:
    bool event(QEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void FormClose();
    // Joins the chain of the modal window in use, or stands free when none is up.
    void Place();
    void JoinModalChain(QWidget* modal);
    void StandFree();
    void SetNormalGeometry();

    std::uint8_t& testAlertShown_;
    QLabel* lbMessage_;
    QLabel* lbMessage2_;
};

} // namespace zelt
