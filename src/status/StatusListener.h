#pragma once

// Receives the decoded status values as numbers, beside the status view that
// shows them as texts. A recorder listens here; it needs no widgets.

namespace zelt {

struct StatusSnapshot;

class StatusListener {
public:
    virtual ~StatusListener() = default;
    // After each 'R' record whose head decoded: the measurements, the
    // controller's clock and MAC, the discharge test and manual test flags.
    virtual void RectifierDecoded(const StatusSnapshot& snapshot) = 0;
    // After each 'K' or 'U' record: the alarm states.
    virtual void AlarmsDecoded(const StatusSnapshot& snapshot) = 0;
};

} // namespace zelt
