#include "protocol/ApplyMask.h"

namespace zelt {

char ApplyMaskDigit(bool bit1, bool bit2, bool bit4, bool bit8)
{
    const int value = (bit1 ? 1 : 0) | (bit2 ? 2 : 0) | (bit4 ? 4 : 0) | (bit8 ? 8 : 0);
    return "0123456789ABCDEF"[value];
}

} // namespace zelt
