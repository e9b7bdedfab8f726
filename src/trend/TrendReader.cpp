#include "trend/TrendReader.h"

#include <QMetaObject>
#include <QUuid>

#include <exception>
#include <memory>

namespace zelt {

// Owns the connection on the reader's thread, opened at the first read.
class TrendReader::Worker : public QObject {
public:
    explicit Worker(const QString& path) : path_(path) {}

    TrendResult Read(const TrendRequest& request)
    {
        TrendResult result{request, request.FromMs, std::nullopt, {}, {}};
        try {
            if (!store_) {
                auto store = std::make_unique<SessionStore>(path_, QUuid::createUuid().toString());
                store->Open();
                store_ = std::move(store);
            }
            result.FirstMs = store_->FirstSampleTime(request.Plant);
            if (request.FromFirst)
                result.FromMs = std::min(result.FirstMs.value_or(request.ToMs), request.ToMs);
            result.Buckets = store_->Buckets(request.Plant, result.FromMs, request.ToMs, request.Count);
        } catch (const std::exception& e) {
            result.Error = QString::fromStdString(e.what());
        }
        return result;
    }

    void Close() { store_.reset(); }

private:
    QString path_;
    std::unique_ptr<SessionStore> store_;
};

TrendReader::TrendReader(const QString& databasePath, std::function<void(const TrendResult&)> done, QObject* parent)
    : QObject(parent), done_(std::move(done))
{
    worker_ = new Worker(databasePath);
    worker_->moveToThread(&thread_);
    connect(&thread_, &QThread::finished, worker_, &QObject::deleteLater);
    thread_.start();
}

TrendReader::~TrendReader()
{
    QMetaObject::invokeMethod(worker_, [w = worker_] { w->Close(); }, Qt::BlockingQueuedConnection);
    thread_.quit();
    thread_.wait();
}

void TrendReader::Request(const TrendRequest& request)
{
    if (busy_)
        pending_ = request;
    else
        Send(request);
}

void TrendReader::Send(const TrendRequest& request)
{
    busy_ = true;
    QMetaObject::invokeMethod(worker_, [this, request] {
        const TrendResult result = worker_->Read(request);
        QMetaObject::invokeMethod(this, [this, result] { Finished(result); }, Qt::QueuedConnection);
    });
}

void TrendReader::Finished(const TrendResult& result)
{
    busy_ = false;
    if (pending_) {
        const TrendRequest next = *pending_;
        pending_.reset();
        Send(next);
        return;
    }
    done_(result);
}

} // namespace zelt
