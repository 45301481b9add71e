#pragma once
// CXa2: the audio engine, its 32 effect voices and the music voice.

#include <cstdint>

class System;

class CXa2 {
public:
    static constexpr int kEffectVoices = 32;

    CXa2() = default;
    virtual ~CXa2() = default;

    void Link(System* system) { system_ = system; }
    // Stops every idle effect voice and loads it again with its sound, ready
    // for the next start. Runs once per frame.
    void ServiceIdleVoices();

private:
    System* system_ = nullptr;
};
