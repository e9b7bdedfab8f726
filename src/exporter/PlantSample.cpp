#include "exporter/PlantSample.h"

#include "protocol/FieldText.h"
#include "status/TestDates.h"

#include <QDate>
#include <QDateTime>

namespace zelt {

std::int32_t BatteryVerdict(const StatusSnapshot& s)
{
    if (s.HealthValid == 0 || s.ExtBattStrings == 0)
        return 0;
    if (s.HealthVerdict == "1" || s.HealthVerdict == "2" || s.HealthVerdict == "3")
        return s.HealthVerdict[0] - '0';
    return 0;
}

std::optional<std::int64_t> NextTestSeconds(const StatusSnapshot& s)
{
    if (s.ExtBattStrings == 0)
        return std::nullopt;
    try {
        const QDate next = QDate::fromString(QString::fromStdString(NextTestDate(s.LastTestDate, s.TestInterval)),
                                             QStringLiteral("yyyyMMdd"));
        if (!next.isValid())
            return std::nullopt;
        return QDateTime(next, QTime(0, 0)).toSecsSinceEpoch();
    } catch (const EConvertError&) {
        return std::nullopt;
    }
}

} // namespace zelt
