#pragma once

#include <cstdio>

namespace zelt::bench {

// Runs the fleet exporter program over N pseudo-terminal plants and prints
// its CPU, memory and scrape figures.
void RunExporterReport(std::FILE* out);

} // namespace zelt::bench
