#pragma once

// Reads the reduced samples of a span for the Trend window on a thread of its
// own, with its own connection, so that the window never waits for the
// database. One read runs at a time; a request made meanwhile waits, and a
// newer one replaces it. A read that finishes while another waits is stale and
// is dropped, so only the latest request's result is ever delivered.

#include "trend/SessionStore.h"

#include <QObject>
#include <QString>
#include <QThread>

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

namespace zelt {

struct TrendRequest {
    std::string Plant;
    std::int64_t FromMs = 0; // ignored when FromFirst
    std::int64_t ToMs = 0;
    bool FromFirst = false;  // the span starts at the plant's oldest sample
    int Count = 1;           // stretches to cut the span into
};

struct TrendResult {
    TrendRequest Request;
    std::int64_t FromMs = 0;      // the span read: Request.FromMs or the oldest sample
    std::optional<std::int64_t> FirstMs; // the plant's oldest sample
    std::vector<SampleBucket> Buckets;
    QString Error;                // what could not be read; empty on success
};

class TrendReader : public QObject {
public:
    // done is called on the owner's thread with the latest request's result.
    TrendReader(const QString& databasePath, std::function<void(const TrendResult&)> done,
                QObject* parent = nullptr);
    // Waits for a read in progress.
    ~TrendReader() override;

    void Request(const TrendRequest& request);

private:
    class Worker;

    void Send(const TrendRequest& request);
    void Finished(const TrendResult& result);

    std::function<void(const TrendResult&)> done_;
    bool busy_ = false;
    std::optional<TrendRequest> pending_;
    QThread thread_;
    Worker* worker_ = nullptr; // lives on thread_
};

} // namespace zelt
