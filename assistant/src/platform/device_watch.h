#pragma once

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

} // namespace platform
