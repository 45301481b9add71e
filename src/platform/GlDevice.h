#pragma once
// The drawing device on OpenGL 3.3 core: one context on the main SdlWindow
// and the sprite pipeline in it.
//
// Creation prefers a hardware-accelerated context and falls back to any
// context the system offers (Mesa's software rasterizer where there is no
// GPU). The window has no depth buffer: nothing uses one.
//
// Frames are drawn into a picture of the device's own (a framebuffer object)
// the size of the picture rectangle, and a present copies it into that
// rectangle of the window and swaps. So the picture survives the present
// whatever the driver does with the back buffer after a swap, a frame can
// redraw part of it, and the last picture can be shown again without
// drawing. The picture rectangle is the largest centred 16:9 rectangle of the
// drawable, with black bars around it, whatever size the window has. The picture
// counts as spoilt when its size changes, when the window's state changed
// (shown, hidden, minimized, maximized, full screen, focus) since the last
// look, and when the window side says so (an expose) through InvalidatePicture.
//
// GL has no routine device loss, so the loss paths of the frame loop are
// reached through a test seam: ReportLossAtNextPresent makes the next present
// answer as a lost device would.
//
// With TESSARY_GL_DEBUG=1 in the environment, each context is a debug context
// whose KHR_debug output writes every message to standard error; the counts
// over the whole process are kept for a summary at exit.

#include <cstdint>
#include <functional>
#include <string>
#include <utility>

#include "platform/GlSpriteRenderer.h"
#include "platform/GpuDevice.h"

namespace platform {

class SdlWindow;

// The debug output's messages so far, over every context of the process:
// errors (failed calls, GL_DEBUG_TYPE_ERROR outside the shader compiler) and
// warnings (the others above a notification).
struct GlDebugCounts {
    uint64_t errors = 0;
    uint64_t warnings = 0;
};
// Whether a context of this process has had its debug output turned on.
bool GlDebugOutputOn();
GlDebugCounts GlDebugMessageCounts();

class GlDevice final : public GpuDevice {
public:
    GlDevice() = default;
    ~GlDevice() override;
    GlDevice(const GlDevice&) = delete;
    GlDevice& operator=(const GlDevice&) = delete;

    base::Outcome Create(Window& window, const std::filesystem::path& shaderFolder) override;
    // Why the last Create failed (kNone after a success).
    GlFailure failure() const { return failure_; }
    void Release() override;
    void Forget() override;
    bool IsCreated() const override { return context_ != nullptr; }
    bool UploadTexture(int32_t slot, const uint16_t* texels) override;
    void ReleaseTexture(int32_t slot) override;
    void ReserveTextures(int32_t slots) override;
    void Clear() override;
    void DrawSprites(const SpriteVertex* vertices, const int32_t* textures,
                     const BlendState* states, uint32_t count) override;
    DeviceStatus Present(bool vsync) override;
    // GL reports no routine device loss: the context stays valid while the window lives.
    DeviceStatus RemovedReason() override { return DeviceStatus::kOk; }
    ClipBox LimitDrawing(const ClipBox* box) override;
    bool PictureIntact() override;
    void InvalidatePicture() override { intact_ = false; }
    bool PictureKept() override { return PictureIntact() && kept_; }
    void KeepNextPicture(bool keep) override { keepNext_ = keep; }
    DeviceStatus PresentAgain(bool vsync) override { return Present(vsync); }

    // A rectangle of the drawable in pixels, from its bottom-left corner.
    struct PixelRect {
        int32_t x, y, width, height;
    };
    // Where the picture is shown in the drawable: the one place that decides.
    PixelRect PictureRect() const;

    // Test seam: the next Present skips the swap and returns `loss` (kRemoved
    // or kReset), as a present on a lost device does.
    void ReportLossAtNextPresent(DeviceStatus loss) { pendingLoss_ = loss; }
    // Chooses how quads are drawn; both give the same pixels (see GlSpriteRenderer).
    void SetDrawPath(GlSpriteRenderer::Path path) { renderer_.SetPath(path); }
    // Reads the picture: rows from the top, 3 bytes (R, G, B) per pixel,
    // width * height * 3 bytes in all. False without a device.
    bool ReadPixels(int32_t x, int32_t y, int32_t width, int32_t height, uint8_t* rgb);
    // Waits until everything drawn so far is finished.
    void Finish();
    // Runs right after every frame has been swapped to the screen.
    void OnPresent(std::function<void()> hook) { presented_ = std::move(hook); }

private:
    // Sizes the picture to the picture rectangle, and binds it for drawing
    // with the viewport over it and the scissor of LimitDrawing.
    void PreparePicture();
    // (Re)makes the picture's storage; false when the driver cannot, and
    // frames are then drawn straight into the back buffer.
    bool MakePicture(int32_t width, int32_t height);
    // Copies the picture into the picture rectangle of the back buffer.
    void ShowPicture();
    base::Outcome Fail(GlFailure failure, std::string reason) {
        failure_ = failure;
        return base::Outcome::Failed(std::move(reason));
    }

    SdlWindow* window_ = nullptr;
    void* context_ = nullptr;  // SDL_GLContext
    int swapInterval_ = -1;    // the interval last asked for; -1 before the first present
    DeviceStatus pendingLoss_ = DeviceStatus::kOk;
    GlFailure failure_ = GlFailure::kNone;
    GlSpriteRenderer renderer_;
    std::function<void()> presented_;

    unsigned framebuffer_ = 0;  // the picture; 0: drawing goes to the back buffer
    unsigned colour_ = 0;       // its renderbuffer
    int32_t pictureWidth_ = 0;
    int32_t pictureHeight_ = 0;
    int32_t shownWidth_ = 0;  // the picture rectangle of the last frame
    int32_t shownHeight_ = 0;
    bool pictureFailed_ = false;  // the driver could not make one: no more tries
    bool intact_ = false;         // the window shows the last frame, unspoilt
    bool kept_ = false;           // the last frame was drawn into the picture
    bool keepNext_ = true;        // the next whole frame goes into the picture
    bool limited_ = false;
    int32_t scissor_[4] = {};    // x, y, width, height of a limited frame
    uint32_t windowStates_ = 0;  // the window's states at the last look (see PictureIntact)
};

}  // namespace platform
