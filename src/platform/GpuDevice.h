#pragma once
// The drawing device behind the graphics object: a context on the main window
// that holds the 64 texture slots, draws finished sprite quads and presents.
//
// The game's rules (where a quad lies, its colour, which blend state it takes)
// are worked out before anything reaches the device; the device only carries
// them out, in the order given.

#include <cstdint>
#include <filesystem>
#include <string>
#include <string_view>

#include "base/Outcome.h"

namespace platform {

class Window;

// What a present or a health check finds. A lost device was removed, hung or
// reset; the frame loop makes it again. (They stand for Direct3D's
// DXGI_ERROR_DEVICE_REMOVED, _HUNG and _RESET, which the game was written
// against; OpenGL has no routine loss, so only the test seam reports one.)
enum class DeviceStatus : uint8_t { kOk, kRemoved, kHung, kReset };

// Texture slots are 512 x 512 texels of 16 bits: bit 15 alpha, then 5 bits
// each of red (bits 10..14), green (5..9) and blue (0..4).
inline constexpr int32_t kTextureSlots = 64;
inline constexpr int32_t kTextureSize = 512;

// One corner of a sprite quad, finished: clip-space position, colour and
// texture coordinate. Four make a quad, drawn as a triangle strip.
struct SpriteVertex {
    float x, y, z;
    float r, g, b, a;
    float u, v;
};
static_assert(sizeof(SpriteVertex) == 36, "nine float32 values, as the vertex layout declares");

// How a quad's picture meets what is already on screen. f is the quad's blend
// factor: its vertex colour (r, g, b, a) premultiplied by its alpha, that is
// (r*a, g*a, b*a, a). Every state writes the source alpha unchanged.
// A box of the picture in clip space (x right, y up, -1..1 across the picture).
struct ClipBox {
    float left, bottom, right, top;
};

enum class BlendState : uint8_t {
    kAlpha,     // source * source alpha + target * (1 - source alpha)
    kFactor,    // source * f + target * (1 - f)
    kTint,      // source * f; the target is replaced
    kModulate,  // source * (1 - f) + target * target
};

class GpuDevice {
public:
    virtual ~GpuDevice() = default;

    // Makes the context on the window and the drawing pipeline, with the shader
    // files SampleVS.glsl and SamplePS.glsl read from shaderFolder. A failure,
    // in the system's words where it gave any, comes after a line on standard
    // error that names the call; whatever was made before it stays until Release.
    virtual base::Outcome Create(Window& window, const std::filesystem::path& shaderFolder) = 0;
    // Frees everything Create made, the texture slots included; harmless when nothing was made.
    virtual void Release() = 0;
    // Forgets every handle without freeing it (after a loss, the old ones are gone).
    virtual void Forget() = 0;
    virtual bool IsCreated() const = 0;

    // Fills texture slot 0..63 with kTextureSize * kTextureSize texels, row by
    // row from the top. False when there is no device or no such slot.
    virtual bool UploadTexture(int32_t slot, const uint16_t* texels) = 0;
    // Empties a slot; quads that name it draw as untextured.
    virtual void ReleaseTexture(int32_t slot) = 0;
    // Makes room for `slots` filled slots at once before they are filled, so
    // that the storage is not remade slot by slot. Filling works without it.
    virtual void ReserveTextures(int32_t slots) { (void)slots; }

    // Clears the back buffer to transparent black.
    virtual void Clear() = 0;
    // Draws quads 0..count-1 in order, later ones over earlier ones. Quad i is
    // the strip of vertices 4i..4i+3; it samples texture slot textures[i]
    // (untextured when the number lies outside 0..63 or the slot is empty) and
    // blends by states[i]. A sampled texel whose alpha bit is 0 is not drawn;
    // an untextured quad's picture is colour 0 with its vertex alpha.
    virtual void DrawSprites(const SpriteVertex* vertices, const int32_t* textures,
                             const BlendState* states, uint32_t count) = 0;
    // Shows the back buffer, waiting for the vertical blank when vsync is set.
    // kOk, or kRemoved / kReset when the device was lost.
    virtual DeviceStatus Present(bool vsync) = 0;
    // kOk while the device is healthy, else why it is gone.
    virtual DeviceStatus RemovedReason() = 0;

    // ---- Keeping the picture between frames ----
    // A device that keeps its picture draws into a picture of its own and
    // presents a copy of it, so what was drawn survives the present and a
    // frame may redraw only part of it. The default device keeps nothing.
    //
    // Limits the next Clear and DrawSprites to `box`, widened to whole pixels
    // (null: the whole picture), and returns the box they will cover; the rest
    // of the picture keeps what the last frame left there.
    virtual ClipBox LimitDrawing(const ClipBox* box) {
        (void)box;
        return {-1.0f, -1.0f, 1.0f, 1.0f};
    }
    // Whether the last picture is still there, whole, and on the screen: false
    // before the first whole clear, after Create, after the picture changed
    // size, and after anything that spoils what the window shows (an expose,
    // focus regained, InvalidatePicture). A whole Clear makes it true again.
    virtual bool PictureIntact() { return false; }
    // Marks the last picture as needing a whole redraw.
    virtual void InvalidatePicture() {}
    // Whether the last frame's picture is held for a limited frame to draw
    // over: false when it went straight into the back buffer (see below).
    virtual bool PictureKept() { return false; }
    // Whether the next whole frame is kept (drawn into the device's own
    // picture and copied to the window by the present) or drawn straight into
    // the back buffer, which spares the copy where the picture changes
    // wholesale every frame.
    virtual void KeepNextPicture(bool keep) { (void)keep; }
    // Shows the last picture again without drawing anything, for a window
    // that must be painted while the game draws no frame.
    virtual DeviceStatus PresentAgain(bool vsync) { return Present(vsync); }
};

}  // namespace platform
