#pragma once
// CDx_Gr: the graphics object. It owns the drawing device on the main window
// and presents one frame per pass of the frame loop.

#include <cstdint>

class System;
class MapSceneEntity;

namespace platform {
class GpuDevice;
class Window;
}  // namespace platform

class CDx_Gr {
public:
    CDx_Gr() = default;
    virtual ~CDx_Gr();
    CDx_Gr(const CDx_Gr&) = delete;
    CDx_Gr& operator=(const CDx_Gr&) = delete;

    void Link(System* system, MapSceneEntity* mapScene, platform::GpuDevice* gpu,
              platform::Window* window);

    // Makes the device on the main window: 1 on success, else the first failing code.
    int32_t CreateDevice();
    // Frees the device and everything made with it.
    void ReleaseDevice();
    // Forgets every device object without freeing it (after the device was lost).
    void ClearDevicePointers();
    // Draws the frame and presents it; a lost device sets System::deviceLostRequest.
    int32_t RenderFrame();
    // 0 while the device is healthy, else the reason it was removed.
    int32_t DeviceRemovedReason();

private:
    System* system_ = nullptr;
    MapSceneEntity* mapScene_ = nullptr;
    platform::GpuDevice* gpu_ = nullptr;
    platform::Window* window_ = nullptr;
};
