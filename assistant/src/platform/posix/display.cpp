#include "platform/display.h"

#include "text_file.h"

#include <dirent.h>
#include <unistd.h>

#include <cstdlib>
#include <fstream>
#include <map>

namespace platform {
namespace {

uint32_t readHex(const std::string& path)
{
    return static_cast<uint32_t>(std::strtoul(posix::firstLine(path).c_str(), nullptr, 16));
}

std::string linkBase(const std::string& path)
{
    char buf[4096];
    const ssize_t n = readlink(path.c_str(), buf, sizeof buf - 1);
    if (n <= 0)
        return {};
    buf[n] = '\0';
    const std::string s(buf);
    return s.substr(s.find_last_of('/') + 1);
}

struct PciDevice {
    std::string dir;
    uint32_t vendor = 0, device = 0;
};

// Display controllers (PCI class 0x03) in folder order.
std::vector<PciDevice> displayClassDevices(const std::string& devicesDir, bool& ok)
{
    std::vector<PciDevice> found;
    DIR* dir = opendir(devicesDir.c_str());
    ok = dir != nullptr;
    if (!dir)
        return found;
    std::map<std::string, PciDevice> sorted;
    while (dirent* e = readdir(dir)) {
        if (e->d_name[0] == '.')
            continue;
        PciDevice d;
        d.dir = devicesDir + "/" + e->d_name;
        if ((readHex(d.dir + "/class") >> 16) != 0x03)
            continue;
        d.vendor = readHex(d.dir + "/vendor");
        d.device = readHex(d.dir + "/device");
        sorted[e->d_name] = d;
    }
    closedir(dir);
    for (auto& kv : sorted)
        found.push_back(kv.second);
    return found;
}

// Vendor and device names from the pci.ids database ("vvvv  Name", "\tdddd  Name").
void pciNames(const std::string& pciIdsFile, uint32_t vendor, uint32_t device, std::string& vendorName,
              std::string& deviceName)
{
    std::ifstream in(pciIdsFile);
    bool inVendor = false;
    for (std::string line; std::getline(in, line);) {
        if (line.empty() || line[0] == '#')
            continue;
        if (line[0] != '\t') {
            if (inVendor || line.rfind("C ", 0) == 0)
                break; // past our vendor, or into the class list
            if (line.size() > 6 && std::strtoul(line.substr(0, 4).c_str(), nullptr, 16) == vendor &&
                line[4] == ' ') {
                inVendor = true;
                vendorName = line.substr(6);
            }
            continue;
        }
        if (inVendor && line.size() > 7 && line[1] != '\t' &&
            std::strtoul(line.substr(1, 4).c_str(), nullptr, 16) == device) {
            deviceName = line.substr(7);
            break;
        }
    }
}

std::string hex4(uint32_t v)
{
    static const char* digits = "0123456789abcdef";
    std::string s(4, '0');
    for (int i = 3; i >= 0; --i, v >>= 4)
        s[static_cast<size_t>(i)] = digits[v & 0xF];
    return s;
}

const char* pciIdsPath()
{
    static const char* candidates[] = {"/usr/share/misc/pci.ids", "/usr/share/hwdata/pci.ids",
                                       "/usr/share/pci.ids"};
    for (const char* c : candidates)
        if (access(c, R_OK) == 0)
            return c;
    return candidates[0];
}

// NVIDIA's Windows driver version ends in the release number without its dot (31.0.15.5176
// is release 551.76); the Linux release "550.54.14" is written the same way so that one
// rule judges both.
std::string nvidiaWindowsStyleVersion(const std::string& linuxVersion)
{
    char* end = nullptr;
    const long major = std::strtol(linuxVersion.c_str(), &end, 10);
    long minor = 0;
    if (end && *end == '.')
        minor = std::strtol(end + 1, nullptr, 10);
    if (major <= 0)
        return {};
    if (minor > 99)
        minor = 99;
    const std::string digits = std::to_string(major * 100 + minor);
    if (digits.size() < 2)
        return {};
    return "31.0.1" + digits.substr(0, 1) + "." + digits.substr(1);
}

} // namespace

std::optional<std::vector<DisplayAdapter>> displayAdaptersFrom(const std::string& pciDevicesDir,
                                                               const std::string& pciIdsFile)
{
    std::vector<DisplayAdapter> out;
    bool ok = false;
    for (const PciDevice& d : displayClassDevices(pciDevicesDir, ok)) {
        DisplayAdapter a;
        a.vendorId = d.vendor;
        a.deviceId = d.device;
        std::string vendorName, deviceName;
        pciNames(pciIdsFile, d.vendor, d.device, vendorName, deviceName);
        if (vendorName.empty())
            vendorName = "PCI " + hex4(d.vendor);
        a.name = vendorName + " " + (deviceName.empty() ? "device " + hex4(d.device) : deviceName);
        // amdgpu reports its video memory; other drivers do not.
        const std::string vram = posix::firstLine(d.dir + "/mem_info_vram_total");
        if (!vram.empty())
            a.dedicatedVideoMemory = std::strtoull(vram.c_str(), nullptr, 10);
        out.push_back(a);
    }
    if (!ok)
        return std::nullopt;
    return out;
}

std::optional<std::vector<DisplayAdapter>> displayAdapters()
{
    return displayAdaptersFrom("/sys/bus/pci/devices", pciIdsPath());
}

FeatureLevel direct3DFeatureLevel()
{
    return FeatureLevel{};
}

std::optional<std::vector<DisplayDevice>> displayDriverVersions()
{
    std::vector<DisplayDevice> out;
    bool ok = false;
    for (const PciDevice& d : displayClassDevices("/sys/bus/pci/devices", ok)) {
        DisplayDevice device;
        const std::string driver = linkBase(d.dir + "/driver");
        device.driverListOk = !driver.empty();
        if (device.driverListOk) {
            DisplayDriver drv;
            const std::string version = posix::firstLine("/sys/module/" + driver + "/version");
            if (driver == "nvidia") {
                drv.manufacturer = "NVIDIA";
                drv.version = nvidiaWindowsStyleVersion(version);
            } else {
                drv.manufacturer = driver;
                drv.version = version;
            }
            device.drivers.push_back(drv);
        }
        out.push_back(device);
    }
    if (!ok)
        return std::nullopt;
    return out;
}

} // namespace platform
