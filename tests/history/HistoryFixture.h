#pragma once

// A history download with its real window on the offscreen platform, driven
// tick by tick: the test calls the scheduler's tick by hand (Timer1 is only
// started, with an interval that never elapses, to show whether the
// download lets it run) and hands 'H' records to the dispatcher's handler.

#include "history/HistoryDownload.h"
#include "ui/MessageBox.h"
#include "history/StringGrid.h"
#include "history/TfrmHistList.h"
#include "history/TfrmHistory.h"
#include "protocol/FrameCodec.h"
#include "ui/StandardError.h"

#include <QAbstractButton>
#include <QLineEdit>
#include <QScrollBar>
#include <QStringList>

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

namespace zelt::test {

// An 'H' payload field by field; every field a text.
struct HRecord {
    std::string status = "0", number = "001", date = "20260130", time = "235907";
    std::string dc = "535", load = "043", batt = "-038", temp = "0254";
    std::string bl1 = "250", br1 = "251", bl2 = "252", br2 = "249";
    std::string alarms = "00000000";

    std::string Payload() const
    {
        return status + number + date + time + dc + load + batt + temp + bl1 + br1 + bl2 + br2 + alarms;
    }
};

inline std::string HNumber(int n)
{
    return std::string(n < 10 ? "00" : n < 100 ? "0" : "") + std::to_string(n);
}

// Button flags in the order stop, new request, close, save, open.
inline constexpr const char* Running = "10101";
inline constexpr const char* Stopped = "01111";

struct Message {
    MessageKind kind;
    QString text;
    QString detail;
};

class HistoryFixture : public ::testing::Test, private SchedulerLink {
protected:
    void SetUp() override
    {
        SetMessageSink([this](MessageKind kind, const QString& text, const QString& detail) {
            messages.push_back({kind, text, detail});
        });
        SetStandardErrorSink([this](const QString& message) { errors.append(message); });
        timer1.setInterval(3600 * 1000);
        window = std::make_unique<TfrmHistory>(download, list);
    }
    void TearDown() override
    {
        window.reset();
        SetMessageSink({});
        SetStandardErrorSink({});
    }

    // As the main window's button does, without its modal wait.
    void StartDownload()
    {
        download.Start();
        timer1.start();
        window->show();
    }

    // n ticks of Timer1, each only while it runs.
    void Ticks(int n)
    {
        for (int i = 0; i < n; ++i)
            if (timer1.isActive())
                RunGuarded([this] { scheduler.Tick(*this); });
    }

    // A record as the dispatcher hands it over, errors to the error list.
    void Answer(const HRecord& record)
    {
        const std::string rxBody = EncodeFrame("H" + record.Payload()).substr(2);
        RunGuarded([&] { download.History_Display(rxBody); });
    }
    void AnswerRow(int n, bool last = false)
    {
        HRecord r;
        r.number = HNumber(n);
        r.status = last ? "8" : "0";
        Answer(r);
    }

    QString Cell(int col, int row) { return window->Grid().Cell(col, row); }
    bool Enabled(const char* name)
    {
        return window->findChild<QAbstractButton*>(QString::fromLatin1(name))->isEnabled();
    }
    // The enabled flags of the buttons, as Running and Stopped spell them.
    std::string Buttons()
    {
        std::string flags;
        for (const char* name : {"bbtReqStop", "bbtNewInfo", "bbtClose", "bbtFileSave", "bbtFileOpen"})
            flags += Enabled(name) ? '1' : '0';
        return flags;
    }

    RequestScheduler scheduler;
    QTimer timer1;
    std::vector<std::string> sent;
    bool lineOpen = true;
    bool connected = true;
    HistoryDownload download{scheduler, timer1,
                             {[this](const std::string& body) { sent.push_back(body); }, [this] { return lineOpen; },
                              [this] { return connected; }}};
    TfrmHistList list;
    std::unique_ptr<TfrmHistory> window;
    std::vector<Message> messages;
    QStringList errors;

private:
    void SendFrame(const std::string& body) override { sent.push_back(body); }
    void HistoryStep() override { download.History_polling(); }
    void ClockSent() override {}
};

} // namespace zelt::test
