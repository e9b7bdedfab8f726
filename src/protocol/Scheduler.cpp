#include "protocol/Scheduler.h"

namespace zelt {

namespace {

bool InRange(std::uint8_t value, std::uint8_t low, std::uint8_t high)
{
    return value >= low && value <= high;
}

// Decrements a one-byte counter with wrap-around; true when it reached 0.
bool CountDown(std::uint8_t& counter)
{
    counter = static_cast<std::uint8_t>(counter - 1);
    return counter == 0;
}

} // namespace

void RequestScheduler::PostCommand(std::uint8_t kind, const std::string& payload)
{
    switch (kind) {
    case KindNetwork:
    case KindSystem:
    case KindBattSet:
        SettingPayload = payload;
        break;
    case KindMeasure:
    case KindAlarm:
    case KindCharge:
    case KindHistoryClear:
        ControlPayload = payload;
        break;
    case KindClock:
        ClockPayload = payload;
        break;
    default:
        break;
    }
    RequestKind = kind;
    ReplyCountdown = 3;
    SendPermit = 1;
}

void RequestScheduler::Tick(SchedulerLink& link)
{
    if (SendPermit == 1) {
        SendPermit = 0;
        ReplyCountdown = 3;
        HistoryCountdown = 3;
        switch (RequestKind) {
        case KindNetwork:
            link.SendFrame("J" + SettingPayload);
            break;
        case KindSystem:
            link.SendFrame("O" + SettingPayload);
            break;
        case KindMeasure:
            link.SendFrame("M" + ControlPayload);
            break;
        case KindClock:
            link.SendFrame("T" + ClockPayload);
            link.ClockSent();
            break;
        case KindAlarm:
            link.SendFrame("N" + ControlPayload);
            break;
        case KindCharge:
            link.SendFrame("C" + ControlPayload);
            break;
        case KindHistoryClear:
            link.SendFrame("I" + ControlPayload);
            break;
        case KindHistory:
            link.HistoryStep();
            HistoryPollCount = static_cast<std::uint8_t>(HistoryPollCount + 1);
            break;
        case KindBattSet:
            link.SendFrame("G" + SettingPayload);
            link.BattSetSent();
            break;
        case KindBattLoad:
            link.SendFrame("L");
            break;
        default:
            break;
        }
    }
    if (RequestKind == KindHistory && CountDown(HistoryCountdown))
        SendPermit = 1;
    if (RequestKind <= 4 && CountDown(ReplyCountdown))
        SendPermit = 1;
    if ((InRange(RequestKind, 5, 17) || InRange(RequestKind, 31, 34)) && CountDown(ReplyCountdown))
        RequestKind = KindIdle;
}

void RequestScheduler::Release()
{
    RequestKind = KindIdle;
    SendPermit = 1;
}

void RequestScheduler::ReleaseIfQuiet()
{
    if (RequestKind == KindQuiet)
        Release();
}

const char* RequestScheduler::HandleSettingAck(const std::string& rxBody)
{
    const char first = rxBody.empty() ? '\0' : rxBody[0];
    if (first != '1' && first != '0')
        return nullptr;
    Release();
    return first == '1' ? AckSuccessLine : AckFailLine;
}

} // namespace zelt
