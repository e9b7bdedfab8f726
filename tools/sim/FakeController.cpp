#include "sim/FakeController.h"

#include "protocol/FrameCodec.h"
#include "sim/Commands.h"
#include "sim/DischargeModel.h"
#include "sim/FieldCursor.h"
#include "sim/PlantModel.h"
#include "sim/Records.h"
#include "sim/WireLog.h"
#include "ui/StandardError.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <unistd.h>

namespace zelt::sim {

FakeController::FakeController(int fd, const Scenario& scenario, QObject* parent)
    : QObject(parent)
    , fd_(fd)
    , scenario_(scenario)
    , plant_(MakePlant(scenario, QDateTime::currentDateTime()))
    , readNotifier_(fd, QSocketNotifier::Read)
    , writeNotifier_(fd, QSocketNotifier::Write)
{
    writeNotifier_.setEnabled(false);
    pushTimer_.setInterval(static_cast<int>(1000.0 / scenario_.rate));
    connect(&readNotifier_, &QSocketNotifier::activated, this, [this] { RunGuarded([this] { onReadable(); }); });
    connect(&writeNotifier_, &QSocketNotifier::activated, this, [this] { RunGuarded([this] { onWritable(); }); });
    connect(&pushTimer_, &QTimer::timeout, this, [this] { RunGuarded([this] { pushNow(); }); });
}

void FakeController::startPushing()
{
    pushTimer_.start();
    pushNow();
}

void FakeController::stopPushing()
{
    pushTimer_.stop();
}

void FakeController::pushNow()
{
    const QDateTime now = controllerNow();
    AdvancePlant(plant_, now);
    if (scenario_.noise)
        queueNoise();
    sendFrame('R', EncodeRectifierStatus(plant_, now));
    sendFrame('K', EncodeAlarmStatus(plant_));
    sendFrame('U', EncodeUnitStatus(plant_));
}

void FakeController::sendFrame(char letter, const std::string& payload)
{
    const std::string body = letter + payload;
    enqueue({EncodeFrame(body), body, std::string(1, letter) + " " + payload, false});
}

void FakeController::reply(char letter, const std::string& payload)
{
    const std::string body = letter + payload;
    enqueue({EncodeFrame(body), body, std::string(1, letter) + " " + payload, true});
}

void FakeController::startDischarge()
{
    StartDischarge(plant_, controllerNow(), scenario_.dischargeMinutes > 0 ? scenario_.dischargeMinutes : 20,
                   scenario_.dischargePartial);
}

QDateTime FakeController::controllerNow() const
{
    return ControllerNow(plant_, QDateTime::currentDateTime());
}

void FakeController::log(const std::string& direction, const std::string& text)
{
    if (log_)
        log_(LogLine(QDateTime::currentDateTime(), direction, text));
}

void FakeController::onReadable()
{
    char buffer[1024];
    for (;;) {
        const ssize_t n = ::read(fd_, buffer, sizeof buffer);
        if (n > 0) {
            for (const ReadFrame& frame : reader_.Feed(std::string_view(buffer, static_cast<std::size_t>(n))))
                handleFrame(frame);
            continue;
        }
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0 && (errno == EAGAIN || errno == EWOULDBLOCK))
            return;
        // End of file or a broken line: stop listening rather than spin on it.
        readNotifier_.setEnabled(false);
        log("!!", std::string("line closed: ") + (n == 0 ? "end of file" : std::strerror(errno)));
        emit lineClosed();
        return;
    }
}

void FakeController::handleFrame(const ReadFrame& frame)
{
    if (!frame.checksumOk) {
        log("<-", "bad checksum, dropped: " + frame.body);
        return;
    }
    if (frame.body.empty())
        return;
    log("<-", std::string(1, frame.body[0]) + " " + frame.body.substr(1));
    received_.push_back(frame.body);

    const char letter = frame.body[0];
    const std::string payload = frame.body.substr(1);
    if (letter == 'H') {
        answerHistory(payload);
    } else if (letter == 'L') {
        reply('L', EncodeBattTestBody(plant_.battTest));
    } else if (IsCommandLetter(letter)) {
        const bool taken = !scenario_.nak && ApplyCommand(plant_, letter, payload, QDateTime::currentDateTime());
        if (!scenario_.silent)
            reply(letter, taken ? "1" : "0");
    }
}

void FakeController::answerHistory(const std::string& payload)
{
    // "H" and three digits; a record that does not exist gets no answer.
    FieldCursor cursor(payload);
    int number = 0;
    if (!cursor.Dec(3, number) || !cursor.AtEnd())
        return;
    const auto& history = plant_.history;
    if (number < 1 || static_cast<std::size_t>(number) > history.size())
        return;
    if (scenario_.historySilentFrom > 0 && number >= scenario_.historySilentFrom)
        return;
    const bool last = static_cast<std::size_t>(number) == history.size();
    reply('H', EncodeHistoryRecord(history[static_cast<std::size_t>(number) - 1], number, last));
}

void FakeController::queueNoise()
{
    // Printable junk and control bytes, never STX, then a frame whose
    // checksum is off by one: both must be dropped by the receiver.
    std::string junk;
    const int length = 4 + static_cast<int>(noiseSeed_ % 12);
    for (int i = 0; i < length; ++i) {
        noiseSeed_ = noiseSeed_ * 1103515245u + 12345u;
        char c = static_cast<char>((noiseSeed_ >> 16) & 0xFF);
        if (c == STX)
            c = '~';
        junk += c;
    }
    enqueue({junk, {}, "noise " + junk, false});
    std::string bad = EncodeFrame("K" + EncodeAlarmStatus(plant_));
    bad.back() = static_cast<char>(bad.back() + 1);
    enqueue({bad, {}, "noise bad checksum " + bad.substr(1, bad.size() - 3), false});
}

void FakeController::enqueue(Outgoing item)
{
    if (queue_.size() >= QueueLimit) {
        const auto oldest = std::find_if(queue_.begin(), queue_.end(), [](const Outgoing& o) { return !o.reply; });
        const auto dropped = oldest != queue_.end() ? oldest : queue_.begin();
        // Said once until the line is read again, not for every record dropped.
        if (!unread_)
            log("!!", "nobody reads the line: dropping the oldest records until it is read");
        unread_ = true;
        queue_.erase(dropped);
    }
    // Answers leave before the records already waiting, in the order they were given.
    const auto at = item.reply ? std::find_if(queue_.begin(), queue_.end(), [](const Outgoing& o) { return !o.reply; })
                               : queue_.end();
    queue_.insert(at, std::move(item));
    startNext();
}

// Frames leave back to back, as a real controller sends them: the next one
// is written as soon as the one before it is out.
void FakeController::startNext()
{
    while (!busy_ && !queue_.empty()) {
        busy_ = true;
        current_ = std::move(queue_.front());
        queue_.pop_front();
        written_ = 0;
        log("->", current_.logText);
        if (!current_.body.empty())
            sent_.push_back(current_.body);
        flushCurrent();
    }
}

// Writes what is left of the current frame; busy_ stays set while the line
// takes no more and the write notifier waits for room.
void FakeController::flushCurrent()
{
    while (written_ < current_.bytes.size()) {
        const ssize_t n = ::write(fd_, current_.bytes.data() + written_, current_.bytes.size() - written_);
        if (n > 0) {
            written_ += static_cast<std::size_t>(n);
        } else if (n < 0 && errno == EINTR) {
            continue;
        } else if (n < 0 && (errno == EAGAIN || errno == EWOULDBLOCK)) {
            writeNotifier_.setEnabled(true);
            return;
        } else {
            log("!!", std::string("write failed: ") + std::strerror(errno));
            break;
        }
    }
    writeNotifier_.setEnabled(false);
    busy_ = false;
}

void FakeController::onWritable()
{
    unread_ = false;
    flushCurrent();
    startNext();
}

} // namespace zelt::sim
