#pragma once

// The simulator's command line.

#include "sim/PlantState.h"

#include <string>
#include <vector>

namespace zelt::sim {

struct SimOptions {
    std::string port = "COM1"; // alias to publish for the pseudo-terminal
    std::string device;        // a real serial device instead of a pseudo-terminal
    int listen = 0;            // a TCP port on the loopback instead; 0 = none
    Scenario scenario;
    bool help = false;
};

// Parses the arguments after the program name; throws std::invalid_argument
// with a message for the operator.
SimOptions ParseOptions(const std::vector<std::string>& args);

std::string UsageText();

} // namespace zelt::sim
