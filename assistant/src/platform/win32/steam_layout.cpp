#include "platform/steam_layout.h"

namespace platform {

SteamLayout steamLayout(const std::string &home)
{
    SteamLayout layout;
    layout.fallbackFolders = {"C:\\Program Files (x86)\\Steam", "C:\\Program Files\\Steam", home + "\\Steam"};
    layout.launcherMarker = "Steam.exe";
    layout.launcher = "steam.exe";
    layout.vrShutdownTool = "bin\\win64\\vrstartup.exe";
    layout.vrServer = "bin\\win64\\vrserver.exe";
    layout.firewallRuleQuery = "netsh advfirewall firewall show rule name=\"SteamVR Nerev vrserver\" verbose";
    layout.separator = '\\';
    return layout;
}

} // namespace platform
