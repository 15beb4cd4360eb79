#include "platform/network_link.h"

#include "platform/program_run.h"
#include "text_file.h"

#include <sys/stat.h>

#include <climits>
#include <cstdlib>
#include <fstream>
#include <sstream>

namespace platform {
namespace {

bool exists(const std::string &path)
{
    struct stat st {};
    return stat(path.c_str(), &st) == 0;
}

} // namespace

std::optional<NetworkLink> defaultNetworkLinkFrom(const std::string &procNetRoute, const std::string &sysClassNet)
{
    std::ifstream routes(procNetRoute);
    if (!routes)
        return std::nullopt;
    std::string line;
    std::getline(routes, line); // the heading
    std::string best;
    long bestMetric = LONG_MAX;
    while (std::getline(routes, line)) {
        std::istringstream fields(line);
        std::string iface, destination, gateway, flags, refCount, use, metric, mask;
        if (!(fields >> iface >> destination >> gateway >> flags >> refCount >> use >> metric >> mask))
            continue;
        const unsigned long flagBits = std::strtoul(flags.c_str(), nullptr, 16);
        // A default route: any destination, any mask, up (0x1).
        if (destination != "00000000" || mask != "00000000" || !(flagBits & 0x1))
            continue;
        const long m = std::strtol(metric.c_str(), nullptr, 10);
        if (m < bestMetric) {
            bestMetric = m;
            best = iface;
        }
    }
    if (best.empty())
        return std::nullopt;
    NetworkLink link;
    link.interfaceName = best;
    const std::string dir = sysClassNet + "/" + best;
    if (exists(dir + "/wireless") || exists(dir + "/phy80211"))
        link.kind = LinkKind::WiFi;
    else if (posix::firstLine(dir + "/type") == "1")
        link.kind = LinkKind::Ethernet;
    else if (exists(dir))
        link.kind = LinkKind::Other;
    // Mbit/s; -1 or unreadable while the link is down or the driver does not say.
    const std::string speed = posix::firstLine(dir + "/speed");
    if (!speed.empty() && speed[0] != '-') {
        try {
            link.speedBitsPerSecond = std::stoull(speed) * 1000000ull;
        } catch (...) {
            link.speedBitsPerSecond = 0;
        }
    }
    return link;
}

int wifiFrequencyFromIwLink(const std::string &output)
{
    std::istringstream in(output);
    for (std::string line; std::getline(in, line);) {
        const auto at = line.find("freq:");
        if (at == std::string::npos)
            continue;
        try {
            return static_cast<int>(std::stod(line.substr(at + 5)));
        } catch (...) {
            return 0;
        }
    }
    return 0;
}

std::optional<NetworkLink> defaultNetworkLink()
{
    auto link = defaultNetworkLinkFrom("/proc/net/route", "/sys/class/net");
    if (link && link->kind == LinkKind::WiFi) {
        const std::string iw = systemToolPath("iw");
        if (!iw.empty()) {
            const ProgramResult r = runProgram(ProgramCommand{iw, {"dev", link->interfaceName, "link"}}, 3000);
            if (r.started && !r.timedOut && r.exitCode == 0)
                link->wifiFrequencyMHz = wifiFrequencyFromIwLink(r.output);
        }
    }
    return link;
}

} // namespace platform
