// Music streaming figures, measured on the real audio object.
//
//   build/bench/audio_figures hour          one simulated hour on the loopback device
//   build/bench/audio_figures load [secs]   real time on OpenAL's null device (default 600 s)
//
// "hour": WAVE tracks whose every frame says which frame of which track it
// is (a counting ramp) stream for one hour of mixed sound, with a track
// change every 20 s. The stream pass runs every 100 ms of mixed sound plus a
// varying delay of up to 30 ms, as a busy machine would wake the thread. Every
// mixed frame is checked against the frame the loop points say must come;
// the figures are the underruns, the frames that differ (at loop jumps or
// anywhere else), and the longest cut-over after a track change.
//
// "load": the real stream thread on the real clock feeds OpenAL's null
// device, which consumes sound in real time with no sound card, with a track
// change every 20 s. Start something that keeps the other core busy first,
// for example: timeout 620 sh -c 'while :; do :; done' &
// The figures are the underruns and the stream thread's pass periods.

#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <string>
#include <thread>
#include <vector>

#include "audio/Audio.h"
#include "base/WideText.h"
#include "platform/AlDevice.h"
#include "platform/Clock.h"
#include "platform/Dialogs.h"
#include "world/System.h"

namespace {

constexpr int32_t kRate = 44100;

class PrintingDialogs final : public platform::Dialogs {
public:
    void Show(std::string_view text, std::string_view caption, std::string_view) override {
        std::fprintf(stderr, "[%.*s] %.*s\n", static_cast<int>(caption.size()), caption.data(),
                     static_cast<int>(text.size()), text.data());
    }
};

struct Track {
    int number;
    uint32_t frames;
    uint32_t loopStart;
    uint32_t loopLength;
};

// Loops of every kind: the whole track, a loop end on a chunk boundary, a
// short loop late in the track, a loop start in the middle.
const Track kTracks[] = {
    {1, 20 * kRate + 123, 3 * kRate, 17 * kRate},
    {2, 7 * kRate + 13331, 0, 7 * kRate + 13331},
    {3, 100 * 8192, 40 * 8192, 60 * 8192},
    {7, 12 * kRate, kRate * 3 / 2, 2 * kRate + 777},
};

void Put16(std::vector<uint8_t>& b, uint32_t v) {
    b.push_back(static_cast<uint8_t>(v));
    b.push_back(static_cast<uint8_t>(v >> 8));
}
void Put32(std::vector<uint8_t>& b, uint32_t v) {
    Put16(b, v & 0xFFFF);
    Put16(b, v >> 16);
}

// A ramp track: left = low 16 bits of frame + 1, right = track × 256 + the bits above.
void WriteTrack(const std::string& folder, const Track& t) {
    std::vector<uint8_t> file = {'R', 'I', 'F', 'F'};
    Put32(file, 4 + 24 + 8 + t.frames * 4);
    file.insert(file.end(), {'W', 'A', 'V', 'E', 'f', 'm', 't', ' '});
    Put32(file, 16);
    Put16(file, 1);
    Put16(file, 2);
    Put32(file, kRate);
    Put32(file, kRate * 4);
    Put16(file, 4);
    Put16(file, 16);
    file.insert(file.end(), {'d', 'a', 't', 'a'});
    Put32(file, t.frames * 4);
    for (uint32_t i = 0; i < t.frames; ++i) {
        const uint32_t v = i + 1;
        Put16(file, v & 0xFFFF);
        Put16(file, static_cast<uint32_t>(t.number) * 256 + (v >> 16));
    }
    const std::string name = folder + "/track" + std::to_string(t.number) + ".wav";
    std::ofstream(name, std::ios::binary)
        .write(reinterpret_cast<const char*>(file.data()), file.size());
    std::string text = "LoopStart=" + std::to_string(t.loopStart) +
                       "\r\nLoopLength=" + std::to_string(t.loopLength) + "\r\n";
    std::vector<uint8_t> loop = {0xFF, 0xFE};
    for (char c : text)
        Put16(loop, static_cast<uint8_t>(c));
    std::ofstream(name + ".sli", std::ios::binary)
        .write(reinterpret_cast<const char*>(loop.data()), loop.size());
}

std::filesystem::path TrackPath(const std::string& folder, int number) {
    return folder + "/track" + std::to_string(number) + ".wav";
}

const Track& TrackNumbered(int number) {
    for (const Track& t : kTracks) {
        if (t.number == number)
            return t;
    }
    std::abort();
}

// Sets everything up: the folder of tracks, System in WAVE mode, the tracks opened.
struct Setup {
    explicit Setup(platform::SoundDevice& device, platform::Clock& clock) {
        char pattern[] = "/tmp/tessary-audio-figures-XXXXXX";
        folder = mkdtemp(pattern);
        for (const Track& t : kTracks)
            WriteTrack(folder, t);
        system.sound.soundMode = SoundMode::kWave;
        system.sound.bgmVolume = 10000;
        system.sound.seVolume = 10000;
        if (!audio.Open(device, clock, dialogs) || system.sound.soundDisabled != 0) {
            std::fprintf(stderr, "no sound device\n");
            std::exit(1);
        }
        for (const Track& t : kTracks) {
            if (!audio.music().OpenWave(TrackPath(folder, t.number), t.number))
                std::exit(1);
        }
        if (!audio.music().CreateVoice())
            std::exit(1);
    }
    ~Setup() {
        audio.Shutdown();
        std::filesystem::remove_all(folder);
    }
    void Select(int track) {
        system.music.bgmPreviousTrack = system.music.bgmTrack.load();
        system.music.bgmTrack = track;
        audio.music().RewindIfChanged(track);
    }

    std::string folder;
    System system;
    PrintingDialogs dialogs;
    Audio audio{system.sound, system.music, system.focus};
};

const int kOrder[] = {1, 2, 3, 7, 2, 1, 7, 3};

int RunHour() {
    platform::AlLoopbackDevice device;
    platform::SystemClock clock;  // not used: the passes are driven here
    Setup setup(device, clock);
    const int64_t total = int64_t{3600} * kRate;
    const int64_t changeEvery = int64_t{20} * kRate;

    // The expected stream: the track playing and its position, and a pending
    // change with the frame it was asked for at.
    int current = kOrder[0];
    int64_t position = 0;
    int pending = 0;
    int64_t askedAt = 0;
    int64_t wrongFrames = 0;
    int64_t loopJumps = 0;
    int64_t maxCutover = 0;
    int64_t changes = 0;

    uint32_t random = 12345;
    std::vector<float> out;
    setup.Select(current);
    int64_t mixed = 0;
    int64_t nextChange = changeEvery;
    int orderIndex = 1;
    while (mixed < total) {
        setup.audio.music().StreamPass();
        random = random * 1664525u + 1013904223u;
        const int32_t frames = 4410 + static_cast<int32_t>((random >> 8) % 1323);  // 100..130 ms
        out.resize(static_cast<size_t>(frames) * 2);
        device.Render(out.data(), frames);
        for (int32_t i = 0; i < frames; ++i) {
            const auto left =
                static_cast<uint32_t>(static_cast<uint16_t>(std::lrint(out[2 * i] * 32768.0f)));
            const auto right =
                static_cast<uint32_t>(static_cast<uint16_t>(std::lrint(out[2 * i + 1] * 32768.0f)));
            const int track = static_cast<int>(right >> 8);
            const int64_t frame = int64_t{(right & 0xFF) << 16 | left} - 1;
            const Track& t = TrackNumbered(current);
            const int64_t loopEnd = int64_t{t.loopStart} + t.loopLength;
            const int64_t expected =
                position < loopEnd ? position : t.loopStart + (position - loopEnd) % t.loopLength;
            if (track == current && frame == expected) {
                if (position >= loopEnd && expected == t.loopStart)
                    ++loopJumps;
                ++position;
            } else if (pending != 0 && track == pending && frame == 0) {
                maxCutover = std::max(maxCutover, mixed + i - askedAt);
                current = pending;
                pending = 0;
                position = 1;
                ++changes;
            } else {
                ++wrongFrames;
            }
        }
        mixed += frames;
        if (mixed >= nextChange && pending == 0) {
            pending = kOrder[orderIndex++ % (sizeof kOrder / sizeof kOrder[0])];
            askedAt = mixed;
            setup.Select(pending);
            nextChange += changeEvery;
        }
    }
    std::printf("one simulated hour of WAVE music on the loopback device\n");
    std::printf("  frames mixed and checked: %lld\n", static_cast<long long>(mixed));
    std::printf("  track changes:            %lld (longest cut-over %.1f ms)\n",
                static_cast<long long>(changes), maxCutover * 1000.0 / kRate);
    std::printf("  loop jumps:               %lld\n", static_cast<long long>(loopJumps));
    std::printf("  chunks queued:            %lld\n",
                static_cast<long long>(setup.audio.music().chunksQueued()));
    std::printf("  underruns:                %lld\n",
                static_cast<long long>(setup.audio.music().underruns()));
    std::printf("  frames not as expected:   %lld\n", static_cast<long long>(wrongFrames));
    return setup.audio.music().underruns() == 0 && wrongFrames == 0 ? 0 : 1;
}

// Records the stream thread's pass periods: it yields once at the end of each pass.
class PeriodClock final : public platform::Clock {
public:
    uint32_t Milliseconds() override { return real_.Milliseconds(); }
    uint32_t CounterLow() override { return real_.CounterLow(); }
    uint64_t CounterFrequency() override { return real_.CounterFrequency(); }
    void Sleep(uint32_t ms) override { real_.Sleep(ms); }
    void Yield() override {
        const uint32_t now = real_.CounterLow();  // nanoseconds
        if (passes_ > 0) {
            const double ms = static_cast<uint32_t>(now - last_) / 1e6;
            longest_ = std::max(longest_.load(), ms);
            sum_ = sum_ + ms;
        }
        last_ = now;
        ++passes_;
        real_.Yield();
    }
    std::atomic<double> longest_ = 0.0;
    std::atomic<double> sum_ = 0.0;
    std::atomic<int64_t> passes_ = 0;

private:
    platform::SystemClock real_;
    uint32_t last_ = 0;
};

int RunLoad(int seconds) {
    setenv("ALSOFT_DRIVERS", "null", 0);
    platform::AlDefaultDevice device;
    PeriodClock clock;
    Setup setup(device, clock);
    setup.Select(kOrder[0]);
    if (!setup.audio.music().StartThread())
        return 1;
    for (int s = 1; s <= seconds; ++s) {
        std::this_thread::sleep_for(std::chrono::seconds(1));
        if (s % 20 == 0)
            setup.Select(kOrder[(s / 20) % (sizeof kOrder / sizeof kOrder[0])]);
    }
    setup.system.music.stopStream = 1;
    setup.audio.Shutdown();
    const int64_t passes = clock.passes_.load();
    std::printf("%d s of WAVE music in real time on OpenAL's null device\n", seconds);
    std::printf("  stream passes:       %lld (period mean %.2f ms, longest %.2f ms)\n",
                static_cast<long long>(passes), passes > 1 ? clock.sum_.load() / (passes - 1) : 0.0,
                clock.longest_.load());
    std::printf("  chunks queued:       %lld (%.1f s of sound)\n",
                static_cast<long long>(setup.audio.music().chunksQueued()),
                setup.audio.music().chunksQueued() * 8192.0 / kRate);
    std::printf("  underruns:           %lld\n",
                static_cast<long long>(setup.audio.music().underruns()));
    return setup.audio.music().underruns() == 0 ? 0 : 1;
}

}  // namespace

int main(int argc, char** argv) {
    const std::string mode = argc > 1 ? argv[1] : "hour";
    if (mode == "hour")
        return RunHour();
    if (mode == "load")
        return RunLoad(argc > 2 ? std::atoi(argv[2]) : 600);
    std::fprintf(stderr, "usage: %s hour | load [seconds]\n", argv[0]);
    return 2;
}
