// Chinese names through the platform layer, as a user called 张伟 with his
// games in a Chinese folder has them: the Steam and SteamVR folders the
// registry names, OpenVR's path registry below his home folder, and kernel
// objects. The process and command cases are in test_processes.cpp.
#include "child_process.h"

#include "platform/instance_guard.h"
#include "platform/paths.h"
#include "platform/shared_block.h"
#include "platform/steam_layout.h"
#include "platform/system_facts.h"

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>

#include <gtest/gtest.h>

#ifdef _WIN32
#include <windows.h>
#endif

namespace fs = std::filesystem;
using namespace testsupport;

namespace {

const std::string kSteamKey = "HKEY_LOCAL_MACHINE\\SOFTWARE\\WOW6432Node\\Valve\\Steam";
const std::string kSteamVrKey =
    "HKEY_LOCAL_MACHINE\\SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\Steam App 250820";

} // namespace

#ifdef _WIN32
// The Chinese code page entry of the Windows leg asks for code page 936; a
// run that did not get it would prove nothing.
TEST(CodePage, IsTheOneTheRunAskedFor)
{
    const char *expected = std::getenv("OSTREL_EXPECT_ACP");
    if (!expected)
        GTEST_SKIP() << "no code page asked for";
    EXPECT_EQ(GetACP(), static_cast<UINT>(std::atoi(expected)));
}

// Removes registry keys written by a test, also when it fails half-way.
struct RegistryKeys {
    std::vector<std::string> keys;
    ~RegistryKeys()
    {
        for (const std::string &key : keys)
            platform::registryDeleteTree(key);
    }
};

TEST(ChineseNames, SteamAndSteamVrFoldersAreReadFromTheRegistry)
{
    if (platform::registryKeyExists(kSteamKey) || platform::registryKeyExists(kSteamVrKey))
        GTEST_SKIP() << "Steam is installed here; its registry entries stay untouched";
    TempFolder dir;
    const fs::path steam = dir.file(u8"游戏") / "Steam";
    const fs::path steamVr = dir.file(u8"游戏") / fs::u8path(u8"Steam 库 张伟𠮷/steamapps/common/SteamVR");
    const platform::SteamLayout layout = platform::steamLayout(dir.path().u8string());
    writeText(steam / fs::u8path(layout.launcherMarker), "");
    fs::create_directories(steamVr);

    RegistryKeys written;
    written.keys = {kSteamKey, kSteamVrKey};
    if (!platform::registryWriteString(kSteamKey, "InstallPath", steam.u8string()))
        GTEST_SKIP() << "writing below HKEY_LOCAL_MACHINE needs administrator rights";
    ASSERT_TRUE(platform::registryWriteString(kSteamVrKey, "InstallLocation", steamVr.u8string()));

    EXPECT_TRUE(platform::registryKeyExists(kSteamKey));
    const std::string steamFolder = platform::registryString(kSteamKey, "InstallPath").value_or("");
    EXPECT_EQ(steamFolder, steam.u8string());
    EXPECT_TRUE(fs::exists(fs::u8path(steamFolder) / fs::u8path(layout.launcherMarker)));
    const std::string vrFolder = platform::registryString(kSteamVrKey, "InstallLocation").value_or("");
    EXPECT_EQ(vrFolder, steamVr.u8string());
    EXPECT_TRUE(fs::is_directory(fs::u8path(vrFolder)));
}

TEST(ChineseNames, UninstallEntriesWithChineseNamesAreEnumerated)
{
    const std::string key = "HKEY_CURRENT_USER\\Software\\" + uniqueName("OstrelUninstall");
    RegistryKeys written;
    written.keys = {key};
    ASSERT_TRUE(platform::registryWriteString(key + u8"\\串流 游戏", "DisplayName", u8"串流游戏"));
    ASSERT_TRUE(platform::registryWriteString(key + u8"\\Steam 张伟", "DisplayName", "Steam"));
    ASSERT_TRUE(platform::registryWriteString(key + u8"\\Steam 张伟", "InstallLocation", u8"D:\\游戏\\Steam"));
    const auto subKeys = platform::registrySubKeys(key);
    ASSERT_TRUE(subKeys.has_value());
    EXPECT_EQ(*subKeys, (std::vector<std::string>{u8"Steam 张伟", u8"串流 游戏"}));
    EXPECT_EQ(platform::registryString(key + u8"\\串流 游戏", "DisplayName").value_or(""), u8"串流游戏");
    EXPECT_EQ(platform::registryString(key + u8"\\Steam 张伟", "InstallLocation").value_or(""), u8"D:\\游戏\\Steam");
    // Two names an ANSI code page would turn into the same "??" stay two keys.
    ASSERT_TRUE(platform::registryWriteString(key + u8"\\甲", "v", "1"));
    EXPECT_FALSE(platform::registryString(key + u8"\\乙", "v").has_value());
}
#else
TEST(ChineseNames, SteamAndSteamVrFoldersAreFoundBelowAChineseHome)
{
    TempFolder dir;
    const fs::path home = dir.file(u8"用户") / fs::u8path(u8"张伟");
    ScopedEnv env("HOME", home.u8string());
    const fs::path steam = home / ".local/share/Steam";
    const fs::path library = home / fs::u8path(u8"游戏/Steam 库𠮷");
    writeText(steam / "steam.sh", "#!/bin/sh\n");
    writeText(steam / "steamapps/libraryfolders.vdf",
              "\"libraryfolders\"\n{\n\t\"1\"\n\t{\n\t\t\"path\"\t\t\"" + library.u8string() + "\"\n\t}\n}\n");
    fs::create_directories(library / "steamapps/common/SteamVR");

    EXPECT_TRUE(platform::registryKeyExists(kSteamKey));
    EXPECT_EQ(platform::registryString(kSteamKey, "InstallPath").value_or(""), steam.u8string());
    EXPECT_EQ(platform::registryString(kSteamVrKey, "InstallLocation").value_or(""),
              (library / "steamapps/common/SteamVR").u8string());
}
#endif

TEST(ChineseNames, OpenvrPathRegistryBelowAChineseHomeIsEdited)
{
    TempFolder dir;
    const fs::path home = dir.file(u8"Users") / fs::u8path(u8"张伟");
    const std::string file = platform::openvrPathRegistryFile(home.u8string());
    writeText(fs::u8path(file), "{\"external_drivers\": [], \"runtime\": [\"D:/游戏/SteamVR\"]}");
    // Where SteamVR keeps it for this user.
#ifdef _WIN32
    const fs::path expected = home / "AppData/Local/openvr/openvrpaths.vrpath";
#else
    const fs::path expected = home / ".config/openvr/openvrpaths.vrpath";
#endif
    ASSERT_TRUE(fs::exists(expected)) << file;
    std::string text = readText(fs::u8path(file));
    text.replace(text.find("[]"), 2, u8"[\"D:/串流助手\"]");
    writeText(fs::u8path(file), text);
    EXPECT_EQ(readText(expected), u8"{\"external_drivers\": [\"D:/串流助手\"], \"runtime\": [\"D:/游戏/SteamVR\"]}");
}

// Two names that an ANSI code page would both turn into "OSTREL_??" stay two
// objects; a second opener of the same Chinese name finds the first.
TEST(ChineseNames, KernelObjectsWithChineseNamesAreDistinct)
{
    const std::string first = uniqueName(u8"块甲"), second = uniqueName(u8"块乙");
    platform::SharedBlock a, b, again;
    ASSERT_TRUE(a.open(first, first + u8"锁", 8)) << a.lastError();
    ASSERT_TRUE(b.open(second, second + u8"锁", 8)) << b.lastError();
    EXPECT_TRUE(a.createdHere());
    EXPECT_TRUE(b.createdHere());
    ASSERT_TRUE(again.open(first, first + u8"锁", 8)) << again.lastError();
    EXPECT_FALSE(again.createdHere());
    a.data()[0] = 42;
    EXPECT_EQ(again.data()[0], 42);
    EXPECT_EQ(b.data()[0], 0);
    a.close();
    b.close();
    again.close();
    platform::SharedBlock::removeNames(first, first + u8"锁");
    platform::SharedBlock::removeNames(second, second + u8"锁");

    const std::string guardName = uniqueName(u8"串流助手");
    platform::InstanceGuard one, other, same;
    EXPECT_EQ(one.acquire(guardName), platform::InstanceGuard::Result::First) << one.lastError();
    EXPECT_EQ(other.acquire(uniqueName(u8"串流助于")), platform::InstanceGuard::Result::First);
    EXPECT_EQ(same.acquire(guardName), platform::InstanceGuard::Result::AlreadyRunning);
}
