#include "exporter/MetricsServer.h"

#include <QHttpServerRequest>
#include <QHttpServerResponse>
#include <QTcpSocket>
#include <QTimer>

#include <prometheus/text_serializer.h>

#include <algorithm>
#include <zlib.h>

namespace zelt {

namespace {

// Whether a request asks for its connection to be closed after the reply:
// HTTP/1.0 or "Connection: close". The HTTP server keeps every connection open.
bool AsksToClose(const QByteArray& request)
{
    const qsizetype lineEnd = request.indexOf("\r\n");
    return request.left(lineEnd).endsWith(" HTTP/1.0") || request.toLower().contains("\r\nconnection: close\r\n");
}

// Hands the HTTP server its connections with an idle timer each: restarted
// by every byte read or written, it closes the connection once it runs out.
// A client that asks for it is closed once its reply is written.
class TimedTcpServer : public QTcpServer {
public:
    using QTcpServer::QTcpServer;

    QTcpSocket* nextPendingConnection() override
    {
        QTcpSocket* socket = QTcpServer::nextPendingConnection();
        if (!socket)
            return nullptr;
        auto* idle = new QTimer(socket);
        idle->setSingleShot(true);
        idle->setInterval(MetricsServer::IdleTimeout);
        connect(idle, &QTimer::timeout, socket, &QTcpSocket::abort);
        connect(socket, &QTcpSocket::readyRead, idle, qOverload<>(&QTimer::start));
        connect(socket, &QTcpSocket::bytesWritten, idle, qOverload<>(&QTimer::start));
        idle->start();
        // Connected before the HTTP server's own handler, so the request is still unread here.
        connect(socket, &QTcpSocket::readyRead, socket, [socket] {
            if (AsksToClose(socket->peek(socket->bytesAvailable())))
                socket->setProperty("closeAfterReply", true);
        });
        connect(socket, &QTcpSocket::bytesWritten, socket, [socket] {
            if (socket->property("closeAfterReply").toBool() && socket->bytesToWrite() == 0)
                socket->disconnectFromHost();
        });
        return socket;
    }
};

bool AcceptsGzip(const QHttpServerRequest& request)
{
    return request.value("Accept-Encoding").contains("gzip");
}

} // namespace

QByteArray Gzip(const QByteArray& data)
{
    z_stream stream{};
    // 15 window bits, +16 for the gzip wrapper.
    if (deflateInit2(&stream, Z_DEFAULT_COMPRESSION, Z_DEFLATED, 15 + 16, 8, Z_DEFAULT_STRATEGY) != Z_OK)
        return {};
    QByteArray out(static_cast<qsizetype>(deflateBound(&stream, static_cast<uLong>(data.size()))), '\0');
    stream.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(data.data()));
    stream.avail_in = static_cast<uInt>(data.size());
    stream.next_out = reinterpret_cast<Bytef*>(out.data());
    stream.avail_out = static_cast<uInt>(out.size());
    const int status = deflate(&stream, Z_FINISH);
    out.resize(static_cast<qsizetype>(stream.total_out));
    deflateEnd(&stream);
    return status == Z_STREAM_END ? out : QByteArray();
}

MetricsServer::MetricsServer(QObject* parent) : QObject(parent)
{
    http_.route(QStringLiteral("/metrics"), [this](const QHttpServerRequest& request) {
        QByteArray body = Scrape();
        const bool gzip = AcceptsGzip(request);
        QHttpServerResponse response("text/plain; version=0.0.4; charset=utf-8", gzip ? Gzip(body) : body);
        if (gzip)
            response.addHeader("Content-Encoding", "gzip");
        return response;
    });
}

quint16 MetricsServer::Listen(const ListenAddress& where)
{
    auto* tcp = new TimedTcpServer(this);
    if (!tcp->listen(where.address, where.port))
        throw ListenError(tcp->errorString().toStdString());
    http_.bind(tcp);
    return tcp->serverPort();
}

void MetricsServer::Add(std::shared_ptr<prometheus::Collectable> collectable)
{
    collectables_.push_back(std::move(collectable));
}

void MetricsServer::Remove(const std::shared_ptr<prometheus::Collectable>& collectable)
{
    collectables_.erase(std::remove(collectables_.begin(), collectables_.end(), collectable), collectables_.end());
}

QByteArray MetricsServer::Scrape() const
{
    std::vector<prometheus::MetricFamily> families;
    for (const std::shared_ptr<prometheus::Collectable>& collectable : collectables_) {
        std::vector<prometheus::MetricFamily> own = collectable->Collect();
        std::move(own.begin(), own.end(), std::back_inserter(families));
    }
    return QByteArray::fromStdString(prometheus::TextSerializer().Serialize(families));
}

} // namespace zelt
