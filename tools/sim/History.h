#pragma once

// The controller's alarm history: a list of events, oldest first, each with
// the measurements and alarm bits of its moment.

#include "sim/PlantState.h"

namespace zelt::sim {

// count events (at most HistoryCapacity) ending two hours before newest:
// alarms and their clearing, a few hours to a few days apart.
std::vector<HistoryEntry> MakeHistory(int count, const QDateTime& newest);

// Appends the plant's present readings and alarm bits as a new event; the
// oldest event goes when the history is full.
void RecordEvent(PlantState& state, const QDateTime& when);

} // namespace zelt::sim
