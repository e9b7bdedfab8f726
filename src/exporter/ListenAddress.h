#pragma once

// The --listen argument: "[ADDR]:PORT" with an IPv4 address, an IPv6
// address in brackets, or none for every address.

#include <QHostAddress>
#include <QString>

#include <stdexcept>

namespace zelt {

class ListenError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

struct ListenAddress {
    QHostAddress address; // Any (IPv4 and IPv6) when none is given
    quint16 port = 0;
};

// ":9380", "127.0.0.1:9380", "[::]:9380", "[::1]:9380". Throws ListenError
// for a host name, an IPv6 address without brackets, a missing port or one
// outside 0 to 65535.
ListenAddress ParseListenAddress(const QString& listen);

} // namespace zelt
