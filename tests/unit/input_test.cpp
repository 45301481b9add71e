// Input sampling against a scripted keyboard and pads: the held bits each
// frame leaves in System, the pad masks from the button map, and the pad
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

constexpr uint8_t kVkUp = 0x26;
constexpr uint8_t kVkDown = 0x28;
constexpr uint16_t kPadA = 0x1000;
constexpr uint16_t kPadB = 0x2000;
constexpr uint16_t kPadDpadLeft = 0x0004;

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
    keyboard.Tap('Z');
    EXPECT_EQ(Poll().second, InputSampler::kDecision);
    EXPECT_EQ(system.inputState.keyState['Z'], 0x80);
    EXPECT_EQ(Poll().second, 0);
    EXPECT_EQ(system.inputState.keyState['Z'], 0);
    // Every code is asked once per frame.
    EXPECT_EQ(keyboard.calls, 2 * 256);
}

TEST_F(InputTest, UpConfirmsOnlyInThePlayScene) {
    keyboard.Hold(kVkUp);
    world.sceneState = SceneState::kTitle;
    EXPECT_EQ(Poll(), std::make_pair(InputSampler::kUp, 0));
    world.sceneState = SceneState::kPlay;
    EXPECT_EQ(Poll(), std::make_pair(InputSampler::kUp, InputSampler::kDecision));
}

TEST_F(InputTest, EachKeyGivesItsBitAndTwoKeysOfOneBitGiveItOnce) {
    struct Case {
        uint8_t key;
        int32_t dir;
        int32_t button;
    };
    const Case cases[] = {
        {0x26, InputSampler::kUp, 0},          {0x28, InputSampler::kDown, 0},
        {0x25, InputSampler::kLeft, 0},        {0x27, InputSampler::kRight, 0},
        {'Z', 0, InputSampler::kDecision},     {'C', 0, InputSampler::kDecision},
        {'X', 0, InputSampler::kCancellation}, {'A', 0, InputSampler::kPause},
        {'S', 0, InputSampler::kShift},        {'Q', 0, 0},
    };
    for (const Case& c : cases) {
        keyboard.ReleaseAll();
        keyboard.Hold(c.key);
        EXPECT_EQ(Poll(), std::make_pair(c.dir, c.button)) << "key " << int{c.key};
    }

    keyboard.ReleaseAll();
    keyboard.Hold('Z');
    keyboard.Hold('C');
    EXPECT_EQ(Poll().second, InputSampler::kDecision);
    keyboard.Hold('C', false);
    EXPECT_EQ(Poll().second, InputSampler::kDecision);
}

TEST_F(InputTest, PadButtonsFollowTheButtonMapAndBadEntriesMeanNoPadButton) {
    system.inputState.inputMode = 1;
    pads.attached[0] = true;

    // DECISION Y, CANCELLATION X, PAUSE B, SHIFT A; the D-pad steers.
    std::memcpy(system.settings.buttonMap, "\x03\x02\x01\x00", 4);
    const std::pair<uint16_t, std::pair<int32_t, int32_t>> cases[] = {
        {0x8000, {0, InputSampler::kDecision}},   {0x4000, {0, InputSampler::kCancellation}},
        {kPadB, {0, InputSampler::kPause}},       {kPadA, {0, InputSampler::kShift}},
        {kPadDpadLeft, {InputSampler::kLeft, 0}},
    };
    for (const auto& [buttons, bits] : cases) {
        pads.states[0].buttons = buttons;
        EXPECT_EQ(Poll(), bits) << std::hex << buttons;
    }

    // Any entry from 4 up (255 included: a shift that large would not even fit
    // the mask) is no pad button, while the keys still work.
    pads.states[0].buttons = 0xF000;  // A B X Y all held
    for (int entry : {4, 5, 9, 10, 19, 20, 31, 32, 255}) {
        std::memset(system.settings.buttonMap, entry, sizeof system.settings.buttonMap);
        keyboard.ReleaseAll();
        EXPECT_EQ(Poll().second, 0) << "entry " << entry;
        keyboard.Hold('C');
        keyboard.Hold('S');
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

TEST_F(InputTest, AnotherModeLeavesTheBitsWhileTheSnapshotChanges) {
    system.inputState.inputMode = 2;
    system.inputState.dirBits = InputSampler::kRight;
    system.inputState.buttonBits = InputSampler::kShift;
    keyboard.Hold(kVkDown);
    keyboard.Hold('X');
    EXPECT_EQ(Poll(), std::make_pair(InputSampler::kRight, InputSampler::kShift));
    EXPECT_EQ(system.inputState.keyState[kVkDown], 0x80);
    keyboard.ReleaseAll();
    EXPECT_EQ(Poll(), std::make_pair(InputSampler::kRight, InputSampler::kShift));
    EXPECT_EQ(system.inputState.keyState[kVkDown], 0);
}

TEST_F(InputTest, APadIsAskedEveryFrameSoOnePluggedInLaterWorks) {
    system.inputState.inputMode = 1;
    keyboard.Hold('A');
    EXPECT_EQ(Poll().second, InputSampler::kPause);
    EXPECT_FALSE(input.pads[0].connected);
    EXPECT_EQ(pads.calls[1] + pads.calls[2] + pads.calls[3], 0);  // only pad 0 in play

    std::memcpy(system.settings.buttonMap, "\x00\x01\x02\x03", 4);
    pads.attached[0] = true;
    pads.states[0].buttons = kPadA;
    keyboard.ReleaseAll();
    EXPECT_EQ(Poll().second, InputSampler::kDecision);
    EXPECT_TRUE(input.pads[0].connected);

    // Pulled out while A is held: released, and the keyboard goes on.
    pads.attached[0] = false;
    keyboard.Hold('X');
    EXPECT_EQ(Poll().second, InputSampler::kCancellation);
    EXPECT_FALSE(input.pads[0].connected);
    EXPECT_EQ(input.pads[0].state.buttons, 0);
    EXPECT_EQ(pads.calls[0], 3);
}

TEST_F(InputTest, PollAllPadsAsksEveryPad) {
    pads.attached = {true, false, true, false};
    pads.states[2].buttons = kPadB;
    input.PollAllPads();
    input.PollAllPads();
    EXPECT_EQ(pads.calls, (std::array<int, 4>{2, 2, 2, 2}));
    EXPECT_TRUE(input.pads[0].connected);
    EXPECT_FALSE(input.pads[1].connected);
    EXPECT_TRUE(input.pads[2].connected);
    EXPECT_FALSE(input.pads[3].connected);
    EXPECT_EQ(input.pads[2].state.buttons, kPadB);
}

TEST_F(InputTest, WithoutDevicesNothingChanges) {
    InputSampler bare{system.inputState, system.settings, world};
    system.inputState.dirBits = InputSampler::kUp;
    system.inputState.buttonBits = InputSampler::kPause;
    system.inputState.keyState['Z'] = 0x80;
    system.inputState.inputMode = 1;
    bare.PollInput();
    bare.PollAllPads();
    EXPECT_EQ(system.inputState.dirBits, InputSampler::kUp);
    EXPECT_EQ(system.inputState.buttonBits, InputSampler::kPause);
    EXPECT_EQ(system.inputState.keyState['Z'], 0x80);
    EXPECT_TRUE(bare.pads[0].connected);
}

}  // namespace
