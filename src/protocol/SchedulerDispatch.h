#pragma once

// Routing of received frames by their type letter. The main window calls
// TakeFrame after every read and runs the handler of the route it returns.

#include "protocol/FrameCodec.h"

namespace zelt {

enum class FrameRoute {
    Ignore,          // D, J and every letter without a handler
    SettingAck,      // C, G, I, M, N, O, S, T, X
    History,         // H: one alarm history record
    AlarmStatus,     // K: alarm and presence record
    BattTestReply,   // L: battery test load reply
    RectifierStatus, // R: main status record
    UnitStatus,      // U: rectifier unit record
};

FrameRoute RouteOf(char rxType);

// If a frame waits, clears FrameReady, cuts it into RxType and RxBody and
// returns its route; otherwise (or when the cut finds no STX) Ignore.
FrameRoute TakeFrame(FrameReceiver& rx);

} // namespace zelt
