// Plays a Steam or SteamVR process for the assistant's tests and demo, on Linux and on
// Windows (names there end in ".exe"). Its behaviour follows the name it was started under:
//   steam.sh / steam.exe -silent  start the "steam" copy (Windows: "steam.exe", or
//                                 $OSTREL_FAKE_STEAM_CLIENT) in ubuntu12_32/ or beside it,
//                                 detached and without arguments, then end (like Steam's
//                                 launcher; on Windows the client is steam.exe itself)
//   steam <steam://url>           record the URL and end (hand-over to the running client;
//                                 on Windows the steam:// protocol handler of the registry);
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
// FOLDER/bin/linux64/driver_N (Windows: FOLDER\bin\win64\driver_N.exe) as its child (a
// stand-in for the driver library it would load), logs "vrserver loads driver FOLDER", and
// ends the drivers when it ends itself. The user's home folder is HOME (Windows: USERPROFILE).
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
#include "platform/socket_compat.h"

#ifdef _WIN32
#include <windows.h>
#else
#include <dirent.h>
#include <signal.h>
#include <sys/prctl.h>
#include <sys/stat.h>
#include <sys/types.h>
#include <sys/wait.h>
#include <unistd.h>
#endif

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

// What differs between the systems: the program's own path, files by UTF-8 name, the
// environment, folder listings and child processes.
#ifdef _WIN32
const char* const kDriverBin = "/bin/win64/driver_";
const char* const kExe = ".exe";

std::wstring widen(const std::string& text)
{
    if (text.empty())
        return {};
    const int n = MultiByteToWideChar(CP_UTF8, 0, text.data(), int(text.size()), nullptr, 0);
    std::wstring out(size_t(n), L'\0');
    MultiByteToWideChar(CP_UTF8, 0, text.data(), int(text.size()), &out[0], n);
    return out;
}

std::string narrow(const std::wstring& text)
{
    if (text.empty())
        return {};
    const int n = WideCharToMultiByte(CP_UTF8, 0, text.data(), int(text.size()), nullptr, 0, nullptr, nullptr);
    std::string out(size_t(n), '\0');
    WideCharToMultiByte(CP_UTF8, 0, text.data(), int(text.size()), &out[0], n, nullptr, nullptr);
    return out;
}

std::string selfPath(const char*)
{
    wchar_t buf[32768];
    const DWORD n = GetModuleFileNameW(nullptr, buf, 32768);
    std::string path = narrow(std::wstring(buf, n));
    for (char& c : path)
        c = c == '\\' ? '/' : c;
    return path;
}

std::string env(const char* name)
{
    const wchar_t* value = _wgetenv(widen(name).c_str());
    return value ? narrow(value) : std::string();
}

bool exists(const std::string& path)
{
    return GetFileAttributesW(widen(path).c_str()) != INVALID_FILE_ATTRIBUTES;
}

bool runnable(const std::string& path)
{
    return exists(path);
}

FILE* openFile(const std::string& path, const char* mode)
{
    return _wfopen(widen(path).c_str(), widen(mode).c_str());
}

void removeFile(const std::string& path)
{
    DeleteFileW(widen(path).c_str());
}

std::vector<std::string> folderEntries(const std::string& dir)
{
    std::vector<std::string> names;
    WIN32_FIND_DATAW found;
    const HANDLE find = FindFirstFileW(widen(dir + "/*").c_str(), &found);
    if (find == INVALID_HANDLE_VALUE)
        return names;
    do
        names.push_back(narrow(found.cFileName));
    while (FindNextFileW(find, &found));
    FindClose(find);
    return names;
}

std::wstring quoted(const std::string& arg)
{
    return L"\"" + widen(arg) + L"\"";
}

// Started without a console of its own and not waited for, as Steam starts its programs.
int startDetached(const std::string& program, const char* = nullptr, const char* arg = nullptr,
                  const char* argValue = nullptr)
{
    std::wstring line = quoted(program);
    if (arg)
        line += L" " + quoted(arg) + L" " + quoted(argValue ? argValue : "");
    STARTUPINFOW si{};
    si.cb = sizeof si;
    PROCESS_INFORMATION pi{};
    if (!CreateProcessW(nullptr, &line[0], nullptr, nullptr, FALSE, DETACHED_PROCESS | CREATE_NEW_PROCESS_GROUP,
                        nullptr, nullptr, &si, &pi))
        return 1;
    CloseHandle(pi.hThread);
    CloseHandle(pi.hProcess);
    return 0;
}

// The drivers run in a job that ends them when this process ends, however it ends.
using Child = HANDLE;

Child startChild(const std::string& program, const std::string&)
{
    static HANDLE job = [] {
        HANDLE j = CreateJobObjectW(nullptr, nullptr);
        JOBOBJECT_EXTENDED_LIMIT_INFORMATION limits{};
        limits.BasicLimitInformation.LimitFlags = JOB_OBJECT_LIMIT_KILL_ON_JOB_CLOSE;
        SetInformationJobObject(j, JobObjectExtendedLimitInformation, &limits, sizeof limits);
        return j;
    }();
    std::wstring line = quoted(program);
    STARTUPINFOW si{};
    si.cb = sizeof si;
    PROCESS_INFORMATION pi{};
    // No console window: SteamVR's drivers run inside its server, unseen.
    if (!CreateProcessW(nullptr, &line[0], nullptr, nullptr, FALSE, CREATE_SUSPENDED | CREATE_NO_WINDOW, nullptr,
                        nullptr, &si, &pi))
        return nullptr;
    AssignProcessToJobObject(job, pi.hProcess);
    ResumeThread(pi.hThread);
    CloseHandle(pi.hThread);
    return pi.hProcess;
}

void endChildren(const std::vector<Child>& children)
{
    for (Child child : children) {
        TerminateProcess(child, 0);
        WaitForSingleObject(child, 3000);
        CloseHandle(child);
    }
}

std::string homeFolder()
{
    return env("USERPROFILE");
}

void ignoreTermination() {}
#else
const char* const kDriverBin = "/bin/linux64/driver_";
const char* const kExe = "";

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

std::string env(const char* name)
{
    const char* value = std::getenv(name);
    return value ? value : std::string();
}

bool exists(const std::string& path)
{
    struct stat st;
    return stat(path.c_str(), &st) == 0;
}

bool runnable(const std::string& path)
{
    return access(path.c_str(), X_OK) == 0;
}

FILE* openFile(const std::string& path, const char* mode)
{
    return std::fopen(path.c_str(), mode);
}

void removeFile(const std::string& path)
{
    std::remove(path.c_str());
}

std::vector<std::string> folderEntries(const std::string& dir)
{
    std::vector<std::string> names;
    DIR* d = opendir(dir.c_str());
    if (!d)
        return names;
    while (dirent* e = readdir(d))
        names.push_back(e->d_name);
    closedir(d);
    return names;
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

// A child that gets SIGTERM when this process ends.
using Child = pid_t;

Child startChild(const std::string& program, const std::string& shown)
{
    const pid_t self = getpid();
    const pid_t pid = fork();
    if (pid == 0) {
        prctl(PR_SET_PDEATHSIG, SIGTERM);
        if (getppid() != self)
            _exit(0);
        execl(program.c_str(), shown.c_str(), static_cast<char*>(nullptr));
        _exit(127);
    }
    return pid > 0 ? pid : 0;
}

void endChildren(const std::vector<Child>& children)
{
    for (pid_t pid : children)
        kill(pid, SIGTERM);
    for (pid_t pid : children) {
        int status = 0;
        for (int i = 0; i < 150 && waitpid(pid, &status, WNOHANG) == 0; ++i)
            std::this_thread::sleep_for(std::chrono::milliseconds(20));
        if (waitpid(pid, &status, WNOHANG) == 0) {
            kill(pid, SIGKILL);
            waitpid(pid, &status, 0);
        }
    }
}

std::string homeFolder()
{
    return env("HOME");
}

void ignoreTermination()
{
    signal(SIGTERM, SIG_IGN);
}
#endif

std::string dirOf(const std::string& path)
{
    const auto slash = path.find_last_of('/');
    return slash == std::string::npos ? "." : path.substr(0, slash);
}

std::string baseOf(const std::string& path)
{
    return path.substr(path.find_last_of('/') + 1);
}

void appendToLog(const std::string& line)
{
    const std::string log = env("OSTREL_FAKE_STEAM_LOG");
    if (log.empty())
        return;
    // Binary: the lines end in "\n" on Windows too.
    if (FILE* f = openFile(log, "ab")) {
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
    removeFile(bin + "/shutdown.flag");
    std::vector<std::string> programs;
    for (const std::string& n : folderEntries(bin)) {
        if (n.rfind("vr", 0) == 0 && n.rfind("vrstartup", 0) != 0 && n.find(".flag") == std::string::npos)
            programs.push_back(n);
    }
    const std::string delay = env("OSTREL_FAKE_SIGNAL_AFTER_MS");
    for (const std::string& n : programs) {
        if (n.find("vrserver") != std::string::npos)
            startDetached(bin + "/" + n, n.c_str(), "--signal-after-ms", delay.empty() ? "300" : delay.c_str());
        else
            startDetached(bin + "/" + n, n.c_str());
    }
}

bool signalStreamerLoaded()
{
    const std::string block = env("OSTREL_SHARED_BLOCK");
    const std::string mutex = env("OSTREL_SHARED_MUTEX");
    platform::SharedBlock shm;
    if (!shm.open(block.empty() ? "OSTREL_VOZEMemory" : block, mutex.empty() ? "OSTREL_VOZEData_Mutex" : mutex, 8))
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
    std::string text;
    if (FILE* f = openFile(path, "rb")) {
        char buf[4096];
        size_t n;
        while ((n = std::fread(buf, 1, sizeof buf, f)) > 0)
            text.append(buf, n);
        std::fclose(f);
    }
    return text;
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
    std::vector<std::string> folders;
    const std::string text = readWhole(platform::openvrPathRegistryFile(homeFolder()));
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
std::vector<Child> loadDrivers()
{
    std::vector<Child> drivers;
    if (env("OSTREL_FAKE_STEAMVR_DRIVERS") != "1")
        return drivers;
    for (std::string folder : registeredDriverFolders()) {
        for (char& c : folder)
            c = c == '\\' ? '/' : c;
        const std::string manifest = readWhole(folder + "/driver.vrdrivermanifest");
        size_t at = valueOf(manifest, "name");
        std::string name;
        if (at == std::string::npos || !readJsonString(manifest, at, name) || name.empty())
            continue;
        const std::string program = folder + kDriverBin + name + kExe;
        if (!runnable(program)) {
            appendToLog("vrserver finds no driver program " + program);
            continue;
        }
        appendToLog("vrserver loads driver " + folder);
        if (const Child child = startChild(program, "driver_" + name))
            drivers.push_back(child);
    }
    return drivers;
}

} // namespace

int main(int argc, char** argv)
{
    const std::string self = selfPath(argv[0]);
    const std::string dir = dirOf(self);
    const std::string name = baseOf(self);
    record(name, argc, argv);

    // Steam's launcher. On Windows it is steam.exe itself, started with -silent: the copy it
    // starts without arguments stays as the client.
    const bool windowsSteam = name == "steam.exe" || name == "Steam.exe";
    if (name == "steam.sh" || (windowsSteam && flag(argc, argv, "-silent"))) {
        const std::string client = env("OSTREL_FAKE_STEAM_CLIENT");
        const std::string clientName = !client.empty() ? client : std::string("steam") + kExe;
        for (const std::string& candidate : {dir + "/ubuntu12_32/" + clientName, dir + "/" + clientName}) {
            if (exists(candidate))
                return startDetached(candidate);
        }
        std::fprintf(stderr, "fake steam launcher: no steam program beside %s\n", self.c_str());
        return 1;
    }
    if (argc > 1 && std::strncmp(argv[1], "steam://", 8) == 0) {
        const std::string vrBin = env("OSTREL_FAKE_STEAMVR_BIN");
        // Windows hands the URL over with a slash at its end.
        std::string url = argv[1];
        if (url.size() > 1 && url.back() == '/')
            url.pop_back();
        if (url == "steam://rungameid/250820" && !vrBin.empty())
            startSteamVr(vrBin);
        return 0;
    }
    if (name == "vrstartup" || name == "vrstartup.exe") {
        if (flag(argc, argv, "-shutdown")) {
            if (FILE* f = openFile(dir + "/shutdown.flag", "w"))
                std::fclose(f);
        }
        return 0;
    }

    platform::SocketHandle heldSocket = platform::kInvalidSocket;
    if (flag(argc, argv, "--listen") || option(argc, argv, "--connect", 0) > 0) {
        platform::socketStartup();
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
            platform::SocketLength len = sizeof local;
            getsockname(heldSocket, reinterpret_cast<sockaddr*>(&local), &len);
            std::printf("%u\n", ntohs(local.sin_port));
        } else {
            platform::SocketLength len = sizeof addr;
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

    const std::vector<Child> drivers = name.find("vrserver") != std::string::npos ? loadDrivers() : std::vector<Child>();

    const bool stubborn = flag(argc, argv, "--stubborn");
    if (stubborn)
        ignoreTermination();
    const std::string lifetimeText = env("OSTREL_FAKE_LIFETIME_MS");
    const long defaultLifetimeMs = !lifetimeText.empty() ? std::strtol(lifetimeText.c_str(), nullptr, 10) : 60000;
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
    endChildren(drivers);
    if (heldSocket != platform::kInvalidSocket)
        platform::closeSocket(heldSocket);
    return 0;
}
