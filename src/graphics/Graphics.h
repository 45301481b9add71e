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
//
// Most frames draw the same picture as the one before. Each submitted quad
// gets a hash and a box as it is submitted, and is compared at once with the
// quad in its place in the list last drawn; the boxes of the quads that
// differ add up to the changed part of the picture. RenderFrame draws and
// presents nothing when nothing changed, and on a device that keeps its
// picture between frames redraws only the changed box (the whole list,
// clipped to it) while that box covers at most half the picture. The rest of
// the picture is what the last frame drew there, so the pixels are those of a
// whole redraw. A frame where more than half changed is drawn straight into
// the back buffer rather than kept, which spares the device its copy on
// screens that change wholesale every frame (the title's scrolling sky). Anything that spoils the
// last picture (the first frame, a new device, a texture filled or emptied, the display mode or the
// texel offset changed, InvalidatePicture, or the device's own PictureIntact) makes the next frame
// draw everything. TESSARY_REDRAW_ALWAYS=1 in the environment draws every frame whole, without
// hashing.

#include <cstdint>
#include <memory>
#include <string_view>

#include "base/Outcome.h"
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

    // The records it reads and writes: the display (vsync, the device-lost
    // request), the settings (texel offset), the folders (the shaders lie in
    // the program folder) and the world's angle table.
    Graphics(Display& display, const Settings& settings, const Folders& folders,
             const WorldState& world);
    ~Graphics();
    Graphics(const Graphics&) = delete;
    Graphics& operator=(const Graphics&) = delete;

    // The device it draws with and the window it draws in. Without them (a
    // run with no window: replays checked, benchmarks of the rules) frames
    // are listed but never drawn.
    void AttachDevice(platform::GpuDevice& gpu, platform::Window& window) {
        gpu_ = &gpu;
        window_ = &window;
    }
    // Where texture loading shows its messages; without a link they go to
    // standard error.
    void LinkDialogs(platform::Dialogs* dialogs) { dialogs_ = dialogs; }
    void ShowMessage(std::string_view text, std::string_view caption, std::string_view detail = {});

    // ---- Device ----
    // Makes the device on the main window, with the shader files from the
    // program folder.
    base::Outcome CreateDevice();
    // Frees the device and everything made with it, the texture slots included.
    void ReleaseDevice();
    // Forgets every device object and texture slot without freeing them (after a loss).
    void ClearDevicePointers();
    // Draws the sprite list, or the part of it that changed, and presents it;
    // returns the present's result (kOk, having done nothing, when the
    // picture is the one last drawn). A lost device sets
    // Display::deviceLostRequest.
    platform::DeviceStatus RenderFrame();
    // Clears the picture and draws the whole list onto it, without presenting;
    // the next RenderFrame presents it.
    void DrawFrame();
    // Whether quads that cannot change a pixel are left out (the default).
    // Off, every quad goes to the device: the reference the tests compare with.
    void SetCulling(bool on) { culling_ = on; }
    // How many quads the last DrawFrame handed to the device.
    uint32_t DrawnCount() const { return drawn_; }

    // ---- Redrawing only what changed ----
    // Always draws every frame whole and presents it: no hashing, no skipped
    // frames, no partial redraws (the default comes from TESSARY_REDRAW_ALWAYS).
    void SetRedrawAlways(bool always);
    bool RedrawAlways() const { return !tracking_; }
    // The next RenderFrame draws the whole picture and presents it.
    void InvalidatePicture();
    // Shows the last picture again without drawing, for a window that must be
    // painted while no frame is drawn (exposed or resized while inactive).
    platform::DeviceStatus PresentLastPicture();
    // Whether the last RenderFrame found the picture unchanged and neither
    // drew nor presented.
    bool LastFrameSkipped() const { return lastSkipped_; }
    // Whether the last RenderFrame drew only part of the picture.
    bool LastFramePartial() const { return lastPartial_; }
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
    // Clears and draws the list, limited to `limit` when there is one.
    void Draw(const platform::ClipBox* limit);
    // Takes the list just drawn as the last drawn picture.
    void RememberDrawn();
    // Hashes and boxes quad n as it is submitted, and adds it to the changed
    // box when it differs from the quad in its place in the list last drawn.
    void Track(uint32_t n, const SpriteRequest& request);
    // Passes on a present's result; a lost device sets Display::deviceLostRequest.
    platform::DeviceStatus Present(platform::DeviceStatus result);
    // Whether the picture on the device is the last one drawn, unspoilt.
    bool LastPictureStands();

    // The hashes and boxes of the quads submitted and of those last drawn;
    // `current_` names the pair the submissions fill.
    uint64_t* SubmittedHashes() { return lists_->quadHashes[current_]; }
    platform::ClipBox* SubmittedBoxes() { return lists_->quadBoxes[current_]; }
    const uint64_t* DrawnHashes() const { return lists_->quadHashes[current_ ^ 1]; }
    const platform::ClipBox* DrawnBoxes() const { return lists_->quadBoxes[current_ ^ 1]; }

    Display& display_;
    const Settings& settings_;
    const Folders& folders_;
    const WorldState& world_;
    platform::GpuDevice* gpu_ = nullptr;
    platform::Window* window_ = nullptr;
    platform::Dialogs* dialogs_ = nullptr;
    SubmissionObserver* observer_ = nullptr;

    bool slotFilled_[kTextureSlots] = {};
    TextureOpacity opacity_;  // where the filled slots' opaque texels lie
    bool culling_ = true;
    uint32_t drawn_ = 0;

    // Redrawing only what changed (see the class comment).
    bool tracking_ = true;
    bool listTracked_ = true;  // every quad of the list was hashed as submitted
    int current_ = 0;
    // The submitted pair does not describe the list (see RememberDrawn).
    bool submittedStale_ = false;
    bool drawnValid_ = false;   // there is a last drawn picture to compare with
    bool unpresented_ = false;  // it was drawn by DrawFrame and not shown yet
    uint32_t drawnCount_ = 0;
    int32_t drawnScreenMode_ = 0;
    float drawnTexelOffset_ = 0.0f;
    bool anyChanged_ = false;
    platform::ClipBox changed_{};  // the union of the changed quads' boxes
    bool lastSkipped_ = false;
    bool lastPartial_ = false;

    // The sprite list.
    uint32_t count_ = 0;
    uint32_t written_ = 0;  // entries written since the last clear: only these need zeroing

    // The list's arrays, the quads drawn, packed together, on frames where
    // some are left out, and the quads' hashes and boxes: 5.3 MB in all,
    // taken zeroed from the system so that only the pages frames write to
    // become resident (a title frame draws a few hundred quads of the 14,970).
    struct Lists {
        int32_t textures[kListCapacity];
        uint32_t colors[kListCapacity];
        BlendMode blendModes[kListCapacity];
        platform::SpriteVertex vertices[kListCapacity * 4];
        platform::BlendState states[kListCapacity];  // chosen per frame by RenderFrame
        platform::SpriteVertex drawnVertices[kListCapacity * 4];
        int32_t drawnTextures[kListCapacity];
        platform::BlendState drawnStates[kListCapacity];
        uint64_t quadHashes[2][kListCapacity];
        platform::ClipBox quadBoxes[2][kListCapacity];
    };
    base::Zeroed<Lists> lists_;
};
