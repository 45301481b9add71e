#pragma once
// The piece generator: every kind 0..7 is equally likely and independent of
// the pieces before it. Each play frame makes a new MT19937 seeded from the
// calendar second and the program's thread and process ids, so all pieces
// drawn in one second come from the same few first outputs.

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
