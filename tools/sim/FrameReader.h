#pragma once

// Splits the bytes from the console into frames. Unlike the console's own
// assembler it keeps every frame of a read, and a new STX inside a body starts
// the frame again, so that the simulator resynchronises at once on garbage.

#include <string>
#include <string_view>
#include <vector>

namespace zelt::sim {

struct ReadFrame {
    std::string body;    // letter and payload, between STX and ETX
    bool checksumOk;
};

class FrameReader {
public:
    // The frames that ended in these bytes, in order.
    std::vector<ReadFrame> Feed(std::string_view bytes);

private:
    enum class State { Hunting, Body, Checksum };
    // No command is near this long; a frame without ETX is dropped here.
    static constexpr std::size_t MaxBody = 512;

    State state_ = State::Hunting;
    std::string body_;
};

} // namespace zelt::sim
