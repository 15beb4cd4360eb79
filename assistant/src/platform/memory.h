#pragma once

#include <cstdint>
#include <optional>

namespace platform {

// Total physical memory in bytes (GlobalMemoryStatusEx, /proc/meminfo); nullopt when it
// cannot be read.
std::optional<std::uint64_t> totalPhysicalMemory();

} // namespace platform
