// The pictures the asset tool makes for the data folder, checked where the
// game cuts them and drawn the way the title and the play screen draw them:
// loaded through the game's own texture loader onto the real GL device on the
// offscreen video driver, rendered and read back.
//
// The rendered frames are written to <build>/assets-render/ for a look by eye.

#include <gtest/gtest.h>
#include <png.h>

#include <array>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "base/WideText.h"
#include "graphics/Graphics.h"
#include "graphics/PngPicture.h"
#include "graphics/Quads.h"
#include "graphics/TextureReloader.h"
#include "graphics_test_util.h"
#include "platform/GlDevice.h"
#include "platform/SdlWindow.h"
#include "world/System.h"
#include "world/WorldState.h"

namespace {

namespace fs = std::filesystem;
using Rgb = std::array<int, 3>;

const fs::path kDataFolder = TESSARY_GAME_DATA_DIR;
constexpr std::string_view kShaderFolder = TESSARY_SHADER_DIR;
constexpr int kListRecords = 64;
constexpr int kUsedSlots[] = {0, 2, 3, 5, 6};

fs::path FramesFolder() {
    return (kDataFolder / ".." / ".." / "assets-render").lexically_normal();
}

// The picture list: a byte-order mark, then 64 records of 16 UTF-16 units and CR LF.
std::vector<std::u16string> ReadPictureList() {
    std::ifstream in(kDataFolder / "grp" / "grp_0003.txt", std::ios::binary);
    std::vector<char> bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    std::vector<std::u16string> names;
    if (bytes.size() != 2 + 36u * kListRecords)
        return names;
    for (int r = 0; r < kListRecords; ++r) {
        std::u16string name;
        for (int u = 0; u < 18; ++u) {
            const size_t at = 2 + 36u * r + 2u * u;
            const char16_t unit = static_cast<char16_t>(static_cast<uint8_t>(bytes[at]) |
                                                        static_cast<uint8_t>(bytes[at + 1]) << 8);
            if (u < 16 && unit != 0)
                name += unit;
            if (u == 16 && unit != u'\r')
                name += u"<no CR>";
            if (u == 17 && unit != u'\n')
                name += u"<no LF>";
        }
        names.push_back(name);
    }
    return names;
}

std::string SlotFile(int slot) {
    char name[32];
    std::snprintf(name, sizeof name, "grp/tex_%04d.png", slot);
    return (kDataFolder / name).string();
}

// What the PNG header says: size, colour type, depth, and the alpha of palette entry 0.
struct PngHeader {
    png_uint_32 width = 0, height = 0;
    int colorType = -1, depth = 0, alphaOfIndex0 = -1;
};
bool ReadHeaderRows(png_structp png, png_infop info, FILE* file, PngHeader* out) {
    if (setjmp(png_jmpbuf(png)))
        return false;
    png_init_io(png, file);
    png_read_info(png, info);
    png_get_IHDR(png, info, &out->width, &out->height, &out->depth, &out->colorType, nullptr,
                 nullptr, nullptr);
    png_bytep alpha = nullptr;
    int entries = 0;
    if (png_get_tRNS(png, info, &alpha, &entries, nullptr) != 0 && entries > 0)
        out->alphaOfIndex0 = alpha[0];
    return true;
}
PngHeader ReadHeader(const std::string& path) {
    PngHeader header;
    FILE* file = std::fopen(path.c_str(), "rb");
    if (file == nullptr)
        return header;
    png_structp png = png_create_read_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
    png_infop info = png_create_info_struct(png);
    ReadHeaderRows(png, info, file, &header);
    png_destroy_read_struct(&png, &info, nullptr);
    std::fclose(file);
    return header;
}

// A picture as the game's loader turns it into texels.
struct Texels {
    std::vector<uint16_t> t = std::vector<uint16_t>(512 * 512, 0);
    uint16_t At(int x, int y) const { return t[static_cast<size_t>(y) * 512 + x]; }
    bool Opaque(int x, int y) const { return (At(x, y) & 0x8000) != 0; }
    int CountOpaque(int x0, int y0, int w, int h) const {
        int n = 0;
        for (int y = y0; y < y0 + h; ++y) {
            for (int x = x0; x < x0 + w; ++x)
                n += Opaque(x, y) ? 1 : 0;
        }
        return n;
    }
    // The colour a texel reads back as: 5-bit channels widened to 8 bits.
    Rgb Color(int x, int y) const {
        const uint16_t v = At(x, y);
        auto widen = [](int c) { return c << 3 | c >> 2; };
        return {widen(v >> 10 & 31), widen(v >> 5 & 31), widen(v & 31)};
    }
};
Texels LoadTexels(int slot) {
    Texels texels;
    FILE* file = std::fopen(SlotFile(slot).c_str(), "rb");
    if (file == nullptr)
        return texels;
    Picture picture;
    const PictureError error = DecodePng(file, &picture);
    std::fclose(file);
    if (error == PictureError::kNone)
        PictureToTexels(picture, texels.t.data());
    return texels;
}

int Luma(const Rgb& c) {
    return (c[0] * 3 + c[1] * 6 + c[2]) / 10;
}

TEST(AssetPictures, TheListNamesEachTextureAndEveryPictureIsA512PalettePicture) {
    const std::vector<std::u16string> names = ReadPictureList();
    ASSERT_EQ(names.size(), static_cast<size_t>(kListRecords)) << "grp/grp_0003.txt";
    const std::u16string expected[8] = {u"grp\\tex_0000.png", u"null0000.png", u"grp\\tex_0002.png",
                                        u"grp\\tex_0003.png", u"null0000.png", u"grp\\tex_0005.png",
                                        u"grp\\tex_0006.png", u"null0000.png"};
    for (int slot = 0; slot < kListRecords; ++slot)
        EXPECT_EQ(names[slot], slot < 8 ? expected[slot] : u"") << "record " << slot;

    for (int slot : kUsedSlots) {
        const PngHeader header = ReadHeader(SlotFile(slot));
        EXPECT_EQ(header.width, 512u) << "slot " << slot;
        EXPECT_EQ(header.height, 512u) << "slot " << slot;
        EXPECT_EQ(header.colorType, PNG_COLOR_TYPE_PALETTE) << "slot " << slot;
        EXPECT_EQ(header.depth, 8) << "slot " << slot;
        EXPECT_EQ(header.alphaOfIndex0, 0) << "slot " << slot << ": index 0 is not transparent";
    }
    EXPECT_TRUE(fs::is_regular_file(kDataFolder / "VLGothic" / "VL-Gothic-Regular.ttf"));
}

TEST(AssetPictures, EveryRectangleTheGameDrawsIsFilledAndSharedEdgesStayClear) {
    const Texels title = LoadTexels(0), pictures = LoadTexels(2), play = LoadTexels(3),
                 windows = LoadTexels(5);
    struct Region {
        const char* what;
        const Texels& texels;
        int x, y, w, h;
        double minCovered, maxCovered;  // share of opaque texels
    };
    const Region regions[] = {
        {"title sky (visible part)", title, 0, 0, 416, 256, 1.0, 1.0},
        {"logo emblem", pictures, 0, 0, 66, 40, 0.3, 1.0},
        {"logo emblem part under the word", pictures, 66, 0, 94, 40, 0.0, 0.0},
        {"logo word", pictures, 0, 48, 136, 40, 0.3, 1.0},
        {"item start", pictures, 160, 0, 95, 32, 0.1, 0.9},
        {"item ranking", pictures, 160, 32, 95, 32, 0.1, 0.9},
        {"item options", pictures, 160, 64, 95, 32, 0.1, 0.9},
        {"column shared by items and game-over picture", pictures, 255, 0, 1, 96, 0.0, 0.0},
        {"row shared by caption and game-over picture", pictures, 255, 43, 181, 1, 0.0, 0.0},
        {"loading caption", pictures, 256, 0, 256, 43, 0.05, 0.9},
        {"game-over picture", pictures, 256, 44, 180, 42, 0.8, 1.0},
        {"loading picture (visible part)", pictures, 5, 256, 417, 240, 1.0, 1.0},
        {"play background (visible part)", play, 0, 0, 416, 240, 1.0, 1.0},
        {"game-over bar", play, 0, 248, 416, 8, 1.0, 1.0},
        {"empty cell tile", play, 192, 256, 8, 8, 0.0, 0.0},
        {"cell tiles 1..9", play, 200, 256, 72, 8, 1.0, 1.0},
        {"window and highlight bodies", windows, 0, 0, 176, 16, 1.0, 1.0},
        {"window and highlight border edges", windows, 0, 20, 176, 8, 1.0, 1.0},
    };
    for (const Region& r : regions) {
        const double covered = static_cast<double>(r.texels.CountOpaque(r.x, r.y, r.w, r.h)) /
                               static_cast<double>(r.w * r.h);
        EXPECT_GE(covered, r.minCovered) << r.what;
        EXPECT_LE(covered, r.maxCovered) << r.what;
    }

    // The title sky repeats every 240 rows, so its two copies join.
    for (int y = 240; y < 256; ++y) {
        for (int x = 0; x < 512; ++x)
            ASSERT_EQ(title.At(x, y), title.At(x, y - 240)) << "title sky at " << x << ", " << y;
    }
    // The nine tiles differ from each other in their middle colour.
    for (int a = 1; a <= 9; ++a) {
        for (int b = a + 1; b <= 9; ++b)
            EXPECT_NE(play.At(192 + 8 * a + 4, 260), play.At(192 + 8 * b + 4, 260))
                << a << " " << b;
    }
}

TEST(AssetPictures, GlyphCellsHoldThePrintableCharactersAndNothingElse) {
    const Texels sheet = LoadTexels(6);
    auto cellInk = [&](int code) {
        return sheet.CountOpaque(16 * (code & 15), 2 * (code & 0xF0), 16, 32);
    };
    for (int code = 0; code < 256; ++code) {
        const bool printable = code >= 0x21 && code <= 0x7E;
        if (!printable) {
            EXPECT_EQ(cellInk(code), 0) << "code " << code;
            continue;
        }
        EXPECT_GT(cellInk(code), 0) << "code " << code;
        // The bright fill keeps to the middle columns: characters set 10 pixels
        // apart at their own size, or 16 apart at twice it, never run together.
        const int x0 = 16 * (code & 15), y0 = 2 * (code & 0xF0);
        for (int y = 0; y < 32; ++y) {
            for (int x = 0; x < 16; ++x) {
                if (sheet.Opaque(x0 + x, y0 + y) && Luma(sheet.Color(x0 + x, y0 + y)) > 160) {
                    EXPECT_TRUE(x >= 3 && x <= 11) << "code " << code << " column " << x;
                }
            }
        }
    }
    for (int code : {'0', '9', 'A', 'M', 'W', 'Z'})
        EXPECT_GT(cellInk(code), 60) << static_cast<char>(code) << " is too faint";
}

class AssetRenderTest : public ::testing::Test {
protected:
    void SetUp() override {
        setenv("SDL_VIDEODRIVER", "offscreen", 1);
        ASSERT_TRUE(window.Create("Tessary", 1280, 720));
        system->folders.programFolder = kShaderFolder;
        graphics->AttachDevice(gpu, window);
        CREATE_DEVICE_OR_SKIP(*graphics, gpu);

        // The slots as start-up fills them: the list's names, then TextureReloader.
        const std::vector<std::u16string> names = ReadPictureList();
        ASSERT_EQ(names.size(), static_cast<size_t>(kListRecords));
        for (int slot = 0; slot < kListRecords; ++slot)
            base::WideCopy(world->pictureNames[slot], names[slot]);
        system->folders.resourceFolder = kDataFolder;
        ASSERT_TRUE(TextureReloader(*graphics, system->folders, *world).RecreateTextures());
        for (int slot = 0; slot < 8; ++slot) {
            const bool used = slot != 1 && slot != 4 && slot != 7;
            EXPECT_EQ(graphics->TextureSlotFilled(slot), used) << "slot " << slot;
        }
        graphics->ClearSpriteList();
    }

    void Quad(int32_t texture, int sx, int sy, int sw, int sh, int x, int y, int w, int h,
              uint32_t color = 0xFFFFFFFFu) {
        graphics->SubmitSprite(quads::Quad(x, y, w, h, sx, sy, sw, sh, color, texture));
    }
    void Cell(int code, int x, int y) { Quad(3, 192 + 8 * code, 256, 8, 8, x, y, 24, 24); }
    // Text from the glyph sheet: each character w x h, advance pixels apart.
    void Text(std::string_view text, int x, int y, int w, int h, int advance) {
        for (size_t k = 0; k < text.size(); ++k) {
            const int c = static_cast<unsigned char>(text[k]);
            Quad(6, 16 * (c & 15), 2 * (c & 0xF0), 16, 32, x + advance * static_cast<int>(k), y, w,
                 h);
        }
    }
    // A 9-slice box from a body cell and a border cell of slot 5.
    void Box(int x, int y, int w, int h, int cellX, uint32_t borderColor) {
        Quad(5, cellX, 0, 16, 16, x + 4, y + 4, w - 8, h - 8, 0x7FFFFFFFu);
        const int corners[4][4] = {{0, 0, x, y},
                                   {12, 0, x + w - 4, y},
                                   {0, 12, x, y + h - 4},
                                   {12, 12, x + w - 4, y + h - 4}};
        for (const auto& c : corners)
            Quad(5, cellX + c[0], 16 + c[1], 4, 4, c[2], c[3], 4, 4, borderColor);
        Quad(5, cellX + 4, 16, 4, 4, x + 4, y, w - 8, 4, borderColor);
        Quad(5, cellX, 20, 4, 4, x, y + 4, 4, h - 8, borderColor);
        Quad(5, cellX + 4, 28, 4, 4, x + 4, y + h - 4, w - 8, 4, borderColor);
        Quad(5, cellX + 12, 20, 4, 4, x + w - 4, y + 4, 4, h - 8, borderColor);
    }
    // The four black quads that hide everything outside x 16..1264 (layout 1248 x 720).
    void BorderMasks() {
        Quad(120, 32, 0, 16, 16, -256, -256, 1248 + 512, 256);
        Quad(120, 32, 0, 16, 16, -256, 720, 1248 + 512, 256);
        Quad(120, 32, 0, 16, 16, -240, -256, 256, 720 + 512);
        Quad(120, 32, 0, 16, 16, 1248 + 16, -256, 256, 720 + 512);
    }

    Rgb At(int x, int y) {
        uint8_t p[3] = {};
        EXPECT_TRUE(gpu.ReadPixels(x, y, 1, 1, p));
        return {p[0], p[1], p[2]};
    }
    // Share of the rectangle's pixels for which test holds.
    double Share(int x0, int y0, int w, int h, const std::function<bool(const Rgb&)>& test) {
        std::vector<uint8_t> rgb(static_cast<size_t>(w) * h * 3);
        EXPECT_TRUE(gpu.ReadPixels(x0, y0, w, h, rgb.data()));
        int n = 0;
        for (size_t p = 0; p < rgb.size(); p += 3)
            n += test({rgb[p], rgb[p + 1], rgb[p + 2]}) ? 1 : 0;
        return static_cast<double>(n) / (w * h);
    }
    void Save(const std::string& name) {
        std::vector<uint8_t> rgb(1280 * 720 * 3);
        ASSERT_TRUE(gpu.ReadPixels(0, 0, 1280, 720, rgb.data()));
        fs::create_directories(FramesFolder());
        EXPECT_TRUE(WriteScreenshot((FramesFolder() / name).string(), rgb, 1280, 720));
    }
    static void ExpectNear(const Rgb& got, const Rgb& want, const std::string& what) {
        for (int c = 0; c < 3; ++c)
            EXPECT_NEAR(got[c], want[c], 2) << what << ": channel " << c;
    }

    platform::SdlWindow window;  // outlives the device
    platform::GlDevice gpu;
    std::unique_ptr<System> system = std::make_unique<System>();
    std::unique_ptr<WorldState> world = std::make_unique<WorldState>();
    std::unique_ptr<Graphics> graphics =
        std::make_unique<Graphics>(system->display, system->settings, system->folders, *world);
};

TEST_F(AssetRenderTest, TheTitleShowsSkyLogoAndItemsAndAWindowOverThem) {
    // The title at scroll 150 with the cursor on the first item, bobbed by 8.
    const int scroll = 150;
    Quad(0, 0, 0, 512, 256, 16, scroll, 1536, 768);
    Quad(0, 0, 0, 512, 256, 16, scroll - 720, 1536, 768);
    Quad(2, 0, 0, 160, 40, 446, 144, 480, 120);
    Quad(2, 0, 48, 136, 40, 644, 144, 408, 120);
    const int itemY[3] = {400 + 8, 504, 600};
    for (int k = 0; k < 3; ++k)
        Quad(2, 160, 32 * k, 96, 32, 512, itemY[k], 288, 96);
    Box(468, 470, 384, 6, 160, 0xBFFFFFFFu);
    BorderMasks();
    graphics->DrawFrame();
    Save("title.png");

    // Nothing of the visible area is left uncovered: the pictures never use
    // pure black, which is what the cleared frame shows through a gap.
    EXPECT_EQ(Share(16, 0, 1248, 720, [](const Rgb& c) { return c == Rgb{0, 0, 0}; }), 0.0);
    auto gold = [](const Rgb& c) { return c[0] > 180 && c[1] > 110 && c[2] < 150; };
    auto bright = [](const Rgb& c) { return Luma(c) > 170; };
    EXPECT_GT(Share(650, 150, 400, 110, gold), 0.15) << "the word of the logo";
    EXPECT_GT(Share(446, 144, 198, 120, gold), 0.05) << "the emblem's ring";
    for (int k = 0; k < 3; ++k)
        EXPECT_GT(Share(512, itemY[k], 288, 96, bright), 0.08) << "item " << k;

    // The options window in colour 0 over the title, with texts at both sizes.
    Box(208, 0, 880, 720, 0, 0xBFFFFFFFu);
    Text("RANKING", 592, 24, 32, 64, 16);
    Text(" 1 2024/12/ 7 21:05:09     123456", 376, 72, 32, 64, 16);
    Box(324, 158, 188, 20, 160, 0xFFFFFFFFu);
    Text("SCREEN MODE", 326, 158, 16, 32, 10);
    Text("    timeGetTime", 334, 180, 16, 32, 10);
    Text("0  1  2  3  4  5  6  7  8  9 ", 522, 596, 16, 32, 10);
    graphics->DrawFrame();
    Save("title-window.png");
    EXPECT_GT(Share(376, 72, 540, 64, bright), 0.1) << "a ranking row";
}

TEST_F(AssetRenderTest, ThePlayScreenShowsBoardPiecesPreviewsAndReadableText) {
    const Texels play = LoadTexels(3);
    // Rotation 0 of each kind, as the previews show them.
    const int shapes[8][16] = {{0, 0, 0, 0, 1, 1, 0, 0, 0, 1, 1, 0, 0, 0, 0, 0},
                               {0, 0, 0, 0, 0, 2, 2, 0, 2, 2, 0, 0, 0, 0, 0, 0},
                               {0, 0, 0, 0, 0, 3, 0, 0, 3, 3, 3, 0, 0, 0, 0, 0},
                               {0, 0, 0, 0, 0, 0, 4, 0, 4, 4, 4, 0, 0, 0, 0, 0},
                               {0, 0, 0, 0, 5, 0, 0, 0, 5, 5, 5, 0, 0, 0, 0, 0},
                               {0, 0, 0, 0, 0, 6, 6, 0, 0, 6, 6, 0, 0, 0, 0, 0},
                               {0, 7, 0, 0, 0, 7, 0, 0, 0, 7, 0, 0, 0, 7, 0, 0},
                               {0, 0, 0, 0, 0, 0, 0, 0, 0, 8, 0, 0, 0, 0, 0, 0}};
    const int queue[7] = {2, 6, 0, 7, 4, 1, 3};
    const int previewX[6] = {808, 952, 1096, 1096, 1096, 1096};
    const int previewY[6] = {24, 24, 24, 168, 312, 456};

    // The board: walls, floor, a few locked cells in the bottom row.
    int board[30][12] = {};
    for (int r = 0; r < 29; ++r)
        board[r][0] = board[r][11] = 9;
    for (int c = 0; c < 12; ++c)
        board[28][c] = 9;
    for (int c = 1; c <= 8; ++c)
        board[27][c] = c;

    // In the game's order: background, previews and piece, texts, board.
    Quad(3, 0, 0, 512, 256, 16, 0, 1536, 768);
    for (int i = 15; i >= 0; --i) {
        for (int n = 0; n < 6; ++n)
            Cell(shapes[queue[n + 1]][i], previewX[n] + 24 * (i % 4), previewY[n] + 24 * (i / 4));
        if (shapes[queue[0]][i] != 0)
            Cell(shapes[queue[0]][i], 496 + 96 + 24 * (i % 4), 120 + 24 * (i / 4));
    }
    Text("    123456", 310, 24, 32, 64, 16);
    Text("Level  3", 298, 120, 32, 64, 16);
    for (int r = 0; r < 30; ++r) {
        for (int c = 0; c < 12; ++c)
            Cell(board[r][c], 496 + 24 * c, 24 * r);
    }
    BorderMasks();
    graphics->DrawFrame();
    Save("play.png");

    EXPECT_EQ(Share(16, 0, 1248, 720, [](const Rgb& c) { return c == Rgb{0, 0, 0}; }), 0.0);
    // A texel in the body of tile v, scaled 3 times: texel (5, 5) is screen (15..17, 15..17).
    auto tileColor = [&](int v) { return play.Color(192 + 8 * v + 5, 256 + 5); };
    // The falling T shows through the empty board tiles drawn over it.
    ExpectNear(At(496 + 96 + 24 + 16, 120 + 24 + 16), tileColor(3), "falling piece");
    for (int v = 1; v <= 8; ++v)
        ExpectNear(At(496 + 24 * v + 16, 24 * 27 + 16), tileColor(v),
                   "locked cell " + std::to_string(v));
    ExpectNear(At(496 + 16, 24 * 10 + 16), tileColor(9), "wall");
    ExpectNear(At(496 + 24 * 5 + 16, 24 * 28 + 16), tileColor(9), "floor");
    ExpectNear(At(808 + 24 * 1 + 16, 24 + 24 * 0 + 16), tileColor(7), "preview of I");
    EXPECT_LT(Luma(At(808 + 24 * 3 + 12, 24 + 24 * 3 + 12)), 60) << "an empty preview cell";

    // Text reads: bright glyphs on a dark panel.
    auto bright = [](const Rgb& c) { return Luma(c) > 170; };
    auto dark = [](const Rgb& c) { return Luma(c) < 60; };
    EXPECT_GT(Share(374, 30, 112, 56, bright), 0.15) << "score digits";
    EXPECT_GT(Share(306, 126, 130, 56, bright), 0.08) << "level text";
    EXPECT_GT(Share(240, 36, 60, 50, dark), 0.95) << "score panel behind the digits";
    EXPECT_GT(Share(200, 130, 90, 50, dark), 0.95) << "level panel";
    EXPECT_GT(Share(496 + 24 * 5, 24 * 2, 24 * 4, 24 * 4, dark), 0.95) << "the empty board well";
}

}  // namespace
