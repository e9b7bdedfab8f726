#pragma once

// The log line written for every frame the simulator receives or sends.

#include <QDateTime>
#include <string>
#include <string_view>

namespace zelt::sim {

// Printable ASCII as it is; a backslash and every other byte as \xNN.
std::string EscapeBytes(std::string_view bytes);

// "hh:mm:ss.zzz <direction> <text escaped>", direction "<-" or "->".
std::string LogLine(const QDateTime& when, std::string_view direction, std::string_view text);

} // namespace zelt::sim
