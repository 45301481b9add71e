#pragma once
// CSetVerTex: the link a scene frame builds on the stack to submit sprites.
// It copies the graphics object, System and the world record out of the Game
// and forwards every request to the graphics object's sprite list.

#include <cstdint>

#include "graphics/SpriteRequest.h"

class CDx_Gr;
class Game;
class MapSceneEntity;
class System;

class CSetVerTex {
public:
    explicit CSetVerTex(Game& game);
    virtual ~CSetVerTex() = default;

    // Appends one quad to the sprite list; always returns 1.
    int32_t SubmitSprite(const SpriteRequest& request);

    CDx_Gr* graphics() const { return graphics_; }
    System* system() const { return system_; }
    MapSceneEntity* mapScene() const { return mapScene_; }

private:
    CDx_Gr* graphics_;
    System* system_;
    MapSceneEntity* mapScene_;
};
