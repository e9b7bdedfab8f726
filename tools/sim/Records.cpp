#include "sim/Records.h"

#include "protocol/FieldText.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>

namespace zelt::sim {

namespace {

// A decimal field of exactly width digits; values outside the field are held
// at its ends so that a record never loses its layout.
std::string Dec(int value, int width)
{
    int top = 1;
    for (int i = 0; i < width; ++i)
        top *= 10;
    return ZeroFill(std::clamp(value, 0, top - 1), width);
}

char HexDigit(int value)
{
    return "0123456789ABCDEF"[value & 0xF];
}

std::string Hex2(int value)
{
    return {HexDigit(value >> 4), HexDigit(value)};
}

std::string Sign(int value)
{
    return value < 0 ? "-" : "+";
}

// A signed reading as its sign field and its magnitude field.
std::string Signed(int value, int width)
{
    return Sign(value) + Dec(std::abs(value), width);
}

std::string Address(const IpAddress& address)
{
    std::string text;
    for (const int octet : address.octets)
        text += Hex2(octet);
    return text;
}

std::string Flag(bool on)
{
    return on ? "1" : "0";
}

// Month, day, hour and minute as four two-digit groups; "00000000" for none.
std::string Groups(const QDateTime& when)
{
    if (!when.isValid())
        return "00000000";
    return when.toString(QStringLiteral("MMddHHmm")).toStdString();
}

int LowTempThreshold(int code)
{
    return code <= 20 ? code : 20 - code;
}

} // namespace

std::array<int, 14> AlarmDigits(const PlantState& state)
{
    const Settings& set = state.settings;
    const Readings& r = state.readings;
    const ActiveAlarms& alarms = state.alarms;
    std::array<int, 14> k{};

    k[0] = (r.dcVolt >= set.dcHighAlarmVolt ? 0x2 : 0) | (r.dcVolt <= set.dcLowAlarmVolt ? 0x4 : 0)
         | (alarms.battDischarge && r.dcVolt <= set.battLowAlarmVolt ? 0x8 : 0);
    k[1] = alarms.breakerOpen ? 0x2 : 0;
    for (int n = 0; n < UnitCount; ++n)
        if (r.units[static_cast<std::size_t>(n)].alarmBits & 0x04)
            k[2] |= 1 << n;
    k[3] = ~state.shelf.modulesIn & 0xF;
    k[4] = 0;
    k[5] = 0;
    k[6] = (alarms.battDischarge ? 0x2 : 0);
    k[7] = (r.batt1Temp >= set.batt1HighTemp * 10 ? 0x2 : 0)
         | (r.batt1Temp <= LowTempThreshold(set.batt1LowTempCode) * 10 ? 0x4 : 0);
    k[8] = state.shelf.contactsFitted & 0xF;
    k[9] = state.shelf.batt1SensorFitted ? 0x1 : 0;
    k[10] = state.shelf.modulesIn & 0xF;
    k[11] = (state.shelf.acUpperIn ? 0x4 : 0) | (state.shelf.acLowerIn ? 0x8 : 0);
    k[12] = (alarms.acFailUnit != 0 ? 0x1 : 0) | (alarms.breakerOpen ? 0x8 : 0);
    k[13] = 0;
    return k;
}

std::string EncodeRectifierStatus(const PlantState& state, const QDateTime& now)
{
    const Settings& set = state.settings;
    const Readings& r = state.readings;
    const Network& net = state.network;
    const BattTestBook& book = state.battTest;
    const InitialCharge& charge = state.initialCharge;
    const bool boosting = charge.active || set.chargeMode == 2;
    const bool discharging = state.alarms.battDischarge;

    std::string p;
    p += Dec(r.dcVolt, 3) + Dec(r.loadCurrent, 3) + Signed(r.battCurrent, 3);
    p += Signed(r.batt1Temp, 3) + Signed(r.secondTemp, 3) + Signed(r.rackTemp, 3);
    for (const int block : r.blocks)
        p += Dec(block, 3);
    p += Dec(set.floatVolt, 3) + Dec(set.equalizeVolt, 3) + Dec(boosting ? set.equalizeVolt : set.floatVolt, 3);
    p += Dec(set.chargeLimit, 3) + Dec(set.chargeMode, 1) + Dec(set.dischargeTestOn, 1) + Dec(set.tempCompOn, 1);
    p += Dec(set.eqChargeCurrent, 3) + Dec(set.eqEndCurrent, 3);
    p += Flag(charge.active) + Dec(charge.state, 1) + Dec(set.dischargeRate, 4);
    p += Dec(set.dcHighAlarmVolt, 3) + Dec(set.dcLowAlarmVolt, 3) + Dec(set.battLowAlarmVolt, 3);
    p += Dec(set.ovShutdownVolt, 3) + Dec(set.lvdOpenVolt, 3) + Dec(set.lvdDelay, 2);
    p += Dec(set.acFailDropVolt, 3) + Dec(set.battTypeCode, 2) + Dec(set.acFailMode, 1);
    p += Dec(set.dischargeTime, 2) + Dec(set.dischargeAlarmVolt, 3) + Dec(set.dischargeAbortVolt, 3);
    p += state.mainFirmware + state.alarmFirmware;
    p += now.toString(QStringLiteral("yyyyMMddHHmmss")).toStdString();
    p += net.mac;
    p += Address(net.ip) + Address(net.gateway) + Address(net.subnetMask);
    p += Address(net.server1) + Flag(net.server1On) + Address(net.server2) + Flag(net.server2On);
    for (const SnmpManager& manager : net.snmp)
        p += Address(manager.address) + Flag(manager.enabled) + Flag(manager.traps);
    p += Dec(static_cast<int>(net.readCommunity.size()), 1) + Dec(static_cast<int>(net.writeCommunity.size()), 1);
    p += net.readCommunity + net.writeCommunity;

    // Tail.
    p += Dec(set.batt1HighTemp, 2) + Dec(set.batt1LowTempCode, 2);
    p += charge.state == 1 ? Groups(charge.end) : std::string("00000000");
    p += Dec(set.batt2HighTemp, 2) + Dec(set.batt2LowTempCode, 2);
    p += book.lastTestDate + Dec(book.intervalCode, 1) + Dec(book.strings, 1) + Dec(book.verdict, 1);
    p += Dec(book.manualTest, 1) + Dec(set.boostEntry, 1);
    p += "000000" "00000" "00000";                      // watt-minutes and depths of the last discharge
    p += discharging ? "0" "95250" "004" : "1" "10000" "000"; // remaining capacity state, capacity, hours
    p += "00";                                           // low-voltage lamp selection
    p += Flag(book.verdict != 0) + "0";                  // health verdict valid, discharge display state
    p += "0";                                            // battery charge fault bits
    p += charge.active ? Groups(charge.start) : std::string("00000000");
    return p;
}

std::string EncodeAlarmStatus(const PlantState& state)
{
    std::string p;
    for (const int digit : AlarmDigits(state))
        p += HexDigit(digit);
    return p;
}

std::string EncodeUnitStatus(const PlantState& state)
{
    const auto& units = state.readings.units;
    std::string p;
    for (const UnitReading& u : units)
        p += Dec(u.dcVolt, 3);
    for (const UnitReading& u : units)
        p += Dec(u.current, 3);
    for (const UnitReading& u : units) {
        char temp[16];
        std::snprintf(temp, sizeof temp, "%4.1f", std::clamp(u.temp, 0, 999) / 10.0);
        p += temp;
    }
    for (const UnitReading& u : units)
        p += Hex2(u.alarmBits);
    for (const UnitReading& u : units)
        p += Dec(u.acVolt, 3);
    return p;
}

std::string EncodeHistoryRecord(const HistoryEntry& e, int number, bool last)
{
    std::string p;
    p += last ? "8" : "0";
    p += Dec(number, 3);
    p += e.when.toString(QStringLiteral("yyyyMMddHHmmss")).toStdString();
    p += Dec(e.dcVolt, 3) + Dec(e.loadCurrent, 3) + Signed(e.battCurrent, 3) + Dec(e.battTemp, 4);
    for (const int block : e.blocks)
        p += Dec(block, 3);
    for (const int digit : e.alarmDigits)
        p += HexDigit(digit);
    return p;
}

std::string EncodeBattTestBody(const BattTestBook& book)
{
    return book.lastTestDate + Dec(book.intervalCode, 1) + Dec(book.typeCode, 1) + Dec(book.previousCapacity, 3)
         + Dec(book.latestCapacity, 3) + Dec(book.verdict, 1) + Dec(book.strings, 1);
}

} // namespace zelt::sim
