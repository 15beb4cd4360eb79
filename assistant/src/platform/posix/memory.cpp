#include "platform/memory.h"

#include <fstream>
#include <sstream>
#include <string>

namespace platform {

std::optional<std::uint64_t> totalPhysicalMemory()
{
    std::ifstream meminfo("/proc/meminfo");
    for (std::string line; std::getline(meminfo, line);) {
        if (line.rfind("MemTotal:", 0) == 0) {
            std::istringstream in(line.substr(9));
            std::uint64_t kib = 0;
            if (in >> kib)
                return kib * 1024;
            break;
        }
    }
    return std::nullopt;
}

} // namespace platform
