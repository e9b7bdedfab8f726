#pragma once

// The recorder's settings, kept in the console's settings file under the
// group "recorder", and where the session database lives.

#include "trend/DischargeAnalysis.h"

#include <QString>
#include <QStringList>

class QSettings;

namespace zelt {

struct StatusSnapshot;

struct RecorderSettings {
    int RetentionDays = 90;       // samples older than this are pruned
    DetectionSettings Detection;
    CorrectionRange Correction;
    double EndVolt = 0;           // V; 0 takes the controller's discharge abort voltage
};

// What a discharge is measured against: the end voltage setting, or while
// it is 0 the controller's discharge abort voltage, and the battery window's
// rated capacity rule over the controller's strings and battery type.
CapacityBasis CapacityBasisFor(const RecorderSettings& settings, const StatusSnapshot& snapshot);

// Reads the group "recorder" of file. A value that does not parse or is out
// of range is ignored: its default is used and a line naming the key, the
// value and the default is added to problems.
RecorderSettings ReadRecorderSettings(QSettings& file, QStringList& problems);

// The same from the console's settings file.
RecorderSettings LoadRecorderSettings(QStringList& problems);

// sessions.sqlite in the application's data folder.
QString SessionDatabasePath();

} // namespace zelt
