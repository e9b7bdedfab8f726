#include "protocol/FrameCodec.h"

#include <algorithm>

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
            // The checksum covers the bytes strictly between the leading STX
            // and the ETX. Either way assembly hunts for the next STX: a
            // second frame in the same read is assembled as in a read of its own.
            if (RxSum == static_cast<std::uint8_t>(b))
                Verified.push_back(RxBuffer);
            else
                ++ChecksumFailures;
            RxBuffer.clear();
            RxState = 0;
        } else if (RxState == 1) {
            AppendBounded(RxBuffer, b);
            RxSum = static_cast<std::uint8_t>(RxSum + static_cast<unsigned char>(b));
        }
        // Noise while hunting for STX is dropped, also behind a verified frame.
    }
    if (FrameReady != 1)
        NextFrame();
}

bool FrameReceiver::NextFrame()
{
    if (NextVerified == Verified.size()) {
        Verified.clear();
        NextVerified = 0;
        return false;
    }
    RxFrame.swap(Verified[NextVerified++]);
    FrameReady = 1;
    return true;
}

bool FrameReceiver::CutFrame()
{
    const std::size_t start = RxFrame.find(STX);
    if (start == std::string::npos)
        return false;
    // At most FrameCutLength characters from the STX: the letter, then the body.
    const std::size_t length = std::min(RxFrame.size() - start, FrameCutLength);
    RxType = length > 1 ? RxFrame[start + 1] : '\0';
    if (length > 2)
        RxBody.assign(RxFrame, start + 2, length - 2);
    else
        RxBody.clear();
    RxFrame.clear();
    return true;
}

void FrameReceiver::Reset()
{
    RxFrame.clear();
    Verified.clear();
    NextVerified = 0;
    RxState = 0;
    FrameReady = 0;
}

} // namespace zelt
