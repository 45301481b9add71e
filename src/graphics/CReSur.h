#pragma once
// CReSur: loads the pictures of texture slots 0..7, at start-up after the
// picture list has been read and again after the device has been rebuilt.

class CDx_Gr;
class System;
class MapSceneEntity;

class CReSur {
public:
    CReSur(CDx_Gr* graphics, System* system, MapSceneEntity* mapScene)
        : graphics_(graphics), system_(system), mapScene_(mapScene) {}
    virtual ~CReSur() = default;

    // For slots 0..7 in order: empties the slot, remembers the listed name and
    // loads resourceFolder + name, except for "null0000.png", which leaves the
    // slot empty. False at the first picture that fails (its message has been
    // shown). On success clears loadingFlag and returns true.
    bool RecreateTextures();

    static constexpr int kSlots = 8;

private:
    CDx_Gr* graphics_;
    System* system_;
    MapSceneEntity* mapScene_;
};
