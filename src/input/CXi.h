#pragma once
// CXi: the input object. Once per frame it turns the keyboard and the first
// game pad into the held direction and button bits of System.

#include <cstdint>

#include "platform/Input.h"

class System;
class MapSceneEntity;

struct PadSlot {
    platform::PadState state;
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
    // The keyboard and the pads it samples (start-up attaches the real ones).
    void AttachDevices(platform::Keyboard* keyboard, platform::GamePads* gamePads) {
        keyboard_ = keyboard;
        pads_ = gamePads;
    }
    // Samples the keyboard and pad 0 into System's held bits.
    void PollInput();

    PadSlot pads[kPads];

private:
    System* system_ = nullptr;
    MapSceneEntity* mapScene_ = nullptr;
    platform::Keyboard* keyboard_ = nullptr;
    platform::GamePads* pads_ = nullptr;
};
