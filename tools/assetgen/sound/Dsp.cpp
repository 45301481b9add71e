#include "sound/Dsp.h"

#include <algorithm>
#include <cmath>

namespace assetgen::sound {

double MidiToHz(double note) {
    return 440.0 * std::pow(2.0, (note - 69.0) / 12.0);
}

int64_t Frames(double seconds) {
    return std::llround(seconds * kSampleRate);
}

// --- Buffers -------------------------------------------------------------------

void StereoBuffer::Resize(size_t frames) {
    left.resize(frames, 0.0f);
    right.resize(frames, 0.0f);
}

void StereoBuffer::Add(int64_t at, const StereoBuffer& source, float gainLeft, float gainRight) {
    const int64_t size = static_cast<int64_t>(frames());
    const int64_t from = std::max<int64_t>(0, -at);
    const int64_t to = std::min<int64_t>(static_cast<int64_t>(source.frames()), size - at);
    for (int64_t i = from; i < to; ++i) {
        left[static_cast<size_t>(at + i)] += source.left[static_cast<size_t>(i)] * gainLeft;
        right[static_cast<size_t>(at + i)] += source.right[static_cast<size_t>(i)] * gainRight;
    }
}

void StereoBuffer::AddMono(int64_t at, const Mono& source, float gainLeft, float gainRight) {
    const int64_t size = static_cast<int64_t>(frames());
    const int64_t from = std::max<int64_t>(0, -at);
    const int64_t to = std::min<int64_t>(static_cast<int64_t>(source.size()), size - at);
    for (int64_t i = from; i < to; ++i) {
        const float x = source[static_cast<size_t>(i)];
        left[static_cast<size_t>(at + i)] += x * gainLeft;
        right[static_cast<size_t>(at + i)] += x * gainRight;
    }
}

void StereoBuffer::Scale(float gain) {
    for (float& x : left)
        x *= gain;
    for (float& x : right)
        x *= gain;
}

PanGains Pan(double position) {
    const double angle = (std::clamp(position, -1.0, 1.0) + 1.0) * kPi / 4.0;
    return {static_cast<float>(std::cos(angle)), static_cast<float>(std::sin(angle))};
}

// --- Sources -------------------------------------------------------------------

float Noise::Next() {
    state_ ^= state_ << 13;
    state_ ^= state_ >> 17;
    state_ ^= state_ << 5;
    return static_cast<float>(state_ / 2147483648.0 - 1.0);
}

namespace {

// The correction that turns a naive step at phase 0 into a band-limited one.
double BandLimitedStep(double t, double dt) {
    if (t < dt) {
        t /= dt;
        return t + t - t * t - 1.0;
    }
    if (t > 1.0 - dt) {
        t = (t - 1.0) / dt;
        return t * t + t + t + 1.0;
    }
    return 0.0;
}

}  // namespace

void Oscillator::Advance() {
    phase_ += increment_;
    phase_ -= std::floor(phase_);
}

float Oscillator::Sine() {
    const double v = std::sin(2.0 * kPi * phase_);
    Advance();
    return static_cast<float>(v);
}

float Oscillator::Saw() {
    const double v = 2.0 * phase_ - 1.0 - BandLimitedStep(phase_, increment_);
    Advance();
    return static_cast<float>(v);
}

float Oscillator::Pulse(double width) {
    double v = phase_ < width ? 1.0 : -1.0;
    v += BandLimitedStep(phase_, increment_);
    double fall = phase_ + 1.0 - width;
    fall -= std::floor(fall);
    v -= BandLimitedStep(fall, increment_);
    Advance();
    return static_cast<float>(v);
}

float Oscillator::Triangle() {
    const double v = phase_ < 0.5 ? 4.0 * phase_ - 1.0 : 3.0 - 4.0 * phase_;
    Advance();
    return static_cast<float>(v);
}

// --- Envelope ------------------------------------------------------------------

namespace {

double HeldLevel(const Adsr& e, double t) {
    if (t < e.attack)
        return t / e.attack;
    const double x = t - e.attack;
    if (x < e.decay) {
        const double rest = 1.0 - x / e.decay;
        return e.sustain + (1.0 - e.sustain) * rest * rest;
    }
    return e.sustain;
}

}  // namespace

double Adsr::Level(double t, double held) const {
    if (t < 0.0)
        return 0.0;
    if (t < held)
        return HeldLevel(*this, t);
    const double r = t - held;
    if (r >= release)
        return 0.0;
    const double rest = 1.0 - r / release;
    return HeldLevel(*this, held) * rest * rest;
}

// --- Filters -------------------------------------------------------------------

void Svf::Set(double cutoffHz, double q) {
    const double fc = std::clamp(cutoffHz, 10.0, 0.45 * kSampleRate);
    const double g = std::tan(kPi * fc / kSampleRate);
    k_ = 1.0 / q;
    a1_ = 1.0 / (1.0 + g * (g + k_));
    a2_ = g * a1_;
    a3_ = g * a2_;
}

Svf::Output Svf::Process(float x) {
    const double v3 = x - ic2_;
    const double v1 = a1_ * ic1_ + a2_ * v3;
    const double v2 = ic2_ + a2_ * ic1_ + a3_ * v3;
    ic1_ = 2.0 * v1 - ic1_;
    ic2_ = 2.0 * v2 - ic2_;
    return {static_cast<float>(v2), static_cast<float>(v1), static_cast<float>(x - k_ * v1 - v2)};
}

void OnePole::Set(double cutoffHz) {
    a_ = static_cast<float>(1.0 - std::exp(-2.0 * kPi * cutoffHz / kSampleRate));
}

// --- Reverb --------------------------------------------------------------------

namespace {

// Comb and all-pass lengths in frames: mutually prime, so their echoes do not
// pile up on the same frames; the right channel's are a little longer.
constexpr size_t kCombLengths[] = {1327, 1453, 1559, 1613, 1747, 1861, 1931, 2053};
constexpr size_t kAllPassLengths[] = {563, 443, 347, 227};
constexpr size_t kRightSpread[] = {0, 37};
constexpr size_t kRightPassSpread[] = {0, 17};
constexpr float kAllPassGain = 0.5f;

}  // namespace

Reverb::Reverb(double decaySeconds, double damping, double preDelaySeconds)
    : preDelay_(static_cast<size_t>(std::max<int64_t>(1, Frames(preDelaySeconds))), 0.0f),
      damping_(static_cast<float>(damping)) {
    for (int c = 0; c < 2; ++c) {
        for (size_t length : kCombLengths) {
            Comb comb;
            comb.line.assign(length + kRightSpread[c], 0.0f);
            // Each pass round the loop loses its share of 60 dB over the decay time.
            comb.feedback = static_cast<float>(std::pow(
                10.0, -3.0 * static_cast<double>(comb.line.size()) / (decaySeconds * kSampleRate)));
            combs_[c].push_back(std::move(comb));
        }
        for (size_t length : kAllPassLengths) {
            AllPass pass;
            pass.line.assign(length + kRightPassSpread[c], 0.0f);
            passes_[c].push_back(std::move(pass));
        }
    }
}

float Reverb::Channel(std::vector<Comb>& combs, std::vector<AllPass>& passes, float x) {
    float sum = 0.0f;
    for (Comb& comb : combs) {
        const float out = comb.line[comb.at];
        comb.store = out * (1.0f - damping_) + comb.store * damping_;
        comb.line[comb.at] = x + comb.store * comb.feedback;
        if (++comb.at == comb.line.size())
            comb.at = 0;
        sum += out;
    }
    float y = sum / static_cast<float>(combs.size());
    for (AllPass& pass : passes) {
        const float held = pass.line[pass.at];
        pass.line[pass.at] = y + held * kAllPassGain;
        y = held - y;
        if (++pass.at == pass.line.size())
            pass.at = 0;
    }
    return y;
}

void Reverb::Process(const StereoBuffer& in, StereoBuffer& out, float wet) {
    const size_t n = std::min(in.frames(), out.frames());
    for (size_t i = 0; i < n; ++i) {
        const float x = preDelay_[preAt_];
        preDelay_[preAt_] = 0.5f * (in.left[i] + in.right[i]);
        if (++preAt_ == preDelay_.size())
            preAt_ = 0;
        out.left[i] += wet * Channel(combs_[0], passes_[0], x);
        out.right[i] += wet * Channel(combs_[1], passes_[1], x);
    }
}

// --- Delay ---------------------------------------------------------------------

void PingPongDelay(const StereoBuffer& in, StereoBuffer& out, double delaySeconds, float feedback,
                   double toneHz) {
    const size_t n = std::min(in.frames(), out.frames());
    const auto d = static_cast<size_t>(Frames(delaySeconds));
    Mono echoLeft(n, 0.0f);
    Mono echoRight(n, 0.0f);
    OnePole toneLeft;
    OnePole toneRight;
    toneLeft.Set(toneHz);
    toneRight.Set(toneHz);
    for (size_t i = d; i < n; ++i) {
        // The first echo comes back on the left, the next on the right, and so on.
        echoLeft[i] =
            0.5f * (in.left[i - d] + in.right[i - d]) + feedback * toneRight.Low(echoRight[i - d]);
        echoRight[i] = feedback * toneLeft.Low(echoLeft[i - d]);
        out.left[i] += echoLeft[i];
        out.right[i] += echoRight[i];
    }
}

// --- Master --------------------------------------------------------------------

namespace {

float SoftLimit(float x, float knee, float ceiling) {
    const float a = std::fabs(x);
    if (a <= knee)
        return x;
    const float room = ceiling - knee;
    const float y = knee + room * std::tanh((a - knee) / room);
    return std::copysign(y, x);
}

void RemoveChannelDc(Mono& channel) {
    const double r = 1.0 - 2.0 * kPi * 20.0 / kSampleRate;
    double previousIn = 0.0;
    double previousOut = 0.0;
    for (float& x : channel) {
        const double y = x - previousIn + r * previousOut;
        previousIn = x;
        previousOut = y;
        x = static_cast<float>(y);
    }
}

}  // namespace

void RemoveDc(StereoBuffer& buffer) {
    RemoveChannelDc(buffer.left);
    RemoveChannelDc(buffer.right);
}

void Master(StereoBuffer& mix, float gain, float knee, float ceiling) {
    RemoveDc(mix);
    for (Mono* channel : {&mix.left, &mix.right}) {
        for (float& x : *channel)
            x = SoftLimit(x * gain, knee, ceiling);
    }
}

std::vector<int16_t> ToPcm16(const StereoBuffer& buffer) {
    std::vector<int16_t> pcm(buffer.frames() * 2);
    auto convert = [](float x) {
        const long v = std::lround(static_cast<double>(x) * 32767.0);
        return static_cast<int16_t>(std::clamp<long>(v, -32767, 32767));
    };
    for (size_t i = 0; i < buffer.frames(); ++i) {
        pcm[2 * i] = convert(buffer.left[i]);
        pcm[2 * i + 1] = convert(buffer.right[i]);
    }
    return pcm;
}

void FadeEdges(StereoBuffer& buffer, double fadeInSeconds, double fadeOutSeconds) {
    const size_t n = buffer.frames();
    const auto in = std::min(n, static_cast<size_t>(Frames(fadeInSeconds)));
    const auto out = std::min(n, static_cast<size_t>(Frames(fadeOutSeconds)));
    for (size_t i = 0; i < in; ++i) {
        const auto g = static_cast<float>(0.5 - 0.5 * std::cos(kPi * static_cast<double>(i) / in));
        buffer.left[i] *= g;
        buffer.right[i] *= g;
    }
    for (size_t i = 0; i < out; ++i) {
        // From 1 down to exactly 0 at the last frame.
        const double x = static_cast<double>(i + 1) / static_cast<double>(out);
        const auto g = static_cast<float>(0.5 + 0.5 * std::cos(kPi * x));
        buffer.left[n - out + i] *= g;
        buffer.right[n - out + i] *= g;
    }
}

}  // namespace assetgen::sound
