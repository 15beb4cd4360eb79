#include "platform/window_frame.h"

namespace platform {

// X11 and Wayland have no hit-test message and no window shadow attribute:
// the window starts system moves and resizes itself (systemAsksHitTest()).

FrameMessage readFrameMessage(const void *)
{
    return {};
}

bool systemAsksHitTest()
{
    return false;
}

bool windowRect(NativeWindowHandle, WindowRect &)
{
    return false;
}

FrameStyleResult applyFrameStyle(NativeWindowHandle, bool)
{
    return {};
}

} // namespace platform
