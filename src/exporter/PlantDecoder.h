#pragma once

// The console's status decoders for one plant, without a window: 'R', 'K'
// and 'U' records update a plant's sample.

#include "exporter/HeadlessStatusView.h"
#include "exporter/PlantSample.h"
#include "status/TestAlertWindow.h"

#include <QTimer>

#include <string>

namespace zelt {

class PlantDecoder {
public:
    PlantDecoder();

    // Decodes the body of a record of type letter type into sample and
    // stamps the record's time; false for a letter that is no status
    // record. Throws what the decoders throw for a record that does not convert.
    bool Decode(char type, const std::string& body, PlantSample& sample);

private:
    // Copies the colours of the snapshot's alarm lamps into sample.lamps.
    void ReadLamps(PlantSample& sample) const;

    // The battery alert has no window here.
    class NoAlertWindow : public TestAlertWindow {
    public:
        void ShowAlert(const std::string&, const std::string&, Rgb) override {}
    };

    HeadlessStatusView view_;
    // The 'R' decoder switches the console's blink timers; nothing blinks
    // here, so they never fire.
    QTimer timer2_;
    QTimer timer3_;
    std::int32_t initBlinkCount_ = 0;
    std::uint8_t testAlertShown_ = 0;
    NoAlertWindow alertWindow_;
};

} // namespace zelt
