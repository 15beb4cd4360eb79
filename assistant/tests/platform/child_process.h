// Test support: starts this test program again as a child in one of the roles
// of child_roles.cpp, so platform facilities are exercised across two real
// processes. The only place of the tests that knows the operating system.
#pragma once

#include <chrono>
#include <filesystem>
#include <string>
#include <vector>

namespace testsupport {

class ChildProcess {
public:
    ChildProcess() = default;
    ~ChildProcess();
    ChildProcess(const ChildProcess &) = delete;
    ChildProcess &operator=(const ChildProcess &) = delete;

    // Starts this program with "--child" followed by args.
    bool start(const std::vector<std::string> &args);
    // Ends the child at once, as a crash would.
    void kill();
    // Waits for the child to end; false on time-out. exitCode() is valid after true.
    bool wait(std::chrono::milliseconds timeout);
    int exitCode() const { return m_exitCode; }

private:
    void *m_handle = nullptr;   // Win32 process handle
    long m_pid = -1;            // POSIX process id
    int m_exitCode = -1;
};

// This process's id, to make object names unique between parallel runs.
long currentProcessId();
// A fresh empty folder below the system temp folder, removed by its destructor.
class TempFolder {
public:
    TempFolder();
    ~TempFolder();
    const std::filesystem::path &path() const { return m_path; }
    // `name` is UTF-8.
    std::filesystem::path file(const std::string &name) const { return m_path / std::filesystem::u8path(name); }

private:
    std::filesystem::path m_path;
};

// Waits until `file` exists and returns its contents, or "" after `timeout`.
std::string waitForFile(const std::filesystem::path &file, std::chrono::milliseconds timeout);
// Writes `text` to `file` through a temporary name, so readers see all or nothing.
void writeFileAtomically(const std::filesystem::path &file, const std::string &text);
// Writes `text` to `file`, making its folder first.
void writeText(const std::filesystem::path &file, const std::string &text);
// The bytes of `file`; "" when it cannot be read.
std::string readText(const std::filesystem::path &file);
// A name unique to this process and call, e.g. "ostrel_test_block_4711_3".
std::string uniqueName(const std::string &stem);

// Sets an environment variable for one test and puts the old value back.
class ScopedEnv {
public:
    ScopedEnv(const char *name, const std::string &value);
    ~ScopedEnv();
    ScopedEnv(const ScopedEnv &) = delete;
    ScopedEnv &operator=(const ScopedEnv &) = delete;

private:
    void set(const std::string &value);
    const char *m_name;
    bool m_had = false;
    std::string m_old;
};

// UTF-8 text as a console program writes it into a pipe. Win32: in the output
// code page of its console, or the OEM code page when it has none (936 on a
// Chinese system); characters that code page lacks become "?". Elsewhere unchanged.
std::string inConsoleCodePage(const std::string &utf8);

// Role entry point used by main(); returns the child's exit code.
int runChildRole(const std::vector<std::string> &args);

} // namespace testsupport
