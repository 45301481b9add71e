#pragma once
// System: the settings, the window and timing state, the input snapshot, the
// sound settings and the folders. One instance lives for the whole run.
//
// Every flag and request is an int32 holding 0 or 1. Requests are set by one
// part of the game and served, then cleared, by another on a later frame.
//
// The music thread shares a few of these with the main thread: the window's
// active flag, the stop flag, the track selection and the loop points. Each is
// written by one thread and read by the other, so they are atomic.

#include <atomic>
#include <cstdint>

#include "platform/Window.h"
#include "world/ProcessIds.h"

// How the frame loop waits for the end of a frame; the numbers are byte 18
// of the settings file and the TIMER row of the options window. Any other
// stored value does not wait at all.
enum class TimerMode : int32_t {
    kMillisecondClock = 0,    // the millisecond clock against 16 ms plus the extra-millisecond cycle
    kPerformanceCounter = 1,  // the high-resolution counter against one 60 Hz period
    kSleep = 2,               // sleep through the remaining milliseconds
    kNoWait = 3,              // no wait: as fast as the device presents
};

class System {
public:
    System();
    virtual ~System() = default;

    static constexpr int kSettingsByteCount = 24;
    static constexpr int kFolderTextUnits = 160;
    static constexpr int kPathUnits = 520;
    static constexpr int kOptionRows = 11;
    static constexpr int kTrackCount = 64;

    // Bytes 0..23 of the settings file as loaded; bytes 5..8 and 9..12 hold float32s.
    uint8_t SettingsBytes[kSettingsByteCount];
    char16_t folderText[kFolderTextUnits];  // from dir.txt, written back at exit
    int32_t screenWidth = 1280;
    int32_t screenHeight = 720;
    int32_t layoutWidth = 1248;
    int32_t layoutHeight = 720;
    int32_t framePacing = 0;  // 0 none, 1 three-frame cycle, 2 twenty-seven-frame cycle
    TimerMode timerMode = TimerMode::kMillisecondClock;
    int32_t screenMode = 0;   // 0 windowed, 1 borderless full screen
    int32_t vsync = 0;
    int32_t optionValues[kOptionRows] = {};  // [0] mirrors screenMode
    int32_t deviceLostRequest = 0;
    int32_t screenModeRequest = 0;
    platform::Rect windowRect{0, 0, 1280, 720};
    int32_t dirBits = 0;
    int32_t buttonBits = 0;
    int32_t inputMode = 0;  // 0 keyboard, 1 keyboard and pad 0
    int32_t padSetting = 0;
    uint8_t buttonMap[10] = {};
    uint8_t keyState[256] = {};
    float texelOffset = 1.0e-6f;
    int32_t fontEnabled = 0;
    std::atomic<int32_t> active = 1;
    int32_t frameSkip = 0;
    int32_t soundDisabled = 0;
    int32_t soundMode = 0;  // 0 none, 1 WAVE, 2 Ogg Vorbis
    // The music track playing (1..63, 0 for silence), the one before it, and
    // 1 to rewind the track even if it did not change.
    std::atomic<int32_t> bgmTrack = 0;
    std::atomic<int32_t> bgmPreviousTrack = 0;
    std::atomic<int32_t> bgmRestart = 1;
    int32_t bgmVolume = 0;  // 0..10000 in steps of 500
    int32_t seVolume = 0;
    int32_t bgmFadeCounter = 0;
    int32_t bgmFadeOutRequest = 0;
    int32_t bgmFadeInRequest = 0;
    int32_t folderRelative = 0;
    // 1 ends the music thread.
    std::atomic<int32_t> stopStream = 0;
    // Loop points per track in sample frames, unsigned values kept in int32.
    std::atomic<int32_t> bgmLoopStart[kTrackCount] = {};
    std::atomic<int32_t> bgmLoopLength[kTrackCount] = {};
    char16_t programFolder[kPathUnits] = {};   // with its trailing separator
    char16_t folderTextCopy[kPathUnits] = {};  // the source of resourceFolder
    char16_t resourceFolder[kPathUnits] = {};  // every resource is read from here
    ProcessIds processIds;                     // taken at start-up
};
