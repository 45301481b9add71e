// The 16:9 sizing rule applied while the player drags a window border.

#include <SDL.h>
#include <gtest/gtest.h>

#include <cstdlib>

#include "app/WindowEvents.h"
#include "platform/SdlWindow.h"

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

// A corner drag on the real window keeps the corner opposite the dragged one:
// the window's message names the corner from how its position moved with its
// size, and the rule shortens the side that is too long from that corner.
TEST(SizingRule, ACornerDragOfTheRealWindowKeepsTheOppositeCorner) {
    setenv("SDL_VIDEODRIVER", "offscreen", 1);
    struct Case {
        const char* corner;
        Rect dragged;  // the player's drag of the window at (200, 100, 1480, 820)
        Rect fitted;
    };
    const Case cases[] = {
        // To a client of 800 x 600, too narrow: the dragged side gives way.
        {"top left", {680, 220, 1480, 820}, {414, 220, 1480, 820}},
        {"top right", {200, 220, 1000, 820}, {200, 220, 1266, 820}},
        {"bottom left", {680, 100, 1480, 700}, {414, 100, 1480, 700}},
        {"bottom right", {200, 100, 1000, 700}, {200, 100, 1266, 700}},
        // To 1600 x 600, too wide: the dragged top or bottom gives way.
        {"top left", {-120, 220, 1480, 820}, {-120, -80, 1480, 820}},
        {"top right", {200, 220, 1800, 820}, {200, -80, 1800, 820}},
        {"bottom left", {-120, 100, 1480, 700}, {-120, 100, 1480, 1000}},
        {"bottom right", {200, 100, 1800, 700}, {200, 100, 1800, 1000}},
    };
    platform::SdlWindow window;
    ASSERT_TRUE(window.Create("Tessary", 1280, 720));
    for (const Case& c : cases) {
        window.SetBounds({200, 100, 1480, 820});
        window.PumpEvents();
        platform::Message m;
        while (window.TakeMessage(&m)) {
        }
        // The drag as a window manager makes it: a new origin and a new size.
        SDL_SetWindowPosition(window.Handle(), c.dragged.left, c.dragged.top);
        SDL_SetWindowSize(window.Handle(), c.dragged.right - c.dragged.left,
                          c.dragged.bottom - c.dragged.top);
        window.PumpEvents();
        ASSERT_TRUE(window.TakeMessage(&m)) << c.corner;
        ASSERT_EQ(m.id, platform::MessageId::kSizing) << c.corner;
        EXPECT_EQ(m.rect, c.dragged) << c.corner;
        const Rect out = ApplySizingRule(m.wParam, m.rect, 0, 0, 0);
        EXPECT_EQ(out, c.fitted) << c.corner << " gave " << out.left << "," << out.top << ","
                                 << out.right << "," << out.bottom;
    }
}

}  // namespace
