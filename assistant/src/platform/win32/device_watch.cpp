// USB arrival and removal through a hidden window on a thread of its own that
// registers for the device-interface broadcasts of four interface classes.
#include "platform/device_watch.h"

#include "win32_text.h"

#include <windows.h>
#include <dbt.h>

#include <cstdio>
#include <mutex>

namespace platform {

namespace {
const wchar_t kWindowClass[] = L"Sample Window Class";
const UINT kExitMessage = WM_USER + 1;

const GUID kInterfaceClasses[] = {
    { 0xA5DCBF10, 0x6530, 0x11D2, { 0x90, 0x1F, 0x00, 0xC0, 0x4F, 0xB9, 0x51, 0xED } }, // USB device
    { 0x53F56307, 0xB6BF, 0x11D0, { 0x94, 0xF2, 0x00, 0xA0, 0xC9, 0x1E, 0xFB, 0x8B } }, // disk
    { 0x4D1E55B2, 0xF16F, 0x11CF, { 0x88, 0xCB, 0x00, 0x11, 0x11, 0x00, 0x00, 0x30 } }, // HID
    { 0xAD498944, 0x762F, 0x11D0, { 0x8D, 0xCB, 0x00, 0xC0, 0x4F, 0xC3, 0x35, 0x8C } }, // NDIS LAN
};

} // namespace

struct DeviceWatcher::Impl {
    std::mutex lock;
    HANDLE thread = nullptr;
    DWORD threadId = 0;
    HANDLE ready = nullptr;
    bool windowCreated = false;
    Callback callback;

    static LRESULT CALLBACK windowProcedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
    {
        if (message != WM_DEVICECHANGE)
            return DefWindowProcW(window, message, wParam, lParam);
        auto *impl = reinterpret_cast<Impl *>(GetWindowLongPtrW(window, GWLP_USERDATA));
        const auto *header = reinterpret_cast<const DEV_BROADCAST_HDR *>(lParam);
        if (impl && header && (wParam == DBT_DEVICEARRIVAL || wParam == DBT_DEVICEREMOVECOMPLETE)
            && header->dbch_devicetype == DBT_DEVTYP_DEVICEINTERFACE) {
            const auto *broadcast = reinterpret_cast<const DEV_BROADCAST_DEVICEINTERFACE_W *>(header);
            DeviceEvent event;
            event.arrived = wParam == DBT_DEVICEARRIVAL;
            event.devicePath = win32::narrow(std::wstring(broadcast->dbcc_name));
            impl->callback(event);
        }
        return 0;
    }

    static DWORD WINAPI threadMain(LPVOID parameter)
    {
        auto *impl = static_cast<Impl *>(parameter);
        HINSTANCE module = GetModuleHandleW(nullptr);
        WNDCLASSW windowClass = {};
        windowClass.lpfnWndProc = windowProcedure;
        windowClass.hInstance = module;
        windowClass.lpszClassName = kWindowClass;
        // A second watcher in the same process finds the class registered.
        if (!RegisterClassW(&windowClass) && GetLastError() != ERROR_CLASS_ALREADY_EXISTS) {
            SetEvent(impl->ready);
            return 0xFFFFFFFF;
        }
        HWND window = CreateWindowExW(0, kWindowClass, L"", WS_OVERLAPPEDWINDOW, CW_USEDEFAULT, CW_USEDEFAULT,
                                      CW_USEDEFAULT, CW_USEDEFAULT, nullptr, nullptr, module, nullptr);
        if (!window) {
            SetEvent(impl->ready);
            return 0xFFFFFFFF;
        }
        SetWindowLongPtrW(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(impl));

        HDEVNOTIFY registrations[4] = {};
        for (int i = 0; i < 4; ++i) {
            DEV_BROADCAST_DEVICEINTERFACE_W filter = {};
            filter.dbcc_size = sizeof(filter);
            filter.dbcc_devicetype = DBT_DEVTYP_DEVICEINTERFACE;
            filter.dbcc_classguid = kInterfaceClasses[i];
            registrations[i] = RegisterDeviceNotificationW(window, &filter, DEVICE_NOTIFY_WINDOW_HANDLE);
        }

        // The queue exists once the window does, so the exit message of stop()
        // cannot be lost from here on.
        MSG message;
        PeekMessageW(&message, nullptr, WM_USER, WM_USER, PM_NOREMOVE);
        impl->windowCreated = true;
        SetEvent(impl->ready);

        DWORD exitCode = 0;
        BOOL result;
        while ((result = GetMessageW(&message, nullptr, 0, 0)) != 0) {
            if (result == -1)
                break;
            if (message.message == kExitMessage && message.hwnd == nullptr) {
                std::printf("worker receive the exiting Message...\n");
                std::fflush(stdout);
                break;
            }
            TranslateMessage(&message);
            DispatchMessageW(&message);
        }
        // Undone here (unlike a watcher that lives as long as the program) so
        // that a watcher can be started and stopped repeatedly.
        for (HDEVNOTIFY registration : registrations) {
            if (registration)
                UnregisterDeviceNotification(registration);
        }
        DestroyWindow(window);
        UnregisterClassW(kWindowClass, module);
        return exitCode;
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
    if (m_impl->thread || !callback)
        return false;
    m_impl->callback = std::move(callback);
    m_impl->windowCreated = false;
    m_impl->ready = CreateEventW(nullptr, TRUE, FALSE, nullptr);
    if (!m_impl->ready)
        return false;
    m_impl->thread = CreateThread(nullptr, 0, &Impl::threadMain, m_impl.get(), 0, &m_impl->threadId);
    if (!m_impl->thread) {
        CloseHandle(m_impl->ready);
        m_impl->ready = nullptr;
        return false;
    }
    HANDLE waits[2] = { m_impl->ready, m_impl->thread };
    WaitForMultipleObjects(2, waits, FALSE, INFINITE);
    CloseHandle(m_impl->ready);
    m_impl->ready = nullptr;
    if (!m_impl->windowCreated) {
        WaitForSingleObject(m_impl->thread, INFINITE);
        CloseHandle(m_impl->thread);
        m_impl->thread = nullptr;
        m_impl->threadId = 0;
        return false;
    }
    return true;
}

void DeviceWatcher::stop()
{
    std::lock_guard<std::mutex> guard(m_impl->lock);
    if (!m_impl->thread)
        return;
    PostThreadMessageW(m_impl->threadId, kExitMessage, 0, 0);
    WaitForSingleObject(m_impl->thread, INFINITE);
    CloseHandle(m_impl->thread);
    m_impl->thread = nullptr;
    m_impl->threadId = 0;
}

} // namespace platform
