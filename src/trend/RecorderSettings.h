#pragma once

// The recorder's settings, kept in the console's settings file under the
// group "recorder", and where the session database lives.

#include "trend/DischargeAnalysis.h"

#include <QString>

namespace zelt {

struct RecorderSettings {
    int RetentionDays = 90;       // samples older than this are pruned
    DetectionSettings Detection;
    double EndVolt = 0;           // V; 0 takes the controller's discharge abort voltage
};

// Reads the settings file, filling in the defaults it lacks.
RecorderSettings LoadRecorderSettings();

// sessions.sqlite in the application's data folder.
QString SessionDatabasePath();

} // namespace zelt
