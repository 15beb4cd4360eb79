#pragma once

#include <cstdint>
#include <map>
#include <optional>
#include <string>
#include <vector>

namespace platform {

enum class NetworkCategory { Unknown, Public, Private, Domain };

// One connected network and the category Windows gives it (which firewall profile applies).
struct ConnectionProfile {
    std::string name;                 // the network's name, e.g. "Network 2" or the Wi-Fi's name
    std::uint32_t interfaceIndex = 0; // Win32: the interface it is connected through; 0 unknown
    std::string connectionId;         // Linux: NetworkManager's connection UUID
    NetworkCategory category = NetworkCategory::Unknown;
};

// Every connected network with its category, one entry per interface.
// Win32: the Network List Manager (INetworkListManager::GetNetworks, INetwork::GetCategory,
// the adapters of its connections mapped to interface indexes).
// Linux: NetworkManager's active connections and their firewall zone through nmcli
// ("public", "external", "dmz", "block", "drop" count as Public; "home", "work",
// "internal", "trusted" as Private; none as Unknown).
// nullopt when the list cannot be had (no nmcli, COM refused).
std::optional<std::vector<ConnectionProfile>> connectedNetworkProfiles();

// The Linux reader: `active` is "nmcli -t -f UUID,NAME,DEVICE connection show --active",
// `zones` holds the zone of each connection UUID.
std::vector<ConnectionProfile> profilesFromNmcli(const std::string &active,
                                                 const std::map<std::string, std::string> &zones);
NetworkCategory categoryOfZone(const std::string &zone);

} // namespace platform
