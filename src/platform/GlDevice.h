#pragma once
// The drawing device on OpenGL 3.3 core: one context on the main SdlWindow.
//
// Creation prefers a hardware-accelerated context and falls back to any
// context the system offers (Mesa's software rasterizer where there is no
// GPU). The viewport always covers the whole drawable, so the game's fixed
// design space is stretched over whatever size the window has.

#include <cstdint>

#include "platform/GpuDevice.h"

namespace platform {

class SdlWindow;

class GlDevice final : public GpuDevice {
public:
    // Failure codes of Create.
    static constexpr int32_t kErrorNotSdlWindow = -1;  // no SdlWindow, or it has no window
    static constexpr int32_t kErrorNoContext = -2;     // no GL 3.3 core context could be made
    static constexpr int32_t kErrorMakeCurrent = -3;   // the context could not be made current

    GlDevice() = default;
    ~GlDevice() override;
    GlDevice(const GlDevice&) = delete;
    GlDevice& operator=(const GlDevice&) = delete;

    int32_t Create(Window& window) override;
    void Release() override;
    void Forget() override;
    bool IsCreated() const override { return context_ != nullptr; }
    void Clear() override;
    int32_t Present(bool vsync) override;
    // GL reports no routine device loss: the context stays valid while the window lives.
    int32_t RemovedReason() override { return kDeviceOk; }

private:
    void FitViewport();

    SdlWindow* window_ = nullptr;
    void* context_ = nullptr;  // SDL_GLContext
    int swapInterval_ = -1;    // the interval last asked for; -1 before the first present
};

}  // namespace platform
