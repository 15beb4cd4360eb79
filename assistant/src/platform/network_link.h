#pragma once

#include <cstdint>
#include <optional>
#include <string>

namespace platform {

enum class LinkKind { Unknown, Ethernet, WiFi, Other };

// The PC's own link towards its router: the interface that carries the default route.
struct NetworkLink {
    std::string interfaceName;              // "Ethernet 2", "eth0"
    LinkKind kind = LinkKind::Unknown;
    std::uint64_t speedBitsPerSecond = 0;   // 0: unknown
    int wifiFrequencyMHz = 0;               // the access point's channel centre; 0: unknown or not Wi-Fi
};

// Win32: GetBestInterface towards a public address (else the up adapter with a gateway
// and the lowest metric) from GetAdaptersAddresses, its interface type and transmit
// speed; the Wi-Fi frequency from the WLAN API (WlanQueryInterface for the connected
// access point, WlanGetNetworkBssList for its centre frequency).
// Linux: the default route of /proc/net/route with the lowest metric, the interface's
// /sys/class/net entry (wireless/ or phy80211 for Wi-Fi, type 1 for Ethernet, speed in
// Mbit/s), and the frequency from "iw dev IF link" when iw is installed.
// nullopt when there is no default route or it cannot be read.
std::optional<NetworkLink> defaultNetworkLink();

// The Linux readers on given files, for tests.
std::optional<NetworkLink> defaultNetworkLinkFrom(const std::string &procNetRoute, const std::string &sysClassNet);
// The frequency in MHz from the output of "iw dev IF link"; 0 when it names none.
int wifiFrequencyFromIwLink(const std::string &output);

} // namespace platform
