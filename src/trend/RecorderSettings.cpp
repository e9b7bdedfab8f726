#include "trend/RecorderSettings.h"

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

QString SessionDatabasePath()
{
    return QStandardPaths::writableLocation(QStandardPaths::AppDataLocation) + QStringLiteral("/sessions.sqlite");
}

} // namespace zelt
