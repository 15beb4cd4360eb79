#pragma once

#include <string>

namespace platform {

// OpenVR's per-user path registry ("openvrpaths.vrpath") under `homeDir`:
// AppData/Local/openvr/ on Windows, .config/openvr/ on Linux. Joined as text
// with forward slashes.
std::string openvrPathRegistryFile(const std::string &homeDir);

} // namespace platform
