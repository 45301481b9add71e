// The 16:9 sizing rule applied while the player drags a window border.

#include <gtest/gtest.h>

#include "app/WindowEvents.h"

namespace {

using platform::Rect;

// Windows-like frame metrics, so the frame terms of the rule are exercised:
// 4 x 4 = 16 pixels of frame across, 23 + 16 = 39 down.
constexpr int32_t kFrame = 4;
constexpr int32_t kCaption = 23;
constexpr int32_t kAcross = 16;
constexpr int32_t kDown = 39;

Rect Sized(int32_t edge, Rect r) {
    return ApplySizingRule(edge, r, kFrame, kFrame, kCaption);
}

TEST(SizingRule, SideEdgesFitTheOtherDimension) {
    // A 1280-wide client dragged sideways gets a 720-high client.
    const Rect r{100, 50, 100 + 1280 + kAcross, 50 + 300};
    for (int32_t edge : {platform::kEdgeLeft, platform::kEdgeRight}) {
        const Rect out = Sized(edge, r);
        EXPECT_EQ(out.bottom, 50 + 720 + kDown) << "edge " << edge;
        EXPECT_EQ(out.left, r.left);
        EXPECT_EQ(out.right, r.right);
        EXPECT_EQ(out.top, r.top);
    }
    // A 720-high client dragged up or down gets a 1280-wide client.
    const Rect tall{0, 0, 500, 720 + kDown};
    for (int32_t edge : {platform::kEdgeTop, platform::kEdgeBottom}) {
        const Rect out = Sized(edge, tall);
        EXPECT_EQ(out.right, 1280 + kAcross) << "edge " << edge;
        EXPECT_EQ(out.bottom, tall.bottom);
    }
}

TEST(SizingRule, SizesTruncateTowardZero) {
    // 1000 * 0.5625 = 562.5 and 500 * 16/9 = 888.9: both cut, never rounded.
    EXPECT_EQ(Sized(platform::kEdgeRight, {0, 0, 1000 + kAcross, 10}).bottom, 562 + kDown);
    EXPECT_EQ(Sized(platform::kEdgeBottom, {0, 0, 10, 500 + kDown}).right, 888 + kAcross);
}

TEST(SizingRule, CornersShortenTheSideThatIsTooLong) {
    const Rect wide{200, 100, 200 + 1600 + kAcross, 100 + 600 + kDown};   // client 1600 x 600
    const Rect narrow{200, 100, 200 + 800 + kAcross, 100 + 600 + kDown};  // client 800 x 600
    const int32_t wideHeight = 900 + kDown;                               // fits 1600
    const int32_t narrowWidth = 1066 + kAcross;                           // fits 600

    // Dragging a bottom corner of a too-wide client keeps the width, moves the bottom.
    Rect out = Sized(platform::kEdgeBottomRight, wide);
    EXPECT_EQ(out, (Rect{wide.left, wide.top, wide.right, wide.top + wideHeight}));
    out = Sized(platform::kEdgeBottomLeft, wide);
    EXPECT_EQ(out, (Rect{wide.left, wide.top, wide.right, wide.top + wideHeight}));
    // A top corner moves the top and keeps the bottom where it is.
    out = Sized(platform::kEdgeTopLeft, wide);
    EXPECT_EQ(out, (Rect{wide.left, wide.bottom - wideHeight, wide.right, wide.bottom}));
    out = Sized(platform::kEdgeTopRight, wide);
    EXPECT_EQ(out, (Rect{wide.left, wide.bottom - wideHeight, wide.right, wide.bottom}));

    // A too-narrow client keeps its height; the side edge away from the corner stays.
    out = Sized(platform::kEdgeBottomRight, narrow);
    EXPECT_EQ(out, (Rect{narrow.left, narrow.top, narrow.left + narrowWidth, narrow.bottom}));
    out = Sized(platform::kEdgeTopRight, narrow);
    EXPECT_EQ(out, (Rect{narrow.left, narrow.top, narrow.left + narrowWidth, narrow.bottom}));
    out = Sized(platform::kEdgeBottomLeft, narrow);
    EXPECT_EQ(out, (Rect{narrow.right - narrowWidth, narrow.top, narrow.right, narrow.bottom}));
    out = Sized(platform::kEdgeTopLeft, narrow);
    EXPECT_EQ(out, (Rect{narrow.right - narrowWidth, narrow.top, narrow.right, narrow.bottom}));
}

TEST(SizingRule, ExactSixteenByNineCountsAsWide) {
    const Rect r{0, 0, 1280 + kAcross, 720 + kDown};
    EXPECT_EQ(Sized(platform::kEdgeBottomRight, r), r);
    EXPECT_EQ(Sized(platform::kEdgeTopLeft, r), r);
}

TEST(SizingRule, DegenerateRectanglesAreSafe) {
    // No client area at all: the undefined ratio counts as wide.
    const Rect empty{10, 20, 10 + kAcross, 20 + kDown};
    EXPECT_EQ(Sized(platform::kEdgeBottomRight, empty).bottom, 20 + kDown);
    // Smaller than its own frame: the client sizes wrap to huge unsigned values;
    // the result is defined (no overflow trap) and only the edge's side moves.
    const Rect tiny{0, 0, 2, 2};
    const Rect out = Sized(platform::kEdgeRight, tiny);
    EXPECT_EQ(out.left, 0);
    EXPECT_EQ(out.right, 2);
    EXPECT_EQ(out.top, 0);
    // Unknown edges change nothing, and zero metrics work as well.
    EXPECT_EQ(Sized(0, tiny), tiny);
    EXPECT_EQ(Sized(9, tiny), tiny);
    EXPECT_EQ(ApplySizingRule(platform::kEdgeRight, {0, 0, 1280, 1}, 0, 0, 0).bottom, 720);
}

}  // namespace
