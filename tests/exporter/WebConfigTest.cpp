// The web configuration file and basic authentication.

#include "exporter/BasicAuth.h"
#include "exporter/WebConfig.h"

#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace zelt {
namespace {

// bcrypt of "s3cret", cost 5.
const char* const Hash = "$2b$05$abcdefghijklmnopqrstuuLK7U1u6pVRmL7L1BBM2aS35PSZnDXlK";

TEST(ExporterWebConfig, ReadsTlsAndUsersAndRefusesWhatItDoesNotImplement)
{
    const struct {
        std::string text;
        const char* refusal; // part of the message; null when accepted
        ClientAuth auth;
    } rows[] = {
        {"tls_server_config:\n  cert_file: c.pem\n  key_file: /k.pem\n  client_ca_file: ca.pem\n"
         "  client_auth_type: RequireAndVerifyClientCert\nbasic_auth_users:\n  alice: " + std::string(Hash) + "\n",
         nullptr, ClientAuth::RequireAndVerifyClientCert},
        {"tls_server_config:\n  cert_file: c\n  key_file: k\n  client_auth_type: RequestClientCert\n", nullptr,
         ClientAuth::RequestClientCert},
        {"tls_server_config:\n  cert_file: c\n  key_file: k\n  client_auth_type: RequireAnyClientCert\n", nullptr,
         ClientAuth::RequireAnyClientCert},
        {"tls_server_config:\n  cert_file: c\n  key_file: k\n  client_ca_file: a\n"
         "  client_auth_type: VerifyClientCertIfGiven\n", nullptr, ClientAuth::VerifyClientCertIfGiven},
        {"tls_server_config:\n  cert_file: c\n  key_file: k\n  client_auth_type: VerifyClientCertIfGiven\n",
         "needs client_ca_file", {}},
        {"tls_server_config:\n  cert_file: c\n  key_file: k\n  client_auth_type: Sometimes\n",
         "client_auth_type Sometimes", {}},
        {"tls_server_config:\n  cert_file: c\n", "needs cert_file and key_file", {}},
        {"tls_server_config:\n  cert_file: c\n  key_file: k\n  min_version: TLS13\n",
         "tls_server_config.min_version is not supported", {}},
        {"http_server_config:\n  http2: false\n", "http_server_config is not supported", {}},
        {"basic_auth_users:\n  bob: plain\n", "bob is not a bcrypt hash", {}},
        {"basic_auth_users: [a]\n", "must be a mapping", {}},
        {"tls_server_config: [\n", "", {}},
        {"", nullptr, ClientAuth::NoClientCert},
    };
    const QTemporaryDir dir;
    const QString path = dir.filePath("web.yml");
    for (const auto& row : rows) {
        SCOPED_TRACE(row.text);
        QFile file(path);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
        file.write(row.text.c_str());
        file.close();
        try {
            const WebConfig web = ReadWebConfig(path);
            ASSERT_EQ(row.refusal, nullptr);
            EXPECT_EQ(web.clientAuth, row.auth);
            EXPECT_EQ(web.tls, !row.text.empty());
            if (web.users.size() == 1) {
                EXPECT_EQ(web.users.at("alice"), Hash);
                EXPECT_EQ(web.certFile, dir.filePath("c.pem"));
                EXPECT_EQ(web.keyFile, "/k.pem");
                EXPECT_EQ(web.clientCaFile, dir.filePath("ca.pem"));
            }
        } catch (const WebConfigError& e) {
            ASSERT_NE(row.refusal, nullptr) << e.what();
            EXPECT_NE(std::string(e.what()).find(row.refusal), std::string::npos) << e.what();
        }
    }
    EXPECT_THROW(ReadWebConfig(dir.filePath("missing.yml")), WebConfigError);
}

TEST(ExporterBasicAuth, LetsInOnlyAUserWithItsPassword)
{
    BasicAuth auth({{"alice", Hash}, {"bob", "$2b$05$abcdefghijklmnopqrstuu"}});
    const auto header = [](const char* credentials) { return "Basic " + QByteArray(credentials).toBase64(); };
    for (int twice = 0; twice < 2; ++twice) { // the second time from what was verified
        EXPECT_TRUE(auth.Allows(header("alice:s3cret")));
        EXPECT_FALSE(auth.Allows(header("alice:s3cre")));
        EXPECT_FALSE(auth.Allows(header("bob:s3cret")));
        EXPECT_FALSE(auth.Allows(header("carol:s3cret")));
        EXPECT_FALSE(auth.Allows(header("alice")));
        EXPECT_FALSE(auth.Allows("Bearer " + QByteArray("alice:s3cret").toBase64()));
    }
}

} // namespace
} // namespace zelt
