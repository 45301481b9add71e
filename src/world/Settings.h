#pragma once
// Settings: what the settings file keeps for the next run that no other
// record holds: its first 24 bytes as they were read, the pad buttons, the
// texel offset and the font switch; and the options rows' values that have
// not reached their live settings yet.

#include <cstdint>

struct Settings {
    static constexpr int kStoredByteCount = 24;
    static constexpr int kOptionRows = 11;
    static constexpr int kButtonMapSize = 10;
    static constexpr float kDefaultTexelOffset = 1.0e-6f;

    Settings();

    // Bytes 0..23 of the settings file as loaded; bytes 5..8 and 9..12 hold
    // float32s. Most of them are written back unchanged.
    uint8_t storedBytes[kStoredByteCount];
    int32_t padSetting = 0;                  // 1: read pad 0 as well as the keyboard
    // Pad button of each function (0 A, 1 B, 2 X, 3 Y). Without a settings
    // file the four used functions (decision, cancellation, pause, shift) get
    // a button each; a file that stores zeros puts them all on A.
    uint8_t buttonMap[kButtonMapSize] = {0, 1, 2, 3};
    float texelOffset = kDefaultTexelOffset;  // added to every texture coordinate
    int32_t fontEnabled = 0;                  // 1: the font file is checked at start-up

    // An options row's value is its live setting, except after a step that
    // has not reached the setting yet; the step's value waits here until it
    // does. A step while the window opens or closes waits for the window to
    // be fully open; OFF (or the first timer) waits for its row to be
    // selected; a volume, a pad button or the colour waits for LEFT or RIGHT
    // on its row; a volume row over a volume above 10,000 from the file
    // keeps walking here without ever reaching it.
    struct WaitingValue {
        bool waiting = false;
        int32_t value = 0;
    };
    WaitingValue waitingOptionValues[kOptionRows];
};
