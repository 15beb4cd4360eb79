#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace platform {

struct ProcessEntry {
    std::uint32_t pid = 0;
    std::string name;           // executable file name, e.g. "adb.exe" or "adb"
};

// Snapshot of the running processes; empty when no snapshot can be taken.
std::vector<ProcessEntry> listProcesses();
// Full path of the executable of process `pid`; empty when it cannot be read.
std::string processExecutablePath(std::uint32_t pid);
// Ends process `pid` at once. True when the system accepted the request.
bool terminateProcess(std::uint32_t pid);

} // namespace platform
