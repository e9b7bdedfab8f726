#pragma once

// One watched plant: its line, the receive assembler and the status decoders
// of the console, fed only by what the controller sends on its own. Nothing
// is ever sent. A line that drops or fails to open is tried again after 1 s,
// then 2, 4 ... up to 60 s between attempts, until a frame arrives.

#include "exporter/ExporterConfig.h"
#include "exporter/PlantDecoder.h"
#include "exporter/PlantSample.h"
#include "protocol/FrameCodec.h"
#include "serial/ComPort.h"

#include <QObject>

#include <chrono>
#include <functional>
#include <memory>

namespace zelt {

class FleetCollector;
class NetConnector;

class Plant : public QObject {
public:
    using Clock = std::chrono::steady_clock;

    using Now = std::function<Clock::time_point()>;

    // Publishes its samples to collector as plant number index; now tells
    // the time a lost line waits from.
    Plant(PlantConfig config, FleetCollector& collector, std::size_t index, Now now = Clock::now,
          QObject* parent = nullptr);
    ~Plant() override;

    // The first attempt to open the line.
    void Start();
    // Opens the line again when it is down and its wait is over.
    void RetryIfDue(Clock::time_point now);

private:
    void Open();
    void Connected() noexcept; // the network connector has finished
    void Log(const std::string& message) const;
    void Opened();
    void OpenFailed(const std::string& message);
    void LineLost();
    void Received(const char* buffer, int length);
    void DispatchFrame();
    void Publish();

    const PlantConfig config_;
    FleetCollector& collector_;
    const std::size_t index_;
    const Now now_;
    TComPort port_;
    std::unique_ptr<NetConnector> connector_;
    bool closing_ = false;
    bool waiting_ = false; // down, to be opened again at retryAt_
    Clock::time_point retryAt_;
    std::chrono::seconds backoff_{1};
    std::string rxText_;

    FrameReceiver rx_;
    PlantDecoder decoder_;
    PlantSample sample_;
};

} // namespace zelt
