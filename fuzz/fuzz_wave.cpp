// WAVE files: any bytes, read the way the game reads them: the reader's own
// operations, an effect loaded and played, and a music track opened and
// streamed across its loop end. Nothing may crash or read out of bounds.

#include <sys/stat.h>
#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include "SoundFuzzRig.h"
#include "audio/Audio.h"
#include "audio/WaveReader.h"
#include "base/WideText.h"
#include "platform/AlDevice.h"
#include "platform/Clock.h"
#include "platform/Dialogs.h"
#include "world/System.h"

using fuzz::SoundRig;
using fuzz::WriteFile;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static SoundRig rig(1);
    const std::filesystem::path path = WriteFile("sound.wav", data, size);

    // The reader: slices of changing sizes, seeks, and the data found again.
    WaveReader reader;
    if (reader.OpenAndReset(path)) {
        std::vector<uint8_t> slice(9000);
        uint32_t want = 1;
        for (int i = 0; i < 16 && reader.remainingBytes() > 0; ++i) {
            uint32_t delivered = 0;
            if (!reader.ReadSlice(want, slice.data(), &delivered))
                break;
            want = (want * 5 + 3) % static_cast<uint32_t>(slice.size());
        }
        reader.SeekTo(size / 2);
        reader.ReadAvailable(64, slice.data());
        reader.ResetToData();
        reader.ReadAvailable(static_cast<uint32_t>(slice.size()), slice.data());
    }

    // An effect: loaded, played, mixed.
    if (rig.audio.effects().LoadWave(path, 0)) {
        rig.audio.effects().Play(0);
        rig.Mix(256);
    }

    // A music track whose loop is its first data frame over and over: every
    // chunk crosses the loop end many times.
    static const uint8_t kLoop[] = "LoopStart=0\r\n\r\nLoopLength=1\r\n";
    WriteFile("sound.wav.sli", kLoop, sizeof kLoop - 1);
    if (rig.audio.music().OpenWave(path, 1)) {
        static const bool voice = rig.audio.music().CreateVoice();
        if (voice) {
            rig.system.music.bgmTrack = 1;
            rig.audio.music().RewindIfChanged(1);
            rig.audio.music().StreamPass();
            rig.Mix(8192);
            rig.audio.music().StreamPass();
            rig.system.music.bgmTrack = 0;
            rig.Mix(20000);
            rig.audio.music().StreamPass();
        }
        rig.audio.music().CloseWave(1);
    }
    return 0;
}
