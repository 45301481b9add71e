#pragma once
// CDungeon: the play scene's link for choosing the music. Built on the stack
// each play frame; it holds nothing but its links.

class CXa2;
class MapSceneEntity;
class System;

class CDungeon {
public:
    CDungeon(System& system, MapSceneEntity& world, CXa2& audio)
        : system_(system), world_(world), audio_(audio) {}
    virtual ~CDungeon() = default;

    // Serves a pending music switch: when bgmSwitchRequest is 1, selects the
    // track for bgmSelector (which clears the request).
    void ServeBgmSwitch();

    System& system() const { return system_; }

private:
    System& system_;
    MapSceneEntity& world_;
    CXa2& audio_;
};
