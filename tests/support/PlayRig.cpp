#include "support/PlayRig.h"

#include <algorithm>

#include "play/Board.h"
#include "play/PieceGenerator.h"
#include "play/PlayStep.h"

PlayRig::PlayRig(int64_t now) : system(*game.system), world(*game.world) {
    game.LinkObjects(gpu, window);
    calendar.now = now;
}

void PlayRig::Frame(int32_t dirBits, int32_t buttonBits) {
    game.graphics->ClearSpriteList();
    if (log_)
        log_->Clear();
    // The scene frame's fade step.
    if (world.fadeOutRequest != 0)
        world.fadeLevel = static_cast<uint8_t>(std::min(255, world.fadeLevel + 5));
    if (world.fadeInRequest != 0) {
        if (world.fadeLevel > 0) {
            world.fadeLevel = static_cast<uint8_t>(world.fadeLevel - 5);
        } else {
            world.fadeOutRequest = 0;
            world.fadeInRequest = 0;
        }
    }
    system.inputState.dirBits = dirBits;
    system.inputState.buttonBits = buttonBits;
    PlayStep object(system.inputState, system.processIds, system.music, world, *game.audio,
                    *game.graphics, play, calendar);
    object.Run();
    ++frame;
}

void PlayRig::Frames(int count, int32_t dirBits, int32_t buttonBits) {
    for (int i = 0; i < count; ++i)
        Frame(dirBits, buttonBits);
}

void PlayRig::RecordSprites() {
    if (!log_)
        log_ = std::make_unique<SpriteLog>(*game.graphics);
}

void PlayRig::StartGame() {
    BuildBoard(play);
    PieceGenerator(PieceSeed(calendar, system.processIds)).FillQueue(play);
    play.started = 1;
}

void PlayRig::SetCell(int32_t row, int32_t column, int32_t code) {
    play.board[BoardIndex(row, column)] = code;
}

void PlayRig::FillRow(int32_t row, std::vector<int32_t> holes, int32_t code) {
    for (int32_t column = 1; column <= 10; ++column) {
        const bool hole = std::find(holes.begin(), holes.end(), column) != holes.end();
        SetCell(row, column, hole ? 0 : code);
    }
}

int32_t PlayRig::Cell(int32_t row, int32_t column) const {
    return play.board[BoardIndex(row, column)];
}

void PlayRig::PlacePiece(int32_t kind, int32_t column, int32_t row, int32_t rotation) {
    play.queue[0] = kind;
    play.pieceX = kCellPixels * column;
    play.pieceY = kCellPixels * row;
    play.rotation = rotation;
    // The contacts a previous frame would have left for the next sideways move.
    UpdateCellCoordinates(play);
    ComputeContacts(play);
}
