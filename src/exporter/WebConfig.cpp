#include "exporter/WebConfig.h"

#include <QDir>
#include <QFileInfo>

#include <yaml-cpp/yaml.h>

#include <algorithm>
#include <array>
#include <utility>

namespace zelt {

namespace {

[[noreturn]] void Refuse(const QString& path, const std::string& why)
{
    throw WebConfigError(path.toStdString() + ": " + why);
}

// A mapping whose keys are all among known; an absent node is an empty one.
void CheckKeys(const QString& path, const YAML::Node& node, const char* section,
               std::initializer_list<const char*> known)
{
    if (!node)
        return;
    if (!node.IsMap())
        Refuse(path, std::string(section) + " must be a mapping");
    for (const auto& entry : node) {
        const std::string key = entry.first.as<std::string>();
        if (std::find_if(known.begin(), known.end(), [&](const char* k) { return key == k; }) == known.end())
            Refuse(path, std::string(section) + key + " is not supported");
    }
}

ClientAuth ParseClientAuth(const QString& path, const std::string& text)
{
    static const std::array<std::pair<const char*, ClientAuth>, 5> names{{
        {"NoClientCert", ClientAuth::NoClientCert},
        {"RequestClientCert", ClientAuth::RequestClientCert},
        {"RequireAnyClientCert", ClientAuth::RequireAnyClientCert},
        {"VerifyClientCertIfGiven", ClientAuth::VerifyClientCertIfGiven},
        {"RequireAndVerifyClientCert", ClientAuth::RequireAndVerifyClientCert},
    }};
    for (const auto& [name, value] : names)
        if (text == name)
            return value;
    Refuse(path, "client_auth_type " + text + " is not one of NoClientCert, RequestClientCert, "
                 "RequireAnyClientCert, VerifyClientCertIfGiven, RequireAndVerifyClientCert");
}

} // namespace

WebConfig ReadWebConfig(const QString& path)
{
    if (!QFileInfo(path).isReadable())
        Refuse(path, "cannot read the file");
    const QDir folder = QFileInfo(path).absoluteDir();
    WebConfig config;
    try {
        const YAML::Node root = YAML::LoadFile(path.toStdString());
        if (root.IsNull())
            return config;
        CheckKeys(path, root, "", {"tls_server_config", "basic_auth_users"});

        const YAML::Node tls = root["tls_server_config"];
        CheckKeys(path, tls, "tls_server_config.", {"cert_file", "key_file", "client_ca_file", "client_auth_type"});
        if (tls) {
            config.tls = true;
            if (!tls["cert_file"] || !tls["key_file"])
                Refuse(path, "tls_server_config needs cert_file and key_file");
            config.certFile = folder.absoluteFilePath(QString::fromStdString(tls["cert_file"].as<std::string>()));
            config.keyFile = folder.absoluteFilePath(QString::fromStdString(tls["key_file"].as<std::string>()));
            if (tls["client_ca_file"])
                config.clientCaFile =
                    folder.absoluteFilePath(QString::fromStdString(tls["client_ca_file"].as<std::string>()));
            if (tls["client_auth_type"])
                config.clientAuth = ParseClientAuth(path, tls["client_auth_type"].as<std::string>());
            const bool verifies = config.clientAuth == ClientAuth::VerifyClientCertIfGiven ||
                                  config.clientAuth == ClientAuth::RequireAndVerifyClientCert;
            if (verifies && config.clientCaFile.isEmpty())
                Refuse(path, "a verifying client_auth_type needs client_ca_file");
        }

        const YAML::Node users = root["basic_auth_users"];
        if (users && !users.IsMap())
            Refuse(path, "basic_auth_users must be a mapping of user names to bcrypt hashes");
        for (const auto& user : users) {
            const std::string name = user.first.as<std::string>();
            const std::string hash = user.second.as<std::string>();
            if (hash.rfind("$2", 0) != 0)
                Refuse(path, "the password of " + name + " is not a bcrypt hash");
            config.users.emplace(name, hash);
        }
    } catch (const YAML::Exception& e) {
        Refuse(path, e.what());
    }
    return config;
}

} // namespace zelt
