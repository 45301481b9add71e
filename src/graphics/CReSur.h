#pragma once
// CReSur: makes the textures again after the device has been rebuilt.

class CDx_Gr;
class System;
class MapSceneEntity;

class CReSur {
public:
    CReSur(CDx_Gr* graphics, System* system, MapSceneEntity* mapScene)
        : graphics_(graphics), system_(system), mapScene_(mapScene) {}
    virtual ~CReSur() = default;

    // Rebuilds every texture slot from its picture file; false on any failure.
    bool RecreateTextures();

private:
    CDx_Gr* graphics_;
    System* system_;
    MapSceneEntity* mapScene_;
};
