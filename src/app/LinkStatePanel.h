#pragma once

// The last panel of the main window's status bar: whether the lamps and
// panels show the plant as it is now. "Live" while 'R' records arrive (the
// last one at most 5 s ago); otherwise "Not connected", "Waiting for the
// controller" (connected, no record since) or "No status since hh:mm:ss".

#include <QDateTime>
#include <QLabel>
#include <QTimer>

#include <functional>

namespace zelt {

class LinkStatePanel : public QLabel {
    Q_OBJECT
public:
    using Clock = std::function<QDateTime()>;

    explicit LinkStatePanel(QWidget* parent = nullptr);

    // The time source; the local clock unless a test sets its own.
    void SetClock(Clock clock);

    void Connected();
    void Disconnected();
    void RecordArrived();
    // Shows the state at the clock's time; also runs every second.
    void Refresh();

private:
    Clock now_;
    bool connected_ = false;
    QDateTime lastRecord_; // invalid: none since Connect
    QTimer timer_;
};

} // namespace zelt
