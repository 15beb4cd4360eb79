// The native side of the frameless window. On Windows a real window answers
// WM_NCHITTEST through readFrameMessage, windowRect and decideHitTest, the
// way the Qt window does, and gets its style from applyFrameStyle.
#include "platform/window_frame.h"

#include <gtest/gtest.h>

#ifdef _WIN32
#include <windows.h>
#else
#include <xcb/xcb.h>

#include <cstdlib>
#include <cstring>
#endif

using namespace platform;

#ifdef _WIN32

namespace {

// The test window's client layout: a 40 px title bar with one button
// (x 300..340) that takes clicks, and one ignored child (x 200..240) that drags.
struct TitleLayout {
    static TitleBarAnswer at(HWND hwnd, int screenX, int screenY)
    {
        POINT p{ screenX, screenY };
        ScreenToClient(hwnd, &p);
        RECT client{};
        GetClientRect(hwnd, &client);
        if (p.y < 0 || p.y >= 40 || p.x < 0 || p.x >= client.right)
            return TitleBarAnswer::Outside;
        if (p.x >= 300 && p.x < 340)
            return TitleBarAnswer::Child;
        return TitleBarAnswer::Drag;
    }
};

int g_closeCount = 0;
int g_refreshCount = 0;

LRESULT CALLBACK frameWindowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam)
{
    MSG msg{};
    msg.hwnd = hwnd;
    msg.message = message;
    msg.wParam = wParam;
    msg.lParam = lParam;
    const FrameMessage frame = readFrameMessage(&msg);
    switch (frame.kind) {
    case FrameMessageKind::HitTest: {
        HitTestInput in;
        if (!windowRect(reinterpret_cast<NativeWindowHandle>(hwnd), in.rect))
            return HTERROR;
        in.x = frame.x;
        in.y = frame.y;
        in.borderWidth = 6;
        in.resizeable = true;
        in.minimumWidth = 100;
        in.maximumWidth = 5000;
        in.minimumHeight = in.maximumHeight = 300;   // fixed height
        in.titleBar = TitleLayout::at(hwnd, frame.x, frame.y);
        const HitTestResult result = decideHitTest(in);
        return result.handled ? LRESULT(result.area) : HTCLIENT;
    }
    case FrameMessageKind::Close:
        ++g_closeCount;
        return 0;
    case FrameMessageKind::RefreshStyle:
        ++g_refreshCount;
        break;
    case FrameMessageKind::Other:
        break;
    }
    return DefWindowProcW(hwnd, message, wParam, lParam);
}

class RealWindow {
public:
    RealWindow(int x, int y, int width, int height)
    {
        static const wchar_t *className = [] {
            WNDCLASSW wc{};
            wc.lpfnWndProc = frameWindowProc;
            wc.hInstance = GetModuleHandleW(nullptr);
            wc.lpszClassName = L"OstrelFramelessTestWindow";
            RegisterClassW(&wc);
            return L"OstrelFramelessTestWindow";
        }();
        m_hwnd = CreateWindowExW(0, className, L"frameless", WS_POPUP | WS_MINIMIZEBOX, x, y, width, height,
                                 nullptr, nullptr, GetModuleHandleW(nullptr), nullptr);
    }
    ~RealWindow()
    {
        if (m_hwnd)
            DestroyWindow(m_hwnd);
    }
    HWND hwnd() const { return m_hwnd; }
    NativeWindowHandle handle() const { return reinterpret_cast<NativeWindowHandle>(m_hwnd); }
    LRESULT hitTest(int x, int y) const
    {
        // The point travels as two signed 16-bit words, as the system sends it.
        const LPARAM lParam = MAKELPARAM(static_cast<WORD>(static_cast<short>(x)), static_cast<WORD>(static_cast<short>(y)));
        return SendMessageW(m_hwnd, WM_NCHITTEST, 0, lParam);
    }

private:
    HWND m_hwnd = nullptr;
};

LONG styleOf(HWND hwnd)
{
    return GetWindowLongW(hwnd, GWL_STYLE);
}

} // namespace

TEST(WindowFrameWin32, HitTestOnARealWindow)
{
    RealWindow window(200, 100, 800, 300);
    ASSERT_TRUE(window.hwnd());
    WindowRect rect;
    ASSERT_TRUE(windowRect(window.handle(), rect));
    EXPECT_EQ(rect.left, 200);
    EXPECT_EQ(rect.top, 100);
    EXPECT_EQ(rect.right, 1000);
    EXPECT_EQ(rect.bottom, 400);

    EXPECT_EQ(window.hitTest(202, 250), HTLEFT);
    EXPECT_EQ(window.hitTest(997, 250), HTRIGHT);
    // Fixed height: no top or bottom band, so the corner is only left.
    EXPECT_EQ(window.hitTest(201, 101), HTLEFT);
    EXPECT_EQ(window.hitTest(600, 398), HTCLIENT);
    // Title bar: empty part and ignored child drag, the button takes the click.
    EXPECT_EQ(window.hitTest(600, 110), HTCAPTION);
    EXPECT_EQ(window.hitTest(410, 110), HTCAPTION);
    EXPECT_EQ(window.hitTest(510, 110), HTCLIENT);
    EXPECT_EQ(window.hitTest(600, 200), HTCLIENT);
}

TEST(WindowFrameWin32, HitTestLeftOfAndAbovePrimaryMonitor)
{
    RealWindow window(-1200, -500, 800, 300);
    ASSERT_TRUE(window.hwnd());
    WindowRect rect;
    ASSERT_TRUE(windowRect(window.handle(), rect));
    ASSERT_EQ(rect.left, -1200);
    EXPECT_EQ(window.hitTest(-1199, -400), HTLEFT);
    EXPECT_EQ(window.hitTest(-401, -400), HTRIGHT);
    EXPECT_EQ(window.hitTest(-800, -490), HTCAPTION);
    EXPECT_EQ(window.hitTest(-800, -300), HTCLIENT);
}

TEST(WindowFrameWin32, MinimiseBoxFollowsTheShadowSetting)
{
    RealWindow window(100, 100, 400, 300);
    ASSERT_TRUE(window.hwnd());
    ASSERT_TRUE(styleOf(window.hwnd()) & WS_MINIMIZEBOX);
    FrameStyleResult result = applyFrameStyle(window.handle(), false);
    EXPECT_TRUE(result.styled);
    EXPECT_FALSE(styleOf(window.hwnd()) & WS_MINIMIZEBOX);
    EXPECT_TRUE(styleOf(window.hwnd()) & WS_POPUP) << "the other style bits stay";
    result = applyFrameStyle(window.handle(), true);
    EXPECT_TRUE(styleOf(window.hwnd()) & WS_MINIMIZEBOX);
    // With composition on, the rendering policy and the extended frame follow.
    if (result.composition) {
        EXPECT_TRUE(result.shadowPolicySet);
        EXPECT_TRUE(result.frameExtended);
    }
    std::printf("desktop composition: %s\n", result.composition ? "on" : "off");

    EXPECT_FALSE(applyFrameStyle(0, true).styled);
}

TEST(WindowFrameWin32, SystemCommandsAndShowing)
{
    RealWindow window(100, 100, 400, 300);
    ASSERT_TRUE(window.hwnd());
    g_closeCount = 0;
    SendMessageW(window.hwnd(), WM_SYSCOMMAND, SC_CLOSE, 0);
    // The system's own low bits (set for a close from the window menu) do not hide the command.
    SendMessageW(window.hwnd(), WM_SYSCOMMAND, SC_CLOSE | 0x2, 0);
    EXPECT_EQ(g_closeCount, 2);
    EXPECT_TRUE(IsWindow(window.hwnd())) << "the close command is left to the window's owner";

    MSG msg{};
    msg.message = WM_SYSCOMMAND;
    msg.wParam = SC_MINIMIZE;
    EXPECT_EQ(readFrameMessage(&msg).kind, FrameMessageKind::RefreshStyle);
    msg.message = WM_SHOWWINDOW;
    msg.wParam = TRUE;
    EXPECT_EQ(readFrameMessage(&msg).kind, FrameMessageKind::RefreshStyle);
    msg.message = WM_MOUSEMOVE;
    EXPECT_EQ(readFrameMessage(&msg).kind, FrameMessageKind::Other);
    EXPECT_EQ(readFrameMessage(nullptr).kind, FrameMessageKind::Other);
    EXPECT_TRUE(systemAsksHitTest());
}

#else

TEST(WindowFramePosix, TheWindowMovesItself)
{
    // No hit-test messages: the Qt window starts moves and resizes itself.
    EXPECT_FALSE(systemAsksHitTest());
    WindowRect rect;
    EXPECT_FALSE(windowRect(42, rect));
    const FrameStyleResult result = applyFrameStyle(42, true);
    EXPECT_FALSE(result.styled);
    EXPECT_FALSE(result.composition);
}

// The window manager's close request arrives as a WM_PROTOCOLS client message;
// only WM_DELETE_WINDOW in it is a close, the other protocols (focus, ping) and
// other events are not. Needs an X server (ctest runs it under Xvfb).
TEST(WindowFramePosix, X11CloseRequestIsClose)
{
    xcb_connection_t *connection = xcb_connect(nullptr, nullptr);
    if (xcb_connection_has_error(connection)) {
        xcb_disconnect(connection);
        GTEST_SKIP() << "no X server";
    }
    auto atom = [connection](const char *name) {
        const auto cookie = xcb_intern_atom(connection, 0, static_cast<uint16_t>(strlen(name)), name);
        xcb_intern_atom_reply_t *reply = xcb_intern_atom_reply(connection, cookie, nullptr);
        const uint32_t value = reply ? reply->atom : 0;
        free(reply);
        return value;
    };
    xcb_client_message_event_t message {};
    message.response_type = XCB_CLIENT_MESSAGE;
    message.format = 32;
    message.type = atom("WM_PROTOCOLS");
    message.data.data32[0] = atom("WM_DELETE_WINDOW");
    EXPECT_EQ(readFrameMessage(&message).kind, FrameMessageKind::Close);
    // Sent by another client (the high bit of the type marks it): still a close.
    message.response_type = XCB_CLIENT_MESSAGE | 0x80;
    EXPECT_EQ(readFrameMessage(&message).kind, FrameMessageKind::Close);
    message.data.data32[0] = atom("WM_TAKE_FOCUS");
    EXPECT_EQ(readFrameMessage(&message).kind, FrameMessageKind::Other);
    message.data.data32[0] = atom("_NET_WM_PING");
    EXPECT_EQ(readFrameMessage(&message).kind, FrameMessageKind::Other);
    message.data.data32[0] = atom("WM_DELETE_WINDOW");
    message.format = 8;
    EXPECT_EQ(readFrameMessage(&message).kind, FrameMessageKind::Other);
    xcb_expose_event_t expose {};
    expose.response_type = XCB_EXPOSE;
    EXPECT_EQ(readFrameMessage(&expose).kind, FrameMessageKind::Other);
    EXPECT_EQ(readFrameMessage(nullptr).kind, FrameMessageKind::Other);
    xcb_disconnect(connection);
}

#endif
