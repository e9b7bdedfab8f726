#pragma once

// HTTP basic authentication against bcrypt hashes. bcrypt is slow on
// purpose, so a name and password once verified are remembered (as a
// SHA-256 digest, never in clear) and let through without hashing again.

#include <QByteArray>

#include <map>
#include <set>
#include <string>

namespace zelt {

class BasicAuth {
public:
    explicit BasicAuth(std::map<std::string, std::string> users);

    // Whether an Authorization header value names a user with its password.
    bool Allows(const QByteArray& authorization);

private:
    const std::map<std::string, std::string> users_;
    std::set<QByteArray> verified_;
};

} // namespace zelt
