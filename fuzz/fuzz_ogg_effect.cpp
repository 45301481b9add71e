// Ogg Vorbis effects: any bytes, loaded as an effect, played and mixed.
//
// Ogg pages carry a checksum, so random changes would almost never get past
// the first page. The mutator therefore starts from a real encoded sound now
// and then, and puts the right checksum into every page after each change.

#include <sys/stat.h>
#include <unistd.h>

#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <string>
#include <vector>

#include "DefaultMaxLength.h"
#include "SoundFuzzRig.h"
#include "audio/Audio.h"
#include "base/WideText.h"
#include "platform/AlDevice.h"
#include "platform/Clock.h"
#include "platform/Dialogs.h"
#include "support/SoundFiles.h"
#include "world/System.h"

extern "C" size_t LLVMFuzzerMutate(uint8_t* data, size_t size, size_t maxSize);

// libvorbisfile 1.3.7 leaves 8 bytes behind when it gives up on some broken
// streams, whoever calls it; that is not ours to find.
extern "C" const char* __lsan_default_suppressions() {
    return "leak:libvorbisfile.so\n";
}

using fuzz::SoundRig;
using fuzz::WriteFile;

namespace {

// A quarter second of a stereo tone, encoded here.
std::vector<uint8_t> EncodedSeed() {
    return EncodeOgg(Sine(11025, 420.0, 0.5), 2, 44100);
}

uint32_t OggCrc(const uint8_t* data, size_t size) {
    static uint32_t table[256];
    static bool ready = false;
    if (!ready) {
        for (uint32_t i = 0; i < 256; ++i) {
            uint32_t r = i << 24;
            for (int k = 0; k < 8; ++k)
                r = (r & 0x80000000u) != 0 ? (r << 1) ^ 0x04C11DB7u : r << 1;
            table[i] = r;
        }
        ready = true;
    }
    uint32_t crc = 0;
    for (size_t i = 0; i < size; ++i)
        crc = (crc << 8) ^ table[((crc >> 24) ^ data[i]) & 0xFF];
    return crc;
}

// Puts the right checksum into every whole page.
void FixChecksums(uint8_t* data, size_t size) {
    size_t at = 0;
    while (at + 27 <= size) {
        if (std::memcmp(data + at, "OggS", 4) != 0) {
            ++at;
            continue;
        }
        const size_t segments = data[at + 26];
        size_t length = 27 + segments;
        if (at + length > size)
            return;
        for (size_t s = 0; s < segments; ++s)
            length += data[at + 27 + s];
        if (at + length > size)
            return;
        std::memset(data + at + 22, 0, 4);
        const uint32_t crc = OggCrc(data + at, length);
        for (int b = 0; b < 4; ++b)
            data[at + 22 + b] = static_cast<uint8_t>(crc >> (8 * b));
        at += length;
    }
}

}  // namespace

// The seed file (Vorbis headers alone take a few kilobytes) must fit in the
// inputs, so the default maximum length becomes 64 KiB unless one is given.
extern "C" int LLVMFuzzerInitialize(int* argc, char*** argv) {
    AddDefaultMaxLength(argc, argv, 65536);
    return 0;
}

extern "C" size_t LLVMFuzzerCustomMutator(uint8_t* data, size_t size, size_t maxSize,
                                          unsigned int seed) {
    static const std::vector<uint8_t> encoded = EncodedSeed();
    if ((size < 4 || std::memcmp(data, "OggS", 4) != 0 || seed % 64 == 0) &&
        encoded.size() <= maxSize) {
        std::memcpy(data, encoded.data(), encoded.size());
        size = encoded.size();
    }
    size = LLVMFuzzerMutate(data, size, maxSize);
    FixChecksums(data, size);
    return size;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static SoundRig rig(2);
    const std::filesystem::path path = WriteFile("effect.ogg", data, size);
    if (rig.audio.effects().LoadOgg(path, 0)) {
        rig.audio.effects().Play(0);
        rig.Mix(512);
        rig.audio.effects().RearmIdleVoices();
    }
    return 0;
}
