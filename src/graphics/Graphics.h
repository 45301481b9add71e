#pragma once
// Graphics: the graphics object. It owns the drawing device on the main window,
// the table of texture slots and the sprite list, and draws the list once per
// pass of the frame loop.
//
// The sprite list is a set of fixed arrays sized for 14,970 quads. A scene
// clears it, then submits SpriteRequests; each one is turned at once into four
// finished vertices in clip space, and its texture slot, colour and blend mode
// are kept beside them. RenderFrame draws the list in submission order, later
// quads over earlier ones, choosing each quad's blend state from its blend
// mode and colour. Nothing is allocated per frame or per sprite.
//
// Quads that cannot change a pixel never reach the device: those wholly
// outside the target, those whose blend gives back the target as it is (an
// invisible fade overlay), and those that sample nothing but transparent
// texels (the blank cells of a text). The pixels are the same as drawing
// every quad; on a software rasterizer, the time saved is most of the frame.

#include <cstdint>
#include <memory>
#include <string_view>

#include "base/ZeroedMemory.h"
#include "graphics/SpriteRequest.h"
#include "graphics/TextureOpacity.h"
#include "platform/GpuDevice.h"

struct Display;
struct Folders;
struct Settings;
class WorldState;

namespace platform {
class Dialogs;
class Window;
}  // namespace platform

class Graphics {
public:
    static constexpr uint32_t kListCapacity = 14970;
    // The count stops here: later requests all overwrite entry 14,969, which is never drawn.
    static constexpr uint32_t kMaxVisible = 14969;
    static constexpr int32_t kTextureSlots = platform::kTextureSlots;

    Graphics();
    virtual ~Graphics();
    Graphics(const Graphics&) = delete;
    Graphics& operator=(const Graphics&) = delete;

    // The records it reads and writes: the display (vsync, the device-lost
    // request), the settings (texel offset), the folders (the shaders lie in
    // the program folder) and the world's angle table.
    void Link(Display* display, const Settings* settings, const Folders* folders,
              const WorldState* world, platform::GpuDevice* gpu, platform::Window* window);
    // Where texture loading shows its messages; without a link they go to
    // standard error.
    void LinkDialogs(platform::Dialogs* dialogs) { dialogs_ = dialogs; }
    void ShowMessage(std::string_view text, std::string_view caption, std::string_view detail = {});

    // ---- Device ----
    // Makes the device on the main window, with the shader files from the
    // program folder; false when it cannot be made.
    bool CreateDevice();
    // Frees the device and everything made with it, the texture slots included.
    void ReleaseDevice();
    // Forgets every device object and texture slot without freeing them (after a loss).
    void ClearDevicePointers();
    // Draws the sprite list and presents it; returns the present's result. A
    // lost device sets Display::deviceLostRequest.
    platform::DeviceStatus RenderFrame();
    // Shows the last frame's picture again, fitted to the window's present
    // size, without running a scene: for a window that the desktop exposed or
    // resized while the game stands still. For now it draws the list again.
    platform::DeviceStatus PresentLastPicture() { return RenderFrame(); }
    // The drawing half of RenderFrame: clears the back buffer and draws the
    // list onto it, without presenting.
    void DrawFrame();
    // Whether quads that cannot change a pixel are left out (the default).
    // Off, every quad goes to the device: the reference the tests compare with.
    void SetCulling(bool on) { culling_ = on; }
    // How many quads the last DrawFrame handed to the device.
    uint32_t DrawnCount() const { return drawn_; }
    // kOk while the device is healthy, else the reason it was lost.
    platform::DeviceStatus DeviceRemovedReason();

    // ---- Texture table ----
    // Fills slot 0..63 with 512 x 512 texels (1-5-5-5); false when the device cannot.
    bool FillTextureSlot(int32_t slot, const uint16_t* texels);
    void ReleaseTextureSlot(int32_t slot);
    // Tells the device how many slots are about to be filled (see GpuDevice::ReserveTextures).
    void ReserveTextureSlots(int32_t slots);
    bool TextureSlotFilled(int32_t slot) const;

    // ---- Sprite list ----
    // Empties the list: count 0, textures, colours and vertices all zero.
    void ClearSpriteList();
    // Appends one quad.
    void SubmitSprite(const SpriteRequest& request);

    // Sees every request as submitted (tests and tools record what a scene
    // asks for); null when nobody listens.
    class SubmissionObserver {
    public:
        virtual ~SubmissionObserver() = default;
        virtual void OnSubmit(const SpriteRequest& request) = 0;
    };
    void SetSubmissionObserver(SubmissionObserver* observer) { observer_ = observer; }

    // The blend state a quad takes from its blend mode and colour.
    static platform::BlendState ChooseBlendState(BlendMode blendMode, uint32_t color);

    uint32_t SpriteCount() const { return count_; }
    // Quad i owns vertices 4i..4i+3: left-bottom, left-top, right-bottom, right-top.
    const platform::SpriteVertex* Vertices() const { return lists_->vertices; }
    int32_t QuadTexture(uint32_t quad) const { return lists_->textures[quad]; }
    uint32_t QuadColor(uint32_t quad) const { return lists_->colors[quad]; }
    BlendMode QuadBlendMode(uint32_t quad) const { return lists_->blendModes[quad]; }

private:
    // Whether quad's pixels would all come out as they were: see the class comment.
    bool CannotChangeAPixel(uint32_t quad, platform::BlendState state) const;

    Display* display_ = nullptr;
    const Settings* settings_ = nullptr;
    const Folders* folders_ = nullptr;
    const WorldState* world_ = nullptr;
    platform::GpuDevice* gpu_ = nullptr;
    platform::Window* window_ = nullptr;
    platform::Dialogs* dialogs_ = nullptr;
    SubmissionObserver* observer_ = nullptr;

    bool slotFilled_[kTextureSlots] = {};
    TextureOpacity opacity_;  // where the filled slots' opaque texels lie
    bool culling_ = true;
    uint32_t drawn_ = 0;

    // The sprite list.
    uint32_t count_ = 0;
    uint32_t written_ = 0;  // entries written since the last clear: only these need zeroing

    // The list's arrays, and the quads drawn, packed together, on frames where
    // some are left out: 4.6 MB in all, taken zeroed from the system so that
    // only the pages frames write to become resident (a title frame draws a
    // few hundred quads of the 14,970).
    struct Lists {
        int32_t textures[kListCapacity];
        uint32_t colors[kListCapacity];
        BlendMode blendModes[kListCapacity];
        platform::SpriteVertex vertices[kListCapacity * 4];
        platform::BlendState states[kListCapacity];  // chosen per frame by RenderFrame
        platform::SpriteVertex drawnVertices[kListCapacity * 4];
        int32_t drawnTextures[kListCapacity];
        platform::BlendState drawnStates[kListCapacity];
    };
    base::Zeroed<Lists> lists_;
};
