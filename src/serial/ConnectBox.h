#pragma once

// Opens a network line while a modal "Connecting to HOST:PORT…" box with
// Cancel keeps the rest of the program's windows out of reach.

#include "serial/ComDevice.h"
#include "serial/PortNames.h"

#include <memory>

namespace zelt {

// The open device; throws EComError when the line cannot be opened in time
// and EAbort when the operator cancels.
std::unique_ptr<ComDevice> ConnectWithBox(const NetworkLine& line);

} // namespace zelt
