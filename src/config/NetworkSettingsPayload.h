#pragma once

// The network settings command 'J': MAC, addresses and switches, six apply
// masks, then the two SNMP communities with their lengths. Octets are typed
// as decimal text and travel as two hexadecimal digits each. Only ticked
// rows send the dialog's values; the others carry what the controller
// reported.

#include <array>
#include <optional>
#include <string>

namespace zelt {

using OctetTexts = std::array<std::string, 4>;

struct NetworkSettingsValues {
    std::array<std::string, 6> mac; // two hexadecimal digits each, as typed
    OctetTexts ip, gateway, subnetMask;
    OctetTexts tcpip1, tcpip2;
    std::array<OctetTexts, 4> snmp;
    // Switches: on unless the radio group is on "Disable".
    bool tcpip1On = true, tcpip2On = true;
    std::array<bool, 4> snmpOn{true, true, true, true};
    std::string readCommunity, writeCommunity;

    // Apply boxes.
    bool cbMAC = false, cbIP = false, cbGW = false, cbSM = false;
    bool cbTCPIP1 = false, cbTCPIP1En = false, cbTCPIP2 = false, cbTCPIP2En = false;
    bool cbSNMP1 = false, cbSNMP1En = false, cbSNMP2 = false, cbSNMP2En = false;
    bool cbSNMP3 = false, cbSNMP3En = false, cbSNMP4 = false, cbSNMP4En = false;
    bool cbReadComu = false, cbWriteComu = false;
};

// The payload behind 'J' (102 characters and the communities). reported:
// the values the controller last reported (its apply boxes unused), none
// before the first status record. For a ticked row, throws EConvertError for
// an octet that is no whole number, ERefused for an octet outside 0 to 255, a
// MAC text that is not two hexadecimal digits or a community longer than its
// one-digit length can say.
std::string NetworkSettingsPayload(const NetworkSettingsValues& v,
                                   const std::optional<NetworkSettingsValues>& reported = std::nullopt);

} // namespace zelt
