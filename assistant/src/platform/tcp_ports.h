#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace platform {

struct TcpPortOwner {
    std::uint16_t localPort = 0;         // host order
    std::uint32_t pid = 0;               // owning process; 0 for time-wait rows
};

// Every IPv4 TCP row, in any state, with its owning process; nullopt with
// `error` filled when the table cannot be read.
std::optional<std::vector<TcpPortOwner>> tcpPortOwners(std::string *error = nullptr);

} // namespace platform
