#pragma once
// The sprite pipeline on OpenGL 3.3 core, in the context that is current:
// the shader program from SampleVS.glsl and SamplePS.glsl, the vertex and
// index buffers, and the 64 texture slots held as the layers of one
// 512 x 512 texture array (nearest filtering, repeat wrap). The array starts
// with the layers of the first kFirstLayers slots, which are all the game
// fills, and grows when a higher slot is filled: every layer costs 1 MiB,
// which a software rasterizer keeps in memory whether it is used or not.
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

    static constexpr int32_t kFirstLayers = 8;

    GlSpriteRenderer() = default;
    GlSpriteRenderer(const GlSpriteRenderer&) = delete;
    GlSpriteRenderer& operator=(const GlSpriteRenderer&) = delete;

    // Builds the pipeline in the current context and leaves it bound;
    // GlFailure::kNone on success.
    GlFailure Create(std::u16string_view shaderFolder);
    // Forgets every object (the context that owns them is being deleted or is lost).
    void Forget();
    bool Ready() const { return program_ != 0; }

    bool UploadTexture(int32_t slot, const uint16_t* texels);
    void ReleaseTexture(int32_t slot);
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
    // Makes the array `layers` deep, keeping the filled layers; false (and
    // the array as it was) when the device cannot.
    bool GrowTextureArray(int32_t layers);
    void DrawQuadByQuad(const SpriteVertex* vertices, const BlendState* states, uint32_t count);

    unsigned program_ = 0;
    unsigned unblendedProgram_ = 0;  // the same shaders, built for unblended runs
    unsigned vertexArray_ = 0;
    unsigned vertexBuffer_ = 0;
    unsigned quadBuffer_ = 0;
    unsigned indexBuffer_ = 0;
    unsigned textureArray_ = 0;
    int32_t layers_ = 0;  // layers of textureArray_
    bool slotFilled_[kTextureSlots] = {};
    Path path_ = Path::kBatched;
    // The per-vertex quad words (layer and flags), made once with the pipeline.
    std::unique_ptr<uint32_t[]> quadWords_;
    std::unique_ptr<uint8_t[]> runBlends_;  // each quad's blend in the batched path
};

}  // namespace platform
