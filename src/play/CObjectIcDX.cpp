#include "play/CObjectIcDX.h"

#include "world/Game.h"

CObjectIcDX::CObjectIcDX(Game& game, PlayState& play, platform::Calendar& calendar)
    : game_(game),
      system_(*game.system),
      world_(*game.mapScene),
      audio_(*game.audio),
      play_(play),
      calendar_(calendar) {}

void CObjectIcDX::PlayStep() {}
