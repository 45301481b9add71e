// The SDL window on the offscreen video driver: SDL events pushed by hand must
// come out as exactly the game's messages, in order, with nothing left in
// SDL's own queue; sizes the program sets must never look like the player's.

#include <SDL.h>
#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "platform/SdlWindow.h"

namespace {

using platform::Message;
using platform::MessageId;
using platform::Rect;

class SdlWindowTest : public ::testing::Test {
protected:
    void SetUp() override {
        setenv("SDL_VIDEODRIVER", "offscreen", 1);
        ASSERT_TRUE(window.Create("Tessary", 1280, 720));
        window.PumpEvents();
        Drain();  // whatever creating the window reported
        window.ClearPressed();
    }

    std::vector<Message> Drain() {
        std::vector<Message> out;
        Message m;
        while (window.TakeMessage(&m))
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

bool Same(const Message& a, const Message& b) {
    return a.id == b.id && a.wParam == b.wParam && a.rect == b.rect;
}

std::vector<Message> Messages(std::initializer_list<Message> list) {
    return list;
}

void ExpectMessages(const std::vector<Message>& got, const std::vector<Message>& want) {
    ASSERT_EQ(got.size(), want.size());
    for (size_t i = 0; i < got.size(); ++i) {
        EXPECT_TRUE(Same(got[i], want[i]))
            << "message " << i << ": id " << int(got[i].id) << " wParam " << got[i].wParam
            << " rect " << got[i].rect.left << "," << got[i].rect.top << "," << got[i].rect.right
            << "," << got[i].rect.bottom;
    }
}

TEST_F(SdlWindowTest, EventsBecomeTheGamesMessagesInOrder) {
    Key(SDLK_ESCAPE, SDL_SCANCODE_ESCAPE);  // command 40
    Key(SDLK_ESCAPE, SDL_SCANCODE_ESCAPE, KMOD_NONE, false, SDL_KEYUP);
    Key(SDLK_RETURN, SDL_SCANCODE_RETURN, KMOD_LALT);      // command 50
    Key(SDLK_KP_ENTER, SDL_SCANCODE_KP_ENTER, KMOD_RALT);  // command 50
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
    WindowEvent(SDL_WINDOWEVENT_CLOSE);
    SDL_Event quit{};
    quit.type = SDL_QUIT;
    SDL_PushEvent(&quit);

    window.PumpEvents();
    EXPECT_EQ(SdlQueueLength(), 0);
    ExpectMessages(Drain(), Messages({
                                {MessageId::kCommand, platform::kCommandClose},
                                {MessageId::kCommand, platform::kCommandToggleFullScreen},
                                {MessageId::kCommand, platform::kCommandToggleFullScreen},
                                {MessageId::kActivate, 0},
                                {MessageId::kActivate, 1},
                                {MessageId::kClose, 0},
                                {MessageId::kClose, 0},
                            }));

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
        int32_t command;  // 0: none
    };
    constexpr int32_t kClose = platform::kCommandClose;
    constexpr int32_t kSwitch = platform::kCommandToggleFullScreen;
    const Case cases[] = {
        {SDLK_ESCAPE, KMOD_NONE, false, kClose},
        {SDLK_ESCAPE, KMOD_CAPS | KMOD_NUM, false, kClose},
        {SDLK_ESCAPE, KMOD_NONE, true, 0},
        {SDLK_ESCAPE, KMOD_LSHIFT, false, 0},
        {SDLK_ESCAPE, KMOD_RCTRL, false, 0},
        {SDLK_ESCAPE, KMOD_LALT, false, 0},
        {SDLK_RETURN, KMOD_NONE, false, 0},
        {SDLK_RETURN, KMOD_LALT, false, kSwitch},
        {SDLK_RETURN, KMOD_RALT | KMOD_NUM, false, kSwitch},
        {SDLK_KP_ENTER, KMOD_LALT, false, kSwitch},
        {SDLK_RETURN, KMOD_LALT, true, 0},
        {SDLK_RETURN, KMOD_LALT | KMOD_LSHIFT, false, 0},
        {SDLK_RETURN, KMOD_RALT | KMOD_LCTRL, false, 0},
        {SDLK_KP_ENTER, KMOD_LALT | KMOD_RSHIFT, false, 0},
    };
    for (const Case& c : cases) {
        Key(c.sym, SDL_GetScancodeFromKey(c.sym), c.mod, c.repeat);
        window.PumpEvents();
        const std::vector<Message> got = Drain();
        const std::string what = std::string(SDL_GetKeyName(c.sym)) + " mod " +
                                 std::to_string(c.mod) + (c.repeat ? " repeat" : "");
        if (c.command == 0) {
            EXPECT_TRUE(got.empty()) << what;
        } else {
            ASSERT_EQ(got.size(), 1u) << what;
            EXPECT_TRUE(Same(got[0], {MessageId::kCommand, c.command})) << what;
        }
    }
}

TEST_F(SdlWindowTest, TheQueueKeepsOrderAcrossTheWrapAndDropsWhatDoesNotFit) {
    const int capacity = platform::SdlWindow::kQueueCapacity;
    auto post = [&](int from, int count) {
        for (int i = from; i < from + count; ++i)
            window.PostMessage({MessageId::kCommand, i});
    };
    auto take = [&](int count) {
        std::vector<int32_t> ids;
        Message m;
        for (int i = 0; i < count && window.TakeMessage(&m); ++i)
            ids.push_back(m.wParam);
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
    Message m;
    EXPECT_FALSE(window.TakeMessage(&m));
}

TEST_F(SdlWindowTest, APlayersResizeNamesTheEdgeThatMoved) {
    WindowEvent(SDL_WINDOWEVENT_SIZE_CHANGED, 1400, 720);
    window.PumpEvents();
    ExpectMessages(Drain(), {{MessageId::kSizing, platform::kEdgeRight, At(1400, 720)}});

    WindowEvent(SDL_WINDOWEVENT_SIZE_CHANGED, 1400, 800);
    window.PumpEvents();
    ExpectMessages(Drain(), {{MessageId::kSizing, platform::kEdgeBottom, At(1400, 800)}});

    WindowEvent(SDL_WINDOWEVENT_SIZE_CHANGED, 1000, 600);
    window.PumpEvents();
    ExpectMessages(Drain(), {{MessageId::kSizing, platform::kEdgeBottomRight, At(1000, 600)}});

    // The same size again is no resize; several steps of one drag make one message.
    WindowEvent(SDL_WINDOWEVENT_SIZE_CHANGED, 1000, 600);
    window.PumpEvents();
    EXPECT_TRUE(Drain().empty());
    WindowEvent(SDL_WINDOWEVENT_SIZE_CHANGED, 1100, 600);
    WindowEvent(SDL_WINDOWEVENT_SIZE_CHANGED, 1200, 600);
    window.PumpEvents();
    ExpectMessages(Drain(), {{MessageId::kSizing, platform::kEdgeRight, At(1200, 600)}});

    // Maximizing is not a border drag, but the size it gives is the one the
    // next drag is judged against.
    WindowEvent(SDL_WINDOWEVENT_SIZE_CHANGED, 1920, 1040);
    WindowEvent(SDL_WINDOWEVENT_MAXIMIZED);
    window.PumpEvents();
    EXPECT_TRUE(Drain().empty());
    WindowEvent(SDL_WINDOWEVENT_SIZE_CHANGED, 1920, 1000);
    window.PumpEvents();
    ExpectMessages(Drain(), {{MessageId::kSizing, platform::kEdgeBottom, At(1920, 1000)}});
    EXPECT_EQ(SdlQueueLength(), 0);
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
    ExpectMessages(Drain(), {{MessageId::kSizing, platform::kEdgeBottom, {30, 40, 830, 540}}});
}

TEST_F(SdlWindowTest, FullScreenAndBackRestoresThePlacement) {
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
    window.PostMessage({MessageId::kCommand, 7});
    window.Destroy();
    EXPECT_FALSE(window.Exists());
    SDL_EventFilter filter = nullptr;
    void* userdata = nullptr;
    EXPECT_EQ(SDL_GetEventFilter(&filter, &userdata), SDL_FALSE);
    Rect r{};
    EXPECT_FALSE(window.GetRect(&r));
    window.SetBounds({0, 0, 10, 10});  // nothing to move: no effect, no crash
    window.Destroy();
    // Messages queued before the window went are still delivered.
    ExpectMessages(Drain(), {{MessageId::kCommand, 7}});

    ASSERT_TRUE(window.Create("Tessary", 640, 360));
    Key(SDLK_ESCAPE, SDL_SCANCODE_ESCAPE);
    window.PumpEvents();
    ExpectMessages(Drain(), {{MessageId::kCommand, platform::kCommandClose}});
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

}  // namespace
