#include "config/NetworkSettingsPayload.h"

#include "config/PayloadFields.h"
#include "protocol/ApplyMask.h"

#include <cctype>

namespace zelt {

namespace {

const char HexDigits[] = "0123456789ABCDEF";

std::string Address(const std::string& caption, const OctetTexts& octets)
{
    std::string text;
    for (const std::string& octet : octets) {
        const std::int32_t value = TypedWhole(octet);
        if (value < 0 || value > 255)
            throw ERefused(caption + ": " + std::to_string(value) +
                           " is no address octet (0 to 255); nothing was sent.");
        text += HexDigits[value >> 4];
        text += HexDigits[value & 0xF];
    }
    return text;
}

std::string Mac(const std::array<std::string, 6>& groups)
{
    std::string text;
    for (const std::string& group : groups) {
        const bool hex = group.size() == 2 && std::isxdigit(static_cast<unsigned char>(group[0])) &&
                         std::isxdigit(static_cast<unsigned char>(group[1]));
        if (!hex)
            throw ERefused("Mac Address: '" + group + "' is not two hexadecimal digits; nothing was sent.");
        text += group;
    }
    return text;
}

std::string Flag(bool on)
{
    return on ? "1" : "0";
}

char Length(const std::string& caption, const std::string& community)
{
    if (community.size() > 15)
        throw ERefused(caption + ": at most 15 characters; nothing was sent.");
    return HexDigits[community.size()];
}

} // namespace

std::string NetworkSettingsPayload(const NetworkSettingsValues& v)
{
    // Every octet is converted first, so that empty edits (no status yet)
    // fail the standard conversion before the MAC texts are looked at.
    std::string p = Address("IP Address", v.ip);
    p += Address("Gateway", v.gateway);
    p += Address("Subnet Mask", v.subnetMask);
    p += Address("TCP/IP 1", v.tcpip1) + Flag(v.tcpip1On);
    p += Address("TCP/IP 2", v.tcpip2) + Flag(v.tcpip2On);
    for (std::size_t m = 0; m < v.snmp.size(); ++m)
        p += Address("SNMP IP" + std::to_string(m + 1), v.snmp[m]) + Flag(v.snmpOn[m]) + "0";
    p += ApplyMaskDigits({v.cbMAC, v.cbIP, v.cbGW, v.cbSM,
                          v.cbTCPIP1, v.cbTCPIP1En, v.cbTCPIP2, v.cbTCPIP2En,
                          v.cbSNMP1, v.cbSNMP1En, false, v.cbSNMP2,
                          v.cbSNMP2En, false, v.cbSNMP3, v.cbSNMP3En,
                          false, v.cbSNMP4, v.cbSNMP4En, false,
                          false, false, v.cbReadComu, v.cbWriteComu});
    p.insert(0, Mac(v.mac));
    p += Length("Read Community", v.readCommunity);
    p += Length("Write Community", v.writeCommunity);
    p += v.readCommunity + v.writeCommunity;
    return p;
}

} // namespace zelt
