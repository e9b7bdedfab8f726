#pragma once

// Decoder of the alarm and presence record 'K': fourteen hexadecimal digits
// of alarm bits that drive most lamps of the status area.

#include <string>

namespace zelt {

class StatusView;
struct StatusSnapshot;

// Converts all fourteen digits first: a record with a digit that is not
// hexadecimal (or fewer than fourteen) throws EConvertError and changes nothing.
void DecodeAlarmStatus(const std::string& body, StatusSnapshot& snapshot, StatusView& area);

} // namespace zelt
