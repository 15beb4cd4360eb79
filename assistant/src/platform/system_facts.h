#pragma once

#include <optional>
#include <string>
#include <vector>

namespace platform {

// Reads a string value from the Windows registry: key is the full path with
// its hive, e.g. "HKEY_LOCAL_MACHINE\\SOFTWARE\\Microsoft\\Cryptography",
// value the value name ("MachineGuid"). The POSIX backend answers the keys it
// has a natural equivalent for and nullopt for the rest:
//   ...\CentralProcessor\0 "ProcessorNameString"   "model name" of /proc/cpuinfo
//   ...\Windows NT\CurrentVersion "ProductName"      PRETTY_NAME of /etc/os-release
//   ...\Cryptography "MachineGuid"                   /etc/machine-id
//   ...\WOW6432Node\Valve\Steam "InstallPath"        the Steam folder below $HOME
//   ...\Uninstall\Steam App 250820 "InstallLocation" SteamVR in the Steam libraries
std::optional<std::string> registryString(const std::string &key, const std::string &value);
// True when the key exists (the Steam check counts its mere existence).
bool registryKeyExists(const std::string &key);
// Names of the key's direct sub-keys in index order; nullopt when the key cannot be
// opened. POSIX: nullopt.
std::optional<std::vector<std::string>> registrySubKeys(const std::string &key);
// Writes a string value, creating the key; removes a key with everything below it.
// For tests and set-up tools; false on POSIX.
bool registryWriteString(const std::string &key, const std::string &value, const std::string &data);
bool registryDeleteTree(const std::string &key);

struct ProgramCommand {
    std::string program;
    std::vector<std::string> arguments;
};

// The query whose output names the network category of the current connection as
// "NetworkCategory : Public|Private". Win32: PowerShell's Get-NetConnectionProfile.
// Linux: the firewall zone NetworkManager gives the active connections ("public",
// "external", "dmz", "block", "drop" count as Public; "home", "work", "internal",
// "trusted" as Private); it prints no category when none is known.
ProgramCommand networkCategoryQuery();

} // namespace platform
