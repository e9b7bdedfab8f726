#pragma once

// Builders of status record bodies for the tests, field by field in wire
// order. Every field is a text so that a test can put anything into it.

#include "protocol/FrameCodec.h"

#include <array>
#include <string>

namespace zelt::test {

struct RRecord {
    // Head, positions 1 to 216.
    std::string dcVolt = "535", loadAmp = "012", battSign = "+", battAmp = "005";
    std::string temp1Sign = "+", temp1 = "235", temp2Sign = "+", temp2 = "000", rackSign = "-", rack = "052";
    std::string bank1L = "130", bank1R = "131", bank2L = "132", bank2R = "133";
    std::string floatVolt = "535", equalizeVolt = "560", operatingVolt = "540", chargeLimit = "012";
    std::string chargeMode = "1", dischargeTest = "1", tempComp = "1", eqCurrent = "010", eqEnd = "005";
    std::string initialActive = "0", initialState = "1", dischargeRate = "1000";
    std::string dcHigh = "570", dcLow = "470", battLow = "460", ovShutdown = "580", lvdOpen = "430";
    std::string lvdDelay = "05", acDrop = "180", battType = "49", acFailMode = "1", dischargeTime = "30";
    std::string dischargeAlarm = "470", dischargeAbort = "450";
    std::string mainFirmware = "12140703", alarmFirmware = "11130506";
    std::string date = "20240315", time = "123045", mac = "0011223344AA";
    std::string ip = "C0A80164", gateway = "C0A80101", mask = "FFFFFF00";
    std::string server1 = "0A000001", server1On = "1", server2 = "0A000002", server2On = "0";
    std::array<std::string, 4> manager{"0A00000A", "0A00000B", "0A00000C", "0A00000D"};
    std::array<std::string, 4> managerOn{"1", "0", "1", "0"};
    std::array<std::string, 4> trapOn{"1", "1", "0", "0"};
    // Positions 217 and 218 hold the community lengths, taken from the texts
    // unless a test overrides them.
    std::string readLength, writeLength;
    std::string readCommunity = "public", writeCommunity = "private";

    // Tail, relative to N.
    std::string batt1High = "50", batt1Low = "25", initialEnd = "03151230", batt2High = "45", batt2Low = "20";
    std::string lastTest = "20230901", interval = "1", strings = "1", verdict = "1", manual = "0", boost = "2";
    std::string wattMinutes = "000000", depth = "00000", compDepth = "00000", capacityState = "0",
                capacity = "09512", remainingTime = "012";
    std::string lowVoltA = "0", lowVoltB = "0", healthValid = "1", display = "0", faults = "0",
                chargeStart = "00000000";

    std::string Head() const
    {
        std::string h = dcVolt + loadAmp + battSign + battAmp + temp1Sign + temp1 + temp2Sign + temp2 + rackSign + rack +
                        bank1L + bank1R + bank2L + bank2R + floatVolt + equalizeVolt + operatingVolt + chargeLimit +
                        chargeMode + dischargeTest + tempComp + eqCurrent + eqEnd + initialActive + initialState +
                        dischargeRate + dcHigh + dcLow + battLow + ovShutdown + lvdOpen + lvdDelay + acDrop +
                        battType + acFailMode + dischargeTime + dischargeAlarm + dischargeAbort + mainFirmware +
                        alarmFirmware + date + time + mac + ip + gateway + mask + server1 + server1On + server2 +
                        server2On;
        for (int m = 0; m < 4; ++m)
            h += manager[m] + managerOn[m] + trapOn[m];
        h += readLength.empty() ? std::to_string(readCommunity.size()) : readLength;
        h += writeLength.empty() ? std::to_string(writeCommunity.size()) : writeLength;
        return h;
    }
    std::string Communities() const { return readCommunity + writeCommunity; }
    std::string Tail() const
    {
        return batt1High + batt1Low + initialEnd + batt2High + batt2Low + lastTest + interval + strings + verdict +
               manual + boost + wattMinutes + depth + compDepth + capacityState + capacity + remainingTime +
               lowVoltA + lowVoltB + healthValid + display + faults + chargeStart;
    }
    std::string Payload() const { return Head() + Communities() + Tail(); }
};

struct URecord {
    std::array<std::string, 4> dcVolt{"535", "536", "537", "538"};
    std::array<std::string, 4> current{"123", "124", "125", "126"};
    std::array<std::string, 4> temperature{"0250", "0260", "0270", "0280"};
    std::array<std::string, 4> alarms{"00", "00", "00", "00"};
    std::array<std::string, 4> acVolt{"220", "221", "222", "223"};

    std::string Payload() const
    {
        std::string p;
        for (const auto* group : {&dcVolt, &current, &temperature, &alarms, &acVolt})
            for (const std::string& field : *group)
                p += field;
        return p;
    }
};

// The RxBody the receiver hands over for this payload: the payload, ETX and
// the checksum byte.
inline std::string RxBodyOf(char letter, const std::string& payload)
{
    return EncodeFrame(std::string(1, letter) + payload).substr(2);
}

} // namespace zelt::test
