#include "platform/window_frame.h"

#include <windows.h>

namespace platform {

namespace {

constexpr DWORD kNcRenderingPolicy = 2;   // DWMWA_NCRENDERING_POLICY
constexpr DWORD kNcRenderingDisabled = 1; // DWMNCRP_DISABLED
constexpr DWORD kNcRenderingEnabled = 2;  // DWMNCRP_ENABLED

struct Margins {                          // MARGINS of uxtheme.h
    int left;
    int right;
    int top;
    int bottom;
};

// dwmapi.dll is loaded on first use: systems without it (or without
// composition) keep a plain frameless window.
struct DwmFunctions {
    using IsCompositionEnabled = HRESULT(WINAPI *)(BOOL *);
    using SetWindowAttribute = HRESULT(WINAPI *)(HWND, DWORD, LPCVOID, DWORD);
    using ExtendFrameIntoClientArea = HRESULT(WINAPI *)(HWND, const Margins *);

    IsCompositionEnabled isCompositionEnabled = nullptr;
    SetWindowAttribute setWindowAttribute = nullptr;
    ExtendFrameIntoClientArea extendFrame = nullptr;

    DwmFunctions()
    {
        HMODULE dwm = LoadLibraryW(L"dwmapi.dll");
        if (!dwm)
            return;
        isCompositionEnabled = reinterpret_cast<IsCompositionEnabled>(
            reinterpret_cast<void *>(GetProcAddress(dwm, "DwmIsCompositionEnabled")));
        setWindowAttribute = reinterpret_cast<SetWindowAttribute>(
            reinterpret_cast<void *>(GetProcAddress(dwm, "DwmSetWindowAttribute")));
        extendFrame = reinterpret_cast<ExtendFrameIntoClientArea>(
            reinterpret_cast<void *>(GetProcAddress(dwm, "DwmExtendFrameIntoClientArea")));
    }
};

const DwmFunctions &dwm()
{
    static const DwmFunctions functions;
    return functions;
}

} // namespace

FrameMessage readFrameMessage(const void *nativeMessage)
{
    FrameMessage frame;
    const auto *msg = static_cast<const MSG *>(nativeMessage);
    if (!msg)
        return frame;
    switch (msg->message) {
    case WM_SHOWWINDOW:
        frame.kind = FrameMessageKind::RefreshStyle;
        break;
    case WM_SYSCOMMAND:
        // The four low bits of the command are the system's own.
        frame.kind = (msg->wParam & 0xFFF0) == SC_CLOSE ? FrameMessageKind::Close : FrameMessageKind::RefreshStyle;
        break;
    case WM_NCHITTEST:
        frame.kind = FrameMessageKind::HitTest;
        frame.x = static_cast<short>(LOWORD(msg->lParam));
        frame.y = static_cast<short>(HIWORD(msg->lParam));
        break;
    default:
        break;
    }
    return frame;
}

bool systemAsksHitTest()
{
    return true;
}

bool windowRect(NativeWindowHandle window, WindowRect &rect)
{
    RECT r{};
    if (!window || !GetWindowRect(reinterpret_cast<HWND>(window), &r))
        return false;
    rect = { r.left, r.top, r.right, r.bottom };
    return true;
}

FrameStyleResult applyFrameStyle(NativeWindowHandle window, bool shadow)
{
    FrameStyleResult result;
    const HWND hwnd = reinterpret_cast<HWND>(window);
    if (!hwnd || !IsWindow(hwnd))
        return result;
    LONG style = GetWindowLongW(hwnd, GWL_STYLE);
    style = shadow ? (style | WS_MINIMIZEBOX) : (style & ~LONG(WS_MINIMIZEBOX));
    SetLastError(0);
    result.styled = SetWindowLongW(hwnd, GWL_STYLE, style) != 0 || GetLastError() == 0;

    const DwmFunctions &f = dwm();
    BOOL enabled = FALSE;
    if (!f.isCompositionEnabled || FAILED(f.isCompositionEnabled(&enabled)) || !enabled)
        return result;
    result.composition = true;
    if (f.setWindowAttribute) {
        const DWORD policy = shadow ? kNcRenderingEnabled : kNcRenderingDisabled;
        result.shadowPolicySet = SUCCEEDED(f.setWindowAttribute(hwnd, kNcRenderingPolicy, &policy, sizeof policy));
    }
    if (f.extendFrame) {
        const Margins margins{ 1, 1, 1, 1 };
        result.frameExtended = SUCCEEDED(f.extendFrame(hwnd, &margins));
    }
    return result;
}

} // namespace platform
