#include "platform/network_profile.h"

#include "com_session.h"
#include "win32_text.h"

#include <winsock2.h>
#include <windows.h>
#include <iphlpapi.h>
#include <netioapi.h>
#include <netlistmgr.h>

#include <string>

namespace platform {
namespace {

// {DCB00C01-570F-4A9B-8D69-199FDBA5723B}
const CLSID kNetworkListManager = {0xDCB00C01, 0x570F, 0x4A9B, {0x8D, 0x69, 0x19, 0x9F, 0xDB, 0xA5, 0x72, 0x3B}};

NetworkCategory categoryOf(NLM_NETWORK_CATEGORY category)
{
    switch (category) {
    case NLM_NETWORK_CATEGORY_PUBLIC: return NetworkCategory::Public;
    case NLM_NETWORK_CATEGORY_PRIVATE: return NetworkCategory::Private;
    case NLM_NETWORK_CATEGORY_DOMAIN_AUTHENTICATED: return NetworkCategory::Domain;
    }
    return NetworkCategory::Unknown;
}

std::uint32_t interfaceIndexOf(const GUID &adapter)
{
    NET_LUID luid{};
    NET_IFINDEX index = 0;
    if (ConvertInterfaceGuidToLuid(&adapter, &luid) != NO_ERROR || ConvertInterfaceLuidToIndex(&luid, &index) != NO_ERROR)
        return 0;
    return index;
}

} // namespace

std::optional<std::vector<ConnectionProfile>> connectedNetworkProfiles()
{
    win32::ComSession com;
    if (!com.ok())
        return std::nullopt;
    win32::ComPtr<INetworkListManager> manager;
    if (FAILED(CoCreateInstance(kNetworkListManager, nullptr, CLSCTX_ALL, __uuidof(INetworkListManager),
                                reinterpret_cast<void **>(manager.put())))
        || !manager)
        return std::nullopt;
    win32::ComPtr<IEnumNetworks> networks;
    if (FAILED(manager->GetNetworks(NLM_ENUM_NETWORK_CONNECTED, networks.put())) || !networks)
        return std::nullopt;

    std::vector<ConnectionProfile> out;
    for (;;) {
        win32::ComPtr<INetwork> network;
        ULONG fetched = 0;
        if (networks->Next(1, network.put(), &fetched) != S_OK || fetched == 0)
            break;
        ConnectionProfile base;
        win32::Bstr name;
        if (SUCCEEDED(network->GetName(name.put())))
            base.name = win32::narrow(name.text());
        NLM_NETWORK_CATEGORY category = NLM_NETWORK_CATEGORY_PUBLIC;
        base.category = SUCCEEDED(network->GetCategory(&category)) ? categoryOf(category) : NetworkCategory::Unknown;

        bool any = false;
        win32::ComPtr<IEnumNetworkConnections> connections;
        if (SUCCEEDED(network->GetNetworkConnections(connections.put())) && connections) {
            for (;;) {
                win32::ComPtr<INetworkConnection> connection;
                ULONG got = 0;
                if (connections->Next(1, connection.put(), &got) != S_OK || got == 0)
                    break;
                ConnectionProfile p = base;
                GUID adapter{};
                if (SUCCEEDED(connection->GetAdapterId(&adapter)))
                    p.interfaceIndex = interfaceIndexOf(adapter);
                any = true;
                // An interface belongs to one network; some implementations list every
                // connection under every network, the first answer is kept.
                bool seen = false;
                for (const ConnectionProfile &earlier : out)
                    seen = seen || (p.interfaceIndex != 0 && earlier.interfaceIndex == p.interfaceIndex);
                if (!seen)
                    out.push_back(p);
            }
        }
        if (!any)
            out.push_back(base);
    }
    return out;
}

std::vector<ConnectionProfile> profilesFromNmcli(const std::string &, const std::map<std::string, std::string> &)
{
    return {};
}

NetworkCategory categoryOfZone(const std::string &)
{
    return NetworkCategory::Unknown;
}

} // namespace platform
