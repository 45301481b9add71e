#include "support/FakeGpu.h"

#include <algorithm>

base::Outcome FakeGpu::Create(platform::Window& target, const std::filesystem::path& folder) {
    ++creates;
    window = &target;
    shaderFolder = folder;
    created = createSucceeds;
    intact = false;
    return createSucceeds ? base::Outcome() : base::Outcome::Failed("");
}

void FakeGpu::Release() {
    ++releases;
    created = false;
    std::fill(std::begin(slotFilled), std::end(slotFilled), false);
}

void FakeGpu::Forget() {
    ++forgets;
    created = false;
    std::fill(std::begin(slotFilled), std::end(slotFilled), false);
}

bool FakeGpu::UploadTexture(int32_t slot, const uint16_t* texels) {
    ++uploads;
    if (!created || !uploadResult || slot < 0 || slot >= platform::kTextureSlots)
        return false;
    slotFilled[slot] = true;
    lastTexels.assign(texels, texels + platform::kTextureSize * platform::kTextureSize);
    return true;
}

void FakeGpu::ReleaseTexture(int32_t slot) {
    if (slot >= 0 && slot < platform::kTextureSlots)
        slotFilled[slot] = false;
}

void FakeGpu::DrawSprites(const platform::SpriteVertex*, const int32_t* textures,
                          const platform::BlendState* states, uint32_t count) {
    ++draws;
    drawnTextures.assign(textures, textures + count);
    drawnStates.assign(states, states + count);
}

platform::DeviceStatus FakeGpu::Present(bool vsync) {
    ++presents;
    lastVsync = vsync;
    if (presentResults.empty())
        return platform::DeviceStatus::kOk;
    const platform::DeviceStatus result = presentResults.front();
    presentResults.pop_front();
    return result;
}

platform::DeviceStatus FakeGpu::RemovedReason() {
    ++removedReasonChecks;
    return removedReason;
}

void FakeGpu::Clear() {
    ++clears;
    if (limited) {
        ++limitedClears;
    } else {
        intact = true;
        kept = keep;
    }
}

platform::ClipBox FakeGpu::LimitDrawing(const platform::ClipBox* box) {
    limited = box != nullptr;
    if (box != nullptr)
        lastLimit = *box;
    return box != nullptr ? *box : platform::ClipBox{-1.0f, -1.0f, 1.0f, 1.0f};
}

platform::DeviceStatus FakeGpu::PresentAgain(bool vsync) {
    ++presentsAgain;
    return Present(vsync);
}
