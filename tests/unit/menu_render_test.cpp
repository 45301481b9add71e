// The title scene and the ranking window rendered by the real GL device on
// the offscreen video driver, with the pictures of the real data folder, and
// read back. The expected screen is painted in software from the same
// pictures: every texel the title's items, the logo or a glyph should show,
// placed where it belongs; the rendered pixels there must match it. Text at
// the wrong place or cut from the wrong cell does not.
//
// The frames are written to <build>/assets-render/ for a look by eye.

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "app/Game.h"
#include "base/WideText.h"
#include "graphics/Graphics.h"
#include "graphics/PngPicture.h"
#include "graphics_test_util.h"
#include "input/InputSampler.h"
#include "menu/MenuDrawing.h"
#include "platform/Files.h"
#include "platform/GlDevice.h"
#include "platform/SdlWindow.h"
#include "resources/LoadResources.h"
#include "scenes/TitleScene.h"
#include "support/SceneRenderRig.h"
#include "world/System.h"
#include "world/WorldState.h"

namespace {

namespace fs = std::filesystem;
using Rgb = std::array<int, 3>;

const fs::path kDataFolder = TESSARY_GAME_DATA_DIR;
constexpr int kWidth = 1280, kHeight = 720;

// A picture as the game's loader turns it into texels (1-5-5-5).
struct Texels {
    std::vector<uint16_t> t = std::vector<uint16_t>(512 * 512, 0);
    bool Opaque(int x, int y) const { return (t[static_cast<size_t>(y) * 512 + x] & 0x8000) != 0; }
    Rgb Color(int x, int y) const {
        const uint16_t v = t[static_cast<size_t>(y) * 512 + x];
        auto widen = [](int c) { return c << 3 | c >> 2; };
        return {widen(v >> 10 & 31), widen(v >> 5 & 31), widen(v & 31)};
    }
};

// One quad of the expected screen: a source rectangle stretched over a
// destination rectangle, sampled at pixel centres like the device does.
struct Placed {
    const Texels* texels;
    int sx, sy, sw, sh;
    int x, y, w, h;
};

// The screen as it should look where a placed quad shows an opaque texel;
// pixels nothing opaque covers are left open. Later quads cover earlier ones.
class Expected {
public:
    void Paint(const Placed& q) {
        for (int py = std::max(q.y, 0); py < std::min(q.y + q.h, kHeight); ++py) {
            for (int px = std::max(q.x, 0); px < std::min(q.x + q.w, kWidth); ++px) {
                const int tx = q.sx + static_cast<int>((px - q.x + 0.5) * q.sw / q.w);
                const int ty = q.sy + static_cast<int>((py - q.y + 0.5) * q.sh / q.h);
                if (q.texels->Opaque(tx, ty))
                    pixels_[Index(px, py)] = q.texels->Color(tx, ty);
            }
        }
    }
    // A glyph of code c per character, 32 x 64, 16 pixels apart.
    void PaintText(const Texels& sheet, std::string_view text, int x, int y) {
        for (size_t i = 0; i < text.size(); ++i) {
            const int c = static_cast<unsigned char>(text[i]);
            Paint({&sheet, 16 * (c & 15), 2 * (c & 0xF0), 16, 32, x + 16 * static_cast<int>(i), y,
                   32, 64});
        }
    }
    // Something else is drawn over this rectangle: leave it open.
    void Open(int x, int y, int w, int h) {
        for (int py = y; py < y + h; ++py) {
            for (int px = x; px < x + w; ++px)
                pixels_[Index(px, py)].reset();
        }
    }
    // Share of the painted pixels the frame shows within a small tolerance.
    double MatchedShare(const std::vector<uint8_t>& frame, int* painted = nullptr) const {
        int compared = 0, matched = 0;
        for (size_t i = 0; i < pixels_.size(); ++i) {
            if (!pixels_[i])
                continue;
            ++compared;
            bool same = true;
            for (int c = 0; c < 3; ++c)
                same = same && std::abs(frame[3 * i + c] - (*pixels_[i])[c]) <= 3;
            matched += same ? 1 : 0;
        }
        if (painted != nullptr)
            *painted = compared;
        return compared == 0 ? 0.0 : static_cast<double>(matched) / compared;
    }

private:
    static size_t Index(int x, int y) { return static_cast<size_t>(y) * kWidth + x; }
    std::vector<std::optional<Rgb>> pixels_ = std::vector<std::optional<Rgb>>(kWidth * kHeight);
};

class MenuRenderTest : public ::testing::Test {
protected:
    void SetUp() override {
        BEGIN_RIG_OR_SKIP(rig);
        pictures = LoadTexels(2);
        glyphs = LoadTexels(6);
    }

    Texels LoadTexels(int slot) {
        Texels texels;
        FILE* file = platform::OpenFile(
            game.system->folders.ListedFile(base::WideView(game.world->pictureNames[slot])), "rb");
        EXPECT_NE(file, nullptr) << "texture " << slot;
        if (file == nullptr)
            return texels;
        Picture picture;
        EXPECT_EQ(DecodePng(file, &picture), PictureError::kNone);
        std::fclose(file);
        PictureToTexels(picture, texels.t.data());
        return texels;
    }

    void Frames(int n, int32_t dirBits = 0, int32_t buttonBits = 0) {
        for (int i = 0; i < n; ++i) {
            game.system->inputState.dirBits = dirBits;
            game.system->inputState.buttonBits = buttonBits;
            RunTitleSceneFrame(game.Links());
        }
    }
    std::vector<uint8_t> Render(const std::string& name) {
        std::vector<uint8_t> rgb = rig.Render();
        EXPECT_FALSE(rgb.empty());
        const fs::path folder = (kDataFolder / ".." / ".." / "assets-render").lexically_normal();
        fs::create_directories(folder);
        EXPECT_TRUE(WriteScreenshot((folder / name).string(), rgb, kWidth, kHeight));
        return rgb;
    }

    SceneRenderRig rig;
    Game& game = rig.game;
    Texels pictures, glyphs;
};

TEST_F(MenuRenderTest, TheTitleShowsTheLogoAndTheItemsWhereTheyBelong) {
    Frames(16);  // open, with the cursor's item bobbed up to 16
    ASSERT_EQ(game.world->menuState.titleAnim, 8);
    const std::vector<uint8_t> frame = Render("title-scene.png");

    // The logo's two pieces, then the items, the first one raised by the bob;
    // the highlight under the first item is drawn over them.
    auto paint = [&](int itemShift, int cellShift) {
        Expected expected;
        expected.Paint({&pictures, 0, 0, 160, 40, 446, 144, 480, 120});
        expected.Paint({&pictures, 0, 48, 136, 40, 644, 144, 408, 120});
        for (int k = 0; k < 3; ++k) {
            const int y = k == 0 ? 400 + 16 : 408 + 96 * k;
            expected.Paint(
                {&pictures, 160, 32 * ((k + cellShift) % 3), 96, 32, 512 + itemShift, y, 288, 96});
        }
        expected.Open(468, 468, 384, 10);
        return expected;
    };
    int painted = 0;
    EXPECT_GT(paint(0, 0).MatchedShare(frame, &painted), 0.99);
    EXPECT_GT(painted, 20'000);
    // The same check catches items put elsewhere or cut from the wrong cell.
    EXPECT_LT(paint(16, 0).MatchedShare(frame), 0.85);
    EXPECT_LT(paint(0, 1).MatchedShare(frame), 0.85);
}

TEST_F(MenuRenderTest, TheRankingWindowShowsHeadingAndRowsWhereTheyBelong) {
    RankingTable& table = game.world->rankingTable;
    table.scores[0] = 123456;
    table.dates[0] = {9, 5, 21, 7, 11, 124, 0, 0, 0};
    table.scores[1] = -42;
    table.dates[1] = {59, 0, 0, 31, 0, 123, 0, 0, 0};
    std::vector<std::string> lines = {"RANKING", " 1 2024/12/ 7 21: 5: 9     123456",
                                      " 2 2023/ 1/31  0: 0:59        -42"};
    for (int r = 3; r <= 10; ++r) {
        char line[64];
        std::snprintf(line, sizeof line, "%2d 1900/ 1/ 0  0: 0: 0          0", r);
        lines.push_back(line);
    }

    // Open the items, move to the ranking item, open the window.
    Frames(10);
    Frames(1, InputSampler::kDown);
    Frames(1);
    Frames(9, 0, InputSampler::kDecision);
    ASSERT_EQ(game.world->menuState.windowAnim, 8);
    ASSERT_EQ(game.world->shownItem, 1);
    const std::vector<uint8_t> frame = Render("ranking-window.png");

    auto paint = [&](int shift, int codeShift) {
        Expected expected;
        for (size_t line = 0; line < lines.size(); ++line) {
            std::string text = lines[line];
            for (char& c : text) {
                if (c != ' ')
                    c = static_cast<char>(c + codeShift);
            }
            const int x = line == 0 ? 592 : 376;
            const int y = line == 0 ? 24 : 72 + 56 * static_cast<int>(line - 1);
            expected.PaintText(glyphs, text, x + shift, y);
        }
        return expected;
    };
    int painted = 0;
    EXPECT_GT(paint(0, 0).MatchedShare(frame, &painted), 0.99);
    EXPECT_GT(painted, 20'000);
    EXPECT_LT(paint(16, 0).MatchedShare(frame), 0.7) << "one cell to the right";
    EXPECT_LT(paint(0, 1).MatchedShare(frame), 0.7) << "the next glyph cell";
}

}  // namespace
