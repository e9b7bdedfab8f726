#pragma once

// The history clear command 'I': its one-character payload.

namespace zelt {

inline constexpr const char* HistoryClearPayload = "1";

} // namespace zelt
