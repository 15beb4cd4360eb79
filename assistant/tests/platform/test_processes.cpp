// Process table, ending processes, the command runner, TCP port owners and shell
// execution, each exercised with real child processes.
#include "child_process.h"
#include "facility_roles.h"

#include "platform/command.h"
#include "platform/process.h"
#include "platform/shell.h"
#include "platform/tcp_ports.h"

#include <algorithm>
#include <filesystem>
#include <thread>

#include <gtest/gtest.h>

#ifdef _WIN32
#include <windows.h>
#endif

namespace fs = std::filesystem;
using namespace std::chrono_literals;

namespace {

#ifdef _WIN32
const std::string kExe = ".exe";
#else
const std::string kExe;
#endif

fs::path selfPath()
{
    return fs::u8path(platform::processExecutablePath(platform::currentProcessId()));
}

std::string quoted(const fs::path &p)
{
    return "\"" + p.u8string() + "\"";
}

std::vector<std::uint32_t> pidsNamed(const std::string &name)
{
    std::vector<std::uint32_t> pids;
    for (const auto &p : platform::listProcesses())
        if (p.name == name)
            pids.push_back(p.pid);
    return pids;
}

template <typename Pred>
bool waitUntil(Pred pred, std::chrono::milliseconds timeout = 10s)
{
    const auto end = std::chrono::steady_clock::now() + timeout;
    while (!pred()) {
        if (std::chrono::steady_clock::now() > end)
            return false;
        std::this_thread::sleep_for(20ms);
    }
    return true;
}

// A copy of this test program under `stem`, started detached in a role.
struct NamedChild {
    std::string name;
    fs::path path;
    std::uint32_t pid = 0;

    // `stem` is UTF-8.
    bool start(const fs::path &folder, const std::string &stem, const std::string &role)
    {
        name = testsupport::uniqueName(stem) + kExe;
        path = folder / fs::u8path(name);
        fs::copy_file(selfPath(), path);
        platform::ShellRequest request;
        request.file = path.u8string();
        request.parameters = "--child " + role;
        request.hidden = true;
        if (!platform::shellExecute(request).started)
            return false;
        return waitUntil([&] {
            const auto pids = pidsNamed(name);
            pid = pids.empty() ? 0 : pids.front();
            return pid != 0;
        });
    }
    ~NamedChild()
    {
        if (pid)
            platform::terminateProcess(pid);
        waitUntil([&] { return pidsNamed(name).empty(); }, 5s);
        std::error_code ec;
        fs::remove(path, ec);
    }
};

} // namespace

TEST(ProcessTable, ListsThisProgramUnderItsExecutableName)
{
    const auto self = platform::currentProcessId();
    const auto processes = platform::listProcesses();
    ASSERT_GT(processes.size(), 1u);
    const auto it = std::find_if(processes.begin(), processes.end(), [&](const auto &p) { return p.pid == self; });
    ASSERT_NE(it, processes.end());
    EXPECT_EQ(it->name, selfPath().filename().u8string());
    EXPECT_TRUE(selfPath().is_absolute());
}

TEST(ProcessTable, CopyUnderAWatchedNameIsSeenWithItsPathAndEnded)
{
    testsupport::TempFolder dir;
    NamedChild child;
    ASSERT_TRUE(child.start(dir.path(), "vrmonitor", "linger 20000"));
    EXPECT_EQ(pidsNamed(child.name).size(), 1u);
    const fs::path reported = fs::u8path(platform::processExecutablePath(child.pid));
    EXPECT_TRUE(fs::equivalent(reported, child.path)) << reported << " vs " << child.path;

    EXPECT_TRUE(platform::terminateProcess(child.pid));
    EXPECT_TRUE(waitUntil([&] { return pidsNamed(child.name).empty(); }));
    child.pid = 0;
}

TEST(ProcessTable, RefusesToEndNothingOrItself)
{
    EXPECT_FALSE(platform::terminateProcess(0));
    EXPECT_FALSE(platform::terminateProcess(platform::currentProcessId()));
    EXPECT_EQ(platform::processExecutablePath(0), "");
}

class CommandOutput : public ::testing::TestWithParam<std::size_t> {};

TEST_P(CommandOutput, IsReturnedWholeAndInOrder)
{
    const std::size_t n = GetParam();
    const auto r = platform::runCommand(quoted(selfPath()) + " --child print " + std::to_string(n));
    ASSERT_TRUE(r.started) << r.error;
    EXPECT_EQ(r.exitCode, 0);
    EXPECT_EQ(r.output.size(), n);
    EXPECT_EQ(r.output, testsupport::printPattern(n));
}

INSTANTIATE_TEST_SUITE_P(Sizes, CommandOutput, ::testing::Values(0, 1, 1023, 1024, 1025, 4096, 100000));

TEST(Command, CollectsStandardErrorInTheSamePipe)
{
    const auto r = platform::runCommand(quoted(selfPath()) + " --child print 3000 both");
    ASSERT_TRUE(r.started) << r.error;
    EXPECT_EQ(r.output, testsupport::printPattern(3000));
}

TEST(Command, MissingProgramIsReported)
{
    const auto r = platform::runCommand("ostrel-no-such-program-here --x");
#ifdef _WIN32
    EXPECT_FALSE(r.started);
    EXPECT_FALSE(r.pipeFailed);
    EXPECT_FALSE(r.error.empty());
#else
    // The shell starts and reports the missing program through its exit code.
    EXPECT_TRUE(r.started);
    EXPECT_EQ(r.exitCode, 127);
#endif
}

TEST(TcpPorts, ListeningAndConnectedSocketsBelongToTheirProcesses)
{
    testsupport::TempFolder dir;
    NamedChild server, client;
    ASSERT_TRUE(server.start(dir.path(), "adbsrv", "listen " + dir.file("port").u8string()));
    const std::string portText = testsupport::waitForFile(dir.file("port"), 10s);
    ASSERT_FALSE(portText.empty());
    const auto port = static_cast<std::uint16_t>(std::stoi(portText));
    ASSERT_TRUE(client.start(dir.path(), "adbcli", "connect " + portText + " " + dir.file("client").u8string()));
    const std::string clientText = testsupport::waitForFile(dir.file("client"), 10s);
    ASSERT_FALSE(clientText.empty());
    const auto clientPort = static_cast<std::uint16_t>(std::stoi(clientText));

    std::string error;
    const auto rows = platform::tcpPortOwners(&error);
    ASSERT_TRUE(rows.has_value()) << error;
    bool serverSeen = false, clientSeen = false, anyOwner = false;
    for (const auto &row : *rows) {
        anyOwner = anyOwner || row.pid != 0;
        if (row.localPort == port && row.pid == server.pid)
            serverSeen = true;
        if (row.localPort == clientPort && row.pid == client.pid)
            clientSeen = true;
    }
    if (!anyOwner)
        GTEST_SKIP() << "this system's TCP table names no owning processes (Wine's GetTcpTable2 is partial)";
    EXPECT_TRUE(serverSeen) << "listening port " << port;
    EXPECT_TRUE(clientSeen) << "connected port " << clientPort;
    const bool listenRow = std::any_of(rows->begin(), rows->end(), [&](const auto &r) {
        return r.localPort == port && r.state == 2;
    });
    EXPECT_TRUE(listenRow);
}

TEST(Shell, WaitsForTheProcessOrTimesOut)
{
    platform::ShellRequest quick;
    quick.file = selfPath().u8string();
    quick.parameters = "--child linger 50";
    quick.hidden = true;
    quick.waitMs = 10000;
    const auto done = platform::shellExecute(quick);
    ASSERT_TRUE(done.started);
    EXPECT_EQ(done.wait, platform::ShellResult::Wait::Finished);

    testsupport::TempFolder dir;
    const std::string name = testsupport::uniqueName("slowtool") + kExe;
    fs::copy_file(selfPath(), dir.file(name));
    platform::ShellRequest slow = quick;
    slow.file = dir.file(name).u8string();
    slow.parameters = "--child linger 20000";
    slow.waitMs = 200;
    const auto timedOut = platform::shellExecute(slow);
    ASSERT_TRUE(timedOut.started);
    EXPECT_EQ(timedOut.wait, platform::ShellResult::Wait::TimedOut);
    for (auto pid : pidsNamed(name))
        EXPECT_TRUE(platform::terminateProcess(pid));
    EXPECT_TRUE(waitUntil([&] { return pidsNamed(name).empty(); }));

    platform::ShellRequest missing = quick;
    missing.file = dir.file("no-such-tool" + kExe).u8string();
    EXPECT_FALSE(platform::shellExecute(missing).started);
}

// A user named 张伟 whose programs live below his Chinese folders. The child
// ends by itself: under Wine a console program that is killed sometimes
// leaves its console host behind, holding the test's output pipe open.
TEST(ChineseNames, ProgramInAChineseFolderIsSeenWithItsPath)
{
    testsupport::TempFolder dir;
    const fs::path folder = dir.file(u8"张伟 的程序𠮷");
    fs::create_directories(folder);
    NamedChild child;
    ASSERT_TRUE(child.start(folder, u8"串流助手", "linger 3000"));
    EXPECT_EQ(pidsNamed(child.name).size(), 1u) << "listed under its Chinese name";
    // A process is listed a moment before its executable module can be read.
    std::string reported;
    EXPECT_TRUE(waitUntil([&] { return !(reported = platform::processExecutablePath(child.pid)).empty(); }));
    EXPECT_EQ(fs::u8path(reported).filename().u8string(), child.name);
    EXPECT_TRUE(fs::equivalent(fs::u8path(reported), child.path)) << reported;
    EXPECT_TRUE(waitUntil([&] { return pidsNamed(child.name).empty(); }));
    child.pid = 0;
}

TEST(ChineseNames, CommandLineNamesAProgramInAChineseFolder)
{
    testsupport::TempFolder dir;
    const fs::path program = dir.file(u8"游戏") / fs::u8path(u8"工具" + kExe);
    fs::create_directories(program.parent_path());
    fs::copy_file(selfPath(), program);
    const auto r = platform::runCommand(quoted(program) + " --child print 25");
    ASSERT_TRUE(r.started) << r.error;
    EXPECT_EQ(r.output, testsupport::printPattern(25));
}

// What a console program prints comes back as UTF-8, as netsh's answer naming
// a SteamVR folder below D:\游戏 must.
TEST(ChineseNames, ConsoleProgramOutputComesBackAsUtf8)
{
    testsupport::TempFolder dir;
#ifdef _WIN32
    // The console code page holds Chinese only on a Chinese system.
    const std::string text = GetOEMCP() == 936 ? u8"D:\\游戏\\SteamVR 张伟\r\n" : u8"D:\\Spiele\\Grüße\r\n";
#else
    const std::string text = u8"/home/张伟/游戏/SteamVR 𠮷\n";
#endif
    testsupport::writeFileAtomically(dir.file("text"), text);
    const auto r = platform::runCommand(quoted(selfPath()) + " --child console " + quoted(dir.file("text")));
    ASSERT_TRUE(r.started) << r.error;
    EXPECT_EQ(r.output, text);
}

#ifdef _WIN32
TEST(ChineseNames, CmdEchoOfChineseTextComesBackAsUtf8)
{
    if (GetOEMCP() != 936 || GetACP() != 936)
        GTEST_SKIP() << "needs the Chinese code page (the Windows leg's Chinese entry)";
    const std::string text = u8"D:\\游戏\\SteamVR 张伟";
    const auto r = platform::runCommand("cmd /c echo " + text);
    ASSERT_TRUE(r.started) << r.error;
    EXPECT_EQ(r.output, text + "\r\n");
}
#endif
