#pragma once
// The sprite pipeline on OpenGL 3.3 core, in the context that is current:
// the shader program from SampleVS.glsl and SamplePS.glsl, the vertex and
// index buffers, and the 64 texture slots held as the layers of one
// 512 x 512 texture array (nearest filtering, repeat wrap). A software
// rasterizer keeps all of a texture or buffer in memory, zeroed, whether it is
// used or not, so both grow with use: the array by one layer (1 MiB) for each
// slot filled for the first time, the buffers to the most quads a frame has
// drawn.
// The game's 1-5-5-5 texels are stored widened to 8 bits a channel: a 5-bit
// level v becomes the 8-bit value nearest to v / 31, what the 1-5-5-5 format reads as.
//
// Quads can be drawn two ways that give the same pixels:
// - batched (the normal path): each quad's blend factor comes from its vertex
//   colour through dual-source blending, so one draw call covers every run of
//   quads that share a blend function; quads blended by source alpha and by
//   their colour factor share one. Textured quads under alpha blend may be
//   drawn unblended instead, which a software rasterizer does faster: their
//   texels are either discarded or fully opaque. Only stretches of them big
//   enough to pay for the extra draws are.
// - quad by quad (the reference): one draw per quad, with the blend factor set
//   as the constant blend colour, exactly as the drawing rules describe them.
//
// Every object lives in the device's own context, so deleting the context
// frees them all; Release only forgets the handles.

#include <cstdint>
#include <filesystem>
#include <memory>
#include <string_view>

#include "platform/GpuDevice.h"

namespace platform {

// Why making the OpenGL device failed; each failure has also been written to
// standard error with the library's own words.
enum class GlFailure : uint8_t {
    kNone,
    kNotSdlWindow,  // no SdlWindow, or it has no window
    kNoContext,     // no GL 3.3 core context could be made
    kMakeCurrent,   // the context could not be made current
    kShaderFile,    // a shader file is missing or unreadable
    kShader,        // a shader did not compile or link
    kResources,     // a buffer or texture could not be made
};

class GlSpriteRenderer {
public:
    enum class Path { kBatched, kQuadByQuad };

    // The sprite list's size: 14,969 visible quads and one that is never drawn.
    static constexpr uint32_t kMaxQuads = 14970;

    // Quads the buffers hold at first; they double when a frame needs more.
    static constexpr uint32_t kFirstBufferQuads = 1024;

    GlSpriteRenderer() = default;
    GlSpriteRenderer(const GlSpriteRenderer&) = delete;
    GlSpriteRenderer& operator=(const GlSpriteRenderer&) = delete;

    // Builds the pipeline in the current context and leaves it bound;
    // GlFailure::kNone on success.
    GlFailure Create(const std::filesystem::path& shaderFolder);
    // Forgets every object (the context that owns them is being deleted or is lost).
    void Forget();
    bool Ready() const { return program_ != 0; }

    bool UploadTexture(int32_t slot, const uint16_t* texels);
    void ReleaseTexture(int32_t slot);
    // Deepens the array to `layers` at once, ahead of the uploads that need them.
    void ReserveLayers(int32_t layers);
    bool SlotFilled(int32_t slot) const;

    void Draw(const SpriteVertex* vertices, const int32_t* textures, const BlendState* states,
              uint32_t count);

    void SetPath(Path path) { path_ = path; }
    Path path() const { return path_; }

private:
    // Fills the per-vertex quad words for quads 0..count-1 and uploads them with the vertices.
    void Upload(const SpriteVertex* vertices, const int32_t* textures, const BlendState* states,
                uint32_t count);
    // Chooses how each quad is blended in the batched path (see BatchBlend in the .cpp).
    void ChooseRunBlends(const SpriteVertex* vertices, const int32_t* textures,
                         const BlendState* states, uint32_t count);
    void DrawBatched(uint32_t count);
    // Makes the array `layers` deep, keeping the layers given to slots;
    // false (and the array as it was) when the device cannot.
    bool GrowTextureArray(int32_t layers);
    // Gives the vertex, quad and index buffers room for `quads` quads;
    // false when the device cannot.
    bool SizeBuffers(uint32_t quads);
    // Grows the buffers for `count` quads if they are smaller; returns how
    // many quads fit (fewer only when the device has no room for more).
    uint32_t RoomForQuads(uint32_t count);
    void DrawQuadByQuad(const SpriteVertex* vertices, const BlendState* states, uint32_t count);

    unsigned program_ = 0;
    unsigned unblendedProgram_ = 0;  // the same shaders, built for unblended runs
    unsigned vertexArray_ = 0;
    unsigned vertexBuffer_ = 0;
    unsigned quadBuffer_ = 0;
    unsigned indexBuffer_ = 0;
    unsigned textureArray_ = 0;
    int32_t layers_ = 0;                     // layers of textureArray_
    int32_t layersTaken_ = 0;                // layers given to slots: the first ones
    uint32_t bufferQuads_ = 0;               // quads the buffers have room for
    uint8_t slotLayer_[kTextureSlots] = {};  // 1 + the slot's layer; 0: none yet
    bool slotFilled_[kTextureSlots] = {};
    Path path_ = Path::kBatched;
    // The per-vertex quad words (layer and flags), made once with the pipeline.
    std::unique_ptr<uint32_t[]> quadWords_;
    std::unique_ptr<uint8_t[]> runBlends_;  // each quad's blend in the batched path
};

}  // namespace platform
