#pragma once

// Apply masks: the apply boxes of a settings dialog, packed four at a time in
// field order into one upper-case hexadecimal digit sent behind the values;
// the controller takes only the values whose bit is set.

namespace zelt {

// bit1 is the first box of the four, bit8 the fourth; '0' to 'F'.
char ApplyMaskDigit(bool bit1, bool bit2, bool bit4, bool bit8);

} // namespace zelt
