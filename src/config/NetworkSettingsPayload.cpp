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

std::string Community(const std::string& caption, const std::string& community)
{
    if (community.size() > 15)
        throw ERefused(caption + ": at most 15 characters; nothing was sent.");
    return community;
}

} // namespace

std::string NetworkSettingsPayload(const NetworkSettingsValues& v, const std::optional<NetworkSettingsValues>& r)
{
    // One row: the dialog's field from v, the reported one from r.
    const auto row = [&](bool applied, std::size_t width, const auto& field) {
        std::function<std::string()> reported;
        if (r)
            reported = [&] { return field(*r); };
        return RowField(applied, width, [&] { return field(v); }, reported);
    };
    const auto address = [&](bool applied, const std::string& caption, OctetTexts NetworkSettingsValues::*octets) {
        return row(applied, 8, [&](const NetworkSettingsValues& s) { return Address(caption, s.*octets); });
    };
    const auto flag = [&](bool applied, const auto& on) {
        return row(applied, 1, [&](const NetworkSettingsValues& s) { return Flag(on(s)); });
    };

    // The addresses are composed first, so that a ticked empty edit (no
    // status yet) fails the standard conversion before the MAC is looked at.
    std::string p = address(v.cbIP, "IP Address", &NetworkSettingsValues::ip);
    p += address(v.cbGW, "Gateway", &NetworkSettingsValues::gateway);
    p += address(v.cbSM, "Subnet Mask", &NetworkSettingsValues::subnetMask);
    p += address(v.cbTCPIP1, "TCP/IP 1", &NetworkSettingsValues::tcpip1);
    p += flag(v.cbTCPIP1En, [](const NetworkSettingsValues& s) { return s.tcpip1On; });
    p += address(v.cbTCPIP2, "TCP/IP 2", &NetworkSettingsValues::tcpip2);
    p += flag(v.cbTCPIP2En, [](const NetworkSettingsValues& s) { return s.tcpip2On; });
    const bool managerApplied[][2] = {
        {v.cbSNMP1, v.cbSNMP1En}, {v.cbSNMP2, v.cbSNMP2En}, {v.cbSNMP3, v.cbSNMP3En}, {v.cbSNMP4, v.cbSNMP4En}};
    for (std::size_t m = 0; m < v.snmp.size(); ++m) {
        const std::string caption = "SNMP IP" + std::to_string(m + 1);
        p += row(managerApplied[m][0], 8, [&](const NetworkSettingsValues& s) { return Address(caption, s.snmp[m]); });
        p += flag(managerApplied[m][1], [m](const NetworkSettingsValues& s) { return s.snmpOn[m]; }) + "0";
    }
    p += ApplyMaskDigits({v.cbMAC, v.cbIP, v.cbGW, v.cbSM,
                          v.cbTCPIP1, v.cbTCPIP1En, v.cbTCPIP2, v.cbTCPIP2En,
                          v.cbSNMP1, v.cbSNMP1En, false, v.cbSNMP2,
                          v.cbSNMP2En, false, v.cbSNMP3, v.cbSNMP3En,
                          false, v.cbSNMP4, v.cbSNMP4En, false,
                          false, false, v.cbReadComu, v.cbWriteComu});
    p.insert(0, row(v.cbMAC, 12, [](const NetworkSettingsValues& s) { return Mac(s.mac); }));
    const std::string read = row(v.cbReadComu, 0, [](const NetworkSettingsValues& s) {
        return Community("Read Community", s.readCommunity);
    });
    const std::string write = row(v.cbWriteComu, 0, [](const NetworkSettingsValues& s) {
        return Community("Write Community", s.writeCommunity);
    });
    p += HexDigits[read.size()];
    p += HexDigits[write.size()];
    p += read + write;
    return p;
}

} // namespace zelt
