// Texture loading from PNG pictures the tests write themselves with libpng:
// palette pictures of every depth, RGB pictures, every refused picture with
// its message, the reload of slots 0..7, and the frame loop's rebuild of a
// lost device on the real GL device.

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "app/FrameLoop.h"
#include "app/Game.h"
#include "app/WindowEvents.h"
#include "base/WideText.h"
#include "graphics/Graphics.h"
#include "graphics/TextureLoader.h"
#include "graphics/TextureReloader.h"
#include "graphics_test_util.h"
#include "platform/GlDevice.h"
#include "platform/SdlWindow.h"
#include "support/FakeGpu.h"
#include "support/FakePlatform.h"
#include "support/FakeWindow.h"
#include "support/TempFolder.h"
#include "world/System.h"
#include "world/WorldState.h"

namespace {

constexpr uint16_t kClear = 0x7C1F;

// Palette entry i; entry 0 is white, to show that index 0 is clear whatever it holds.
png_color PaletteColour(int i) {
    if (i == 0)
        return {255, 255, 255};
    return {static_cast<png_byte>(i * 37), static_cast<png_byte>(255 - i),
            static_cast<png_byte>(i * 7)};
}
std::vector<png_color> Palette(int entries) {
    std::vector<png_color> palette;
    for (int i = 0; i < entries; ++i)
        palette.push_back(PaletteColour(i));
    return palette;
}
uint16_t Opaque(int r, int g, int b) {
    return static_cast<uint16_t>(0x8000 | (r >> 3) << 10 | (g >> 3) << 5 | (b >> 3));
}
uint16_t PaletteTexel(uint32_t index) {
    if (index == 0)
        return kClear;
    const png_color c = PaletteColour(static_cast<int>(index));
    return Opaque(c.red, c.green, c.blue);
}

PngLayout PalettePicture(int depth, std::function<uint32_t(uint32_t, uint32_t)> index) {
    PngLayout layout;
    layout.bitDepth = depth;
    layout.palette = Palette(1 << depth);
    layout.sample = [index](uint32_t x, uint32_t y, int) { return index(x, y); };
    return layout;
}
PngLayout PlainPicture(int colorType, int depth, uint32_t width = 512, uint32_t height = 512) {
    PngLayout layout;
    layout.width = width;
    layout.height = height;
    layout.colorType = colorType;
    layout.bitDepth = depth;
    layout.palette = Palette(4);
    layout.sample = [](uint32_t x, uint32_t y, int c) { return (x + y + c) & 1; };
    return layout;
}

class PngLoadTest : public ::testing::Test {
protected:
    PngLoadTest() {
        graphics->AttachDevice(gpu, window);
        graphics->LinkDialogs(&dialogs);
        EXPECT_TRUE(graphics->CreateDevice());
    }

    // Loads the picture file into slot 3 and returns the texels the device got.
    bool Load(const std::string& name) {
        gpu.lastTexels.clear();
        TextureLoader loader(*graphics, 16);
        return loader.LoadPicture(3, folder.Path(name));
    }
    std::vector<uint16_t> LoadTexels(const PngLayout& layout, const std::string& name = "pic.png") {
        EXPECT_TRUE(WritePng(folder.Native(name), layout));
        EXPECT_TRUE(Load(name)) << name;
        EXPECT_TRUE(dialogs.shown.empty()) << dialogs.shown.front().text;
        return gpu.lastTexels;
    }

    TempFolder folder;
    FakeGpu gpu;
    FakeWindow window;
    RecordingDialogs dialogs;
    std::unique_ptr<System> system = std::make_unique<System>();
    std::unique_ptr<WorldState> world = std::make_unique<WorldState>();
    std::unique_ptr<Graphics> graphics =
        std::make_unique<Graphics>(system->display, system->settings, system->folders, *world);
};

TEST_F(PngLoadTest, PalettePicturesOfEveryDepthGiveTheSameTexels) {
    struct Case {
        int depth;
        bool interlaced;
    };
    const Case cases[] = {{1, false}, {2, false}, {4, false}, {8, false}, {4, true}, {8, true}};
    // A picture of indices 0 and 1 loads alike at every depth.
    auto twoIndices = [](uint32_t x, uint32_t y) { return ((x / 8) + (y / 4)) % 2; };
    std::vector<uint16_t> reference;
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.depth << " bits, interlaced " << c.interlaced);
        PngLayout layout = PalettePicture(c.depth, twoIndices);
        layout.interlaced = c.interlaced;
        const std::vector<uint16_t> texels = LoadTexels(layout);
        ASSERT_EQ(texels.size(), 512u * 512u);
        if (reference.empty()) {
            reference = texels;
            EXPECT_EQ(texels[0], kClear);
            EXPECT_EQ(texels[8], Opaque(37, 254, 7));
        }
        EXPECT_EQ(texels, reference);

        // Every index the depth allows, each from its own palette entry.
        const uint32_t indices = 1u << c.depth;
        const std::vector<uint16_t> all = LoadTexels(PalettePicture(
            c.depth, [indices](uint32_t x, uint32_t y) { return (x * 3 + y) % indices; }));
        int wrong = 0;
        for (uint32_t y = 0; y < 512; ++y) {
            for (uint32_t x = 0; x < 512; ++x)
                wrong += all[y * 512 + x] != PaletteTexel((x * 3 + y) % indices);
        }
        EXPECT_EQ(wrong, 0);
    }
    EXPECT_TRUE(graphics->TextureSlotFilled(3));
}

TEST_F(PngLoadTest, RgbPicturesBecomeOpaqueTexelsAndShortPicturesLieAtTheBottom) {
    PngLayout rgb = PlainPicture(PNG_COLOR_TYPE_RGB, 8);
    rgb.sample = [](uint32_t x, uint32_t y, int c) -> uint32_t {
        return c == 0 ? x & 255 : c == 1 ? y & 255 : (x ^ y) & 255;
    };
    const std::vector<uint16_t> texels = LoadTexels(rgb);
    int wrong = 0;
    for (uint32_t y = 0; y < 512; ++y) {
        for (uint32_t x = 0; x < 512; ++x)
            wrong += texels[y * 512 + x] != Opaque(x & 255, y & 255, (x ^ y) & 255);
    }
    EXPECT_EQ(wrong, 0);

    // A 512 x 2 picture fills texture rows 510 and 511, as the bottom-up bitmap
    // the game copies into places it; the rows above are clear.
    PngLayout strip = PalettePicture(8, [](uint32_t x, uint32_t y) { return 1 + (x + y) % 200; });
    strip.height = 2;
    const std::vector<uint16_t> short_ = LoadTexels(strip);
    EXPECT_EQ(std::count(short_.begin(), short_.begin() + 510 * 512, kClear), 510 * 512);
    EXPECT_EQ(short_[510 * 512 + 5], PaletteTexel(6));
    EXPECT_EQ(short_[511 * 512 + 5], PaletteTexel(7));
}

TEST_F(PngLoadTest, PicturesTheGameCannotUseAreRefusedWithTheirMessage) {
    const std::string tooDeep = "色数が多すぎます";
    const std::string notPalette = "このパレットタイプには対応していません";
    const std::string missing = "ファイルが見つかりません";
    const std::string broken = "PNGファイルが壊れているため読み込めません";
    const std::string badSize = "画像は幅512、高さ512以下でなければなりません";

    ASSERT_TRUE(WritePng(folder.Native("good.png"), PlainPicture(PNG_COLOR_TYPE_PALETTE, 8)));
    const Bytes good = folder.Read("good.png");
    ASSERT_GT(good.size(), 200u);

    struct Case {
        const char* name;
        std::function<void(const std::string&)> make;  // nullptr: no file
        std::string message;
    };
    auto png = [](PngLayout layout) {
        return [layout](const std::string& path) { ASSERT_TRUE(WritePng(path, layout)); };
    };
    auto bytes = [this](Bytes content) {
        return [this, content](const std::string& path) {
            folder.Write(std::filesystem::path(path).filename().string(), content);
        };
    };
    Bytes corrupted = good;
    for (size_t i = corrupted.size() / 2; i < corrupted.size() / 2 + 16; ++i)
        corrupted[i] ^= 0x5A;
    const Case cases[] = {
        {"rgb16.png", png(PlainPicture(PNG_COLOR_TYPE_RGB, 16)), tooDeep},
        {"grey16.png", png(PlainPicture(PNG_COLOR_TYPE_GRAY, 16)), tooDeep},
        {"grey.png", png(PlainPicture(PNG_COLOR_TYPE_GRAY, 8)), notPalette},
        {"grey2.png", png(PlainPicture(PNG_COLOR_TYPE_GRAY, 2)), notPalette},
        {"greyalpha.png", png(PlainPicture(PNG_COLOR_TYPE_GRAY_ALPHA, 8)), notPalette},
        {"rgba.png", png(PlainPicture(PNG_COLOR_TYPE_RGB_ALPHA, 8)), notPalette},
        {"absent.png", nullptr, missing},
        {"truncated.png", bytes(Bytes(good.begin(), good.begin() + good.size() / 2)), broken},
        {"header-only.png", bytes(Bytes(good.begin(), good.begin() + 40)), broken},
        {"text.png", bytes(Bytes{'n', 'o', 't', ' ', 'a', ' ', 'p', 'n', 'g', '\n'}), broken},
        {"empty.png", bytes(Bytes{}), broken},
        {"corrupted.png", bytes(corrupted), broken},
        {"wide.png", png(PlainPicture(PNG_COLOR_TYPE_PALETTE, 8, 513, 512)), badSize},
        {"narrow.png", png(PlainPicture(PNG_COLOR_TYPE_PALETTE, 8, 256, 512)), badSize},
        {"tall.png", png(PlainPicture(PNG_COLOR_TYPE_PALETTE, 8, 512, 513)), badSize},
        {"huge.png", png(PlainPicture(PNG_COLOR_TYPE_RGB, 8, 512, 4096)), badSize},
    };
    std::filesystem::create_directory(folder.Native("folder.png"));
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        if (c.make)
            c.make(folder.Native(c.name));
        dialogs.shown.clear();
        const int uploads = gpu.uploads;
        EXPECT_FALSE(Load(c.name));
        ASSERT_EQ(dialogs.shown.size(), 1u);
        EXPECT_EQ(dialogs.shown[0].text, folder.Native(c.name) + " " + c.message);
        EXPECT_EQ(dialogs.shown[0].caption, "Message");
        EXPECT_EQ(gpu.uploads, uploads);
    }
    dialogs.shown.clear();
    EXPECT_FALSE(Load("folder.png"));
    ASSERT_EQ(dialogs.shown.size(), 1u);
    EXPECT_EQ(dialogs.shown[0].text, folder.Native("folder.png") + " " + missing);
}

TEST_F(PngLoadTest, ADeviceThatCannotMakeTheTextureLeavesTheSlotEmpty) {
    ASSERT_TRUE(WritePng(folder.Native("pic.png"), PlainPicture(PNG_COLOR_TYPE_PALETTE, 8)));
    gpu.uploadResult = false;
    EXPECT_TRUE(Load("pic.png"));
    EXPECT_FALSE(graphics->TextureSlotFilled(3));
    EXPECT_TRUE(dialogs.shown.empty());
}

// The picture list of slots 0..7 in a resource folder.
class TextureReloadTest : public PngLoadTest {
protected:
    TextureReloadTest() {
        std::filesystem::create_directory(folder.Native("grp"));
        system->folders.resourceFolder = folder.Path("");
        for (int slot = 0; slot < 8; ++slot)
            SetName(slot, u"null0000.png");
    }
    void SetName(int slot, std::u16string_view name) {
        base::WideCopy(world->pictureNames[slot], name);
    }
    void WritePicture(const std::string& name, uint32_t index) {
        ASSERT_TRUE(WritePng(folder.Native(name),
                             PalettePicture(8, [index](uint32_t, uint32_t) { return index; })));
    }
};

TEST_F(TextureReloadTest, SlotsZeroToSevenAreLoadedAndNullNamesStayEmpty) {
    WritePicture("grp/pic_0000.png", 5);
    WritePicture("grp/pic_0002.png", 9);
    SetName(0, u"grp\\pic_0000.png");
    SetName(2, u"grp\\pic_0002.png");
    std::vector<uint16_t> any(512 * 512, 0x8000);
    ASSERT_TRUE(graphics->FillTextureSlot(1, any.data()));  // from an earlier load
    ASSERT_TRUE(graphics->FillTextureSlot(9, any.data()));  // outside 0..7: untouched

    TextureReloader textures(*graphics, system->folders, *world);
    ASSERT_EQ(world->loadingFlag, 1);
    EXPECT_TRUE(textures.RecreateTextures());
    EXPECT_TRUE(dialogs.shown.empty());
    EXPECT_EQ(world->loadingFlag, 0);
    const bool filled[8] = {true, false, true, false, false, false, false, false};
    for (int slot = 0; slot < 8; ++slot) {
        EXPECT_EQ(graphics->TextureSlotFilled(slot), filled[slot]) << slot;
        EXPECT_EQ(base::WideView(world->loadedPictureNames[slot]),
                  base::WideView(world->pictureNames[slot]));
    }
    EXPECT_TRUE(graphics->TextureSlotFilled(9));
    EXPECT_EQ(gpu.uploads, 4);                         // two here, two before
    EXPECT_EQ(gpu.lastTexels[1234], PaletteTexel(9));  // slot 2 came last
}

TEST_F(TextureReloadTest, TheFirstPictureThatFailsStopsTheReload) {
    WritePicture("grp/pic_0000.png", 5);
    SetName(0, u"grp\\pic_0000.png");
    SetName(2, u"grp\\pic_0002.png");  // not there
    SetName(5, u"grp\\pic_0000.png");

    TextureReloader textures(*graphics, system->folders, *world);
    EXPECT_FALSE(textures.RecreateTextures());
    EXPECT_EQ(world->loadingFlag, 1);
    EXPECT_TRUE(graphics->TextureSlotFilled(0));
    EXPECT_FALSE(graphics->TextureSlotFilled(5));
    ASSERT_EQ(dialogs.shown.size(), 1u);
    EXPECT_EQ(dialogs.shown[0].text, folder.path() + "/grp/pic_0002.png ファイルが見つかりません");
}

// The frame loop with the real device: a present that reports a lost device
// makes the next pass rebuild the device and load the pictures again.
TEST(GraphicsDeviceLoss, TheFrameLoopRebuildsTheDeviceAndItsTextures) {
    setenv("SDL_VIDEODRIVER", "offscreen", 1);
    FakePlatform fake;
    platform::SdlWindow window;
    platform::GlDevice gpu;
    // The fake platform with the real window and device.
    platform::Platform p{fake.clock, fake.calendar,    fake.dialogs, window,
                         gpu,        fake.screenSaver, fake.lock,    fake.process,
                         fake.sound, fake.keyboard,    fake.pads,    fake.streamClock};
    ASSERT_TRUE(window.Create("Tessary", 1280, 720));
    TempFolder folder;
    std::filesystem::create_directory(folder.Native("grp"));
    ASSERT_TRUE(WritePng(folder.Native("grp/pic_0003.png"),
                         PalettePicture(8, [](uint32_t, uint32_t) { return 3u; })));

    auto game = std::make_unique<Game>();
    System& system = *game->system;
    WorldState& world = *game->world;
    system.display.timerMode = TimerMode::kNoWait;  // no waiting
    system.sound.soundMode = SoundMode::kNone;
    game->LinkObjects(gpu, window);
    game->graphics->LinkDialogs(&fake.dialogs);
    system.folders.programFolder = TESSARY_SHADER_DIR;
    system.folders.resourceFolder = folder.Path("");
    for (int slot = 0; slot < 8; ++slot)
        base::WideCopy(world.pictureNames[slot],
                       slot == 3 ? u"grp\\pic_0003.png" : u"null0000.png");

    CREATE_DEVICE_OR_SKIP(*game->graphics, gpu);
    ASSERT_TRUE(TextureReloader(*game->graphics, system.folders, world).RecreateTextures());

    // The scene: one quad of slot 3 over the top left corner.
    SceneFrames scenes;
    scenes.title = [](Game& g) {
        g.graphics->ClearSpriteList();
        SpriteRequest r{};
        r.width = 64;
        r.height = 64;
        r.srcWidth = 64;
        r.srcHeight = 64;
        r.scaleX = 1.0f;
        r.scaleY = 1.0f;
        r.color = 0xFFFFFFFFu;
        r.texture = 3;
        g.graphics->SubmitSprite(r);
        return 1;
    };
    WindowEvents proc(*game, window);
    FrameLoop loop(*game, p, proc, scenes);
    auto cornerColour = [&]() {
        game->graphics->DrawFrame();
        uint8_t rgb[3] = {};
        EXPECT_TRUE(gpu.ReadPixels(10, 10, 1, 1, rgb));
        return std::array<int, 3>{rgb[0], rgb[1], rgb[2]};
    };
    const png_color c = PaletteColour(3);
    const std::array<int, 3> picture{(c.red >> 3) * 255 / 31, (c.green >> 3) * 255 / 31,
                                     (c.blue >> 3) * 255 / 31};
    auto expectPicture = [&](const char* when) {
        const std::array<int, 3> got = cornerColour();
        for (int i = 0; i < 3; ++i)
            EXPECT_NEAR(got[i], picture[i], 1) << when;
    };

    EXPECT_EQ(loop.RunPass(), FrameLoop::Next::kContinue);
    expectPicture("before the loss");

    gpu.ReportLossAtNextPresent(platform::DeviceStatus::kReset);
    EXPECT_EQ(loop.RunPass(), FrameLoop::Next::kContinue);
    EXPECT_EQ(system.display.deviceLostRequest, 0);
    EXPECT_EQ(world.loadingFlag, 0);
    EXPECT_TRUE(gpu.IsCreated());
    EXPECT_TRUE(game->graphics->TextureSlotFilled(3));
    EXPECT_TRUE(fake.dialogs.shown.empty());
    EXPECT_EQ(loop.RunPass(), FrameLoop::Next::kContinue);
    expectPicture("after the rebuild");

    // A picture that has gone by the next loss ends the program at once.
    std::filesystem::remove(folder.Native("grp/pic_0003.png"));
    gpu.ReportLossAtNextPresent(platform::DeviceStatus::kRemoved);
    EXPECT_EQ(loop.RunPass(), FrameLoop::Next::kAbort);
    ASSERT_EQ(fake.dialogs.shown.size(), 1u);
    EXPECT_EQ(fake.dialogs.shown[0].text,
              folder.path() + "/grp/pic_0003.png ファイルが見つかりません");
    EXPECT_EQ(world.loadingFlag, 1);

    game.reset();  // releases the device while the window still stands
}

}  // namespace
