#pragma once

// Frame codec: STX, type letter and payload (the body), ETX, and a one-byte
// checksum of the body. There is no length field and no escaping.

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace zelt {

inline constexpr char STX = '\x02';
inline constexpr char ETX = '\x03';

// How many characters of a completed frame, counted from its STX, the cut
// keeps; RxBody holds at most this minus two. The longest record, an 'R'
// record with two 9-character SNMP communities, has a 303-character payload
// and so a 307-character frame; it must reach its decoder whole.
inline constexpr std::size_t FrameCutLength = 320;

// RxBuffer never holds more than this: a line that never sends ETX must not
// grow memory without end. Only the first FrameCutLength characters of a
// frame are ever used, and the checksum is summed as the bytes arrive.
inline constexpr std::size_t RxBufferLimit = 4096;

// Sum of the byte values of text, modulo 256.
std::uint8_t BodyChecksum(std::string_view text);

// The bytes that carry body on the wire: STX + body + ETX + checksum.
std::string EncodeFrame(std::string_view body);

// Receive state of the main window: the assembler runs over every read,
// the cutter hands each verified frame to the dispatcher in arrival order.
struct FrameReceiver {
    std::uint8_t RxState = 0;     // 0 hunting STX, 1 body, 2 checksum next
    std::string RxBuffer;         // bytes of the frame being assembled, from its STX
    std::string RxFrame;          // the completed frame handed to the dispatcher
    std::uint8_t FrameReady = 0;  // RxFrame waits for dispatch
    char RxType = 0;              // type letter of the frame being dispatched
    std::string RxBody;           // frame text after STX and the letter, cut to FrameCutLength - 2
    std::uint8_t RxSum = 0;       // running checksum of the body being assembled
    std::vector<std::string> Verified; // frames verified and not yet handed on, oldest first
    std::size_t NextVerified = 0;      // the first of Verified not handed on
    std::uint64_t ChecksumFailures = 0; // completed frames dropped for their checksum

    // Runs the assembler over the bytes of one read. Every frame that
    // verifies is queued; the first of them is made ready in RxFrame.
    // Does not dispatch.
    void Assemble(std::string_view bytes);

    // Makes the next queued frame ready in RxFrame; false when none waits.
    bool NextFrame();

    // Cuts RxFrame into RxType and RxBody; false when it holds no STX.
    bool CutFrame();

    // The reset of window creation, Connect and Disconnect: no frame waits
    // and assembly hunts for the next STX.
    void Reset();
};

} // namespace zelt
