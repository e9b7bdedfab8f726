#include "protocol/ApplyMask.h"

#include <vector>

namespace zelt {

char ApplyMaskDigit(bool bit1, bool bit2, bool bit4, bool bit8)
{
    const int value = (bit1 ? 1 : 0) | (bit2 ? 2 : 0) | (bit4 ? 4 : 0) | (bit8 ? 8 : 0);
    return "0123456789ABCDEF"[value];
}

std::string ApplyMaskDigits(std::initializer_list<bool> boxes)
{
    std::vector<bool> bits(boxes);
    bits.resize((bits.size() + 3) / 4 * 4, false);
    std::string digits;
    for (std::size_t i = 0; i < bits.size(); i += 4)
        digits += ApplyMaskDigit(bits[i], bits[i + 1], bits[i + 2], bits[i + 3]);
    return digits;
}

} // namespace zelt
