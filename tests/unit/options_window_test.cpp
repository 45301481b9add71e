// ctest-labels: audio
// The options window: value steps, the apply step (display-mode request,
// volumes with the preview sound, pad button capture), what it draws (from
// the sprite requests, and rendered with the real pictures on the offscreen
// GL device), and settings bytes that no row can show.

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "app/Game.h"
#include "app/Scenes.h"
#include "app/Startup.h"
#include "audio/Audio.h"
#include "base/WideText.h"
#include "graphics/Graphics.h"
#include "graphics/PngPicture.h"
#include "graphics/TextureReloader.h"
#include "graphics_test_util.h"
#include "input/InputSampler.h"
#include "menu/Menu.h"
#include "menu/MenuDrawing.h"
#include "menu/OptionsWindow.h"
#include "platform/GlDevice.h"
#include "platform/SdlWindow.h"
#include "scenes/TitleScene.h"
#include "support/AudioRig.h"
#include "support/DataFolder.h"
#include "support/FakePlatform.h"
#include "support/SoundFiles.h"
#include "support/SpriteLog.h"
#include "support/TempFolder.h"
#include "world/System.h"
#include "world/WorldState.h"

namespace {

using Phase = WindowPhase;

namespace fs = std::filesystem;
using options_window::RunOptionsWindow;
using options_window::SteppedValue;
using options_window::StepOptionValue;
using platform::Control;

constexpr int32_t kLeft = InputSampler::kLeft;
constexpr int32_t kRight = InputSampler::kRight;

// A 29-character text: `lead` blanks, the words, blanks to the end.
std::u16string Padded(std::u16string_view words, size_t lead = 0) {
    std::u16string t(lead, u' ');
    t += words;
    t.resize(29, u' ');
    return t;
}

// The text of the glyph quads that start at (x, y), `advance` apart, 16 x 32
// each; empty when no glyph run starts there.
std::u16string TextAt(const std::vector<SpriteRequest>& log, int32_t x, int32_t y,
                      int32_t advance = 10) {
    for (size_t i = 0; i + 29 <= log.size(); ++i) {
        if (log[i].texture != 6 || log[i].x != x || log[i].y != y)
            continue;
        std::u16string text;
        for (size_t k = 0; k < 29; ++k) {
            const SpriteRequest& g = log[i + k];
            if (g.texture != 6 || g.x != x + advance * static_cast<int32_t>(k) || g.y != y ||
                g.width != 16 || g.height != 32 || g.color != 0xFFFFFFFFu)
                return u"<broken run>";
            text += static_cast<char16_t>(g.srcX / 16 + g.srcY / 32 * 16);
        }
        return text;
    }
    return u"";
}

struct Box {
    int32_t x, y, width, height;
    bool operator==(const Box&) const = default;
};
// Every highlight drawn, from its body quad (cell (160, 0) of texture 5).
std::vector<Box> Highlights(const std::vector<SpriteRequest>& log) {
    std::vector<Box> boxes;
    for (const SpriteRequest& r : log) {
        if (r.texture == 5 && r.srcX == 160 && r.srcY == 0)
            boxes.push_back({r.x - 4, r.y - 4, r.width + 8, r.height + 8});
    }
    return boxes;
}

// A linked Game without a display, its input on scripted keys and pads, and
// the sprite requests of the last frame recorded.
class OptionsRig {
public:
    OptionsRig() : system(*game.system), world(*game.world) {
        game.LinkObjects(gpu, window);
        game.input->AttachDevices(keyboard, pads);
        log = std::make_unique<SpriteLog>(*game.graphics);
    }
    // One frame of the open window on `row` with these directions held.
    void Frame(int32_t row, int32_t dirBits = 0) {
        game.graphics->ClearSpriteList();
        log->Clear();
        world.menuState.optionRow = row;
        settings->inputState.dirBits = dirBits;
        RunOptionsWindow(*game.graphics, Targets(), settings->inputState, world, *game.input,
                         *sound);
    }
    // The menu's value step on a key press, then the frame.
    void Press(int32_t row, int32_t dirBits) {
        StepOptionValue(Targets(), row, (dirBits & kLeft) != 0, (dirBits & kRight) != 0);
        Frame(row, dirBits);
    }
    // Settings and sound from elsewhere (an AudioRig).
    void Use(System& s, Audio& a) {
        settings = &s;
        sound = &a;
    }
    const std::vector<SpriteRequest>& sprites() const { return log->requests; }
    options_window::OptionTargets Targets() {
        return {settings->display, settings->sound, settings->settings, world.colorIndex};
    }

    FakeGpu gpu;
    FakeWindow window;
    ScriptedKeyboard keyboard;
    ScriptedPads pads;
    Game game;
    System& system;
    WorldState& world;
    System* settings = &system;
    Audio* sound = game.audio.get();
    std::unique_ptr<SpriteLog> log;
};

TEST(OptionsValueTest, StepsWrapOrClampByRowAndOutOfRangeValuesComeBackIntoRange) {
    struct Case {
        int32_t row, start;
        bool left, right;
        int32_t expected;
    };
    const Case cases[] = {
        {5, 20, false, true, 20},  // SE VOLUME stops at 20
        {5, 19, false, true, 20},
        {5, 0, true, false, 0},
        {5, 1, true, false, 0},
        {4, 7, true, true, 6},   // LEFT wins over RIGHT
        {2, 0, true, false, 3},  // TIMER wraps
        {2, 3, false, true, 0},
        {0, 1, false, true, 0},
        {6, 9, false, true, 0},
        {10, 0, true, false, 9},
        {8, 4, false, false, 4},
        // Values only the settings file gives.
        {4, 255, false, true, 20},
        {4, 255, true, false, 254},
        {4, -7, false, true, 0},
        {6, 255, false, true, 6},
        {6, 255, true, false, 9},
        {7, -3, true, false, 9},
        {9, -3, false, true, 8},
        {1, 2147483647, false, true, 0},
        {3, -2147483647 - 1, true, false, 1},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(SteppedValue(c.row, c.start, c.left, c.right), c.expected)
            << "row " << c.row << " from " << c.start << (c.left ? " LEFT" : "")
            << (c.right ? " RIGHT" : "");
    }
    // A row that does not exist changes nothing.
    System system;
    int32_t color = 0;
    const options_window::OptionTargets targets{system.display, system.sound, system.settings,
                                                color};
    StepOptionValue(targets, 11, false, true);
    StepOptionValue(targets, -1, true, false);
    EXPECT_EQ(system.display.deviceLostRequest, 0);
    EXPECT_EQ(system.display.screenModeRequest, 0);
}

TEST(OptionsApplyTest, ALoadedVolumeAbove20StepsDownOneByOneAndKeepsTheLoadedVolume) {
    OptionsRig rig;
    rig.system.sound.bgmVolume = 30 * 500;
    const Settings::WaitingValue& row = rig.system.settings.waitingOptionValues[4];
    for (int32_t want = 29; want >= 26; --want) {
        rig.Press(4, kLeft);
        EXPECT_EQ(row.value, want);
        EXPECT_EQ(rig.system.sound.bgmVolume, 15000);
    }
    rig.Press(4, kRight);
    EXPECT_EQ(row.value, 20);
    EXPECT_EQ(rig.system.sound.bgmVolume, 15000);
}

TEST(OptionsApplyTest, TheDisplayModeIsAskedForOnlyWhileItsRowIsSelected) {
    OptionsRig rig;
    rig.Press(0, kRight);  // Window -> FullScreen
    EXPECT_EQ(rig.system.display.screenModeRequest, 1);
    rig.system.display.screenModeRequest = 0;  // not switched yet: the request comes again
    rig.Frame(0);
    EXPECT_EQ(rig.system.display.screenModeRequest, 1);
    rig.system.display.screenModeRequest = 0;
    rig.Frame(1);  // moved to VSYNC before the switch
    rig.Frame(1);
    EXPECT_EQ(rig.system.display.screenModeRequest, 0);
    EXPECT_EQ(rig.system.display.screenMode, 0);
    EXPECT_EQ(rig.system.display.screenModeChoice, 1);
}

TEST(OptionsApplyTest, OnAButtonRowPadButtonsAreTakenAtOnceTheLastOneWinning) {
    OptionsRig rig;
    rig.system.inputState.inputMode = 1;
    rig.pads.attached[0] = true;
    rig.pads.states[0] = PadHolding({}, {platform::PadButton::kB});
    rig.Frame(6);
    EXPECT_EQ(rig.system.settings.buttonMap[0], 1);
    rig.pads.states[0] = PadHolding({}, {platform::PadButton::kA, platform::PadButton::kY});
    rig.Frame(6);
    EXPECT_EQ(rig.system.settings.buttonMap[0], 3);
    EXPECT_EQ(rig.pads.calls[0], 2);
    EXPECT_EQ(rig.pads.calls[3], 2);  // every pad is watched, present or not
    // On another button row it is that function's button; keyboard steps work too.
    rig.pads.states[0] = PadHolding({}, {platform::PadButton::kX});
    rig.Frame(8);
    EXPECT_EQ(rig.system.settings.buttonMap[2], 2);
    rig.pads.states[0] = {};
    rig.Press(8, kRight);
    EXPECT_EQ(rig.system.settings.buttonMap[2], 3);
    EXPECT_EQ(rig.system.settings.buttonMap[0], 3);
    // Without the pad in use no pad is asked.
    rig.system.inputState.inputMode = 0;
    rig.Frame(7);
    EXPECT_EQ(rig.pads.calls[0], 4);
}

TEST(OptionsApplyTest, TheVolumeRowsSetTheVoicesPlayThePreviewAndNeverGoAboveFullVolume) {
    AudioRig audio(1);
    ASSERT_TRUE(audio.audio.effects().LoadWave(audio.Write("se.wav", StereoWave(Ramp(1000))), 0));
    ASSERT_TRUE(audio.audio.music().CreateVoice());
    System& s = audio.system;
    s.sound.bgmVolume = s.sound.seVolume = 10000;
    OptionsRig rig;
    rig.Use(s, audio.audio);

    // The music row: no preview sound.
    rig.Press(4, kLeft);
    EXPECT_EQ(s.sound.bgmVolume, 19 * 500);
    EXPECT_FLOAT_EQ(audio.audio.music().VoiceVolume(), 0.95f);
    auto silent = [](const std::vector<Frame>& v) {
        return std::all_of(v.begin(), v.end(), [](const Frame& f) { return f == Frame{}; });
    };
    EXPECT_TRUE(silent(audio.Mix(1500)));

    // The effect row: the voices follow the value and effect 0 plays.
    rig.Press(5, kLeft);
    EXPECT_EQ(s.sound.seVolume, 19 * 500);
    EXPECT_FLOAT_EQ(audio.audio.effects().VoiceVolume(0), 0.95f);
    EXPECT_FALSE(silent(audio.Mix(1500)));
    // Played out, re-armed by the frame loop's service: the next frame plays it again.
    audio.audio.effects().RearmIdleVoices();
    rig.Frame(5, 0);
    EXPECT_FALSE(silent(audio.Mix(1500)));
    // Down to 0: every voice is silent.
    s.sound.seVolume = 500;
    rig.Press(5, kLeft);
    EXPECT_EQ(s.sound.seVolume, 0);
    EXPECT_FLOAT_EQ(audio.audio.effects().VoiceVolume(0), 0.0f);

    // Volumes above 10,000 from the settings file stay as loaded, play at
    // full volume and show full bars.
    s.sound.bgmVolume = s.sound.seVolume = 255 * 500;
    rig.Frame(4, kRight);
    rig.Frame(5, kRight);
    EXPECT_EQ(s.sound.bgmVolume, 127500);
    EXPECT_EQ(s.sound.seVolume, 127500);
    EXPECT_FLOAT_EQ(audio.audio.music().VoiceVolume(), 1.0f);
    EXPECT_FLOAT_EQ(audio.audio.effects().VoiceVolume(0), 1.0f);
    EXPECT_EQ(TextAt(rig.sprites(), 366 + 190, 284, 0), Padded(u">"));
    s.sound.bgmVolume = -1000;
    rig.Frame(3);
    EXPECT_EQ(TextAt(rig.sprites(), 366, 284, 0), Padded(u"_"));
}

TEST(OptionsDrawTest, TextsHighlightsAndBarsStandWhereTheyBelong) {
    OptionsRig rig;
    System& s = rig.system;
    s.display.vsync = 1;
    s.display.timerMode = TimerMode::kSleep;
    s.display.screenMode = 1;
    s.display.screenModeChoice = 1;
    s.settings.buttonMap[0] = 1;
    s.settings.buttonMap[1] = 9;
    s.settings.buttonMap[2] = 3;
    s.settings.buttonMap[3] = 0;
    s.sound.bgmVolume = 7 * 500;
    s.sound.seVolume = 10000;
    rig.world.colorIndex = 4;
    rig.Frame(7);
    const auto& log = rig.sprites();

    const struct {
        std::u16string text;
        int32_t x, y;
    } texts[] = {
        {Padded(u"SCREEN MODE"), 326, 54},
        {Padded(u"VSYNC"), 326, 106},
        {Padded(u"TIMER"), 326, 158},
        {Padded(u"FRAME SKIP"), 326, 210},
        {Padded(u"BGM VOLUME"), 326, 262},
        {Padded(u"SE VOLUME"), 326, 314},
        {Padded(u"BUTTON ARRANGEMENT"), 326, 366},
        {Padded(u"DECISION"), 366, 388},
        {Padded(u"CANCELLATION"), 366, 440},
        {Padded(u"PAUSE"), 366, 492},
        {Padded(u"SHIFT"), 366, 544},
        {Padded(u"COLOR"), 326, 574},
        {Padded(u"Window", 6), 334, 76},
        {Padded(u"FullScreen", 4), 522, 76},
        {Padded(u"OFF", 7), 334, 128},
        {Padded(u"ON", 7), 522, 128},
        {Padded(u"timeGetTime", 4), 334, 180},
        {Padded(u"PerformanceCounter"), 522, 180},
        {Padded(u"Sleep", 6), 710, 180},
        {Padded(u"No Wait", 5), 898, 180},
        {Padded(u"OFF", 7), 334, 232},
        {Padded(u"ON", 7), 522, 232},
    };
    for (const auto& t : texts)
        EXPECT_EQ(TextAt(log, t.x, t.y), t.text) << "at " << t.x << ", " << t.y;
    for (int32_t y : {388, 440, 492, 544, 596})
        EXPECT_EQ(TextAt(log, 522, y), u"0  1  2  3  4  5  6  7  8  9 ") << "digits at " << y;
    // Volume bars: m marks ">" for volume m x 500, each mark's whole string at its place.
    for (int32_t j = 0; j < 20; ++j) {
        EXPECT_EQ(TextAt(log, 366 + 10 * j, 284, 0), Padded(j < 7 ? u">" : u"_")) << "music " << j;
        EXPECT_EQ(TextAt(log, 366 + 10 * j, 336, 0), Padded(u">")) << "effects " << j;
    }

    // The row, then display mode, vsync, timer, frame skip, the four buttons, the colour.
    const std::vector<Box> expected = {
        {324, 442, 188, 20}, {518, 78, 188, 20}, {518, 130, 188, 20}, {706, 182, 188, 20},
        {330, 234, 188, 20}, {542, 390, 30, 20}, {782, 442, 30, 20},  {602, 494, 30, 20},
        {512, 546, 30, 20},  {632, 598, 30, 20}};
    EXPECT_EQ(Highlights(log), expected);
    EXPECT_EQ(log.size(), 10u * 9 + 29u * (12 + 40 + 10 + 5));

    // The row highlight for rows 0..5 and 10, and the pulse of the borders.
    rig.world.highlightPulse = 0;
    for (int32_t row : {0, 5, 10}) {
        rig.Frame(row);
        EXPECT_EQ(Highlights(rig.sprites()).front(), (Box{324, 54 + 52 * row, 188, 20}));
    }
    for (int i = 3; i < 32; ++i)
        rig.Frame(3);
    EXPECT_EQ(rig.world.highlightPulse, 128);
    rig.Frame(3);
    EXPECT_EQ(rig.world.highlightPulse, 124);
    EXPECT_EQ(rig.world.titleMotion.highlightColor, (124u + 64u) << 24 | 0xFFFFFFu);
}

// ---- Rendered with the real pictures --------------------------------------

const fs::path kDataFolder = TESSARY_GAME_DATA_DIR;
constexpr std::string_view kShaderFolder = TESSARY_SHADER_DIR;

class OptionsRenderTest : public ::testing::Test {
protected:
    void SetUp() override {
        setenv("SDL_VIDEODRIVER", "offscreen", 1);
        ASSERT_TRUE(window.Create("Tessary", 1280, 720));
        system.folders.programFolder = kShaderFolder;
        game->graphics->AttachDevice(gpu, window);
        CREATE_DEVICE_OR_SKIP(*game->graphics, gpu);
        const char16_t* names[8] = {u"grp\\tex_0000.png", u"null0000.png", u"grp\\tex_0002.png",
                                    u"grp\\tex_0003.png", u"null0000.png", u"grp\\tex_0005.png",
                                    u"grp\\tex_0006.png", u"null0000.png"};
        for (int slot = 0; slot < 8; ++slot)
            base::WideCopy(world.pictureNames[slot], names[slot]);
        system.folders.resourceFolder = kDataFolder;
        ASSERT_TRUE(TextureReloader(*game->graphics, system.folders, world).RecreateTextures());

        FILE* file = std::fopen((kDataFolder / "grp" / "tex_0006.png").string().c_str(), "rb");
        ASSERT_NE(file, nullptr);
        Picture picture;
        const PictureError error = DecodePng(file, &picture);
        std::fclose(file);
        ASSERT_EQ(error, PictureError::kNone);
        PictureToTexels(picture, glyphs.data());
    }

    // Share of the opaque texels of each glyph of `text` (columns 0..9, which
    // the next character does not cover) that show their own colour at
    // (x + 10 i, y): 1 when the text stands there, from the right cells.
    double Match(std::u16string_view text, int32_t x, int32_t y) {
        std::vector<uint8_t> rgb(1280 * 720 * 3);
        EXPECT_TRUE(gpu.ReadPixels(0, 0, 1280, 720, rgb.data()));
        int opaque = 0, matching = 0;
        for (size_t i = 0; i < text.size(); ++i) {
            const uint32_t c = text[i];
            for (int cy = 0; cy < 32; ++cy) {
                for (int cx = 0; cx < 10; ++cx) {
                    const uint16_t t = glyphs[(2 * (c & 0xF0) + cy) * 512 + 16 * (c & 15) + cx];
                    if ((t & 0x8000) == 0)
                        continue;
                    ++opaque;
                    const size_t p = 3 * ((y + cy) * 1280 + x + 10 * static_cast<int>(i) + cx);
                    const int want[3] = {t >> 10 & 31, t >> 5 & 31, t & 31};
                    bool same = true;
                    for (int k = 0; k < 3; ++k)
                        same = same && std::abs(rgb[p + k] - (want[k] << 3 | want[k] >> 2)) <= 2;
                    matching += same ? 1 : 0;
                }
            }
        }
        return opaque == 0 ? 0.0 : static_cast<double>(matching) / opaque;
    }

    platform::SdlWindow window;  // outlives the device
    platform::GlDevice gpu;
    std::unique_ptr<Game> game = std::make_unique<Game>();
    System& system = *game->system;
    WorldState& world = *game->world;
    std::vector<uint16_t> glyphs = std::vector<uint16_t>(512 * 512);
};

TEST_F(OptionsRenderTest, TheWindowsTextsAppearWhereTheyBelong) {
    system.sound.bgmVolume = 6 * 500;
    system.sound.seVolume = 10000;
    system.display.timerMode = TimerMode::kPerformanceCounter;
    world.menuState.optionRow = 2;
    Graphics& sprites = *game->graphics;
    game->graphics->ClearSpriteList();
    menu_drawing::DrawWindowFrame(sprites, world, 880, 720);
    RunOptionsWindow(sprites, {system.display, system.sound, system.settings, world.colorIndex},
                     system.inputState, world, *game->input, *game->audio);
    game->graphics->DrawFrame();

    std::vector<uint8_t> rgb(1280 * 720 * 3);
    ASSERT_TRUE(gpu.ReadPixels(0, 0, 1280, 720, rgb.data()));
    const fs::path frames = (kDataFolder / ".." / ".." / "assets-render").lexically_normal();
    fs::create_directories(frames);
    EXPECT_TRUE(WriteScreenshot((frames / "options.png").string(), rgb, 1280, 720));

    const struct {
        std::u16string_view text;
        int32_t x, y;
    } texts[] = {
        {u"SCREEN MODE", 326, 54},
        {u"BUTTON ARRANGEMENT", 326, 366},
        {u"CANCELLATION", 366, 440},
        {u"COLOR", 326, 574},
        {u"Window", 394, 76},
        {u"FullScreen", 562, 76},
        {u"PerformanceCounter", 522, 180},
        {u"No Wait", 948, 180},
        {u"0  1  2  3  4  5  6  7  8  9", 522, 596},
        {u">>>>>>______________", 366, 284},
        {u">>>>>>>>>>>>>>>>>>>>", 366, 336},
    };
    for (const auto& t : texts) {
        EXPECT_GT(Match(t.text, t.x, t.y), 0.95) << base::ToUtf8(t.text);
        // A few pixels off, either way, does not pass.
        EXPECT_LT(Match(t.text, t.x + 4, t.y), 0.5) << base::ToUtf8(t.text) << " moved right";
        EXPECT_LT(Match(t.text, t.x, t.y + 6), 0.5) << base::ToUtf8(t.text) << " moved down";
    }
    // Nor does a neighbouring cell of the sheet: one letter, or a whole row.
    EXPECT_LT(Match(u"SCREEN NODE", 326, 54), 0.97);
    EXPECT_LT(Match(u"CANCELLATIOO", 366, 440), 0.97);
    std::u16string rowBelow(u"SCREEN MODE");
    for (char16_t& c : rowBelow)
        c = c == u' ' ? c : static_cast<char16_t>(c + 16);
    EXPECT_LT(Match(rowBelow, 326, 54), 0.6);
}

// ---- Settings bytes no row can show ---------------------------------------

// dir.txt naming "data\".
const Bytes kDirTxt = {0xFF, 0xFE, 'd', 0, 'a', 0, 't', 0, 'a', 0, '\\', 0};

// From start-up to exit with a settings file of 512 bytes 0xFF, through the
// real title menu: DOWN twice to "options", DECISION, then every row walked
// with LEFT and RIGHT (and DECISION with RIGHT on the pad rows, where it does
// not close the window). Every quad of the window stays inside it, and the
// program ends on the close message and writes its settings.
TEST(OptionsBadInputTest, AllOnesSettingsFileFromStartUpThroughEveryRowToExit) {
    TempFolder folder;
    folder.Write("dir.txt", kDirTxt);
    testdata::WriteDataFolder(folder);
    folder.Write("Game.ini", Bytes(512, 0xFF));
    FakePlatform fake;
    fake.process.executable = folder.Path("tessary");
    Scenes real(fake.calendar);

    // Per row: RIGHT, RIGHT, LEFT, LEFT with RIGHT, DECISION with RIGHT on the
    // pad rows, then DOWN to the next row; each key pressed for one frame.
    struct Press {
        int32_t row;
        std::vector<Control> keys;
    };
    std::vector<Press> walk;
    for (int32_t row = 0; row < options_window::kRows; ++row) {
        for (std::vector<Control> keys : {std::vector<Control>{Control::kRight},
                                          {Control::kRight},
                                          {Control::kLeft},
                                          {Control::kLeft, Control::kRight},
                                          {Control::kDecision, Control::kRight},
                                          {Control::kDown}}) {
            if (keys[0] != Control::kDecision || (row >= 6 && row <= 9))
                walk.push_back({row, keys});
        }
    }
    size_t walked = 0;
    int frames = 0, outside = 0, wrongRow = 0, windowFrames = 0;
    bool released = true, closing = false;
    SceneFrames scenes = real.Frames();
    scenes.title = [&, title = scenes.title](Game& game) {
        SpriteLog log(*game.graphics);
        title(game);
        const MenuState& m = game.world->menuState;
        // The window's boxes and the glyphs on screen lie inside the window
        // (the diagnostic line stands below the screen); blank glyphs at
        // the ends of the texts at least on the screen.
        for (const SpriteRequest& r : log.requests) {
            if (r.texture != 5 && (r.texture != 6 || r.y >= 720))
                continue;
            const bool blank = r.texture == 6 && r.srcX == 0 && (r.srcY == 0 || r.srcY == 64);
            const bool inside =
                r.x >= (blank ? 0 : 208) && r.x + r.width <= (blank ? 1280 : 1088) && r.y >= 0 &&
                r.y + r.height <= 720 && r.srcX >= 0 && r.srcX + r.srcWidth <= 512 && r.srcY >= 0 &&
                r.srcY + r.srcHeight <= 512;
            outside += inside ? 0 : 1;
        }
        windowFrames += m.windowAnim == 8 ? 1 : 0;

        // The keys of the next frame: one press, then one frame with none.
        fake.keyboard.ReleaseAll();
        ++frames;
        const bool pressNow = released && !closing;
        released = true;
        if (!closing && frames > 3000) {  // stuck: end the run, the checks below fail
            fake.window.events.push_back({platform::WindowEvent::Kind::kCloseAsked});
            closing = true;
        }
        if (!pressNow || m.titleState != Phase::kActive)
            return;
        auto press = [&](std::vector<Control> keys) {
            for (Control key : keys)
                fake.keyboard.Hold(key);
            released = false;
        };
        if (m.windowState == Phase::kIdle) {
            press({m.mainCursor != title_menu::kOptionsItem ? Control::kDown : Control::kDecision});
        } else if (m.windowState == Phase::kActive && walked < walk.size()) {
            wrongRow += m.optionRow == walk[walked].row ? 0 : 1;
            press(walk[walked++].keys);
        } else if (walked == walk.size()) {
            fake.window.events.push_back({platform::WindowEvent::Kind::kCloseAsked});
            closing = true;
        }
    };
    EXPECT_EQ(RunGame(fake.platform, scenes), 0);
    EXPECT_EQ(walked, walk.size());
    EXPECT_EQ(wrongRow, 0);
    EXPECT_GT(windowFrames, 2 * static_cast<int>(walk.size()));
    EXPECT_EQ(outside, 0);
    EXPECT_TRUE(fake.dialogs.shown.empty());

    const Bytes ini = folder.Read("Game.ini");
    ASSERT_EQ(ini.size(), 512u);
    EXPECT_EQ(ini[2], 0xFF);  // the stored display mode is kept
    EXPECT_EQ(ini[3], 1);     // vsync: 1 -> 0 -> 1 -> 0 -> 1
    EXPECT_EQ(ini[18], 0);    // timer: 0 -> 1 -> 2 -> 1 -> 0
    EXPECT_EQ(ini[20], 1);    // frame skip: 1 -> 0 -> 1 -> 0 -> 1
    for (int i = 24; i < 28; ++i)
        EXPECT_EQ(ini[i], 5) << i;  // pad button: 255 -> 6 -> 7 -> 6 -> 5
    for (int i = 28; i < 34; ++i)
        EXPECT_EQ(ini[i], 0xFF) << i;  // entries 4..9 are carried
    EXPECT_EQ(ini[34], 0xFF);          // volumes above 10,000 stay as loaded
    EXPECT_EQ(ini[35], 0xFF);
}

}  // namespace
