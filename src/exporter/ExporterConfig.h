#pragma once

// The exporter's configuration file: one INI group "plant-NAME" per plant
// with its line and optional extra labels.
//
//   [plant-north]
//   line = /dev/ttyUSB0
//   labels = site=north-01,region=east

#include <QString>

#include <stdexcept>
#include <string>
#include <vector>

namespace zelt {

struct PlantConfig {
    std::string name;                     // the plant label
    QString line;                         // device path, tcp:// or rfc2217:// URL
    std::vector<std::string> labelValues; // in the order of ExporterConfig::labelNames
};

struct ExporterConfig {
    std::vector<std::string> labelNames; // sorted; the same for every plant
    std::vector<PlantConfig> plants;     // by name
};

// A file the exporter refuses; the message says where and why.
class ConfigError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// A file without any plant is accepted: the exporter then serves only its
// own metrics. Throws ConfigError for a file that cannot be read, a group or
// a key of a group given twice, a plant
// without a line or with a line that is neither a path nor a network URL,
// a key or group it does not know, a label name Prometheus does not accept
// or that the exporter uses itself, or plants with differing label names.
ExporterConfig ReadExporterConfig(const QString& path);

} // namespace zelt
