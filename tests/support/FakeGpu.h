#pragma once
// A drawing-device double that counts its calls and reports what the test
// scripts: the result of Create, the result of each Present in turn (so one
// present can report a lost device) and the removed reason.

#include <deque>

#include "platform/GpuDevice.h"

class FakeGpu final : public platform::GpuDevice {
public:
    // Script.
    int32_t createResult = 1;
    std::deque<int32_t> presentResults;  // taken one per Present; kDeviceOk once empty
    int32_t removedReason = platform::kDeviceOk;

    // State.
    bool created = false;
    bool lastVsync = false;
    platform::Window* window = nullptr;  // the window of the last Create

    // Calls.
    int creates = 0;
    int releases = 0;
    int forgets = 0;
    int clears = 0;
    int presents = 0;
    int removedReasonChecks = 0;

    int32_t Create(platform::Window& target) override;
    void Release() override;
    void Forget() override;
    bool IsCreated() const override { return created; }
    void Clear() override { ++clears; }
    int32_t Present(bool vsync) override;
    int32_t RemovedReason() override;
};
