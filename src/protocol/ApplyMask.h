#pragma once

// Apply masks: the apply boxes of a settings dialog, packed four at a time in
// field order into one upper-case hexadecimal digit sent behind the values;
// the controller takes only the values whose bit is set.

#include <initializer_list>
#include <string>

namespace zelt {

// bit1 is the first box of the four, bit8 the fourth; '0' to 'F'.
char ApplyMaskDigit(bool bit1, bool bit2, bool bit4, bool bit8);

// The digits of a run of boxes in field order (bits 1, 2, 4, 8 of the first
// digit, then the next digit); a last incomplete group counts as unticked.
std::string ApplyMaskDigits(std::initializer_list<bool> boxes);

} // namespace zelt
