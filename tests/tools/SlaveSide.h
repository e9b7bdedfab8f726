#pragma once

// The console's end of a pseudo-terminal whose master a FakeController
// drives: writes frames and collects the frames that come back.

#include "common/EventLoop.h"
#include "protocol/FrameCodec.h"
#include "sim/FakeController.h"
#include "sim/FrameReader.h"
#include "sim/SerialLine.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <memory>
#include <string>
#include <unistd.h>
#include <vector>

namespace zelt::sim::test {

class SlaveSide {
public:
    explicit SlaveSide(const Scenario& scenario = {})
        : controller(std::make_unique<FakeController>(pty.master(), scenario))
    {
        fcntl(pty.slave(), F_SETFL, fcntl(pty.slave(), F_GETFL) | O_NONBLOCK);
    }

    void writeFrame(const std::string& body) { writeBytes(EncodeFrame(body)); }

    void writeBytes(const std::string& bytes)
    {
        ASSERT_EQ(::write(pty.slave(), bytes.data(), bytes.size()), static_cast<ssize_t>(bytes.size()));
    }

    // Runs the event loop until count frames have come back or ms passed.
    const std::vector<ReadFrame>& waitFrames(std::size_t count, int ms = 2000)
    {
        zelt::test::WaitUntil([&] {
            drain();
            return frames.size() >= count;
        }, ms);
        return frames;
    }

    // Runs the event loop for ms and collects whatever came back.
    const std::vector<ReadFrame>& collectFor(int ms)
    {
        zelt::test::WaitUntil([&] {
            drain();
            return false;
        }, ms);
        drain();
        return frames;
    }

    PtyPair pty;
    std::unique_ptr<FakeController> controller;
    std::vector<ReadFrame> frames;
    std::string raw; // every byte read, in order

private:
    void drain()
    {
        char buffer[1024];
        ssize_t n;
        while ((n = ::read(pty.slave(), buffer, sizeof buffer)) > 0) {
            raw.append(buffer, static_cast<std::size_t>(n));
            for (ReadFrame& frame : reader_.Feed(std::string_view(buffer, static_cast<std::size_t>(n))))
                frames.push_back(std::move(frame));
        }
    }

    FrameReader reader_;
};

} // namespace zelt::sim::test
