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
    std::uint64_t dedicatedVideoMemory = 0;  // bytes
};

struct DisplayDriver {
    std::string manufacturer;            // e.g. "NVIDIA"
    std::string version;                 // four parts, e.g. "31.0.15.5176"
};

struct FeatureLevel {
    bool obtained = false;               // a hardware device could be created
    bool invalidArgument = false;        // creation failed with E_INVALIDARG
    std::uint32_t level = 0;             // Direct3D feature level, e.g. 0xB000
};

// Adapters in system order; nullopt when they cannot be enumerated at all.
std::optional<std::vector<DisplayAdapter>> displayAdapters();
// Every compatible driver of every present display device, in enumeration
// order; nullopt when the device list cannot be had.
std::optional<std::vector<DisplayDriver>> displayDriverVersions();
// The Direct3D 11 feature level of the default adapter.
FeatureLevel direct3DFeatureLevel();

} // namespace platform
