#pragma once

// Line activity lamp: shows one signal of a serial port as the background
// colour of a control. It chains itself into the port's events, so the
// port's own handlers keep running behind it.
//
// The colour is the control's palette colour QPalette::Window (with
// autoFillBackground on): control->palette().color(QPalette::Window).

#include "serial/ComPort.h"

#include <QColor>
#include <QElapsedTimer>
#include <QObject>
#include <QPointer>
#include <QTimer>
#include <QWidget>

#include <memory>

namespace zelt {

enum TSignal {
    siNone, siBreak, siRxChar, siTxChar, siCTS, siDSR, siEvent1, siEvent2, siLineError, siPrinterError, siRing,
    siRLSD, siRx80PercFull, siRxFlag, siTxEmpty
};

class TComSignal : public QObject {
    Q_OBJECT
public:
    explicit TComSignal(QObject* owner = nullptr);
    ~TComSignal() override; // gives the port its handlers back

    QColor ColorOff() const { return colorOff_; }
    void SetColorOff(const QColor& value); // repaints at once
    QColor ColorOn() const { return colorOn_; }
    void SetColorOn(const QColor& value); // shows at the next change
    TCustomComPort* ComPort() const { return port_; }
    void SetComPort(TCustomComPort* value);
    QWidget* Control() const { return control_; }
    void SetControl(QWidget* value);
    int Delay() const { return delay_; } // ms a momentary signal stays on
    void SetDelay(int value);
    TSignal Signal() const { return signal_; }
    void SetSignal(TSignal value);
    bool SignalValue() const { return value_; }
    // Raised after each change of SignalValue.
    const TNotifyEvent& OnSignal() const { return onSignal_; }
    void SetOnSignal(TNotifyEvent handler) { onSignal_ = std::move(handler); }

private:
    struct Saved;
    struct Own;

    void Hook();
    void Unhook();
    void PortDestroyed();
    void Refresh();
    void SetSignalValue(bool value);
    void Paint();
    void Pulse(); // on, and off again Delay ms after the last pulse
    void WriteStarted();
    void WriteFinished();
    void TimerTick();

    QColor colorOff_ {0, 128, 0};
    QColor colorOn_ {0, 255, 0};
    TCustomComPort* port_ = nullptr;
    QMetaObject::Connection portDestroyed_;
    QPointer<QWidget> control_;
    TSignal signal_ = siNone;
    bool value_ = false;
    bool writing_ = false; // between BeforeWrite and AfterWrite
    int delay_ = 100;
    // Runs while a momentary signal is on; a pulse only notes its time, so
    // that a stream of pulses does not restart the timer at every one.
    QTimer timer_;
    QElapsedTimer lastPulse_;
    TNotifyEvent onSignal_;
    // The port's handlers this lamp replaced; shared with the lamp's own
    // handlers, which pass each event on to them even after the lamp let go.
    std::shared_ptr<Saved> saved_;
    std::unique_ptr<Own> own_; // the handlers this lamp installed
};

// The class of the main window's lamps; adds nothing.
class tcomsignal1 : public TComSignal {
    Q_OBJECT
public:
    using TComSignal::TComSignal;
};

} // namespace zelt
