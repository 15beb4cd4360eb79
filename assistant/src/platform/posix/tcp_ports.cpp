#include "platform/tcp_ports.h"

#include <dirent.h>
#include <unistd.h>

#include <cstdlib>
#include <cstring>
#include <fstream>
#include <map>
#include <sstream>

namespace platform {
namespace {

// Linux TCP states (include/net/tcp_states.h) to the MIB_TCP_STATE numbers Windows uses.
int mibState(int linuxState)
{
    switch (linuxState) {
    case 1: return 5;   // established
    case 2: return 3;   // syn-sent
    case 3: return 4;   // syn-received
    case 4: return 6;   // fin-wait-1
    case 5: return 7;   // fin-wait-2
    case 6: return 11;  // time-wait
    case 7: return 1;   // closed
    case 8: return 8;   // close-wait
    case 9: return 10;  // last-ack
    case 10: return 2;  // listen
    case 11: return 9;  // closing
    default: return 0;
    }
}

struct RawRow {
    uint16_t localPort, remotePort;
    int state;
    unsigned long inode;
};

bool readTable(const char* path, std::vector<RawRow>& rows)
{
    std::ifstream in(path);
    if (!in)
        return false;
    std::string line;
    std::getline(in, line); // header
    while (std::getline(in, line)) {
        std::istringstream fields(line);
        std::string sl, local, remote, state, queues, timer, retr, uid, timeout;
        unsigned long inode = 0;
        if (!(fields >> sl >> local >> remote >> state >> queues >> timer >> retr >> uid >> timeout >> inode))
            continue;
        const auto lc = local.rfind(':'), rc = remote.rfind(':');
        if (lc == std::string::npos || rc == std::string::npos)
            continue;
        RawRow r;
        r.localPort = static_cast<uint16_t>(std::strtoul(local.c_str() + lc + 1, nullptr, 16));
        r.remotePort = static_cast<uint16_t>(std::strtoul(remote.c_str() + rc + 1, nullptr, 16));
        r.state = mibState(static_cast<int>(std::strtol(state.c_str(), nullptr, 16)));
        r.inode = inode;
        rows.push_back(r);
    }
    return true;
}

// Socket inode -> the processes holding a descriptor of it.
std::multimap<unsigned long, uint32_t> socketOwners()
{
    std::multimap<unsigned long, uint32_t> owners;
    DIR* proc = opendir("/proc");
    if (!proc)
        return owners;
    while (dirent* p = readdir(proc)) {
        char* end = nullptr;
        const unsigned long pid = std::strtoul(p->d_name, &end, 10);
        if (!end || *end || pid == 0)
            continue;
        const std::string fdDir = std::string("/proc/") + p->d_name + "/fd";
        DIR* fds = opendir(fdDir.c_str());
        if (!fds)
            continue;
        while (dirent* f = readdir(fds)) {
            if (f->d_name[0] == '.')
                continue;
            char target[64];
            const ssize_t n = readlink((fdDir + "/" + f->d_name).c_str(), target, sizeof target - 1);
            if (n <= 0)
                continue;
            target[n] = '\0';
            if (std::strncmp(target, "socket:[", 8) == 0)
                owners.emplace(std::strtoul(target + 8, nullptr, 10), static_cast<uint32_t>(pid));
        }
        closedir(fds);
    }
    closedir(proc);
    return owners;
}

} // namespace

std::optional<std::vector<TcpPortOwner>> tcpPortOwners(std::string* error)
{
    std::vector<TcpPortOwner> out;
    std::vector<RawRow> rows;
    const bool v4 = readTable("/proc/net/tcp", rows);
    const bool v6 = readTable("/proc/net/tcp6", rows);
    if (!v4 && !v6) {
        if (error)
            *error = "cannot read /proc/net/tcp";
        return std::nullopt;
    }
    const auto owners = socketOwners();
    for (const RawRow& r : rows) {
        TcpPortOwner row;
        row.localPort = r.localPort;
        row.state = r.state;
        // Time-wait rows have no socket left (inode 0); like Windows they belong to pid 0.
        const auto range = owners.equal_range(r.inode);
        if (r.inode == 0 || range.first == range.second) {
            out.push_back(row);
            continue;
        }
        for (auto it = range.first; it != range.second; ++it) {
            row.pid = it->second;
            out.push_back(row);
        }
    }
    return out;
}

} // namespace platform
