#pragma once
// The piece generator: a kind 0..7 is the top three bits of an MT19937
// output, so each kind is equally likely and there is no bag or history.
// The play step makes a new generator every frame, seeded from the calendar
// second and the program's thread and process ids, so a frame draws the
// first outputs for its second's seed: every lock within one second brings
// the same kind into queue[7], and a new game's queue is the first eight.

#include <cstdint>
#include <optional>
#include <random>

struct PlayState;
struct ProcessIds;

namespace platform {
class Calendar;
}

// Calendar seconds (low 32 bits) + main thread id + process id, wrapping.
uint32_t PieceSeed(platform::Calendar& calendar, const ProcessIds& ids);

class PieceGenerator {
public:
    explicit PieceGenerator(uint32_t seed) : seed_(seed) {}

    // The top three bits of the engine's next output: 0..7.
    int32_t NextPieceKind();
    // A new game: queue[0..7] from eight successive kinds.
    void FillQueue(PlayState& play);
    // A lock: the queue moves up one place and a new kind enters at queue[7].
    void AdvanceQueue(PlayState& play);

private:
    uint32_t seed_;
    // Seeding fills 624 words; most frames draw nothing, so it waits for the
    // first draw. The outputs are the same as seeding up front.
    std::optional<std::mt19937> engine_;
};
