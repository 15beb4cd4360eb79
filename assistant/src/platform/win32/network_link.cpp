#include "platform/network_link.h"

#include "win32_text.h"

#include <winsock2.h>
#include <ws2tcpip.h>
#include <windows.h>
#include <iphlpapi.h>
#include <wlanapi.h>

#include <cstring>
#include <vector>

namespace platform {
namespace {

// The WLAN API, loaded when present: editions without the wireless service lack wlanapi.dll.
struct Wlan {
    HMODULE module = nullptr;
    decltype(&WlanOpenHandle) open = nullptr;
    decltype(&WlanCloseHandle) close = nullptr;
    decltype(&WlanQueryInterface) query = nullptr;
    decltype(&WlanGetNetworkBssList) bssList = nullptr;
    decltype(&WlanFreeMemory) free = nullptr;

    Wlan()
    {
        module = LoadLibraryW(L"wlanapi.dll");
        if (!module)
            return;
        open = reinterpret_cast<decltype(open)>(reinterpret_cast<void *>(GetProcAddress(module, "WlanOpenHandle")));
        close = reinterpret_cast<decltype(close)>(reinterpret_cast<void *>(GetProcAddress(module, "WlanCloseHandle")));
        query = reinterpret_cast<decltype(query)>(reinterpret_cast<void *>(GetProcAddress(module, "WlanQueryInterface")));
        bssList = reinterpret_cast<decltype(bssList)>(
            reinterpret_cast<void *>(GetProcAddress(module, "WlanGetNetworkBssList")));
        free = reinterpret_cast<decltype(free)>(reinterpret_cast<void *>(GetProcAddress(module, "WlanFreeMemory")));
    }
    ~Wlan()
    {
        if (module)
            FreeLibrary(module);
    }
    bool usable() const { return open && close && query && bssList && free; }
};

// The centre frequency of the access point the interface is connected to, in MHz.
int wifiFrequency(const std::string &adapterName)
{
    GUID guid{};
    const std::wstring text = win32::widen(adapterName);
    if (FAILED(CLSIDFromString(text.c_str(), &guid)))
        return 0;
    Wlan wlan;
    if (!wlan.usable())
        return 0;
    DWORD version = 0;
    HANDLE client = nullptr;
    if (wlan.open(2, nullptr, &version, &client) != ERROR_SUCCESS)
        return 0;
    int frequency = 0;
    DWORD size = 0;
    WLAN_CONNECTION_ATTRIBUTES *connection = nullptr;
    if (wlan.query(client, &guid, wlan_intf_opcode_current_connection, nullptr, &size,
                   reinterpret_cast<void **>(&connection), nullptr)
            == ERROR_SUCCESS
        && connection) {
        WLAN_ASSOCIATION_ATTRIBUTES &association = connection->wlanAssociationAttributes;
        WLAN_BSS_LIST *list = nullptr;
        if (wlan.bssList(client, &guid, &association.dot11Ssid, association.dot11BssType,
                         connection->wlanSecurityAttributes.bSecurityEnabled, nullptr, &list)
                == ERROR_SUCCESS
            && list) {
            for (DWORD i = 0; i < list->dwNumberOfItems; ++i) {
                const WLAN_BSS_ENTRY &entry = list->wlanBssEntries[i];
                if (std::memcmp(entry.dot11Bssid, association.dot11Bssid, sizeof entry.dot11Bssid) == 0) {
                    frequency = static_cast<int>(entry.ulChCenterFrequency / 1000); // kHz
                    break;
                }
            }
            wlan.free(list);
        }
        wlan.free(connection);
    }
    wlan.close(client, nullptr);
    return frequency;
}

} // namespace

std::optional<NetworkLink> defaultNetworkLink()
{
    ULONG size = 16 * 1024;
    std::vector<unsigned char> buffer;
    ULONG rc = ERROR_BUFFER_OVERFLOW;
    const ULONG flags = GAA_FLAG_INCLUDE_GATEWAYS | GAA_FLAG_SKIP_ANYCAST | GAA_FLAG_SKIP_MULTICAST
                        | GAA_FLAG_SKIP_DNS_SERVER;
    for (int tries = 0; rc == ERROR_BUFFER_OVERFLOW && tries < 4; ++tries) {
        buffer.resize(size);
        rc = GetAdaptersAddresses(AF_UNSPEC, flags, nullptr, reinterpret_cast<IP_ADAPTER_ADDRESSES *>(buffer.data()),
                                  &size);
    }
    if (rc != NO_ERROR)
        return std::nullopt;
    const auto *adapters = reinterpret_cast<const IP_ADAPTER_ADDRESSES *>(buffer.data());

    // The interface the routing table would use towards the internet.
    DWORD bestIndex = 0;
    IPAddr outside = 0;
    InetPtonW(AF_INET, L"8.8.8.8", &outside);
    const bool haveBest = GetBestInterface(outside, &bestIndex) == NO_ERROR;

    const IP_ADAPTER_ADDRESSES *chosen = nullptr;
    for (const auto *a = adapters; a; a = a->Next) {
        if (a->OperStatus != IfOperStatusUp || a->IfType == IF_TYPE_SOFTWARE_LOOPBACK)
            continue;
        if (haveBest && a->IfIndex == bestIndex) {
            chosen = a;
            break;
        }
        if (!a->FirstGatewayAddress)
            continue;
        if (!chosen || a->Ipv4Metric < chosen->Ipv4Metric)
            chosen = a;
    }
    if (!chosen)
        return std::nullopt;

    NetworkLink link;
    link.interfaceName = chosen->FriendlyName ? win32::narrow(chosen->FriendlyName) : std::string();
    if (chosen->IfType == IF_TYPE_ETHERNET_CSMACD)
        link.kind = LinkKind::Ethernet;
    else if (chosen->IfType == IF_TYPE_IEEE80211)
        link.kind = LinkKind::WiFi;
    else
        link.kind = LinkKind::Other;
    // The largest value stands for "unknown".
    if (chosen->TransmitLinkSpeed != 0 && chosen->TransmitLinkSpeed != ~0ull)
        link.speedBitsPerSecond = chosen->TransmitLinkSpeed;
    if (link.kind == LinkKind::WiFi && chosen->AdapterName)
        link.wifiFrequencyMHz = wifiFrequency(chosen->AdapterName);
    return link;
}

std::optional<NetworkLink> defaultNetworkLinkFrom(const std::string &, const std::string &)
{
    return std::nullopt;
}

int wifiFrequencyFromIwLink(const std::string &)
{
    return 0;
}

} // namespace platform
