#pragma once

// A battery discharge test of the simulated plant: a steady current that
// takes the battery's share of its rated capacity out in the test's time,
// the bus voltage following a lead-acid curve down to the abort voltage, then
// a recharge as long as the test. Readings do not jitter meanwhile.

#include "sim/PlantState.h"

namespace zelt::sim {

// Schedules a discharge of minutes from start; partial stops it at half time.
void StartDischarge(PlantState& state, const QDateTime& start, int minutes, bool partial);

// True from a discharge's start to the end of its recharge.
bool DischargeRunning(const PlantState& state, const QDateTime& now);

// The bus voltage in tenths at fraction x (0 to 1) of a discharge ending at
// abortVolt: a short dip, a long slowly falling plateau, then the knee.
int DischargeBusVolt(double x, int abortVolt);

// Sets the readings while a discharge or its recharge runs; false otherwise.
bool ApplyDischarge(PlantState& state, const QDateTime& now);

} // namespace zelt::sim
