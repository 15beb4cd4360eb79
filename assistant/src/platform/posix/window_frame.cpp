#include "platform/window_frame.h"

#include <xcb/xcb.h>

#include <cstdlib>
#include <cstring>

namespace platform {

namespace {

// The server's atom for WM_DELETE_WINDOW, asked for once over a connection of
// our own (atoms are the same for every client of a display); 0 without X11.
std::uint32_t deleteWindowAtom()
{
    static const std::uint32_t atom = [] {
        std::uint32_t value = 0;
        xcb_connection_t *connection = xcb_connect(nullptr, nullptr);
        if (!xcb_connection_has_error(connection)) {
            static const char name[] = "WM_DELETE_WINDOW";
            const xcb_intern_atom_cookie_t cookie
                = xcb_intern_atom(connection, 1, static_cast<std::uint16_t>(std::strlen(name)), name);
            if (xcb_intern_atom_reply_t *reply = xcb_intern_atom_reply(connection, cookie, nullptr)) {
                value = reply->atom;
                std::free(reply);
            }
        }
        xcb_disconnect(connection);
        return value;
    }();
    return atom;
}

} // namespace

// X11: the window manager's close request is a WM_PROTOCOLS client message
// carrying WM_DELETE_WINDOW; it becomes Close, like the system close command
// on Windows. X11 and Wayland have no hit-test message and no window shadow
// attribute: the window starts system moves and resizes itself
// (systemAsksHitTest()).

FrameMessage readFrameMessage(const void *nativeMessage)
{
    FrameMessage frame;
    const auto *event = static_cast<const xcb_generic_event_t *>(nativeMessage);
    if (event == nullptr || (event->response_type & 0x7f) != XCB_CLIENT_MESSAGE)
        return frame;
    const auto *message = static_cast<const xcb_client_message_event_t *>(nativeMessage);
    if (message->format != 32)
        return frame;
    const std::uint32_t atom = deleteWindowAtom();
    if (atom != 0 && message->data.data32[0] == atom)
        frame.kind = FrameMessageKind::Close;
    return frame;
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
