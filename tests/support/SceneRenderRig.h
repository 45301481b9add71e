#pragma once
// A Game on the real GL device (offscreen video driver) with the generated
// pictures loaded as start-up loads them, sound off: for tests that render
// whole scenes and read the frame back.

#include <cstdint>
#include <vector>

#include "app/Game.h"
#include "platform/GlDevice.h"
#include "platform/SdlWindow.h"

class SceneRenderRig {
public:
    static constexpr int kWidth = 1280;
    static constexpr int kHeight = 720;

    enum class Start { kReady, kNoContext, kFailed };
    // Makes the window and device and loads the data folder; kNoContext when
    // this machine has no OpenGL 3.3 core context (the caller skips).
    Start Begin();

    // Draws the sprite list and reads the whole frame back: rows from the
    // top, 3 bytes (R, G, B) a pixel.
    std::vector<uint8_t> Render();

    platform::SdlWindow window;  // outlives the device
    platform::GlDevice gpu;
    Game game;
};

// Begins the rig in a test fixture's SetUp: skips the test where this machine
// has no OpenGL 3.3 core context and fails it when the rig cannot start.
#define BEGIN_RIG_OR_SKIP(rig)                                 \
    do {                                                       \
        const SceneRenderRig::Start start = (rig).Begin();     \
        if (start == SceneRenderRig::Start::kNoContext)        \
            GTEST_SKIP() << "no OpenGL 3.3 core context here"; \
        ASSERT_EQ(start, SceneRenderRig::Start::kReady);       \
    } while (false)
