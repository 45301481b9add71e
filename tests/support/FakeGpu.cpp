#include "support/FakeGpu.h"

int32_t FakeGpu::Create(platform::Window& target) {
    ++creates;
    window = &target;
    created = createResult > 0;
    return createResult;
}

void FakeGpu::Release() {
    ++releases;
    created = false;
}

void FakeGpu::Forget() {
    ++forgets;
    created = false;
}

int32_t FakeGpu::Present(bool vsync) {
    ++presents;
    lastVsync = vsync;
    if (presentResults.empty())
        return platform::kDeviceOk;
    const int32_t result = presentResults.front();
    presentResults.pop_front();
    return result;
}

int32_t FakeGpu::RemovedReason() {
    ++removedReasonChecks;
    return removedReason;
}
