#pragma once

namespace platform {

// Where a point of a frameless window lies, with the values Windows uses for
// the answers of WM_NCHITTEST, so the Win32 backend hands them on unchanged.
enum class HitArea : int {
    Client = 0,
    Caption = 2,
    Left = 10,
    Right = 11,
    Top = 12,
    TopLeft = 13,
    TopRight = 14,
    Bottom = 15,
    BottomLeft = 16,
    BottomRight = 17,
};

// Window rectangle in screen pixels; right and bottom are exclusive.
struct WindowRect {
    int left = 0;
    int top = 0;
    int right = 0;
    int bottom = 0;
};

// What the window's title-bar item says about the cursor.
enum class TitleBarAnswer {
    NoTitleBar,   // the window has no title-bar item
    Outside,      // the cursor is not over the title bar
    Drag,         // over an empty part of it, or over a child that still drags
    Child,        // over a child (a button) that takes the click itself
};

struct HitTestInput {
    WindowRect rect;
    int x = 0;              // the point, in screen pixels
    int y = 0;
    int borderWidth = 0;    // width of the resize band along each edge
    bool resizeable = false;
    int minimumWidth = 0;
    int maximumWidth = 0;
    int minimumHeight = 0;
    int maximumHeight = 0;
    TitleBarAnswer titleBar = TitleBarAnswer::NoTitleBar;
};

struct HitTestResult {
    bool handled = false;   // false: the point is ordinary client area
    HitArea area = HitArea::Client;
};

// The frameless window's hit test. The resize bands come first (a corner
// band wins over the two edges that meet there; an axis whose minimum equals
// its maximum has no band); then the title bar drags unless a child of it
// takes the click.
HitTestResult decideHitTest(const HitTestInput &input);

// The same test restricted to the resize bands: Client outside of them.
HitArea resizeBandAt(const HitTestInput &input);

} // namespace platform
