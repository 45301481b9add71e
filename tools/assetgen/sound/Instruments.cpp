#include "sound/Instruments.h"

#include <algorithm>
#include <array>
#include <cmath>

namespace assetgen::sound {

namespace {

// Filters and pitch are steered at this rate (every 16 frames), which is
// fast enough for every sweep here and keeps tan() and pow() out of the
// per-frame loop.
constexpr int kControlFrames = 16;

double Cents(double cents) {
    return std::pow(2.0, cents / 1200.0);
}

double Seconds(size_t frame) {
    return static_cast<double>(frame) / kSampleRate;
}

// Ends a hit at exactly 0 over its last `seconds`.
void FadeTail(Mono& sound, double seconds) {
    const auto n = std::min(sound.size(), static_cast<size_t>(Frames(seconds)));
    for (size_t i = 0; i < n; ++i) {
        const double x = static_cast<double>(i + 1) / static_cast<double>(n);
        sound[sound.size() - n + i] *= static_cast<float>(0.5 + 0.5 * std::cos(kPi * x));
    }
}

// A bank of square waves at clashing ratios: the metal of cymbals and hats.
class Metal {
public:
    explicit Metal(double base) {
        static constexpr std::array<double, 6> kRatios = {1.0,    1.4836, 1.8022,
                                                          2.5472, 2.6333, 3.8990};
        for (size_t i = 0; i < kRatios.size(); ++i) {
            oscillators_[i].SetFrequency(base * kRatios[i]);
            oscillators_[i].SetPhase(0.13 * static_cast<double>(i));
        }
    }
    float Next() {
        float sum = 0.0f;
        for (Oscillator& o : oscillators_)
            sum += o.Pulse(0.5);
        return sum / 6.0f;
    }

private:
    std::array<Oscillator, 6> oscillators_;
};

}  // namespace

Mono Lead(double hz, double held, float velocity, LeadTone tone) {
    const bool soft = tone == LeadTone::kSoft;
    const Adsr env = soft ? Adsr{0.02, 0.3, 0.8, 0.12} : Adsr{0.006, 0.25, 0.72, 0.09};
    Mono out(static_cast<size_t>(Frames(env.Length(held))), 0.0f);
    Oscillator a;
    Oscillator b;
    Oscillator c;
    a.SetPhase(0.0);
    b.SetPhase(0.31);
    c.SetPhase(0.57);
    Svf filter;
    const double vibratoDepth = soft ? 18.0 : 11.0;  // cents, once the note has settled
    const double vibratoRate = soft ? 5.2 : 5.8;
    for (size_t i = 0; i < out.size(); ++i) {
        const double t = Seconds(i);
        if (i % kControlFrames == 0) {
            const double settle = std::clamp((t - 0.16) / 0.3, 0.0, 1.0);
            const double vibrato =
                Cents(vibratoDepth * settle * std::sin(2.0 * kPi * vibratoRate * t));
            const double f = hz * vibrato;
            a.SetFrequency(f * Cents(7.0));
            b.SetFrequency(f * Cents(-7.0));
            c.SetFrequency(f);
            const double sweep = std::exp(-t / (soft ? 0.4 : 0.22));
            const double cutoff = soft ? 900.0 + hz * 1.5 + 900.0 * velocity * sweep
                                       : 1100.0 + hz * 1.8 + 2600.0 * velocity * sweep;
            filter.Set(cutoff, soft ? 0.7 : 0.9);
        }
        float x;
        if (soft) {
            x = 0.75f * c.Triangle() + 0.2f * a.Pulse(0.5) + 0.05f * b.Saw();
        } else {
            x = 0.34f * a.Saw() + 0.34f * b.Saw() + 0.32f * c.Pulse(0.3);
        }
        out[i] = filter.Low(x) * static_cast<float>(env.Level(t, held)) * velocity;
    }
    return out;
}

Mono Bass(double hz, double held, float velocity) {
    const Adsr env{0.003, 0.18, 0.55, 0.05};
    Mono out(static_cast<size_t>(Frames(env.Length(held))), 0.0f);
    Oscillator saw;
    Oscillator sub;
    saw.SetFrequency(hz);
    sub.SetFrequency(hz);
    saw.SetPhase(0.5);  // both start at 0, with the saw's jump half a cycle away
    Svf filter;
    for (size_t i = 0; i < out.size(); ++i) {
        const double t = Seconds(i);
        if (i % kControlFrames == 0)
            filter.Set(170.0 + 1500.0 * velocity * std::exp(-t / 0.09), 1.1);
        const float x = filter.Low(0.6f * saw.Saw() + 0.55f * sub.Sine());
        out[i] = std::tanh(1.3f * x) * static_cast<float>(env.Level(t, held)) * velocity;
    }
    return out;
}

StereoBuffer Pad(const std::vector<double>& hz, double held, float velocity) {
    const Adsr env{0.12, 0.5, 0.8, 0.35};
    StereoBuffer out(static_cast<size_t>(Frames(env.Length(held))));
    static constexpr double kDetune[2][2] = {{-8.0, 5.0}, {8.0, -5.0}};
    static constexpr double kPhase[2][2] = {{0.0, 0.37}, {0.61, 0.13}};
    for (int c = 0; c < 2; ++c) {
        Mono& channel = c == 0 ? out.left : out.right;
        // The notes share one filter per channel: it is the same for all of them.
        std::vector<Oscillator> saws(2 * hz.size());
        for (size_t n = 0; n < hz.size(); ++n) {
            for (int v = 0; v < 2; ++v) {
                saws[2 * n + v].SetFrequency(hz[n] * Cents(kDetune[c][v]));
                saws[2 * n + v].SetPhase(kPhase[c][v] + 0.2 * static_cast<double>(n));
            }
        }
        Svf first;
        Svf second;
        first.Set(1700.0, 0.6);
        second.Set(2400.0, 0.6);
        for (size_t i = 0; i < channel.size(); ++i) {
            float x = 0.0f;
            for (Oscillator& saw : saws)
                x += saw.Saw();
            channel[i] = second.Low(first.Low(0.5f * x)) *
                         static_cast<float>(env.Level(Seconds(i), held)) * velocity;
        }
    }
    return out;
}

Mono Pluck(double hz, double held, float velocity) {
    const Adsr env{0.002, 0.24, 0.0, 0.05};
    Mono out(static_cast<size_t>(Frames(env.Length(std::min(held, env.attack + env.decay)))), 0.0f);
    Oscillator pulse;
    Oscillator saw;
    pulse.SetFrequency(hz);
    saw.SetFrequency(hz * Cents(4.0));
    Svf filter;
    for (size_t i = 0; i < out.size(); ++i) {
        const double t = Seconds(i);
        if (i % kControlFrames == 0)
            filter.Set(500.0 + 3800.0 * velocity * std::exp(-t / 0.06), 1.3);
        const float x = 0.7f * pulse.Pulse(0.35) + 0.3f * saw.Saw();
        out[i] = filter.Low(x) * static_cast<float>(env.Level(t, held)) * velocity;
    }
    return out;
}

Mono Brass(double hz, double held, float velocity) {
    const Adsr env{0.02, 0.2, 0.8, 0.15};
    Mono out(static_cast<size_t>(Frames(env.Length(held))), 0.0f);
    Oscillator voices[3];
    const double detune[3] = {-6.0, 0.0, 6.0};
    for (int v = 0; v < 3; ++v) {
        voices[v].SetFrequency(hz * Cents(detune[v]));
        voices[v].SetPhase(0.29 * v);
    }
    Svf filter;
    for (size_t i = 0; i < out.size(); ++i) {
        const double t = Seconds(i);
        const double level = env.Level(t, held);
        if (i % kControlFrames == 0)
            filter.Set(400.0 + hz * 1.5 + 3200.0 * velocity * level, 0.8);
        float x = 0.0f;
        for (Oscillator& o : voices)
            x += o.Saw();
        out[i] = filter.Low(x / 3.0f) * static_cast<float>(level) * velocity;
    }
    return out;
}

Mono Bell(double hz, double length, float velocity, const BellTone& tone) {
    Mono out(static_cast<size_t>(Frames(length)), 0.0f);
    double carrier = 0.0;
    double modulator = 0.0;
    const double carrierStep = 2.0 * kPi * hz / kSampleRate;
    const double modulatorStep = carrierStep * tone.ratio;
    constexpr double kAttack = 0.0015;
    for (size_t i = 0; i < out.size(); ++i) {
        const double t = Seconds(i);
        const double index = tone.index * (0.1 + 0.9 * std::exp(-t / tone.indexFall));
        const double level = std::min(1.0, t / kAttack) * std::exp(-t / tone.ring);
        out[i] =
            static_cast<float>(std::sin(carrier + index * std::sin(modulator)) * level) * velocity;
        carrier += carrierStep;
        modulator += modulatorStep;
    }
    FadeTail(out, std::min(0.05, length / 4.0));
    return out;
}

Mono Blip(double hz, double length, float velocity, double glide) {
    Mono out(static_cast<size_t>(Frames(length)), 0.0f);
    double phase = 0.0;
    for (size_t i = 0; i < out.size(); ++i) {
        const double x = static_cast<double>(i) / static_cast<double>(out.size());
        const double f = hz * (1.0 + glide * x);
        // A smooth hump: rises from 0 and falls back to exactly 0.
        const double level = std::sin(kPi * x) * std::exp(-3.0 * x);
        out[i] =
            static_cast<float>((std::sin(phase) + 0.15 * std::sin(2.0 * phase)) * level * velocity);
        phase += 2.0 * kPi * f / kSampleRate;
    }
    return out;
}

// --- Drums ---------------------------------------------------------------------

Mono Kick() {
    Mono out(static_cast<size_t>(Frames(0.45)), 0.0f);
    Noise noise(0x4B1C4u);
    OnePole clickTone;
    clickTone.Set(3000.0);
    double phase = 0.0;
    for (size_t i = 0; i < out.size(); ++i) {
        const double t = Seconds(i);
        const double f = 48.0 + 115.0 * std::exp(-t / 0.035);
        const double attack = std::min(1.0, t / 0.0008);
        const double body = std::sin(phase) * std::exp(-t / 0.22);
        const double click = clickTone.Low(noise.Next()) * std::exp(-t / 0.004) * 0.4;
        out[i] = static_cast<float>(std::tanh(1.4 * (body + click) * attack) / std::tanh(1.4));
        phase += 2.0 * kPi * f / kSampleRate;
    }
    FadeTail(out, 0.03);
    return out;
}

Mono Snare() {
    Mono out(static_cast<size_t>(Frames(0.32)), 0.0f);
    Noise noise(0x5A4E3u);
    Svf band;
    band.Set(3800.0, 0.6);
    Svf air;
    air.Set(7500.0, 0.7);
    for (size_t i = 0; i < out.size(); ++i) {
        const double t = Seconds(i);
        const double attack = std::min(1.0, t / 0.0008);
        const double tone = 0.55 * std::sin(2.0 * kPi * 190.0 * t) * std::exp(-t / 0.05) +
                            0.3 * std::sin(2.0 * kPi * 330.0 * t) * std::exp(-t / 0.03);
        const float n = noise.Next();
        const double rattle = (1.2 * band.Band(n) + 0.35 * air.High(n)) * std::exp(-t / 0.11);
        out[i] = static_cast<float>((tone + rattle) * attack);
    }
    FadeTail(out, 0.04);
    return out;
}

namespace {

Mono Cymbal(double seconds, double ring, double metalBase, double cutoff, uint32_t seed) {
    Mono out(static_cast<size_t>(Frames(seconds)), 0.0f);
    Noise noise(seed);
    Metal metal(metalBase);
    Svf high;
    high.Set(cutoff, 0.7);
    Svf higher;
    higher.Set(cutoff, 0.7);
    for (size_t i = 0; i < out.size(); ++i) {
        const double t = Seconds(i);
        const double level = std::min(1.0, t / 0.0005) * std::exp(-t / ring);
        const float x = 0.6f * metal.Next() + 0.5f * noise.Next();
        out[i] = higher.High(high.High(x)) * static_cast<float>(level);
    }
    FadeTail(out, std::min(0.05, seconds / 4.0));
    return out;
}

}  // namespace

Mono ClosedHat() {
    return Cymbal(0.12, 0.028, 410.0, 7200.0, 0x4A7C1u);
}

Mono OpenHat() {
    return Cymbal(0.5, 0.17, 410.0, 6800.0, 0x0BE4Au);
}

Mono Crash() {
    return Cymbal(2.2, 0.65, 350.0, 4200.0, 0xC4A54u);
}

Mono Tom(double hz, double length) {
    Mono out(static_cast<size_t>(Frames(length)), 0.0f);
    double phase = 0.0;
    for (size_t i = 0; i < out.size(); ++i) {
        const double t = Seconds(i);
        const double f = hz * (1.0 + 0.5 * std::exp(-t / 0.04));
        const double level = std::min(1.0, t / 0.002) * std::exp(-t / (length / 3.0));
        out[i] = static_cast<float>((std::sin(phase) + 0.25 * std::sin(2.0 * phase)) * level);
        phase += 2.0 * kPi * f / kSampleRate;
    }
    FadeTail(out, std::min(0.05, length / 4.0));
    return out;
}

}  // namespace assetgen::sound
