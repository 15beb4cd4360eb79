#pragma once

#include <cstdlib>
#include <functional>
#include <memory>
#include <string>

namespace platform {

struct DeviceEvent {
    bool arrived = false;                // false: removed
    std::string devicePath;              // e.g. "\\?\USB#VID_05C6&PID_903A#..." or a sysfs path
};

// Watches device arrival and removal on a thread of its own (Win32: a hidden
// window with RegisterDeviceNotificationW; POSIX: udev). The callback runs on
// that thread.
class DeviceWatcher {
public:
    using Callback = std::function<void(const DeviceEvent &)>;

    DeviceWatcher();
    ~DeviceWatcher();
    DeviceWatcher(const DeviceWatcher &) = delete;
    DeviceWatcher &operator=(const DeviceWatcher &) = delete;

    bool start(Callback callback);
    void stop();

private:
    struct Impl;
    std::unique_ptr<Impl> m_impl;
};

// The Windows interface path of a USB device, \\?\USB#VID_xxxx&PID_xxxx#serial#{USB device class}:
// the form both backends report, whatever the system's own naming. Vendor and
// product are hexadecimal texts ("5c6", "05C6"); the result has four upper-case digits each.
inline std::string usbInterfacePath(const std::string &vendorId, const std::string &productId, const std::string &serial)
{
    auto hex4 = [](const std::string &text) {
        unsigned long value = std::strtoul(text.c_str(), nullptr, 16);
        static const char digits[] = "0123456789ABCDEF";
        std::string result(4, '0');
        for (int i = 3; i >= 0; --i, value >>= 4)
            result[static_cast<std::size_t>(i)] = digits[value & 0xF];
        return result;
    };
    return "\\\\?\\USB#VID_" + hex4(vendorId) + "&PID_" + hex4(productId) + "#" + serial
        + "#{A5DCBF10-6530-11D2-901F-00C04FB951ED}";
}

} // namespace platform
