#pragma once

// Decoder of the controller's main status record 'R': measurements, the echo
// of every setting, firmware versions, clock, network configuration and the
// battery test and charge state.

#include <cstdint>
#include <string>

class QTimer;

namespace zelt {

class StatusView;
class TestAlertWindow;
struct StatusSnapshot;

// What the decoder drives on the main window besides the status area.
struct RectifierEffects {
    QTimer& Timer2;                // blinks "Initial Charge in Progress"
    std::int32_t& InitBlinkCount;  // Timer2's blink counter
    QTimer& Timer3;                // blinks "Battery Manual Testing"
    std::uint8_t& TestAlertShown;  // 1 while a battery alert is up
    TestAlertWindow& frmShow;      // the battery alert window
};

// Walks body (the frame text after the type letter) field by field. A head
// field that does not convert throws EConvertError; what was written before
// it stays. The tail swallows its conversion errors and ends at the first.
void DecodeRectifierStatus(const std::string& body, StatusSnapshot& snapshot, StatusView& area,
                           const RectifierEffects& effects);

} // namespace zelt
