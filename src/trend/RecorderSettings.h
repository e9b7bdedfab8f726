#pragma once

// The recorder's settings, kept in the console's settings file under the
// group "recorder", and where the session database lives.

#include "trend/DischargeAnalysis.h"

#include <QString>

namespace zelt {

struct StatusSnapshot;

struct RecorderSettings {
    int RetentionDays = 90;       // samples older than this are pruned
    DetectionSettings Detection;
    double EndVolt = 0;           // V; 0 takes the controller's discharge abort voltage
};

// What a discharge is measured against: the end voltage setting, or while
// it is 0 the controller's discharge abort voltage, and the battery window's
// rated capacity rule over the controller's strings and battery type.
CapacityBasis CapacityBasisFor(const RecorderSettings& settings, const StatusSnapshot& snapshot);

// Reads the settings file, filling in the defaults it lacks.
RecorderSettings LoadRecorderSettings();

// sessions.sqlite in the application's data folder.
QString SessionDatabasePath();

} // namespace zelt
