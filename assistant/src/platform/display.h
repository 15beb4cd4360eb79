#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace platform {

struct DisplayAdapter {
    std::string name;                    // the adapter's description
    std::uint32_t vendorId = 0;          // PCI vendor, e.g. 0x10DE NVIDIA
    std::uint32_t deviceId = 0;
    std::uint64_t dedicatedVideoMemory = 0;  // bytes; 0 when unknown
};

struct DisplayDriver {
    std::string manufacturer;            // e.g. "NVIDIA"
    std::string version;                 // four parts, e.g. "31.0.15.5176"
};

// The drivers of one present display device.
struct DisplayDevice {
    bool driverListOk = false;           // its compatible-driver list could be built
    std::vector<DisplayDriver> drivers;
};

struct FeatureLevel {
    bool obtained = false;               // a hardware device could be created
    bool invalidArgument = false;        // creation failed with E_INVALIDARG
    std::uint32_t level = 0;             // Direct3D feature level, e.g. 0xB000
};

// Adapters in system order (Win32: DXGI; Linux: PCI display-class devices under
// /sys/bus/pci/devices named from pci.ids); nullopt when they cannot be enumerated.
std::optional<std::vector<DisplayAdapter>> displayAdapters();
// The Linux reader on given folders, for tests; nullopt on Win32.
std::optional<std::vector<DisplayAdapter>> displayAdaptersFrom(const std::string &pciDevicesDir,
                                                               const std::string &pciIdsFile);
// Every present display device with its compatible drivers, in enumeration order
// (Win32: SetupAPI; Linux: the bound kernel driver, NVIDIA's release written the
// Windows way, so 550.54 reads "31.0.15.5054"); nullopt when the device list cannot be had.
std::optional<std::vector<DisplayDevice>> displayDriverVersions();
// The Direct3D 11 feature level of the default adapter; Linux: nothing obtained.
FeatureLevel direct3DFeatureLevel();

// The four 16-bit parts of a driver version from the most significant down.
inline std::string formatDriverVersion(std::uint64_t v)
{
    return std::to_string((v >> 48) & 0xFFFF) + "." + std::to_string((v >> 32) & 0xFFFF) + "."
        + std::to_string((v >> 16) & 0xFFFF) + "." + std::to_string(v & 0xFFFF);
}

} // namespace platform
