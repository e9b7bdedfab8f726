#pragma once

// The plant's behaviour between two record sets: readings that drift a little
// around what the settings ask for, the alarms of the --alarms scenario, and
// the end of an initial charge.

#include "sim/PlantState.h"

namespace zelt::sim {

// Moves the plant on by one record set at the controller time now. An alarm
// that comes or goes is written into the history.
void AdvancePlant(PlantState& state, const QDateTime& now);

// Recomputes the readings from the settings, alarms and calibration.
void UpdateReadings(PlantState& state);

// The alarms of the --alarms cycle for a record set count: five sets each of
// nothing, AC fail on unit 2, battery 1 breaker open, battery on discharge.
ActiveAlarms AlarmsForTick(std::uint32_t tick);

} // namespace zelt::sim
