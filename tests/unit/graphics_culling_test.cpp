// Quads that cannot change a pixel are left out before the device sees them:
// the transparency map of the texture slots, which quads reach the device
// (on the fake device), and the options window over the title drawn by the
// real GL device with and without culling, compared pixel for pixel.

#include <gtest/gtest.h>

#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "app/Game.h"
#include "base/WideText.h"
#include "graphics/Graphics.h"
#include "graphics/TextureOpacity.h"
#include "graphics_test_util.h"
#include "platform/GlDevice.h"
#include "platform/SdlWindow.h"
#include "resources/LoadResources.h"
#include "scenes/TitleScene.h"
#include "support/FakeGpu.h"
#include "support/FakeServices.h"
#include "support/FakeWindow.h"
#include "world/System.h"
#include "world/WorldState.h"

namespace {

constexpr uint16_t kClear = 0x7C1F;  // alpha bit 0
constexpr uint16_t kOpaque = 0x83E0;

// A transparent picture with the given texels opaque.
std::vector<uint16_t> Picture(std::initializer_list<std::pair<int, int>> opaque) {
    std::vector<uint16_t> texels(512 * 512, kClear);
    for (const auto& [x, y] : opaque)
        texels[static_cast<size_t>(y) * 512 + x] = kOpaque;
    return texels;
}

TEST(TextureOpacity, ARectangleIsTransparentOnlyWhenNoneOfItsTexelsIsOpaque) {
    TextureOpacity map;
    const std::vector<uint16_t> picture = Picture({{100, 200}, {511, 40}, {300, 0}});
    map.Learn(7, picture.data());
    struct Case {
        const char* what;
        int left, top, right, bottom;
        bool transparent;
    };
    const Case cases[] = {
        {"opaque texel at the top-left corner", 100, 200, 115, 231, false},
        {"opaque texel at the bottom-right corner", 85, 169, 100, 200, false},
        {"a block clear of it", 102, 202, 117, 233, true},
        {"the opaque texel alone", 100, 200, 100, 200, false},
        {"columns -1..14 wrap onto column 511", -1, 30, 14, 50, false},
        {"the same columns, other rows", -1, 100, 14, 130, true},
        {"rows -1..10 wrap onto row 511, clear there", 290, -1, 299, 10, true},
        {"a row beyond the bottom wraps onto row 0", 290, 512, 310, 512, false},
        {"wider than the picture", -600, 190, 600, 210, false},
    };
    for (const Case& c : cases)
        EXPECT_EQ(map.Transparent(7, c.left, c.top, c.right, c.bottom), c.transparent) << c.what;

    // A slot never learnt, or forgotten, is never called transparent; a new picture replaces the
    // old.
    EXPECT_FALSE(map.Transparent(8, 102, 202, 117, 233));
    EXPECT_FALSE(map.Transparent(64, 102, 202, 117, 233));
    const std::vector<uint16_t> other = Picture({{110, 210}});
    map.Learn(7, other.data());
    EXPECT_TRUE(map.Transparent(7, 100, 200, 100, 200));
    EXPECT_FALSE(map.Transparent(7, 102, 202, 117, 233));
    map.Forget(7);
    EXPECT_FALSE(map.Transparent(7, 0, 300, 15, 331));

    // The whole of a solid picture, 65,536 opaque blocks, is not taken for none.
    const std::vector<uint16_t> solid(512 * 512, kOpaque);
    const std::vector<uint16_t> clear(512 * 512, kClear);
    map.Learn(9, solid.data());
    map.Learn(10, clear.data());
    EXPECT_FALSE(map.Transparent(9, 0, 0, 511, 511));
    EXPECT_FALSE(map.Transparent(9, -7, 0, 600, 510));
    EXPECT_TRUE(map.Transparent(10, 0, 0, 511, 511));
}

// ---- What reaches the device ------------------------------------------------

// Cells of the test picture, 16 x 16 texels along the top.
constexpr int kSolidCell = 0;         // every texel opaque
constexpr int kClearCell = 64;        // every texel clear, and its neighbours too
constexpr int kOpaqueJustLeft = 128;  // clear, with an opaque texel just left of its left edge
constexpr int kOpaqueOnEdge = 192;    // clear but for one texel of its own bottom row

std::vector<uint16_t> CellPicture() {
    std::vector<uint16_t> texels = Picture({{kOpaqueJustLeft - 1, 7}, {kOpaqueOnEdge + 8, 15}});
    for (int y = 0; y < 16; ++y) {
        for (int x = 0; x < 16; ++x)
            texels[static_cast<size_t>(y) * 512 + kSolidCell + x] = kOpaque;
    }
    return texels;
}

class CullingTest : public ::testing::Test {
protected:
    CullingTest() {
        graphics->AttachDevice(gpu, window);
        world->angleTable.Fill();
        EXPECT_TRUE(graphics->CreateDevice());
    }

    // A 32 x 32 quad at (x, y) from a 16 x 16 cell.
    static SpriteRequest Quad(int32_t texture, int32_t cell, uint32_t color = 0xFFFFFFFFu,
                              int32_t mode = 0, int32_t x = 100, int32_t y = 100) {
        SpriteRequest r{};
        r.x = x;
        r.y = y;
        r.width = 32;
        r.height = 32;
        r.srcX = cell;
        r.srcWidth = 16;
        r.srcHeight = 16;
        r.scaleX = 1.0f;
        r.scaleY = 1.0f;
        r.color = color;
        r.blendMode = static_cast<BlendMode>(mode);
        r.texture = texture;
        return r;
    }
    // Draws one quad; true when it reached the device.
    bool Drawn(const SpriteRequest& r) {
        graphics->ClearSpriteList();
        graphics->SubmitSprite(r);
        graphics->DrawFrame();
        return gpu.drawnTextures.size() == 1;
    }

    FakeGpu gpu;  // outlives the graphics object, which releases it
    FakeWindow window;
    std::unique_ptr<System> system = std::make_unique<System>();
    std::unique_ptr<WorldState> world = std::make_unique<WorldState>();
    std::unique_ptr<Graphics> graphics =
        std::make_unique<Graphics>(system->display, system->settings, system->folders, *world);
};

TEST_F(CullingTest, OnlyQuadsThatCannotChangeAPixelAreLeftOut) {
    const std::vector<uint16_t> cells = CellPicture();
    ASSERT_TRUE(graphics->FillTextureSlot(3, cells.data()));
    auto turned = [](SpriteRequest r, int32_t angleX, int32_t angleZ) {
        r.angleX = angleX;
        r.angleZ = angleZ;
        return r;
    };
    auto flipped = [](SpriteRequest r) {
        r.flip = 3;
        return r;
    };
    struct Case {
        const char* what;
        SpriteRequest request;
        bool drawn;
    };
    const Case cases[] = {
        // Texture: all fragments discarded, whatever the blend state.
        {"opaque cell", Quad(3, kSolidCell), true},
        {"clear cell", Quad(3, kClearCell), false},
        {"clear cell, modulating blend", Quad(3, kClearCell, 0x80FFFFFFu, 1), false},
        {"clear cell, flipped", flipped(Quad(3, kClearCell)), false},
        {"clear cell, turned", turned(Quad(3, kClearCell), 0, 32), false},
        {"clear cell, turned edge-on (a sliver)", turned(Quad(3, kClearCell), 64, 0), true},
        {"opaque texel just left of the cell", Quad(3, kOpaqueJustLeft), true},
        {"opaque texel on the cell's edge", Quad(3, kOpaqueOnEdge), true},
        {"clear cell of an empty slot (untextured)", Quad(4, kClearCell), true},
        // Blend: the target comes back as it was.
        {"fade overlay at level 0", Quad(120, 0, 0x00FFFFFFu), false},
        {"fade overlay at level 1", Quad(120, 0, 0x01FFFFFFu), true},
        {"factor blend with a black colour", Quad(120, 0, 0x80000000u), false},
        {"factor blend with a zero factor, textured", Quad(3, kSolidCell, 0x00FFFFFFu), false},
        {"untextured alpha blend, alpha 0", Quad(120, 0, 0x00FFFFFFu, 2), false},
        {"textured alpha blend, alpha 0 (texel alpha counts)", Quad(3, kSolidCell, 0x00FFFFFFu, 2),
         true},
        {"modulating blend with a zero factor", Quad(120, 0, 0x00000000u, 1), true},
        {"tint with black", Quad(120, 0, 0xFF000000u), true},
        // Place: wholly beyond an edge of the screen.
        {"left of the screen", Quad(3, kSolidCell, 0xFFFFFFFFu, 0, -32, 100), false},
        {"one pixel on the screen", Quad(3, kSolidCell, 0xFFFFFFFFu, 0, -31, 100), true},
        {"below the screen", Quad(3, kSolidCell, 0xFFFFFFFFu, 0, 100, 724), false},
    };
    for (const Case& c : cases)
        EXPECT_EQ(Drawn(c.request), c.drawn) << c.what;

    // With culling off, every quad goes to the device.
    graphics->SetCulling(false);
    EXPECT_TRUE(Drawn(Quad(120, 0, 0x00FFFFFFu)));
}

TEST_F(CullingTest, TheKeptQuadsGoToTheDeviceInOrder) {
    const std::vector<uint16_t> cells = CellPicture();
    ASSERT_TRUE(graphics->FillTextureSlot(3, cells.data()));
    ASSERT_TRUE(graphics->FillTextureSlot(5, cells.data()));
    graphics->ClearSpriteList();
    const int32_t textures[] = {3, 5, 3, 120, 5, 3, 5, 120};
    const bool clear[] = {false, true, true, false, false, true, false, false};
    for (int i = 0; i < 8; ++i)
        graphics->SubmitSprite(Quad(textures[i], clear[i] ? kClearCell : kSolidCell));
    graphics->DrawFrame();
    EXPECT_EQ(gpu.drawnTextures, (std::vector<int32_t>{3, 120, 5, 5, 120}));
    EXPECT_EQ(graphics->DrawnCount(), 5u);
    EXPECT_EQ(graphics->SpriteCount(), 8u);
}

TEST_F(CullingTest, TheMapFollowsTheSlotThroughFillsAndReleases) {
    const std::vector<uint16_t> cells = CellPicture();
    const std::vector<uint16_t> solid(512 * 512, kOpaque);
    const SpriteRequest clear = Quad(9, kClearCell);
    ASSERT_TRUE(graphics->FillTextureSlot(9, cells.data()));
    EXPECT_FALSE(Drawn(clear));
    ASSERT_TRUE(graphics->FillTextureSlot(9, solid.data()));
    EXPECT_TRUE(Drawn(clear)) << "filled again with an opaque picture";
    ASSERT_TRUE(graphics->FillTextureSlot(9, cells.data()));
    EXPECT_FALSE(Drawn(clear));
    graphics->ReleaseTextureSlot(9);
    EXPECT_TRUE(Drawn(clear)) << "released: drawn untextured";

    ASSERT_TRUE(graphics->FillTextureSlot(9, cells.data()));
    gpu.uploadResult = false;
    EXPECT_FALSE(graphics->FillTextureSlot(9, cells.data()));
    EXPECT_TRUE(Drawn(clear)) << "a failed upload leaves the slot empty";
    gpu.uploadResult = true;

    ASSERT_TRUE(graphics->FillTextureSlot(9, cells.data()));
    graphics->ReleaseDevice();
    EXPECT_TRUE(graphics->CreateDevice());
    EXPECT_TRUE(Drawn(clear)) << "the device was made again without its textures";
}

// ---- The real frame on the real device -------------------------------------

const std::filesystem::path kDataFolder = TESSARY_GAME_DATA_DIR;
constexpr std::string_view kShaderFolder = TESSARY_SHADER_DIR;

// The title with the options window, as the game draws it, on the offscreen
// driver: culled and batched against every quad drawn one by one.
TEST(CullingOnTheDevice, TheOptionsWindowOverTheTitleKeepsEveryPixel) {
    setenv("SDL_VIDEODRIVER", "offscreen", 1);
    platform::SdlWindow window;  // outlives the device
    ASSERT_TRUE(window.Create("Tessary", 1280, 720));
    platform::GlDevice gpu;
    Game game;
    game.LinkObjects(gpu, window);
    System& system = *game.system;
    system.folders.programFolder = kShaderFolder;
    CREATE_DEVICE_OR_SKIP(*game.graphics, gpu);
    system.sound.soundMode = SoundMode::kNone;
    system.folders.resourceFolder = kDataFolder;
    RecordingDialogs dialogs;
    ASSERT_TRUE(LoadResources(game.system->folders, game.system->sound, game.system->music,
                              *game.world, *game.graphics, *game.audio, dialogs));

    WorldState& world = *game.world;
    world.loadingFlag = 0;
    MenuState& m = world.menuState;
    m.titleState = WindowPhase::kActive;
    m.titleAnim = 8;
    m.mainCursor = 2;
    world.shownItem = 2;
    Graphics& graphics = *game.graphics;
    auto render = [&](bool cull, platform::GlSpriteRenderer::Path path) {
        graphics.SetCulling(cull);
        gpu.SetDrawPath(path);
        graphics.DrawFrame();
        std::vector<uint8_t> rgb(1280 * 720 * 3);
        EXPECT_TRUE(gpu.ReadPixels(0, 0, 1280, 720, rgb.data()));
        return rgb;
    };
    // The window opening and open, on different rows, with the fade at rest and half way.
    struct State {
        int windowAnim, optionRow, fade;
    };
    for (const State s : {State{8, 4, 0}, State{3, 0, 0}, State{8, 1, 128}, State{8, 5, 255}}) {
        SCOPED_TRACE("window " + std::to_string(s.windowAnim) + ", row " +
                     std::to_string(s.optionRow) + ", fade " + std::to_string(s.fade));
        m.windowState = WindowPhase::kActive;
        m.windowAnim = s.windowAnim;
        m.optionRow = s.optionRow;
        world.fadeLevel = static_cast<uint8_t>(s.fade);
        RunTitleSceneFrame(game.Links());
        const std::vector<uint8_t> reference =
            render(false, platform::GlSpriteRenderer::Path::kQuadByQuad);
        const std::vector<uint8_t> culled =
            render(true, platform::GlSpriteRenderer::Path::kBatched);
        size_t differing = 0;
        for (size_t i = 0; i < reference.size(); ++i)
            differing += reference[i] != culled[i] ? 1 : 0;
        EXPECT_EQ(differing, 0u);
        if (s.windowAnim == 8 && s.fade == 0) {
            // The blank glyph cells and the invisible fade are gone.
            EXPECT_GT(graphics.SpriteCount(), 2000u);
            EXPECT_LT(graphics.DrawnCount(), graphics.SpriteCount() / 4);
        }
    }
}

}  // namespace
