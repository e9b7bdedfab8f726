// The setting commands 'O', 'N', 'J' and 'M': fixed fields, each applied only
// when its bit in the apply masks is set.

#include "sim/Commands.h"

#include "sim/FieldCursor.h"

#include <algorithm>
#include <cctype>
#include <cstdlib>
#include <vector>

namespace zelt::sim {

namespace {

// One numeric setting field: its width and radix, the accepted range, where
// it is stored (value + offset) and its bit in the apply masks (-1: none).
struct NumericField {
    std::size_t width;
    bool hex;
    int min;
    int max;
    int* target;
    int offset;
    int applyBit;
};

// Parses the fields in order into values; false on a malformed field.
bool ReadFields(FieldCursor& cursor, const std::vector<NumericField>& fields, std::vector<int>& values)
{
    values.assign(fields.size(), 0);
    for (std::size_t i = 0; i < fields.size(); ++i) {
        const bool ok = fields[i].hex ? cursor.Hex(fields[i].width, values[i]) : cursor.Dec(fields[i].width, values[i]);
        if (!ok)
            return false;
    }
    return true;
}

// Reads count mask digits into one bit set, the first digit lowest.
bool ReadMasks(FieldCursor& cursor, int count, int& bits)
{
    bits = 0;
    for (int i = 0; i < count; ++i) {
        int digit = 0;
        if (!cursor.Hex(1, digit))
            return false;
        bits |= digit << (4 * i);
    }
    return true;
}

bool Ticked(int bits, int bit)
{
    return bit >= 0 && (bits >> bit & 1);
}

// Checks every ticked field against its range, then stores them all.
bool ApplyTicked(const std::vector<NumericField>& fields, const std::vector<int>& values, int bits)
{
    for (std::size_t i = 0; i < fields.size(); ++i)
        if (Ticked(bits, fields[i].applyBit) && (values[i] < fields[i].min || values[i] > fields[i].max))
            return false;
    for (std::size_t i = 0; i < fields.size(); ++i)
        if (Ticked(bits, fields[i].applyBit) && fields[i].target)
            *fields[i].target = values[i] + fields[i].offset;
    return true;
}

bool IsLowTempCode(int code)
{
    return code >= 0 && code <= 60 && code % 5 == 0;
}

bool ReadAddress(FieldCursor& cursor, IpAddress& address)
{
    for (int& octet : address.octets)
        if (!cursor.Hex(2, octet))
            return false;
    return true;
}

bool ReadFlag(FieldCursor& cursor, bool& flag)
{
    int value = 0;
    if (!cursor.Dec(1, value) || value > 1)
        return false;
    flag = value == 1;
    return true;
}

bool IsHexText(const std::string& text)
{
    for (const char c : text)
        if (!std::isxdigit(static_cast<unsigned char>(c)))
            return false;
    return true;
}

// A community the status record can carry: a one-digit length, printable.
bool IsCommunity(const std::string& text)
{
    if (text.size() > 9)
        return false;
    for (const char c : text)
        if (c < 0x20 || c > 0x7E)
            return false;
    return true;
}

std::string Upper(std::string text)
{
    for (char& c : text)
        c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    return text;
}

// The reading a measure reference calibrates, with its largest accepted correction.
struct Reference {
    int reading;
    int* offset;
    int divisor;   // reference units per reading unit
    int maxDiff;   // in reading units
};

} // namespace

bool ApplySystemSettings(PlantState& state, std::string_view payload)
{
    Settings next = state.settings;
    // Field 4 is the charge mode, 0 float and 1 boost; the record codes them 1 and 2.
    const std::vector<NumericField> fields = {
        {3, false, 440, 575, &next.floatVolt, 0, 0},
        {3, false, 440, 575, &next.equalizeVolt, 0, 1},
        {3, false, 0, 56, &next.chargeLimit, 0, 2},
        {1, true, 0, 1, &next.chargeMode, 1, 3},
        {1, true, 0, 15, nullptr, 0, 4},
        {1, true, 1, 3, &next.boostEntry, 0, 5},
        {3, false, 0, 999, &next.eqChargeCurrent, 0, 6},
        {3, false, 0, 999, &next.eqEndCurrent, 0, 7},
        {3, false, 0, 999, nullptr, 0, 8},
        {3, false, 0, 999, &next.eqChargePeriod, 0, 9},
        {3, false, 400, 500, &next.lvdOpenVolt, 0, 12},
        {3, false, 1, 60, &next.lvdDelay, 0, 13},
        {3, false, 0, 999, &next.acFailDropVolt, 0, 14},
        {3, false, 0, 999, &next.acFailDuration, 0, 15},
        {1, true, 0, 1, &next.acFailMode, 0, 10},
        {3, false, 0, 999, &next.eqChargeTime, 0, 11},
        {3, false, 0, 99, &next.dischargeTime, 0, 16}, // the status record has two digits for it
        {3, false, 400, 500, &next.dischargeAlarmVolt, 0, 17},
        {3, false, 400, 500, &next.dischargeAbortVolt, 0, 18},
    };
    FieldCursor cursor(payload);
    std::vector<int> values;
    int bits = 0;
    if (!ReadFields(cursor, fields, values) || !ReadMasks(cursor, 5, bits) || !cursor.AtEnd())
        return false;
    if (!ApplyTicked(fields, values, bits))
        return false;
    state.settings = next;
    return true;
}

bool ApplyAlarmSettings(PlantState& state, std::string_view payload)
{
    Settings next = state.settings;
    const std::vector<NumericField> voltages = {
        {3, false, 560, 600, &next.dcHighAlarmVolt, 0, 0},
        {3, false, 400, 500, &next.dcLowAlarmVolt, 0, 1},
        {3, false, 400, 500, &next.battLowAlarmVolt, 0, 2},
        {3, false, 590, 600, &next.ovShutdownVolt, 0, 3},
    };
    const std::vector<NumericField> batt1 = {
        {3, false, 35, 50, &next.batt1HighTemp, 0, 0},
        {3, false, 0, 60, &next.batt1LowTempCode, 0, 1},
    };
    const std::vector<NumericField> batt2 = {
        {3, false, 35, 50, &next.batt2HighTemp, 0, 2},
        {3, false, 0, 60, &next.batt2LowTempCode, 0, 3},
    };
    FieldCursor cursor(payload);
    std::vector<int> voltageValues, batt1Values, batt2Values;
    int voltageMask = 0, contacts = 0, sensorAc = 0, modules = 0, tempMask = 0;
    if (!ReadFields(cursor, voltages, voltageValues) || !ReadFields(cursor, batt1, batt1Values)
        || !cursor.Hex(1, voltageMask) || !cursor.Hex(1, contacts) || !cursor.Hex(1, sensorAc)
        || !cursor.Hex(1, modules) || !cursor.Hex(1, tempMask) || !ReadFields(cursor, batt2, batt2Values)
        || !cursor.AtEnd())
        return false;
    if (((tempMask & 0x2) && !IsLowTempCode(batt1Values[1])) || ((tempMask & 0x8) && !IsLowTempCode(batt2Values[1])))
        return false;
    if (!ApplyTicked(voltages, voltageValues, voltageMask) || !ApplyTicked(batt1, batt1Values, tempMask)
        || !ApplyTicked(batt2, batt2Values, tempMask))
        return false;
    state.settings = next;
    state.shelf.contactsFitted = contacts;
    state.shelf.batt1SensorFitted = sensorAc & 0x1;
    state.shelf.acUpperIn = sensorAc & 0x4;
    state.shelf.acLowerIn = sensorAc & 0x8;
    state.shelf.modulesIn = modules;
    return true;
}

bool ApplyNetworkSettings(PlantState& state, std::string_view payload)
{
    FieldCursor cursor(payload);
    Network in;
    std::string mac;
    bool ok = cursor.Text(12, mac) && ReadAddress(cursor, in.ip) && ReadAddress(cursor, in.gateway)
           && ReadAddress(cursor, in.subnetMask) && ReadAddress(cursor, in.server1) && ReadFlag(cursor, in.server1On)
           && ReadAddress(cursor, in.server2) && ReadFlag(cursor, in.server2On);
    for (SnmpManager& manager : in.snmp)
        ok = ok && ReadAddress(cursor, manager.address) && ReadFlag(cursor, manager.enabled)
          && ReadFlag(cursor, manager.traps);
    int bits = 0, readLength = 0, writeLength = 0;
    std::string readCommunity, writeCommunity;
    ok = ok && ReadMasks(cursor, 6, bits) && cursor.Hex(1, readLength) && cursor.Hex(1, writeLength)
      && cursor.Text(static_cast<std::size_t>(readLength), readCommunity)
      && cursor.Text(static_cast<std::size_t>(writeLength), writeCommunity) && cursor.AtEnd();
    if (!ok)
        return false;
    // Bits 0 to 19 follow the fields from the MAC address to the last trap
    // switch; bits 22 and 23 are the two communities.
    if ((Ticked(bits, 0) && !IsHexText(mac)) || (Ticked(bits, 22) && !IsCommunity(readCommunity))
        || (Ticked(bits, 23) && !IsCommunity(writeCommunity)))
        return false;

    Network& net = state.network;
    if (Ticked(bits, 0))
        net.mac = Upper(mac);
    if (Ticked(bits, 1))
        net.ip = in.ip;
    if (Ticked(bits, 2))
        net.gateway = in.gateway;
    if (Ticked(bits, 3))
        net.subnetMask = in.subnetMask;
    if (Ticked(bits, 4))
        net.server1 = in.server1;
    if (Ticked(bits, 5))
        net.server1On = in.server1On;
    if (Ticked(bits, 6))
        net.server2 = in.server2;
    if (Ticked(bits, 7))
        net.server2On = in.server2On;
    for (std::size_t m = 0; m < net.snmp.size(); ++m) {
        const int base = 8 + 3 * static_cast<int>(m);
        if (Ticked(bits, base))
            net.snmp[m].address = in.snmp[m].address;
        if (Ticked(bits, base + 1))
            net.snmp[m].enabled = in.snmp[m].enabled;
        if (Ticked(bits, base + 2))
            net.snmp[m].traps = in.snmp[m].traps;
    }
    if (Ticked(bits, 22))
        net.readCommunity = readCommunity;
    if (Ticked(bits, 23))
        net.writeCommunity = writeCommunity;
    return true;
}

bool ApplyMeasureReferences(PlantState& state, std::string_view payload)
{
    FieldCursor cursor(payload);
    std::array<int, 6> sent{};
    for (int& value : sent)
        if (!cursor.Dec(4, value))
            return false;
    int bits = 0;
    if (!ReadMasks(cursor, 2, bits) || !cursor.AtEnd())
        return false;

    Readings& r = state.readings;
    Calibration next = state.calibration;
    // DC and bank voltages come in hundredths and are read in tenths; currents
    // come in tenths and are read in whole amperes.
    const std::array<Reference, 6> refs = {{
        {r.dcVolt, &next.dcVolt, 10, 20},
        {r.loadCurrent, &next.loadCurrent, 10, 5},
        {std::max(r.battCurrent, 0), &next.chargeCurrent, 10, 5},
        {std::max(-r.battCurrent, 0), &next.dischargeCurrent, 10, 5},
        {r.blocks[0], &next.bank1, 10, 20},
        {r.blocks[2], &next.bank2, 10, 20},
    }};
    for (std::size_t i = 0; i < refs.size(); ++i) {
        if (!Ticked(bits, static_cast<int>(i)))
            continue;
        if (sent[i] < 1)
            return false;
        const int reference = (sent[i] - 1 + refs[i].divisor / 2) / refs[i].divisor;
        const int diff = reference - refs[i].reading;
        if (std::abs(diff) > refs[i].maxDiff)
            return false;
        *refs[i].offset += diff;
    }
    state.calibration = next;
    return true;
}

} // namespace zelt::sim
