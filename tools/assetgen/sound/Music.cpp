// The play music and the ambient loop: the score as data, the arrangement
// that turns it into notes, and the mix.
//
// How the play music loops without a seam: the track is the intro followed
// by one pass of the loop region, rendered in one go, and the loop region
// ends where the track ends. The intro's last two bars are the loop's last
// two bars, note for note, and every note sounds the same wherever it falls.
// So what rings on into the loop start after the intro (release tails, echoes
// and reverberation) is exactly what rings on after the loop end, and the
// jump from the loop end back to the loop start continues the sound as the
// intro did. Sound from more than two bars back has died away by then.

#include "sound/Music.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <stdexcept>
#include <string>
#include <string_view>

#include "sound/Dsp.h"
#include "sound/Instruments.h"

namespace assetgen::sound {

namespace {

// --- Time ----------------------------------------------------------------------

constexpr int64_t kStepFrames = 4725;  // a sixteenth note at 140 beats per minute
constexpr int kBarSteps = 16;
constexpr int64_t kBarFrames = kStepFrames * kBarSteps;
constexpr double kStepSeconds = static_cast<double>(kStepFrames) / kSampleRate;
constexpr int kIntroBars = 4;
constexpr int kLoopBars = 32;
constexpr int kSharedEndBars = 2;  // the intro ends with the loop's last bars

// --- Harmony -------------------------------------------------------------------

// A triad as pitch classes (0 = C).
struct Chord {
    int root;
    int third;
    int fifth;
};

constexpr Chord kDm{2, 5, 9};
constexpr Chord kBb{10, 2, 5};
constexpr Chord kF{5, 9, 0};
constexpr Chord kC{0, 4, 7};
constexpr Chord kGm{7, 10, 2};
constexpr Chord kA{9, 1, 4};
constexpr Chord kAm{9, 0, 4};

// The pitch class placed in the octave that starts at `low`.
int InRange(int pitchClass, int low) {
    return low + ((pitchClass - low) % 12 + 12) % 12;
}

// --- Melody --------------------------------------------------------------------

struct ScoreNote {
    int step;    // sixteenths from the start of the bar
    int length;  // in sixteenths
    int midi;
};

int ParsePitch(std::string_view name) {
    static constexpr int kClasses[] = {9, 11, 0, 2, 4, 5, 7};  // A B C D E F G
    if (name.empty() || name[0] < 'A' || name[0] > 'G')
        throw std::logic_error("bad note name in the score: " + std::string(name));
    int pitch = kClasses[name[0] - 'A'];
    size_t at = 1;
    if (at < name.size() && (name[at] == '#' || name[at] == 'b'))
        pitch += name[at++] == '#' ? 1 : -1;
    if (at + 1 != name.size() || name[at] < '0' || name[at] > '9')
        throw std::logic_error("bad note name in the score: " + std::string(name));
    return 12 * (name[at] - '0' + 1) + pitch;
}

// One bar of melody: "D5/4 F5/2 -/2 ..." is D5 for four sixteenths, F5 for
// two, a rest of two. The lengths must fill the bar exactly.
std::vector<ScoreNote> ParseBar(std::string_view text) {
    std::vector<ScoreNote> notes;
    int step = 0;
    while (!text.empty()) {
        const size_t space = text.find(' ');
        const std::string_view token = text.substr(0, space);
        text = space == std::string_view::npos ? std::string_view() : text.substr(space + 1);
        if (token.empty())
            continue;
        const size_t slash = token.find('/');
        if (slash == std::string_view::npos)
            throw std::logic_error("bad score token: " + std::string(token));
        const int length = std::stoi(std::string(token.substr(slash + 1)));
        const std::string_view pitch = token.substr(0, slash);
        if (pitch != "-")
            notes.push_back({step, length, ParsePitch(pitch)});
        step += length;
    }
    if (step != kBarSteps)
        throw std::logic_error("a bar of the score does not add up to 16 sixteenths");
    return notes;
}

// --- Drums ---------------------------------------------------------------------

// Sixteen sixteenths per line: '.' silent, 'o' soft, 'x' normal, 'X' accent.
struct DrumBar {
    std::string_view kick;
    std::string_view snare;
    std::string_view hat;
    std::string_view openHat;
};

constexpr DrumBar kGroove{"X.....x.x.......", "....X.......X...", "X.x.X.x.X.x.X.xo",
                          "................"};
constexpr DrumBar kGrooveOpen{"X.....x.x.......", "....X.......X...", "X.x.X.x.X.x.X...",
                              "..............x."};
constexpr DrumBar kFill{"X.....x.x.......", "....X.......oxXX", "X.x.X.x.X.x.....",
                        "................"};
constexpr DrumBar kLift{"X.......X.x.....", "....X.......X...", "X...X...X...X...",
                        "..x...x...x...x."};
constexpr DrumBar kLiftFill{"X.......X.x.....", "....X.......XoxX", "X...X...X...X...",
                            "..x...x...x....."};
constexpr DrumBar kBreak{"x...............", "................", "o.o.o.o.o.o.o.o.",
                         "................"};
constexpr DrumBar kBreakPulse{"x.......x.......", "............o...", "x.o.x.o.x.o.x.o.",
                              "................"};
constexpr DrumBar kBuild{"X...x...X...x...", "o.o.o.o.x.x.x.x.", "X.x.X.x.X.x.X.x.",
                         "................"};
constexpr DrumBar kBuildRoll{"X...x...X...x...", "oooooxoxxxxxXxXX", "X.x.X.x.X.x.X.x.",
                             "................"};
constexpr DrumBar kTurn{"X.....x.x.......", "....X.....o.xxXX", "X.x.X.x.X.x.....",
                        "................"};
constexpr DrumBar kIntroPulse{"x...............", "................", "o.o.o.o.o.o.o.o.",
                              "................"};
constexpr DrumBar kIntroPulse2{"x.......x.......", "..............o.", "x.o.x.o.x.o.x.o.",
                               "................"};

float HitVelocity(char c) {
    switch (c) {
        case 'o':
            return 0.45f;
        case 'x':
            return 0.75f;
        case 'X':
            return 1.0f;
        default:
            return 0.0f;
    }
}

// --- Bass ----------------------------------------------------------------------

struct BassNote {
    int step;
    int length;
    int offset;  // semitones above the chord root
    float velocity;
};

enum class BassStyle { kDrive, kNone, kSync, kLong, kHalf, kEighths, kWalkUp };

std::vector<BassNote> BassLine(BassStyle style) {
    switch (style) {
        case BassStyle::kDrive:
            return {{0, 2, 0, 1.0f},  {2, 2, 0, 0.75f},  {4, 2, 12, 0.9f}, {6, 2, 0, 0.75f},
                    {8, 2, 0, 0.95f}, {10, 2, 12, 0.8f}, {12, 2, 0, 0.9f}, {14, 2, 12, 0.8f}};
        case BassStyle::kNone:
            return {};
        case BassStyle::kSync:
            return {{0, 5, 0, 1.0f}, {6, 5, 0, 0.9f}, {12, 2, 12, 0.85f}, {14, 2, 0, 0.8f}};
        case BassStyle::kLong:
            return {{0, 15, 0, 0.8f}};
        case BassStyle::kHalf:
            return {{0, 7, 0, 0.85f}, {8, 7, 0, 0.8f}};
        case BassStyle::kEighths:
            return {{0, 2, 0, 1.0f},  {2, 2, 0, 0.8f},  {4, 2, 0, 0.85f}, {6, 2, 0, 0.8f},
                    {8, 2, 0, 0.95f}, {10, 2, 0, 0.8f}, {12, 2, 0, 0.9f}, {14, 2, 0, 0.85f}};
        case BassStyle::kWalkUp:
            return {{0, 2, 0, 1.0f},  {2, 2, 0, 0.75f}, {4, 2, 12, 0.9f}, {6, 2, 0, 0.75f},
                    {8, 2, 0, 0.95f}, {10, 2, 2, 0.8f}, {12, 2, 4, 0.9f}, {14, 2, 4, 0.85f}};
    }
    return {};
}

// --- The plan, bar by bar ------------------------------------------------------

struct Bar {
    Chord chord;
    std::string_view lead;  // empty: no melody
    LeadTone tone = LeadTone::kBright;
    bool doubled = false;  // the melody also an octave lower, softly
    DrumBar drums = kGroove;
    bool crash = false;
    BassStyle bass = BassStyle::kDrive;
    float arp = 0.0f;  // arpeggio level, 0 = none
    float pad = 0.5f;  // pad level
};

// The loop region: A (theme), A' (theme varied, fuller), B (lifted, softer
// lead, syncopated bass), then a breakdown that builds back and turns round
// into the theme.
std::vector<Bar> LoopBars() {
    const LeadTone soft = LeadTone::kSoft;
    return {
        // A: the theme.
        {kDm, "D5/4 F5/2 A5/4 G5/2 F5/2 E5/2", {}, false, kGroove, true},
        {kBb, "F5/6 E5/2 D5/4 C5/2 D5/2"},
        {kF, "C5/4 F5/2 A5/4 G5/2 F5/2 G5/2"},
        {kC, "E5/4 G5/4 E5/2 D5/2 C5/4", {}, false, kGrooveOpen},
        {kDm, "D5/4 F5/2 A5/4 G5/2 F5/2 E5/2"},
        {kBb, "F5/6 E5/2 D5/2 F5/2 Bb5/4"},
        {kGm, "G5/6 F5/2 E5/4 D5/2 E5/2"},
        {kA, "C#5/4 E5/4 A5/8", {}, false, kFill},
        // A': the theme again, higher in its second half, resolving home.
        {kDm,
         "D5/2 D5/2 F5/2 A5/4 G5/2 F5/2 E5/2",
         {},
         true,
         kGroove,
         true,
         BassStyle::kDrive,
         0.5f},
        {kBb, "F5/6 E5/2 D5/4 C5/2 D5/2", {}, true, kGroove, false, BassStyle::kDrive, 0.5f},
        {kF, "C6/4 A5/2 C6/4 Bb5/2 A5/2 G5/2", {}, true, kGroove, false, BassStyle::kDrive, 0.5f},
        {kC, "G5/6 E5/2 C5/4 D5/2 E5/2", {}, true, kGrooveOpen, false, BassStyle::kDrive, 0.5f},
        {kDm, "F5/4 A5/2 D6/4 C6/2 A5/2 F5/2", {}, true, kGroove, false, BassStyle::kDrive, 0.5f},
        {kBb, "G5/6 F5/2 D5/4 F5/2 G5/2", {}, true, kGroove, false, BassStyle::kDrive, 0.5f},
        {kA, "E5/4 C#5/2 E5/2 A5/4 G5/2 E5/2", {}, true, kGroove, false, BassStyle::kDrive, 0.5f},
        {kDm, "D5/8 -/4 A4/2 C5/2", {}, true, kFill, false, BassStyle::kDrive, 0.5f},
        // B: long syncopated lines over a lifted groove.
        {kBb, "D5/6 F5/6 Bb5/4", soft, false, kLift, true, BassStyle::kSync, 0.0f, 0.85f},
        {kC, "A5/6 G5/6 E5/4", soft, false, kLift, false, BassStyle::kSync, 0.0f, 0.85f},
        {kAm, "E5/6 A5/6 C6/4", soft, false, kLift, false, BassStyle::kSync, 0.0f, 0.85f},
        {kDm, "A5/8 F5/4 D5/4", soft, false, kLift, false, BassStyle::kSync, 0.0f, 0.85f},
        {kGm, "D5/6 G5/6 Bb5/4", soft, false, kLift, false, BassStyle::kSync, 0.0f, 0.85f},
        {kC, "C6/6 Bb5/6 G5/4", soft, false, kLift, false, BassStyle::kSync, 0.0f, 0.85f},
        {kF, "A5/6 F5/6 C5/4", soft, false, kLift, false, BassStyle::kSync, 0.0f, 0.85f},
        {kA, "C#5/4 E5/4 A5/6 G5/2", soft, false, kLiftFill, false, BassStyle::kSync, 0.0f, 0.85f},
        // Breakdown: the arpeggio carries it, the drums drop away and return.
        {kDm, "", {}, false, kBreak, false, BassStyle::kLong, 1.0f, 0.8f},
        {kBb, "", {}, false, kBreak, false, BassStyle::kLong, 1.0f, 0.8f},
        {kF, "", {}, false, kBreakPulse, false, BassStyle::kHalf, 1.0f, 0.8f},
        {kC, "", {}, false, kBreakPulse, false, BassStyle::kHalf, 1.0f, 0.8f},
        // Build: the theme's opening figure answered, over a snare roll.
        {kGm, "G5/4 Bb5/2 D6/4 -/6", {}, false, kBuild, false, BassStyle::kEighths, 0.8f, 0.6f},
        {kF, "C6/4 A5/2 F5/4 -/6", {}, false, kBuildRoll, false, BassStyle::kEighths, 0.8f, 0.6f},
        // Turnaround into the theme; the intro ends with these two bars too.
        {kBb, "-/8 D5/2 E5/2 F5/2 G5/2", {}, false, kGroove, false, BassStyle::kDrive, 0.6f},
        {kA, "A5/4 G5/2 F5/2 E5/4 C#5/4", {}, false, kTurn, false, BassStyle::kWalkUp, 0.6f},
    };
}

// The intro (two bars of its own, then the loop's last two), then the loop.
std::vector<Bar> SongBars(int loopPasses) {
    const std::vector<Bar> loop = LoopBars();
    if (loop.size() != static_cast<size_t>(kLoopBars))
        throw std::logic_error("the loop of the play music is not 32 bars long");
    std::vector<Bar> song = {
        {kDm, "", {}, false, kIntroPulse, false, BassStyle::kNone, 0.7f, 0.6f},
        {kDm, "", {}, false, kIntroPulse2, false, BassStyle::kLong, 0.8f, 0.6f},
    };
    for (int i = 0; i < kSharedEndBars; ++i)
        song.push_back(loop[loop.size() - kSharedEndBars + i]);
    if (song.size() != static_cast<size_t>(kIntroBars))
        throw std::logic_error("the intro of the play music is not 4 bars long");
    for (int pass = 0; pass < std::max(1, loopPasses); ++pass)
        song.insert(song.end(), loop.begin(), loop.end());
    return song;
}

// --- Mixing --------------------------------------------------------------------

// Where a part sits in the mix.
struct Part {
    float gain;
    double pan;
    float reverb;  // send levels
    float delay;
};

constexpr Part kLeadPart{0.42f, 0.0, 0.22f, 0.20f};
constexpr Part kSoftLeadPart{0.36f, 0.0, 0.30f, 0.22f};
constexpr Part kLowLeadPart{0.20f, -0.25, 0.20f, 0.0f};
constexpr Part kBassPart{0.36f, 0.0, 0.0f, 0.0f};
constexpr Part kPadPart{0.16f, 0.0, 0.40f, 0.0f};
constexpr Part kArpPart{0.18f, 0.0, 0.25f, 0.15f};
constexpr Part kKickPart{0.40f, 0.0, 0.03f, 0.0f};
constexpr Part kSnarePart{0.50f, 0.05, 0.18f, 0.0f};
constexpr Part kHatPart{0.30f, 0.25, 0.04f, 0.0f};
constexpr Part kOpenHatPart{0.18f, 0.25, 0.06f, 0.0f};
constexpr Part kCrashPart{0.20f, -0.3, 0.10f, 0.0f};

class Mixer {
public:
    explicit Mixer(size_t frames) : dry_(frames), reverbSend_(frames), delaySend_(frames) {}

    void Add(int64_t at, const Mono& sound, const Part& part, double pan) {
        const PanGains g = Pan(pan);
        dry_.AddMono(at, sound, g.left * part.gain, g.right * part.gain);
        if (part.reverb > 0.0f)
            reverbSend_.AddMono(at, sound, g.left * part.gain * part.reverb,
                                g.right * part.gain * part.reverb);
        if (part.delay > 0.0f)
            delaySend_.AddMono(at, sound, g.left * part.gain * part.delay,
                               g.right * part.gain * part.delay);
    }
    void Add(int64_t at, const Mono& sound, const Part& part) { Add(at, sound, part, part.pan); }
    void AddStereo(int64_t at, const StereoBuffer& sound, const Part& part) {
        dry_.Add(at, sound, part.gain, part.gain);
        reverbSend_.Add(at, sound, part.gain * part.reverb, part.gain * part.reverb);
    }

    StereoBuffer& dry() { return dry_; }
    StereoBuffer& reverbSend() { return reverbSend_; }
    StereoBuffer& delaySend() { return delaySend_; }

private:
    StereoBuffer dry_;
    StereoBuffer reverbSend_;
    StereoBuffer delaySend_;
};

// --- The play music ------------------------------------------------------------

struct Kit {
    Mono kick = Kick();
    Mono snare = Snare();
    Mono hat = ClosedHat();
    Mono openHat = OpenHat();
    Mono crash = Crash();
};

void ArrangeDrums(Mixer& mix, const Kit& kit, const Bar& bar, int64_t start) {
    struct Line {
        std::string_view hits;
        const Mono* sound;
        const Part* part;
    };
    const Line lines[] = {{bar.drums.kick, &kit.kick, &kKickPart},
                          {bar.drums.snare, &kit.snare, &kSnarePart},
                          {bar.drums.hat, &kit.hat, &kHatPart},
                          {bar.drums.openHat, &kit.openHat, &kOpenHatPart}};
    for (const Line& line : lines) {
        for (int s = 0; s < kBarSteps; ++s) {
            const float v = HitVelocity(line.hits[static_cast<size_t>(s)]);
            if (v > 0.0f) {
                const Part part{line.part->gain * v, line.part->pan, line.part->reverb,
                                line.part->delay};
                mix.Add(start + s * kStepFrames, *line.sound, part);
            }
        }
    }
    if (bar.crash)
        mix.Add(start, kit.crash, kCrashPart);
}

void ArrangeBar(Mixer& mix, const Kit& kit, const Bar& bar, int64_t start) {
    const Chord& chord = bar.chord;

    // Melody: slightly detached, so repeated notes speak.
    for (const ScoreNote& n : ParseBar(bar.lead.empty() ? "-/16" : bar.lead)) {
        const int64_t at = start + n.step * kStepFrames;
        const double held = n.length * kStepSeconds - 0.03;
        const float velocity = n.step % 8 == 0 ? 0.95f : 0.85f;
        const bool soft = bar.tone == LeadTone::kSoft;
        mix.Add(at, Lead(MidiToHz(n.midi), held, velocity, bar.tone),
                soft ? kSoftLeadPart : kLeadPart);
        if (bar.doubled)
            mix.Add(at, Lead(MidiToHz(n.midi - 12), held, 0.8f, LeadTone::kSoft), kLowLeadPart);
    }

    // Pad: the triad in close position between G3 and F#4, a bar long.
    if (bar.pad > 0.0f) {
        std::vector<double> hz;
        for (int pc : {chord.root, chord.third, chord.fifth})
            hz.push_back(MidiToHz(InRange(pc, 55)));
        mix.AddStereo(start, Pad(hz, kBarFrames / double{kSampleRate} - 0.05, bar.pad * 0.5f),
                      kPadPart);
    }

    // Bass: the root between C2 and B2.
    const int root = InRange(chord.root, 36);
    for (const BassNote& n : BassLine(bar.bass)) {
        const double held = n.length * kStepSeconds - 0.04;
        mix.Add(start + n.step * kStepFrames, Bass(MidiToHz(root + n.offset), held, n.velocity),
                kBassPart);
    }

    // Arpeggio: sixteenths over the chord between D4 and C#5 and the octave
    // above its lowest tone, under the melody, alternating left and right.
    if (bar.arp > 0.0f) {
        std::array<int, 4> tones = {InRange(chord.root, 62), InRange(chord.third, 62),
                                    InRange(chord.fifth, 62), 0};
        std::sort(tones.begin(), tones.begin() + 3);
        tones[3] = tones[0] + 12;
        static constexpr int kOrder[] = {0, 1, 2, 3, 1, 2, 3, 2};
        for (int s = 0; s < kBarSteps; ++s) {
            const int midi = tones[static_cast<size_t>(kOrder[s % 8])];
            const float velocity = bar.arp * (s % 4 == 0 ? 1.0f : 0.7f);
            mix.Add(start + s * kStepFrames, Pluck(MidiToHz(midi), 1.5 * kStepSeconds, velocity),
                    kArpPart, s % 2 == 0 ? -0.35 : 0.35);
        }
    }

    ArrangeDrums(mix, kit, bar, start);
}

// Delay and reverb on their sends, added to the dry mix.
void AddEchoesAndRoom(Mixer& mix) {
    PingPongDelay(mix.delaySend(), mix.dry(), 3 * kStepSeconds, 0.32f, 3500.0);
    Reverb room(1.5, 0.35, 0.015);
    room.Process(mix.reverbSend(), mix.dry(), 0.5f);
}

}  // namespace

MusicTrack PlayMusic(int loopPasses) {
    const std::vector<Bar> song = SongBars(loopPasses);
    Mixer mix(static_cast<size_t>(kBarFrames) * song.size());
    const Kit kit;
    for (size_t b = 0; b < song.size(); ++b)
        ArrangeBar(mix, kit, song[b], static_cast<int64_t>(b) * kBarFrames);
    AddEchoesAndRoom(mix);
    Master(mix.dry(), 0.85f, 0.6f, 0.89f);

    MusicTrack track;
    track.pcm = ToPcm16(mix.dry());
    track.loopStart = static_cast<uint32_t>(kIntroBars * kBarFrames);
    track.loopLength = static_cast<uint32_t>(kLoopBars * kBarFrames);
    return track;
}

// --- The ambient loop ----------------------------------------------------------

MusicTrack AmbientMusic() {
    // Two slow chords, Dm(add 9) and B♭maj7, four seconds each, with a few
    // soft bell tones above. It seams the same way as the play music: the
    // track opens with the B♭ half on its own (rising from silence), then the
    // loop region plays both halves, so the loop start follows the same B♭
    // half whether it comes after the opening or after the loop end.
    constexpr double kChordSeconds = 4.0;
    struct Tone {
        double at;  // seconds into the chord
        int midi;
    };
    struct Half {
        std::array<int, 4> chord;
        std::array<Tone, 3> bells;
    };
    const Half dm{{50, 57, 64, 65}, {{{0.5, 81}, {1.75, 76}, {2.9, 77}}}};
    const Half bb{{46, 57, 62, 65}, {{{0.5, 74}, {1.6, 81}, {2.8, 72}}}};
    const Half halves[] = {bb, dm, bb};

    const auto halfFrames = Frames(kChordSeconds);
    StereoBuffer dry(static_cast<size_t>(halfFrames) * std::size(halves));
    const BellTone glass{3.0, 1.2, 0.15, 0.8};
    for (size_t h = 0; h < std::size(halves); ++h) {
        const int64_t start = static_cast<int64_t>(h) * halfFrames;
        std::vector<double> hz;
        for (int midi : halves[h].chord)
            hz.push_back(MidiToHz(midi));
        dry.Add(start, Pad(hz, kChordSeconds - 0.1, 0.5f), 0.035f, 0.035f);
        for (size_t b = 0; b < halves[h].bells.size(); ++b) {
            const Tone& bell = halves[h].bells[b];
            const PanGains g = Pan(b % 2 == 0 ? -0.4 : 0.4);
            dry.AddMono(start + Frames(bell.at), Bell(MidiToHz(bell.midi), 1.9, 0.03f, glass),
                        g.left, g.right);
        }
    }
    const StereoBuffer send = dry;
    Reverb hall(2.2, 0.45, 0.02);
    hall.Process(send, dry, 0.8f);

    MusicTrack track;
    track.pcm = ToPcm16(dry);
    track.loopStart = static_cast<uint32_t>(halfFrames);
    track.loopLength = static_cast<uint32_t>(2 * halfFrames);
    return track;
}

}  // namespace assetgen::sound
