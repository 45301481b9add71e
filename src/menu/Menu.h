#pragma once
// Menu: the title menu's per-frame object. It is built on the stack from the
// Game's members each title frame and holds nothing but its links: every
// value the menu keeps from frame to frame lives in the world record's
// MenuState (the two state machines, their animation steps, the cursors and
// the three auto-repeat counters) and TitleMotion (the title's bob and
// scroll, the repeat phases, the highlight's colour and pulse direction).
//
// Two state machines run in RunMenu. The title items open, wait for DECISION
// to be released, take the cursor, and on a confirmed start close and fade
// the screen out before play begins. The window machine opens the ranking or
// the options window over the title from the other two items and closes it
// again with DECISION.

#include <cstdint>

#include "graphics/Graphics.h"
#include "input/AutoRepeat.h"
#include "menu/OptionsWindow.h"

class Audio;
class InputSampler;
class WorldState;
struct InputState;
struct MusicShared;

namespace title_menu {

// mainCursor values: the three title items.
enum TitleItem : int32_t { kStartItem = 0, kRankingItem = 1, kOptionsItem = 2 };

constexpr int32_t kFullAnim = 8;      // titleAnim and windowAnim when fully open
// The cursors' and values' auto-repeat: a step at once, again 48 frames
// later, then every 3 frames.
constexpr RepeatTimings kMenuRepeat{48, 16};

// The title's hand-over into play, once the screen is black: the play scene
// takes the next frame with its music asked for and a fade in from black,
// the menu record zeroed. A replay starts its game through it too.
void HandOverToPlay(WorldState& world, MusicShared& music);

}  // namespace title_menu

class Menu {
public:
    // `options` are the settings the options window changes; `input` the
    // controls held this frame; `music` takes the hand-over to play.
    Menu(const options_window::OptionTargets& options, const InputState& input, MusicShared& music,
         WorldState& world, InputSampler& pads, Audio& audio, Graphics& graphics);
    ~Menu() = default;
    Menu(const Menu&) = delete;
    Menu& operator=(const Menu&) = delete;

    // The title picture: background, logo and items (or, while textures are
    // being made, the loading picture), with the bob of the shown item.
    void DrawTitle();
    // One frame of the menu's input handling, then the window drawing.
    void RunMenu();

private:
    void StepTitleItems(bool decision, bool ready);
    void StepWindow(bool decision, bool ready);
    void StepMainCursor(bool decision);
    void StepOptionRow(bool decision);
    void StepOptionValue(bool decision);
    void DrawWindow();

    options_window::OptionTargets options_;
    const InputState& input_;
    MusicShared& music_;
    WorldState& world_;
    InputSampler& pads_;
    Audio& audio_;
    Graphics& sprites_;
};
