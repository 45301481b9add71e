// The SDL keyboard and pads on the offscreen video driver: a key pushed down
// and up between two polls is seen exactly once, by every code that names
// it; codes map to the keys in the places a PC keyboard has them; without a
// controller every pad reports "not connected" and nothing held.

#include <SDL.h>
#include <gtest/gtest.h>

#include <cstdlib>

#include "platform/SdlInput.h"
#include "platform/SdlWindow.h"

namespace {

class SdlKeyboardTest : public ::testing::Test {
protected:
    void SetUp() override {
        setenv("SDL_VIDEODRIVER", "offscreen", 1);
        ASSERT_TRUE(window.Create("Tessary", 1280, 720));
        window.PumpEvents();
        platform::WindowEvent m;
        while (window.TakeEvent(&m)) {
        }
        window.ClearPressed();
    }

    void Tap(SDL_Scancode scancode) {
        for (Uint32 type : {SDL_KEYDOWN, SDL_KEYUP}) {
            SDL_Event e{};
            e.type = type;
            e.key.windowID = SDL_GetWindowID(window.Handle());
            e.key.state = type == SDL_KEYDOWN ? SDL_PRESSED : SDL_RELEASED;
            e.key.keysym.scancode = scancode;
            e.key.keysym.sym = SDL_GetKeyFromScancode(scancode);
            SDL_PushEvent(&e);
        }
        window.PumpEvents();
    }

    platform::SdlWindow window;
    platform::SdlKeyboard keyboard{window};
};

TEST_F(SdlKeyboardTest, ATapBetweenTwoPollsIsSeenOnce) {
    Tap(SDL_SCANCODE_Z);
    EXPECT_FALSE(keyboard.AsyncKeyState('X'));
    EXPECT_TRUE(keyboard.AsyncKeyState('Z'));
    EXPECT_FALSE(keyboard.AsyncKeyState('Z'));

    // Shift and Left Shift both name the left Shift key: each sees its tap once.
    Tap(SDL_SCANCODE_LSHIFT);
    EXPECT_TRUE(keyboard.AsyncKeyState(0x10));
    EXPECT_TRUE(keyboard.AsyncKeyState(0xA0));
    EXPECT_FALSE(keyboard.AsyncKeyState(0xA1));
    EXPECT_FALSE(keyboard.AsyncKeyState(0x10));
    EXPECT_FALSE(keyboard.AsyncKeyState(0xA0));
}

// The places where SDL's numbering differs from the codes' (digits 1..9 then
// 0, F13 apart from F12) and the codes that stand for two keys or none.
TEST(SdlKeyTable, CodesNameTheKeysInTheirPlaces) {
    struct Case {
        uint8_t code;
        SDL_Scancode first;
        SDL_Scancode second;
    };
    const Case cases[] = {
        {0x01, SDL_SCANCODE_UNKNOWN, SDL_SCANCODE_UNKNOWN},  // a mouse button
        {0x0D, SDL_SCANCODE_RETURN, SDL_SCANCODE_KP_ENTER},
        {'0', SDL_SCANCODE_0, SDL_SCANCODE_UNKNOWN},
        {'1', SDL_SCANCODE_1, SDL_SCANCODE_UNKNOWN},
        {'9', SDL_SCANCODE_9, SDL_SCANCODE_UNKNOWN},
        {'Z', SDL_SCANCODE_Z, SDL_SCANCODE_UNKNOWN},
        {0x60, SDL_SCANCODE_KP_0, SDL_SCANCODE_UNKNOWN},
        {0x61, SDL_SCANCODE_KP_1, SDL_SCANCODE_UNKNOWN},
        {0x69, SDL_SCANCODE_KP_9, SDL_SCANCODE_UNKNOWN},
        {0x7B, SDL_SCANCODE_F12, SDL_SCANCODE_UNKNOWN},
        {0x7C, SDL_SCANCODE_F13, SDL_SCANCODE_UNKNOWN},
        {0xFF, SDL_SCANCODE_UNKNOWN, SDL_SCANCODE_UNKNOWN},
    };
    for (const Case& c : cases) {
        const auto scancodes = platform::SdlKeyboard::ScancodesOf(c.code);
        EXPECT_EQ(scancodes[0], c.first) << "code " << int{c.code};
        EXPECT_EQ(scancodes[1], c.second) << "code " << int{c.code};
    }
}

TEST_F(SdlKeyboardTest, WithoutAControllerEveryPadIsNotConnectedAndReleased) {
    platform::SdlGamePads pads(window);
    platform::PadState probe;
    pads.GetState(0, &probe);  // starts SDL's controller support
    if (SDL_NumJoysticks() > 0)
        GTEST_SKIP() << "a joystick is attached to this machine";
    for (int index : {0, 3, 4, -1}) {
        platform::PadState state;
        state.buttons = 0xFFFF;
        state.thumbLX = 123;
        EXPECT_FALSE(pads.GetState(index, &state));
        EXPECT_EQ(state.buttons, 0);
        EXPECT_EQ(state.thumbLX, 0);
    }
}

}  // namespace
