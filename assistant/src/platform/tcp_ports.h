#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace platform {

struct TcpPortOwner {
    std::uint16_t localPort = 0;         // host order
    std::uint32_t pid = 0;               // owning process; 0 for time-wait rows
    int state = 0;                       // MIB_TCP_STATE numbering: 2 listen, 5 established, 11 time-wait
};

// Every TCP row, in any state, with its owning process (Win32: GetTcpTable2, IPv4,
// sorted; Linux: /proc/net/tcp and tcp6, owners found through the socket inodes of
// /proc/<pid>/fd, one row per owning process); nullopt with `error` filled when the
// table cannot be read.
std::optional<std::vector<TcpPortOwner>> tcpPortOwners(std::string *error = nullptr);

} // namespace platform
