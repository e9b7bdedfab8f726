#pragma once

// The chart of one discharge: DC bus voltage and battery current against the
// minutes since its start, shown by the discharge list and printed in its
// report.

#include "trend/TrendSample.h"

#include <vector>

class QChart;

namespace zelt {

// A new chart, owned by the caller (or by the view or scene it is given to).
QChart* NewDischargeChart(const std::vector<TrendSample>& samples);

} // namespace zelt
