#pragma once
// CBGIcDX: the play scene's background. Built on the stack each play frame
// from System and the world record; it holds nothing but its links.

class CSetVerTex;
class MapSceneEntity;
class System;

class CBGIcDX {
public:
    CBGIcDX(System& system, MapSceneEntity& world) : system_(system), world_(world) {}
    virtual ~CBGIcDX() = default;

    // One quad: the 512 x 256 play picture of texture 3, drawn three times
    // its size from x 16, so its visible part fills the play area.
    void DrawBackground(CSetVerTex& sprites);

    System& system() const { return system_; }
    MapSceneEntity& world() const { return world_; }

private:
    System& system_;
    MapSceneEntity& world_;
};
