#pragma once
// A drawing-device double that counts its calls and reports what the test
// scripts: the result of Create, the result of each Present in turn (so one
// present can report a lost device) and the removed reason. It remembers the
// texture slots it was given and what the last draw asked for.

#include <deque>
#include <string>
#include <vector>

#include "platform/GpuDevice.h"

class FakeGpu final : public platform::GpuDevice {
public:
    // Script.
    bool createSucceeds = true;
    std::deque<platform::DeviceStatus> presentResults;  // taken one per Present; kOk once empty
    platform::DeviceStatus removedReason = platform::DeviceStatus::kOk;
    bool uploadResult = true;
    bool keepsPicture = false;  // keeps its picture between frames, as the GL device does

    // State.
    bool created = false;
    bool lastVsync = false;
    platform::Window* window = nullptr;  // the window of the last Create
    std::filesystem::path shaderFolder;  // the folder of the last Create
    bool slotFilled[platform::kTextureSlots] = {};
    std::vector<uint16_t> lastTexels;  // the texels of the last upload
    std::vector<int32_t> drawnTextures;
    std::vector<platform::BlendState> drawnStates;
    bool intact = false;   // the kept picture stands (see PictureIntact)
    bool limited = false;  // the last LimitDrawing gave a box
    bool keep = true;      // the next whole frame is kept
    bool kept = false;     // the last whole frame was kept
    platform::ClipBox lastLimit{};

    // Calls.
    int creates = 0;
    int releases = 0;
    int forgets = 0;
    int clears = 0;
    int presents = 0;
    int draws = 0;
    int uploads = 0;
    int removedReasonChecks = 0;
    int limitedClears = 0;
    int presentsAgain = 0;

    base::Outcome Create(platform::Window& target, const std::filesystem::path& folder) override;
    void Release() override;
    void Forget() override;
    bool IsCreated() const override { return created; }
    bool UploadTexture(int32_t slot, const uint16_t* texels) override;
    void ReleaseTexture(int32_t slot) override;
    void Clear() override;
    void DrawSprites(const platform::SpriteVertex* vertices, const int32_t* textures,
                     const platform::BlendState* states, uint32_t count) override;
    platform::DeviceStatus Present(bool vsync) override;
    platform::DeviceStatus RemovedReason() override;
    platform::ClipBox LimitDrawing(const platform::ClipBox* box) override;
    bool PictureIntact() override { return keepsPicture && created && intact; }
    void InvalidatePicture() override { intact = false; }
    bool PictureKept() override { return PictureIntact() && kept; }
    void KeepNextPicture(bool keepNext) override { keep = keepNext; }
    platform::DeviceStatus PresentAgain(bool vsync) override;
};
