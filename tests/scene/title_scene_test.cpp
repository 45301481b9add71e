// ctest-labels: audio
// The title scene frame by frame through the scene frames the program wires
// up: the title drawing, the items' state machine with its held-button rules,
// the cursor's auto-repeat, the start of play, the ranking window and its
// content, the loading picture; and a whole run of the real program from the
// title through a game and back, with the score kept across a restart.

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <climits>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "app/Game.h"
#include "app/Scenes.h"
#include "app/Startup.h"
#include "audio/Audio.h"
#include "input/InputSampler.h"
#include "menu/Menu.h"
#include "menu/MenuDrawing.h"
#include "menu/RankingWindow.h"
#include "play/GameFlow.h"
#include "play/PlayState.h"
#include "scenes/TitleScene.h"
#include "support/DataFolder.h"
#include "support/FakePlatform.h"
#include "support/SpriteLog.h"
#include "support/TempFolder.h"
#include "world/System.h"
#include "world/WorldState.h"

namespace {

using Phase = WindowPhase;

using Fields = SpriteFields;
constexpr int32_t kUp = InputSampler::kUp, kDown = InputSampler::kDown,
                  kRight = InputSampler::kRight;
constexpr int32_t kDecision = InputSampler::kDecision;

Fields Quad(int32_t x, int32_t y, int32_t w, int32_t h, int32_t srcX, int32_t srcY, int32_t srcW,
            int32_t srcH, int32_t texture, uint32_t color = 0xFFFFFFFFu) {
    return QuadFields(x, y, w, h, srcX, srcY, srcW, srcH, color, texture);
}

// The large glyphs of the ranking window, in submission order.
std::vector<SpriteRequest> RankingGlyphs(const std::vector<SpriteRequest>& requests) {
    std::vector<SpriteRequest> glyphs;
    for (const SpriteRequest& r : requests) {
        if (r.texture == 6 && r.width == 32 && r.height == 64)
            glyphs.push_back(r);
    }
    return glyphs;
}

// Line `line` of the ranking window (0 the heading, 1..10 the rows) as text,
// after checking that all 100 cells stand where they belong, are cut from
// the glyph sheet, and are blank past the text.
std::string RankingLine(const std::vector<SpriteRequest>& glyphs, int line) {
    const int32_t x0 = line == 0 ? 592 : 376;
    const int32_t y = line == 0 ? 24 : 72 + 56 * (line - 1);
    std::string text;
    bool ended = false;
    for (int i = 0; i < 100; ++i) {
        const SpriteRequest& g = glyphs.at(static_cast<size_t>(100 * line + i));
        const uint32_t c = static_cast<uint32_t>(g.srcX / 16 + g.srcY / 2);
        EXPECT_EQ(FieldsOf(g), Quad(x0 + 16 * i, y, 32, 64, static_cast<int32_t>((c & 15) * 16),
                                    static_cast<int32_t>((c & 0xF0) * 2), 16, 32, 6))
            << "line " << line << " cell " << i;
        if (c == 0)
            ended = true;
        else if (ended)
            ADD_FAILURE() << "line " << line << ": text after the end at cell " << i;
        else
            text += static_cast<char>(c);
    }
    return text;
}

class TitleSceneTest : public ::testing::Test {
protected:
    TitleSceneTest() {
        game.LinkObjects(fake.gpu, fake.window);
        sys().sound.soundMode = SoundMode::kNone;  // effects are still counted when asked for
        world().loadingFlag = 0;                   // the textures are made
        frames = scenes.Frames();
    }

    System& sys() { return *game.system; }
    WorldState& world() { return *game.world; }
    MenuState& menu() { return game.world->menuState; }
    uint32_t Effects() { return game.audio->effects().requests(0); }

    void Frame(int32_t dirBits = 0, int32_t buttonBits = 0) {
        sys().inputState.dirBits = dirBits;
        sys().inputState.buttonBits = buttonBits;
        log.Clear();
        frames.title(game);
    }
    void Frames(int n, int32_t dirBits = 0, int32_t buttonBits = 0) {
        for (int i = 0; i < n; ++i)
            Frame(dirBits, buttonBits);
    }
    // With nothing held: eight frames growing, one to open, one to take input.
    void OpenItems() {
        Frames(10);
        ASSERT_EQ(menu().titleState, Phase::kActive);
        ASSERT_EQ(menu().titleAnim, 8);
    }
    // From the title with the cursor on `item`: DECISION held until the
    // window is open and waiting, then released.
    void OpenWindow(int32_t item) {
        while (menu().mainCursor != item)
            Frames(2, kDown), Frame();
        Frames(9, 0, kDecision);
        ASSERT_EQ(menu().windowState, Phase::kOpenHeld);
        Frame();
        ASSERT_EQ(menu().windowState, Phase::kActive);
    }

    FakePlatform fake;
    Game game;
    Scenes scenes{fake.calendar};
    SceneFrames frames;
    SpriteLog log{*game.graphics};
};

TEST_F(TitleSceneTest, TheFrameDrawsSkyLogoItemsAndHighlightUnderFadeMasksAndDiagnosticLine) {
    Frame();
    const auto& r = log.requests;
    ASSERT_EQ(r.size(), 7u + 9 + 1 + 4 + 36);
    const Fields title[7] = {
        Quad(16, 3, 1536, 768, 0, 0, 512, 256, 0),  // the sky, scrolled by 3
        Quad(16, 3 - 720, 1536, 768, 0, 0, 512, 256, 0),
        Quad(446, 144, 480, 120, 0, 0, 160, 40, 2),  // the logo's two pieces
        Quad(644, 144, 408, 120, 0, 48, 136, 40, 2),
        Quad(512, 400 + 1, 288, 96, 160, 0, 96, 32, 2),  // start: shown, bobbed by 1
        Quad(512, 504, 288, 96, 160, 32, 96, 32, 2),
        Quad(512, 600, 288, 96, 160, 64, 96, 32, 2),
    };
    for (int i = 0; i < 7; ++i)
        EXPECT_EQ(FieldsOf(r[i]), title[i]) << "quad " << i;
    // The highlight's body, one step open: (8 - 1) * 6 / 16 = 2 down, 6 / 8 = 0 high.
    EXPECT_EQ(FieldsOf(r[7]), Quad(472, 476, 376, -8, 160, 0, 16, 16, 5, 0x7FFFFFFFu));
    EXPECT_EQ(FieldsOf(r[16]), Quad(0, 0, 1280, 720, 32, 0, 16, 16, 120, 0x00FFFFFFu));
    EXPECT_EQ(r[17].y, -256);  // the first border mask
    EXPECT_EQ(r[21].y, 720);   // the diagnostic line
    EXPECT_EQ(r.back().x, 350);

    // The sky scrolls 3 a frame through 0..719; the shown item bobs 0..16..0
    // with a period of 32 frames, and the shown item follows the cursor.
    for (int f = 2; f <= 800; ++f) {
        const int32_t cursor = (f / 100) % 3;
        menu().mainCursor = cursor;
        Frame();
        const int32_t bob = 16 - std::abs(16 - f % 32);
        const int32_t scroll = 3 * f % 720;
        ASSERT_EQ(r[0].y, scroll) << f;
        ASSERT_EQ(r[1].y, scroll - 720) << f;
        // shownItem is taken after the drawing: the items show last frame's cursor.
        const int32_t shown = ((f - 1) / 100) % 3;
        for (int32_t item = 0; item < 3; ++item)
            ASSERT_EQ(r[4 + item].y, item == shown ? 400 + 96 * item + bob : 408 + 96 * item)
                << "frame " << f << " item " << item;
    }
}

TEST_F(TitleSceneTest, DecisionHeldFromThePreviousSceneOpensTheItemsButWaitsForItsRelease) {
    for (int frame = 1; frame <= 8; ++frame) {
        Frame(kDown, kDecision);
        EXPECT_EQ(menu().titleState, Phase::kOpening);
        EXPECT_EQ(menu().titleAnim, frame);
    }
    Frames(40, kDown, kDecision);
    EXPECT_EQ(menu().titleState, Phase::kOpenHeld);
    EXPECT_EQ(menu().mainCursor, 0);
    EXPECT_EQ(world().fadeOutRequest, 0);
    EXPECT_EQ(Effects(), 0u);

    // Released, the items take input; DOWN, held all along, counts as newly
    // held: its first step comes 48 frames later.
    Frame(kDown);
    EXPECT_EQ(menu().titleState, Phase::kActive);
    Frames(47, kDown);
    EXPECT_EQ(menu().mainCursor, 0);
    Frame(kDown);
    EXPECT_EQ(menu().mainCursor, 1);
    EXPECT_EQ(Effects(), 0u);
}

TEST_F(TitleSceneTest, HeldDirectionsStepAtOnceThenAfter48FramesThenEvery3) {
    struct Case {
        int32_t dirBits;
        std::vector<int32_t> cursorAfter;  // the cursor after each step
    };
    const Case cases[] = {
        {kDown, {1, 2, 0, 1, 2}},
        {kUp, {2, 1, 0, 2, 1}},
        {kUp | kDown, {2, 1, 0, 2, 1}},  // UP goes first
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.dirBits);
        menu() = MenuState{};
        OpenItems();
        std::vector<int> stepFrames;
        std::vector<int32_t> cursors;
        for (int f = 0; f < 58; ++f) {
            const int32_t before = menu().mainCursor;
            Frame(c.dirBits);
            if (menu().mainCursor != before) {
                stepFrames.push_back(f);
                cursors.push_back(menu().mainCursor);
            }
        }
        EXPECT_EQ(stepFrames, (std::vector<int>{0, 48, 51, 54, 57}));
        EXPECT_EQ(cursors, c.cursorAfter);
        // A release makes the next press step at once, at the slow delay again.
        Frame();
        Frames(47, kDown);
        EXPECT_EQ(menu().mainCursor, (c.cursorAfter.back() + 1) % 3);
        EXPECT_EQ(Effects(), 0u);
    }
}

TEST_F(TitleSceneTest, UpWithDecisionMovesTheCursorDownOnlyWhenDownIsHeldToo) {
    // In a title frame DECISION on the items always starts play or opens a
    // window before the cursor is read, so the cursor rule is checked on
    // RunMenu alone, with loading still under way to keep both machines still.
    struct Case {
        int32_t dirBits, buttonBits, cursorAfter;
    };
    const Case cases[] = {
        {kUp, kDecision, 1},          // not at all
        {kUp | kDown, kDecision, 2},  // down
        {kUp, 0, 0},                  // up, as without DECISION
        {kDown, kDecision, 2},        // DOWN counts with DECISION held
    };
    for (const Case& c : cases) {
        menu() = MenuState{};
        menu().titleState = Phase::kActive;
        menu().titleAnim = 8;
        menu().mainCursor = 1;
        menu().cursorRepeat = 48;
        world().loadingFlag = 1;
        sys().inputState.dirBits = c.dirBits;
        sys().inputState.buttonBits = c.buttonBits;
        System& s = sys();
        Menu({s.display, s.sound, s.settings, world().colorIndex}, s.inputState, s.music, world(),
             *game.input, *game.audio, *game.graphics)
            .RunMenu();
        EXPECT_EQ(menu().mainCursor, c.cursorAfter) << c.dirBits << "/" << c.buttonBits;
        EXPECT_EQ(menu().titleState, Phase::kActive);
        EXPECT_EQ(menu().windowState, Phase::kIdle);
    }
}

TEST_F(TitleSceneTest, ConfirmingStartClosesTheItemsFadesOutAndHandsOverToPlay) {
    OpenItems();
    world().bgmSwitchRequest = 0;
    world().bgmSelector = 5;
    sys().music.bgmRestart = 1;
    world().shownItem = 0;

    // Nine frames closing, with one sound; the highlight shrinks with the items.
    for (int frame = 1; frame <= 9; ++frame) {
        Frame(0, frame == 1 ? kDecision : 0);  // the closing goes on once started
        const int32_t anim = frame <= 8 ? 8 - frame : 0;
        EXPECT_EQ(menu().titleState, frame <= 8 ? Phase::kClosing : Phase::kClosedHeld) << frame;
        EXPECT_EQ(menu().titleAnim, anim) << frame;
        if (anim > 0) {
            const SpriteRequest& body = log.requests.at(7);
            EXPECT_EQ(FieldsOf(body), Quad(472, 474 + (8 - anim) * 6 / 16, 376, anim * 6 / 8 - 8,
                                           160, 0, 16, 16, 5, 0x7FFFFFFFu))
                << frame;
        }
    }
    EXPECT_EQ(Effects(), 1u);

    // Closed, it waits for the button to be released before fading out.
    Frames(20, 0, kDecision);
    EXPECT_EQ(world().fadeOutRequest, 0);
    EXPECT_EQ(world().fadeLevel, 0);
    for (int frame = 1; frame <= 51; ++frame) {
        Frame();
        ASSERT_EQ(world().fadeLevel, 5 * frame);
        ASSERT_EQ(world().sceneState, SceneState::kTitle);
    }
    EXPECT_EQ(world().fadeLevel, 255);

    // The next frame hands over: music request, diagnostic value, menu cleared, play.
    menu().optionRow = 7;
    Frame();
    EXPECT_EQ(world().sceneState, SceneState::kPlay);
    EXPECT_EQ(world().bgmSwitchRequest, 1);
    EXPECT_EQ(world().bgmSelector, 0);
    EXPECT_EQ(sys().music.bgmRestart, 0);
    EXPECT_EQ(world().loadingFlag, 0);
    EXPECT_TRUE(world().diagnostic.gameStarted);
    EXPECT_EQ(world().shownItem, 0);
    const MenuState zero{};
    EXPECT_EQ(std::memcmp(&menu(), &zero, sizeof zero), 0);
    EXPECT_EQ(world().fadeOutRequest, 0);
    EXPECT_EQ(world().fadeInRequest, 1);
    EXPECT_EQ(world().fadeLevel, 250);  // the fade-in starts in the same frame
    std::string diagnostic;
    for (size_t k = log.requests.size() - 36; k < log.requests.size(); ++k)
        diagnostic += static_cast<char>(log.requests[k].srcX / 16 + log.requests[k].srcY / 2);
    EXPECT_EQ(diagnostic, "     1296        0        0        0");
    EXPECT_EQ(Effects(), 1u);
}

TEST_F(TitleSceneTest, BothWindowsOpenAndCloseWithDecisionButNotOnThePadButtonRows) {
    for (const int32_t item : {1, 2}) {
        SCOPED_TRACE(item);
        menu() = MenuState{};
        OpenItems();
        Frames(2, kDown);
        if (item == 2)
            Frame(), Frame(kDown);
        Frame();
        ASSERT_EQ(menu().mainCursor, item);
        const uint32_t effects = Effects();

        // Opening: one sound, the frame growing 110 x 90 a step from (208, 0).
        for (int frame = 1; frame <= 9; ++frame) {
            Frame(0, kDecision);
            const int32_t anim = std::min(frame, 8);
            EXPECT_EQ(menu().windowState, frame <= 8 ? Phase::kOpening : Phase::kOpenHeld);
            EXPECT_EQ(menu().windowAnim, anim);
            // After the items and the highlight: the frame's body.
            EXPECT_EQ(FieldsOf(log.requests.at(16)),
                      Quad(212, 4, 110 * anim - 8, 90 * anim - 8, 0, 0, 16, 16, 5, 0x7FFFFFFFu));
            EXPECT_EQ(RankingGlyphs(log.requests).size(), item == 1 && anim == 8 ? 1100u : 0u);
        }
        EXPECT_EQ(Effects(), effects + 1);
        Frame();
        EXPECT_EQ(menu().windowState, Phase::kActive);

        // The pad-button rows keep DECISION for themselves, in either window;
        // a move off them frees it.
        menu().optionRow = 6;
        Frames(5, 0, kDecision);
        EXPECT_EQ(menu().windowState, Phase::kActive);
        EXPECT_EQ(Effects(), effects + 1);
        Frame(kUp);
        EXPECT_EQ(menu().optionRow, 5);
        EXPECT_EQ(menu().mainCursor, item);  // the title's cursor stands still
        for (int frame = 1; frame <= 9; ++frame) {
            Frame(0, frame < 3 ? kDecision : 0);
            EXPECT_EQ(menu().windowState, frame <= 8 ? Phase::kClosing : Phase::kClosedHeld);
            EXPECT_EQ(menu().windowAnim, frame <= 8 ? 8 - frame : 0);
        }
        EXPECT_EQ(Effects(), effects + 2);
        Frame(0, kDecision);
        EXPECT_EQ(menu().windowState, Phase::kClosedHeld);
        Frame();
        EXPECT_EQ(menu().windowState, Phase::kIdle);
        EXPECT_EQ(world().fadeOutRequest, 0);
    }
}

TEST_F(TitleSceneTest, TheRankingWindowKeepsTheHiddenOptionsAsTheyAre) {
    OpenItems();
    OpenWindow(1);
    menu().optionRow = 4;  // remembered from an options visit: the music volume
    sys().sound.bgmVolume = 2500;
    Frames(60, kRight);  // five steps in an options window
    EXPECT_EQ(sys().sound.bgmVolume, 2500);
    EXPECT_EQ(menu().windowState, Phase::kActive);
}

// A step reaches its setting after the window's frame and value highlights
// are drawn, so they show the change from the next frame on; the colour's
// own highlight moves at once.
TEST_F(TitleSceneTest, AStepShowsInTheFrameAndTheValueHighlightsFromTheNextFrame) {
    OpenItems();
    OpenWindow(2);
    const auto frameColor = [&] {  // from the frame's body, cut from its colour's cell
        for (const SpriteRequest& r : log.requests) {
            if (r.texture == 5 && r.x == 212 && r.y == 4)
                return r.srcX / 16;
        }
        return -1;
    };
    const auto highlighted = [&](int32_t x, int32_t y) {  // a highlight's body at (x, y)
        return std::any_of(log.requests.begin(), log.requests.end(), [&](const SpriteRequest& r) {
            return r.texture == 5 && r.srcX == 160 && r.srcY == 0 && r.x == x + 4 && r.y == y + 4;
        });
    };
    const struct {
        int32_t row, beforeX, afterX, y;
    } cases[] = {
        {1, 330, 518, 130},  // VSYNC off -> on
        {2, 330, 518, 182},  // TIMER
        {3, 330, 518, 234},  // FRAME SKIP
        {7, 542, 572, 442},  // CANCELLATION: B -> X
    };
    for (const auto& c : cases) {
        menu().optionRow = c.row;
        Frame(kRight);
        EXPECT_TRUE(highlighted(c.beforeX, c.y) && !highlighted(c.afterX, c.y)) << c.row;
        Frame();
        EXPECT_TRUE(highlighted(c.afterX, c.y) && !highlighted(c.beforeX, c.y)) << c.row;
    }
    EXPECT_EQ(sys().display.vsync, 1);
    EXPECT_EQ(sys().settings.buttonMap[1], 2);

    menu().optionRow = 10;
    Frame(kRight);
    EXPECT_EQ(world().colorIndex, 1);
    EXPECT_EQ(frameColor(), 0);
    EXPECT_TRUE(highlighted(542, 598));
    Frame();
    EXPECT_EQ(frameColor(), 1);
}

TEST_F(TitleSceneTest, TheRankingWindowShowsTheTableLineByLine) {
    OpenItems();
    OpenWindow(1);
    const std::string fresh = " 1900/ 1/ 0  0: 0: 0          0";
    std::vector<SpriteRequest> glyphs = RankingGlyphs(log.requests);
    ASSERT_EQ(glyphs.size(), 1100u);
    EXPECT_EQ(RankingLine(glyphs, 0), "RANKING");
    for (int row = 1; row <= 10; ++row) {
        char place[4];
        std::snprintf(place, sizeof place, "%2d", row);
        EXPECT_EQ(RankingLine(glyphs, row), place + fresh);
    }

    // A finished game: the score enters the table with the calendar's date.
    fake.calendar.now = 1'743'743'167;
    fake.calendar.local = {7, 6, 5, 4, 3, 125, 5, 93, 0};  // 2025-04-04 05:06:07
    PlayState play;
    play.score = 9372;
    world().sceneState = SceneState::kPlay;
    FinishGame(play, sys().music, world(), fake.calendar);
    ASSERT_EQ(world().sceneState, SceneState::kTitle);
    menu() = MenuState{};
    OpenItems();
    OpenWindow(1);
    glyphs = RankingGlyphs(log.requests);
    ASSERT_EQ(glyphs.size(), 1100u);
    EXPECT_EQ(RankingLine(glyphs, 1), " 1 2025/ 4/ 4  5: 6: 7       9372");
    EXPECT_EQ(RankingLine(glyphs, 2), " 2" + fresh);

    // Values from a settings file may be anything: dates outside the calendar
    // show as 0, and every score still fits the line.
    RankingTable& table = world().rankingTable;
    table.scores[2] = INT32_MIN;
    table.dates[2] = {INT32_MIN, INT32_MIN, INT32_MIN, INT32_MIN, INT32_MAX, INT32_MAX, 0, 0, 0};
    table.scores[3] = 1'234'567'890;
    Frame();
    glyphs = RankingGlyphs(log.requests);
    EXPECT_EQ(RankingLine(glyphs, 3), " 3    0/ 0/ 0  0: 0: 0 -2147483648");
    EXPECT_EQ(RankingLine(glyphs, 4), " 4 1900/ 1/ 0  0: 0: 0 1234567890");
}

TEST_F(TitleSceneTest, WhileTexturesAreMadeOnlyTheLoadingPictureShowsAndTheMenuStandsStill) {
    world().loadingFlag = 1;
    for (int f = 1; f <= 40; ++f) {
        Frame(kDown, f % 2 == 0 ? kDecision : 0);
        const int32_t bob = 16 - std::abs(16 - f % 32);
        ASSERT_EQ(log.requests.size(), 2u + 1 + 4 + 36);
        ASSERT_EQ(FieldsOf(log.requests[0]), Quad(0, 0, 1536, 768, 0, 256, 512, 256, 2));
        ASSERT_EQ(FieldsOf(log.requests[1]), Quad(400, 241 + bob, 768, 132, 256, 0, 256, 44, 2));
    }
    const MenuState zero{};
    EXPECT_EQ(std::memcmp(&menu(), &zero, sizeof zero), 0);
    EXPECT_EQ(world().titleMotion.scroll, 0);
    EXPECT_EQ(Effects(), 0u);

    // Once the textures are there, the items open and the sky starts to move.
    world().loadingFlag = 0;
    Frame();
    EXPECT_EQ(menu().titleState, Phase::kOpening);
    EXPECT_EQ(world().titleMotion.scroll, 3);
}

// The real program through RunGame: Esc arrives as the window's close
// command and ends the run in order, writing Game.ini.
class TitleToPlayAndBackTest : public ::testing::Test {
protected:
    // dir.txt naming "data\".
    const Bytes kDirTxt = {0xFF, 0xFE, 'd', 0, 'a', 0, 't', 0, 'a', 0, '\\', 0};

    void SetUp() override {
        folder.Write("dir.txt", kDirTxt);
        testdata::WriteDataFolder(folder);
    }

    // One run of the program. Between frames `player` decides the keys held
    // for the next one; once it returns false the run is closed with Esc.
    struct Run {
        FakePlatform fake;
        Scenes scenes{fake.calendar};
        Game* game = nullptr;
        int frames = 0;
        std::unique_ptr<SpriteLog> log;  // gone before the run ends
    };
    using Player = std::function<bool(Run&, ScriptedKeyboard&)>;

    int RunProgram(Run& run, const Player& player) {
        run.fake.process.executable = folder.Path("tessary");
        run.fake.calendar.now = 1'743'743'167;
        run.fake.calendar.local = {7, 6, 5, 4, 3, 125, 5, 93, 0};
        const SceneFrames real = run.scenes.Frames();
        bool closing = false;
        const auto afterFrame = [&](Game& game) {
            run.game = &game;
            ++run.frames;
            if (!closing && (run.frames > 60'000 || !player(run, run.fake.keyboard))) {
                closing = true;
                run.log.reset();
                run.fake.keyboard.ReleaseAll();
                run.fake.window.PostEvent({platform::WindowEvent::Kind::kEscapePressed});
            }
        };
        SceneFrames frames;
        frames.title = [&](Game& game) {
            real.title(game);
            afterFrame(game);
        };
        frames.play = [&](Game& game) {
            real.play(game);
            afterFrame(game);
        };
        return RunGame(run.fake.platform, frames);
    }

    // A player that opens the ranking window from the title, reads its first
    // row from the first frame that shows the table, then stops.
    static Player ReadFirstRankingRow(std::string* row) {
        return [row](Run& run, ScriptedKeyboard& keys) {
            const MenuState& m = run.game->world->menuState;
            keys.ReleaseAll();
            if (run.log != nullptr) {
                const std::vector<SpriteRequest> glyphs = RankingGlyphs(run.log->requests);
                EXPECT_EQ(glyphs.size(), 1100u);
                if (glyphs.size() == 1100u)
                    *row = RankingLine(glyphs, 1);
                run.log.reset();
                return false;
            }
            if (m.titleState != Phase::kActive || run.game->world->sceneState != SceneState::kTitle)
                return true;
            if (m.windowState == Phase::kIdle && m.mainCursor != 1) {
                if (run.frames % 2 == 0)
                    keys.Hold(platform::Control::kDown);
            } else {
                keys.Hold(platform::Control::kDecision);
                if (m.windowAnim == 7)  // the next frame shows the table
                    run.log = std::make_unique<SpriteLog>(*run.game->graphics);
            }
            return true;
        };
    }

    TempFolder folder;
};

TEST_F(TitleToPlayAndBackTest, AGameFromTheTitleEntersTheRankingWhichSurvivesARestart) {
    // Start from the title, hold the soft drop until the stack is stuck, back
    // on the title open the ranking.
    // Game.ini holds the result from the frame after the game ended, while
    // the game-over sequence still runs.
    std::string row;
    int32_t score = -1;
    int32_t savedInSequence = -1;
    int framesOver = 0;
    int32_t belowIt = -1;  // entered once, so the second row stays empty
    bool played = false;
    const Player reader = ReadFirstRankingRow(&row);
    Run first;
    const Player player = [&](Run& run, ScriptedKeyboard& keys) {
        WorldState& world = *run.game->world;
        if (world.sceneState == SceneState::kPlay) {
            if (run.scenes.playState().gameOverCounter > 0 && ++framesOver == 2 &&
                folder.Exists("Game.ini")) {
                const Bytes ini = folder.Read("Game.ini");
                std::memcpy(&savedInSequence, ini.data() + 36, sizeof savedInSequence);
            }
            played = true;
            keys.ReleaseAll();
            keys.Hold(platform::Control::kDown);
            return true;
        }
        if (!played) {
            keys.ReleaseAll();
            if (world.menuState.titleState == Phase::kActive && run.frames % 2 == 0)
                keys.Hold(platform::Control::kDecision);
            return true;
        }
        score = world.rankingTable.scores[0];
        belowIt = world.rankingTable.scores[1];
        return reader(run, keys);
    };
    EXPECT_EQ(RunProgram(first, player), 0);
    EXPECT_TRUE(played);
    EXPECT_GT(score, 0);
    EXPECT_EQ(savedInSequence, score);
    EXPECT_EQ(belowIt, 0);
    EXPECT_LT(first.frames, 20'000);
    EXPECT_TRUE(first.fake.dialogs.shown.empty());
    char expected[64];
    std::snprintf(expected, sizeof expected, " 1 2025/ 4/ 4  5: 6: 7 %10d", score);
    EXPECT_EQ(row, expected);
    ASSERT_TRUE(folder.Exists("Game.ini"));

    // A new run on the same folder shows it from the start.
    row.clear();
    Run second;
    EXPECT_EQ(RunProgram(second, ReadFirstRankingRow(&row)), 0);
    EXPECT_EQ(row, expected);
    EXPECT_LT(second.frames, 200);
}

}  // namespace
