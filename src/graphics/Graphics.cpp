#include "graphics/Graphics.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string_view>

#include "base/WideText.h"
#include "platform/Dialogs.h"
#include "world/Display.h"
#include "world/Folders.h"
#include "world/Settings.h"
#include "world/WorldState.h"

namespace {

// Design space to clip space. The y factor is the float nearest 0.00138888,
// a shade under 1/720. Rows land a hair off the pixel grid with it, and the
// reference pictures of the tests were drawn that way.
constexpr float kClipX = 0.00078125f;
constexpr float kClipY = 0.00138888f;
constexpr float kDepthScale = 0.0001f;
constexpr float kTurnedDepth = 0.8192f;
constexpr float kColorScale = 1.0f / 256.0f;  // a full channel gives 0.99609375

// Texel scales: textures below 528 are 512 texels wide, the others 128.
constexpr int32_t kWideTextureLimit = 528;
constexpr float kTexel512 = 0.001953125f;
constexpr float kTexel128 = 0.0078125f;

// Integer addition as the game's 32-bit arithmetic does it, wrapping instead of overflowing.
int32_t WrappingAdd(int32_t a, int32_t b) {
    return static_cast<int32_t>(static_cast<uint32_t>(a) + static_cast<uint32_t>(b));
}

// ---- Quads that cannot change a pixel ----

// Every pixel centre lies strictly inside -1 < x, y < 1 of clip space (the
// position's w is 1 and depth never clips), so a quad wholly at or beyond
// one edge covers none.
bool OutsideTheTarget(const platform::SpriteVertex* v) {
    auto all = [v](auto beyond) {
        return beyond(v[0]) && beyond(v[1]) && beyond(v[2]) && beyond(v[3]);
    };
    return all([](const platform::SpriteVertex& p) { return p.x <= -1.0f; }) ||
           all([](const platform::SpriteVertex& p) { return p.x >= 1.0f; }) ||
           all([](const platform::SpriteVertex& p) { return p.y <= -1.0f; }) ||
           all([](const platform::SpriteVertex& p) { return p.y >= 1.0f; });
}

// Whether the blend writes back the colour already there, whatever the
// picture. With f = (R, G, B) * A / 65536, the factor blend gives
// picture * f + target * (1 - f): the target itself when f is 0, that is when
// A or all of R, G, B are 0. Alpha blending gives picture * a + target *
// (1 - a); an untextured picture is (0, 0, 0, A / 256), the target itself when
// A is 0 (a texel's own alpha is 1). Tint replaces the target and the
// modulating blend squares it. Only colour counts: no blend reads the
// target's alpha, and the window shows none.
bool BlendKeepsTarget(platform::BlendState state, uint32_t color, bool textured) {
    const uint32_t alpha = color >> 24;
    switch (state) {
        case platform::BlendState::kFactor:
            return alpha == 0 || (color & 0x00FFFFFFu) == 0;
        case platform::BlendState::kAlpha:
            return !textured && alpha == 0;
        case platform::BlendState::kTint:
        case platform::BlendState::kModulate:
            break;
    }
    return false;
}

// Texture coordinates beyond this (in texture widths) are not reasoned about.
constexpr float kFarthestCoordinate = 4.0f;
// Quads that stretch more texels than this over a pixel are not reasoned about.
constexpr float kMostTexelsPerPixel = 64.0f;

struct TexelBox {
    int32_t left, top, right, bottom;
};

// The texels a quad can sample. Every fragment's texture coordinate is a
// blend of the corners' ones, so it lies in their bounding box, give or take
// rounding: the box is widened by a texel on each side for that. The rounding
// of interpolation grows with how many texels a pixel spans; a sliver (a quad
// turned almost edge-on) spans without bound, so quads that stretch more than
// kMostTexelsPerPixel texels over a pixel, or whose coordinates lie far out,
// get no box (false).
bool SampledTexels(const platform::SpriteVertex* v, TexelBox* box) {
    float uLow = v[0].u, uHigh = v[0].u, vLow = v[0].v, vHigh = v[0].v;
    for (int i = 1; i < 4; ++i) {
        uLow = std::min(uLow, v[i].u), uHigh = std::max(uHigh, v[i].u);
        vLow = std::min(vLow, v[i].v), vHigh = std::max(vHigh, v[i].v);
    }
    const float limit = kFarthestCoordinate;
    if (!(uLow >= -limit && uHigh <= limit && vLow >= -limit && vHigh <= limit))
        return false;  // far out, or not a number

    // The quad's sides from its left-bottom corner, in design pixels. No
    // altitude of either of its triangles is below area / reach, where reach
    // (the sides' lengths summed, each at most |x| + |y|) bounds every edge.
    const float side1X = (v[2].x - v[0].x) * 640.0f, side1Y = (v[2].y - v[0].y) * 360.0f;
    const float side2X = (v[1].x - v[0].x) * 640.0f, side2Y = (v[1].y - v[0].y) * 360.0f;
    const float area = std::fabs(side1X * side2Y - side1Y * side2X);
    const float reach =
        std::fabs(side1X) + std::fabs(side1Y) + std::fabs(side2X) + std::fabs(side2Y);
    const float size = static_cast<float>(platform::kTextureSize);
    const float spanned = (uHigh - uLow + vHigh - vLow) * size;
    if (!(spanned * reach <= kMostTexelsPerPixel * area))
        return false;

    box->left = static_cast<int32_t>(std::floor(uLow * size)) - 1;
    box->right = static_cast<int32_t>(std::floor(uHigh * size)) + 1;
    box->top = static_cast<int32_t>(std::floor(vLow * size)) - 1;
    box->bottom = static_cast<int32_t>(std::floor(vHigh * size)) + 1;
    return true;
}

// ---- What changed since the last drawn frame ----

constexpr platform::ClipBox kWholePicture{-1.0f, -1.0f, 1.0f, 1.0f};

// A 64-bit hash of every field of a request, in two lanes so that the
// multiplications overlap. Equal requests give equal quads while the texel
// offset and the textures stay as they were, which are compared apart.
uint64_t HashRequest(const SpriteRequest& request) {
    static_assert(sizeof(SpriteRequest) == 76, "19 four-byte fields");
    uint64_t words[10] = {};
    std::memcpy(words, &request, sizeof request);
    uint64_t a = 0x9E3779B97F4A7C15u;
    uint64_t b = 0xD1B54A32D192ED03u;
    for (int i = 0; i < 10; i += 2) {
        a = (a ^ words[i]) * 0xBF58476D1CE4E5B9u;
        b = (b ^ words[i + 1]) * 0x94D049BB133111EBu;
        a ^= a >> 31;
        b ^= b >> 29;
    }
    const uint64_t h = (a ^ (b * 0xFF51AFD7ED558CCDu)) * 0xC4CEB9FE1A85EC53u;
    return h ^ (h >> 32);
}

// The box around a quad's corners. A corner that is not a finite number may
// land anywhere, so such a quad counts as covering the whole picture.
platform::ClipBox BoxOf(const platform::SpriteVertex* v) {
    const float sum = v[0].x + v[1].x + v[2].x + v[3].x + v[0].y + v[1].y + v[2].y + v[3].y;
    if (!std::isfinite(sum))
        return kWholePicture;
    return {std::min(std::min(v[0].x, v[1].x), std::min(v[2].x, v[3].x)),
            std::min(std::min(v[0].y, v[1].y), std::min(v[2].y, v[3].y)),
            std::max(std::max(v[0].x, v[1].x), std::max(v[2].x, v[3].x)),
            std::max(std::max(v[0].y, v[1].y), std::max(v[2].y, v[3].y))};
}

void Unite(platform::ClipBox* into, const platform::ClipBox& box) {
    into->left = std::min(into->left, box.left);
    into->bottom = std::min(into->bottom, box.bottom);
    into->right = std::max(into->right, box.right);
    into->top = std::max(into->top, box.top);
}

// Whether a quad inside `quad` covers no pixel centre inside `box`.
bool Apart(const platform::ClipBox& quad, const platform::ClipBox& box) {
    return quad.right <= box.left || quad.left >= box.right || quad.top <= box.bottom ||
           quad.bottom >= box.top;
}

// The share of the picture a box covers, 0..1.
float PictureShare(const platform::ClipBox& box) {
    const float width = std::min(box.right, 1.0f) - std::max(box.left, -1.0f);
    const float height = std::min(box.top, 1.0f) - std::max(box.bottom, -1.0f);
    return width > 0.0f && height > 0.0f ? width * height / 4.0f : 0.0f;
}

// Above this share of the picture, a whole redraw costs less than a clipped
// one: a scissor makes a software rasterizer's clear and fill slower.
constexpr float kMostPartialShare = 0.5f;

bool RedrawAlwaysRequested() {
    const char* value = std::getenv("TESSARY_REDRAW_ALWAYS");
    return value != nullptr && value[0] != '\0' && std::strcmp(value, "0") != 0;
}

uint32_t FloatBits(float value) {
    uint32_t bits = 0;
    std::memcpy(&bits, &value, sizeof bits);
    return bits;
}

}  // namespace

Graphics::Graphics(Display& display, const Settings& settings, const Folders& folders,
                   const WorldState& world)
    : display_(display),
      settings_(settings),
      folders_(folders),
      world_(world),
      lists_(base::MakeZeroed<Lists>()) {
    if (!lists_) {
        std::fprintf(stderr, "Tessary: no memory for the sprite list\n");
        std::abort();
    }
    SetRedrawAlways(RedrawAlwaysRequested());
}

Graphics::~Graphics() {
    ReleaseDevice();
}

void Graphics::ShowMessage(std::string_view text, std::string_view caption,
                           std::string_view detail) {
    platform::ShowOrPrint(dialogs_, text, caption, detail);
}

base::Outcome Graphics::CreateDevice() {
    if (gpu_ == nullptr || window_ == nullptr)
        return base::Outcome::Failed("no drawing device or window to draw in");
    std::fill(std::begin(slotFilled_), std::end(slotFilled_), false);
    opacity_.ForgetAll();
    drawnValid_ = false;
    // The shader files lie beside the program, wherever it was started from.
    return gpu_->Create(*window_, folders_.programFolder);
}

void Graphics::ReleaseDevice() {
    drawnValid_ = false;
    std::fill(std::begin(slotFilled_), std::end(slotFilled_), false);
    opacity_.ForgetAll();
    if (gpu_ != nullptr)
        gpu_->Release();
}

void Graphics::ClearDevicePointers() {
    drawnValid_ = false;
    std::fill(std::begin(slotFilled_), std::end(slotFilled_), false);
    opacity_.ForgetAll();
    if (gpu_ != nullptr)
        gpu_->Forget();
}

void Graphics::DrawFrame() {
    if (gpu_ == nullptr || !gpu_->IsCreated())
        return;
    gpu_->KeepNextPicture(true);
    Draw(nullptr);
    RememberDrawn();
    unpresented_ = true;
}

void Graphics::Draw(const platform::ClipBox* limit) {
    const platform::ClipBox covered = gpu_->LimitDrawing(limit);
    gpu_->Clear();
    // A limited frame leaves out the quads wholly outside what it covers.
    const platform::ClipBox* boxes = limit == nullptr  ? nullptr
                                     : submittedStale_ ? DrawnBoxes()
                                                       : SubmittedBoxes();
    // The list goes to the device as it is until the first quad is left out;
    // from then on, the quads drawn are packed into the drawn arrays.
    uint32_t kept = 0;
    bool packed = false;
    for (uint32_t quad = 0; quad < count_; ++quad) {
        const platform::BlendState state =
            ChooseBlendState(lists_->blendModes[quad], lists_->colors[quad]);
        lists_->states[quad] = state;
        if (boxes != nullptr && Apart(boxes[quad], covered))
            continue;
        if (culling_ && CannotChangeAPixel(quad, state))
            continue;
        if (kept != quad) {
            if (!packed) {
                std::copy_n(lists_->vertices, kept * 4, lists_->drawnVertices);
                std::copy_n(lists_->textures, kept, lists_->drawnTextures);
                std::copy_n(lists_->states, kept, lists_->drawnStates);
                packed = true;
            }
            std::copy_n(&lists_->vertices[quad * 4], 4, &lists_->drawnVertices[kept * 4]);
            lists_->drawnTextures[kept] = lists_->textures[quad];
            lists_->drawnStates[kept] = state;
        }
        ++kept;
    }
    drawn_ = kept;
    if (packed) {
        gpu_->DrawSprites(lists_->drawnVertices, lists_->drawnTextures, lists_->drawnStates, kept);
    } else {
        gpu_->DrawSprites(lists_->vertices, lists_->textures, lists_->states, kept);
    }
}

bool Graphics::CannotChangeAPixel(uint32_t quad, platform::BlendState state) const {
    const platform::SpriteVertex* corners = &lists_->vertices[quad * 4];
    if (OutsideTheTarget(corners))
        return true;
    const int32_t texture = lists_->textures[quad];
    const bool textured = TextureSlotFilled(texture);
    if (BlendKeepsTarget(state, lists_->colors[quad], textured))
        return true;
    // Every texel it can sample is discarded by the pixel shader.
    TexelBox box;
    return textured && opacity_.Known(texture) && SampledTexels(corners, &box) &&
           opacity_.Transparent(texture, box.left, box.top, box.right, box.bottom);
}

void Graphics::RememberDrawn() {
    anyChanged_ = false;
    unpresented_ = false;
    drawnValid_ = listTracked_;
    if (!listTracked_)
        return;
    // The submitted pair becomes the drawn one; until the list is cleared or
    // added to, the drawn pair is what describes it.
    if (!submittedStale_) {
        current_ ^= 1;
        submittedStale_ = true;
    }
    drawnCount_ = count_;
    drawnScreenMode_ = display_.screenMode;
    drawnTexelOffset_ = settings_.texelOffset;
}

bool Graphics::LastPictureStands() {
    return tracking_ && drawnValid_ && listTracked_ && drawnScreenMode_ == display_.screenMode &&
           FloatBits(drawnTexelOffset_) == FloatBits(settings_.texelOffset) &&
           gpu_->PictureIntact();
}

void Graphics::SetRedrawAlways(bool always) {
    tracking_ = !always;
    // Submissions made while it was off were not hashed: the list counts as
    // unknown until it is cleared.
    listTracked_ = tracking_ && count_ == 0;
    submittedStale_ = false;
    drawnValid_ = false;
}

void Graphics::InvalidatePicture() {
    drawnValid_ = false;
    if (gpu_ != nullptr)
        gpu_->InvalidatePicture();
}

platform::DeviceStatus Graphics::RenderFrame() {
    lastSkipped_ = false;
    lastPartial_ = false;
    if (gpu_ == nullptr || !gpu_->IsCreated())
        return platform::DeviceStatus::kOk;
    bool draw = true;
    bool keep = true;
    const platform::ClipBox* limit = nullptr;
    if (LastPictureStands()) {
        // The quads the list no longer reaches were changed too.
        for (uint32_t quad = count_; quad < drawnCount_; ++quad) {
            if (!anyChanged_) {
                changed_ = DrawnBoxes()[quad];
                anyChanged_ = true;
            }
            Unite(&changed_, DrawnBoxes()[quad]);
        }
        if (!anyChanged_ && !unpresented_) {
            lastSkipped_ = true;  // the same picture: nothing to draw or show
            return platform::DeviceStatus::kOk;
        }
        draw = anyChanged_;
        if (draw && PictureShare(changed_) <= kMostPartialShare) {
            if (gpu_->PictureKept()) {
                limit = &changed_;
                lastPartial_ = true;
            }
        } else if (draw) {
            // Most of the picture changed: as likely again next frame, so it
            // goes straight to the window without being kept.
            keep = false;
        }
    }
    if (draw) {
        gpu_->KeepNextPicture(keep);
        Draw(limit);
        RememberDrawn();
    }
    unpresented_ = false;
    return Present(gpu_->Present(display_.vsync != 0));
}

platform::DeviceStatus Graphics::PresentLastPicture() {
    if (gpu_ == nullptr || !gpu_->IsCreated())
        return platform::DeviceStatus::kOk;
    if (!gpu_->PictureKept()) {
        // It went straight to the window: draw the list again, kept this time.
        gpu_->KeepNextPicture(true);
        Draw(nullptr);
        RememberDrawn();
    }
    return Present(gpu_->PresentAgain(display_.vsync != 0));
}

platform::DeviceStatus Graphics::Present(platform::DeviceStatus result) {
    if (result == platform::DeviceStatus::kRemoved || result == platform::DeviceStatus::kReset)
        display_.deviceLostRequest = 1;
    return result;
}

platform::DeviceStatus Graphics::DeviceRemovedReason() {
    if (gpu_ == nullptr || !gpu_->IsCreated())
        return platform::DeviceStatus::kOk;
    return gpu_->RemovedReason();
}

bool Graphics::FillTextureSlot(int32_t slot, const uint16_t* texels) {
    if (slot < 0 || slot >= kTextureSlots || gpu_ == nullptr)
        return false;
    drawnValid_ = false;  // the pictures that sample it change
    slotFilled_[slot] = gpu_->UploadTexture(slot, texels);
    if (slotFilled_[slot]) {
        opacity_.Learn(slot, texels);
    } else {
        opacity_.Forget(slot);
    }
    return slotFilled_[slot];
}

void Graphics::ReleaseTextureSlot(int32_t slot) {
    if (slot < 0 || slot >= kTextureSlots)
        return;
    if (slotFilled_[slot] && gpu_ != nullptr)
        gpu_->ReleaseTexture(slot);
    if (slotFilled_[slot])
        drawnValid_ = false;
    slotFilled_[slot] = false;
    opacity_.Forget(slot);
}

void Graphics::ReserveTextureSlots(int32_t slots) {
    if (gpu_ != nullptr)
        gpu_->ReserveTextures(slots);
}

bool Graphics::TextureSlotFilled(int32_t slot) const {
    return slot >= 0 && slot < kTextureSlots && slotFilled_[slot];
}

void Graphics::ClearSpriteList() {
    // Entries past those written since the last clear are zero already.
    count_ = 0;
    listTracked_ = tracking_;
    submittedStale_ = false;
    anyChanged_ = false;
    std::memset(lists_->textures, 0, written_ * sizeof lists_->textures[0]);
    std::memset(lists_->colors, 0, written_ * sizeof lists_->colors[0]);
    std::memset(lists_->vertices, 0, written_ * 4 * sizeof lists_->vertices[0]);
    written_ = 0;
}

platform::BlendState Graphics::ChooseBlendState(BlendMode blendMode, uint32_t color) {
    using platform::BlendState;
    if (blendMode == BlendMode::kModulate)
        return BlendState::kModulate;
    if (blendMode != BlendMode::kNormal)
        return BlendState::kAlpha;
    if ((color >> 24) != 0xFF)
        return BlendState::kFactor;
    if ((color & 0x00FFFFFFu) == 0x00FFFFFFu)
        return BlendState::kAlpha;
    return BlendState::kTint;
}

void Graphics::SubmitSprite(const SpriteRequest& request) {
    if (observer_ != nullptr)
        observer_->OnSubmit(request);
    // The quad's own values, then the count, which stops at 14,969.
    const uint32_t n = count_;
    lists_->textures[n] = request.texture;
    lists_->colors[n] = request.color;
    lists_->blendModes[n] = request.blendMode;
    if (count_ < kMaxVisible)
        ++count_;
    written_ = std::max(written_, n + 1);

    // Texture edges: integer sums, then float, then the texel scale.
    const float k = request.texture < kWideTextureLimit ? kTexel512 : kTexel128;
    const float left = static_cast<float>(request.srcX) * k;
    const float right = static_cast<float>(WrappingAdd(request.srcX, request.srcWidth)) * k;
    const float top = static_cast<float>(request.srcY) * k;
    const float bottom = static_cast<float>(WrappingAdd(request.srcY, request.srcHeight)) * k;

    // Texture coordinates by flip, nudged by the texel offset e.
    // Corners: 0 left-bottom, 1 left-top, 2 right-bottom, 3 right-top.
    const float e = settings_.texelOffset;
    float u[4];
    float v[4];
    switch (request.flip) {
        case 1:
            u[0] = right - e, v[0] = bottom + e;
            u[1] = right - e, v[1] = top + e;
            u[2] = left - e, v[2] = bottom + e;
            u[3] = left - e, v[3] = top + e;
            break;
        case 2:
            u[0] = left + e, v[0] = top - e;
            u[1] = left + e, v[1] = bottom + e;
            u[2] = right + e, v[2] = top - e;
            u[3] = right + e, v[3] = bottom + e;
            break;
        case 3:
            u[0] = right + e, v[0] = top - e;
            u[1] = right + e, v[1] = bottom + e;
            u[2] = left - e, v[2] = top - e;
            u[3] = left - e, v[3] = bottom + e;
            break;
        default:
            u[0] = left + e, v[0] = bottom + e;
            u[1] = left + e, v[1] = top + e;
            u[2] = right + e, v[2] = bottom + e;
            u[3] = right + e, v[3] = top + e;
            break;
    }

    // Corners about the pivot, scaled.
    const float cornerLeft = -request.pivotX * request.scaleX;
    const float cornerRight = (static_cast<float>(request.width) - request.pivotX) * request.scaleX;
    const float cornerTop = -request.pivotY * request.scaleY;
    const float cornerBottom =
        (static_cast<float>(request.height) - request.pivotY) * request.scaleY;
    float px[4] = {cornerLeft, cornerLeft, cornerRight, cornerRight};
    float py[4] = {cornerBottom, cornerTop, cornerBottom, cornerTop};
    float pz[4] = {0.5f, 0.5f, 0.5f, 0.5f};

    // The three turns, in the screen plane, about the vertical axis, then
    // about the horizontal axis; each uses the old values of what it changes.
    const bool turned = request.angleX != 0 || request.angleY != 0 || request.angleZ != 0;
    if (turned) {
        const AngleTable& table = world_.angleTable;
        auto cosOf = [&table](int32_t angle) {
            return static_cast<float>(table.cosine[angle & 0xFF]);
        };
        auto sinOf = [&table](int32_t angle) {
            return static_cast<float>(table.sine[angle & 0xFF]);
        };
        const float cz = cosOf(request.angleZ), sz = sinOf(request.angleZ);
        const float cy = cosOf(request.angleY), sy = sinOf(request.angleY);
        const float cx = cosOf(request.angleX), sx = sinOf(request.angleX);
        for (int i = 0; i < 4; ++i) {
            float x = px[i], y = py[i], z = pz[i];
            const float x1 = x * cz - y * sz;
            const float y1 = y * cz + x * sz;
            x = x1, y = y1;
            const float x2 = x * cy + z * sy;
            const float z2 = z * cy - x * sy;
            x = x2, z = z2;
            const float y3 = y * cx - z * sx;
            const float z3 = z * cx + y * sx;
            y = y3, z = z3;
            px[i] = x, py[i] = y, pz[i] = z;
        }
    }

    // Back to the screen, into clip space, and the colour.
    const float pivotScreenX = static_cast<float>(request.x) + request.pivotX;
    const float pivotScreenY = static_cast<float>(request.y) + request.pivotY;
    const uint32_t c = request.color;
    const float red = static_cast<float>((c >> 16) & 0xFF) * kColorScale;
    const float green = static_cast<float>((c >> 8) & 0xFF) * kColorScale;
    const float blue = static_cast<float>(c & 0xFF) * kColorScale;
    const float alpha = static_cast<float>(c >> 24) * kColorScale;
    platform::SpriteVertex* out = &lists_->vertices[n * 4];
    for (int i = 0; i < 4; ++i) {
        const float x = px[i] + pivotScreenX;
        const float y = py[i] + pivotScreenY;
        float z = pz[i] * kDepthScale;
        if (turned)
            z += kTurnedDepth;
        out[i] = {(2.0f * x - 1280.0f) * kClipX,
                  (720.0f - 2.0f * y) * kClipY,
                  z,
                  red,
                  green,
                  blue,
                  alpha,
                  u[i],
                  v[i]};
    }
    if (listTracked_ && n < kMaxVisible)
        Track(n, request);
}

void Graphics::Track(uint32_t n, const SpriteRequest& request) {
    if (submittedStale_) {
        // Added to without a clear since the list was drawn: the drawn pair
        // describes the quads before this one.
        std::copy_n(DrawnHashes(), n, SubmittedHashes());
        std::copy_n(DrawnBoxes(), n, SubmittedBoxes());
        submittedStale_ = false;
    }
    const uint64_t hash = HashRequest(request);
    const platform::ClipBox box = BoxOf(&lists_->vertices[n * 4]);
    SubmittedHashes()[n] = hash;
    SubmittedBoxes()[n] = box;
    if (n < drawnCount_ && DrawnHashes()[n] == hash)
        return;
    // Changed: what it covers now, and what the quad in its place covered.
    if (!anyChanged_) {
        changed_ = box;
        anyChanged_ = true;
    }
    Unite(&changed_, box);
    if (n < drawnCount_)
        Unite(&changed_, DrawnBoxes()[n]);
}
