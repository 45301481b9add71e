#pragma once
// The synthesizer's voices. Each renders one note (the pad: one chord) on its
// own, from its first frame to the end of its release: `held` is how long the
// note is held, in seconds, and the velocity is 0..1. The arranger pans,
// scales and mixes the notes in.
//
// A note depends only on its own parameters, never on where it lands in a
// piece: two equal notes are equal sample for sample. That is what lets a
// piece of music loop without a seam.

#include "sound/Dsp.h"

namespace assetgen::sound {

enum class LeadTone {
    kBright,  // two detuned saws and a pulse through a moving low-pass
    kSoft,    // a rounder, flute-like tone with more vibrato
};

Mono Lead(double hz, double held, float velocity, LeadTone tone);
Mono Bass(double hz, double held, float velocity);
// A chord of detuned saws, slightly different in each channel for width.
StereoBuffer Pad(const std::vector<double>& hz, double held, float velocity);
// A short plucked tone for arpeggios.
Mono Pluck(double hz, double held, float velocity);
// Brass-like section tone whose filter opens with the swell.
Mono Brass(double hz, double held, float velocity);

// A two-operator FM bell: the modulator at ratio × the pitch, its index
// falling from index to a tenth of it, and an exponential ring of `ring`
// seconds; the note lasts `length` seconds and ends at exactly 0.
struct BellTone {
    double ratio = 2.0;
    double index = 2.5;
    double indexFall = 0.08;  // seconds for the index to fall by 1/e
    double ring = 0.25;       // seconds for the level to fall by 1/e
};
Mono Bell(double hz, double length, float velocity, const BellTone& tone);

// A soft sine blip gliding slightly upwards.
Mono Blip(double hz, double length, float velocity, double glide);

// The drum kit: one hit of each, at full velocity.
Mono Kick();
Mono Snare();
Mono ClosedHat();
Mono OpenHat();
Mono Crash();
// A low drum (timpani-like) on a pitch.
Mono Tom(double hz, double length);

}  // namespace assetgen::sound
