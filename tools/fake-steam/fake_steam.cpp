// Plays a Steam or SteamVR process for the assistant's tests and demo. Its behaviour follows
// the name it was started under:
//   steam.sh / steam.exe -silent  start the "steam" copy (or $OSTREL_FAKE_STEAM_CLIENT) in
//                                 ubuntu12_32/ or beside it, detached, then end (like
//                                 Steam's launcher)
//   steam <steam://url>           record the URL and end (hand-over to the running client);
//                                 for steam://rungameid/250820 it first removes a
//                                 "shutdown.flag" left in $OSTREL_FAKE_STEAMVR_BIN by an
//                                 earlier stop and then starts, detached, every program
//                                 whose name begins with "vr" in that folder (except
//                                 vrstartup), as Steam starts SteamVR
//   vrstartup -shutdown           create "shutdown.flag" beside itself and end
//   anything else                 stay alive until its lifetime ends or a "shutdown.flag"
//                                 appears beside it (SteamVR's processes)
// A vrserver (any name holding "vrserver") with OSTREL_FAKE_STEAMVR_DRIVERS=1 loads the
// drivers SteamVR would load: for each folder in "external_drivers" of the user's
// openvrpaths.vrpath that holds a driver.vrdrivermanifest with the "name" N it runs
// FOLDER/bin/linux64/driver_N as its child (a stand-in for the driver library it would
// load), logs "vrserver loads driver FOLDER", and ends the drivers when it ends itself.
// Every start appends one line "name arg..." to $OSTREL_FAKE_STEAM_LOG when it is set.
// Options for the staying kind: --lifetime-ms N (default $OSTREL_FAKE_LIFETIME_MS, else
// 60000, so strays end by themselves), --linger-ms N (time to exit after the flag), --stubborn (ignore the flag
// and SIGTERM: a SteamVR that never exits), --listen (listen on a free loopback TCP port
// and print it, like adb's server), --connect PORT (hold a loopback connection to PORT),
// --signal-after-ms N (after N ms write 1 into the streamer's shared block, named by
// OSTREL_SHARED_BLOCK / OSTREL_SHARED_MUTEX or the product's names, as the streamer
// driver does once SteamVR's server has loaded it).
#include "platform/paths.h"
#include "platform/shared_block.h"

#include <dirent.h>
#include <arpa/inet.h>
#include <netinet/in.h>
#include <signal.h>
#include <sys/prctl.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/types.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <iterator>
#include <string>
#include <thread>
#include <vector>

namespace {

std::string selfPath(const char* argv0)
{
    char buf[4096];
    const ssize_t n = readlink("/proc/self/exe", buf, sizeof buf - 1);
    if (n > 0) {
        buf[n] = '\0';
        return buf;
    }
    return argv0;
}

std::string dirOf(const std::string& path)
{
    const auto slash = path.find_last_of('/');
    return slash == std::string::npos ? "." : path.substr(0, slash);
}

std::string baseOf(const std::string& path)
{
    return path.substr(path.find_last_of('/') + 1);
}

bool exists(const std::string& path)
{
    struct stat st;
    return stat(path.c_str(), &st) == 0;
}

void appendToLog(const std::string& line)
{
    const char* log = std::getenv("OSTREL_FAKE_STEAM_LOG");
    if (!log || !*log)
        return;
    if (FILE* f = std::fopen(log, "a")) {
        std::fputs((line + "\n").c_str(), f);
        std::fclose(f);
    }
}

void record(const std::string& name, int argc, char** argv)
{
    std::string line = name;
    for (int i = 1; i < argc; ++i)
        line += std::string(" ") + argv[i];
    appendToLog(line);
}

int startDetached(const std::string& program, const char* name = "steam", const char* arg = nullptr,
                  const char* argValue = nullptr)
{
    const pid_t pid = fork();
    if (pid < 0)
        return 1;
    if (pid == 0) {
        setsid();
        if (fork() != 0)
            _exit(0);
        execl(program.c_str(), name, arg, argValue, static_cast<char*>(nullptr));
        _exit(127);
    }
    int status = 0;
    waitpid(pid, &status, 0);
    return 0;
}

long option(int argc, char** argv, const char* name, long fallback)
{
    for (int i = 1; i + 1 < argc; ++i)
        if (std::strcmp(argv[i], name) == 0)
            return std::strtol(argv[i + 1], nullptr, 10);
    return fallback;
}

bool flag(int argc, char** argv, const char* name)
{
    for (int i = 1; i < argc; ++i)
        if (std::strcmp(argv[i], name) == 0)
            return true;
    return false;
}

void startSteamVr(const std::string& bin)
{
    // A new start forgets the shutdown request that ended the previous SteamVR.
    std::remove((bin + "/shutdown.flag").c_str());
    DIR* dir = opendir(bin.c_str());
    if (!dir)
        return;
    std::vector<std::string> programs;
    while (dirent* e = readdir(dir)) {
        const std::string n = e->d_name;
        if (n.rfind("vr", 0) == 0 && n.rfind("vrstartup", 0) != 0)
            programs.push_back(n);
    }
    closedir(dir);
    const char* delay = std::getenv("OSTREL_FAKE_SIGNAL_AFTER_MS");
    for (const std::string& n : programs) {
        if (n.find("vrserver") != std::string::npos)
            startDetached(bin + "/" + n, n.c_str(), "--signal-after-ms", delay && *delay ? delay : "300");
        else
            startDetached(bin + "/" + n, n.c_str());
    }
}

bool signalStreamerLoaded()
{
    const char* block = std::getenv("OSTREL_SHARED_BLOCK");
    const char* mutex = std::getenv("OSTREL_SHARED_MUTEX");
    platform::SharedBlock shm;
    if (!shm.open(block && *block ? block : "OSTREL_VOZEMemory", mutex && *mutex ? mutex : "OSTREL_VOZEData_Mutex", 8))
        return false;
    if (!shm.lock())
        return false;
    const unsigned char one[5] = {1, 0, 0, 0, 1}; // value 1 (little-endian), flag 1
    std::memcpy(shm.data(), one, sizeof one);
    shm.unlock();
    return true;
}

std::string readWhole(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

size_t skipBlanks(const std::string& text, size_t at)
{
    while (at < text.size() && std::strchr(" \t\r\n", text[at]))
        ++at;
    return at;
}

// Reads the JSON string that starts at text[at] (a double quote); `at` ends after it.
bool readJsonString(const std::string& text, size_t& at, std::string& out)
{
    if (at >= text.size() || text[at] != '"')
        return false;
    out.clear();
    for (++at; at < text.size(); ++at) {
        char c = text[at];
        if (c == '"') {
            ++at;
            return true;
        }
        if (c == '\\' && at + 1 < text.size()) {
            c = text[++at];
            c = c == 'n' ? '\n' : c == 't' ? '\t' : c; // \" \\ \/ stand for themselves
        }
        out += c;
    }
    return false;
}

// The position just after `"key":` at the top of a small JSON document; npos when absent.
size_t valueOf(const std::string& text, const std::string& key)
{
    const size_t found = text.find("\"" + key + "\"");
    if (found == std::string::npos)
        return found;
    const size_t colon = skipBlanks(text, found + key.size() + 2);
    if (colon >= text.size() || text[colon] != ':')
        return std::string::npos;
    return skipBlanks(text, colon + 1);
}

// The folders in "external_drivers" of the user's OpenVR path registry.
std::vector<std::string> registeredDriverFolders()
{
    const char* home = std::getenv("HOME");
    std::vector<std::string> folders;
    const std::string text = readWhole(platform::openvrPathRegistryFile(home ? home : ""));
    size_t at = valueOf(text, "external_drivers");
    if (at == std::string::npos || text[at] != '[')
        return folders;
    for (at = skipBlanks(text, at + 1); at < text.size() && text[at] != ']'; at = skipBlanks(text, at)) {
        std::string folder;
        if (!readJsonString(text, at, folder))
            break;
        folders.push_back(folder);
        at = skipBlanks(text, at);
        if (at < text.size() && text[at] == ',')
            ++at;
    }
    return folders;
}

// Starts the drivers registered for this SteamVR start as children that end with this
// process.
std::vector<pid_t> loadDrivers()
{
    std::vector<pid_t> drivers;
    const char* enabled = std::getenv("OSTREL_FAKE_STEAMVR_DRIVERS");
    if (!enabled || std::strcmp(enabled, "1") != 0)
        return drivers;
    const pid_t self = getpid();
    for (const std::string& folder : registeredDriverFolders()) {
        const std::string manifest = readWhole(folder + "/driver.vrdrivermanifest");
        size_t at = valueOf(manifest, "name");
        std::string name;
        if (at == std::string::npos || !readJsonString(manifest, at, name) || name.empty())
            continue;
        const std::string program = folder + "/bin/linux64/driver_" + name;
        if (access(program.c_str(), X_OK) != 0) {
            appendToLog("vrserver finds no driver program " + program);
            continue;
        }
        appendToLog("vrserver loads driver " + folder);
        const pid_t pid = fork();
        if (pid == 0) {
            prctl(PR_SET_PDEATHSIG, SIGTERM);
            if (getppid() != self)
                _exit(0);
            const std::string shown = "driver_" + name;
            execl(program.c_str(), shown.c_str(), static_cast<char*>(nullptr));
            _exit(127);
        }
        if (pid > 0)
            drivers.push_back(pid);
    }
    return drivers;
}

void unloadDrivers(const std::vector<pid_t>& drivers)
{
    for (pid_t pid : drivers)
        kill(pid, SIGTERM);
    for (pid_t pid : drivers) {
        int status = 0;
        for (int i = 0; i < 150 && waitpid(pid, &status, WNOHANG) == 0; ++i)
            std::this_thread::sleep_for(std::chrono::milliseconds(20));
        if (waitpid(pid, &status, WNOHANG) == 0) {
            kill(pid, SIGKILL);
            waitpid(pid, &status, 0);
        }
    }
}

} // namespace

int main(int argc, char** argv)
{
    const std::string self = selfPath(argv[0]);
    const std::string dir = dirOf(self);
    const std::string name = baseOf(self);
    record(name, argc, argv);

    if (name == "steam.sh" || name == "steam.exe" || name == "Steam.exe") {
        const char* client = std::getenv("OSTREL_FAKE_STEAM_CLIENT");
        const std::string clientName = client && *client ? client : "steam";
        for (const std::string& candidate : {dir + "/ubuntu12_32/" + clientName, dir + "/" + clientName}) {
            if (exists(candidate))
                return startDetached(candidate);
        }
        std::fprintf(stderr, "fake steam launcher: no steam program beside %s\n", self.c_str());
        return 1;
    }
    if (argc > 1 && std::strncmp(argv[1], "steam://", 8) == 0) {
        const char* vrBin = std::getenv("OSTREL_FAKE_STEAMVR_BIN");
        if (std::strcmp(argv[1], "steam://rungameid/250820") == 0 && vrBin && *vrBin)
            startSteamVr(vrBin);
        return 0;
    }
    if (name == "vrstartup" || name == "vrstartup.exe") {
        if (flag(argc, argv, "-shutdown")) {
            if (FILE* f = std::fopen((dir + "/shutdown.flag").c_str(), "w"))
                std::fclose(f);
        }
        return 0;
    }

    int heldSocket = -1;
    if (flag(argc, argv, "--listen") || option(argc, argv, "--connect", 0) > 0) {
        heldSocket = socket(AF_INET, SOCK_STREAM, 0);
        sockaddr_in addr{};
        addr.sin_family = AF_INET;
        addr.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        const long port = option(argc, argv, "--connect", 0);
        if (port > 0) {
            addr.sin_port = htons(static_cast<uint16_t>(port));
            if (connect(heldSocket, reinterpret_cast<sockaddr*>(&addr), sizeof addr) != 0)
                return 2;
            sockaddr_in local{};
            socklen_t len = sizeof local;
            getsockname(heldSocket, reinterpret_cast<sockaddr*>(&local), &len);
            std::printf("%u\n", ntohs(local.sin_port));
        } else {
            socklen_t len = sizeof addr;
            if (bind(heldSocket, reinterpret_cast<sockaddr*>(&addr), sizeof addr) != 0 || listen(heldSocket, 4) != 0)
                return 2;
            getsockname(heldSocket, reinterpret_cast<sockaddr*>(&addr), &len);
            std::printf("%u\n", ntohs(addr.sin_port));
        }
        std::fflush(stdout);
    }

    const long signalAfterMs = option(argc, argv, "--signal-after-ms", -1);
    if (signalAfterMs >= 0) {
        std::this_thread::sleep_for(std::chrono::milliseconds(signalAfterMs));
        if (!signalStreamerLoaded())
            std::fprintf(stderr, "fake vrserver: shared block could not be opened\n");
    }

    const std::vector<pid_t> drivers = name.find("vrserver") != std::string::npos ? loadDrivers() : std::vector<pid_t>();

    const bool stubborn = flag(argc, argv, "--stubborn");
    if (stubborn)
        signal(SIGTERM, SIG_IGN);
    const char* lifetimeText = std::getenv("OSTREL_FAKE_LIFETIME_MS");
    const long defaultLifetimeMs = lifetimeText && *lifetimeText ? std::strtol(lifetimeText, nullptr, 10) : 60000;
    const long lifetimeMs = option(argc, argv, "--lifetime-ms", defaultLifetimeMs);
    const long lingerMs = option(argc, argv, "--linger-ms", 0);
    const auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(lifetimeMs);
    const std::string shutdownFlag = dir + "/shutdown.flag";
    while (std::chrono::steady_clock::now() < end) {
        if (!stubborn && exists(shutdownFlag)) {
            std::this_thread::sleep_for(std::chrono::milliseconds(lingerMs));
            break;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    unloadDrivers(drivers);
    if (heldSocket >= 0)
        close(heldSocket);
    return 0;
}
