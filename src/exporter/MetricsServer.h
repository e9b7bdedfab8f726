#pragma once

// The HTTP server of /metrics, driven by the event loop: a client that
// sends nothing holds no thread and blinds no scrape, and one idle for
// IdleTimeout, or still without a TLS handshake after it, is closed. Each
// scrape collects every registered collectable and serves the text format,
// gzipped when the client accepts it.

#include "exporter/BasicAuth.h"
#include "exporter/ListenAddress.h"
#include "exporter/WebConfig.h"

#include <QHttpServer>
#include <QTcpServer>

#include <prometheus/collectable.h>

#include <chrono>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace zelt {

class MetricsServer : public QObject {
public:
    static constexpr std::chrono::milliseconds IdleTimeout{5000};

    explicit MetricsServer(QObject* parent = nullptr);

    // TLS and basic authentication as web configures them, before Listen.
    // Throws WebConfigError for a certificate, key or CA file it cannot load.
    void Secure(const WebConfig& web);
    // Throws ListenError when the address cannot be bound; returns the port.
    quint16 Listen(const ListenAddress& where);
    void Add(std::shared_ptr<prometheus::Collectable> collectable);
    void Remove(const std::shared_ptr<prometheus::Collectable>& collectable);

    // The scrape body of every collectable.
    std::string Scrape() const;

private:
    QHttpServer http_;
    std::optional<WebConfig> tls_;
    std::optional<BasicAuth> auth_;
    std::vector<std::shared_ptr<prometheus::Collectable>> collectables_;
};

// gzip (RFC 1952) of data.
QByteArray Gzip(std::string_view data);

} // namespace zelt
