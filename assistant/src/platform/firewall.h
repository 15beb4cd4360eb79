#pragma once

#include <string>
#include <vector>

namespace platform {

// An inbound rule that allows traffic, as the firewall states it.
struct FirewallRule {
    std::string name;
    std::string application;   // the program it allows; empty: any program
    int protocol = 256;        // 6 TCP, 17 UDP, 256 any
    std::string localPorts;    // "9943,9944", "9000-9999", "*"; empty: any port
};

struct FirewallState {
    bool known = false;                     // false: the firewall could not be read (see error)
    std::string error;
    bool filtersInbound = false;            // on for a profile in use now
    bool blocksAllInbound = false;          // "block all incoming connections" for a profile in use
    std::vector<FirewallRule> allowRules;   // enabled inbound allow rules of a profile in use
};

// Win32: Windows Firewall through INetFwPolicy2 (CurrentProfileTypes, FirewallEnabled,
// BlockAllInboundTraffic, the Rules collection). Linux: not read; nftables and iptables
// rules need privileges and a reader of their own, so the answer is "not known".
FirewallState firewallState();

} // namespace platform
