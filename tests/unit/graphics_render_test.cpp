// The sprite list drawn by the real GL device on the offscreen video driver
// (GL through EGL, Mesa's software rasterizer where there is no GPU), read
// back and checked against values worked out by hand.
//
// Texels are 5-5-5: channel 31 reads back as 255 and 16 as 132. Blending on an
// 8-bit target may round either way, so blended values are checked to within 1.
//
// TESSARY_TEST_SCREENSHOTS=<folder> writes the mixed frame as a PNG there.

#include <SDL.h>
#include <gtest/gtest.h>

#include <array>
#include <cstdlib>
#include <functional>
#include <memory>
#include <random>
#include <set>
#include <string>
#include <string_view>
#include <vector>

#include "base/WideText.h"
#include "graphics/Graphics.h"
#include "graphics_test_util.h"
#include "platform/GlDevice.h"
#include "platform/SdlWindow.h"
#include "support/TempFolder.h"
#include "world/System.h"
#include "world/WorldState.h"

namespace {

constexpr std::string_view kShaderFolder = TESSARY_SHADER_DIR;

using Rgb = std::array<int, 3>;
using Path = platform::GlSpriteRenderer::Path;

constexpr uint16_t kClear = 0x7C1F;
constexpr uint16_t Texel(int r, int g, int b) {
    return static_cast<uint16_t>(0x8000 | r << 10 | g << 5 | b);
}

// Cells of the test picture in slot 3, 16 x 16 texels each, along the top row.
enum Cell { kRed, kWhite, kGrey, kCyan, kTransparent, kHalf, kCells };
constexpr uint16_t kCellTexel[kCells] = {
    Texel(31, 0, 0), Texel(31, 31, 31), Texel(16, 16, 16), Texel(0, 31, 31), kClear, 0};
constexpr Rgb kRedRgb{255, 0, 0};
constexpr Rgb kWhiteRgb{255, 255, 255};
constexpr Rgb kGreyRgb{132, 132, 132};
constexpr Rgb kCyanRgb{0, 255, 255};

// The glyph of 'L' in the sheet of slot 6: a bar down columns 2..4 (rows 4..27)
// and a foot along rows 24..27 (columns 2..12).
bool GlyphLit(int x, int y) {
    return (x >= 2 && x <= 4 && y >= 4 && y <= 27) || (y >= 24 && y <= 27 && x >= 2 && x <= 12);
}
constexpr int kGlyphX = 16 * ('L' & 0x0F);
constexpr int kGlyphY = 2 * ('L' & 0xF0);

class GraphicsRenderTest : public ::testing::Test {
protected:
    void SetUp() override {
        setenv("SDL_VIDEODRIVER", "offscreen", 1);
        ASSERT_TRUE(window.Create("Tessary", 1280, 720));
        system->folders.programFolder = kShaderFolder;
        graphics->AttachDevice(gpu, window);
        CREATE_DEVICE_OR_SKIP(*graphics, gpu);
        FillPictures();
    }

    // Slot 3: the cells above; slot 6: the glyph sheet with 'L'.
    void FillPictures() {
        std::vector<uint16_t> texels(512 * 512, kClear);
        for (int cell = 0; cell < kCells; ++cell) {
            for (int y = 0; y < 16; ++y) {
                for (int x = 0; x < 16; ++x) {
                    uint16_t t = kCellTexel[cell];
                    if (cell == kHalf)
                        t = x < 8 ? kCellTexel[kRed] : kClear;
                    texels[y * 512 + cell * 16 + x] = t;
                }
            }
        }
        ASSERT_TRUE(graphics->FillTextureSlot(3, texels.data()));
        std::vector<uint16_t> sheet(512 * 512, kClear);
        for (int y = 0; y < 32; ++y) {
            for (int x = 0; x < 16; ++x) {
                if (GlyphLit(x, y))
                    sheet[(kGlyphY + y) * 512 + kGlyphX + x] = Texel(31, 31, 31);
            }
        }
        ASSERT_TRUE(graphics->FillTextureSlot(6, sheet.data()));
    }

    // A quad of the design space showing one cell of slot 3, stretched.
    static SpriteRequest Sprite(int32_t x, int32_t y, int32_t w, int32_t h, int cell,
                                uint32_t color = 0xFFFFFFFFu, int32_t mode = 0) {
        SpriteRequest r{};
        r.x = x;
        r.y = y;
        r.width = w;
        r.height = h;
        r.srcX = cell * 16;
        r.srcWidth = 16;
        r.srcHeight = 16;
        r.scaleX = 1.0f;
        r.scaleY = 1.0f;
        r.color = color;
        r.blendMode = static_cast<BlendMode>(mode);
        r.texture = 3;
        return r;
    }
    static SpriteRequest Untextured(int32_t x, int32_t y, int32_t w, int32_t h, uint32_t color,
                                    int32_t texture = 120) {
        SpriteRequest r = Sprite(x, y, w, h, 0, color);
        r.srcX = 32;
        r.texture = texture;
        return r;
    }

    Rgb At(int x, int y) {
        uint8_t p[3] = {};
        EXPECT_TRUE(gpu.ReadPixels(x, y, 1, 1, p));
        return {p[0], p[1], p[2]};
    }
    std::vector<uint8_t> Frame() {
        std::vector<uint8_t> rgb(1280 * 720 * 3);
        EXPECT_TRUE(gpu.ReadPixels(0, 0, 1280, 720, rgb.data()));
        return rgb;
    }
    // Writes the back buffer to $TESSARY_TEST_SCREENSHOTS/name, when that is set.
    void Screenshot(const std::string& name) {
        if (const char* folder = std::getenv("TESSARY_TEST_SCREENSHOTS"))
            WriteScreenshot(std::string(folder) + "/" + name, Frame(), 1280, 720);
    }
    static void ExpectNear(const Rgb& got, const Rgb& want, int tolerance,
                           const std::string& what) {
        for (int c = 0; c < 3; ++c) {
            EXPECT_NEAR(got[c], want[c], tolerance)
                << what << ": channel " << c << " is " << got[c] << ", want " << want[c];
        }
    }

    platform::SdlWindow window;  // outlives the device
    platform::GlDevice gpu;
    std::unique_ptr<System> system = std::make_unique<System>();
    std::unique_ptr<WorldState> world = std::make_unique<WorldState>();
    std::unique_ptr<Graphics> graphics =
        std::make_unique<Graphics>(system->display, system->settings, system->folders, *world);
};

TEST_F(GraphicsRenderTest, TheFourBlendStatesOverAKnownBackground) {
    struct Case {
        const char* what;
        Cell background;
        Cell sprite;
        uint32_t color;
        int32_t mode;
        Rgb want;
    };
    const Case cases[] = {
        // Alpha blend: the texel as it is.
        {"white: alpha blend", kCyan, kRed, 0xFFFFFFFFu, 0, kRedRgb},
        {"mode 5: plain alpha", kCyan, kRed, 0x80FF0000u, 5, kRedRgb},
        // Factor blend, f = (R*A, G*A, B*A) / 65536: red over cyan at f = 0.498.
        {"white alpha 128: factor", kCyan, kRed, 0x80FFFFFFu, 0, {127, 128, 128}},
        // Red alpha 128 over grey: r = 255 * 0.498 + 132 * 0.502, g = b = 132.
        {"red alpha 128: factor", kGrey, kWhite, 0x80FF0000u, 0, {193, 132, 132}},
        // Tint: source * f, the target gone. f = (0.498, 0.992, 0.249).
        {"opaque colour: tint", kCyan, kWhite, 0xFF80FF40u, 0, {127, 253, 64}},
        {"opaque red: tint", kCyan, kWhite, 0xFFFF0000u, 0, {253, 0, 0}},
        // Modulating: source * (1 - f) + target * target.
        {"mode 1 over grey", kGrey, kRed, 0x80FFFFFFu, 1, {196, 68, 68}},
        {"mode 1 over cyan", kCyan, kRed, 0x80FFFFFFu, 1, {128, 255, 255}},
    };
    graphics->ClearSpriteList();
    int x = 0;
    for (const Case& c : cases) {
        graphics->SubmitSprite(Sprite(x, 100, 64, 64, c.background));
        graphics->SubmitSprite(Sprite(x + 16, 116, 32, 32, c.sprite, c.color, c.mode));
        x += 80;
    }
    graphics->DrawFrame();
    Screenshot("blend-states.png");
    x = 0;
    for (const Case& c : cases) {
        ExpectNear(At(x + 32, 132), c.want, 1, c.what);
        // Around the sprite, the background is untouched.
        const Rgb background = c.background == kGrey ? kGreyRgb : kCyanRgb;
        ExpectNear(At(x + 4, 104), background, 0, std::string(c.what) + " (background)");
        x += 80;
    }
}

TEST_F(GraphicsRenderTest, TransparentTexelsStayInvisibleUnderEveryBlendState) {
    struct Case {
        uint32_t color;
        int32_t mode;
    };
    const Case cases[] = {
        {0xFFFFFFFFu, 0}, {0x80FFFFFFu, 0}, {0xFFFF0000u, 0}, {0x80FFFFFFu, 1}, {0x00000000u, 2},
    };
    graphics->ClearSpriteList();
    int x = 0;
    for (const Case& c : cases) {
        graphics->SubmitSprite(Sprite(x, 0, 64, 64, kGrey));
        graphics->SubmitSprite(Sprite(x, 0, 64, 64, kTransparent, c.color, c.mode));
        graphics->SubmitSprite(Sprite(x, 100, 64, 64, kGrey));
        graphics->SubmitSprite(Sprite(x, 100, 64, 64, kHalf, c.color, c.mode));
        x += 80;
    }
    graphics->DrawFrame();
    x = 0;
    for (const Case& c : cases) {
        const std::string what =
            "colour " + std::to_string(c.color) + " mode " + std::to_string(c.mode);
        ExpectNear(At(x + 32, 32), kGreyRgb, 0, what);
        ExpectNear(At(x + 48, 132), kGreyRgb, 0, what + " (transparent half)");
        EXPECT_NE(At(x + 16, 132), kGreyRgb) << what << " (opaque half)";
        x += 80;
    }
}

TEST_F(GraphicsRenderTest, FadeOverlayAndBorderMasksDarkenWithoutATexture) {
    struct Case {
        int level;
        Rgb overGrey;
        Rgb overWhite;
    };
    // The overlay's picture is colour 0 with the fade level as alpha. Level 255
    // is an untinted opaque quad (alpha blend): the colour's divisor of 256
    // leaves 1/256 of the target, so black means 0 or 1.
    const Case cases[] = {
        {0, kGreyRgb, kWhiteRgb},
        {128, {66, 66, 66}, {128, 128, 128}},
        {255, {0, 0, 0}, {1, 1, 1}},
    };
    for (const Case& c : cases) {
        graphics->ClearSpriteList();
        graphics->SubmitSprite(Sprite(0, 0, 640, 720, kGrey));
        graphics->SubmitSprite(Sprite(640, 0, 640, 720, kWhite));
        graphics->SubmitSprite(
            Untextured(0, 0, 1280, 720, static_cast<uint32_t>(c.level) << 24 | 0xFFFFFFu));
        graphics->DrawFrame();
        const std::string what = "fade " + std::to_string(c.level);
        ExpectNear(At(320, 360), c.overGrey, 1, what + " over grey");
        ExpectNear(At(960, 360), c.overWhite, 1, what + " over white");
    }

    // The left border mask of the play screen hides x < 16.
    graphics->ClearSpriteList();
    graphics->SubmitSprite(Sprite(0, 0, 1280, 720, kWhite));
    graphics->SubmitSprite(Untextured(-240, -256, 256, 720 + 512, 0xFFFFFFFFu));
    graphics->DrawFrame();
    ExpectNear(At(0, 0), {0, 0, 0}, 1, "mask");
    ExpectNear(At(15, 719), {0, 0, 0}, 1, "mask");
    ExpectNear(At(16, 360), kWhiteRgb, 0, "visible area");
}

TEST_F(GraphicsRenderTest, GlyphsDrawMirroredByEveryFlip) {
    graphics->ClearSpriteList();
    for (int flip = 0; flip < 4; ++flip) {
        SpriteRequest r{};
        r.x = 100 + 40 * flip;
        r.y = 50;
        r.width = 16;
        r.height = 32;
        r.srcX = kGlyphX;
        r.srcY = kGlyphY;
        r.srcWidth = 16;
        r.srcHeight = 32;
        r.scaleX = 1.0f;
        r.scaleY = 1.0f;
        r.flip = flip;
        r.color = 0xFFFFFFFFu;
        r.texture = 6;
        graphics->SubmitSprite(r);
    }
    graphics->DrawFrame();
    for (int flip = 0; flip < 4; ++flip) {
        std::vector<uint8_t> block(16 * 32 * 3);
        ASSERT_TRUE(gpu.ReadPixels(100 + 40 * flip, 50, 16, 32, block.data()));
        int wrong = 0;
        for (int y = 0; y < 32; ++y) {
            for (int x = 0; x < 16; ++x) {
                const int gx = (flip & 1) ? 15 - x : x;
                const int gy = (flip & 2) ? 31 - y : y;
                const uint8_t want = GlyphLit(gx, gy) ? 255 : 0;
                for (int c = 0; c < 3; ++c)
                    wrong += block[(y * 16 + x) * 3 + c] != want;
            }
        }
        EXPECT_EQ(wrong, 0) << "flip " << flip;
    }
}

TEST_F(GraphicsRenderTest, AQuadOfAnEmptySlotDrawsUntextured) {
    // Slot 11 is filled and then emptied; slot 12 is filled in red.
    std::vector<uint16_t> red(512 * 512, Texel(31, 0, 0));
    ASSERT_TRUE(graphics->FillTextureSlot(11, red.data()));
    graphics->ReleaseTextureSlot(11);
    ASSERT_TRUE(graphics->FillTextureSlot(12, red.data()));
    EXPECT_FALSE(graphics->TextureSlotFilled(11));
    EXPECT_FALSE(graphics->FillTextureSlot(64, red.data()));

    const int32_t slots[] = {10, 11, 63, 64, 120, 700, -5, 12};
    graphics->ClearSpriteList();
    graphics->SubmitSprite(Sprite(0, 0, 1280, 720, kWhite));
    int x = 0;
    for (int32_t slot : slots) {
        graphics->SubmitSprite(Untextured(x, 0, 32, 32, 0x80FFFFFFu, slot));
        x += 40;
    }
    graphics->DrawFrame();
    x = 0;
    for (int32_t slot : slots) {
        const Rgb want = slot == 12 ? Rgb{255, 128, 128} : Rgb{128, 128, 128};
        ExpectNear(At(x + 16, 16), want, 1, "slot " + std::to_string(slot));
        x += 40;
    }
}

TEST_F(GraphicsRenderTest, HighSlotsGrowTheTextureArrayAndKeepTheFilledOnes) {
    // Slots 3 and 6 are filled; 9, 40 and 63 each make the array deeper.
    const int32_t slots[] = {9, 40, 63};
    const uint16_t colors[] = {Texel(31, 0, 0), Texel(0, 31, 0), Texel(0, 0, 31)};
    for (int i = 0; i < 3; ++i) {
        std::vector<uint16_t> picture(512 * 512, colors[i]);
        ASSERT_TRUE(graphics->FillTextureSlot(slots[i], picture.data())) << slots[i];
    }
    graphics->ClearSpriteList();
    graphics->SubmitSprite(Sprite(0, 0, 32, 32, kWhite));  // slot 3, filled before the growth
    for (int i = 0; i < 3; ++i) {
        SpriteRequest r = Sprite(40 * (i + 1), 0, 32, 32, kWhite);
        r.texture = slots[i];
        graphics->SubmitSprite(r);
    }
    graphics->DrawFrame();
    EXPECT_EQ(At(16, 16), kWhiteRgb);
    const Rgb want[] = {{255, 0, 0}, {0, 255, 0}, {0, 0, 255}};
    for (int i = 0; i < 3; ++i)
        ExpectNear(At(40 * (i + 1) + 16, 16), want[i], 0, "slot " + std::to_string(slots[i]));
}

TEST_F(GraphicsRenderTest, AFrameOfMoreQuadsThanTheBuffersHoldDrawsEveryOne) {
    // 3,000 white quads of 8 x 8 pixels, each tinted its own colour, then a frame of one.
    auto colour = [](int i) { return Rgb{i & 255, i >> 8, 200}; };
    for (int frame : {3000, 1}) {
        graphics->ClearSpriteList();
        for (int i = 0; i < frame; ++i) {
            const Rgb c = colour(i);
            graphics->SubmitSprite(Sprite(i % 150 * 8, i / 150 * 8, 8, 8, kWhite,
                                          0xFF000000u | c[0] << 16 | c[1] << 8 | c[2]));
        }
        graphics->DrawFrame();
        for (int i : {0, 1023, 1024, 2047, 2999}) {
            const Rgb want = i < frame ? colour(i) : Rgb{0, 0, 0};
            ExpectNear(At(i % 150 * 8 + 4, i / 150 * 8 + 4), want, 2,
                       std::to_string(frame) + " quads: quad " + std::to_string(i));
        }
    }
}

TEST_F(GraphicsRenderTest, EveryFiveBitLevelReadsAsItsShareOfThirtyOne) {
    // Slot 2: column block v (16 texels) holds red v, green 31 - v, blue v.
    std::vector<uint16_t> levels(512 * 512, kClear);
    for (int y = 0; y < 16; ++y) {
        for (int x = 0; x < 512; ++x)
            levels[y * 512 + x] = Texel(x / 16, 31 - x / 16, x / 16);
    }
    ASSERT_TRUE(graphics->FillTextureSlot(2, levels.data()));
    SpriteRequest r = Sprite(0, 0, 512, 16, kWhite);
    r.srcX = 0;
    r.srcWidth = 512;
    r.texture = 2;
    graphics->ClearSpriteList();
    graphics->SubmitSprite(r);
    graphics->DrawFrame();
    for (int v = 0; v < 32; ++v) {
        const int want = (v * 255 * 2 + 31) / 62;  // v / 31 of 255, to the nearest
        ExpectNear(At(v * 16 + 8, 8), Rgb{want, 255 - want, want}, 0, "level " + std::to_string(v));
    }
}

TEST_F(GraphicsRenderTest, AnEmptyListShowsTheClearedFrame) {
    graphics->ClearSpriteList();
    graphics->SubmitSprite(Sprite(0, 0, 1280, 720, kWhite));
    graphics->DrawFrame();
    ASSERT_EQ(At(640, 360), kWhiteRgb);
    graphics->ClearSpriteList();
    graphics->DrawFrame();
    const std::vector<uint8_t> frame = Frame();
    EXPECT_EQ(frame, std::vector<uint8_t>(frame.size(), 0));
    EXPECT_EQ(graphics->RenderFrame(), platform::DeviceStatus::kOk);
}

TEST_F(GraphicsRenderTest, BatchesGiveThePixelsOfTheQuadByQuadPath) {
    // Slot 5: 16 x 16 cells of random colours, a quarter of the texels clear.
    std::mt19937 random(20240611);
    std::vector<uint16_t> cells(512 * 512);
    for (int y = 0; y < 512; ++y) {
        for (int x = 0; x < 512; ++x) {
            const uint32_t cell = (y / 16) * 32 + x / 16;
            const uint16_t colour = static_cast<uint16_t>(0x8000 | ((cell * 2654435761u) >> 17));
            cells[y * 512 + x] = ((x ^ y) & 3) == 0 ? kClear : colour;
        }
    }
    ASSERT_TRUE(graphics->FillTextureSlot(5, cells.data()));
    world->angleTable.Fill();

    // 2,400 quads: glyphs, tiles, window boxes, overlays, in every blend state.
    const int32_t textures[] = {3, 5, 6, 6, 10, 120};
    auto pick = [&](int n) { return static_cast<int>(random() % static_cast<uint32_t>(n)); };
    graphics->ClearSpriteList();
    for (int i = 0; i < 2400; ++i) {
        SpriteRequest r{};
        r.x = pick(1400) - 60;
        r.y = pick(800) - 40;
        r.width = 4 + pick(120);
        r.height = 4 + pick(120);
        r.srcX = pick(496);
        r.srcY = pick(496);
        r.srcWidth = 1 + pick(64);
        r.srcHeight = 1 + pick(64);
        r.scaleX = 0.5f + pick(4) * 0.5f;
        r.scaleY = 0.5f + pick(4) * 0.5f;
        r.flip = pick(5);
        r.pivotX = static_cast<float>(pick(r.width));
        r.pivotY = static_cast<float>(pick(r.height));
        if (pick(8) == 0)
            r.angleZ = pick(256);
        switch (pick(6)) {
            case 0:
            case 1:
                r.color = 0xFFFFFFFFu;
                break;
            case 2:
                r.color = static_cast<uint32_t>(random()) | 0xFF000000u;
                break;
            default:
                r.color = static_cast<uint32_t>(random());
                break;
        }
        const int mode = pick(10);
        r.blendMode = mode == 0   ? BlendMode::kModulate
                      : mode == 1 ? BlendMode::kAlpha
                                  : BlendMode::kNormal;
        r.texture = textures[pick(6)];
        graphics->SubmitSprite(r);
    }
    ASSERT_EQ(graphics->SpriteCount(), 2400u);

    // The reference draws every quad, one by one; the normal path leaves out
    // the quads that cannot change a pixel and batches the rest.
    graphics->SetCulling(false);
    gpu.SetDrawPath(Path::kQuadByQuad);
    graphics->DrawFrame();
    const std::vector<uint8_t> reference = Frame();
    graphics->SetCulling(true);
    gpu.SetDrawPath(Path::kBatched);
    graphics->DrawFrame();
    const std::vector<uint8_t> batched = Frame();

    Screenshot("mixed-frame.png");

    int differing = 0;
    std::set<uint32_t> colours;
    for (size_t p = 0; p < reference.size(); p += 3) {
        differing += reference[p] != batched[p] || reference[p + 1] != batched[p + 1] ||
                     reference[p + 2] != batched[p + 2];
        colours.insert(uint32_t{reference[p]} << 16 | uint32_t{reference[p + 1]} << 8 |
                       reference[p + 2]);
    }
    EXPECT_EQ(differing, 0);
    EXPECT_GT(colours.size(), 1000u);  // the frame is anything but plain
}

TEST_F(GraphicsRenderTest, PartialRedrawsGiveThePixelsOfAWholeRedraw) {
    graphics->SetRedrawAlways(false);
    world->angleTable.Fill();
    // A backdrop and 600 small quads of every kind: cells, glyphs, overlays,
    // tints, turned quads.
    std::vector<SpriteRequest> base = {Sprite(0, 0, 1280, 720, kGrey)};
    std::mt19937 random(7);
    auto pick = [&](int n) { return static_cast<int>(random() % static_cast<uint32_t>(n)); };
    for (int i = 0; i < 600; ++i) {
        SpriteRequest r = Sprite(pick(1300) - 10, pick(740) - 10, 4 + pick(60), 4 + pick(60),
                                 pick(kCells), pick(3) == 0 ? random() : 0xFFFFFFFFu, pick(3));
        if (pick(4) == 0)
            r.texture = pick(2) == 0 ? 6 : 120, r.srcX = kGlyphX, r.srcY = kGlyphY;
        if (pick(6) == 0)
            r.angleZ = pick(256), r.pivotX = 8.0f, r.pivotY = 8.0f;
        base.push_back(r);
    }
    const struct {
        const char* name;
        std::function<void(std::vector<SpriteRequest>&)> change;
    } cases[] = {
        {"moved", [](auto& l) { l[100].x += 3, l[100].y -= 5; }},
        {"recoloured", [](auto& l) { l[200].color = 0x60FF8000u; }},
        {"turned", [](auto& l) { l[300].angleZ += 9, l[300].pivotX = 20.0f; }},
        {"overlay added", [](auto& l) { l.push_back(Untextured(300, 200, 90, 70, 0x80FFFFFFu)); }},
        {"dropped", [](auto& l) { l.resize(l.size() - 3); }},
        {"two apart", [](auto& l) { l[10].srcX = 16, l[590].y += 1; }},
    };
    auto submit = [&](const std::vector<SpriteRequest>& list) {
        graphics->ClearSpriteList();
        for (const SpriteRequest& r : list)
            graphics->SubmitSprite(r);
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        graphics->InvalidatePicture();
        submit(base);
        graphics->RenderFrame();
        const std::vector<uint8_t> before = Frame();
        std::vector<SpriteRequest> changed = base;
        c.change(changed);
        submit(changed);
        graphics->RenderFrame();
        EXPECT_TRUE(graphics->LastFramePartial());
        const std::vector<uint8_t> partial = Frame();
        graphics->InvalidatePicture();
        graphics->RenderFrame();
        EXPECT_FALSE(graphics->LastFramePartial());
        const std::vector<uint8_t> whole = Frame();
        EXPECT_NE(whole, before);  // the change shows
        size_t differing = 0;
        for (size_t p = 0; p < whole.size(); ++p)
            differing += partial[p] != whole[p];
        EXPECT_EQ(differing, 0u);
    }
}

TEST_F(GraphicsRenderTest, TheDeviceKeepsItsPictureUntilTheWindowSpoilsIt) {
    graphics->SetRedrawAlways(false);
    graphics->SubmitSprite(Sprite(10, 10, 20, 20, kRed));
    const struct {
        const char* name;
        std::function<void()> spoil;
    } cases[] = {
        {"hidden and shown",
         [&] {
             SDL_HideWindow(window.Handle()), graphics->RenderFrame(),
                 SDL_ShowWindow(window.Handle());
         }},
        {"invalidated", [&] { graphics->InvalidatePicture(); }},
        {"resized", [&] { SDL_SetWindowSize(window.Handle(), 640, 360); }},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        graphics->RenderFrame();
        graphics->RenderFrame();
        ASSERT_TRUE(graphics->LastFrameSkipped());
        c.spoil();
        graphics->RenderFrame();
        EXPECT_FALSE(graphics->LastFrameSkipped());
        EXPECT_FALSE(graphics->LastFramePartial());
    }
    EXPECT_EQ(At(5, 5), kRedRgb);  // drawn again at the new size
}

TEST(GraphicsDevice, MissingOrBrokenShaderFilesFailCreation) {
    setenv("SDL_VIDEODRIVER", "offscreen", 1);
    platform::SdlWindow window;
    ASSERT_TRUE(window.Create("Tessary", 1280, 720));
    platform::GlDevice gpu;
    TempFolder folder;
    const std::u16string shaders = folder.Path("");
    struct Case {
        const char* what;
        const char* vertex;  // nullptr: no file
        const char* pixel;
        bool missing;
    };
    const Case cases[] = {
        {"no shader files", nullptr, nullptr, true},
        {"no pixel shader", "#version 330 core\nvoid main() { gl_Position = vec4(0.0); }\n",
         nullptr, true},
        {"a vertex shader that does not compile", "#version 330 core\nvoid main() { oops }\n",
         "#version 330 core\nout vec4 c;\nvoid main() { c = vec4(1.0); }\n", false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        std::remove(folder.Native("SampleVS.glsl").c_str());
        std::remove(folder.Native("SamplePS.glsl").c_str());
        auto bytes = [](std::string_view text) { return Bytes(text.begin(), text.end()); };
        if (c.vertex != nullptr)
            folder.Write("SampleVS.glsl", bytes(c.vertex));
        if (c.pixel != nullptr)
            folder.Write("SamplePS.glsl", bytes(c.pixel));
        const bool made = gpu.Create(window, shaders).ok();
        if (gpu.failure() == platform::GlFailure::kNoContext)
            GTEST_SKIP() << "no OpenGL 3.3 core context here";
        EXPECT_FALSE(made);
        EXPECT_EQ(gpu.failure(),
                  c.missing ? platform::GlFailure::kShaderFile : platform::GlFailure::kShader);
        // What was made stays until Release; drawing with it does nothing.
        const platform::SpriteVertex vertices[4] = {};
        const int32_t texture = 0;
        const platform::BlendState state = platform::BlendState::kAlpha;
        gpu.Clear();
        gpu.DrawSprites(vertices, &texture, &state, 1);
        EXPECT_EQ(gpu.Present(false), platform::DeviceStatus::kOk);
        gpu.Release();
        EXPECT_FALSE(gpu.IsCreated());
    }
}

}  // namespace
