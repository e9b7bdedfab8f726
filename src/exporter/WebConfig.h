#pragma once

// The --web.config.file of the metrics server, in Prometheus's exporter web
// configuration format:
//
//   tls_server_config:
//     cert_file: server.crt
//     key_file: server.key
//     client_ca_file: clients.crt         # with a verifying client_auth_type
//     client_auth_type: RequireAndVerifyClientCert
//   basic_auth_users:
//     alice: $2y$10$...                   # bcrypt
//
// File names are relative to the configuration file's folder.

#include <QString>

#include <map>
#include <stdexcept>
#include <string>

namespace zelt {

class WebConfigError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

enum class ClientAuth {
    NoClientCert,
    RequestClientCert,
    RequireAnyClientCert,
    VerifyClientCertIfGiven,
    RequireAndVerifyClientCert,
};

struct WebConfig {
    bool tls = false;
    QString certFile;
    QString keyFile;
    QString clientCaFile; // empty when none
    ClientAuth clientAuth = ClientAuth::NoClientCert;
    std::map<std::string, std::string> users; // name -> bcrypt hash
};

// Throws WebConfigError for a file that cannot be read or parsed, a key the
// exporter does not implement (named), a TLS section without both files,
// an unknown client_auth_type, a verifying one without client_ca_file, or a
// user whose hash is not bcrypt.
WebConfig ReadWebConfig(const QString& path);

} // namespace zelt
