#include "exporter/Plant.h"

#include "exporter/FleetCollector.h"
#include "protocol/SchedulerDispatch.h"
#include "serial/ComDevice.h"
#include "serial/NetConnector.h"
#include "serial/PortNames.h"
#include "status/AlarmStatus.h"
#include "status/RectifierStatus.h"
#include "status/UnitStatus.h"
#include "ui/StandardError.h"

#include <QDateTime>

#include <cstdio>

namespace zelt {

namespace {

constexpr std::chrono::seconds MaxBackoff{60};

} // namespace

Plant::Plant(PlantConfig config, FleetCollector& collector, std::size_t index, QObject* parent)
    : QObject(parent), config_(std::move(config)), collector_(collector), index_(index)
{
    timer2_.setInterval(std::chrono::hours(24));
    timer3_.setInterval(std::chrono::hours(24));
    port_.SetBaudRate(br57600);
    port_.SetDataBits(db8);
    port_.SetParity(paNone);
    port_.SetStopBits(sb1);
    port_.SetOnRxChar([this](QObject*) { port_.ReadAvailable(rxText_); });
    port_.SetAfterRead([this](QObject*, const char* buffer, int length, bool) { Received(buffer, length); });
    port_.SetAfterClose([this](TCustomComPort*) {
        if (!closing_)
            LineLost();
    });
    // The component's errors are logged here with the plant's name; the
    // abort keeps them from the standard error display.
    port_.SetOnError([this](TCustomComPort*, const EComError& error, TComAction& action) {
        std::fprintf(stderr, "plant %s: %s\n", config_.name.c_str(), error.what());
        action = caAbort;
    });
}

Plant::~Plant()
{
    closing_ = true; // the port closes last, without calling for a retry
    connector_.reset();
}

void Plant::Start()
{
    Open();
    Publish();
}

void Plant::RetryIfDue(Clock::time_point now)
{
    if (!waiting_ || now < retryAt_)
        return;
    waiting_ = false;
    ++sample_.reopens;
    Open();
    Publish();
}

void Plant::Open()
{
    if (const std::optional<NetworkLine> line = ParseNetworkLine(config_.line)) {
        // A network line connects on the event loop; the other plants go on meanwhile.
        connector_ = std::make_unique<NetConnector>(*line);
        connect(connector_.get(), &NetConnector::finished, this, [this] { RunGuarded([&] { Connected(); }); });
        connector_->Start();
        return;
    }
    try {
        port_.SetDeviceName(config_.line);
        port_.SetActive(true);
        Opened();
    } catch (const std::exception& e) {
        OpenFailed(e.what());
    }
}

void Plant::Connected()
{
    std::unique_ptr<ComDevice> device = connector_->TakeDevice();
    const std::string error = connector_->Error() ? connector_->Error()->what() : std::string();
    // Deleted once its signal has returned.
    connector_.release()->deleteLater();
    if (!device) {
        OpenFailed(error);
        return;
    }
    try {
        port_.OpenConnected(std::move(device));
        Opened();
    } catch (const std::exception& e) {
        OpenFailed(e.what());
    }
}

void Plant::Opened()
{
    rx_.Reset();
    std::fprintf(stderr, "plant %s: line %s open\n", config_.name.c_str(), qPrintable(config_.line));
}

void Plant::OpenFailed(const std::string& message)
{
    if (message != EAbort().what())
        std::fprintf(stderr, "plant %s: cannot open %s: %s\n", config_.name.c_str(), qPrintable(config_.line),
                     message.c_str());
    LineLost();
}

void Plant::LineLost()
{
    if (waiting_)
        return;
    waiting_ = true;
    retryAt_ = Clock::now() + backoff_;
    backoff_ = std::min(backoff_ * 2, MaxBackoff);
}

void Plant::Received(const char* buffer, int length)
{
    rx_.Assemble(std::string_view(buffer, static_cast<std::size_t>(length)));
    DispatchFrame();
    while (rx_.NextFrame())
        DispatchFrame();
    sample_.badChecksums = rx_.ChecksumFailures;
    Publish();
}

void Plant::DispatchFrame()
{
    if (rx_.FrameReady != 1)
        return;
    ++sample_.framesReceived;
    backoff_ = std::chrono::seconds(1);
    const FrameRoute route = TakeFrame(rx_);
    try {
        switch (route) {
        case FrameRoute::RectifierStatus:
            DecodeRectifierStatus(rx_.RxBody, sample_.snapshot, view_,
                                  RectifierEffects{timer2_, initBlinkCount_, timer3_, testAlertShown_, alertWindow_});
            sample_.rectifierSeen = true;
            sample_.verdict = BatteryVerdict(sample_.snapshot);
            sample_.nextTestSeconds = NextTestSeconds(sample_.snapshot);
            break;
        case FrameRoute::AlarmStatus:
            DecodeAlarmStatus(rx_.RxBody, sample_.snapshot, view_);
            sample_.alarmsSeen = true;
            break;
        case FrameRoute::UnitStatus:
            DecodeUnitStatus(rx_.RxBody, sample_.snapshot, view_);
            sample_.unitsSeen = true;
            break;
        default:
            return;
        }
    } catch (const std::exception& e) {
        std::fprintf(stderr, "plant %s: '%c' record: %s\n", config_.name.c_str(), rx_.RxType, e.what());
        return;
    }
    sample_.lastRecord = Clock::now();
    sample_.lastRecordSeconds = QDateTime::currentMSecsSinceEpoch() / 1000.0;
}

void Plant::Publish()
{
    collector_.Publish(index_, sample_);
}

} // namespace zelt
