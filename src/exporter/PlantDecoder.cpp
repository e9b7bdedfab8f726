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
    switch (type) {
    case 'R':
        DecodeRectifierStatus(body, sample.snapshot, view_,
                              RectifierEffects{timer2_, initBlinkCount_, timer3_, testAlertShown_, alertWindow_});
        sample.rectifierSeen = true;
        sample.verdict = BatteryVerdict(sample.snapshot);
        sample.nextTestSeconds = NextTestSeconds(sample.snapshot);
        break;
    case 'K':
        DecodeAlarmStatus(body, sample.snapshot, view_);
        sample.alarmsSeen = true;
        break;
    case 'U':
        DecodeUnitStatus(body, sample.snapshot, view_);
        sample.unitsSeen = true;
        break;
    default:
        return false;
    }
    sample.lastRecord = std::chrono::steady_clock::now();
    sample.lastRecordSeconds = QDateTime::currentMSecsSinceEpoch() / 1000.0;
    return true;
}

} // namespace zelt
