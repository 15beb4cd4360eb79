#include "platform/network_profile.h"

#include "platform/program_run.h"
#include "text_file.h"

#include <sstream>

namespace platform {
namespace {

// nmcli's terse form: fields split at ':', a ':' or '\' inside a field escaped with '\'.
std::vector<std::string> terseFields(const std::string &line)
{
    std::vector<std::string> fields(1);
    for (std::size_t i = 0; i < line.size(); ++i) {
        if (line[i] == '\\' && i + 1 < line.size()) {
            fields.back().push_back(line[++i]);
        } else if (line[i] == ':') {
            fields.emplace_back();
        } else {
            fields.back().push_back(line[i]);
        }
    }
    return fields;
}

} // namespace

NetworkCategory categoryOfZone(const std::string &zone)
{
    const std::string z = posix::trim(zone);
    if (z == "public" || z == "external" || z == "dmz" || z == "block" || z == "drop")
        return NetworkCategory::Public;
    if (z == "home" || z == "work" || z == "internal" || z == "trusted")
        return NetworkCategory::Private;
    return NetworkCategory::Unknown;
}

std::vector<ConnectionProfile> profilesFromNmcli(const std::string &active,
                                                 const std::map<std::string, std::string> &zones)
{
    std::vector<ConnectionProfile> out;
    std::istringstream in(active);
    for (std::string line; std::getline(in, line);) {
        if (posix::trim(line).empty())
            continue;
        const auto fields = terseFields(line);
        if (fields.size() < 3 || fields[2].empty() || fields[2] == "lo")
            continue;
        ConnectionProfile p;
        p.connectionId = fields[0];
        p.name = fields[1];
        const auto zone = zones.find(p.connectionId);
        p.category = zone == zones.end() ? NetworkCategory::Unknown : categoryOfZone(zone->second);
        out.push_back(p);
    }
    return out;
}

std::optional<std::vector<ConnectionProfile>> connectedNetworkProfiles()
{
    const std::string nmcli = systemToolPath("nmcli");
    if (nmcli.empty())
        return std::nullopt;
    const ProgramResult active =
        runProgram(ProgramCommand{nmcli, {"-t", "-f", "UUID,NAME,DEVICE", "connection", "show", "--active"}}, 5000);
    if (!active.started || active.timedOut || active.exitCode != 0)
        return std::nullopt;
    std::map<std::string, std::string> zones;
    std::istringstream in(active.output);
    for (std::string line; std::getline(in, line);) {
        const auto fields = terseFields(line);
        if (fields.empty() || fields[0].empty())
            continue;
        const ProgramResult zone =
            runProgram(ProgramCommand{nmcli, {"-g", "connection.zone", "connection", "show", fields[0]}}, 5000);
        if (zone.started && !zone.timedOut && zone.exitCode == 0)
            zones[fields[0]] = zone.output;
    }
    return profilesFromNmcli(active.output, zones);
}

} // namespace platform
