#include "sim/WireLog.h"

#include <cstdio>

namespace zelt::sim {

std::string EscapeBytes(std::string_view bytes)
{
    std::string out;
    for (const char c : bytes) {
        const auto b = static_cast<unsigned char>(c);
        if (b >= 0x20 && b < 0x7F && b != '\\') {
            out += c;
        } else {
            char escaped[8];
            std::snprintf(escaped, sizeof escaped, "\\x%02X", b);
            out += escaped;
        }
    }
    return out;
}

std::string LogLine(const QDateTime& when, std::string_view direction, std::string_view text)
{
    return when.toString(QStringLiteral("hh:mm:ss.zzz")).toStdString() + " " + std::string(direction) + " "
         + EscapeBytes(text);
}

} // namespace zelt::sim
