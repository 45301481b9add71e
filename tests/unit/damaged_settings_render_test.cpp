// Damaged bytes of Game.ini drawn on the real device: a texel offset that
// would move every glyph off its cell, and ranking dates far outside the
// calendar, leave the ranking window as a sound record draws it.

#include <gtest/gtest.h>

#include <cstdint>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "base/ByteOrder.h"
#include "base/WideText.h"
#include "graphics/Graphics.h"
#include "menu/MenuDrawing.h"
#include "menu/RankingWindow.h"
#include "persist/SettingsFile.h"
#include "support/SceneRenderRig.h"
#include "world/System.h"
#include "world/WorldState.h"

namespace {

class DamagedSettingsRenderTest : public ::testing::Test {
protected:
    void SetUp() override {
        BEGIN_RIG_OR_SKIP(rig);
    }

    // Loads the settings record with the texel offset's bytes replaced.
    void LoadTexelOffset(uint32_t bits) {
        SettingsFile file(*game.system, game.world->rankingTable);
        uint8_t bytes[SettingsFile::kSize];
        file.Encode(bytes);
        base::StoreLE32(bytes + 5, bits);
        file.Decode(bytes);
    }

    std::vector<uint8_t> RenderRanking() {
        game.graphics->ClearSpriteList();
        ranking_window::DrawRankingWindow(*game.graphics, game.world->rankingTable);
        return rig.Render();
    }

    SceneRenderRig rig;
    Game& game = rig.game;
};

int LitPixels(const std::vector<uint8_t>& rgb) {
    int lit = 0;
    for (size_t i = 0; i + 2 < rgb.size(); i += 3)
        lit += (rgb[i] | rgb[i + 1] | rgb[i + 2]) != 0 ? 1 : 0;
    return lit;
}

TEST_F(DamagedSettingsRenderTest, ATexelOffsetOfATexelOrMoreDrawsAsTheDefault) {
    game.world->rankingTable.scores[0] = 9876543;
    LoadTexelOffset(0x358637BDu);  // the default, 1e-6
    const std::vector<uint8_t> sound = RenderRanking();
    ASSERT_GT(LitPixels(sound), 20'000);
    // Infinity, not a number, half the texture, -80 texture widths.
    for (uint32_t bits : {0x7F800000u, 0x7FC00000u, 0x3F000000u, 0xC2A00000u}) {
        LoadTexelOffset(bits);
        EXPECT_EQ(RenderRanking(), sound) << std::hex << bits;
    }
}

TEST_F(DamagedSettingsRenderTest, DatesOutsideTheCalendarShowAsZeroInsideTheWindow) {
    RankingTable& table = game.world->rankingTable;
    table.scores[0] = 123;
    table.dates[0] = {61, -1, 24, 32, 12, INT32_MAX, 0, 0, 0};
    table.scores[1] = 45;
    table.dates[1] = {-7, 60, -1, -1, INT32_MIN, 8100, 0, 0, 0};
    table.scores[2] = 6;
    table.dates[2] = {60, 59, 23, 31, 11, 8099, 0, 0, 0};  // the last date that fits
    const RankingTable stored = table;
    const std::vector<uint8_t> frame = RenderRanking();
    EXPECT_EQ(std::memcmp(&stored, &table, sizeof table), 0) << "the table is not changed";

    std::vector<std::u16string> lines = {u" 1    0/ 0/ 0  0: 0: 0        123",
                                         u" 2    0/ 0/ 0  0: 0: 0         45",
                                         u" 3 9999/12/31 23:59:60          6"};
    for (int r = 4; r <= 10; ++r) {
        char line[48];
        std::snprintf(line, sizeof line, "%2d 1900/ 1/ 0  0: 0: 0          0", r);
        lines.push_back(base::FromUtf8(line));
    }
    game.graphics->ClearSpriteList();
    menu_drawing::DrawText(*game.graphics, u"RANKING", 100, 592, 24, 16, 32, 64);
    for (int r = 0; r < 10; ++r)
        menu_drawing::DrawText(*game.graphics, lines[r], 100, 376, 72 + 56 * r, 16, 32, 64);
    EXPECT_EQ(frame, rig.Render());
}

}  // namespace
