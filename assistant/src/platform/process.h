#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace platform {

struct ProcessEntry {
    std::uint32_t pid = 0;
    std::string name;           // executable file name, e.g. "adb.exe" or "adb"
};

// Snapshot of the running processes (Win32: Toolhelp; Linux: /proc, the name being that
// of the executable /proc/<pid>/exe points to); empty when no snapshot can be taken.
std::vector<ProcessEntry> listProcesses();
// Full path of the executable of process `pid`, UTF-8 (Win32: K32GetModuleFileNameExW,
// whole also beyond 260 characters); empty when it cannot be read.
std::string processExecutablePath(std::uint32_t pid);
// Ends process `pid` at once (Win32: "taskkill /PID n /F", waited for at most 30 s to
// start and 30 s to finish; Linux: SIGKILL). True when the system accepted the request.
bool terminateProcess(std::uint32_t pid);
// This process's id.
std::uint32_t currentProcessId();

} // namespace platform
