#pragma once

#include <cstddef>
#include <cstdio>

namespace zelt::bench {

// Runs the fleet exporter program over N pseudo-terminal plants and prints
// its CPU, memory and scrape figures: N = 1 to 1 000, or onlyPlants alone at
// one record set a second.
void RunExporterReport(std::FILE* out, std::size_t onlyPlants = 0);

} // namespace zelt::bench
