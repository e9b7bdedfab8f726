#pragma once

// The configuration dialogs with their real widgets on the offscreen
// platform: a status monitor that decodes real record bodies into the
// snapshot and the status tabs, a scheduler, and the error box as a list.

#include "config/RadioGroup.h"
#include "protocol/Scheduler.h"
#include "status/Records.h"
#include "status/StatusMonitor.h"
#include "ui/StandardError.h"

#include <QCheckBox>
#include <QComboBox>
#include <QPushButton>
#include <QRadioButton>
#include <QStringList>
#include <QTabWidget>

#include <gtest/gtest.h>

#include <stdexcept>

namespace zelt::test {

template <typename T>
T& Find(const QObject& dialog, const char* name)
{
    auto* child = dialog.findChild<T*>(QString::fromLatin1(name));
    if (child == nullptr)
        throw std::runtime_error(std::string("no control ") + name);
    return *child;
}

inline void Click(const QObject& dialog, const char* button)
{
    Find<QPushButton>(dialog, button).click();
}

// The text a value list shows.
inline std::string Shown(const QObject& dialog, const char* list)
{
    return Find<QComboBox>(dialog, list).currentText().toStdString();
}

// One operator action: "cbX" ticks apply box cbX, "rgX=i" clicks item i of
// radio group rgX (nothing happens while the group is disabled).
inline void Act(const QObject& dialog, const std::string& action)
{
    const std::size_t equals = action.find('=');
    if (equals == std::string::npos) {
        Find<QCheckBox>(dialog, action.c_str()).setChecked(true);
        return;
    }
    const std::string group = action.substr(0, equals);
    Find<TRadioGroup>(dialog, group.c_str()).Item(std::stoi(action.substr(equals + 1)))->click();
}

class DialogTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        SetStandardErrorSink([this](const QString& message) { errors.append(message); });
    }
    void TearDown() override { SetStandardErrorSink({}); }

    void R(const RRecord& r) { monitor.DecodeRectifierStatus(RxBodyOf('R', r.Payload())); }
    void K(const std::string& digits) { monitor.DecodeAlarmStatus(RxBodyOf('K', digits)); }
    const StatusSnapshot& Snap() const { return monitor.Snapshot(); }

    // The configuration dialogs never raise the battery alert.
    struct NoAlert : TestAlertWindow {
        void ShowAlert(const std::string&, const std::string&, Rgb) override {}
    };

    QTabWidget pages;
    std::uint8_t testAlertShown = 0;
    NoAlert noAlert;
    StatusMonitor monitor{pages, testAlertShown, noAlert};
    RequestScheduler scheduler;
    QStringList errors;
};

} // namespace zelt::test
