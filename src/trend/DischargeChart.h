#pragma once

// The chart of one discharge: DC bus and block voltages, battery current and
// battery temperature against the minutes since its start, shown by the
// discharge list and printed in its report.

#include "trend/TrendSample.h"

#include <vector>

class QChart;
class QValueAxis;

namespace zelt {

// A new chart, owned by the caller (or by the view or scene it is given to).
QChart* NewDischargeChart(const std::vector<TrendSample>& samples);

// Sets the axis to cover low..high with ticks on round values, 1, 2 or 5
// times a power of ten apart, so that about `ticks` of them fall inside.
void SetRoundTicks(QValueAxis* axis, double low, double high, int ticks);

} // namespace zelt
