#include "menu/Menu.h"

#include "audio/Audio.h"
#include "graphics/Quads.h"
#include "input/InputSampler.h"
#include "menu/MenuDrawing.h"
#include "menu/OptionsWindow.h"
#include "menu/RankingWindow.h"
#include "menu/WindowPhases.h"
#include "world/InputState.h"
#include "world/MusicShared.h"
#include "world/WorldState.h"

namespace title_menu {
namespace {

// The title's pictures (texture 2) and background (texture 0).
constexpr int32_t kBackgroundTexture = 0;
constexpr int32_t kTitleTexture = 2;
constexpr int32_t kScrollPeriod = 720;  // the background repeats every 720 pixels
constexpr int32_t kScrollStep = 3;
constexpr int32_t kBobTop = 16;
constexpr int32_t kItemX = 512;
constexpr int32_t kItemRestY = 408;
constexpr int32_t kItemShownY = 400;
constexpr int32_t kItemSpacing = 96;

constexpr int32_t kMenuEffect = 0;
constexpr int32_t kFirstPadRow = 6;  // rows 6..9 take pad buttons: DECISION does not close there
constexpr int32_t kLastPadRow = 9;

using window_phases::StepClosing;
using window_phases::StepOpening;
using Phase = WindowPhase;

}  // namespace

void HandOverToPlay(WorldState& world, MusicShared& music) {
    // The play scene's first frame selects the play music (selector 0) and
    // fades in from black.
    world.bgmSwitchRequest = 1;
    world.diagnostic.gameStarted = true;
    music.bgmRestart = 0;
    world.loadingFlag = 0;
    world.bgmSelector = 0;
    world.menuState = MenuState{};
    world.sceneState = SceneState::kPlay;
    world.fadeOutRequest = 0;
    world.fadeInRequest = 1;
    world.shownItem = 0;
}

}  // namespace title_menu

using namespace title_menu;
using platform::Control;

Menu::Menu(const options_window::OptionTargets& options, const InputState& input,
           MusicShared& music, WorldState& world, InputSampler& pads, Audio& audio,
           Graphics& graphics)
    : options_(options),
      input_(input),
      music_(music),
      world_(world),
      pads_(pads),
      audio_(audio),
      sprites_(graphics) {}

void Menu::DrawTitle() {
    // The bob: 0 up to 16 and back down, one pixel a frame, loading or not.
    TitleMotion& s = world_.titleMotion;
    if (s.bob >= kBobTop) {
        s.bobDown = true;
        --s.bob;
    } else if (s.bob <= 0) {
        s.bobDown = false;
        ++s.bob;
    } else {
        s.bob += s.bobDown ? -1 : 1;
    }

    if (world_.loadingFlag != 0) {
        // Textures are being made: the loading picture and its bobbing caption.
        sprites_.SubmitSprite(
            quads::Quad(0, 0, 1536, 768, 0, 256, 512, 256, quads::kOpaqueWhite, kTitleTexture));
        sprites_.SubmitSprite(quads::Quad(400, 241 + s.bob, 768, 132, 256, 0, 256, 44,
                                          quads::kOpaqueWhite, kTitleTexture));
        return;
    }

    // The sky twice, one copy above the other, scrolling down; the logo in
    // its two pieces; the three items, the shown one raised and bobbing.
    s.scroll = (s.scroll + kScrollStep) % kScrollPeriod;
    for (const int32_t y : {s.scroll, s.scroll - kScrollPeriod}) {
        sprites_.SubmitSprite(
            quads::Quad(16, y, 1536, 768, 0, 0, 512, 256, quads::kOpaqueWhite, kBackgroundTexture));
    }
    sprites_.SubmitSprite(
        quads::Quad(446, 144, 480, 120, 0, 0, 160, 40, quads::kOpaqueWhite, kTitleTexture));
    sprites_.SubmitSprite(
        quads::Quad(644, 144, 408, 120, 0, 48, 136, 40, quads::kOpaqueWhite, kTitleTexture));
    for (int32_t item = kStartItem; item <= kOptionsItem; ++item) {
        const int32_t y = item == world_.shownItem ? kItemShownY + kItemSpacing * item + s.bob
                                                   : kItemRestY + kItemSpacing * item;
        sprites_.SubmitSprite(quads::Quad(kItemX, y, 288, 96, 160, 32 * item, 96, 32,
                                          quads::kOpaqueWhite, kTitleTexture));
    }
}

void Menu::RunMenu() {
    MenuState& m = world_.menuState;
    const bool decision = Held(input_, Control::kDecision);
    const bool ready = world_.loadingFlag == 0;

    // The title items.
    StepTitleItems(decision, ready);

    // Play starts once the screen is black; from the other items, the window.
    if (m.mainCursor == kStartItem) {
        if (world_.fadeLevel == 255 && m.titleState == Phase::kClosedHeld)
            title_menu::HandOverToPlay(world_, music_);
    } else {
        StepWindow(decision, ready);
    }

    // The cursor on the title; the options row and value in a window.
    if (m.titleState == Phase::kActive && m.windowState == Phase::kIdle)
        StepMainCursor(decision);
    if (window_phases::Shown(m.windowState)) {
        StepOptionRow(decision);
        StepOptionValue(decision);
    }

    // The highlight under the cursor's item grows and shrinks with the items.
    if (m.titleAnim > 0) {
        menu_drawing::DrawHighlight(
            sprites_, world_, 468,
            470 + kItemSpacing * m.mainCursor + ((kFullAnim - m.titleAnim) * 6) / 16, 384,
            (m.titleAnim * 6) / 8);
    }

    // The item shown raised, and the window over the title.
    world_.shownItem = m.mainCursor;
    DrawWindow();
}

void Menu::StepTitleItems(bool decision, bool ready) {
    MenuState& m = world_.menuState;
    if (m.titleState < Phase::kOpenHeld) {
        // Opening, then wait for DECISION to be released, so a button still
        // held from the previous scene confirms nothing.
        StepOpening(m.titleState, m.titleAnim, kFullAnim);
    } else if (m.titleState == Phase::kOpenHeld && !decision && ready) {
        m.titleState = Phase::kActive;
    } else if (((m.titleState == Phase::kActive && decision) || m.titleState == Phase::kClosing) &&
               m.mainCursor == kStartItem && ready) {
        // Start confirmed: the items close whether or not the button stays held.
        if (m.titleState == Phase::kActive)
            audio_.effects().Play(kMenuEffect);
        StepClosing(m.titleState, m.titleAnim);
    } else if (m.titleState == Phase::kClosedHeld && !decision && m.mainCursor == kStartItem &&
               ready) {
        world_.fadeOutRequest = 1;
        world_.fadeInRequest = 0;
    }
}

void Menu::StepWindow(bool decision, bool ready) {
    MenuState& m = world_.menuState;
    const bool padRow = m.optionRow >= kFirstPadRow && m.optionRow <= kLastPadRow;
    if (((decision && m.windowState == Phase::kIdle) || m.windowState == Phase::kOpening) &&
        ready) {
        if (m.windowState == Phase::kIdle)
            audio_.effects().Play(kMenuEffect);
        StepOpening(m.windowState, m.windowAnim, kFullAnim);
    } else if (m.windowState == Phase::kOpenHeld && !decision && ready) {
        m.windowState = Phase::kActive;
    } else if (((m.windowState == Phase::kActive && decision && !padRow) ||
                m.windowState == Phase::kClosing) &&
               ready) {
        // On the pad-button rows DECISION is a button being assigned, not a close.
        if (m.windowState == Phase::kActive)
            audio_.effects().Play(kMenuEffect);
        // The options just chosen are kept at once.
        if (StepClosing(m.windowState, m.windowAnim) && m.mainCursor == kOptionsItem)
            world_.saveRequest = 1;
    } else if (m.windowState == Phase::kClosedHeld && !decision && ready) {
        m.windowState = Phase::kIdle;
    }
}

void Menu::StepMainCursor(bool decision) {
    MenuState& m = world_.menuState;
    // UP counts only without DECISION; DOWN counts either way.
    const bool upHeld = Held(input_, Control::kUp);
    const bool up = upHeld && !decision;
    const bool down = Held(input_, Control::kDown);
    const bool axisHeld = upHeld || down;
    if (!RepeatStep(kMenuRepeat, m.cursorRepeat, world_.titleMotion.verticalFast, axisHeld, up || down))
        return;
    if (up)
        m.mainCursor = m.mainCursor <= kStartItem ? kOptionsItem : m.mainCursor - 1;
    else
        m.mainCursor = m.mainCursor >= kOptionsItem ? kStartItem : m.mainCursor + 1;
}

void Menu::StepOptionRow(bool decision) {
    MenuState& m = world_.menuState;
    const bool up = Held(input_, Control::kUp);
    const bool axisHeld = up || Held(input_, Control::kDown);
    if (!RepeatStep(kMenuRepeat, m.rowRepeat, world_.titleMotion.verticalFast, axisHeld, !decision))
        return;
    if (up)
        m.optionRow = m.optionRow <= 0 ? options_window::kRows - 1 : m.optionRow - 1;
    else
        m.optionRow = (m.optionRow + 1) % options_window::kRows;
}

void Menu::StepOptionValue(bool decision) {
    MenuState& m = world_.menuState;
    const bool left = Held(input_, Control::kLeft);
    const bool right = Held(input_, Control::kRight);
    // Values change only in the options window: in the ranking window the
    // remembered row is hidden, and a step there would change a setting the
    // player cannot see.
    const bool optionsWindow = m.mainCursor == kOptionsItem;
    if (RepeatStep(kMenuRepeat, m.valueRepeat, world_.titleMotion.horizontalFast, left || right,
                   !decision && optionsWindow)) {
        options_window::StepOptionValue(options_, m.optionRow, left, right);
    }
}

void Menu::DrawWindow() {
    const MenuState& m = world_.menuState;
    if (!window_phases::Shown(m.windowState))
        return;
    if (m.windowAnim > 0)
        menu_drawing::DrawWindowFrame(sprites_, world_, 110 * m.windowAnim, 90 * m.windowAnim);
    if (m.windowAnim != kFullAnim)
        return;
    if (world_.shownItem == kRankingItem)
        ranking_window::DrawRankingWindow(sprites_, world_.rankingTable);
    else if (world_.shownItem == kOptionsItem)
        options_window::RunOptionsWindow(sprites_, options_, input_, world_, pads_, audio_);
}
