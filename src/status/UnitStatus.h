#pragma once

// Decoder of the rectifier unit record 'U': voltages, currents, temperatures
// and alarm bits of the four rectifier units.

#include <string>

namespace zelt {

class StatusView;
struct StatusSnapshot;

// Decodes the first 60 characters of body field by field. A field that does
// not convert throws EConvertError; the fields before it are already shown.
void DecodeUnitStatus(const std::string& body, StatusSnapshot& snapshot, StatusView& area);

} // namespace zelt
