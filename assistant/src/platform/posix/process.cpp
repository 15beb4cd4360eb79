#include "platform/process.h"

#include <dirent.h>
#include <signal.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <fstream>

namespace platform {
namespace {

bool isPid(const char* s)
{
    if (!*s)
        return false;
    for (; *s; ++s)
        if (*s < '0' || *s > '9')
            return false;
    return true;
}

std::string readExeLink(std::uint32_t pid)
{
    const std::string link = "/proc/" + std::to_string(pid) + "/exe";
    std::string buf(4096, '\0');
    const ssize_t n = readlink(link.c_str(), &buf[0], buf.size());
    if (n <= 0)
        return {};
    buf.resize(static_cast<size_t>(n));
    // A replaced or removed executable keeps running under its old name.
    static const std::string deleted = " (deleted)";
    if (buf.size() > deleted.size() && buf.compare(buf.size() - deleted.size(), deleted.size(), deleted) == 0)
        buf.resize(buf.size() - deleted.size());
    return buf;
}

std::string processName(std::uint32_t pid)
{
    const std::string exe = readExeLink(pid);
    if (!exe.empty())
        return exe.substr(exe.find_last_of('/') + 1);
    // Kernel threads and processes we may not inspect: the (15-character) command name.
    std::ifstream comm("/proc/" + std::to_string(pid) + "/comm");
    std::string name;
    std::getline(comm, name);
    return name;
}

// A zombie has ended; only its exit status is left for a parent that may never collect it.
bool hasEnded(std::uint32_t pid)
{
    std::ifstream stat("/proc/" + std::to_string(pid) + "/stat");
    std::string line;
    if (!std::getline(stat, line))
        return true;
    const auto paren = line.rfind(')');
    if (paren == std::string::npos || paren + 2 >= line.size())
        return true;
    const char state = line[paren + 2];
    return state == 'Z' || state == 'X';
}

} // namespace

std::vector<ProcessEntry> listProcesses()
{
    std::vector<ProcessEntry> out;
    DIR* dir = opendir("/proc");
    if (!dir)
        return out;
    while (dirent* e = readdir(dir)) {
        if (!isPid(e->d_name))
            continue;
        ProcessEntry info;
        info.pid = static_cast<std::uint32_t>(std::strtoul(e->d_name, nullptr, 10));
        if (hasEnded(info.pid))
            continue;
        info.name = processName(info.pid);
        if (!info.name.empty()) // the process ended while we looked
            out.push_back(std::move(info));
    }
    closedir(dir);
    return out;
}

std::string processExecutablePath(std::uint32_t pid)
{
    if (pid == 0)
        return {};
    return readExeLink(pid);
}

bool terminateProcess(std::uint32_t pid)
{
    if (pid == 0 || pid == static_cast<std::uint32_t>(getpid()))
        return false;
    return kill(static_cast<pid_t>(pid), SIGKILL) == 0;
}

std::uint32_t currentProcessId()
{
    return static_cast<std::uint32_t>(getpid());
}

} // namespace platform
