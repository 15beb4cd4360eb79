// Plays a Steam or SteamVR process for the assistant's tests and demo. Its behaviour follows
// the name it was started under:
//   steam.sh / steam.exe -silent  start the "steam" copy (or $OSTREL_FAKE_STEAM_CLIENT) in
//                                 ubuntu12_32/ or beside it, detached, then end (like
//                                 Steam's launcher)
//   steam <steam://url>           record the URL and end (hand-over to the running client);
//                                 for steam://rungameid/250820 it first starts, detached,
//                                 every program whose name begins with "vr" in the folder
//                                 $OSTREL_FAKE_STEAMVR_BIN (except vrstartup), as Steam
//                                 starts SteamVR
//   vrstartup -shutdown           create "shutdown.flag" beside itself and end
//   anything else                 stay alive until its lifetime ends or a "shutdown.flag"
//                                 appears beside it (SteamVR's processes)
// Every start appends one line "name arg..." to $OSTREL_FAKE_STEAM_LOG when it is set.
// Options for the staying kind: --lifetime-ms N (default 60000, so strays end by
// themselves), --linger-ms N (time to exit after the flag), --stubborn (ignore the flag
// and SIGTERM: a SteamVR that never exits), --listen (listen on a free loopback TCP port
// and print it, like adb's server), --connect PORT (hold a loopback connection to PORT),
// --signal-after-ms N (after N ms write 1 into the streamer's shared block, named by
// OSTREL_SHARED_BLOCK / OSTREL_SHARED_MUTEX or the product's names, as the streamer
// driver does once SteamVR's server has loaded it).
#include "platform/shared_block.h"

#include <dirent.h>
#include <arpa/inet.h>
#include <netinet/in.h>
#include <signal.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/types.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
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

void record(const std::string& name, int argc, char** argv)
{
    const char* log = std::getenv("OSTREL_FAKE_STEAM_LOG");
    if (!log || !*log)
        return;
    std::string line = name;
    for (int i = 1; i < argc; ++i)
        line += std::string(" ") + argv[i];
    line += "\n";
    if (FILE* f = std::fopen(log, "a")) {
        std::fputs(line.c_str(), f);
        std::fclose(f);
    }
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

    const bool stubborn = flag(argc, argv, "--stubborn");
    if (stubborn)
        signal(SIGTERM, SIG_IGN);
    const long lifetimeMs = option(argc, argv, "--lifetime-ms", 60000);
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
    if (heldSocket >= 0)
        close(heldSocket);
    return 0;
}
