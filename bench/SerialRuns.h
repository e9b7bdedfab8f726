#pragma once

#include <cstdio>

namespace zelt::bench {

// Runs the pseudo-terminal scenarios and prints their figures.
void RunSerialReport(std::FILE* out);

} // namespace zelt::bench
