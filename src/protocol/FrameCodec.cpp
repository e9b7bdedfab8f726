#include "protocol/FrameCodec.h"

namespace zelt {

std::uint8_t BodyChecksum(std::string_view text)
{
    unsigned sum = 0;
    for (const char c : text)
        sum += static_cast<unsigned char>(c);
    return static_cast<std::uint8_t>(sum & 0xFF);
}

std::string EncodeFrame(std::string_view body)
{
    std::string frame;
    frame.reserve(body.size() + 3);
    frame += STX;
    frame += body;
    frame += ETX;
    frame += static_cast<char>(BodyChecksum(body));
    return frame;
}

namespace {

void AppendBounded(std::string& buffer, char b)
{
    if (buffer.size() < RxBufferLimit)
        buffer += b;
}

} // namespace

void FrameReceiver::Assemble(std::string_view bytes)
{
    for (const char b : bytes) {
        if (b == STX && RxState == 0) {
            RxBuffer.clear();
            RxBuffer += b;
            RxSum = 0;
            RxState = 1;
        } else if (RxState == 1 && b == ETX) {
            AppendBounded(RxBuffer, b);
            RxState = 2;
        } else if (RxState == 2) {
            AppendBounded(RxBuffer, b);
            // The checksum covers the bytes strictly between the leading STX and the ETX.
            if (RxSum == static_cast<std::uint8_t>(b)) {
                RxComplete = 1;
                RxState = 3;
            } else {
                RxBuffer.clear();
                RxState = 0;
            }
        } else if (RxState == 1) {
            AppendBounded(RxBuffer, b);
            RxSum = static_cast<std::uint8_t>(RxSum + static_cast<unsigned char>(b));
        } else if (RxState == 3) {
            // Bytes behind a verified frame in the same read ride along with it.
            AppendBounded(RxBuffer, b);
        }
        // Noise while hunting for STX is dropped: the next STX would discard it anyway.
    }
    if (RxComplete == 1) {
        RxComplete = 0;
        RxState = 0;
        if (!RxBuffer.empty()) {
            RxFrame = RxBuffer;
            FrameReady = 1;
        }
    }
}

bool FrameReceiver::CutFrame()
{
    const std::size_t start = RxFrame.find(STX);
    if (start == std::string::npos)
        return false;
    const std::string cut = RxFrame.substr(start, FrameCutLength);
    RxType = cut.size() > 1 ? cut[1] : '\0';
    RxFrame.clear();
    RxBody = cut.size() > 2 ? cut.substr(2) : std::string();
    return true;
}

void FrameReceiver::Reset()
{
    RxFrame.clear();
    RxState = 0;
    RxComplete = 0;
    FrameReady = 0;
}

} // namespace zelt
