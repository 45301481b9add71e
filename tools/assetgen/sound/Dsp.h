#pragma once
// The signal blocks the asset tool's synthesizer is built from: oscillators,
// envelopes, filters, noise, stereo buffers, a reverb, a ping-pong delay and
// the master stage (DC blocker, soft limiter, 16-bit conversion).
//
// Everything is deterministic: noise comes from a seeded generator, and no
// block reads a clock, so the same code always makes the same sounds, bit for
// bit. All processing is at 44.1 kHz in 32-bit float, full scale ±1.

#include <cstddef>
#include <cstdint>
#include <vector>

namespace assetgen::sound {

constexpr int kSampleRate = 44100;
constexpr double kPi = 3.14159265358979323846;

// Equal-tempered frequency of a MIDI note number (69 = A4 = 440 Hz).
double MidiToHz(double note);
// Frames in a duration.
int64_t Frames(double seconds);

using Mono = std::vector<float>;

// Two channels of the same length.
struct StereoBuffer {
    StereoBuffer() = default;
    explicit StereoBuffer(size_t frames) : left(frames, 0.0f), right(frames, 0.0f) {}
    size_t frames() const { return left.size(); }
    void Resize(size_t frames);
    // Adds source, scaled per channel, with its first frame at `at`; frames
    // that fall outside this buffer are dropped.
    void Add(int64_t at, const StereoBuffer& source, float gainLeft, float gainRight);
    void AddMono(int64_t at, const Mono& source, float gainLeft, float gainRight);
    void Scale(float gain);

    Mono left;
    Mono right;
};

// Channel gains of an equal-power pan: -1 left, 0 centre (0.707 each), +1 right.
struct PanGains {
    float left;
    float right;
};
PanGains Pan(double position);

// White noise in -1..1 from a 32-bit xorshift generator.
class Noise {
public:
    explicit Noise(uint32_t seed) : state_(seed != 0 ? seed : 0x9E3779B9u) {}
    float Next();

private:
    uint32_t state_;
};

// A phase accumulator with band-limited waveforms: the steps of the saw and
// the pulse are smoothed with a polynomial band-limited step, so high notes do
// not alias into harsh tones.
class Oscillator {
public:
    void SetFrequency(double hz) { increment_ = hz / kSampleRate; }
    void SetPhase(double phase) { phase_ = phase; }
    // Each call returns the current sample and moves on by one frame.
    float Sine();
    float Saw();
    float Pulse(double width);  // width 0..1; 0.5 is a square
    float Triangle();

private:
    void Advance();

    double phase_ = 0.0;
    double increment_ = 0.0;
};

// Attack, decay, sustain, release, in seconds (sustain as a level 0..1). The
// level is a closed form of the time since the note began and the time it
// was held: linear attack, a decay that eases into the sustain level, and a
// release that eases to exactly 0, with no steps anywhere.
struct Adsr {
    double attack = 0.005;
    double decay = 0.1;
    double sustain = 0.7;
    double release = 0.1;

    double Level(double t, double held) const;
    // Seconds until the release has ended.
    double Length(double held) const { return held + release; }
};

// A two-pole state-variable filter (trapezoidal integration, so it stays
// stable while its cutoff moves).
class Svf {
public:
    struct Output {
        float low;
        float band;
        float high;
    };
    void Set(double cutoffHz, double q);
    Output Process(float x);
    float Low(float x) { return Process(x).low; }
    float High(float x) { return Process(x).high; }
    float Band(float x) { return Process(x).band; }

private:
    double k_ = 1.0;
    double a1_ = 0.0;
    double a2_ = 0.0;
    double a3_ = 0.0;
    double ic1_ = 0.0;
    double ic2_ = 0.0;
};

// A one-pole low-pass filter.
class OnePole {
public:
    void Set(double cutoffHz);
    float Low(float x) {
        state_ += a_ * (x - state_);
        return state_;
    }

private:
    float a_ = 1.0f;
    float state_ = 0.0f;
};

// A stereo room: parallel damped comb filters (different lengths per
// channel, for width), then series all-pass diffusers. The decay time is the
// time for the tail to fall by 60 dB.
class Reverb {
public:
    Reverb(double decaySeconds, double damping, double preDelaySeconds);
    // Adds the reverberation of `in` (both channels summed) to `out`, times wet.
    void Process(const StereoBuffer& in, StereoBuffer& out, float wet);

private:
    struct Comb {
        std::vector<float> line;
        size_t at = 0;
        float feedback = 0.0f;
        float store = 0.0f;
    };
    struct AllPass {
        std::vector<float> line;
        size_t at = 0;
    };
    float Channel(std::vector<Comb>& combs, std::vector<AllPass>& passes, float x);

    std::vector<Comb> combs_[2];
    std::vector<AllPass> passes_[2];
    std::vector<float> preDelay_;
    size_t preAt_ = 0;
    float damping_;
};

// Echoes of `in` that bounce between the channels, one every delaySeconds,
// each darker and weaker by `feedback`; added to `out`.
void PingPongDelay(const StereoBuffer& in, StereoBuffer& out, double delaySeconds, float feedback,
                   double toneHz);

// Removes DC with a gentle 20 Hz high-pass.
void RemoveDc(StereoBuffer& buffer);

// The master stage: removes DC (a 20 Hz high-pass), scales by gain, then
// bends peaks above the knee softly towards the ceiling, so nothing clips.
void Master(StereoBuffer& mix, float gain, float knee, float ceiling);

// Interleaved 16-bit samples, rounded.
std::vector<int16_t> ToPcm16(const StereoBuffer& buffer);

// Fades the buffer in from exactly 0 over its first fadeInSeconds and out to
// exactly 0 over its last fadeOutSeconds (raised-cosine curves).
void FadeEdges(StereoBuffer& buffer, double fadeInSeconds, double fadeOutSeconds);

}  // namespace assetgen::sound
