// The frameless window's hit test: resize bands, their order, the title bar.
#include "platform/window_hittest.h"

#include <gtest/gtest.h>

using platform::decideHitTest;
using platform::HitArea;
using platform::HitTestInput;
using platform::TitleBarAnswer;

namespace {

// A 1000 x 600 window at (100, 50) with an 8 px band, resizable both ways.
HitTestInput resizable(int x, int y)
{
    HitTestInput in;
    in.rect = { 100, 50, 1100, 650 };
    in.x = x;
    in.y = y;
    in.borderWidth = 8;
    in.resizeable = true;
    in.minimumWidth = 400;
    in.maximumWidth = 4000;
    in.minimumHeight = 300;
    in.maximumHeight = 3000;
    return in;
}

HitArea areaAt(const HitTestInput &in)
{
    const auto result = decideHitTest(in);
    EXPECT_EQ(result.handled, result.area != HitArea::Client);
    return result.area;
}

} // namespace

TEST(WindowHitTest, EveryBandAndCorner)
{
    EXPECT_EQ(areaAt(resizable(100, 300)), HitArea::Left);
    EXPECT_EQ(areaAt(resizable(1099, 300)), HitArea::Right);
    EXPECT_EQ(areaAt(resizable(500, 50)), HitArea::Top);
    EXPECT_EQ(areaAt(resizable(500, 649)), HitArea::Bottom);
    EXPECT_EQ(areaAt(resizable(100, 50)), HitArea::TopLeft);
    EXPECT_EQ(areaAt(resizable(1099, 50)), HitArea::TopRight);
    EXPECT_EQ(areaAt(resizable(100, 649)), HitArea::BottomLeft);
    EXPECT_EQ(areaAt(resizable(1099, 649)), HitArea::BottomRight);
    EXPECT_EQ(areaAt(resizable(500, 300)), HitArea::Client);
}

TEST(WindowHitTest, BandEdgesAreHalfOpen)
{
    EXPECT_EQ(areaAt(resizable(107, 300)), HitArea::Left);
    EXPECT_EQ(areaAt(resizable(108, 300)), HitArea::Client);
    EXPECT_EQ(areaAt(resizable(1092, 300)), HitArea::Right);
    EXPECT_EQ(areaAt(resizable(1091, 300)), HitArea::Client);
    // The right and bottom edges of the rectangle are outside the window.
    EXPECT_EQ(areaAt(resizable(1100, 300)), HitArea::Client);
    EXPECT_EQ(areaAt(resizable(500, 650)), HitArea::Client);
    EXPECT_EQ(areaAt(resizable(99, 300)), HitArea::Client);
    EXPECT_EQ(areaAt(resizable(500, 57)), HitArea::Top);
    EXPECT_EQ(areaAt(resizable(500, 58)), HitArea::Client);
}

TEST(WindowHitTest, NoBandWithoutWidthOrWithoutResizing)
{
    auto in = resizable(100, 50);
    in.borderWidth = 0;
    EXPECT_EQ(areaAt(in), HitArea::Client);
    in = resizable(100, 50);
    in.resizeable = false;
    EXPECT_EQ(areaAt(in), HitArea::Client);
    in.titleBar = TitleBarAnswer::Drag;
    EXPECT_EQ(areaAt(in), HitArea::Caption) << "a fixed window still drags by its title bar";
}

TEST(WindowHitTest, FixedAxisHasNoBand)
{
    // Fixed width: only the vertical codes remain, corners included.
    auto in = resizable(100, 300);
    in.minimumWidth = in.maximumWidth = 1000;
    EXPECT_EQ(areaAt(in), HitArea::Client);
    in.x = 1099;
    EXPECT_EQ(areaAt(in), HitArea::Client);
    in.x = 100;
    in.y = 50;
    EXPECT_EQ(areaAt(in), HitArea::Top);
    in.y = 649;
    EXPECT_EQ(areaAt(in), HitArea::Bottom);

    // Fixed height: only left and right.
    in = resizable(100, 50);
    in.minimumHeight = in.maximumHeight = 600;
    EXPECT_EQ(areaAt(in), HitArea::Left);
    in.x = 500;
    EXPECT_EQ(areaAt(in), HitArea::Client);

    // Both fixed: no band at all.
    in = resizable(100, 50);
    in.minimumWidth = in.maximumWidth = 1000;
    in.minimumHeight = in.maximumHeight = 600;
    EXPECT_EQ(areaAt(in), HitArea::Client);
}

TEST(WindowHitTest, LaterAssignmentsWinOnANarrowWindow)
{
    // 10 px wide and high with 8 px bands: every point lies in both opposite
    // bands; right replaces left, top replaces bottom.
    HitTestInput in = resizable(0, 0);
    in.rect = { 0, 0, 10, 10 };
    in.minimumWidth = in.minimumHeight = 1;
    in.x = 5;
    in.y = 5;
    EXPECT_EQ(areaAt(in), HitArea::TopRight);
    in.minimumHeight = in.maximumHeight;
    EXPECT_EQ(areaAt(in), HitArea::Right);
    in = resizable(0, 0);
    in.rect = { 0, 0, 10, 10 };
    in.x = in.y = 5;
    in.minimumWidth = in.maximumWidth;
    EXPECT_EQ(areaAt(in), HitArea::Top);
}

TEST(WindowHitTest, NegativeScreenCoordinates)
{
    // A window on a monitor left of and above the primary one.
    HitTestInput in = resizable(0, 0);
    in.rect = { -1500, -900, -500, -300 };
    in.x = -1500;
    in.y = -900;
    EXPECT_EQ(areaAt(in), HitArea::TopLeft);
    in.x = -501;
    in.y = -301;
    EXPECT_EQ(areaAt(in), HitArea::BottomRight);
    in.x = -1000;
    in.y = -600;
    EXPECT_EQ(areaAt(in), HitArea::Client);
}

TEST(WindowHitTest, TitleBarAnswers)
{
    auto in = resizable(500, 80);
    in.titleBar = TitleBarAnswer::Drag;
    EXPECT_EQ(areaAt(in), HitArea::Caption);
    in.titleBar = TitleBarAnswer::Child;
    EXPECT_EQ(areaAt(in), HitArea::Client) << "a button in the title bar takes the click";
    in.titleBar = TitleBarAnswer::Outside;
    EXPECT_EQ(areaAt(in), HitArea::Client);
    in.titleBar = TitleBarAnswer::NoTitleBar;
    EXPECT_EQ(areaAt(in), HitArea::Client);

    // The resize band comes before the title bar.
    in = resizable(500, 52);
    in.titleBar = TitleBarAnswer::Drag;
    EXPECT_EQ(areaAt(in), HitArea::Top);
}
