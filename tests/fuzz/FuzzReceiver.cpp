// Drives the frame receiver and the cutter alone, without widgets, over
// streams that carry many frames per read. What it checks:
// - however the stream is split into reads, the same frames are dispatched
//   in the same order (one read, the fuzzed read size, byte by byte);
// - a dispatched body is cut to at most FrameCutLength - 2 characters, and
//   the assembly buffer never outgrows its cap;
// - in the framed mode, where the stream is built from well-formed frames,
//   frames with a broken checksum and noise without STX, exactly the
//   well-formed frames are dispatched, each with its own ETX and checksum.

#include "protocol/FrameCodec.h"
#include "protocol/SchedulerDispatch.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>
#include <vector>

namespace {

// Letter and RxBody of each frame the dispatcher routed.
std::vector<std::string> Receive(std::string_view stream, std::size_t readSize)
{
    zelt::FrameReceiver rx;
    std::vector<std::string> dispatched;
    for (std::size_t at = 0; at < stream.size(); at += readSize) {
        rx.Assemble(stream.substr(at, readSize));
        if (rx.RxBuffer.size() > zelt::RxBufferLimit)
            std::abort();
        do {
            if (rx.FrameReady != 1)
                continue;
            const zelt::FrameRoute route = zelt::TakeFrame(rx);
            if (route != zelt::RouteOf(rx.RxType) || rx.RxBody.size() > zelt::FrameCutLength - 2)
                std::abort();
            dispatched.push_back(rx.RxType + rx.RxBody);
        } while (rx.NextFrame());
    }
    return dispatched;
}

std::string Without(std::string_view text, char a, char b)
{
    std::string kept;
    for (const char c : text)
        if (c != a && c != b)
            kept += c;
    return kept;
}

// Pieces separated by 0xFF; the first byte of a piece says what it becomes:
// 0 a well-formed frame of the rest (no ETX in it, short enough to be kept
// whole), 1 the same frame with its checksum off by one, 2 noise without STX.
std::string BuildFramedStream(std::string_view data, std::vector<std::string>& expected)
{
    std::string stream;
    while (!data.empty()) {
        const std::size_t end = data.find('\xFF');
        const std::string_view piece = data.substr(0, end);
        data = end == std::string_view::npos ? std::string_view() : data.substr(end + 1);
        if (piece.empty())
            continue;
        const std::string rest = Without(piece.substr(1), zelt::STX, zelt::ETX);
        const int kind = static_cast<unsigned char>(piece[0]) % 3;
        switch (kind) {
        case 0:
        case 1: {
            const std::string body = rest.substr(0, zelt::FrameCutLength - 3);
            if (body.empty())
                break;
            std::string frame = zelt::EncodeFrame(body);
            if (kind == 1)
                frame.back() = static_cast<char>(frame.back() + 1);
            else
                expected.push_back(frame.substr(1));
            stream += frame;
            break;
        }
        default:
            stream += rest;
            break;
        }
    }
    return stream;
}

} // namespace

// Input: the read size (first byte + 1), a mode byte (bit 0 set: framed
// mode), then the data.
extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    if (size < 2)
        return 0;
    const std::size_t readSize = std::size_t(data[0]) + 1;
    const bool framed = (data[1] & 1) != 0;
    const std::string_view input(reinterpret_cast<const char*>(data + 2), size - 2);

    std::vector<std::string> expected;
    const std::string stream = framed ? BuildFramedStream(input, expected) : std::string(input);

    const std::vector<std::string> whole = Receive(stream, stream.size() + 1);
    if (Receive(stream, readSize) != whole || Receive(stream, 1) != whole)
        std::abort();
    if (framed && whole != expected)
        std::abort();
    return 0;
}
