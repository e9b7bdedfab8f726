#include "sim/FrameReader.h"

#include "protocol/FrameCodec.h"

namespace zelt::sim {

std::vector<ReadFrame> FrameReader::Feed(std::string_view bytes)
{
    std::vector<ReadFrame> frames;
    for (const char b : bytes) {
        switch (state_) {
        case State::Hunting:
            if (b == STX) {
                body_.clear();
                state_ = State::Body;
            }
            break;
        case State::Body:
            if (b == STX) {
                body_.clear();
            } else if (b == ETX) {
                state_ = State::Checksum;
            } else if (body_.size() < MaxBody) {
                body_ += b;
            } else {
                state_ = State::Hunting;
            }
            break;
        case State::Checksum:
            frames.push_back({body_, static_cast<char>(BodyChecksum(body_)) == b});
            state_ = State::Hunting;
            break;
        }
    }
    return frames;
}

} // namespace zelt::sim
