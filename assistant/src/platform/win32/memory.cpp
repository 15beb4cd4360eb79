#include "platform/memory.h"

#include <windows.h>

namespace platform {

std::optional<std::uint64_t> totalPhysicalMemory()
{
    MEMORYSTATUSEX status{};
    status.dwLength = sizeof status;
    if (!GlobalMemoryStatusEx(&status))
        return std::nullopt;
    return status.ullTotalPhys;
}

} // namespace platform
