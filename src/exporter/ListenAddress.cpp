#include "exporter/ListenAddress.h"

namespace zelt {

namespace {

[[noreturn]] void Refuse(const QString& listen, const char* why)
{
    throw ListenError(QStringLiteral("--listen %1: %2").arg(listen, QLatin1String(why)).toStdString());
}

} // namespace

ListenAddress ParseListenAddress(const QString& listen)
{
    const qsizetype colon = listen.lastIndexOf(QLatin1Char(':'));
    if (colon < 0)
        Refuse(listen, "no port: [ADDR]:PORT");
    const QString host = listen.left(colon);
    const QString portText = listen.mid(colon + 1);
    bool ok = false;
    const uint port = portText.toUInt(&ok);
    if (!ok || port > 65535 || !portText.at(0).isDigit())
        Refuse(listen, "the port must be a number from 0 to 65535");

    ListenAddress result;
    result.port = static_cast<quint16>(port);
    if (host.isEmpty()) {
        result.address = QHostAddress::Any;
        return result;
    }
    const bool bracketed = host.startsWith(QLatin1Char('[')) && host.endsWith(QLatin1Char(']'));
    const QString literal = bracketed ? host.mid(1, host.size() - 2) : host;
    const QAbstractSocket::NetworkLayerProtocol wanted =
        bracketed ? QAbstractSocket::IPv6Protocol : QAbstractSocket::IPv4Protocol;
    if (!result.address.setAddress(literal) || result.address.protocol() != wanted)
        Refuse(listen, "the address must be an IPv4 address or an IPv6 address in brackets, not a host name");
    return result;
}

} // namespace zelt
