// What the PC checks ask of the system: the bounded program runner (against the
// stand-ins for PowerShell, netsh and powercfg), where the system keeps those tools,
// short paths, file versions, the PC's network link, the network profiles and the
// power plan.
#include "child_process.h"

#include "platform/file_version.h"
#include "platform/firewall.h"
#include "platform/network_link.h"
#include "platform/network_profile.h"
#include "platform/power_plan.h"
#include "platform/program_run.h"
#include "platform/short_path.h"

#include <algorithm>
#include <chrono>
#include <filesystem>
#include <fstream>
#include <set>
#include <sstream>

#include <gtest/gtest.h>

#ifdef _WIN32
#include <windows.h>
#endif

namespace fs = std::filesystem;
using namespace testsupport;

namespace {

// The stand-in built under `tool`'s name, as this system spells its path.
std::string standIn(const std::string &tool)
{
    std::string dir = OSTREL_FAKE_TOOLS_BIN;
#ifdef _WIN32
    // The build tree is a Linux folder; Wine shows the Linux root as drive Z:.
    for (char &c : dir)
        if (c == '/')
            c = '\\';
    return "Z:" + dir + "\\" + tool + ".exe";
#else
    return dir + "/" + tool;
#endif
}

} // namespace

TEST(ProgramRun, ArgumentsArriveWholeAndEachAnswerComesBack)
{
    TempFolder tools;
    ScopedEnv env("OSTREL_FAKE_TOOLS_DIR", tools.path().u8string());
    writeText(tools.file("netsh.out"), "Ok.\n");
    writeText(tools.file("netsh.2.err"), "Access is denied.\n");
    writeText(tools.file("netsh.2.exit"), "1");
    const std::vector<std::string> args = {"advfirewall", "firewall", "add", "rule",
                                           "name=OSTREL Streaming Assistant (TCP 9943)",
                                           "program=C:\\Program Files\\串流\\vr server.exe",
                                           "description=say \"hi\"", "trailing\\", ""};

    const platform::ProgramResult first = platform::runProgram({standIn("netsh"), args}, 30000);
    ASSERT_TRUE(first.started) << first.error;
    EXPECT_FALSE(first.timedOut);
    EXPECT_EQ(first.exitCode, 0);
    EXPECT_EQ(first.output, "Ok.\n");
    const platform::ProgramResult second = platform::runProgram({standIn("netsh"), {"show"}}, 30000);
    EXPECT_EQ(second.exitCode, 1);
    EXPECT_NE(second.output.find("Access is denied."), std::string::npos) << second.output;

    EXPECT_EQ(readText(tools.file("calls.log")),
              "netsh advfirewall firewall add rule \"name=OSTREL Streaming Assistant (TCP 9943)\" "
              "\"program=C:\\Program Files\\串流\\vr server.exe\" \"description=say \\\"hi\\\"\" trailing\\ \"\"\n"
              "netsh show\n");
}

TEST(ProgramRun, AProgramPastItsTimeIsEndedAndOneThatIsMissingNeverStarts)
{
    TempFolder tools;
    ScopedEnv env("OSTREL_FAKE_TOOLS_DIR", tools.path().u8string());
    writeText(tools.file("powercfg.delay"), "60000");
    const auto start = std::chrono::steady_clock::now();
    const platform::ProgramResult late = platform::runProgram({standIn("powercfg"), {"/getactivescheme"}}, 500);
    const auto took = std::chrono::steady_clock::now() - start;
    EXPECT_TRUE(late.started);
    EXPECT_TRUE(late.timedOut);
    EXPECT_LT(took, std::chrono::seconds(20));

    const platform::ProgramResult missing =
        platform::runProgram({(tools.path() / "no-such-tool").u8string(), {"x"}}, 5000);
    EXPECT_FALSE(missing.started);
    EXPECT_FALSE(missing.error.empty());
}

TEST(SystemTools, FoundWhereTheSystemKeepsThemAndNotElsewhere)
{
#ifdef _WIN32
    // Wine has netsh and PowerShell (both stubs that report success) but no powercfg.
    const std::string netsh = platform::systemToolPath("netsh");
    EXPECT_NE(netsh.find("\\netsh.exe"), std::string::npos) << netsh;
    EXPECT_TRUE(fs::exists(fs::u8path(netsh)));
#else
    ScopedEnv path("PATH", std::string(OSTREL_FAKE_TOOLS_BIN) + ":/usr/bin:/bin");
    EXPECT_EQ(platform::systemToolPath("netsh"), standIn("netsh"));
#endif
    EXPECT_EQ(platform::systemToolPath("ostrel-no-such-tool"), "");
}

TEST(ShortPath, AChineseFolderHasAPlainShortFormThatOpensTheSameFolder)
{
    TempFolder temp;
    const fs::path folder = temp.file("串流助手 驱动");
    writeText(folder / "driver.vrdrivermanifest", "{\"name\":\"nerev\"}");
    const std::string shortForm = platform::shortPathName(folder.u8string());
#ifdef _WIN32
    ASSERT_FALSE(shortForm.empty());
    EXPECT_NE(shortForm, folder.u8string());
    for (unsigned char c : shortForm)
        EXPECT_LT(c, 0x80) << shortForm;
    EXPECT_EQ(readText(fs::u8path(shortForm) / "driver.vrdrivermanifest"), "{\"name\":\"nerev\"}");
    EXPECT_EQ(platform::shortPathName((temp.path() / "missing").u8string()), "");
#else
    EXPECT_EQ(shortForm, "");
#endif
}

TEST(FileVersion, ReadFromTheVersionResource)
{
#ifdef _WIN32
    wchar_t system[MAX_PATH];
    GetSystemDirectoryW(system, MAX_PATH);
    const auto version = platform::fileVersion((fs::path(system) / "kernel32.dll").u8string());
    ASSERT_TRUE(version.has_value());
    EXPECT_EQ(std::count(version->begin(), version->end(), '.'), 3) << *version;
    EXPECT_NE(version->front(), '0');
#endif
    EXPECT_FALSE(platform::fileVersion("/no/such/file.exe").has_value());
}

#ifndef _WIN32
TEST(NetworkLink, TheDefaultRouteWithTheLowestMetricNamesTheLink)
{
    TempFolder root;
    const fs::path net = root.path() / "net";
    writeText(root.file("route"),
              "Iface\tDestination\tGateway \tFlags\tRefCnt\tUse\tMetric\tMask\t\tMTU\tWindow\tIRTT\n"
              "wlp2s0\t00000000\t0101A8C0\t0003\t0\t0\t600\t00000000\t0\t0\t0\n"
              "enp3s0\t0001A8C0\t00000000\t0001\t0\t0\t100\t00FFFFFF\t0\t0\t0\n"
              "enp3s0\t00000000\t0101A8C0\t0003\t0\t0\t100\t00000000\t0\t0\t0\n"
              "docker0\t00000000\t00000000\t0002\t0\t0\t0\t00000000\t0\t0\t0\n");
    writeText(net / "enp3s0/type", "1\n");
    writeText(net / "enp3s0/speed", "100\n");
    writeText(net / "wlp2s0/type", "1\n");
    fs::create_directories(net / "wlp2s0/wireless");

    auto link = platform::defaultNetworkLinkFrom(root.file("route").string(), net.string());
    ASSERT_TRUE(link.has_value());
    EXPECT_EQ(link->interfaceName, "enp3s0");
    EXPECT_EQ(link->kind, platform::LinkKind::Ethernet);
    EXPECT_EQ(link->speedBitsPerSecond, 100000000u);

    // Without the cable the Wi-Fi route is left; its driver gives no speed.
    writeText(root.file("route"), "Iface\tDestination\tGateway \tFlags\tRefCnt\tUse\tMetric\tMask\n"
                                  "wlp2s0\t00000000\t0101A8C0\t0003\t0\t0\t600\t00000000\n");
    writeText(net / "wlp2s0/speed", "-1\n");
    link = platform::defaultNetworkLinkFrom(root.file("route").string(), net.string());
    ASSERT_TRUE(link.has_value());
    EXPECT_EQ(link->kind, platform::LinkKind::WiFi);
    EXPECT_EQ(link->speedBitsPerSecond, 0u);

    writeText(root.file("route"), "Iface\tDestination\tGateway \tFlags\tRefCnt\tUse\tMetric\tMask\n");
    EXPECT_FALSE(platform::defaultNetworkLinkFrom(root.file("route").string(), net.string()).has_value());

    EXPECT_EQ(platform::wifiFrequencyFromIwLink("Connected to aa:bb:cc:dd:ee:ff (on wlp2s0)\n\tSSID: home\n"
                                                "\tfreq: 5180.0\n\tsignal: -50 dBm\n"),
              5180);
    EXPECT_EQ(platform::wifiFrequencyFromIwLink("Not connected.\n"), 0);
}

TEST(NetworkProfile, NetworkManagerZonesGiveTheCategory)
{
    const std::string active = "6f1c-uuid:Home\\: 5G:wlp2s0\n"
                               "9a2b-uuid:Wired connection 1:enp3s0\n"
                               "1111-uuid:lo:lo\n"
                               "2222-uuid:VPN:\n";
    const auto profiles = platform::profilesFromNmcli(active, {{"6f1c-uuid", "public\n"}, {"9a2b-uuid", "home\n"}});
    ASSERT_EQ(profiles.size(), 2u);
    EXPECT_EQ(profiles[0].name, "Home: 5G");
    EXPECT_EQ(profiles[0].connectionId, "6f1c-uuid");
    EXPECT_EQ(profiles[0].category, platform::NetworkCategory::Public);
    EXPECT_EQ(profiles[1].category, platform::NetworkCategory::Private);
    EXPECT_EQ(platform::categoryOfZone(""), platform::NetworkCategory::Unknown);
    EXPECT_EQ(platform::categoryOfZone("drop"), platform::NetworkCategory::Public);
}

TEST(PowerPlan, ThePlatformProfileNamesThePlan)
{
    TempFolder root;
    const std::pair<const char *, platform::PowerPlanKind> cases[] = {
        {"low-power\n", platform::PowerPlanKind::PowerSaver},
        {"quiet\n", platform::PowerPlanKind::PowerSaver},
        {"balanced\n", platform::PowerPlanKind::Balanced},
        {"performance\n", platform::PowerPlanKind::HighPerformance},
        {"custom\n", platform::PowerPlanKind::Unknown},
    };
    for (const auto &c : cases) {
        writeText(root.file("platform_profile"), c.first);
        const auto plan = platform::powerPlanFromPlatformProfile(root.file("platform_profile").string());
        ASSERT_TRUE(plan.has_value()) << c.first;
        EXPECT_EQ(plan->kind, c.second) << c.first;
    }
    EXPECT_FALSE(platform::powerPlanFromPlatformProfile(root.file("none").string()).has_value());
}
#else
TEST(NetworkLink, TheDefaultRouteIsFoundWithItsInterfaceType)
{
    const auto link = platform::defaultNetworkLink();
    ASSERT_TRUE(link.has_value());
    EXPECT_FALSE(link->interfaceName.empty());
    EXPECT_NE(link->kind, platform::LinkKind::Unknown);
}

TEST(NetworkProfile, EachInterfaceIsListedOnceWithACategory)
{
    const auto profiles = platform::connectedNetworkProfiles();
    ASSERT_TRUE(profiles.has_value());
    ASSERT_FALSE(profiles->empty());
    std::set<std::uint32_t> seen;
    for (const auto &p : *profiles) {
        EXPECT_NE(p.category, platform::NetworkCategory::Unknown);
        EXPECT_TRUE(p.interfaceIndex == 0 || seen.insert(p.interfaceIndex).second) << p.interfaceIndex;
    }
}

#endif

// Where the system cannot answer (Linux's firewall; Wine has no firewall policy and no
// power schemes), the answer says so instead of pretending.
TEST(FirewallAndPowerPlan, AnUnreadableAnswerSaysWhy)
{
    const platform::FirewallState firewall = platform::firewallState();
    if (!firewall.known) {
        EXPECT_FALSE(firewall.error.empty());
        EXPECT_TRUE(firewall.allowRules.empty());
        EXPECT_FALSE(firewall.filtersInbound);
    }
    if (const auto plan = platform::activePowerPlan())
        EXPECT_FALSE(plan->id.empty());
}
