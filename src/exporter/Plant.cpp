#include "exporter/Plant.h"

#include "core/Abort.h"
#include "exporter/FleetCollector.h"
#include "protocol/SchedulerDispatch.h"
#include "serial/ComDevice.h"
#include "serial/NetConnector.h"
#include "serial/PortNames.h"

#include <cstdio>

namespace zelt {

namespace {

constexpr std::chrono::seconds MaxBackoff{60};

} // namespace

Plant::Plant(PlantConfig config, FleetCollector& collector, std::size_t index, Now now, QObject* parent)
    : QObject(parent), config_(std::move(config)), collector_(collector), index_(index), now_(std::move(now))
{
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
    // What the port meets outside a call of ours (the line hanging up, a
    // failed read) is logged with the plant's name.
    port_.SetErrorSink([this](const std::string& message) { Log(message); });
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
        connect(connector_.get(), &NetConnector::finished, this, [this] { Connected(); });
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

void Plant::Log(const std::string& message) const
{
    std::fprintf(stderr, "plant %s: %s\n", config_.name.c_str(), message.c_str());
}

void Plant::Connected() noexcept
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
    Log("line " + config_.line.toStdString() + " open");
}

void Plant::OpenFailed(const std::string& message)
{
    if (message != EAbort().what())
        Log("cannot open " + config_.line.toStdString() + ": " + message);
    LineLost();
}

void Plant::LineLost()
{
    if (waiting_)
        return;
    waiting_ = true;
    retryAt_ = now_() + backoff_;
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
    if (TakeFrame(rx_) == FrameRoute::Ignore)
        return;
    try {
        decoder_.Decode(rx_.RxType, rx_.RxBody, sample_);
    } catch (const std::exception& e) {
        Log(std::string("'") + rx_.RxType + "' record: " + e.what());
    }
}

void Plant::Publish()
{
    collector_.Publish(index_, sample_);
}

} // namespace zelt
