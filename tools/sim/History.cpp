#include "sim/History.h"

#include "sim/Records.h"

#include <algorithm>

namespace zelt::sim {

namespace {

// One kind of event: the alarm digits d1..d8 of its record and how the
// measurements looked while it was on.
struct EventKind {
    std::array<int, 8> digits;
    int dcVolt;
    int battCurrent;
};

// Each alarm is followed by its clearing. Over the twelve alarms every bit
// of the digits the history shows is set at least once.
constexpr std::array<EventKind, 24> Events{{
    {{0x1, 0, 0x3, 0, 0, 0, 0xA, 0}, 501, -38}, // AC#1 fail: units 1 and 2 down, battery on discharge
    {{0, 0, 0, 0, 0, 0, 0, 0}, 535, 9},          // cleared, battery recharging
    {{0x1, 0, 0, 0, 0, 0, 0, 0x1}, 535, 0},      // AC#2 fail
    {{0, 0, 0, 0, 0, 0, 0, 0}, 535, 1},
    {{0x2, 0, 0, 0, 0, 0, 0, 0}, 581, 2},        // DC high voltage
    {{0, 0, 0, 0, 0, 0, 0, 0}, 535, 1},
    {{0xC, 0, 0, 0, 0, 0, 0x2, 0}, 441, -41},    // DC and battery low voltage while on discharge
    {{0, 0, 0, 0, 0, 0, 0, 0}, 535, 12},
    {{0, 0x5, 0, 0, 0, 0, 0, 0}, 535, 0},        // both battery breakers open
    {{0, 0, 0, 0, 0, 0, 0, 0}, 535, 1},
    {{0, 0xA, 0, 0, 0, 0, 0, 0}, 425, 0},        // both LVDs open
    {{0, 0, 0, 0, 0, 0, 0, 0}, 535, 1},
    {{0, 0, 0xC, 0, 0, 0, 0, 0}, 535, 1},        // units 3 and 4 fail
    {{0, 0, 0, 0, 0, 0, 0, 0}, 535, 1},
    {{0, 0, 0, 0, 0xD, 0, 0, 0}, 535, 1},        // DC breaker open, both temperature sensors fail
    {{0, 0, 0, 0, 0, 0, 0, 0}, 535, 1},
    {{0, 0, 0, 0, 0, 0xF, 0, 0}, 530, -3},       // battery block faults on both strings
    {{0, 0, 0, 0, 0, 0, 0, 0}, 535, 1},
    {{0, 0, 0, 0, 0, 0, 0x5, 0}, 535, 1},        // alarm board communication, shelf configuration
    {{0, 0, 0, 0, 0, 0, 0, 0}, 535, 1},
    {{0, 0, 0, 0, 0, 0, 0, 0xA}, 535, 1},        // both batteries hot
    {{0, 0, 0, 0, 0, 0, 0, 0}, 535, 1},
    {{0, 0, 0, 0, 0x2, 0, 0, 0x4}, 535, 1},      // both batteries cold
    {{0, 0, 0, 0, 0, 0, 0, 0}, 535, 1},
}};

} // namespace

std::vector<HistoryEntry> MakeHistory(int count, const QDateTime& newest)
{
    count = std::clamp(count, 0, static_cast<int>(HistoryCapacity));
    std::vector<HistoryEntry> history(static_cast<std::size_t>(count));
    QDateTime when = newest.addSecs(-2 * 3600);
    // Filled from the newest backwards so that the newest event is two hours old.
    for (int i = count - 1; i >= 0; --i) {
        const EventKind& kind = Events[static_cast<std::size_t>(i) % Events.size()];
        HistoryEntry& e = history[static_cast<std::size_t>(i)];
        e.when = when;
        e.dcVolt = kind.dcVolt;
        e.loadCurrent = 40 + i % 5;
        e.battCurrent = kind.battCurrent;
        e.battTemp = 238 + (i * 7) % 40;
        const int half = kind.dcVolt / 2;
        e.blocks = {half, half + 1, half, half - 1};
        e.alarmDigits = kind.digits;
        // An alarm clears within the hour; the next alarm comes hours or days later.
        const bool clearing = i % 2 == 1;
        when = when.addSecs(clearing ? -(17 + (i * 11) % 43) * 60 : -(5 + (i * 13) % 70) * 3600 - (i * 7) % 60 * 60);
    }
    return history;
}

void RecordEvent(PlantState& state, const QDateTime& when)
{
    const Readings& r = state.readings;
    HistoryEntry e;
    e.when = when;
    e.dcVolt = r.dcVolt;
    e.loadCurrent = r.loadCurrent;
    e.battCurrent = r.battCurrent;
    e.battTemp = r.batt1Temp;
    e.blocks = r.blocks;
    const std::array<int, 14> digits = AlarmDigits(state);
    std::copy_n(digits.begin(), 8, e.alarmDigits.begin());
    state.history.push_back(e);
    if (state.history.size() > HistoryCapacity)
        state.history.erase(state.history.begin());
}

} // namespace zelt::sim
