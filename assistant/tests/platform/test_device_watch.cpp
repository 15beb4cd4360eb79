// The device watcher: clean start and stop, and the interface path text it
// reports. On Windows the hidden window is driven with real WM_DEVICECHANGE
// broadcasts.
#include "platform/device_watch.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <mutex>
#include <thread>
#include <vector>

#ifdef _WIN32
#include <windows.h>
#include <dbt.h>
#endif

using platform::DeviceEvent;
using platform::DeviceWatcher;

TEST(DeviceWatch, InterfacePathHasTheWindowsForm)
{
    EXPECT_EQ(platform::usbInterfacePath("5c6", "903a", "0123456789"),
              "\\\\?\\USB#VID_05C6&PID_903A#0123456789#{A5DCBF10-6530-11D2-901F-00C04FB951ED}");
    EXPECT_EQ(platform::usbInterfacePath("18D1", "4EE7", ""),
              "\\\\?\\USB#VID_18D1&PID_4EE7##{A5DCBF10-6530-11D2-901F-00C04FB951ED}");
    EXPECT_EQ(platform::usbInterfacePath("", "zz", "s"),
              "\\\\?\\USB#VID_0000&PID_0000#s#{A5DCBF10-6530-11D2-901F-00C04FB951ED}");
}

TEST(DeviceWatch, StartsAndStopsCleanlyManyTimes)
{
    DeviceWatcher watcher;
    EXPECT_FALSE(watcher.start(nullptr));
    std::atomic<int> events { 0 };
    for (int i = 0; i < 40; ++i) {
        if (!watcher.start([&](const DeviceEvent &) { ++events; }))
            GTEST_SKIP() << "no device notifications on this system";
        EXPECT_FALSE(watcher.start([](const DeviceEvent &) {}));   // already running
        watcher.stop();
        watcher.stop();   // a second stop does nothing
    }
    // Fresh watchers, some destroyed while running.
    for (int i = 0; i < 20; ++i) {
        DeviceWatcher other;
        ASSERT_TRUE(other.start([](const DeviceEvent &) {}));
        if (i % 2)
            other.stop();
    }
}

#ifdef _WIN32
namespace {
struct Recorder {
    std::mutex lock;
    std::vector<DeviceEvent> events;
    DeviceWatcher::Callback callback()
    {
        return [this](const DeviceEvent &event) {
            std::lock_guard<std::mutex> guard(lock);
            events.push_back(event);
        };
    }
};

// Sends WM_DEVICECHANGE as the system would, with a device-interface header.
void broadcast(HWND window, WPARAM code, DWORD deviceType, const std::wstring &path)
{
    std::vector<unsigned char> storage(sizeof(DEV_BROADCAST_DEVICEINTERFACE_W) + path.size() * sizeof(wchar_t));
    auto *header = reinterpret_cast<DEV_BROADCAST_DEVICEINTERFACE_W *>(storage.data());
    header->dbcc_size = static_cast<DWORD>(storage.size());
    header->dbcc_devicetype = deviceType;
    std::copy(path.begin(), path.end(), header->dbcc_name);
    header->dbcc_name[path.size()] = L'\0';
    SendMessageW(window, WM_DEVICECHANGE, code, reinterpret_cast<LPARAM>(header));
}
} // namespace

TEST(DeviceWatch, HiddenWindowReportsInterfaceArrivalAndRemoval)
{
    Recorder recorder;
    DeviceWatcher watcher;
    ASSERT_TRUE(watcher.start(recorder.callback()));
    HWND window = FindWindowW(L"Sample Window Class", L"");
    ASSERT_NE(window, nullptr);
    EXPECT_FALSE(IsWindowVisible(window));

    const std::wstring path = L"\\\\?\\USB#VID_05C6&PID_903A#0123456789#{a5dcbf10-6530-11d2-901f-00c04fb951ed}";
    broadcast(window, DBT_DEVICEARRIVAL, DBT_DEVTYP_DEVICEINTERFACE, path);
    broadcast(window, DBT_DEVICEREMOVECOMPLETE, DBT_DEVTYP_DEVICEINTERFACE, path);
    broadcast(window, DBT_DEVICEQUERYREMOVE, DBT_DEVTYP_DEVICEINTERFACE, path);   // ignored
    broadcast(window, DBT_DEVICEARRIVAL, DBT_DEVTYP_VOLUME, path);               // ignored
    broadcast(window, DBT_DEVICEARRIVAL, DBT_DEVTYP_PORT, path);                 // ignored

    std::lock_guard<std::mutex> guard(recorder.lock);
    ASSERT_EQ(recorder.events.size(), 2u);
    EXPECT_TRUE(recorder.events[0].arrived);
    EXPECT_FALSE(recorder.events[1].arrived);
    EXPECT_EQ(recorder.events[0].devicePath,
              "\\\\?\\USB#VID_05C6&PID_903A#0123456789#{a5dcbf10-6530-11d2-901f-00c04fb951ed}");
}

TEST(DeviceWatch, StopEndsTheWindowThread)
{
    Recorder recorder;
    DeviceWatcher watcher;
    ASSERT_TRUE(watcher.start(recorder.callback()));
    ASSERT_NE(FindWindowW(L"Sample Window Class", L""), nullptr);
    watcher.stop();
    EXPECT_EQ(FindWindowW(L"Sample Window Class", L""), nullptr);
}
#endif
