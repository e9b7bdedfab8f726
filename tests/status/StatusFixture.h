#pragma once

// A status monitor with its real status area on the offscreen platform.
// Controls are read back through the widgets found by their object names.

#include "Records.h"
#include "battery/TfrmShow.h"
#include "status/StatusMonitor.h"
#include "ui/Colours.h"
#include "ui/Lamp.h"

#include <QCheckBox>
#include <QLabel>
#include <QTabWidget>
#include <gtest/gtest.h>

namespace zelt::test {

class StatusFixture : public ::testing::Test {
protected:
    QTabWidget pages;
    std::uint8_t testAlertShown = 0;
    TfrmShow frmShow{testAlertShown};
    StatusMonitor monitor{pages, testAlertShown, frmShow};

    QLabel& Label(const char* name)
    {
        auto* label = pages.findChild<QLabel*>(QString::fromLatin1(name));
        if (label == nullptr)
            throw std::runtime_error(std::string("no label ") + name);
        return *label;
    }
    std::string Text(const char* name) { return Label(name).text().toStdString(); }
    QColor Background(const char* name) { return Label(name).palette().color(QPalette::Window); }
    QColor Lamp(const std::string& name)
    {
        auto* lamp = pages.findChild<zelt::Lamp*>(QString::fromStdString(name));
        if (lamp == nullptr)
            throw std::runtime_error("no lamp " + name);
        return lamp->BrushColour();
    }
    bool Checked(const char* name) { return pages.findChild<QCheckBox*>(QString::fromLatin1(name))->isChecked(); }
    bool Shown(const char* name) { return !Label(name).isHidden(); }
    const StatusSnapshot& Snap() { return monitor.Snapshot(); }

    void R(const RRecord& r) { monitor.DecodeRectifierStatus(RxBodyOf('R', r.Payload())); }
    void K(const std::string& digits) { monitor.DecodeAlarmStatus(RxBodyOf('K', digits)); }
    void U(const URecord& u) { monitor.DecodeUnitStatus(RxBodyOf('U', u.Payload())); }
};

} // namespace zelt::test
