#include "exporter/BasicAuth.h"

#include <QCryptographicHash>

#include <crypt.h>

#include <memory>

namespace zelt {

BasicAuth::BasicAuth(std::map<std::string, std::string> users) : users_(std::move(users)) {}

bool BasicAuth::Allows(const QByteArray& authorization)
{
    if (!authorization.startsWith("Basic "))
        return false;
    const QByteArray decoded = QByteArray::fromBase64(authorization.mid(6).trimmed());
    const qsizetype colon = decoded.indexOf(':');
    if (colon < 0)
        return false;
    const auto user = users_.find(decoded.left(colon).toStdString());
    if (user == users_.end())
        return false;
    const QByteArray digest = QCryptographicHash::hash(decoded, QCryptographicHash::Sha256);
    if (verified_.count(digest) != 0)
        return true;
    const auto data = std::make_unique<crypt_data>();
    const std::string password = decoded.mid(colon + 1).toStdString();
    const char* hashed = crypt_rn(password.c_str(), user->second.c_str(), data.get(), sizeof(crypt_data));
    if (hashed == nullptr || user->second != hashed)
        return false;
    verified_.insert(digest);
    return true;
}

} // namespace zelt
