#include "platform/system_facts.h"

#include "steam_paths.h"
#include "text_file.h"

#include <fstream>

namespace platform {
namespace {

std::string unquote(std::string s)
{
    if (s.size() >= 2 && (s.front() == '"' || s.front() == '\'') && s.back() == s.front())
        return s.substr(1, s.size() - 2);
    return s;
}

std::string osName()
{
    std::ifstream osRelease("/etc/os-release");
    for (std::string line; std::getline(osRelease, line);) {
        if (line.rfind("PRETTY_NAME=", 0) == 0)
            return unquote(posix::trim(line.substr(12)));
    }
    return {};
}

std::string processorName()
{
    std::ifstream cpuinfo("/proc/cpuinfo");
    for (std::string line; std::getline(cpuinfo, line);) {
        if (line.rfind("model name", 0) == 0) {
            const auto colon = line.find(':');
            if (colon != std::string::npos)
                return posix::trim(line.substr(colon + 1));
        }
    }
    return {};
}

std::string machineId()
{
    std::ifstream in("/etc/machine-id");
    std::string id;
    std::getline(in, id);
    return posix::trim(id);
}

const char* kSteamKey = "HKEY_LOCAL_MACHINE\\SOFTWARE\\WOW6432Node\\Valve\\Steam";
const char* kSteamVrKey = "HKEY_LOCAL_MACHINE\\SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\Steam App 250820";

std::optional<std::string> nonEmpty(std::string s)
{
    if (s.empty())
        return std::nullopt;
    return s;
}

} // namespace

// Linux has no registry; the keys the assistant reads map to the files that hold the
// same facts here.
std::optional<std::string> registryString(const std::string& key, const std::string& value)
{
    if (key == "HKEY_LOCAL_MACHINE\\HARDWARE\\DESCRIPTION\\System\\CentralProcessor\\0" && value == "ProcessorNameString")
        return nonEmpty(processorName());
    if (key == "HKEY_LOCAL_MACHINE\\SOFTWARE\\Microsoft\\Windows NT\\CurrentVersion" && value == "ProductName")
        return nonEmpty(osName());
    if (key == "HKEY_LOCAL_MACHINE\\SOFTWARE\\Microsoft\\Cryptography" && value == "MachineGuid")
        return nonEmpty(machineId());
    if (key == kSteamKey && value == "InstallPath")
        return nonEmpty(posix::steamFolder(posix::homeFolder()));
    if (key == kSteamVrKey && value == "InstallLocation")
        return nonEmpty(posix::steamVrFolder(posix::homeFolder()));
    return std::nullopt;
}

bool registryKeyExists(const std::string& key)
{
    if (key == kSteamKey)
        return !posix::steamFolder(posix::homeFolder()).empty();
    if (key == kSteamVrKey)
        return !posix::steamVrFolder(posix::homeFolder()).empty();
    return false;
}

std::optional<std::vector<std::string>> registrySubKeys(const std::string&)
{
    return std::nullopt;
}

bool registryWriteString(const std::string&, const std::string&, const std::string&)
{
    return false;
}

bool registryDeleteTree(const std::string&)
{
    return false;
}

} // namespace platform

namespace platform {

ProgramCommand networkCategoryQuery()
{
    static const char* script =
        "pub=0; priv=0; "
        "if command -v nmcli >/dev/null 2>&1; then "
        "for c in $(nmcli -t -f UUID connection show --active 2>/dev/null); do "
        "z=$(nmcli -g connection.zone connection show \"$c\" 2>/dev/null); "
        "case \"$z\" in public|external|dmz|block|drop) pub=1;; home|work|internal|trusted) priv=1;; esac; "
        "done; fi; "
        "if [ $pub = 1 ]; then echo 'NetworkCategory : Public'; "
        "elif [ $priv = 1 ]; then echo 'NetworkCategory : Private'; "
        "else echo 'NetworkCategory :'; fi";
    return ProgramCommand{"/bin/sh", {"-c", script}};
}

} // namespace platform
