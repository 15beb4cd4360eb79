// Registry values and their Linux equivalents, memory, power, display adapters and
// drivers, the audio output and the Steam folders.
#include "child_process.h"

#include "platform/audio.h"
#include "platform/display.h"
#include "platform/memory.h"
#include "platform/power.h"
#include "platform/shell.h"
#include "platform/steam_layout.h"
#include "platform/system_facts.h"

#include <cstdlib>
#include <filesystem>
#include <fstream>

#include <gtest/gtest.h>

namespace fs = std::filesystem;
using namespace std::chrono_literals;

namespace {

const std::string kCpuKey = "HKEY_LOCAL_MACHINE\\HARDWARE\\DESCRIPTION\\System\\CentralProcessor\\0";
const std::string kOsKey = "HKEY_LOCAL_MACHINE\\SOFTWARE\\Microsoft\\Windows NT\\CurrentVersion";
const std::string kSteamKey = "HKEY_LOCAL_MACHINE\\SOFTWARE\\WOW6432Node\\Valve\\Steam";
const std::string kSteamVrKey =
    "HKEY_LOCAL_MACHINE\\SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\Steam App 250820";

} // namespace

TEST(SystemFacts, ProcessorAndSystemNamesAreKnown)
{
    const auto cpu = platform::registryString(kCpuKey, "ProcessorNameString");
    ASSERT_TRUE(cpu.has_value());
    EXPECT_FALSE(cpu->empty());
    const auto os = platform::registryString(kOsKey, "ProductName");
    ASSERT_TRUE(os.has_value());
    EXPECT_FALSE(os->empty());
    EXPECT_FALSE(platform::registryString(kOsKey, "NoSuchValueOstrel").has_value());
    EXPECT_FALSE(platform::registryString("HKEY_LOCAL_MACHINE\\SOFTWARE\\OstrelNoSuchKey", "x").has_value());
    EXPECT_FALSE(platform::registryString("NOHIVE\\x", "y").has_value());
}

#ifdef _WIN32
TEST(Registry, ValuesWrittenByTheTestAreReadBackAndEnumerated)
{
    const std::string key = "HKEY_CURRENT_USER\\Software\\" + testsupport::uniqueName("OstrelTest");
    ASSERT_TRUE(platform::registryWriteString(key + "\\Alpha", "DisplayName", "Steam"));
    ASSERT_TRUE(platform::registryWriteString(key + "\\Beta", "DisplayName", "Steamworks Common"));
    ASSERT_TRUE(platform::registryWriteString(key + "\\Beta", "InstallLocation", "C:\\Games\\串流"));
    EXPECT_TRUE(platform::registryKeyExists(key));
    EXPECT_EQ(platform::registryString(key + "\\Alpha", "DisplayName").value_or(""), "Steam");
    EXPECT_EQ(platform::registryString(key + "\\Beta", "InstallLocation").value_or(""), "C:\\Games\\串流");
    const auto subKeys = platform::registrySubKeys(key);
    ASSERT_TRUE(subKeys.has_value());
    EXPECT_EQ(*subKeys, (std::vector<std::string>{"Alpha", "Beta"}));
    EXPECT_TRUE(platform::registryDeleteTree(key));
    EXPECT_FALSE(platform::registryKeyExists(key));
    EXPECT_FALSE(platform::registrySubKeys(key).has_value());
}
#else
TEST(Registry, LinuxHasNoneButAnswersTheKnownKeysFromItsFiles)
{
    EXPECT_FALSE(platform::registryWriteString("HKEY_CURRENT_USER\\Software\\X", "v", "d"));
    EXPECT_FALSE(platform::registrySubKeys(kOsKey).has_value());
    std::ifstream id("/etc/machine-id");
    std::string machineId;
    std::getline(id, machineId);
    EXPECT_EQ(platform::registryString("HKEY_LOCAL_MACHINE\\SOFTWARE\\Microsoft\\Cryptography", "MachineGuid")
                  .value_or(""),
              machineId);
}

TEST(SteamFolders, FoundBelowHomeWithSteamVrInASecondLibrary)
{
    testsupport::TempFolder home;
    testsupport::ScopedEnv env("HOME", home.path().string());
    EXPECT_FALSE(platform::registryKeyExists(kSteamKey));
    EXPECT_FALSE(platform::registryString(kSteamKey, "InstallPath").has_value());

    const fs::path steam = home.path() / ".local/share/Steam";
    const fs::path library = home.path() / "games/Steam Library";
    testsupport::writeText(steam / "steam.sh", "#!/bin/sh\n");
    EXPECT_TRUE(platform::registryKeyExists(kSteamKey));
    EXPECT_EQ(platform::registryString(kSteamKey, "InstallPath").value_or(""), steam.string());
    EXPECT_FALSE(platform::registryString(kSteamVrKey, "InstallLocation").has_value());

    testsupport::writeText(steam / "steamapps/libraryfolders.vdf",
              "\"libraryfolders\"\n{\n\t\"0\"\n\t{\n\t\t\"path\"\t\t\"" + steam.string()
                  + "\"\n\t}\n\t\"1\"\n\t{\n\t\t\"path\"\t\t\"" + library.string()
                  + "\"\n\t\t\"apps\"\n\t\t{\n\t\t\t\"250820\"\t\t\"5000\"\n\t\t}\n\t}\n}\n");
    fs::create_directories(library / "steamapps/common/SteamVR/bin/linux64");
    EXPECT_EQ(platform::registryString(kSteamVrKey, "InstallLocation").value_or(""),
              (library / "steamapps/common/SteamVR").string());

    // ~/.steam/steam comes first, as Steam's own link to its folder.
    const fs::path link = home.path() / ".steam/steam";
    testsupport::writeText(link / "steam.sh", "#!/bin/sh\n");
    EXPECT_EQ(platform::registryString(kSteamKey, "InstallPath").value_or(""), link.string());
}

TEST(SteamFolders, FlatpakFolderCounts)
{
    testsupport::TempFolder home;
    testsupport::ScopedEnv env("HOME", home.path().string());
    const fs::path flatpak = home.path() / ".var/app/com.valvesoftware.Steam/.local/share/Steam";
    testsupport::writeText(flatpak / "steam.sh", "");
    EXPECT_EQ(platform::registryString(kSteamKey, "InstallPath").value_or(""), flatpak.string());
}

TEST(Shell, SteamUrlGoesToTheSteamProgramOnPath)
{
    testsupport::TempFolder bin;
    const fs::path record = bin.file("url");
    testsupport::writeText(bin.file("steam"), "#!/bin/sh\nprintf '%s' \"$1\" > '" + record.string() + ".tmp' && mv '"
                                     + record.string() + ".tmp' '" + record.string() + "'\n");
    fs::permissions(bin.file("steam"), fs::perms::owner_all);
    testsupport::ScopedEnv path("PATH", bin.path().string() + ":/usr/bin:/bin");
    ASSERT_TRUE(platform::openUrlDetached("steam://rungameid/250820"));
    EXPECT_EQ(testsupport::waitForFile(record, 10s), "steam://rungameid/250820");
}

TEST(DisplayAdapters, PciDisplayDevicesAreNamedFromTheDatabase)
{
    testsupport::TempFolder sys;
    const fs::path devices = sys.path() / "devices";
    auto device = [&](const std::string &slot, const std::string &cls, const std::string &vendor,
                      const std::string &dev) {
        testsupport::writeText(devices / slot / "class", cls + "\n");
        testsupport::writeText(devices / slot / "vendor", vendor + "\n");
        testsupport::writeText(devices / slot / "device", dev + "\n");
        return devices / slot;
    };
    device("0000:00:02.0", "0x030000", "0x8086", "0x3e92");
    const fs::path amd = device("0000:03:00.0", "0x030000", "0x1002", "0x73ff");
    testsupport::writeText(amd / "mem_info_vram_total", "8573157376\n");
    device("0000:00:1f.3", "0x040300", "0x8086", "0xa348"); // audio: not a display device
    device("0000:05:00.0", "0x030200", "0x1234", "0x5678"); // vendor not in the database
    testsupport::writeText(sys.file("pci.ids"), "# test database\n"
                                   "1002  Advanced Micro Devices, Inc. [AMD/ATI]\n"
                                   "\t73ff  Navi 23 [Radeon RX 6600/6600 XT/6600M]\n"
                                   "\t\t1002 0e36  Radeon RX 6600 XT\n"
                                   "8086  Intel Corporation\n"
                                   "\t3e92  CoffeeLake-S GT2 [UHD Graphics 630]\n"
                                   "\ta348  Cannon Lake PCH cAVS\n"
                                   "C 03  Display controller\n");
    const auto adapters = platform::displayAdaptersFrom(devices.string(), sys.file("pci.ids").string());
    ASSERT_TRUE(adapters.has_value());
    ASSERT_EQ(adapters->size(), 3u);
    EXPECT_EQ((*adapters)[0].name, "Intel Corporation CoffeeLake-S GT2 [UHD Graphics 630]");
    EXPECT_EQ((*adapters)[0].vendorId, 0x8086u);
    EXPECT_EQ((*adapters)[0].dedicatedVideoMemory, 0u);
    EXPECT_EQ((*adapters)[1].name, "Advanced Micro Devices, Inc. [AMD/ATI] Navi 23 [Radeon RX 6600/6600 XT/6600M]");
    EXPECT_EQ((*adapters)[1].deviceId, 0x73ffu);
    EXPECT_EQ((*adapters)[1].dedicatedVideoMemory, 8573157376u);
    EXPECT_EQ((*adapters)[2].name, "PCI 1234 device 5678");
    EXPECT_FALSE(platform::displayAdaptersFrom((sys.path() / "none").string(), "").has_value());
}

TEST(Audio, DefaultSinkOfTheSoundServer)
{
    const std::string info = "Server Name: pulseaudio\nDefault Sink: alsa_output.hdmi\nDefault Source: x\n";
    const std::string sinks = "Sink #0\n\tState: SUSPENDED\n\tName: alsa_output.analog\n"
                              "\tDescription: Built-in Audio Analog Stereo\n"
                              "\tSample Specification: s16le 2ch 44100Hz\n"
                              "Sink #1\n\tName: alsa_output.hdmi\n\tDescription: HDMI Surround 5.1\n"
                              "\tSample Specification: s32le 6ch 48000Hz\n\tChannel Map: front-left,...\n";
    const auto out = platform::parsePulseDefaultSink(info, sinks);
    ASSERT_TRUE(out.has_value());
    EXPECT_EQ(out->channels, 6);
    EXPECT_EQ(out->name, "HDMI Surround 5.1");
    EXPECT_FALSE(platform::parsePulseDefaultSink("Server Name: x\n", sinks).has_value());
    EXPECT_FALSE(platform::parsePulseDefaultSink("Default Sink: gone\n", sinks).has_value());
}
#endif

TEST(Memory, TotalPhysicalMemoryIsPlausible)
{
    const auto total = platform::totalPhysicalMemory();
    ASSERT_TRUE(total.has_value());
    EXPECT_GT(*total, 64ull << 20);
    EXPECT_LT(*total, 1ull << 50);
}

TEST(Power, StatusIsConsistent)
{
    const auto status = platform::powerStatus();
    EXPECT_GE(status.batteryPercent, -1);
    EXPECT_LE(status.batteryPercent, 100);
    if (!status.hasBattery && status.known)
        EXPECT_NE(status.acLine, platform::AcLine::Offline);
}

TEST(DisplayDrivers, VersionIsWrittenInFourParts)
{
    EXPECT_EQ(platform::formatDriverVersion((31ull << 48) | (0ull << 32) | (15ull << 16) | 5176ull), "31.0.15.5176");
    EXPECT_EQ(platform::formatDriverVersion(0), "0.0.0.0");
    EXPECT_EQ(platform::formatDriverVersion(~0ull), "65535.65535.65535.65535");
}

TEST(DisplayDrivers, EveryDeviceAndDriverIsDescribed)
{
    const auto devices = platform::displayDriverVersions();
    if (!devices)
        GTEST_SKIP() << "this system gives no display device list";
    for (const auto &d : *devices) {
        for (const auto &drv : d.drivers) {
            EXPECT_FALSE(drv.manufacturer.empty());
            if (drv.manufacturer == "NVIDIA")
                EXPECT_EQ(std::count(drv.version.begin(), drv.version.end(), '.'), 3);
        }
    }
}

TEST(DisplayAdapters, AdaptersHaveNames)
{
    const auto adapters = platform::displayAdapters();
    if (!adapters)
        GTEST_SKIP() << "this system cannot enumerate display adapters";
    for (const auto &a : *adapters)
        EXPECT_FALSE(a.name.empty());
    const auto level = platform::direct3DFeatureLevel();
    if (level.obtained)
        EXPECT_GE(level.level, 0x9100u);
    else
        EXPECT_EQ(level.level, 0u);
}

TEST(SteamLayout, NativeSeparatorsAndTools)
{
    const auto layout = platform::steamLayout("/home/u");
    ASSERT_EQ(layout.fallbackFolders.size(), 3u);
    EXPECT_NE(layout.vrServer.find(std::string("vrserver")), std::string::npos);
    EXPECT_NE(layout.vrShutdownTool.find(std::string("vrstartup")), std::string::npos);
    EXPECT_EQ(layout.vrServer.find(layout.separator == '/' ? '\\' : '/'), std::string::npos);
#ifdef _WIN32
    EXPECT_EQ(layout.vrServer, "bin\\win64\\vrserver.exe");
    EXPECT_NE(layout.firewallRuleQuery.find("SteamVR Nerev vrserver"), std::string::npos);
#else
    EXPECT_TRUE(layout.firewallRuleQuery.empty());
#endif
}
