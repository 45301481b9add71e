// The sprite list without a GPU: what SubmitSprite makes of a request
// (clip space, depth, texture coordinates, turns, colour), the saturating
// count, clearing, and the blend state each quad takes.

#include <gtest/gtest.h>

#include <cstring>
#include <memory>
#include <vector>

#include "app/Game.h"
#include "graphics/Graphics.h"
#include "support/FakeGpu.h"
#include "support/FakeWindow.h"
#include "support/PlainQuad.h"
#include "world/System.h"
#include "world/WorldState.h"

namespace {

using platform::BlendState;
using platform::SpriteVertex;

// Design-space position of a clip-space vertex.
float DesignX(const SpriteVertex& v) {
    return (v.x / 0.00078125f + 1280.0f) / 2.0f;
}
float DesignY(const SpriteVertex& v) {
    return (720.0f - v.y / 0.00138888f) / 2.0f;
}

class SpriteListTest : public ::testing::Test {
protected:
    SpriteListTest() {
        graphics->AttachDevice(gpu, window);
        world->angleTable.Fill();
    }

    const SpriteVertex* QuadVertices(uint32_t quad) const {
        return graphics->Vertices() + quad * 4;
    }

    FakeGpu gpu;  // outlives the graphics object, which releases it
    FakeWindow window;
    std::unique_ptr<System> system = std::make_unique<System>();
    std::unique_ptr<WorldState> world = std::make_unique<WorldState>();
    std::unique_ptr<Graphics> graphics =
        std::make_unique<Graphics>(system->display, system->settings, system->folders, *world);
};

TEST_F(SpriteListTest, AFullScreenQuadCoversClipSpace) {
    graphics->SubmitSprite(PlainQuad(0, 0, 1280, 720));
    ASSERT_EQ(graphics->SpriteCount(), 1u);
    const SpriteVertex* v = QuadVertices(0);
    // Corners: left-bottom, left-top, right-bottom, right-top.
    const float left[4] = {-1.0f, -1.0f, 1.0f, 1.0f};
    const bool top[4] = {false, true, false, true};
    for (int i = 0; i < 4; ++i) {
        SCOPED_TRACE(i);
        EXPECT_EQ(v[i].x, left[i]);
        // 720 * 0.00138888 falls short of 1 by about 6.4e-6.
        const float edge = 720.0f * 0.00138888f;
        EXPECT_EQ(v[i].y, top[i] ? edge : -edge);
        EXPECT_NEAR(v[i].y, top[i] ? 1.0 : -1.0, 1e-5);
        EXPECT_NE(v[i].y, top[i] ? 1.0f : -1.0f);
        EXPECT_EQ(v[i].z, 0.5f * 0.0001f);
    }
}

TEST_F(SpriteListTest, DepthAndTurnsFollowTheAngleTableInOrder) {
    // A 16 x 8 quad at (100, 200) turned about its centre.
    struct Case {
        int32_t angleX, angleY, angleZ;
        float x0, y0, z0;  // vertex 0 (left-bottom) in design pixels, and its z
    };
    const float turnedZ = 0.5f * 0.0001f + 0.8192f;
    const Case cases[] = {
        {0, 0, 0, 100.0f, 208.0f, 0.00005f},
        // A quarter turn in the screen plane: (-8, 4) -> (-4, -8).
        {0, 0, 64, 104.0f, 196.0f, turnedZ},
        // A half turn about the vertical axis mirrors x; z = 0.5 turns to -0.5.
        {0, 128, 0, 116.0f, 208.0f, -0.5f * 0.0001f + 0.8192f},
        // The screen-plane turn first, then the vertical axis: (-4, -8, 0.5) -> (0.5, -8, 4).
        {0, 64, 64, 108.5f, 196.0f, 4.0f * 0.0001f + 0.8192f},
        // Then the horizontal axis: (x, -8, 4) -> (x, -4, -8).
        {64, 64, 64, 108.5f, 200.0f, -8.0f * 0.0001f + 0.8192f},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.angleX << "," << c.angleY << "," << c.angleZ);
        graphics->ClearSpriteList();
        SpriteRequest r = PlainQuad(100, 200, 16, 8);
        r.pivotX = 8.0f;
        r.pivotY = 4.0f;
        r.angleX = c.angleX;
        r.angleY = c.angleY;
        r.angleZ = c.angleZ;
        graphics->SubmitSprite(r);
        const SpriteVertex& v = QuadVertices(0)[0];
        EXPECT_NEAR(DesignX(v), c.x0, 1e-3);
        EXPECT_NEAR(DesignY(v), c.y0, 1e-3);
        EXPECT_NEAR(v.z, c.z0, 1e-6);
        if (c.angleX == 0 && c.angleY == 0 && c.angleZ == 0) {
            EXPECT_EQ(v.z, 0.5f * 0.0001f);
        } else {
            EXPECT_NEAR(v.z, 0.8192, 0.01);
        }
    }
}

TEST_F(SpriteListTest, FlipsTexelScalesAndTheTexelOffset) {
    const float e = system->settings.texelOffset;
    ASSERT_EQ(e, 1.0e-6f);
    struct Case {
        int32_t flip;
        int32_t texture;
        // Expected (u, v) of corners 0..3 as texel edges plus multiples of e.
        int uEdge[4];  // 0: left, 1: right
        int uSign[4];
        int vEdge[4];  // 0: top, 1: bottom
        int vSign[4];
    };
    const Case cases[] = {
        {0, 3, {0, 0, 1, 1}, {1, 1, 1, 1}, {1, 0, 1, 0}, {1, 1, 1, 1}},
        {1, 3, {1, 1, 0, 0}, {-1, -1, -1, -1}, {1, 0, 1, 0}, {1, 1, 1, 1}},
        {2, 3, {0, 0, 1, 1}, {1, 1, 1, 1}, {0, 1, 0, 1}, {-1, 1, -1, 1}},
        {3, 3, {1, 1, 0, 0}, {1, 1, -1, -1}, {0, 1, 0, 1}, {-1, 1, -1, 1}},
        {7, 3, {0, 0, 1, 1}, {1, 1, 1, 1}, {1, 0, 1, 0}, {1, 1, 1, 1}},
        {-1, 3, {0, 0, 1, 1}, {1, 1, 1, 1}, {1, 0, 1, 0}, {1, 1, 1, 1}},
        {0, 527, {0, 0, 1, 1}, {1, 1, 1, 1}, {1, 0, 1, 0}, {1, 1, 1, 1}},
        {0, 528, {0, 0, 1, 1}, {1, 1, 1, 1}, {1, 0, 1, 0}, {1, 1, 1, 1}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << "flip " << c.flip << " texture " << c.texture);
        graphics->ClearSpriteList();
        SpriteRequest r = PlainQuad(0, 0, 16, 32, c.texture);
        r.srcX = 192;
        r.srcY = 128;
        r.flip = c.flip;
        graphics->SubmitSprite(r);
        const float k = c.texture < 528 ? 1.0f / 512.0f : 1.0f / 128.0f;
        const float edgesU[2] = {192 * k, 208 * k};
        const float edgesV[2] = {128 * k, 160 * k};
        for (int i = 0; i < 4; ++i) {
            const SpriteVertex& v = QuadVertices(0)[i];
            EXPECT_EQ(v.u, edgesU[c.uEdge[i]] + c.uSign[i] * e) << "corner " << i;
            EXPECT_EQ(v.v, edgesV[c.vEdge[i]] + c.vSign[i] * e) << "corner " << i;
        }
    }
}

TEST_F(SpriteListTest, PivotAndScaleGrowAQuadAroundItsCentre) {
    SpriteRequest r = PlainQuad(100, 50, 16, 16);
    r.pivotX = 8.0f;
    r.pivotY = 8.0f;
    r.scaleX = 2.0f;
    graphics->SubmitSprite(r);
    r.scaleY = 0.5f;
    graphics->SubmitSprite(r);
    const SpriteVertex* wide = QuadVertices(0);
    EXPECT_FLOAT_EQ(DesignX(wide[0]), 92.0f);
    EXPECT_FLOAT_EQ(DesignX(wide[2]), 124.0f);
    EXPECT_NEAR(DesignY(wide[1]), 50.0f, 1e-3);
    EXPECT_NEAR(DesignY(wide[0]), 66.0f, 1e-3);
    const SpriteVertex* flat = QuadVertices(1);
    EXPECT_NEAR(DesignY(flat[1]), 54.0f, 1e-3);
    EXPECT_NEAR(DesignY(flat[0]), 62.0f, 1e-3);
}

TEST_F(SpriteListTest, ColoursAreDividedBy256) {
    struct Case {
        uint32_t color;
        float r, g, b, a;
    };
    const Case cases[] = {
        {0xFFFFFFFFu, 0.99609375f, 0.99609375f, 0.99609375f, 0.99609375f},
        {0x80402010u, 0.25f, 0.125f, 0.0625f, 0.5f},
        {0x01000000u, 0.0f, 0.0f, 0.0f, 0.00390625f},
    };
    for (const Case& c : cases) {
        graphics->ClearSpriteList();
        SpriteRequest r = PlainQuad(0, 0, 8, 8);
        r.color = c.color;
        graphics->SubmitSprite(r);
        for (int i = 0; i < 4; ++i) {
            const SpriteVertex& v = QuadVertices(0)[i];
            EXPECT_EQ(v.r, c.r) << std::hex << c.color;
            EXPECT_EQ(v.g, c.g) << std::hex << c.color;
            EXPECT_EQ(v.b, c.b) << std::hex << c.color;
            EXPECT_EQ(v.a, c.a) << std::hex << c.color;
        }
    }
}

TEST_F(SpriteListTest, TheCountStopsAt14969AndLaterRequestsDisturbNothing) {
    for (uint32_t i = 0; i < Graphics::kMaxVisible; ++i) {
        SpriteRequest r = PlainQuad(static_cast<int32_t>(i % 1280), static_cast<int32_t>(i / 1280),
                                    1, 1, static_cast<int32_t>(i % 64));
        r.color = 0xFF000000u | i;
        graphics->SubmitSprite(r);
    }
    ASSERT_EQ(graphics->SpriteCount(), 14969u);
    const std::vector<SpriteVertex> before(graphics->Vertices(), graphics->Vertices() + 14969 * 4);

    for (int extra = 0; extra < 3; ++extra) {
        SpriteRequest r = PlainQuad(500 + extra, 500, 32, 32, 100 + extra);
        r.color = 0x12345678u + extra;
        r.blendMode = static_cast<BlendMode>(7);
        graphics->SubmitSprite(r);
    }
    EXPECT_EQ(graphics->SpriteCount(), 14969u);
    EXPECT_EQ(
        std::memcmp(before.data(), graphics->Vertices(), before.size() * sizeof(SpriteVertex)), 0);
    EXPECT_EQ(graphics->QuadTexture(14968), 14968 % 64);
    EXPECT_EQ(graphics->QuadColor(14968), 0xFF000000u | 14968u);
    // The overflow entry holds the last request, and is never drawn.
    EXPECT_EQ(graphics->QuadTexture(14969), 102);
    EXPECT_EQ(graphics->QuadColor(14969), 0x12345678u + 2);
    EXPECT_NEAR(DesignX(graphics->Vertices()[14969 * 4]), 502.0f, 1e-3);

    gpu.created = true;
    graphics->RenderFrame();
    EXPECT_EQ(gpu.drawnTextures.size(), 14969u);

    // A clear leaves every entry zero, the overflow entry included.
    graphics->ClearSpriteList();
    EXPECT_EQ(graphics->SpriteCount(), 0u);
    const std::vector<SpriteVertex> zero(Graphics::kListCapacity * 4, SpriteVertex{});
    EXPECT_EQ(std::memcmp(zero.data(), graphics->Vertices(), zero.size() * sizeof(SpriteVertex)),
              0);
    for (uint32_t i : {0u, 14968u, 14969u}) {
        EXPECT_EQ(graphics->QuadTexture(i), 0);
        EXPECT_EQ(graphics->QuadColor(i), 0u);
    }
}

TEST(SpriteBlendChoice, FollowsModeAndColour) {
    struct Case {
        int32_t mode;
        uint32_t color;
        BlendState expected;
    };
    const Case cases[] = {
        {0, 0xFFFFFFFFu, BlendState::kAlpha},     // white
        {0, 0xFEFFFFFFu, BlendState::kFactor},    // white, alpha 254
        {0, 0x00FFFFFFu, BlendState::kFactor},    // invisible overlay
        {0, 0xFFFF0000u, BlendState::kTint},      // opaque red
        {0, 0xFF000000u, BlendState::kTint},      // opaque black
        {0, 0xFFFFFFFEu, BlendState::kTint},      // all but white
        {1, 0xFFFFFFFFu, BlendState::kModulate},  // blend mode 1, whatever the colour
        {1, 0x10203040u, BlendState::kModulate},
        {5, 0x80FF0000u, BlendState::kAlpha},  // any other mode
        {-1, 0xFFFF0000u, BlendState::kAlpha},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(Graphics::ChooseBlendState(static_cast<BlendMode>(c.mode), c.color), c.expected)
            << "mode " << c.mode << " colour " << std::hex << c.color;
    }
}

TEST_F(SpriteListTest, RenderFrameDrawsTheListInOrderUntilTheNextClear) {
    EXPECT_TRUE(graphics->CreateDevice());
    SpriteRequest overlay = PlainQuad(0, 0, 1280, 720, 120);
    overlay.color = 0x80FFFFFFu;
    SpriteRequest tinted = PlainQuad(0, 0, 8, 8, 5);
    tinted.color = 0xFF00FF00u;
    SpriteRequest modulated = PlainQuad(0, 0, 8, 8, 6);
    modulated.blendMode = BlendMode::kModulate;
    graphics->SubmitSprite(PlainQuad(0, 0, 8, 8, 3));
    graphics->SubmitSprite(overlay);
    graphics->SubmitSprite(tinted);
    graphics->SubmitSprite(modulated);

    const std::vector<int32_t> textures = {3, 120, 5, 6};
    const std::vector<BlendState> states = {BlendState::kAlpha, BlendState::kFactor,
                                            BlendState::kTint, BlendState::kModulate};
    for (int frame = 0; frame < 2; ++frame) {
        graphics->RenderFrame();  // no clear between: the same list again
        EXPECT_EQ(gpu.drawnTextures, textures);
        EXPECT_EQ(gpu.drawnStates, states);
    }
    graphics->ClearSpriteList();
    graphics->RenderFrame();
    EXPECT_TRUE(gpu.drawnTextures.empty());
    EXPECT_EQ(gpu.clears, 3);
    EXPECT_EQ(gpu.presents, 3);
}

TEST_F(SpriteListTest, TheDeviceReadsItsShadersFromTheProgramFolder) {
    system->folders.programFolder = "/opt/tessary/";
    EXPECT_TRUE(graphics->CreateDevice());
    EXPECT_EQ(gpu.shaderFolder, u"/opt/tessary/");
    gpu.createSucceeds = false;
    EXPECT_FALSE(graphics->CreateDevice());
}

}  // namespace
