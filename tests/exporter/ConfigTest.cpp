// The configuration file: plants, lines and labels, and the files refused.

#include "exporter/ExporterConfig.h"
#include "exporter/ListenAddress.h"

#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace zelt {
namespace {

struct ConfigRow {
    const char* text;
    const char* refusal; // part of the message; null when accepted
};

TEST(ExporterConfig, AcceptsPlantsWithOneLabelSetAndRefusesTheRest)
{
    const ConfigRow rows[] = {
        {"[plant-north]\nline = /dev/ttyUSB0\nlabels = site=n1,region=east\n"
         "[plant-south]\nline = rfc2217://10.0.0.5:4001 ; a terminal server\nlabels = region=west, site=s1\n",
         nullptr},
        {"[plant-a]\nline = tcp://[::1]:4000\n", nullptr},
        {"[plant-a]\nline = /dev/ttyS0\nlabels = 1site=x\n", "not a label"},
        {"[plant-a]\nline = /dev/ttyS0\nlabels = unit=3\n", "not a label"},
        {"[plant-a]\nline = /dev/ttyS0\nlabels = site\n", "not a label"},
        {"[plant-a]\nline = /dev/ttyS0\nlabels = site=x,site=y\n", "given twice"},
        {"[plant-a]\nline = /dev/ttyS0\nlabels = site=x\n[plant-b]\nline = /dev/ttyS1\n", "same label names"},
        {"[plant-a]\nlabels = site=x\n", "line must be"},
        {"[plant-a]\nline = COM1\n", "line must be"},
        {"[plant-a]\nline = /dev/ttyS0\nbaud = 9600\n", "unknown key"},
        {"[north]\nline = /dev/ttyS0\n", "not a [plant-NAME] group"},
        {"; nothing\n", nullptr},
        {"[plant-a]\nline = /dev/ttyS0\n\n[plant-a]\n", ":4: [plant-a] given twice (first on line 1)"},
        {"[plant-a]\nline = /dev/ttyS0\n[plant-b]\n; x\nline = /dev/ttyS1\nline=/dev/ttyS2\n",
         ":6: key line given twice in [plant-b] (first on line 5)"},
    };
    const QTemporaryDir dir;
    const QString path = dir.filePath("exporter.conf");
    for (const ConfigRow& row : rows) {
        SCOPED_TRACE(row.text);
        QFile file(path);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
        file.write(row.text);
        file.close();
        try {
            const ExporterConfig config = ReadExporterConfig(path);
            EXPECT_EQ(row.refusal, nullptr);
            if (config.plants.size() == 2) {
                EXPECT_EQ(config.labelNames, (std::vector<std::string>{"region", "site"}));
                EXPECT_EQ(config.plants[1].name, "south");
                EXPECT_EQ(config.plants[1].line, "rfc2217://10.0.0.5:4001");
                EXPECT_EQ(config.plants[1].labelValues, (std::vector<std::string>{"west", "s1"}));
            }
        } catch (const ConfigError& e) {
            ASSERT_NE(row.refusal, nullptr) << e.what();
            EXPECT_NE(std::string(e.what()).find(row.refusal), std::string::npos) << e.what();
        }
    }
    EXPECT_THROW(ReadExporterConfig(dir.filePath("missing.conf")), ConfigError);
}

TEST(ExporterListen, TakesAddressLiteralsAndRefusesTheRest)
{
    const struct {
        const char* listen;
        const char* address; // null when refused
        quint16 port;
    } rows[] = {
        {":9380", "::", 9380},         {"127.0.0.1:0", "127.0.0.1", 0}, {"[::1]:65535", "::1", 65535},
        {"[::]:9380", "::", 9380},     {":65536", nullptr, 0},          {":+5", nullptr, 0},
        {"9380", nullptr, 0},          {"::1:9380", nullptr, 0},        {"[127.0.0.1]:9380", nullptr, 0},
        {"localhost:9380", nullptr, 0}, {"[::1:9380", nullptr, 0},      {"10.0.0.1:", nullptr, 0},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.listen);
        try {
            const ListenAddress parsed = ParseListenAddress(row.listen);
            ASSERT_NE(row.address, nullptr);
            EXPECT_EQ(parsed.port, row.port);
            const bool any = parsed.address == QHostAddress(QHostAddress::Any);
            EXPECT_EQ(any ? QStringLiteral("::") : parsed.address.toString(), row.address);
            EXPECT_EQ(any, QByteArray(row.listen).startsWith(':'));
        } catch (const ListenError&) {
            EXPECT_EQ(row.address, nullptr);
        }
    }
}

} // namespace
} // namespace zelt
