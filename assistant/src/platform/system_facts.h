#pragma once

#include <optional>
#include <string>

namespace platform {

// Reads a string value from the Windows registry: key is the full path with
// its hive, e.g. "HKEY_LOCAL_MACHINE\\SOFTWARE\\Microsoft\\Cryptography",
// value the value name ("MachineGuid"). The POSIX backend answers the keys it
// has a natural equivalent for (processor name, OS name, machine id, Steam and
// SteamVR folders) and nullopt for the rest.
std::optional<std::string> registryString(const std::string &key, const std::string &value);
// True when the key exists (the Steam check counts its mere existence).
bool registryKeyExists(const std::string &key);

} // namespace platform
