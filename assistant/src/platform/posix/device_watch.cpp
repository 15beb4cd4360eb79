// USB arrival and removal through a udev monitor on a thread of its own. Each
// event of a USB device becomes the text Windows gives for the same device's
// interface (\\?\USB#VID_xxxx&PID_xxxx#serial#{class guid}), so the callers'
// filters work unchanged on both systems.
#include "platform/device_watch.h"

#include <libudev.h>
#include <poll.h>
#include <sys/eventfd.h>
#include <unistd.h>

#include <cctype>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <mutex>
#include <thread>

namespace platform {

namespace {
const char *property(udev_device *device, const char *name)
{
    const char *value = udev_device_get_property_value(device, name);
    return value && *value ? value : nullptr;
}
} // namespace

struct DeviceWatcher::Impl {
    std::mutex lock;
    std::thread thread;
    int wakeFd = -1;
    udev *context = nullptr;
    udev_monitor *monitor = nullptr;
    Callback callback;

    void run()
    {
        pollfd fds[2] = { { udev_monitor_get_fd(monitor), POLLIN, 0 }, { wakeFd, POLLIN, 0 } };
        for (;;) {
            if (::poll(fds, 2, -1) < 0) {
                if (errno == EINTR)
                    continue;
                return;
            }
            if (fds[1].revents)
                return;
            if (fds[0].revents & POLLIN)
                deliver();
        }
    }

    // The sysfs attributes are gone by the time a removal arrives, so only the
    // event's own properties are used: ID_VENDOR_ID/ID_MODEL_ID/ID_SERIAL_SHORT
    // from the udev database, else the kernel's PRODUCT="vid/pid/bcd".
    void deliver()
    {
        udev_device *device = udev_monitor_receive_device(monitor);
        if (!device)
            return;
        const char *action = udev_device_get_action(device);
        const bool added = action && std::strcmp(action, "add") == 0;
        const bool removed = action && std::strcmp(action, "remove") == 0;
        if (added || removed) {
            const char *vendor = property(device, "ID_VENDOR_ID");
            const char *model = property(device, "ID_MODEL_ID");
            std::string vendorText, modelText;
            if (!vendor || !model) {
                // PRODUCT is "vid/pid/bcd" in hexadecimal without leading zeros.
                if (const char *product = property(device, "PRODUCT")) {
                    std::string text = product;
                    const std::size_t first = text.find('/');
                    const std::size_t second = text.find('/', first == std::string::npos ? first : first + 1);
                    if (first != std::string::npos) {
                        vendorText = text.substr(0, first);
                        modelText = text.substr(first + 1, second == std::string::npos ? std::string::npos : second - first - 1);
                        vendor = vendorText.c_str();
                        model = modelText.c_str();
                    }
                }
            }
            if (vendor && model) {
                DeviceEvent event;
                event.arrived = added;
                const char *serial = property(device, "ID_SERIAL_SHORT");
                event.devicePath = usbInterfacePath(vendor, model, serial ? serial : "");
                callback(event);
            }
        }
        udev_device_unref(device);
    }

    void release()
    {
        if (monitor)
            udev_monitor_unref(monitor);
        if (context)
            udev_unref(context);
        if (wakeFd >= 0)
            ::close(wakeFd);
        monitor = nullptr;
        context = nullptr;
        wakeFd = -1;
    }
};

DeviceWatcher::DeviceWatcher()
    : m_impl(new Impl)
{
}

DeviceWatcher::~DeviceWatcher()
{
    stop();
}

bool DeviceWatcher::start(Callback callback)
{
    std::lock_guard<std::mutex> guard(m_impl->lock);
    if (m_impl->thread.joinable() || !callback)
        return false;
    Impl &impl = *m_impl;
    impl.callback = std::move(callback);
    impl.wakeFd = eventfd(0, EFD_CLOEXEC | EFD_NONBLOCK);
    impl.context = udev_new();
    if (impl.context)
        impl.monitor = udev_monitor_new_from_netlink(impl.context, "udev");
    if (impl.wakeFd < 0 || !impl.monitor
        || udev_monitor_filter_add_match_subsystem_devtype(impl.monitor, "usb", "usb_device") < 0
        || udev_monitor_enable_receiving(impl.monitor) < 0) {
        impl.release();
        return false;
    }
    impl.thread = std::thread([&impl] { impl.run(); });
    return true;
}

void DeviceWatcher::stop()
{
    std::lock_guard<std::mutex> guard(m_impl->lock);
    if (!m_impl->thread.joinable())
        return;
    const std::uint64_t one = 1;
    // An eventfd write only fails when its counter would overflow.
    (void)!::write(m_impl->wakeFd, &one, sizeof(one));
    m_impl->thread.join();
    m_impl->release();
}

} // namespace platform
