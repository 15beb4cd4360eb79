#include "child_process.h"

#include <atomic>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <thread>

#ifdef _WIN32
#include <windows.h>
#else
#include <csignal>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>
extern char **environ;
#endif

namespace testsupport {

namespace {

std::string selfPath()
{
#ifdef _WIN32
    wchar_t buffer[MAX_PATH * 4];
    const DWORD n = GetModuleFileNameW(nullptr, buffer, MAX_PATH * 4);
    return std::filesystem::path(std::wstring(buffer, n)).u8string();
#else
    return std::filesystem::read_symlink("/proc/self/exe").string();
#endif
}

} // namespace

ChildProcess::~ChildProcess()
{
    if (m_pid > 0 || m_handle) {
        kill();
        wait(std::chrono::seconds(10));
    }
}

bool ChildProcess::start(const std::vector<std::string> &args)
{
    const std::string exe = selfPath();
#ifdef _WIN32
    std::wstring commandLine = L"\"" + std::filesystem::u8path(exe).wstring() + L"\" --child";
    for (const std::string &arg : args)
        commandLine += L" \"" + std::filesystem::u8path(arg).wstring() + L"\"";
    STARTUPINFOW si {};
    si.cb = sizeof si;
    PROCESS_INFORMATION pi {};
    if (!CreateProcessW(nullptr, &commandLine[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si, &pi))
        return false;
    CloseHandle(pi.hThread);
    m_handle = pi.hProcess;
    m_pid = static_cast<long>(pi.dwProcessId);
    return true;
#else
    std::vector<std::string> all { exe, "--child" };
    all.insert(all.end(), args.begin(), args.end());
    std::vector<char *> argv;
    for (std::string &arg : all)
        argv.push_back(&arg[0]);
    argv.push_back(nullptr);
    pid_t pid = 0;
    if (posix_spawn(&pid, exe.c_str(), nullptr, nullptr, argv.data(), environ) != 0)
        return false;
    m_pid = pid;
    return true;
#endif
}

void ChildProcess::kill()
{
#ifdef _WIN32
    if (m_handle)
        TerminateProcess(m_handle, 9);
#else
    if (m_pid > 0)
        ::kill(static_cast<pid_t>(m_pid), SIGKILL);
#endif
}

bool ChildProcess::wait(std::chrono::milliseconds timeout)
{
#ifdef _WIN32
    if (!m_handle)
        return true;
    if (WaitForSingleObject(m_handle, static_cast<DWORD>(timeout.count())) != WAIT_OBJECT_0)
        return false;
    DWORD code = 0;
    GetExitCodeProcess(m_handle, &code);
    m_exitCode = static_cast<int>(code);
    CloseHandle(m_handle);
    m_handle = nullptr;
    m_pid = -1;
    return true;
#else
    if (m_pid <= 0)
        return true;
    const auto deadline = std::chrono::steady_clock::now() + timeout;
    for (;;) {
        int status = 0;
        const pid_t rc = waitpid(static_cast<pid_t>(m_pid), &status, WNOHANG);
        if (rc == m_pid) {
            m_exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
            m_pid = -1;
            return true;
        }
        if (rc < 0) {
            m_pid = -1;
            return true;
        }
        if (std::chrono::steady_clock::now() > deadline)
            return false;
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
#endif
}

ScopedEnv::ScopedEnv(const char *name, const std::string &value) : m_name(name)
{
    if (const char *old = std::getenv(name)) {
        m_had = true;
        m_old = old;
    }
    set(value);
}

ScopedEnv::~ScopedEnv()
{
    set(m_had ? m_old : std::string());
}

void ScopedEnv::set(const std::string &value)
{
#ifdef _WIN32
    _putenv_s(m_name, value.c_str());
#else
    setenv(m_name, value.c_str(), 1);
#endif
}

std::string inConsoleCodePage(const std::string &utf8)
{
#ifdef _WIN32
    const std::wstring wide = std::filesystem::u8path(utf8).wstring();
    const UINT console = GetConsoleOutputCP();
    const UINT codePage = console ? console : GetOEMCP();
    const int n = WideCharToMultiByte(codePage, 0, wide.data(), static_cast<int>(wide.size()), nullptr, 0, nullptr,
                                      nullptr);
    std::string out(static_cast<std::size_t>(n > 0 ? n : 0), '\0');
    if (n > 0)
        WideCharToMultiByte(codePage, 0, wide.data(), static_cast<int>(wide.size()), &out[0], n, nullptr, nullptr);
    return out;
#else
    return utf8;
#endif
}

long currentProcessId()
{
#ifdef _WIN32
    return static_cast<long>(GetCurrentProcessId());
#else
    return static_cast<long>(getpid());
#endif
}

TempFolder::TempFolder()
{
    static std::atomic<int> counter { 0 };
    m_path = std::filesystem::temp_directory_path()
        / ("ostrel_platform_test_" + std::to_string(currentProcessId()) + "_" + std::to_string(counter++));
    std::filesystem::remove_all(m_path);
    std::filesystem::create_directories(m_path);
}

TempFolder::~TempFolder()
{
    std::error_code ignored;
    std::filesystem::remove_all(m_path, ignored);
}

std::string waitForFile(const std::filesystem::path &file, std::chrono::milliseconds timeout)
{
    const auto deadline = std::chrono::steady_clock::now() + timeout;
    while (std::chrono::steady_clock::now() < deadline) {
        std::ifstream in(file, std::ios::binary);
        if (in) {
            std::stringstream text;
            text << in.rdbuf();
            return text.str();
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    return {};
}

void writeFileAtomically(const std::filesystem::path &file, const std::string &text)
{
    std::filesystem::path temp = file;
    temp += ".part";
    {
        std::ofstream out(temp, std::ios::binary | std::ios::trunc);
        out << text;
    }
    std::error_code ignored;
    std::filesystem::rename(temp, file, ignored);
}

void writeText(const std::filesystem::path &file, const std::string &text)
{
    std::filesystem::create_directories(file.parent_path());
    std::ofstream(file, std::ios::binary) << text;
}

std::string readText(const std::filesystem::path &file)
{
    std::ifstream in(file, std::ios::binary);
    std::stringstream text;
    text << in.rdbuf();
    return text.str();
}

std::string uniqueName(const std::string &stem)
{
    static std::atomic<int> counter { 0 };
    return "ostrel_test_" + stem + "_" + std::to_string(currentProcessId()) + "_" + std::to_string(counter++);
}

} // namespace testsupport
