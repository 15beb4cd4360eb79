#pragma once
// The Linux places of Steam and SteamVR below a home folder.
#include <string>

namespace platform::posix {

// The first Steam folder (one holding "steam.sh") below `home`; empty when none.
std::string steamFolder(const std::string &home);
// SteamVR's folder in one of the Steam libraries listed by the Steam folder's
// steamapps/libraryfolders.vdf (the Steam folder itself first); empty when none.
std::string steamVrFolder(const std::string &home);
// $HOME, else the password database's home folder.
std::string homeFolder();

} // namespace platform::posix
