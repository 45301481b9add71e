// The GL device on the offscreen video driver (EGL, Mesa's software
// rasterizer where there is no GPU): create, clear, present, release.

#include <SDL.h>
#include <epoxy/gl.h>
#include <gtest/gtest.h>

#include <array>
#include <cstdlib>
#include <string_view>

#include "platform/GlDevice.h"
#include "platform/SdlWindow.h"
#include "support/FakeWindow.h"

namespace {

// The shader files of the source tree.
constexpr std::string_view kShaderFolder = TESSARY_SHADER_DIR;

class GlDeviceTest : public ::testing::Test {
protected:
    void SetUp() override {
        setenv("SDL_VIDEODRIVER", "offscreen", 1);
        ASSERT_TRUE(window.Create("Tessary", 1280, 720));
    }

    // Creates the device, or skips the test where this system has no GL 3.3 core.
    void CreateOrSkip() {
        if (gpu.Create(window, kShaderFolder))
            return;
        if (gpu.failure() == platform::GlFailure::kNoContext)
            GTEST_SKIP() << "no OpenGL 3.3 core context here: " << SDL_GetError();
        FAIL() << "the device could not be made";
    }

    static std::array<GLint, 4> Viewport() {
        std::array<GLint, 4> v{};
        glGetIntegerv(GL_VIEWPORT, v.data());
        return v;
    }

    platform::SdlWindow window;  // outlives the device
    platform::GlDevice gpu;
};

TEST_F(GlDeviceTest, ClearsToTransparentBlackAndPresents) {
    ASSERT_NO_FATAL_FAILURE(CreateOrSkip());
    if (IsSkipped())
        return;
    EXPECT_TRUE(gpu.IsCreated());
    EXPECT_EQ(Viewport(), (std::array<GLint, 4>{0, 0, 1280, 720}));

    glClearColor(1.0f, 0.5f, 0.25f, 1.0f);
    glClear(GL_COLOR_BUFFER_BIT);
    gpu.Clear();
    // The window's buffer has no alpha channel (an alpha visual can make the
    // window see-through under a compositor), so only the colour is checked.
    std::array<uint8_t, 3> pixel{9, 9, 9};
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    glReadPixels(640, 360, 1, 1, GL_RGB, GL_UNSIGNED_BYTE, pixel.data());
    EXPECT_EQ(pixel, (std::array<uint8_t, 3>{0, 0, 0}));

    EXPECT_EQ(gpu.Present(false), platform::DeviceStatus::kOk);
    EXPECT_EQ(gpu.Present(true), platform::DeviceStatus::kOk);
    EXPECT_EQ(gpu.RemovedReason(), platform::DeviceStatus::kOk);

    gpu.Release();
    EXPECT_FALSE(gpu.IsCreated());
    EXPECT_EQ(SDL_GL_GetCurrentContext(), nullptr);
    gpu.Release();  // nothing left: harmless
    EXPECT_EQ(gpu.Present(false), platform::DeviceStatus::kOk);
}

// The picture is the largest centred 16:9 part of the window (GL counts its
// rows from the bottom); the clear blackens what is drawn on.
TEST_F(GlDeviceTest, TheViewportIsTheLetterboxedPictureOfTheWindow) {
    ASSERT_NO_FATAL_FAILURE(CreateOrSkip());
    if (IsSkipped())
        return;
    struct Case {
        int32_t width, height;
        std::array<GLint, 4> viewport;
    };
    const Case cases[] = {
        {640, 360, {0, 0, 640, 360}},
        {1000, 1000, {0, 219, 1000, 563}},
        {1000, 400, {144, 0, 711, 400}},
    };
    for (const Case& c : cases) {
        window.SetBounds({0, 0, c.width, c.height});
        glClearColor(1.0f, 1.0f, 1.0f, 1.0f);
        glClear(GL_COLOR_BUFFER_BIT);
        gpu.Clear();
        const auto picture = gpu.PictureRect();
        EXPECT_EQ((std::array<GLint, 4>{picture.x, picture.y, picture.width, picture.height}),
                  c.viewport)
            << c.width << " x " << c.height;
        std::array<uint8_t, 3> corner{9, 9, 9};
        glPixelStorei(GL_PACK_ALIGNMENT, 1);
        glReadPixels(0, 0, 1, 1, GL_RGB, GL_UNSIGNED_BYTE, corner.data());
        EXPECT_EQ(corner, (std::array<uint8_t, 3>{0, 0, 0})) << c.width << " x " << c.height;
    }
}

TEST_F(GlDeviceTest, VsyncIsAskedForOnlyWhenTheSettingChanges) {
    ASSERT_NO_FATAL_FAILURE(CreateOrSkip());
    if (IsSkipped())
        return;
    if (SDL_GL_SetSwapInterval(0) != 0)
        GTEST_SKIP() << "no swap interval control here";
    gpu.Present(true);
    EXPECT_EQ(SDL_GL_GetSwapInterval(), 1);
    gpu.Present(false);
    EXPECT_EQ(SDL_GL_GetSwapInterval(), 0);
    SDL_GL_SetSwapInterval(1);  // behind the device's back
    gpu.Present(false);         // unchanged setting: not asked again
    EXPECT_EQ(SDL_GL_GetSwapInterval(), 1);
}

TEST_F(GlDeviceTest, ForgetDropsTheContextWithoutFreeingIt) {
    ASSERT_NO_FATAL_FAILURE(CreateOrSkip());
    if (IsSkipped())
        return;
    SDL_GLContext old = SDL_GL_GetCurrentContext();
    ASSERT_NE(old, nullptr);
    gpu.Forget();
    EXPECT_FALSE(gpu.IsCreated());
    gpu.Release();  // there is nothing it may free now
    EXPECT_EQ(SDL_GL_GetCurrentContext(), old);

    ASSERT_TRUE(gpu.Create(window, kShaderFolder));
    EXPECT_NE(SDL_GL_GetCurrentContext(), old);
    SDL_GL_DeleteContext(old);
}

TEST_F(GlDeviceTest, NeedsAnOpenSdlWindow) {
    FakeWindow fake;
    ASSERT_TRUE(fake.Create("Tessary", 1280, 720));
    EXPECT_FALSE(gpu.Create(fake, kShaderFolder));
    EXPECT_FALSE(gpu.IsCreated());

    platform::SdlWindow closed;
    EXPECT_FALSE(gpu.Create(closed, kShaderFolder));
    EXPECT_FALSE(gpu.IsCreated());
}

}  // namespace
