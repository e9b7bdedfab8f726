#pragma once

// A tty as the port's device: the comdev operations over one descriptor.

#include "serial/ComDevice.h"

#include <memory>
#include <string>

namespace zelt {

class TtyDevice : public ComDevice {
public:
    // Opens path (see comdev::OpenDevice); null with error set when it cannot.
    static std::unique_ptr<TtyDevice> Open(const std::string& path, int& error);
    ~TtyDevice() override; // gives the tty its settings back and closes it

    Kind DeviceKind() const override { return Kind::Tty; }
    int Handle() const override { return fd_; }
    int InputCount(int& count) override { return comdev::InputCount(fd_, count); }
    int OutputCount(int& count) override { return comdev::OutputCount(fd_, count); }
    int ReadSome(char* buffer, int length, int& done) override { return comdev::ReadSome(fd_, buffer, length, done); }
    int WriteSome(const char* buffer, int length, int& done) override
    {
        return comdev::WriteSome(fd_, buffer, length, done);
    }
    int WaitReady(short events, int timeoutMs, bool& ready) override
    {
        return comdev::WaitReady(fd_, events, timeoutMs, ready);
    }
    int PurgeInput() override { return comdev::PurgeInput(fd_); }
    int PurgeOutput() override { return comdev::PurgeOutput(fd_); }
    int GetSettings(termios& settings) override { return comdev::GetSettings(fd_, settings); }
    int SetSettings(const termios& settings) override { return comdev::SetSettings(fd_, settings); }
    int GetModemLines(int& lines) override { return comdev::GetModemLines(fd_, lines); }
    int SetModemLine(int line, bool on) override { return comdev::SetModemLine(fd_, line, on); }
    int GetLineCounters(comdev::LineCounters& counters) override { return comdev::GetLineCounters(fd_, counters); }
    int LostError() override;

private:
    TtyDevice(int fd, const termios& saved) : fd_(fd), saved_(saved) {}

    int fd_;
    termios saved_;
};

} // namespace zelt
