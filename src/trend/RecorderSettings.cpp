#include "trend/RecorderSettings.h"

#include "status/BattCapacity.h"
#include "status/StatusSnapshot.h"

#include <QSettings>
#include <QStandardPaths>

namespace zelt {

namespace {

struct Limits {
    double Low;
    double High;
    bool Whole;
    bool ZeroAllowed; // 0 stands for "not set"
};

QString LimitsText(const Limits& l)
{
    const QString range = QStringLiteral("%1 number from %2 to %3")
                              .arg(l.Whole ? QStringLiteral("a whole") : QStringLiteral("a"))
                              .arg(l.Low)
                              .arg(l.High);
    return l.ZeroAllowed ? QStringLiteral("0 or ") + range : range;
}

// The value of key within its limits, else fallback with a line in problems.
double Checked(QSettings& file, const char* key, double fallback, const Limits& limits, QStringList& problems)
{
    const QString name = QLatin1String(key);
    if (!file.contains(name))
        return fallback;
    // A value with a comma reads as a list.
    const QVariant stored = file.value(name);
    const QString text = stored.typeId() == QMetaType::QStringList ? stored.toStringList().join(QLatin1Char(','))
                                                                   : stored.toString();
    bool ok = false;
    const double value = limits.Whole ? text.trimmed().toInt(&ok) : text.trimmed().toDouble(&ok);
    if (ok && ((value >= limits.Low && value <= limits.High) || (limits.ZeroAllowed && value == 0)))
        return value;
    problems.append(QStringLiteral("Recorder setting %1 \"%2\" ignored (%3 is needed): %4 used")
                        .arg(name, text, LimitsText(limits))
                        .arg(fallback));
    return fallback;
}

} // namespace

RecorderSettings ReadRecorderSettings(QSettings& file, QStringList& problems)
{
    file.beginGroup(QStringLiteral("recorder"));
    const RecorderSettings d;
    RecorderSettings s;
    s.RetentionDays = static_cast<int>(Checked(file, "retentionDays", d.RetentionDays, {7, 3650, true, false}, problems));
    s.Detection.ThresholdAmps =
        Checked(file, "dischargeThresholdAmps", d.Detection.ThresholdAmps, {0.5, 100, false, false}, problems);
    s.Detection.HoldMs = static_cast<std::int64_t>(
        Checked(file, "dischargeHoldSeconds", static_cast<double>(d.Detection.HoldMs / 1000), {2, 120, true, false}, problems)
        * 1000);
    s.EndVolt = Checked(file, "endVolt", d.EndVolt, {36, 60, false, true}, problems);
    s.Detection.BridgedGapsMs = static_cast<std::int64_t>(
        Checked(file, "bridgedGapSeconds", static_cast<double>(d.Detection.BridgedGapsMs / 1000), {10, 600, true, false},
                problems)
        * 1000);
    s.Detection.EndingGapMs = static_cast<std::int64_t>(
        Checked(file, "endingGapMinutes", static_cast<double>(d.Detection.EndingGapMs / 60000), {5, 1440, true, false},
                problems)
        * 60000);
    const Limits temps{-10, 60, false, false};
    s.Correction.LowTemp = Checked(file, "correctionLowTemp", d.Correction.LowTemp, temps, problems);
    s.Correction.HighTemp = Checked(file, "correctionHighTemp", d.Correction.HighTemp, temps, problems);
    if (s.Correction.LowTemp >= s.Correction.HighTemp) {
        problems.append(QStringLiteral("Recorder settings correctionLowTemp %1 and correctionHighTemp %2 ignored "
                                       "(the low one must be below the high one): %3 and %4 used")
                            .arg(s.Correction.LowTemp)
                            .arg(s.Correction.HighTemp)
                            .arg(d.Correction.LowTemp)
                            .arg(d.Correction.HighTemp));
        s.Correction = d.Correction;
    }
    file.endGroup();
    return s;
}

RecorderSettings LoadRecorderSettings(QStringList& problems)
{
    QSettings file(QSettings::IniFormat, QSettings::UserScope, QStringLiteral("zelt6380"), QStringLiteral("zelt6380"));
    return ReadRecorderSettings(file, problems);
}

CapacityBasis CapacityBasisFor(const RecorderSettings& settings, const StatusSnapshot& snapshot)
{
    const double endVolt = settings.EndVolt > 0 ? settings.EndVolt : snapshot.DischargeAbortVolt / 10.0;
    const bool firstType = snapshot.BattTypeIndex == 0;
    return {endVolt, snapshot.ExtBattStrings, firstType, RatedCapacity(snapshot.ExtBattStrings, firstType)};
}

QString SessionDatabasePath()
{
    return QStandardPaths::writableLocation(QStandardPaths::AppDataLocation) + QStringLiteral("/sessions.sqlite");
}

} // namespace zelt
