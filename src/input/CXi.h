#pragma once
// CXi: the input object. Once per frame it turns the keyboard and the first
// game pad into the held direction and button bits of System.

#include <cstdint>

class System;
class MapSceneEntity;

// The last state read from one game pad.
struct PadState {
    uint32_t packetNumber = 0;
    uint16_t buttons = 0;
    uint8_t leftTrigger = 0;
    uint8_t rightTrigger = 0;
    int16_t thumbLX = 0;
    int16_t thumbLY = 0;
    int16_t thumbRX = 0;
    int16_t thumbRY = 0;
};

struct PadSlot {
    PadState state;
    bool connected = true;
};

class CXi {
public:
    static constexpr int kPads = 4;

    CXi() = default;
    virtual ~CXi() = default;

    void Link(System* system, MapSceneEntity* mapScene) {
        system_ = system;
        mapScene_ = mapScene;
    }
    // Samples the keyboard and pad 0 into System's held bits.
    void PollInput();

    PadSlot pads[kPads];

private:
    System* system_ = nullptr;
    MapSceneEntity* mapScene_ = nullptr;
};
