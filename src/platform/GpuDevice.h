#pragma once
// The drawing device behind the graphics object: a context on the main window
// that clears, draws and presents.

#include <cstdint>

namespace platform {

class Window;

// Status codes a present or a health check reports.
inline constexpr int32_t kDeviceOk = 0;
inline constexpr int32_t kDeviceRemoved = static_cast<int32_t>(0x887A0005u);
inline constexpr int32_t kDeviceHung = static_cast<int32_t>(0x887A0006u);
inline constexpr int32_t kDeviceReset = static_cast<int32_t>(0x887A0007u);

class GpuDevice {
public:
    virtual ~GpuDevice() = default;
    // Makes the context on the window: 1 on success, a negative code on failure.
    virtual int32_t Create(Window& window) = 0;
    // Frees everything Create made; harmless when nothing was made.
    virtual void Release() = 0;
    // Forgets every handle without freeing it (after a loss, the old ones are gone).
    virtual void Forget() = 0;
    virtual bool IsCreated() const = 0;
    // Clears the back buffer to transparent black.
    virtual void Clear() = 0;
    // Shows the back buffer, waiting for the vertical blank when vsync is set.
    // Returns kDeviceOk, or kDeviceRemoved / kDeviceReset when the device was lost.
    virtual int32_t Present(bool vsync) = 0;
    // kDeviceOk while the device is healthy, else why it is gone.
    virtual int32_t RemovedReason() = 0;
};

}  // namespace platform
