#pragma once
// MusicSwitch: the play scene's link for choosing the music. Built on the stack
// each play frame; it holds nothing but its links.

class Audio;
class WorldState;
class System;

class MusicSwitch {
public:
    MusicSwitch(System& system, WorldState& world, Audio& audio)
        : system_(system), world_(world), audio_(audio) {}
    virtual ~MusicSwitch() = default;

    // Serves a pending music switch: when bgmSwitchRequest is 1, selects the
    // track for bgmSelector (which clears the request).
    void ServeBgmSwitch();

    System& system() const { return system_; }

private:
    System& system_;
    WorldState& world_;
    Audio& audio_;
};
