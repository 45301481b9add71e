#pragma once
// VoiceBuffer: the description of one buffer handed to a voice. The voice
// plays playLength frames from playBegin; a length of 0 plays the whole
// buffer.

#include <cstdint>

struct VoiceBuffer {
    static constexpr uint32_t kEndOfStream = 0x40;  // no more buffers follow this one

    uint32_t flags = 0;
    uint32_t audioBytes = 0;
    const uint8_t* data = nullptr;
    uint32_t playBegin = 0;  // in frames
    uint32_t playLength = 0;
};
