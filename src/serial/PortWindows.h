#pragma once

// The console's windows for a port: its errors go to the standard error box,
// and a network line connects behind the modal "Connecting to HOST:PORT…" box.

namespace zelt {

class TCustomComPort;

void ShowPortInWindows(TCustomComPort& port);

} // namespace zelt
