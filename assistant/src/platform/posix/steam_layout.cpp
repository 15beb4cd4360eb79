#include "platform/steam_layout.h"

#include "steam_paths.h"

#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>
#include <fstream>
#include <vector>

namespace platform {

SteamLayout steamLayout(const std::string& home)
{
    SteamLayout layout;
    layout.fallbackFolders = {
        home + "/.steam/steam",
        home + "/.local/share/Steam",
        home + "/.var/app/com.valvesoftware.Steam/.local/share/Steam", // Flatpak
    };
    layout.launcherMarker = "steam.sh";
    layout.launcher = "steam.sh";
    layout.vrShutdownTool = "bin/linux64/vrstartup";
    layout.vrServer = "bin/linux64/vrserver";
    layout.separator = '/';
    // Linux has no Windows firewall rule to look for: firewallRuleQuery stays empty.
    return layout;
}

namespace posix {
namespace {

bool isFile(const std::string& path)
{
    struct stat st;
    return stat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode);
}

bool isDir(const std::string& path)
{
    struct stat st;
    return stat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

// The values of every "path" entry of a libraryfolders.vdf.
std::vector<std::string> libraryPaths(const std::string& vdf)
{
    std::vector<std::string> paths;
    std::ifstream in(vdf);
    for (std::string line; std::getline(in, line);) {
        std::vector<std::string> tokens;
        for (size_t i = 0; i < line.size(); ++i) {
            if (line[i] != '"')
                continue;
            std::string token;
            for (++i; i < line.size() && line[i] != '"'; ++i) {
                if (line[i] == '\\' && i + 1 < line.size())
                    ++i;
                token += line[i];
            }
            tokens.push_back(token);
        }
        if (tokens.size() == 2 && tokens[0] == "path")
            paths.push_back(tokens[1]);
    }
    return paths;
}

} // namespace

std::string steamFolder(const std::string& home)
{
    if (home.empty())
        return {};
    const SteamLayout layout = steamLayout(home);
    for (const std::string& folder : layout.fallbackFolders) {
        if (isFile(folder + "/" + layout.launcherMarker))
            return folder;
    }
    return {};
}

std::string steamVrFolder(const std::string& home)
{
    const std::string steam = steamFolder(home);
    if (steam.empty())
        return {};
    std::vector<std::string> libraries{steam};
    for (const std::string& p : libraryPaths(steam + "/steamapps/libraryfolders.vdf"))
        libraries.push_back(p);
    for (const std::string& lib : libraries) {
        const std::string vr = lib + "/steamapps/common/SteamVR";
        if (isDir(vr))
            return vr;
    }
    return {};
}

std::string homeFolder()
{
    const char* home = std::getenv("HOME");
    if (home && *home)
        return home;
    if (const passwd* pw = getpwuid(getuid()))
        return pw->pw_dir ? pw->pw_dir : "";
    return {};
}

} // namespace posix
} // namespace platform
