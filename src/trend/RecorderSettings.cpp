#include "trend/RecorderSettings.h"

#include "status/StatusSnapshot.h"

#include <QSettings>
#include <QStandardPaths>

namespace zelt {

RecorderSettings LoadRecorderSettings()
{
    QSettings file(QSettings::IniFormat, QSettings::UserScope, QStringLiteral("zelt6380"), QStringLiteral("zelt6380"));
    file.beginGroup(QStringLiteral("recorder"));
    RecorderSettings s;
    s.RetentionDays = file.value(QStringLiteral("retentionDays"), s.RetentionDays).toInt();
    s.Detection.ThresholdAmps = file.value(QStringLiteral("dischargeThresholdAmps"), s.Detection.ThresholdAmps).toDouble();
    s.Detection.HoldMs = file.value(QStringLiteral("dischargeHoldSeconds"), 10).toLongLong() * 1000;
    s.EndVolt = file.value(QStringLiteral("endVolt"), s.EndVolt).toDouble();
    return s;
}

CapacityBasis CapacityBasisFor(const RecorderSettings& settings, const StatusSnapshot& snapshot)
{
    const double endVolt = settings.EndVolt > 0 ? settings.EndVolt : snapshot.DischargeAbortVolt / 10.0;
    return {endVolt, snapshot.ExtBattStrings, snapshot.BattTypeIndex == 0};
}

QString SessionDatabasePath()
{
    return QStandardPaths::writableLocation(QStandardPaths::AppDataLocation) + QStringLiteral("/sessions.sqlite");
}

} // namespace zelt
