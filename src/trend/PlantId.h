#pragma once

// How the session database names a plant: by its controller's MAC address,
// wherever it is reached from. A controller that reports no MAC, or the
// factory one that the network settings dialog's "Default" writes (many
// controllers may carry it), is told apart by its port as well: "COM1/020000006380".

#include <string>

namespace zelt {

// The factory MAC address, as the 'R' record sends it.
inline constexpr const char* FactoryMac = "020000006380";

// Whether the MAC names one controller: not empty and not the factory one.
bool MacIdentifies(const std::string& mac);

// The MAC (upper case) when it identifies the plant, else "<port>/<MAC>".
std::string PlantKey(const std::string& port, const std::string& mac);

// A key's MAC, and the port it holds when the MAC does not identify the plant.
struct PlantKeyParts {
    std::string Port;
    std::string Mac;
};
PlantKeyParts SplitPlantKey(const std::string& key);

} // namespace zelt
