#include "sound/Effects.h"

#include <algorithm>
#include <cmath>
#include <stdexcept>
#include <string>
#include <utility>

#include "sound/Dsp.h"
#include "sound/Instruments.h"

namespace assetgen::sound {

namespace {

// Scales the sound so its highest peak is `peak` (of full scale).
void Normalize(StereoBuffer& sound, float peak) {
    float highest = 0.0f;
    for (const Mono* channel : {&sound.left, &sound.right}) {
        for (float x : *channel)
            highest = std::max(highest, std::fabs(x));
    }
    if (highest > 0.0f)
        sound.Scale(peak / highest);
}

// A few milliseconds of silence before each heard effect: a sharp attack
// right at the first frame would leave the Ogg Vorbis encoder's pre-echo in
// the first frames, a click when the effect starts.
constexpr double kLeadIn = 0.006;

// A little room around a sound, then a clean fade to silence at its end.
void Finish(StereoBuffer& sound, double roomSeconds, float wet, double fadeOutSeconds, float peak) {
    StereoBuffer delayed(sound.frames() + static_cast<size_t>(Frames(kLeadIn)));
    delayed.Add(Frames(kLeadIn), sound, 1.0f, 1.0f);
    sound = std::move(delayed);
    if (wet > 0.0f) {
        const StereoBuffer dry = sound;
        Reverb room(roomSeconds, 0.3, 0.008);
        room.Process(dry, sound, wet);
    }
    RemoveDc(sound);
    FadeEdges(sound, 0.001, fadeOutSeconds);
    Normalize(sound, peak);
}

void AddPanned(StereoBuffer& out, double at, const Mono& sound, double pan, float gain) {
    const PanGains g = Pan(pan);
    out.AddMono(Frames(at), sound, g.left * gain, g.right * gain);
}

// Menu choice and pause: D6 then A6, struck close together.
StereoBuffer Chime() {
    StereoBuffer out(static_cast<size_t>(Frames(0.5)));
    const BellTone tone{2.0, 1.8, 0.05, 0.16};
    AddPanned(out, 0.0, Bell(MidiToHz(86), 0.5, 0.55f, tone), -0.2, 1.0f);
    AddPanned(out, 0.075, Bell(MidiToHz(93), 0.425, 0.6f, tone), 0.2, 1.0f);
    Finish(out, 0.5, 0.12f, 0.08, 0.5f);
    return out;
}

// One to three rows: a quick D major arpeggio, A5 up to D7, climbing left to
// right over a rising shimmer of filtered noise.
StereoBuffer Sparkle() {
    const double length = 0.62;
    StereoBuffer out(static_cast<size_t>(Frames(length)));
    const BellTone glass{3.0, 1.0, 0.04, 0.12};
    const int notes[] = {81, 86, 90, 93, 98};
    for (int i = 0; i < 5; ++i) {
        const double at = 0.045 * i;
        AddPanned(out, at, Bell(MidiToHz(notes[i]), length - at, 0.35f + 0.04f * i, glass),
                  -0.5 + 0.25 * i, 1.0f);
    }
    Mono shimmer(static_cast<size_t>(Frames(0.45)), 0.0f);
    Noise noise(0x5BA2Cu);
    Svf band;
    for (size_t i = 0; i < shimmer.size(); ++i) {
        const double x = static_cast<double>(i) / static_cast<double>(shimmer.size());
        if (i % 16 == 0)
            band.Set(2500.0 * std::pow(3.6, x), 4.0);
        shimmer[i] = band.Band(noise.Next()) * static_cast<float>(std::sin(kPi * x) * 0.25);
    }
    AddPanned(out, 0.02, shimmer, 0.0, 1.0f);
    Finish(out, 0.7, 0.2f, 0.12, 0.5f);
    return out;
}

// Four rows: a brass pickup A-B-C♯ into a held D major chord over a
// timpani stroke, with bells ringing above.
StereoBuffer Fanfare() {
    const double length = 0.94;
    StereoBuffer out(static_cast<size_t>(Frames(length)));
    const int pickup[] = {69, 71, 73};
    for (int i = 0; i < 3; ++i)
        AddPanned(out, 0.05 * i, Brass(MidiToHz(pickup[i]), 0.045, 0.7f), 0.0, 0.9f);
    const int chord[] = {62, 66, 69, 74};
    for (int i = 0; i < 4; ++i)
        AddPanned(out, 0.15, Brass(MidiToHz(chord[i]), 0.5, 0.75f), -0.3 + 0.2 * i, 0.6f);
    AddPanned(out, 0.15, Tom(MidiToHz(38), 0.7), 0.0, 0.5f);
    const BellTone bell{2.0, 1.4, 0.06, 0.2};
    const int bells[] = {86, 93, 98};
    for (int i = 0; i < 3; ++i) {
        const double at = 0.17 + 0.05 * i;
        AddPanned(out, at, Bell(MidiToHz(bells[i]), length - at, 0.2f, bell), -0.4 + 0.4 * i, 1.0f);
    }
    Finish(out, 1.0, 0.25f, 0.2, 0.6f);
    return out;
}

// Every other slot: a soft, short blip on a D major pentatonic step.
StereoBuffer QuietBlip(int slot) {
    static constexpr int kSteps[] = {74, 76, 78, 81, 83, 86, 88, 90, 93, 95};
    const double length = 0.08 + 0.02 * (slot % 4);
    StereoBuffer out(static_cast<size_t>(Frames(length)));
    out.AddMono(0, Blip(MidiToHz(kSteps[slot % 10]), length, 1.0f, 0.04 * (slot % 3)), 1.0f, 1.0f);
    Normalize(out, 0.1f);
    return out;
}

}  // namespace

std::vector<int16_t> EffectSound(int slot) {
    if (slot < 0 || slot >= kEffectSlots)
        throw std::out_of_range("no effect slot " + std::to_string(slot));
    switch (slot) {
        case kConfirmEffect:
            return ToPcm16(Chime());
        case kRowsEffect:
            return ToPcm16(Sparkle());
        case kFourRowsEffect:
            return ToPcm16(Fanfare());
        default:
            return ToPcm16(QuietBlip(slot));
    }
}

}  // namespace assetgen::sound
