// The setting payloads built from plain values, without widgets.

#include "config/AlarmSettingsPayload.h"
#include "config/HistoryClearPayload.h"
#include "config/MeasurePayload.h"
#include "config/NetworkSettingsPayload.h"
#include "config/PayloadFields.h"
#include "config/SystemSettingsPayload.h"
#include "protocol/FieldText.h"

#include <gtest/gtest.h>

namespace zelt {
namespace {

// Float 53.5 V, limit 32 A, LVD 42.0 V after 5 s, boost entry 10 %, float
// mode, AC-fail mode on, discharge 60 min at 44.0 V / 44.0 V.
SystemSettingsValues TypicalSystem()
{
    SystemSettingsValues v;
    v.floatVolt = 535;
    v.chargeLimitText = "32";
    v.chargeMode = 0;
    v.boostEntry = 1;
    v.lvdOpenVolt = 420;
    v.lvdDelayText = "5";
    v.acFailMode = 1;
    v.dischargeTimeText = "60";
    v.dischargeAlarmVolt = 440;
    v.dischargeAbortVolt = 440;
    return v;
}

TEST(SystemSettingsPayload, FieldsInLayoutOrderThenTheMasks)
{
    SystemSettingsValues v = TypicalSystem();
    v.cbFL = true;
    EXPECT_EQ(SystemSettingsPayload(v), "535" "565" "032" "0" "0" "1" "000" "000" "000" "000" "420" "005"
                                        "000" "000" "1" "000" "060" "440" "440" "10000");

    SystemSettingsValues all = TypicalSystem();
    for (bool* box : {&all.cbFL, &all.cbEQ, &all.cbCH_Limit, &all.cbCH_Mode, &all.cbBoost_En, &all.cbEQ_A,
                      &all.cbEQ_End_A, &all.cbEQ_Day, &all.cbAF, &all.cbEQT, &all.cbLVD, &all.cbLVD_T, &all.cbAFD_V,
                      &all.cbAFD_T, &all.cbDCHT, &all.cbDCHARM, &all.cbDCHABT})
        *box = true;
    EXPECT_EQ(SystemSettingsPayload(all).substr(49), "FEEF7");

    SystemSettingsValues off = TypicalSystem();
    off.chargeLimitOff = true;
    off.chargeLimitText = "OFF";
    EXPECT_EQ(SystemSettingsPayload(off).substr(6, 3), "000");
}

TEST(AlarmSettingsPayload, DefaultsSelectAllAndTheFlags)
{
    AlarmSettingsValues v;
    v.dcHighVolt = 580;
    v.dcLowVolt = 480;
    v.battLowVolt = 440;
    v.ovShutdownVolt = 600;
    v.batt1HighTemp = 50;
    v.batt2HighTemp = 50;
    for (bool* box : {&v.cbDCOV, &v.cbDCLV, &v.cbBAT_LV, &v.cbDCOV_SD, &v.cbBHT, &v.cbBLT, &v.cbBHT2, &v.cbBLT2})
        *box = true;
    EXPECT_EQ(AlarmSettingsPayload(v), "580" "480" "440" "600" "050" "000" "F" "0" "0" "0" "F" "050" "000");

    for (bool* on : {&v.rgBR1, &v.rgBF1, &v.rgBR2, &v.rgBF2, &v.rgBPB, &v.rgAC1, &v.rgAC2, &v.rgRM1, &v.rgRM2,
                     &v.rgRM3, &v.rgRM4})
        *on = true;
    EXPECT_EQ(AlarmSettingsPayload(v).substr(19, 3), "FDF");
}

TEST(AlarmSettingsPayload, LowTemperatureCodes)
{
    const std::pair<int, int> cases[] = {{-5, 25}, {-40, 60}, {-10, 30}, {0, 0}, {20, 20}};
    for (const auto& [celsius, code] : cases)
        EXPECT_EQ(LowTempCode(celsius), code) << celsius;
}

NetworkSettingsValues TypicalNetwork()
{
    NetworkSettingsValues v;
    v.mac = {"02", "00", "00", "00", "63", "80"};
    v.ip = {"192", "168", "1", "100"};
    v.gateway = {"192", "168", "1", "1"};
    v.subnetMask = {"255", "255", "255", "0"};
    v.tcpip1 = {"10", "0", "0", "1"};
    v.tcpip2 = {"10", "0", "0", "2"};
    v.snmp = {OctetTexts{"10", "0", "0", "10"}, {"10", "0", "0", "11"}, {"10", "0", "0", "12"}, {"10", "0", "0", "13"}};
    v.tcpip1On = true;
    v.tcpip2On = false;
    v.snmpOn = {true, false, false, true};
    v.readCommunity = "vantor";
    v.writeCommunity = "quillet";
    return v;
}

TEST(NetworkSettingsPayload, OctetsAsHexSwitchesMasksAndCommunities)
{
    NetworkSettingsValues v = TypicalNetwork();
    EXPECT_EQ(NetworkSettingsPayload(v), "020000006380" "C0A80164" "C0A80101" "FFFFFF00" "0A000001" "1" "0A000002" "0"
                                         "0A00000A" "1" "0" "0A00000B" "0" "0" "0A00000C" "0" "0" "0A00000D" "1" "0"
                                         "000000" "6" "7" "vantor" "quillet");

    for (bool* box : {&v.cbIP, &v.cbGW, &v.cbSM, &v.cbTCPIP1, &v.cbTCPIP1En, &v.cbTCPIP2, &v.cbTCPIP2En, &v.cbSNMP1,
                      &v.cbSNMP1En, &v.cbSNMP2, &v.cbSNMP2En, &v.cbSNMP3, &v.cbSNMP3En, &v.cbSNMP4, &v.cbSNMP4En,
                      &v.cbReadComu, &v.cbWriteComu})
        *box = true;
    v.readCommunity.clear();
    const std::string payload = NetworkSettingsPayload(v);
    EXPECT_EQ(payload.substr(94), "EFBD6C" "0" "7" "quillet");
}

TEST(MeasurePayload, EachValueOneAboveWhatWasTyped)
{
    MeasureValues v{{"0000", "0000", "0000", "0000", "2700", "2700"}, {true, true, true, true, true, true}};
    EXPECT_EQ(MeasurePayload(v), "0001" "0001" "0001" "0001" "2701" "2701" "F" "3");
    v.apply = {};
    v.digits[1] = "0125";
    EXPECT_EQ(MeasurePayload(v), "0001" "0126" "0001" "0001" "2701" "2701" "0" "0");
}

TEST(HistoryClearPayload, OneCharacter)
{
    EXPECT_STREQ(HistoryClearPayload, "1");
}

// Typed numbers keep the standard conversion message; numbers that convert
// but do not fit are refused with the row's caption.
TEST(PayloadFields, ConversionFailuresAndRefusals)
{
    NetworkSettingsValues empty = TypicalNetwork();
    empty.gateway[2].clear();
    try {
        NetworkSettingsPayload(empty);
        ADD_FAILURE() << "an empty octet was sent";
    } catch (const EConvertError& e) {
        EXPECT_STREQ(e.what(), "'' is not a valid integer value");
    }

    // A typed whole number that fits is sent as written, whatever the range label says.
    SystemSettingsValues wide = TypicalSystem();
    wide.lvdDelayText = "99";
    EXPECT_EQ(SystemSettingsPayload(wide).substr(27, 3), "099");
    for (const char* text : {"1234", "-5"}) {
        wide.lvdDelayText = text;
        EXPECT_THROW(SystemSettingsPayload(wide), ERefused) << text;
    }
}

} // namespace
} // namespace zelt
