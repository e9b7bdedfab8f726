#include "trend/PlantId.h"

#include <algorithm>
#include <cctype>

namespace zelt {

namespace {

std::string Upper(std::string text)
{
    std::transform(text.begin(), text.end(), text.begin(), [](unsigned char c) { return static_cast<char>(std::toupper(c)); });
    return text;
}

} // namespace

bool MacIdentifies(const std::string& mac)
{
    return !mac.empty() && Upper(mac) != FactoryMac;
}

std::string PlantKey(const std::string& port, const std::string& mac)
{
    return MacIdentifies(mac) ? Upper(mac) : port + "/" + Upper(mac);
}

PlantKeyParts SplitPlantKey(const std::string& key)
{
    // A port name may hold slashes itself (tcp://host:port): the MAC follows the last.
    const std::size_t slash = key.rfind('/');
    if (slash == std::string::npos)
        return {{}, key};
    return {key.substr(0, slash), key.substr(slash + 1)};
}

} // namespace zelt
