#pragma once

#include "platform/window_hittest.h"

#include <cstdint>

namespace platform {

// A native window: the HWND on Windows. Other systems pass their window id,
// which the functions below do not use.
using NativeWindowHandle = std::uintptr_t;

// The native messages a frameless window reacts to.
enum class FrameMessageKind {
    Other,          // anything else: default handling
    RefreshStyle,   // shown, minimised, maximised, restored: apply the style again
    Close,          // the system's close command (taskbar, Alt+F4)
    HitTest,        // the system asks where the point (x, y) lies
};

struct FrameMessage {
    FrameMessageKind kind = FrameMessageKind::Other;
    int x = 0;      // HitTest: the point in screen pixels (signed: monitors left of
    int y = 0;      // or above the primary one have negative coordinates)
};

// Reads a native window message: on Windows a MSG, elsewhere an X11 event
// (xcb_generic_event_t). Only a close request is read from X11 events.
FrameMessage readFrameMessage(const void *nativeMessage);

// True where the system asks the window for the hit test (Win32:
// WM_NCHITTEST) and then moves and resizes it itself. False where the window
// has to start a system move or resize on a mouse press.
bool systemAsksHitTest();

// The window's rectangle on the screen; false when there is none to read.
bool windowRect(NativeWindowHandle window, WindowRect &rect);

struct FrameStyleResult {
    bool styled = false;            // the window style was rewritten
    bool composition = false;       // desktop composition is on
    bool shadowPolicySet = false;   // the non-client rendering policy was set
    bool frameExtended = false;     // the frame reaches 1 px into the client area
};

// Win32: the minimise box follows `shadow` (without it the taskbar button no
// longer minimises the window); with desktop composition the non-client
// rendering policy follows it too (it gives the system shadow) and the frame
// is extended 1 px into the client area. Elsewhere nothing happens.
FrameStyleResult applyFrameStyle(NativeWindowHandle window, bool shadow);

} // namespace platform
