#pragma once
// PlayBackground: the play scene's background. Built on the stack each play frame
// from System and the world record; it holds nothing but its links.

class Graphics;
class WorldState;
class System;

class PlayBackground {
public:
    PlayBackground(System& system, WorldState& world) : system_(system), world_(world) {}
    virtual ~PlayBackground() = default;

    // One quad: the 512 x 256 play picture of texture 3, drawn three times
    // its size from x 16, so its visible part fills the play area.
    void DrawBackground(Graphics& sprites);

    System& system() const { return system_; }
    WorldState& world() const { return world_; }

private:
    System& system_;
    WorldState& world_;
};
