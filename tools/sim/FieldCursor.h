#pragma once

// Reads a command payload from the front, one fixed-width field at a time.
// Every read fails (returns false) on a short payload or a character that is
// not a digit of the field's radix; nothing is thrown.

#include <string>
#include <string_view>

namespace zelt::sim {

class FieldCursor {
public:
    explicit FieldCursor(std::string_view payload) : rest_(payload) {}

    bool Dec(std::size_t width, int& value) { return Number(width, 10, value); }
    bool Hex(std::size_t width, int& value) { return Number(width, 16, value); }

    bool Text(std::size_t width, std::string& text)
    {
        if (rest_.size() < width)
            return false;
        text = std::string(rest_.substr(0, width));
        rest_.remove_prefix(width);
        return true;
    }

    bool AtEnd() const { return rest_.empty(); }

private:
    bool Number(std::size_t width, int radix, int& value)
    {
        if (rest_.size() < width || width == 0)
            return false;
        int result = 0;
        for (std::size_t i = 0; i < width; ++i) {
            const int digit = DigitValue(rest_[i]);
            if (digit < 0 || digit >= radix)
                return false;
            result = result * radix + digit;
        }
        rest_.remove_prefix(width);
        value = result;
        return true;
    }

    static int DigitValue(char c)
    {
        if (c >= '0' && c <= '9')
            return c - '0';
        if (c >= 'A' && c <= 'F')
            return c - 'A' + 10;
        if (c >= 'a' && c <= 'f')
            return c - 'a' + 10;
        return -1;
    }

    std::string_view rest_;
};

} // namespace zelt::sim
