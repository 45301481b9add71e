// Redrawing only what changed, against the device double: a repeated picture
// is neither drawn nor presented, a small change redraws its box alone, and
// everything that spoils the last picture brings a whole redraw back.

#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <vector>

#include "graphics/Graphics.h"
#include "support/FakeGpu.h"
#include "support/FakeWindow.h"
#include "support/PlainQuad.h"
#include "world/System.h"
#include "world/WorldState.h"

namespace {

class RedrawTest : public ::testing::Test {
protected:
    RedrawTest() {
        graphics->AttachDevice(gpu, window);
        graphics->SetRedrawAlways(false);
        gpu.keepsPicture = true;
        EXPECT_TRUE(graphics->CreateDevice());
        texels.assign(512 * 512, 0x8000);
        graphics->FillTextureSlot(3, texels.data());
    }

    // A screen of small tiles and one full-screen backdrop under them.
    void Submit(const std::function<void(std::vector<SpriteRequest>&)>& change = {}) {
        std::vector<SpriteRequest> list = {PlainQuad(0, 0, 1280, 720)};
        for (int i = 0; i < 40; ++i)
            list.push_back(PlainQuad(32 * i, 100, 16, 16));
        if (change)
            change(list);
        graphics->ClearSpriteList();
        for (const SpriteRequest& r : list)
            graphics->SubmitSprite(r);
    }
    // What the next RenderFrame did: 0 skipped, 1 drew part, 2 drew everything.
    int Render() {
        const int clears = gpu.clears;
        const int presents = gpu.presents;
        graphics->RenderFrame();
        EXPECT_EQ(gpu.presents - presents, graphics->LastFrameSkipped() ? 0 : 1);
        if (gpu.clears == clears)
            return 0;
        return gpu.limited ? 1 : 2;
    }

    FakeGpu gpu;
    FakeWindow window;
    std::vector<uint16_t> texels;
    std::unique_ptr<System> system = std::make_unique<System>();
    std::unique_ptr<WorldState> world = std::make_unique<WorldState>();
    std::unique_ptr<Graphics> graphics =
        std::make_unique<Graphics>(system->display, system->settings, system->folders, *world);
};

TEST_F(RedrawTest, TheSamePictureIsNeitherDrawnNorPresentedAgain) {
    Submit();
    EXPECT_EQ(Render(), 2);  // the first frame
    const int draws = gpu.draws;
    for (int frame = 0; frame < 3; ++frame) {
        Submit();
        EXPECT_EQ(Render(), 0);
        EXPECT_TRUE(graphics->LastFrameSkipped());
    }
    EXPECT_EQ(Render(), 0);  // the list kept, no clear
    EXPECT_EQ(gpu.draws, draws);
}

TEST_F(RedrawTest, ASmallChangeRedrawsTheBoxOfItsOldAndNewPlaces) {
    struct Case {
        const char* name;
        std::function<void(std::vector<SpriteRequest>&)> change;
        int want;  // what the frame does
        // The changed box in design pixels (left, top, right, bottom), for a partial frame.
        float left, top, right, bottom;
    };
    const Case cases[] = {
        {"moved", [](auto& l) { l[3].x += 8; }, 1, 64, 100, 88, 116},
        {"recoloured", [](auto& l) { l[5].color = 0x80FFFFFFu; }, 1, 128, 100, 144, 116},
        {"added", [](auto& l) { l.push_back(PlainQuad(600, 600, 20, 10)); }, 1, 600, 600, 620, 610},
        {"dropped", [](auto& l) { l.pop_back(); }, 1, 1248, 100, 1264, 116},
        {"two apart", [](auto& l) { l[1].srcX = 1, l[40].srcX = 1; }, 1, 0, 100, 1264, 116},
        {"backdrop", [](auto& l) { l[0].color = 0xFF808080u; }, 2, 0, 0, 0, 0},
        {"more than half", [](auto& l) { l.push_back(PlainQuad(0, 0, 1100, 500)); }, 2, 0, 0, 0, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        graphics->InvalidatePicture();
        Submit();
        ASSERT_EQ(Render(), 2);
        Submit(c.change);
        EXPECT_EQ(Render(), c.want);
        EXPECT_EQ(graphics->LastFramePartial(), c.want == 1);
        if (c.want == 1) {
            const platform::ClipBox& box = gpu.lastLimit;
            EXPECT_NEAR((box.left + 1.0f) * 640.0f, c.left, 0.01f);
            EXPECT_NEAR((box.right + 1.0f) * 640.0f, c.right, 0.01f);
            EXPECT_NEAR((1.0f - box.top) * 360.0f, c.top, 0.01f);
            EXPECT_NEAR((1.0f - box.bottom) * 360.0f, c.bottom, 0.01f);
        }
        EXPECT_EQ(Render(), 0);  // and once drawn, it stands
    }
}

TEST_F(RedrawTest, WhateverSpoilsTheLastPictureBringsAWholeRedraw) {
    const struct {
        const char* name;
        std::function<void()> spoil;
    } cases[] = {
        {"the device made again",
         [&] {
             graphics->ReleaseDevice();
             EXPECT_TRUE(graphics->CreateDevice());
         }},
        {"a texture filled", [&] { graphics->FillTextureSlot(4, texels.data()); }},
        {"a texture emptied", [&] { graphics->ReleaseTextureSlot(3); }},
        {"the display mode", [&] { system->display.screenMode ^= 1; }},
        {"the texel offset", [&] { system->settings.texelOffset += 0.001f; }},
        {"asked for", [&] { graphics->InvalidatePicture(); }},
        {"spoilt on the device", [&] { gpu.intact = false; }},
        {"redrawing always", [&] { graphics->SetRedrawAlways(true); }},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        Submit();
        Render();
        ASSERT_EQ(Render(), 0);
        c.spoil();
        Submit();
        EXPECT_EQ(Render(), 2);
        graphics->SetRedrawAlways(false);
        graphics->FillTextureSlot(3, texels.data());
    }
    // Redrawing always draws each frame whole.
    graphics->SetRedrawAlways(true);
    for (int frame = 0; frame < 2; ++frame) {
        Submit();
        EXPECT_EQ(Render(), 2);
    }
}

TEST_F(RedrawTest, AFrameDrawnWithoutPresentIsPresentedOnceAndTheLastCanBeShownAgain) {
    Submit();
    graphics->DrawFrame();
    const int draws = gpu.draws;
    EXPECT_EQ(Render(), 0);      // nothing new to draw...
    EXPECT_EQ(gpu.presents, 1);  // ...but the picture had not been shown
    EXPECT_EQ(gpu.draws, draws);
    EXPECT_EQ(Render(), 0);
    EXPECT_EQ(gpu.presents, 1);
    graphics->PresentLastPicture();
    EXPECT_EQ(gpu.presentsAgain, 1);
    EXPECT_EQ(gpu.draws, draws);
}

TEST_F(RedrawTest, WholesaleChangesGoStraightToTheWindowUnkept) {
    Submit();
    EXPECT_EQ(Render(), 2);
    EXPECT_TRUE(gpu.kept);
    for (uint32_t grey : {0xFF808080u, 0xFF909090u}) {
        Submit([grey](auto& l) { l[0].color = grey; });
        EXPECT_EQ(Render(), 2);
        EXPECT_FALSE(gpu.kept);
    }
    // Nothing kept to draw over: a small change is drawn whole, and kept.
    Submit([](auto& l) { l[0].color = 0xFF909090u, l[2].x += 1; });
    EXPECT_EQ(Render(), 2);
    EXPECT_TRUE(gpu.kept);
    Submit([](auto& l) { l[0].color = 0xFF909090u, l[2].x += 2; });
    EXPECT_EQ(Render(), 1);
    // Shown again from an unkept frame, the list is drawn again first.
    Submit([](auto& l) { l[0].color = 0xFF808080u; });
    EXPECT_EQ(Render(), 2);
    const int draws = gpu.draws;
    graphics->PresentLastPicture();
    EXPECT_EQ(gpu.draws, draws + 1);
    EXPECT_TRUE(gpu.kept);
}

}  // namespace
