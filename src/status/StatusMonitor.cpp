#include "status/StatusMonitor.h"

#include "status/AlarmStatus.h"
#include "status/RectifierStatus.h"
#include "status/UnitStatus.h"
#include "ui/StandardError.h"

namespace zelt {

StatusMonitor::StatusMonitor(QTabWidget& pages, std::uint8_t& testAlertShown, TestAlertWindow& frmShow,
                             QObject* parent)
    : QObject(parent), area_(pages), testAlertShown_(testAlertShown), frmShow_(frmShow)
{
    timer2_.setInterval(100);
    timer3_.setInterval(100);
    connect(&timer2_, &QTimer::timeout, this, [this] { RunGuarded([this] { Timer2Timer(); }); });
    connect(&timer3_, &QTimer::timeout, this, [this] { RunGuarded([this] { Timer3Timer(); }); });
}

StatusMonitor::~StatusMonitor() = default;

void StatusMonitor::DecodeRectifierStatus(const std::string& body)
{
    zelt::DecodeRectifierStatus(body, snapshot_, area_,
                                RectifierEffects{timer2_, initBlinkCount_, timer3_, testAlertShown_, frmShow_});
    if (listener_ != nullptr)
        listener_->RectifierDecoded(snapshot_);
}

void StatusMonitor::DecodeAlarmStatus(const std::string& body)
{
    zelt::DecodeAlarmStatus(body, snapshot_, area_);
    if (listener_ != nullptr)
        listener_->AlarmsDecoded(snapshot_);
}

void StatusMonitor::DecodeUnitStatus(const std::string& body)
{
    zelt::DecodeUnitStatus(body, snapshot_, area_);
    if (listener_ != nullptr)
        listener_->AlarmsDecoded(snapshot_);
}

// Hidden for the first two seconds, then one second shown, one hidden.
void StatusMonitor::Timer2Timer()
{
    if (initBlinkCount_ == 20) {
        initBlinkCount_ = 0;
        area_.SetVisible("Lab_Init_charge", true);
    } else if (initBlinkCount_ == 10) {
        area_.SetVisible("Lab_Init_charge", false);
    }
    ++initBlinkCount_;
}

// Half a second shown, half a second hidden.
void StatusMonitor::Timer3Timer()
{
    if (testBlinkCount_ == 10) {
        testBlinkCount_ = 0;
        area_.SetVisible("Label_Dch", true);
    } else if (testBlinkCount_ == 5) {
        area_.SetVisible("Label_Dch", false);
    }
    ++testBlinkCount_;
}

} // namespace zelt
