// The real pad code on SDL's virtual game controllers: pads attached before
// and during the run, pulled out in play, the buttons and the D-pad as the
// game reads them, the options window taking a button from pad 0, and four
// pads at once.

#include <SDL.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <utility>
#include <vector>

#include "app/Game.h"
#include "input/InputSampler.h"
#include "menu/OptionsWindow.h"
#include "platform/SdlInput.h"
#include "platform/SdlWindow.h"
#include "support/FakeGpu.h"
#include "support/FakeInput.h"
#include "support/FakeWindow.h"
#include "world/System.h"
#include "world/WorldState.h"

namespace {

class VirtualPadsTest : public ::testing::Test {
protected:
    void SetUp() override {
        setenv("SDL_VIDEODRIVER", "offscreen", 1);
        ASSERT_TRUE(window.Create("Tessary", 1280, 720));
        // Virtual pads need SDL's joysticks running before the game's pads start.
        ASSERT_EQ(SDL_InitSubSystem(SDL_INIT_JOYSTICK), 0) << SDL_GetError();
        game.LinkObjects(gpu, fakeWindow);
        game.input->AttachDevices(keyboard, pads);
        game.system->inputState.inputMode = 1;
        // DECISION A, CANCELLATION B, PAUSE X, SHIFT Y.
        const uint8_t map[] = {0, 1, 2, 3};
        std::copy(std::begin(map), std::end(map), game.system->settings.buttonMap);
    }
    void TearDown() override {
        while (!attached.empty())
            Detach(0);
        SDL_QuitSubSystem(SDL_INIT_JOYSTICK);
    }

    // Plugs in a virtual game controller; returns its place in `attached`.
    size_t Attach() {
        SDL_VirtualJoystickDesc desc{};
        desc.version = SDL_VIRTUAL_JOYSTICK_DESC_VERSION;
        desc.type = SDL_JOYSTICK_TYPE_GAMECONTROLLER;
        desc.naxes = SDL_CONTROLLER_AXIS_MAX;
        desc.nbuttons = SDL_CONTROLLER_BUTTON_MAX;
        const int device = SDL_JoystickAttachVirtualEx(&desc);
        EXPECT_GE(device, 0) << SDL_GetError();
        SDL_Joystick* joystick = SDL_JoystickOpen(device);
        EXPECT_NE(joystick, nullptr) << SDL_GetError();
        attached.push_back(joystick);
        return attached.size() - 1;
    }
    void Detach(size_t which) {
        SDL_Joystick* joystick = attached[which];
        const SDL_JoystickID id = SDL_JoystickInstanceID(joystick);
        SDL_JoystickClose(joystick);
        for (int device = 0; device < SDL_NumJoysticks(); ++device) {
            if (SDL_JoystickGetDeviceInstanceID(device) == id)
                SDL_JoystickDetachVirtual(device);
        }
        attached.erase(attached.begin() + static_cast<std::ptrdiff_t>(which));
    }
    void Hold(size_t which, SDL_GameControllerButton button, bool down = true) {
        SDL_JoystickSetVirtualButton(attached[which], button, down ? 1 : 0);
    }

    // One frame: the window pumps SDL's events (pads update then), input polls.
    std::pair<int32_t, int32_t> Frame() {
        window.PumpEvents();
        game.input->PollInput();
        return {game.system->inputState.dirBits, game.system->inputState.buttonBits};
    }

    platform::SdlWindow window;
    platform::SdlGamePads pads{window};
    FakeGpu gpu;
    FakeWindow fakeWindow;
    ScriptedKeyboard keyboard;
    Game game;
    std::vector<SDL_Joystick*> attached;
};

TEST_F(VirtualPadsTest, ButtonsAndTheDPadOfAPadAttachedBeforeStartGiveTheirBits) {
    const size_t pad = Attach();
    struct Case {
        SDL_GameControllerButton button;
        int32_t dirBits;
        int32_t buttonBits;
    };
    const Case cases[] = {
        {SDL_CONTROLLER_BUTTON_A, 0, InputSampler::kDecision},
        {SDL_CONTROLLER_BUTTON_B, 0, InputSampler::kCancellation},
        {SDL_CONTROLLER_BUTTON_X, 0, InputSampler::kPause},
        {SDL_CONTROLLER_BUTTON_Y, 0, InputSampler::kShift},
        {SDL_CONTROLLER_BUTTON_DPAD_UP, InputSampler::kUp, 0},
        {SDL_CONTROLLER_BUTTON_DPAD_DOWN, InputSampler::kDown, 0},
        {SDL_CONTROLLER_BUTTON_DPAD_LEFT, InputSampler::kLeft, 0},
        {SDL_CONTROLLER_BUTTON_DPAD_RIGHT, InputSampler::kRight, 0},
        {SDL_CONTROLLER_BUTTON_START, 0, 0},
        {SDL_CONTROLLER_BUTTON_LEFTSHOULDER, 0, 0},
    };
    for (const Case& c : cases) {
        Hold(pad, c.button);
        EXPECT_EQ(Frame(), std::make_pair(c.dirBits, c.buttonBits))
            << SDL_GameControllerGetStringForButton(c.button);
        Hold(pad, c.button, false);
    }
    EXPECT_EQ(Frame(), std::make_pair(0, 0));
    EXPECT_TRUE(game.input->pads[0].connected);
}

TEST_F(VirtualPadsTest, APadAttachedDuringPlayWorksAndOnePulledOutReleases) {
    EXPECT_EQ(Frame(), std::make_pair(0, 0));
    EXPECT_FALSE(game.input->pads[0].connected);

    for (int round = 0; round < 2; ++round) {  // plugged in, pulled out, and again
        const size_t pad = Attach();
        Hold(pad, SDL_CONTROLLER_BUTTON_A);
        Hold(pad, SDL_CONTROLLER_BUTTON_DPAD_RIGHT);
        EXPECT_EQ(Frame(), std::make_pair(InputSampler::kRight, InputSampler::kDecision))
            << "round " << round;
        EXPECT_TRUE(game.input->pads[0].connected);

        Detach(pad);  // with both still held
        EXPECT_EQ(Frame(), std::make_pair(0, 0)) << "round " << round;
        EXPECT_FALSE(game.input->pads[0].connected);
    }
}

TEST_F(VirtualPadsTest, TheOptionsWindowTakesAButtonFromPad0) {
    const size_t pad = Attach();
    game.world->menuState.optionRow = 7;  // CANCELLATION
    Hold(pad, SDL_CONTROLLER_BUTTON_Y);
    window.PumpEvents();
    System& s = *game.system;
    options_window::RunOptionsWindow(*game.graphics,
                                     {s.display, s.sound, s.settings, game.world->colorIndex},
                                     s.inputState, *game.world, *game.input, *game.audio);
    EXPECT_EQ(game.system->settings.buttonMap[1], 3);
}

TEST_F(VirtualPadsTest, FourPadsAreReadAtOnceAndAFifthWaitsForAFreePlace) {
    const SDL_GameControllerButton buttons[] = {SDL_CONTROLLER_BUTTON_A, SDL_CONTROLLER_BUTTON_B,
                                                SDL_CONTROLLER_BUTTON_X, SDL_CONTROLLER_BUTTON_Y,
                                                SDL_CONTROLLER_BUTTON_DPAD_UP};
    using platform::Control;
    using platform::PadButton;
    const platform::PadState states[] = {
        PadHolding({}, {PadButton::kA}), PadHolding({}, {PadButton::kB}),
        PadHolding({}, {PadButton::kX}), PadHolding({}, {PadButton::kY}),
        PadHolding({Control::kUp})};
    const auto same = [](const platform::PadState& a, const platform::PadState& b) {
        return a.dpad == b.dpad && a.heldButtons == b.heldButtons;
    };
    for (SDL_GameControllerButton button : buttons)
        Hold(Attach(), button);
    window.PumpEvents();
    game.input->PollAllPads();
    for (int i = 0; i < InputSampler::kPads; ++i) {
        EXPECT_TRUE(game.input->pads[i].connected) << "pad " << i;
        EXPECT_TRUE(same(game.input->pads[i].state, states[i])) << "pad " << i;
    }

    // Pad 1 goes: the fifth takes its place on the next read.
    Detach(1);
    window.PumpEvents();
    game.input->PollAllPads();
    EXPECT_TRUE(same(game.input->pads[1].state, states[4]));
    EXPECT_TRUE(same(game.input->pads[2].state, states[2]));
}

}  // namespace
