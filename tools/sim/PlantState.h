#pragma once

// Everything the simulated controller knows: its settings (echoed in the 'R'
// record), the live measurements of the plant, the alarm history and the
// battery test bookkeeping. Plain data; the model, the encoders and the
// command handlers are free functions over it.

#include <QDateTime>
#include <array>
#include <cstdint>
#include <string>
#include <vector>

namespace zelt::sim {

// The battery test bookkeeping the controller starts with: a last test whose
// capacity verdict is good, degraded or low, no test at all, or no strings.
enum class BatteryBook { Good, Degraded, Low, None, NoStrings };

// The scenario flags of the command line.
struct Scenario {
    int historyCount = 25;   // records in the alarm history at start
    int historySilentFrom = 0; // no answer to history requests from this record on; 0 answers all
    bool silent = false;     // never acknowledge a command
    bool nak = false;        // acknowledge every command with "0" and apply nothing
    bool alarms = false;     // cycle a few alarms on and off
    bool batteryDue = false; // a battery test that falls due within 90 days
    BatteryBook battery = BatteryBook::Good;
    bool noise = false;      // garbage bytes and bad frames between records
    double rate = 1.0;       // record sets ('R', 'K', 'U') per second
    int dischargeMinutes = 0; // a discharge test of this length one minute after start; 0 none
    int capacityPercent = 95; // share of the rated capacity the battery holds
    bool dischargePartial = false; // the discharge test stops at half time
    std::string mac;         // twelve hexadecimal digits the controller reports; empty keeps the default
};

inline constexpr int UnitCount = 4;
inline constexpr std::size_t HistoryCapacity = 200;

// Settings the controller keeps and echoes; voltages in tenths of a volt,
// currents in amperes, temperatures in degrees C.
struct Settings {
    int floatVolt = 535;
    int equalizeVolt = 565;
    int chargeLimit = 32;      // 0 = off
    int chargeMode = 1;        // record code: 1 float, 2 boost
    int dischargeTestOn = 0;
    int tempCompOn = 1;
    int eqChargeCurrent = 30;
    int eqEndCurrent = 10;
    int eqChargeTime = 12;     // hours
    int eqChargePeriod = 30;   // days
    int dischargeRate = 1500;  // watts
    int dcHighAlarmVolt = 580;
    int dcLowAlarmVolt = 480;
    int battLowAlarmVolt = 440;
    int ovShutdownVolt = 600;
    int lvdOpenVolt = 420;
    int lvdDelay = 5;          // seconds
    int acFailDropVolt = 440;
    int acFailDuration = 60;   // minutes
    int battTypeCode = 49;     // 49 M12V90FT, 50 M12V155FT
    int acFailMode = 1;
    int dischargeTime = 60;    // minutes
    int dischargeAlarmVolt = 440;
    int dischargeAbortVolt = 440;
    int boostEntry = 1;        // 1 = 10 %, 2 = 20 %, 3 = 30 %
    int batt1HighTemp = 50;
    int batt1LowTempCode = 0;  // t >= 0 as t, t < 0 as 20 - t
    int batt2HighTemp = 50;
    int batt2LowTempCode = 0;
};

// Contact alarms and shelf configuration, as the alarm settings set them.
struct Shelf {
    int contactsFitted = 0xF;  // bit 0 LVD1, 1 BATT1 breaker, 2 LVD2, 3 BATT2 breaker
    bool batt1SensorFitted = true;
    bool acUpperIn = true;
    bool acLowerIn = true;
    int modulesIn = 0xF;       // bit n-1 = rectifier module n in
};

struct IpAddress {
    std::array<int, 4> octets{};
};

struct SnmpManager {
    IpAddress address;
    bool enabled = false;
    bool traps = false;
};

struct Network {
    std::string mac = "0050C2A1B2C3"; // twelve hexadecimal digits
    IpAddress ip{{192, 168, 10, 100}};
    IpAddress gateway{{192, 168, 10, 1}};
    IpAddress subnetMask{{255, 255, 255, 0}};
    IpAddress server1{{192, 168, 10, 20}};
    bool server1On = true;
    IpAddress server2{{192, 168, 10, 21}};
    bool server2On = false;
    std::array<SnmpManager, 4> snmp{{{{{192, 168, 10, 30}}, true, true},
                                     {{{192, 168, 10, 31}}, false, false},
                                     {{{192, 168, 10, 32}}, false, false},
                                     {{{192, 168, 10, 33}}, false, false}}};
    std::string readCommunity = "public";
    std::string writeCommunity = "private";
};

// Readings of the plant as the controller reports them (calibration included).
struct UnitReading {
    int dcVolt = 535;   // tenths of a volt
    int current = 105;  // tenths of an ampere
    int temp = 320;     // tenths of a degree
    int alarmBits = 0;  // 0x80 UV, 0x40 FF, 0x20 OT, 0x10 OV, 0x08 OC, 0x04 AC fail, 0x02 SD, 0x01 DR
    int acVolt = 224;   // volts
};

struct Readings {
    int dcVolt = 535;        // tenths of a volt
    int loadCurrent = 42;    // amperes
    int battCurrent = 1;     // amperes, negative while discharging
    int batt1Temp = 251;     // tenths of a degree, signed
    int secondTemp = 0;      // tenths, not shown by the console
    int rackTemp = 268;      // tenths, signed
    std::array<int, 4> blocks{267, 268, 267, 268}; // battery 1 left, right, battery 2 left, right
    std::array<UnitReading, UnitCount> units{};
};

// Offsets set by the measure references, in the units of the readings.
struct Calibration {
    int dcVolt = 0;          // tenths
    int loadCurrent = 0;     // amperes
    int chargeCurrent = 0;   // amperes, applied while charging
    int dischargeCurrent = 0;
    int bank1 = 0;           // tenths, both blocks of battery 1
    int bank2 = 0;
};

// The battery test bookkeeping behind 'L' and 'G'.
struct BattTestBook {
    std::string lastTestDate = "00000000"; // yyyymmdd
    int intervalCode = 2;    // 1 = 12 months, 2 = 24 months
    int typeCode = 1;        // 1 M12V90FT, 2 M12V155FT
    int previousCapacity = 0;
    int latestCapacity = 0;
    int verdict = 0;         // 0 none, 1 good, 2 degraded, 3 low
    int strings = 2;
    int percentRated = 0;
    int manualTest = 0;
};

struct InitialCharge {
    bool active = false;
    int state = 0;           // 1 running, 2 completed, 3 interrupted, 4 failed
    QDateTime start;
    QDateTime end;
};

// One stored alarm event with the measurements of that moment.
struct HistoryEntry {
    QDateTime when;
    int dcVolt = 0;          // tenths
    int loadCurrent = 0;     // amperes
    int battCurrent = 0;     // amperes, signed
    int battTemp = 0;        // tenths
    std::array<int, 4> blocks{};
    std::array<int, 8> alarmDigits{}; // the first eight digits of the 'K' record
};

// The alarms the --alarms scenario switches on and off.
struct ActiveAlarms {
    int acFailUnit = 0;      // 0 none, else the unit 1..4 without AC
    bool breakerOpen = false;  // battery 1 breaker
    bool battDischarge = false;
};

// A battery discharge test in progress, then the recharge after it.
struct DischargeRun {
    QDateTime start;          // invalid: none started
    int minutes = 20;         // time to the abort voltage
    int amps = 0;             // steady discharge current
    bool partial = false;     // stops at half time
};

struct PlantState {
    Settings settings;
    Shelf shelf;
    Network network;
    Readings readings;
    Calibration calibration;
    BattTestBook battTest;
    InitialCharge initialCharge;
    ActiveAlarms alarms;
    std::vector<HistoryEntry> history; // oldest first; record n is history[n - 1]
    std::string mainFirmware = "13241105";  // version digits, yymmdd
    std::string alarmFirmware = "11240620";
    std::int64_t clockOffsetSeconds = 0;     // controller clock minus PC clock
    bool cycleAlarms = false;
    std::uint32_t tick = 0;                  // record sets pushed so far
    std::uint32_t seed = 12345;              // drift generator
    int capacityPercent = 95;                // of the rated capacity, for a discharge
    DischargeRun discharge;
};

// The controller's clock: the PC's local time shifted by the 'T' command.
QDateTime ControllerNow(const PlantState& state, const QDateTime& pcNow);

// A float-charged 48 V plant with two battery strings and four units, its
// history and bookkeeping set up for the scenario.
PlantState MakePlant(const Scenario& scenario, const QDateTime& pcNow);

} // namespace zelt::sim
