#pragma once

// The commands the console sends, applied to the plant the way the
// controller does. Each returns true when the command was taken (the
// acknowledgement "1") and false when it was refused ("0"): a malformed
// payload or a value out of range among the fields it was told to apply.
// A refused command changes nothing.

#include "sim/PlantState.h"

#include <string_view>

namespace zelt::sim {

// 'O': nineteen setting fields and five apply masks.
bool ApplySystemSettings(PlantState& state, std::string_view payload);

// 'N': alarm thresholds under two apply masks; contact alarm, sensor, AC and
// module flags, which are always taken.
bool ApplyAlarmSettings(PlantState& state, std::string_view payload);

// 'J': addresses, server and manager switches, communities, six apply masks.
bool ApplyNetworkSettings(PlantState& state, std::string_view payload);

// 'M': six reference values (each sent plus one) under two apply masks; the
// matching reading is calibrated to its reference. A reference far from the
// reading is refused.
bool ApplyMeasureReferences(PlantState& state, std::string_view payload);

// 'T': yyyymmddhhmmss; the controller clock runs on from there.
bool ApplyClock(PlantState& state, std::string_view payload, const QDateTime& pcNow);

// 'C': charge program digit (1, 2, 4 or 8) and options digit; starts the
// initial charge at the controller time now.
bool StartInitialCharge(PlantState& state, std::string_view payload, const QDateTime& now);

// 'I': "1" clears the alarm history.
bool ClearHistory(PlantState& state, std::string_view payload);

// 'G': the battery test bookkeeping, 22 characters (21 zeros without strings).
bool StoreBattTest(PlantState& state, std::string_view payload);

// True for the letters above.
bool IsCommandLetter(char letter);

// Applies the command of that letter; false for a letter that is no command.
bool ApplyCommand(PlantState& state, char letter, std::string_view payload, const QDateTime& pcNow);

} // namespace zelt::sim
