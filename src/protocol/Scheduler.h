#pragma once

// The request scheduler: the one place that decides what goes out on the
// line. A window stores a payload and arms the scheduler (PostCommand); the
// main window's 100 ms timer calls Tick, which frames and sends it once.
// The acknowledgement handler releases the scheduler and yields the result
// log line. Plain state and plain code, driven by the main window, so that
// it can be run tick by tick.

#include <cstdint>
#include <string>

namespace zelt {

// Request kinds (the one-byte value of RequestKind).
inline constexpr std::uint8_t KindIdle = 0;
inline constexpr std::uint8_t KindNetwork = 6;       // J + SettingPayload
inline constexpr std::uint8_t KindSystem = 7;        // O + SettingPayload
inline constexpr std::uint8_t KindMeasure = 8;       // M + ControlPayload
inline constexpr std::uint8_t KindClock = 9;         // T + ClockPayload
inline constexpr std::uint8_t KindAlarm = 10;        // N + ControlPayload
inline constexpr std::uint8_t KindCharge = 12;       // C + ControlPayload
inline constexpr std::uint8_t KindHistoryClear = 13; // I + ControlPayload
inline constexpr std::uint8_t KindHistory = 18;      // one history step every third tick
inline constexpr std::uint8_t KindQuiet = 20;        // paused: nothing sent, no countdown
inline constexpr std::uint8_t KindBattSet = 33;      // G + SettingPayload
inline constexpr std::uint8_t KindBattLoad = 34;     // L alone

inline constexpr const char* AckSuccessLine = "Setting Sucess! <<---";
inline constexpr const char* AckFailLine = "Setting Fail! <<---";

// What a tick drives: the main window sends through the port and runs the
// history step.
class SchedulerLink {
public:
    virtual ~SchedulerLink() = default;
    // Frames body and starts writing it to the port.
    virtual void SendFrame(const std::string& body) = 0;
    // The history download's step (sends H and a record number).
    virtual void HistoryStep() = 0;
    // The clock command has been sent: the battery alert may be raised again.
    virtual void ClockSent() = 0;
    // The battery test bookkeeping ('G') has been sent. Links that never
    // carry it need not care.
    virtual void BattSetSent() {}
};

struct RequestScheduler {
    // All counters are one byte: decrementing 0 gives 255.
    std::uint8_t RequestKind = KindIdle;
    std::uint8_t SendPermit = 1;
    std::uint8_t ReplyCountdown = 0;
    std::uint8_t HistoryCountdown = 0;
    std::uint8_t HistoryPollCount = 0;
    // Payloads without their letter; read when sent, never cleared.
    std::string SettingPayload; // behind J, O and G
    std::string ControlPayload; // behind M, N, C and I
    std::string ClockPayload;   // behind T

    // Stores payload in the text that kind reads (kinds without a payload
    // ignore it), then arms the scheduler for kind.
    void PostCommand(std::uint8_t kind, const std::string& payload = {});

    // The 100 ms tick.
    void Tick(SchedulerLink& link);

    // A window that keeps the line quiet while open.
    void Pause() { RequestKind = KindQuiet; }
    // Back to listening with the next tick permitted.
    void Release();
    // What a window that paused the line does as it closes: release the
    // scheduler, unless a command it posted is already armed.
    void ReleaseIfQuiet();

    // Looks at the first character of an acknowledgement body: "1" or "0"
    // release the scheduler and give the result log line; anything else
    // changes nothing and gives nullptr.
    const char* HandleSettingAck(const std::string& rxBody);
};

} // namespace zelt
