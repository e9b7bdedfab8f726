// The clock, initial charge, history clear and battery test commands, and
// the dispatch of every command letter.

#include "sim/Commands.h"

#include "sim/FieldCursor.h"

#include <string>

namespace zelt::sim {

namespace {

bool IsDate(const std::string& text)
{
    return text == "00000000" || QDate::fromString(QString::fromStdString(text), QStringLiteral("yyyyMMdd")).isValid();
}

// Hours of the longest charge of each program.
int ChargeHours(int program)
{
    switch (program) {
    case 1:
    case 2:
        return 24;
    case 4:
        return 48;
    case 8:
        return 144;
    default:
        return 0;
    }
}

} // namespace

bool ApplyClock(PlantState& state, std::string_view payload, const QDateTime& pcNow)
{
    FieldCursor cursor(payload);
    int year = 0, month = 0, day = 0, hour = 0, minute = 0, second = 0;
    if (!cursor.Dec(4, year) || !cursor.Dec(2, month) || !cursor.Dec(2, day) || !cursor.Dec(2, hour)
        || !cursor.Dec(2, minute) || !cursor.Dec(2, second) || !cursor.AtEnd())
        return false;
    const QDate date(year, month, day);
    const QTime time(hour, minute, second);
    if (!date.isValid() || !time.isValid())
        return false;
    state.clockOffsetSeconds = pcNow.secsTo(QDateTime(date, time));
    return true;
}

bool StartInitialCharge(PlantState& state, std::string_view payload, const QDateTime& now)
{
    FieldCursor cursor(payload);
    int program = 0, options = 0;
    if (!cursor.Hex(1, program) || !cursor.Hex(1, options) || !cursor.AtEnd())
        return false;
    const int hours = ChargeHours(program);
    if (hours == 0)
        return false;
    state.initialCharge = InitialCharge{true, 1, now, now.addSecs(hours * 3600)};
    return true;
}

bool ClearHistory(PlantState& state, std::string_view payload)
{
    if (payload != "1")
        return false;
    state.history.clear();
    return true;
}

bool StoreBattTest(PlantState& state, std::string_view payload)
{
    // Without strings the console sends 21 zeros: no manual test flag.
    const bool noStrings = payload == std::string(21, '0');
    if (!noStrings && payload.size() != 22)
        return false;
    FieldCursor cursor(payload);
    BattTestBook book;
    bool ok = cursor.Text(8, book.lastTestDate) && IsDate(book.lastTestDate) && cursor.Dec(1, book.intervalCode)
           && cursor.Dec(1, book.typeCode) && cursor.Dec(3, book.previousCapacity) && cursor.Dec(3, book.latestCapacity)
           && cursor.Dec(1, book.verdict) && cursor.Dec(1, book.strings) && cursor.Dec(3, book.percentRated);
    if (ok && !noStrings)
        ok = cursor.Dec(1, book.manualTest);
    if (!ok || book.intervalCode > 2 || book.typeCode > 2 || book.verdict > 3 || book.strings > 2 || book.manualTest > 1)
        return false;
    state.battTest = book;
    return true;
}

bool IsCommandLetter(char letter)
{
    return std::string_view("ONJMTCIG").find(letter) != std::string_view::npos;
}

bool ApplyCommand(PlantState& state, char letter, std::string_view payload, const QDateTime& pcNow)
{
    switch (letter) {
    case 'O':
        return ApplySystemSettings(state, payload);
    case 'N':
        return ApplyAlarmSettings(state, payload);
    case 'J':
        return ApplyNetworkSettings(state, payload);
    case 'M':
        return ApplyMeasureReferences(state, payload);
    case 'T':
        return ApplyClock(state, payload, pcNow);
    case 'C':
        return StartInitialCharge(state, payload, ControllerNow(state, pcNow));
    case 'I':
        return ClearHistory(state, payload);
    case 'G':
        return StoreBattTest(state, payload);
    default:
        return false;
    }
}

} // namespace zelt::sim
