#include "graphics/CDx_Gr.h"

#include "platform/GpuDevice.h"
#include "world/System.h"

CDx_Gr::~CDx_Gr() {
    ReleaseDevice();
}

void CDx_Gr::Link(System* system, MapSceneEntity* mapScene, platform::GpuDevice* gpu,
                  platform::Window* window) {
    system_ = system;
    mapScene_ = mapScene;
    gpu_ = gpu;
    window_ = window;
}

int32_t CDx_Gr::CreateDevice() {
    if (gpu_ == nullptr || window_ == nullptr)
        return -1;
    return gpu_->Create(*window_);
}

void CDx_Gr::ReleaseDevice() {
    if (gpu_ != nullptr)
        gpu_->Release();
}

void CDx_Gr::ClearDevicePointers() {
    if (gpu_ != nullptr)
        gpu_->Forget();
}

int32_t CDx_Gr::RenderFrame() {
    if (gpu_ == nullptr || !gpu_->IsCreated())
        return platform::kDeviceOk;
    gpu_->Clear();
    const int32_t result = gpu_->Present(system_ != nullptr && system_->vsync != 0);
    if ((result == platform::kDeviceRemoved || result == platform::kDeviceReset) &&
        system_ != nullptr) {
        system_->deviceLostRequest = 1;
    }
    return result;
}

int32_t CDx_Gr::DeviceRemovedReason() {
    if (gpu_ == nullptr || !gpu_->IsCreated())
        return platform::kDeviceOk;
    return gpu_->RemovedReason();
}
