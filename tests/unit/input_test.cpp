// Input sampling against a scripted keyboard and pads: the held bits each
// frame leaves in System, the pad buttons from the button map, and the pad
// slots' connected flags.

#include <gtest/gtest.h>

#include <array>
#include <cstdint>
#include <cstring>
#include <utility>

#include "input/InputSampler.h"
#include "support/FakeInput.h"
#include "world/System.h"
#include "world/WorldState.h"

namespace {

using platform::Control;
using platform::PadButton;

class InputTest : public ::testing::Test {
protected:
    InputTest() { input.AttachDevices(keyboard, pads); }

    // One frame's poll; returns {dirBits, buttonBits}.
    std::pair<int32_t, int32_t> Poll() {
        input.PollInput();
        return {system.inputState.dirBits, system.inputState.buttonBits};
    }

    System system;
    WorldState world;
    ScriptedKeyboard keyboard;
    ScriptedPads pads;
    InputSampler input{system.inputState, system.settings, world};
};

TEST_F(InputTest, ATapShorterThanAFrameIsHeldForExactlyOneFrame) {
    keyboard.Tap(Control::kDecision);
    EXPECT_EQ(Poll().second, InputSampler::kDecision);
    EXPECT_EQ(Poll().second, 0);
    // The keyboard is asked once per frame.
    EXPECT_EQ(keyboard.calls, 2);
}

TEST_F(InputTest, UpConfirmsOnlyInThePlayScene) {
    keyboard.Hold(Control::kUp);
    world.sceneState = SceneState::kTitle;
    EXPECT_EQ(Poll(), std::make_pair(InputSampler::kUp, 0));
    world.sceneState = SceneState::kPlay;
    EXPECT_EQ(Poll(), std::make_pair(InputSampler::kUp, InputSampler::kDecision));
}

TEST_F(InputTest, EachControlGivesItsBitAndTheyCombine) {
    struct Case {
        Control control;
        int32_t dir;
        int32_t button;
    };
    const Case cases[] = {
        {Control::kUp, InputSampler::kUp, 0},
        {Control::kDown, InputSampler::kDown, 0},
        {Control::kLeft, InputSampler::kLeft, 0},
        {Control::kRight, InputSampler::kRight, 0},
        {Control::kDecision, 0, InputSampler::kDecision},
        {Control::kCancellation, 0, InputSampler::kCancellation},
        {Control::kPause, 0, InputSampler::kPause},
        {Control::kShift, 0, InputSampler::kShift},
    };
    for (const Case& c : cases) {
        keyboard.ReleaseAll();
        keyboard.Hold(c.control);
        EXPECT_EQ(Poll(), std::make_pair(c.dir, c.button)) << int(c.control);
        EXPECT_TRUE(Held(system.inputState, c.control)) << int(c.control);
    }

    keyboard.ReleaseAll();
    keyboard.Hold(Control::kLeft);
    keyboard.Hold(Control::kDecision);
    keyboard.Hold(Control::kShift);
    EXPECT_EQ(Poll(),
              std::make_pair(InputSampler::kLeft, InputSampler::kDecision | InputSampler::kShift));
    EXPECT_FALSE(Held(system.inputState, Control::kRight));
}

TEST_F(InputTest, PadButtonsFollowTheButtonMapAndBadEntriesMeanNoPadButton) {
    system.inputState.inputMode = 1;
    pads.attached[0] = true;

    // DECISION Y, CANCELLATION X, PAUSE B, SHIFT A; the D-pad steers.
    std::memcpy(system.settings.buttonMap, "\x03\x02\x01\x00", 4);
    const std::pair<platform::PadState, std::pair<int32_t, int32_t>> cases[] = {
        {PadHolding({}, {PadButton::kY}), {0, InputSampler::kDecision}},
        {PadHolding({}, {PadButton::kX}), {0, InputSampler::kCancellation}},
        {PadHolding({}, {PadButton::kB}), {0, InputSampler::kPause}},
        {PadHolding({}, {PadButton::kA}), {0, InputSampler::kShift}},
        {PadHolding({Control::kLeft}), {InputSampler::kLeft, 0}},
    };
    for (const auto& [state, bits] : cases) {
        pads.states[0] = state;
        EXPECT_EQ(Poll(), bits) << int{state.heldButtons};
    }

    // Any entry from 4 up is no pad button, while the keys still work.
    pads.states[0] = PadHolding({}, {PadButton::kA, PadButton::kB, PadButton::kX, PadButton::kY});
    for (int entry : {4, 5, 9, 10, 19, 20, 31, 32, 255}) {
        std::memset(system.settings.buttonMap, entry, sizeof system.settings.buttonMap);
        keyboard.ReleaseAll();
        EXPECT_EQ(Poll().second, 0) << "entry " << entry;
        keyboard.Hold(Control::kDecision);
        keyboard.Hold(Control::kShift);
        EXPECT_EQ(Poll().second, InputSampler::kDecision | InputSampler::kShift)
            << "entry " << entry;
    }

    // Keyboard only: the pad is neither read nor used.
    const int calls = pads.calls[0];
    system.inputState.inputMode = 0;
    keyboard.ReleaseAll();
    EXPECT_EQ(Poll(), std::make_pair(0, 0));
    EXPECT_EQ(pads.calls[0], calls);
}

TEST_F(InputTest, AnotherModeLeavesTheBitsWhileTheKeyboardIsStillRead) {
    system.inputState.inputMode = 2;
    system.inputState.dirBits = InputSampler::kRight;
    system.inputState.buttonBits = InputSampler::kShift;
    keyboard.Hold(Control::kDown);
    keyboard.Tap(Control::kCancellation);
    EXPECT_EQ(Poll(), std::make_pair(InputSampler::kRight, InputSampler::kShift));
    EXPECT_EQ(keyboard.calls, 1);
    EXPECT_TRUE(keyboard.tapped.Empty());  // the tap was taken in its frame
}

TEST_F(InputTest, APadIsAskedEveryFrameSoOnePluggedInLaterWorks) {
    system.inputState.inputMode = 1;
    keyboard.Hold(Control::kPause);
    EXPECT_EQ(Poll().second, InputSampler::kPause);
    EXPECT_FALSE(input.pads[0].connected);
    EXPECT_EQ(pads.calls[1] + pads.calls[2] + pads.calls[3], 0);  // only pad 0 in play

    std::memcpy(system.settings.buttonMap, "\x00\x01\x02\x03", 4);
    pads.attached[0] = true;
    pads.states[0] = PadHolding({}, {PadButton::kA});
    keyboard.ReleaseAll();
    EXPECT_EQ(Poll().second, InputSampler::kDecision);
    EXPECT_TRUE(input.pads[0].connected);

    // Pulled out while A is held: released, and the keyboard goes on.
    pads.attached[0] = false;
    keyboard.Hold(Control::kCancellation);
    EXPECT_EQ(Poll().second, InputSampler::kCancellation);
    EXPECT_FALSE(input.pads[0].connected);
    EXPECT_FALSE(input.pads[0].state.Holds(PadButton::kA));
    EXPECT_EQ(pads.calls[0], 3);
}

TEST_F(InputTest, PollAllPadsAsksEveryPad) {
    pads.attached = {true, false, true, false};
    pads.states[2] = PadHolding({}, {PadButton::kB});
    input.PollAllPads();
    input.PollAllPads();
    EXPECT_EQ(pads.calls, (std::array<int, 4>{2, 2, 2, 2}));
    EXPECT_TRUE(input.pads[0].connected);
    EXPECT_FALSE(input.pads[1].connected);
    EXPECT_TRUE(input.pads[2].connected);
    EXPECT_FALSE(input.pads[3].connected);
    EXPECT_TRUE(input.pads[2].state.Holds(PadButton::kB));
}

TEST_F(InputTest, WithoutDevicesTheBitsStayAsWritten) {
    InputSampler bare{system.inputState, system.settings, world};
    system.inputState.dirBits = InputSampler::kUp;
    system.inputState.buttonBits = InputSampler::kPause;
    system.inputState.inputMode = 1;
    bare.PollInput();
    bare.PollAllPads();
    EXPECT_EQ(system.inputState.dirBits, InputSampler::kUp);
    EXPECT_EQ(system.inputState.buttonBits, InputSampler::kPause);
    EXPECT_TRUE(bare.pads[0].connected);
}

}  // namespace

// Edges against the last frame, and a press taken once through a latch that
// only a frame without the control clears.
TEST(InputEdges, PressedReleasedAndPressedOnceFollowTheFrames) {
    struct Step {
        bool held;
        bool pressed, released, once;
    };
    // DECISION over six frames: press, hold, release, idle, press, hold.
    const Step steps[] = {{true, true, false, true},   {true, false, false, false},
                          {false, false, true, false}, {false, false, false, false},
                          {true, true, false, true},   {true, false, false, false}};
    InputState input;
    input.dirBits = input.lastDirBits = InputState::kLeft;  // held throughout: no edges
    int32_t latch = 0;
    int frame = 0;
    for (const Step& s : steps) {
        input.buttonBits = s.held ? InputState::kDecision : 0;
        EXPECT_EQ(Held(input, Control::kDecision), s.held) << frame;
        EXPECT_EQ(Pressed(input, Control::kDecision), s.pressed) << frame;
        EXPECT_EQ(Released(input, Control::kDecision), s.released) << frame;
        EXPECT_EQ(PressedOnce(input, Control::kDecision, latch), s.once) << frame;
        EXPECT_FALSE(Pressed(input, Control::kLeft) || Released(input, Control::kLeft)) << frame;
        input.KeepAsLastFrame();
        ++frame;
    }
    // A latch set elsewhere (a turn made before the pause) holds off a press
    // until the control is let go.
    latch = 1;
    input.buttonBits = InputState::kDecision;
    EXPECT_FALSE(PressedOnce(input, Control::kDecision, latch));
}
