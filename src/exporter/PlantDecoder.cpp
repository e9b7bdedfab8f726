#include "exporter/PlantDecoder.h"

#include "status/AlarmStatus.h"
#include "status/RectifierStatus.h"
#include "status/UnitStatus.h"

#include <QDateTime>

namespace zelt {

PlantDecoder::PlantDecoder()
{
    timer2_.setInterval(std::chrono::hours(24));
    timer3_.setInterval(std::chrono::hours(24));
}

bool PlantDecoder::Decode(char type, const std::string& body, PlantSample& sample)
{
    const PlantSample::TimePoint now = std::chrono::steady_clock::now();
    switch (type) {
    case 'R':
        DecodeRectifierStatus(body, sample.snapshot, view_,
                              RectifierEffects{timer2_, initBlinkCount_, timer3_, testAlertShown_, alertWindow_});
        sample.rectifierAt = now;
        sample.verdict = BatteryVerdict(sample.snapshot);
        sample.nextTestSeconds = NextTestSeconds(sample.snapshot);
        break;
    case 'K':
        DecodeAlarmStatus(body, sample.snapshot, view_);
        sample.alarmsAt = now;
        ReadLamps(sample);
        break;
    case 'U':
        DecodeUnitStatus(body, sample.snapshot, view_);
        sample.unitsAt = now;
        ReadLamps(sample);
        break;
    default:
        return false;
    }
    sample.lastRecord = now;
    sample.lastRecordSeconds = QDateTime::currentMSecsSinceEpoch() / 1000.0;
    return true;
}

// The snapshot keeps a grey lamp as false, like a lime one; the lamp's colour
// tells them apart.
void PlantDecoder::ReadLamps(PlantSample& sample) const
{
    sample.lamps.clear();
    for (const auto& entry : sample.snapshot.Alarms) {
        const Rgb colour = view_.LampColour(entry.first);
        if (colour != RgbGrey)
            sample.lamps.emplace(entry.first, colour == RgbRed);
    }
}

} // namespace zelt
