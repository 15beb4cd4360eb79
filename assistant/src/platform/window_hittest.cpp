#include "platform/window_hittest.h"

namespace platform {

HitArea resizeBandAt(const HitTestInput &in)
{
    HitArea area = HitArea::Client;
    if (!in.resizeable)
        return area;
    const int bw = in.borderWidth;
    const WindowRect &r = in.rect;
    const bool horizontal = in.minimumWidth != in.maximumWidth;
    const bool vertical = in.minimumHeight != in.maximumHeight;
    const bool left = r.left <= in.x && in.x < r.left + bw;
    const bool right = r.right - bw <= in.x && in.x < r.right;
    const bool top = r.top <= in.y && in.y < r.top + bw;
    const bool bottom = r.bottom - bw <= in.y && in.y < r.bottom;

    // Later assignments replace earlier ones: corners beat edges, and on a
    // window narrower than two bands right beats left, top beats bottom.
    if (horizontal) {
        if (left)
            area = HitArea::Left;
        if (right)
            area = HitArea::Right;
    }
    if (vertical) {
        if (bottom)
            area = HitArea::Bottom;
        if (top)
            area = HitArea::Top;
    }
    if (horizontal && vertical) {
        if (left && bottom)
            area = HitArea::BottomLeft;
        if (right && bottom)
            area = HitArea::BottomRight;
        if (left && top)
            area = HitArea::TopLeft;
        if (right && top)
            area = HitArea::TopRight;
    }
    return area;
}

HitTestResult decideHitTest(const HitTestInput &input)
{
    HitTestResult result;
    result.area = resizeBandAt(input);
    if (result.area != HitArea::Client) {
        result.handled = true;
        return result;
    }
    if (input.titleBar == TitleBarAnswer::Drag) {
        result.area = HitArea::Caption;
        result.handled = true;
    }
    return result;
}

} // namespace platform
