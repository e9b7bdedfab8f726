#pragma once

// The battery alert window: two lines of bold red text, always on top,
// shown without waiting. Closing it clears the alert flag so that an alert
// whose condition still holds comes back with the next status record.

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

    void ShowAlert(const std::string& message, const std::string& message2, const QColor& message2Background) override;

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    void FormClose();

    std::uint8_t& testAlertShown_;
    QLabel* lbMessage_;
    QLabel* lbMessage2_;
};

} // namespace zelt
