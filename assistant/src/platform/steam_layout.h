#pragma once

#include <string>
#include <vector>

namespace platform {

// Where Steam and SteamVR keep their programs on this system.
struct SteamLayout {
    std::vector<std::string> fallbackFolders; // Steam folders to try when the registry has none
    std::string launcherMarker;    // a folder holding this file is a Steam folder
    std::string launcher;          // program to start inside the Steam folder
    std::string vrShutdownTool;    // below the SteamVR folder, native separators
    std::string vrServer;          // below the SteamVR folder, native separators
    std::string firewallRuleQuery; // command listing the SteamVR server rule; empty where none
    char separator = '/';
};

// `home` is the user's home folder.
SteamLayout steamLayout(const std::string &home);

} // namespace platform
