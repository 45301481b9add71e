#pragma once
// WorldState, the world record: scene state, the menu and pause block, the
// fade, the loaded save slots, the diagnostic values and the ranking table.
//
// Scenes keep no state of their own; whatever must last from one frame to the
// next lives here or in System.

#include <cmath>
#include <cstdint>
#include <new>

#include "base/ZeroedMemory.h"
#include "platform/Clock.h"

// The save slots hold what save0001.dat .. save0016.dat beside the program
// contain. Nothing in the game reads them: they are loaded at start-up and
// kept for the run, so each field stands for the part of the file it is
// copied from and is named by that part's byte offset (in the slot file for
// SaveSlot, within the block for SlotBlock).

// One of the 48 608-byte blocks at the head of a slot file.
struct SlotBlock {
    uint8_t byteAt0 = 0;
    int32_t intsAt1[5] = {};
    uint8_t bytesAt21[16] = {};
    int32_t intsAt37[5] = {};
    uint8_t byteAt57 = 0;
    int32_t intsAt58[2] = {};
    int32_t groupsAt70[8][15] = {};  // eight groups of fifteen, 60 bytes apart
    int32_t intAt66 = 0;
};

// One slot file's contents, read at start-up and kept unchanged for the run.
struct SaveSlot {
    static constexpr int kBlocks = 48;
    SlotBlock blocks[kBlocks];
    int32_t intsAt29184[303] = {};
    uint8_t bytesAt30396[303] = {};
    int32_t intsAt30699[4] = {};
    uint8_t bytesAt30715[53] = {};
    int32_t intsAt30768[3] = {};
    int32_t intsAt30779[2048] = {};  // its first byte is also the last of intsAt30768
};

// What the diagnostic line under the play area shows: whether the title has
// handed over to play (a replay's start counts).
struct DiagnosticValues {
    bool gameStarted = false;
};

// The phase of something that opens and closes over the screen: the title's
// items, the ranking or options window, the pause. The two held phases wait
// for the button that opened or closed it to be let go, so that one press
// does one thing. In this order: a phase before kOpenHeld is still opening.
enum class WindowPhase : int32_t {
    kIdle,        // closed (the pause: the game runs)
    kOpening,     // growing one step a frame
    kOpenHeld,    // open, waiting for the button's release
    kActive,      // open and taking input
    kClosing,     // shrinking one step a frame
    kClosedHeld,  // closed, waiting for the button's release
};

// The title menu's state and the play scene's pause, in one record that play
// start zeroes as a whole.
struct MenuState {
    WindowPhase pauseState = WindowPhase::kIdle;
    WindowPhase titleState = WindowPhase::kIdle;   // the title items
    WindowPhase windowState = WindowPhase::kIdle;  // the ranking or options window
    int32_t titleAnim = 0;     // the items' opening step, 0..8
    int32_t windowAnim = 0;    // the window's opening step, 0..8
    int32_t mainCursor = 0;    // the title item under the cursor (title_menu::TitleItem)
    int32_t pauseAnim = 0;     // 0 running .. 8 fully paused
    int32_t optionRow = 0;     // the options window's selected row, 0..10
    int32_t cursorRepeat = 0;  // auto-repeat counter of the main cursor, vertical
    int32_t rowRepeat = 0;     // of the options row, vertical
    int32_t valueRepeat = 0;   // of an option's value, horizontal
    int32_t paused = 0;        // 1 from the pause's first opening frame until closing starts
};

// Cosine and sine of i * pi / 128 for i = 0..255: sprite angles index it, so
// index 64 is a quarter turn. Zero until Fill runs (resource loading does).
struct AngleTable {
    static constexpr int kSteps = 256;
    double cosine[kSteps] = {};
    double sine[kSteps] = {};
    void Fill() {
        for (int i = 0; i < kSteps; ++i) {
            cosine[i] = std::cos(i * kPi * 0.0078125);
            sine[i] = std::sin(i * kPi * 0.0078125);
        }
    }
    static constexpr double kPi = 3.14159265358979323846;
};

// What the title's drawing and menus carry from one frame to the next
// besides MenuState, which play start zeroes: the bob of the shown item runs
// 0..16..0, the background scrolls through 0..719, each axis of the menu's
// auto-repeat remembers whether it has reached the fast phase (both vertical
// counters share one), the highlight's border colour follows highlightPulse
// one frame late, and the pulse remembers its direction.
struct TitleMotion {
    static constexpr uint32_t kFirstHighlightColor = 0xBFFFFFFFu;

    int32_t bob = 0;
    bool bobDown = false;
    int32_t scroll = 0;
    bool verticalFast = false;
    bool horizontalFast = false;
    uint32_t highlightColor = kFirstHighlightColor;
    bool pulseFalling = false;
};

struct RankingTable {
    static constexpr int kEntries = 11;  // 0..9 the table, 10 the newcomer
    int32_t scores[kEntries] = {};
    platform::CalendarTime dates[kEntries] = {};
    int64_t lastTime = 0;
};

// Which scene the frame loop runs. The numbers are the ones the game has
// always used; any other value runs no scene.
enum class SceneState : int32_t { kTitle = 1, kPlay = 4 };

class WorldState {
public:
    static constexpr int kSlots = 16;

    WorldState() {
        if (!saveSlots)
            throw std::bad_alloc();
    }
    ~WorldState() = default;

    // Zeroed by the system: the 580 KB of slots no file fills cost no memory.
    base::Zeroed<SaveSlot[]> saveSlots = base::MakeZeroed<SaveSlot[]>(kSlots);
    DiagnosticValues diagnostic;
    MenuState menuState;
    uint8_t fadeLevel = 0;
    int32_t fadeOutRequest = 0;
    int32_t fadeInRequest = 0;
    SceneState sceneState = SceneState::kTitle;
    int32_t bgmSelector = 0;
    int32_t loadingFlag = 1;
    int32_t bgmSwitchRequest = 0;
    // Set when something worth keeping has changed (a finished game's ranking
    // entry, the options window closing); the frame loop saves Game.ini.
    int32_t saveRequest = 0;
    int32_t shownItem = 0;
    int32_t colorIndex = 0;
    int32_t highlightPulse = 0;
    TitleMotion titleMotion;
    RankingTable rankingTable;

    // ---- Graphics tables ----
    // The picture list as resource loading reads it (one name per texture
    // slot, 36 units wide, only the first 18 ever filled), the names last
    // loaded into slots 0..7, and the angle table of sprite turns.
    static constexpr int kNameUnits = 36;
    static constexpr int kPictureNames = 64;
    static constexpr int kLoadedPictures = 8;
    char16_t pictureNames[kPictureNames][kNameUnits] = {};
    char16_t loadedPictureNames[kLoadedPictures][kNameUnits] = {};
    AngleTable angleTable;

    // ---- Sound table ----
    // The sound list as resource loading reads it: entries 0..63 name the
    // music tracks and 64..95 the effects; 36 units wide like the picture names.
    static constexpr int kSoundNames = 960;
    char16_t soundNames[kSoundNames][kNameUnits] = {};
};
