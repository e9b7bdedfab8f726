#pragma once

// The battery discharge test window with real neighbours: a status area, a
// scheduler, the alert window and a result log kept as a list. Message and
// error boxes are replaced by lists too.

#include "ui/MessageBox.h"
#include "battery/TBattDisch.h"
#include "battery/TfrmShow.h"
#include "protocol/FrameCodec.h"
#include "protocol/Scheduler.h"
#include "status/StatusMonitor.h"
#include "ui/StandardError.h"

#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QStringList>
#include <QTabWidget>

#include <gtest/gtest.h>

namespace zelt::test {

class BattFixture : public ::testing::Test {
protected:
    BattFixture()
    {
        SetStandardErrorSink([this](const QString& m) { errors.append(m); });
        SetMessageSink([this](MessageKind, const QString& m, const QString&) { messages.append(m); });
    }
    ~BattFixture() override
    {
        SetStandardErrorSink({});
        SetMessageSink({});
    }

    // A reply as the receiver hands it over: payload, ETX, checksum.
    void Reply(const std::string& payload)
    {
        const std::string frame = EncodeFrame("L" + payload);
        window.HandleBattTestReply(frame.substr(2));
    }
    // Opens, receives body and lets one tick apply it.
    void Apply(const std::string& body)
    {
        window.Opening();
        Reply(body);
        window.ApplyBattTestBody();
    }

    static std::string Text(const QLabel* label) { return label->text().toStdString(); }
    static std::string Text(const QLineEdit* edit) { return edit->text().toStdString(); }
    static std::string Text(const QComboBox* list) { return list->currentText().toStdString(); }
    static QColor Background(const QWidget* w) { return w->palette().color(QPalette::Window); }
    static QColor Foreground(const QWidget* w) { return w->palette().color(QPalette::WindowText); }
    static std::vector<std::string> Items(const QComboBox* list)
    {
        std::vector<std::string> items;
        for (int i = 0; i < list->count(); ++i)
            items.push_back(list->itemText(i).toStdString());
        return items;
    }
    // Picks item index as the operator does.
    static void Pick(QComboBox* list, int index)
    {
        list->setCurrentIndex(index);
        emit list->activated(index);
    }

    // The main window's side of the scheduler tick: the frame bodies written,
    // and the written 'G' reported back to the battery window.
    struct Line : SchedulerLink {
        explicit Line(TBattDisch& w) : window(w) {}
        void SendFrame(const std::string& body) override { sent.push_back(body); }
        void HistoryStep() override {}
        void ClockSent() override {}
        void BattSetSent() override { window.BattSetSent(); }
        TBattDisch& window;
        std::vector<std::string> sent;
    };

    QStringList errors;
    QStringList messages;
    QStringList results;
    QTabWidget pages;
    std::uint8_t testAlertShown = 0;
    bool connected = true;
    TfrmShow frmShow{testAlertShown};
    StatusMonitor monitor{pages, testAlertShown, frmShow};
    RequestScheduler scheduler;
    TBattDisch window{BattDischLinks{scheduler, monitor.Snapshot(), monitor.Area(), frmShow, testAlertShown,
                                     [this](const QString& line) { results.append(line); },
                                     [this] { return connected; }}};
    Line line{window};
};

} // namespace zelt::test
