// Prints what this system's backend reads for the PC inventory, so a run shows the
// real answers of each backend, and checks that the basic facts are there.
#include "platform/audio.h"
#include "platform/display.h"
#include "platform/memory.h"
#include "platform/power.h"
#include "platform/process.h"
#include "platform/system_facts.h"
#include "platform/tcp_ports.h"

#include <cstdio>

#include <gtest/gtest.h>

TEST(Inventory, PrintsWhatThisSystemReports)
{
    const auto value = [](const char *key, const char *name) {
        return platform::registryString(key, name).value_or("(none)");
    };
    const std::string cpu = value("HKEY_LOCAL_MACHINE\\HARDWARE\\DESCRIPTION\\System\\CentralProcessor\\0",
                                  "ProcessorNameString");
    const std::string os = value("HKEY_LOCAL_MACHINE\\SOFTWARE\\Microsoft\\Windows NT\\CurrentVersion", "ProductName");
    const std::string guid = value("HKEY_LOCAL_MACHINE\\SOFTWARE\\Microsoft\\Cryptography", "MachineGuid");
    std::printf("os: %s\ncpu: %s\nmachine id: %s\n", os.c_str(), cpu.c_str(), guid.c_str());
    const auto memory = platform::totalPhysicalMemory();
    std::printf("memory: %llu bytes\n", static_cast<unsigned long long>(memory.value_or(0)));
    const auto adapters = platform::displayAdapters();
    std::printf("display adapters: %s\n", adapters ? std::to_string(adapters->size()).c_str() : "not enumerable");
    if (adapters)
        for (const auto &a : *adapters)
            std::printf("  %s vendor %04x device %04x memory %llu\n", a.name.c_str(), a.vendorId, a.deviceId,
                        static_cast<unsigned long long>(a.dedicatedVideoMemory));
    const auto level = platform::direct3DFeatureLevel();
    std::printf("direct3d: obtained %d invalid-argument %d level %04x\n", level.obtained, level.invalidArgument,
                level.level);
    const auto devices = platform::displayDriverVersions();
    std::printf("display devices: %s\n", devices ? std::to_string(devices->size()).c_str() : "no device list");
    if (devices)
        for (const auto &d : *devices)
            for (const auto &drv : d.drivers)
                std::printf("  driver %s %s\n", drv.manufacturer.c_str(), drv.version.c_str());
    const auto audio = platform::firstAudioOutput();
    std::printf("audio outputs: %d, first: %s (%d channels)\n", platform::audioOutputCount(),
                audio ? audio->name.c_str() : "none", audio ? audio->channels : 0);
    const auto power = platform::powerStatus();
    std::printf("power: known %d ac %d battery %d (%d%%)\n", power.known, static_cast<int>(power.acLine),
                power.hasBattery, power.batteryPercent);
    std::printf("processes: %zu\n", platform::listProcesses().size());
    const auto tcp = platform::tcpPortOwners();
    std::printf("tcp rows: %s\n", tcp ? std::to_string(tcp->size()).c_str() : "unreadable");

    EXPECT_NE(cpu, "(none)");
    EXPECT_NE(os, "(none)");
    EXPECT_TRUE(memory.has_value());
    EXPECT_TRUE(tcp.has_value());
}
