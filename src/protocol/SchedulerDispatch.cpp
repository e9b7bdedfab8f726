#include "protocol/SchedulerDispatch.h"

namespace zelt {

FrameRoute RouteOf(char rxType)
{
    switch (rxType) {
    case 'C':
    case 'G':
    case 'I':
    case 'M':
    case 'N':
    case 'O':
    case 'S':
    case 'T':
    case 'X':
        return FrameRoute::SettingAck;
    case 'H':
        return FrameRoute::History;
    case 'K':
        return FrameRoute::AlarmStatus;
    case 'L':
        return FrameRoute::BattTestReply;
    case 'R':
        return FrameRoute::RectifierStatus;
    case 'U':
        return FrameRoute::UnitStatus;
    default:
        return FrameRoute::Ignore;
    }
}

FrameRoute TakeFrame(FrameReceiver& rx)
{
    if (rx.FrameReady != 1)
        return FrameRoute::Ignore;
    rx.FrameReady = 0;
    if (!rx.CutFrame())
        return FrameRoute::Ignore;
    return RouteOf(rx.RxType);
}

} // namespace zelt
