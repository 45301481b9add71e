// The SDL window on the offscreen video driver: SDL events pushed by hand must
// come out as exactly the game's window events, in order, with nothing left in
// SDL's own queue; sizes the program sets must never look like the player's.
// And the arithmetic that fits the 16:9 picture and the first window.

#include <SDL.h>
#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "platform/PictureFit.h"
#include "platform/SdlWindow.h"

namespace {

using platform::Edge;
using platform::Rect;
using Event = platform::WindowEvent;
using Kind = platform::WindowEvent::Kind;

class SdlWindowTest : public ::testing::Test {
protected:
    void SetUp() override {
        setenv("SDL_VIDEODRIVER", "offscreen", 1);
        ASSERT_TRUE(window.Create("Tessary", 1280, 720));
        window.PumpEvents();
        Drain();  // whatever creating the window reported
        window.ClearPressed();
    }

    std::vector<Event> Drain() {
        std::vector<Event> out;
        Event m;
        while (window.TakeEvent(&m))
            out.push_back(m);
        return out;
    }

    void Key(SDL_Keycode sym, SDL_Scancode scancode, Uint16 mod = KMOD_NONE, bool repeat = false,
             Uint32 type = SDL_KEYDOWN) {
        SDL_Event e{};
        e.type = type;
        e.key.windowID = Id();
        e.key.state = type == SDL_KEYDOWN ? SDL_PRESSED : SDL_RELEASED;
        e.key.repeat = repeat ? 1 : 0;
        e.key.keysym.sym = sym;
        e.key.keysym.scancode = scancode;
        e.key.keysym.mod = mod;
        SDL_PushEvent(&e);
    }

    void WindowEvent(Uint8 what, int data1 = 0, int data2 = 0, Uint32 windowId = 0) {
        SDL_Event e{};
        e.type = SDL_WINDOWEVENT;
        e.window.windowID = windowId != 0 ? windowId : Id();
        e.window.event = what;
        e.window.data1 = data1;
        e.window.data2 = data2;
        SDL_PushEvent(&e);
    }

    Uint32 Id() { return SDL_GetWindowID(window.Handle()); }

    Rect At(int width, int height) {
        int x = 0;
        int y = 0;
        SDL_GetWindowPosition(window.Handle(), &x, &y);
        return Rect{x, y, x + width, y + height};
    }

    static int SdlQueueLength() {
        return SDL_PeepEvents(nullptr, 0, SDL_PEEKEVENT, SDL_FIRSTEVENT, SDL_LASTEVENT);
    }

    platform::SdlWindow window;
};

void ExpectEvents(const std::vector<Event>& got, const std::vector<Event>& want) {
    ASSERT_EQ(got.size(), want.size());
    for (size_t i = 0; i < got.size(); ++i) {
        EXPECT_TRUE(got[i] == want[i])
            << "event " << i << ": kind " << int(got[i].kind) << " edge " << int(got[i].edge)
            << " rect " << got[i].rect.left << "," << got[i].rect.top << "," << got[i].rect.right
            << "," << got[i].rect.bottom;
    }
}

TEST_F(SdlWindowTest, EventsBecomeTheGamesEventsInOrder) {
    Key(SDLK_ESCAPE, SDL_SCANCODE_ESCAPE);
    Key(SDLK_ESCAPE, SDL_SCANCODE_ESCAPE, KMOD_NONE, false, SDL_KEYUP);
    Key(SDLK_RETURN, SDL_SCANCODE_RETURN, KMOD_LALT);
    Key(SDLK_KP_ENTER, SDL_SCANCODE_KP_ENTER, KMOD_RALT);
    Key(SDLK_z, SDL_SCANCODE_Z);                           // input only
    SDL_Event text{};
    text.type = SDL_TEXTINPUT;
    std::strcpy(text.text.text, "z");
    SDL_PushEvent(&text);
    SDL_Event click{};
    click.type = SDL_MOUSEBUTTONDOWN;
    click.button.button = SDL_BUTTON_LEFT;
    SDL_PushEvent(&click);
    WindowEvent(SDL_WINDOWEVENT_FOCUS_LOST);
    WindowEvent(SDL_WINDOWEVENT_FOCUS_LOST, 0, 0, Id() + 100);  // not our window
    WindowEvent(SDL_WINDOWEVENT_FOCUS_GAINED);
    WindowEvent(SDL_WINDOWEVENT_EXPOSED);
    WindowEvent(SDL_WINDOWEVENT_EXPOSED);  // a burst is one event
    WindowEvent(SDL_WINDOWEVENT_CLOSE);
    SDL_Event quit{};
    quit.type = SDL_QUIT;
    SDL_PushEvent(&quit);

    window.PumpEvents();
    EXPECT_EQ(SdlQueueLength(), 0);
    ExpectEvents(Drain(), {{Kind::kEscapePressed},
                           {Kind::kFullScreenAsked},
                           {Kind::kFullScreenAsked},
                           {Kind::kFocusLost},
                           {Kind::kFocusGained},
                           {Kind::kExposed},
                           {Kind::kCloseAsked},
                           {Kind::kCloseAsked}});

    // Every key that went down is seen by the next poll, messages or not.
    EXPECT_TRUE(window.WasPressed(SDL_SCANCODE_Z));
    EXPECT_TRUE(window.WasPressed(SDL_SCANCODE_ESCAPE));
    EXPECT_TRUE(window.WasPressed(SDL_SCANCODE_KP_ENTER));
    EXPECT_FALSE(window.WasPressed(SDL_SCANCODE_X));
    EXPECT_FALSE(window.WasPressed(-1));
    EXPECT_FALSE(window.WasPressed(platform::SdlWindow::kScancodeCount));
    window.ClearPressed();
    EXPECT_FALSE(window.WasPressed(SDL_SCANCODE_Z));
}

TEST_F(SdlWindowTest, AcceleratorsTakeOnlyTheirOwnModifiersAndNoRepeats) {
    struct Case {
        SDL_Keycode sym;
        Uint16 mod;
        bool repeat;
        Kind kind;  // kWindowGone: none
    };
    constexpr Kind kClose = Kind::kEscapePressed;
    constexpr Kind kSwitch = Kind::kFullScreenAsked;
    constexpr Kind kNone = Kind::kWindowGone;
    const Case cases[] = {
        {SDLK_ESCAPE, KMOD_NONE, false, kClose},
        {SDLK_ESCAPE, KMOD_CAPS | KMOD_NUM, false, kClose},
        {SDLK_ESCAPE, KMOD_NONE, true, kNone},
        {SDLK_ESCAPE, KMOD_LSHIFT, false, kNone},
        {SDLK_ESCAPE, KMOD_RCTRL, false, kNone},
        {SDLK_ESCAPE, KMOD_LALT, false, kNone},
        {SDLK_RETURN, KMOD_NONE, false, kNone},
        {SDLK_RETURN, KMOD_LALT, false, kSwitch},
        {SDLK_RETURN, KMOD_RALT | KMOD_NUM, false, kSwitch},
        {SDLK_KP_ENTER, KMOD_LALT, false, kSwitch},
        {SDLK_RETURN, KMOD_LALT, true, kNone},
        {SDLK_RETURN, KMOD_LALT | KMOD_LSHIFT, false, kNone},
        {SDLK_RETURN, KMOD_RALT | KMOD_LCTRL, false, kNone},
        {SDLK_KP_ENTER, KMOD_LALT | KMOD_RSHIFT, false, kNone},
    };
    for (const Case& c : cases) {
        Key(c.sym, SDL_GetScancodeFromKey(c.sym), c.mod, c.repeat);
        window.PumpEvents();
        const std::vector<Event> got = Drain();
        const std::string what = std::string(SDL_GetKeyName(c.sym)) + " mod " +
                                 std::to_string(c.mod) + (c.repeat ? " repeat" : "");
        if (c.kind == kNone) {
            EXPECT_TRUE(got.empty()) << what;
        } else {
            ASSERT_EQ(got.size(), 1u) << what;
            EXPECT_EQ(got[0].kind, c.kind) << what;
        }
    }
}

TEST_F(SdlWindowTest, TheQueueKeepsOrderAcrossTheWrapAndDropsWhatDoesNotFit) {
    const int capacity = platform::SdlWindow::kQueueCapacity;
    auto post = [&](int from, int count) {
        for (int i = from; i < from + count; ++i)
            window.PostEvent({Kind::kFocusGained, Edge::kNone, {i, 0, 0, 0}});
    };
    auto take = [&](int count) {
        std::vector<int32_t> ids;
        Event m;
        for (int i = 0; i < count && window.TakeEvent(&m); ++i)
            ids.push_back(m.rect.left);
        return ids;
    };
    auto range = [](int from, int count) {
        std::vector<int32_t> ids;
        for (int i = from; i < from + count; ++i)
            ids.push_back(i);
        return ids;
    };

    post(0, 200);
    EXPECT_EQ(take(150), range(0, 150));
    post(1000, capacity - 50);  // the ring wraps and is exactly full
    post(5000, 3);              // no room: dropped
    const std::vector<int32_t> rest = take(capacity + 10);
    std::vector<int32_t> want = range(150, 50);
    const std::vector<int32_t> wrapped = range(1000, capacity - 50);
    want.insert(want.end(), wrapped.begin(), wrapped.end());
    EXPECT_EQ(rest, want);
    Event m;
    EXPECT_FALSE(window.TakeEvent(&m));
}

TEST_F(SdlWindowTest, APlayersResizeNamesTheEdgeThatMoved) {
    auto dragged = [](Edge edge, Rect r) { return Event{Kind::kSizeDragged, edge, r}; };
    WindowEvent(SDL_WINDOWEVENT_SIZE_CHANGED, 1400, 720);
    window.PumpEvents();
    ExpectEvents(Drain(), {dragged(Edge::kRight, At(1400, 720))});

    WindowEvent(SDL_WINDOWEVENT_SIZE_CHANGED, 1400, 800);
    window.PumpEvents();
    ExpectEvents(Drain(), {dragged(Edge::kBottom, At(1400, 800))});

    // The same size again is no resize; several steps of one drag make one event.
    WindowEvent(SDL_WINDOWEVENT_SIZE_CHANGED, 1400, 800);
    window.PumpEvents();
    EXPECT_TRUE(Drain().empty());
    WindowEvent(SDL_WINDOWEVENT_SIZE_CHANGED, 1100, 600);
    WindowEvent(SDL_WINDOWEVENT_SIZE_CHANGED, 1200, 600);
    window.PumpEvents();
    ExpectEvents(Drain(), {dragged(Edge::kBottomRight, At(1200, 600))});

    // Maximizing is the desktop's size, and the one the next drag is judged against.
    WindowEvent(SDL_WINDOWEVENT_SIZE_CHANGED, 1920, 1040);
    WindowEvent(SDL_WINDOWEVENT_MAXIMIZED);
    window.PumpEvents();
    ExpectEvents(Drain(), {{Kind::kSizeSetByDesktop, Edge::kNone, At(1920, 1040)}});
    WindowEvent(SDL_WINDOWEVENT_SIZE_CHANGED, 1920, 1000);
    window.PumpEvents();
    ExpectEvents(Drain(), {dragged(Edge::kBottom, At(1920, 1000))});
    EXPECT_EQ(SdlQueueLength(), 0);
}

// A drag of the left or the top side moves the window's origin with its size.
TEST_F(SdlWindowTest, ACornerDragIsToldFromHowTheOriginMoved) {
    struct Case {
        Rect dragged;  // from (200, 100, 1480, 820)
        Edge edge;
    };
    const Case cases[] = {
        {{680, 220, 1480, 820}, Edge::kTopLeft},    {{200, 220, 1000, 820}, Edge::kTopRight},
        {{680, 100, 1480, 700}, Edge::kBottomLeft}, {{200, 100, 1000, 700}, Edge::kBottomRight},
        {{680, 100, 1480, 820}, Edge::kLeft},       {{200, 220, 1480, 820}, Edge::kTop},
    };
    for (const Case& c : cases) {
        window.SetBounds({200, 100, 1480, 820});
        window.PumpEvents();
        Drain();
        SDL_SetWindowPosition(window.Handle(), c.dragged.left, c.dragged.top);
        SDL_SetWindowSize(window.Handle(), c.dragged.right - c.dragged.left,
                          c.dragged.bottom - c.dragged.top);
        window.PumpEvents();
        ExpectEvents(Drain(), {{Kind::kSizeDragged, c.edge, c.dragged}});
    }
}

TEST_F(SdlWindowTest, SizesTheProgramSetsAreNotThePlayers) {
    const Rect bounds{10, 20, 10 + 800, 20 + 450};
    window.SetBounds(bounds);
    window.SetBounds({30, 40, 30 + 800, 40 + 450});  // a move alone
    window.PumpEvents();
    EXPECT_TRUE(Drain().empty());
    Rect now{};
    ASSERT_TRUE(window.GetRect(&now));
    EXPECT_EQ(now, (Rect{30, 40, 30 + 800, 40 + 450}));

    // The next drag is judged against the size the program set.
    WindowEvent(SDL_WINDOWEVENT_SIZE_CHANGED, 800, 500);
    window.PumpEvents();
    ExpectEvents(Drain(), {{Kind::kSizeDragged, Edge::kBottom, {30, 40, 830, 540}}});
}

TEST_F(SdlWindowTest, FullScreenByHandAndBackRestoresThePlacement) {
    // No window manager behind the offscreen driver: the game covers the display itself.
    EXPECT_FALSE(window.DesktopHandlesFullScreen());
    window.SetPlacement({{50, 60, 50 + 1280, 60 + 720}, false});
    platform::Placement before;
    ASSERT_TRUE(window.GetPlacement(&before));
    EXPECT_EQ(before, (platform::Placement{{50, 60, 1330, 780}, false}));

    Rect display{};
    ASSERT_TRUE(window.DisplayBounds(&display));
    ASSERT_GT(display.right - display.left, 0);
    ASSERT_GT(display.bottom - display.top, 0);

    // The game's own steps: remember, drop the frame, cover the display.
    window.SetBordered(false);
    window.SetBounds(display);
    Rect covered{};
    ASSERT_TRUE(window.GetRect(&covered));
    EXPECT_EQ(covered, display);
    // (The offscreen driver draws no frame, so SDL keeps no border state to check.)

    // And back.
    window.SetBordered(true);
    window.SetPlacement(before);
    platform::Placement after;
    ASSERT_TRUE(window.GetPlacement(&after));
    EXPECT_EQ(after, before);

    window.PumpEvents();
    EXPECT_TRUE(Drain().empty());
}

TEST_F(SdlWindowTest, DestroyRemovesTheFilterAndTheWindowCanBeMadeAgain) {
    window.PostEvent({Kind::kFocusLost});
    window.Destroy();
    EXPECT_FALSE(window.Exists());
    SDL_EventFilter filter = nullptr;
    void* userdata = nullptr;
    EXPECT_EQ(SDL_GetEventFilter(&filter, &userdata), SDL_FALSE);
    Rect r{};
    EXPECT_FALSE(window.GetRect(&r));
    window.SetBounds({0, 0, 10, 10});  // nothing to move: no effect, no crash
    window.Destroy();
    // Events queued before the window went are still delivered.
    ExpectEvents(Drain(), {{Kind::kFocusLost}});

    ASSERT_TRUE(window.Create("Tessary", 640, 360));
    Key(SDLK_ESCAPE, SDL_SCANCODE_ESCAPE);
    window.PumpEvents();
    ExpectEvents(Drain(), {{Kind::kEscapePressed}});
}

TEST(SdlWindow, CreateFailsCleanlyWithoutAVideoDriver) {
    setenv("SDL_VIDEODRIVER", "no-such-driver", 1);
    platform::SdlWindow window;
    ::testing::internal::CaptureStderr();
    EXPECT_FALSE(window.Create("Tessary", 1280, 720));
    EXPECT_NE(::testing::internal::GetCapturedStderr().find("SDL_InitSubSystem"),
              std::string::npos);
    EXPECT_FALSE(window.Exists());
    setenv("SDL_VIDEODRIVER", "offscreen", 1);
}

TEST(PictureFit, ThePictureIsTheLargestCentredSixteenByNine) {
    struct Case {
        int32_t width, height;
        Rect picture;
    };
    const Case cases[] = {
        {1280, 720, {0, 0, 1280, 720}},         // exact
        {2560, 1440, {0, 0, 2560, 1440}},       // scale 2
        {1920, 1200, {0, 60, 1920, 1140}},      // 16:10: bars above and below
        {1024, 768, {0, 96, 1024, 672}},        // 4:3
        {3440, 1440, {440, 0, 3000, 1440}},     // ultra-wide: bars at the sides
        {960, 1056, {0, 258, 960, 798}},        // half a screen, tiled
        {1366, 768, {0, 0, 1365, 768}},         // 1365.3 rounds to 1365
        {1, 1, {0, 0, 1, 1}},                   // never wider than the surface
        {0, 720, {}},
        {1280, -1, {}},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(platform::PictureRect(c.width, c.height), c.picture)
            << c.width << " x " << c.height;
    }
}

TEST(PictureFit, AFirstWindowTooLargeForTheScreenShrinksAndCentres) {
    const platform::FrameExtents frame{4, 30, 4, 4};
    struct Case {
        Rect usable;
        platform::FirstWindow want;
    };
    const Case cases[] = {
        {{0, 0, 1920, 1050}, {1280, 720, false, 0, 0}},    // fits: the desktop places it
        {{0, 0, 1288, 754}, {1280, 720, false, 0, 0}},     // fits exactly
        {{0, 0, 1024, 576}, {964, 542, true, 26, 0}},      // 1024 x 600 less a panel
        {{0, 24, 1280, 720}, {1177, 662, true, 47, 24}},   // panel on top, 1280 wide
        {{100, 0, 1124, 600}, {1006, 566, true, 105, 0}},  // a second monitor's area
    };
    for (const Case& c : cases) {
        const platform::FirstWindow got = platform::FitFirstWindow(c.usable, frame, 1280, 720);
        EXPECT_EQ(got.width, c.want.width) << c.usable.right;
        EXPECT_EQ(got.height, c.want.height) << c.usable.right;
        EXPECT_EQ(got.placed, c.want.placed) << c.usable.right;
        EXPECT_EQ(got.frameLeft, c.want.frameLeft) << c.usable.right;
        EXPECT_EQ(got.frameTop, c.want.frameTop) << c.usable.right;
        EXPECT_LE(got.width + 8, c.usable.right - c.usable.left);
        EXPECT_LE(got.height + 34, c.usable.bottom - c.usable.top);
    }
}

}  // namespace
