#include "play/PieceGenerator.h"

#include "platform/Clock.h"
#include "play/PlayState.h"
#include "world/ProcessIds.h"

uint32_t PieceSeed(platform::Calendar& calendar, const ProcessIds& ids) {
    return static_cast<uint32_t>(calendar.Now()) + ids.threadId + ids.processId;
}

int32_t PieceGenerator::NextPieceKind() {
    if (!engine_)
        engine_.emplace(seed_);
    return static_cast<int32_t>((*engine_)() >> 29);
}

void PieceGenerator::FillQueue(PlayState& play) {
    for (int32_t& kind : play.queue)
        kind = NextPieceKind();
}

void PieceGenerator::AdvanceQueue(PlayState& play) {
    for (int32_t i = 0; i + 1 < PlayState::kQueue; ++i)
        play.queue[i] = play.queue[i + 1];
    play.queue[PlayState::kQueue - 1] = NextPieceKind();
}
