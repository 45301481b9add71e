// The SDL keyboard and pads on the offscreen video driver: a key pushed down
// and up between two polls is seen exactly once, as the control its place on
// a PC keyboard gives; without a controller every pad reports "not
// connected" and nothing held.

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

// Each key by its place on a PC keyboard, tapped between two polls: seen by
// the first poll only. Keys the game does not use give nothing.
TEST_F(SdlKeyboardTest, ATapOfEachKeyIsSeenOnceAsItsControl) {
    using platform::Control;
    struct Case {
        SDL_Scancode key;
        platform::Controls controls;
    };
    const Case cases[] = {
        {SDL_SCANCODE_UP, {Control::kUp}},
        {SDL_SCANCODE_DOWN, {Control::kDown}},
        {SDL_SCANCODE_LEFT, {Control::kLeft}},
        {SDL_SCANCODE_RIGHT, {Control::kRight}},
        {SDL_SCANCODE_Z, {Control::kDecision}},
        {SDL_SCANCODE_C, {Control::kDecision}},
        {SDL_SCANCODE_X, {Control::kCancellation}},
        {SDL_SCANCODE_A, {Control::kPause}},
        {SDL_SCANCODE_S, {Control::kShift}},
        {SDL_SCANCODE_Q, {}},
        {SDL_SCANCODE_RETURN, {}},
    };
    for (const Case& c : cases) {
        Tap(c.key);
        EXPECT_TRUE(keyboard.HeldControls() == c.controls) << SDL_GetScancodeName(c.key);
        EXPECT_TRUE(keyboard.HeldControls().Empty()) << SDL_GetScancodeName(c.key);
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
        state.dpad.Add(platform::Control::kUp);
        state.Press(platform::PadButton::kA);
        EXPECT_FALSE(pads.GetState(index, &state));
        EXPECT_TRUE(state.dpad.Empty());
        EXPECT_EQ(state.heldButtons, 0);
    }
}

}  // namespace
