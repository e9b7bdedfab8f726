#include "exporter/MetricsServer.h"

#include <QFile>
#include <QHttpServerRequest>
#include <QHttpServerResponse>
#include <QSslKey>
#include <QSslServer>
#include <QSslSocket>
#include <QTcpSocket>
#include <QTimer>

#include <prometheus/text_serializer.h>

#include <algorithm>
#include <functional>
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

// Gives a connection an idle timer: restarted by every byte read or
// written, it closes the connection once it runs out. A client that asks
// for it is closed once its reply is written.
void Arm(QTcpSocket* socket)
{
    auto* idle = new QTimer(socket);
    idle->setSingleShot(true);
    idle->setInterval(MetricsServer::IdleTimeout);
    QObject::connect(idle, &QTimer::timeout, socket, &QTcpSocket::abort);
    QObject::connect(socket, &QTcpSocket::readyRead, idle, qOverload<>(&QTimer::start));
    QObject::connect(socket, &QTcpSocket::bytesWritten, idle, qOverload<>(&QTimer::start));
    idle->start();
    // Looked at before the HTTP server reads it: the request may be here already.
    const auto lookAtRequest = [socket] {
        if (AsksToClose(socket->peek(socket->bytesAvailable())))
            socket->setProperty("closeAfterReply", true);
    };
    lookAtRequest();
    QObject::connect(socket, &QTcpSocket::readyRead, socket, lookAtRequest);
    QObject::connect(socket, &QTcpSocket::bytesWritten, socket, [socket] {
        if (socket->property("closeAfterReply").toBool() && socket->bytesToWrite() == 0)
            socket->disconnectFromHost();
    });
}

// Hands the HTTP server its connections, armed, and those a check refuses
// closed: the server takes connections through nextPendingConnection.
template <class Base>
class TimedServer : public Base {
public:
    using Check = std::function<bool(QTcpSocket*)>;

    TimedServer(QObject* parent, Check check = {}) : Base(parent), check_(std::move(check)) {}

    QTcpSocket* nextPendingConnection() override
    {
        while (QTcpSocket* socket = Base::nextPendingConnection()) {
            if (!check_ || check_(socket)) {
                Arm(socket);
                return socket;
            }
            socket->abort();
            socket->deleteLater();
        }
        return nullptr;
    }

private:
    Check check_;
};

QList<QSslCertificate> LoadCertificates(const QString& path)
{
    const QList<QSslCertificate> certificates = QSslCertificate::fromPath(path);
    if (certificates.isEmpty())
        throw WebConfigError(path.toStdString() + ": no PEM certificate");
    return certificates;
}

QSslConfiguration TlsConfiguration(const WebConfig& web)
{
    QSslConfiguration tls = QSslConfiguration::defaultConfiguration();
    const QList<QSslCertificate> chain = LoadCertificates(web.certFile);
    tls.setLocalCertificateChain(chain);
    QFile keyFile(web.keyFile);
    if (!keyFile.open(QIODevice::ReadOnly))
        throw WebConfigError(web.keyFile.toStdString() + ": cannot read the file");
    const QByteArray keyPem = keyFile.readAll();
    QSslKey key(keyPem, QSsl::Rsa);
    if (key.isNull())
        key = QSslKey(keyPem, QSsl::Ec);
    if (key.isNull())
        throw WebConfigError(web.keyFile.toStdString() + ": no PEM RSA or EC private key");
    tls.setPrivateKey(key);
    if (!web.clientCaFile.isEmpty())
        tls.setCaCertificates(LoadCertificates(web.clientCaFile));
    switch (web.clientAuth) {
    case ClientAuth::NoClientCert:
        tls.setPeerVerifyMode(QSslSocket::VerifyNone);
        break;
    case ClientAuth::RequestClientCert:
    case ClientAuth::RequireAnyClientCert:
        tls.setPeerVerifyMode(QSslSocket::QueryPeer);
        break;
    case ClientAuth::VerifyClientCertIfGiven:
    case ClientAuth::RequireAndVerifyClientCert:
        tls.setPeerVerifyMode(QSslSocket::VerifyPeer);
        break;
    }
    return tls;
}

bool AcceptsGzip(const QHttpServerRequest& request)
{
    return request.value("Accept-Encoding").contains("gzip");
}

} // namespace

QByteArray Gzip(std::string_view data)
{
    z_stream stream{};
    // 15 window bits, +16 for the gzip wrapper. The fastest level: a scrape
    // of 1 000 plants is some 7 MB of text, most of it repeated labels, which
    // it still packs about fifteen to one.
    if (deflateInit2(&stream, Z_BEST_SPEED, Z_DEFLATED, 15 + 16, 8, Z_DEFAULT_STRATEGY) != Z_OK)
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
        if (auth_ && !auth_->Allows(request.value("Authorization"))) {
            QHttpServerResponse refused("text/plain", "Unauthorized\n",
                                        QHttpServerResponse::StatusCode::Unauthorized);
            refused.addHeader("WWW-Authenticate", "Basic realm=\"zelt6380-exporter\"");
            return refused;
        }
        const std::string body = Scrape();
        const bool gzip = AcceptsGzip(request);
        QHttpServerResponse response("text/plain; version=0.0.4; charset=utf-8",
                                     gzip ? Gzip(body) : QByteArray::fromStdString(body));
        if (gzip)
            response.addHeader("Content-Encoding", "gzip");
        return response;
    });
}

void MetricsServer::Secure(const WebConfig& web)
{
    if (web.tls) {
        TlsConfiguration(web); // refuses what cannot be loaded now, not at the first client
        tls_ = web;
    }
    if (!web.users.empty())
        auth_.emplace(web.users);
}

quint16 MetricsServer::Listen(const ListenAddress& where)
{
    QTcpServer* tcp = nullptr;
    if (tls_) {
        const ClientAuth mode = tls_->clientAuth;
        auto* ssl = new TimedServer<QSslServer>(this, [mode](QTcpSocket* socket) {
            return mode != ClientAuth::RequireAnyClientCert ||
                   !static_cast<QSslSocket*>(socket)->peerCertificate().isNull();
        });
        ssl->setSslConfiguration(TlsConfiguration(*tls_));
        // A client that connects and never completes its handshake is closed.
        ssl->setHandshakeTimeout(static_cast<int>(IdleTimeout.count()));
        // A client may go without a certificate, but one it gives must verify.
        if (mode == ClientAuth::VerifyClientCertIfGiven)
            connect(ssl, &QSslServer::sslErrors, ssl, [](QSslSocket* socket, const QList<QSslError>& errors) {
                if (std::all_of(errors.begin(), errors.end(),
                                [](const QSslError& e) { return e.error() == QSslError::NoPeerCertificate; }))
                    socket->ignoreSslErrors(errors);
            });
        tcp = ssl;
    } else {
        tcp = new TimedServer<QTcpServer>(this);
    }
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

std::string MetricsServer::Scrape() const
{
    std::vector<prometheus::MetricFamily> families;
    for (const std::shared_ptr<prometheus::Collectable>& collectable : collectables_) {
        std::vector<prometheus::MetricFamily> own = collectable->Collect();
        std::move(own.begin(), own.end(), std::back_inserter(families));
    }
    return prometheus::TextSerializer().Serialize(families);
}

} // namespace zelt
