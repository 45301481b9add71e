#include "platform/GlSpriteRenderer.h"

#include <epoxy/gl.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <string>
#include <vector>

#include "platform/Files.h"

namespace platform {
namespace {

constexpr uint32_t kNoTexture = 127;      // quad word: no layer to sample
constexpr uint32_t kFactorIsAlpha = 128;  // quad word: blend factor = the picture's alpha
constexpr int kIndicesPerQuad = 6;        // two triangles

// Reads a whole text file; false when it cannot be opened or read.
bool ReadTextFile(const std::filesystem::path& path, std::string* out) {
    FILE* file = OpenFile(path, "rb");
    if (file == nullptr)
        return false;
    out->clear();
    char chunk[4096];
    size_t got = 0;
    while ((got = std::fread(chunk, 1, sizeof chunk, file)) > 0)
        out->append(chunk, got);
    const bool ok = std::ferror(file) == 0;
    std::fclose(file);
    return ok;
}

GLuint CompileShader(GLenum kind, const std::string& source, const char* fileName) {
    const GLuint shader = glCreateShader(kind);
    const char* text = source.c_str();
    const GLint length = static_cast<GLint>(source.size());
    glShaderSource(shader, 1, &text, &length);
    glCompileShader(shader);
    GLint compiled = GL_FALSE;
    glGetShaderiv(shader, GL_COMPILE_STATUS, &compiled);
    if (compiled != GL_TRUE) {
        char log[2048] = {};
        glGetShaderInfoLog(shader, sizeof log, nullptr, log);
        std::fprintf(stderr, "Tessary: the shader %s does not compile:\n%s\n", fileName, log);
        glDeleteShader(shader);
        return 0;
    }
    return shader;
}

// Compiles and links the two shaders; 0 (after printing the GL log) when either fails.
GLuint LinkProgram(const std::string& vertexSource, const std::string& pixelSource) {
    const GLuint vertexShader = CompileShader(GL_VERTEX_SHADER, vertexSource, "SampleVS.glsl");
    const GLuint pixelShader = CompileShader(GL_FRAGMENT_SHADER, pixelSource, "SamplePS.glsl");
    if (vertexShader == 0 || pixelShader == 0) {
        glDeleteShader(vertexShader);
        glDeleteShader(pixelShader);
        return 0;
    }
    const GLuint program = glCreateProgram();
    glAttachShader(program, vertexShader);
    glAttachShader(program, pixelShader);
    glLinkProgram(program);
    glDetachShader(program, vertexShader);
    glDetachShader(program, pixelShader);
    glDeleteShader(vertexShader);
    glDeleteShader(pixelShader);
    GLint linked = GL_FALSE;
    glGetProgramiv(program, GL_LINK_STATUS, &linked);
    if (linked != GL_TRUE) {
        char log[2048] = {};
        glGetProgramInfoLog(program, sizeof log, nullptr, log);
        std::fprintf(stderr, "Tessary: SampleVS.glsl and SamplePS.glsl do not link:\n%s\n", log);
        glDeleteProgram(program);
        return 0;
    }
    glUseProgram(program);
    glUniform1i(glGetUniformLocation(program, "pictures"), 0);
    return program;
}

// The shader source with `name` defined, right after its #version line (which
// must come first); #line keeps the compiler's line numbers those of the file.
std::string WithDefine(const std::string& source, const char* name) {
    const size_t firstLineEnd = source.find('\n');
    const size_t cut = firstLineEnd == std::string::npos ? source.size() : firstLineEnd + 1;
    std::string out = source.substr(0, cut);
    if (firstLineEnd == std::string::npos)
        out += '\n';
    out += "#define ";
    out += name;
    out += "\n#line 2\n";
    out += source.substr(cut);
    return out;
}

// Clears the GL error flags, so that the check after a step sees only its own.
void DropEarlierErrors() {
    while (glGetError() != GL_NO_ERROR) {
    }
}

// A texture array of `layers` 512 x 512 RGBA8 layers, left bound: nearest
// texel, repeat wrap, no mip levels.
GLuint MakeTextureArray(int32_t layers) {
    GLuint texture = 0;
    glGenTextures(1, &texture);
    glBindTexture(GL_TEXTURE_2D_ARRAY, texture);
    glTexImage3D(GL_TEXTURE_2D_ARRAY, 0, GL_RGBA8, kTextureSize, kTextureSize, layers, 0, GL_BGRA,
                 GL_UNSIGNED_BYTE, nullptr);
    glTexParameteri(GL_TEXTURE_2D_ARRAY, GL_TEXTURE_MIN_FILTER, GL_NEAREST);
    glTexParameteri(GL_TEXTURE_2D_ARRAY, GL_TEXTURE_MAG_FILTER, GL_NEAREST);
    glTexParameteri(GL_TEXTURE_2D_ARRAY, GL_TEXTURE_WRAP_S, GL_REPEAT);
    glTexParameteri(GL_TEXTURE_2D_ARRAY, GL_TEXTURE_WRAP_T, GL_REPEAT);
    glTexParameteri(GL_TEXTURE_2D_ARRAY, GL_TEXTURE_BASE_LEVEL, 0);
    glTexParameteri(GL_TEXTURE_2D_ARRAY, GL_TEXTURE_MAX_LEVEL, 0);
    return texture;
}

// The GL blend function of a state when the factor is the constant blend colour.
void SetConstantBlend(BlendState state) {
    switch (state) {
        case BlendState::kAlpha:
            glBlendFuncSeparate(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA, GL_ONE, GL_ZERO);
            break;
        case BlendState::kFactor:
            glBlendFuncSeparate(GL_CONSTANT_COLOR, GL_ONE_MINUS_CONSTANT_COLOR, GL_ONE, GL_ZERO);
            break;
        case BlendState::kTint:
            glBlendFuncSeparate(GL_CONSTANT_COLOR, GL_ZERO, GL_ONE, GL_ZERO);
            break;
        case BlendState::kModulate:
            glBlendFuncSeparate(GL_ONE_MINUS_CONSTANT_COLOR, GL_DST_COLOR, GL_ONE, GL_ZERO);
            break;
    }
}

// How a run of quads is blended when the factor is the shader's second
// output. Alpha blend and factor blend are one function: the shader hands
// over the source alpha as the factor. A textured quad under alpha blend needs
// no blending at all: its texels are discarded (alpha 0) or have alpha 1,
// which gives picture * 1 + target * 0, the picture itself; drawing it
// unblended (with the program built with UNBLENDED, which hands over no
// factor) is the same pixels, and on a software rasterizer much cheaper.
enum class BatchBlend { kReplace, kSourceFactor, kTint, kModulate };

BatchBlend BatchBlendOf(BlendState state, bool textured) {
    switch (state) {
        case BlendState::kTint:
            return BatchBlend::kTint;
        case BlendState::kModulate:
            return BatchBlend::kModulate;
        case BlendState::kAlpha:
            return textured ? BatchBlend::kReplace : BatchBlend::kSourceFactor;
        case BlendState::kFactor:
            break;
    }
    return BatchBlend::kSourceFactor;
}

// An unblended run between quads blended by the source factor costs two more
// draws; one smaller than this (in design pixels) joins those quads instead,
// blended by its texels' own alpha: the same pixels, fewer draws.
constexpr float kSmallestUnblendedRun = 16384.0f;

// A quad's area in design pixels.
float DesignArea(const SpriteVertex* v) {
    const float side1X = (v[2].x - v[0].x) * 640.0f, side1Y = (v[2].y - v[0].y) * 360.0f;
    const float side2X = (v[1].x - v[0].x) * 640.0f, side2Y = (v[1].y - v[0].y) * 360.0f;
    return std::fabs(side1X * side2Y - side1Y * side2X);
}

void SetBatchBlend(BatchBlend blend) {
    if (blend == BatchBlend::kReplace) {
        glDisable(GL_BLEND);
        return;
    }
    glEnable(GL_BLEND);
    switch (blend) {
        case BatchBlend::kSourceFactor:
            glBlendFuncSeparate(GL_SRC1_COLOR, GL_ONE_MINUS_SRC1_COLOR, GL_ONE, GL_ZERO);
            break;
        case BatchBlend::kTint:
            glBlendFuncSeparate(GL_SRC1_COLOR, GL_ZERO, GL_ONE, GL_ZERO);
            break;
        case BatchBlend::kModulate:
            glBlendFuncSeparate(GL_ONE_MINUS_SRC1_COLOR, GL_DST_COLOR, GL_ONE, GL_ZERO);
            break;
        case BatchBlend::kReplace:
            break;
    }
}

}  // namespace

GlFailure GlSpriteRenderer::Create(const std::filesystem::path& shaderFolder) {
    Forget();

    // The shader files beside the program.
    std::string sources[2];
    const char* const names[2] = {"SampleVS.glsl", "SamplePS.glsl"};
    for (int i = 0; i < 2; ++i) {
        const std::filesystem::path path = shaderFolder / names[i];
        if (!ReadTextFile(path, &sources[i])) {
            std::fprintf(stderr, "Tessary: cannot read the shader file %s\n", path.c_str());
            return GlFailure::kShaderFile;
        }
    }

    // The programs: the pixel shader as it is, for blended runs, and
    // built once more for unblended runs (see BatchBlend).
    const GLuint program = LinkProgram(sources[0], sources[1]);
    const GLuint unblendedProgram =
        program != 0 ? LinkProgram(sources[0], WithDefine(sources[1], "UNBLENDED")) : 0;
    if (unblendedProgram == 0) {
        glDeleteProgram(program);
        return GlFailure::kShader;
    }

    // Vertex buffers: the sprite vertices (position, colour, texture
    // coordinate) and one quad word per vertex, and the index buffer; their
    // storage is sized by SizeBuffers.
    glGenVertexArrays(1, &vertexArray_);
    glBindVertexArray(vertexArray_);
    glGenBuffers(1, &vertexBuffer_);
    glGenBuffers(1, &quadBuffer_);
    glGenBuffers(1, &indexBuffer_);
    if (!SizeBuffers(kFirstBufferQuads)) {
        glDeleteProgram(program);
        glDeleteProgram(unblendedProgram);
        std::fprintf(stderr, "Tessary: making the sprite pipeline's buffers failed\n");
        return GlFailure::kResources;
    }
    constexpr GLsizei kStride = sizeof(SpriteVertex);
    glBindBuffer(GL_ARRAY_BUFFER, vertexBuffer_);
    glEnableVertexAttribArray(0);
    glVertexAttribPointer(0, 3, GL_FLOAT, GL_FALSE, kStride, reinterpret_cast<void*>(0));
    glEnableVertexAttribArray(1);
    glVertexAttribPointer(1, 4, GL_FLOAT, GL_FALSE, kStride, reinterpret_cast<void*>(12));
    glEnableVertexAttribArray(2);
    glVertexAttribPointer(2, 2, GL_FLOAT, GL_FALSE, kStride, reinterpret_cast<void*>(28));
    glBindBuffer(GL_ARRAY_BUFFER, quadBuffer_);
    glEnableVertexAttribArray(3);
    glVertexAttribIPointer(3, 1, GL_UNSIGNED_INT, sizeof(uint32_t), reinterpret_cast<void*>(0));
    // Written for the quads of each frame before they are read; left
    // uninitialised, only the pages frames use become resident.
    if (!quadWords_)
        quadWords_ = std::make_unique_for_overwrite<uint32_t[]>(kMaxQuads * 4);
    if (!runBlends_)
        runBlends_ = std::make_unique_for_overwrite<uint8_t[]>(kMaxQuads);

    // The texture array: one layer now, one more for each slot filled for
    // the first time (see UploadTexture).
    glActiveTexture(GL_TEXTURE0);
    textureArray_ = MakeTextureArray(1);
    layers_ = 1;

    // Fixed state: no depth test (there is no depth buffer to decide what
    // is seen), no culling, no depth clipping, every pixel blended.
    glDisable(GL_DEPTH_TEST);
    glDisable(GL_CULL_FACE);
    glDisable(GL_SCISSOR_TEST);
    glEnable(GL_DEPTH_CLAMP);
    glEnable(GL_BLEND);
    glBlendEquation(GL_FUNC_ADD);
    glColorMask(GL_TRUE, GL_TRUE, GL_TRUE, GL_TRUE);
    glUseProgram(program);

    const GLenum error = glGetError();
    program_ = program;
    unblendedProgram_ = unblendedProgram;
    if (error != GL_NO_ERROR) {
        std::fprintf(stderr, "Tessary: making the sprite pipeline failed (GL error 0x%04X)\n",
                     error);
        return GlFailure::kResources;
    }
    return GlFailure::kNone;
}

void GlSpriteRenderer::Forget() {
    program_ = 0;
    unblendedProgram_ = 0;
    vertexArray_ = 0;
    vertexBuffer_ = 0;
    quadBuffer_ = 0;
    indexBuffer_ = 0;
    textureArray_ = 0;
    layers_ = 0;
    layersTaken_ = 0;
    bufferQuads_ = 0;
    std::fill(std::begin(slotFilled_), std::end(slotFilled_), false);
    std::fill(std::begin(slotLayer_), std::end(slotLayer_), 0);
}

bool GlSpriteRenderer::SizeBuffers(uint32_t quads) {
    DropEarlierErrors();
    glBindBuffer(GL_ARRAY_BUFFER, vertexBuffer_);
    glBufferData(GL_ARRAY_BUFFER, quads * 4 * sizeof(SpriteVertex), nullptr, GL_STREAM_DRAW);
    glBindBuffer(GL_ARRAY_BUFFER, quadBuffer_);
    glBufferData(GL_ARRAY_BUFFER, quads * 4 * sizeof(uint32_t), nullptr, GL_STREAM_DRAW);
    // Quad i is the two triangles of the strip 4i..4i+3, in the strip's own
    // corner order (0 1 2, then 2 1 3), so that a run of quads draws as one
    // call and rasterizes exactly as the quads' strips would.
    std::vector<GLuint> indices(size_t{quads} * kIndicesPerQuad);
    for (uint32_t quad = 0; quad < quads; ++quad) {
        GLuint* entry = &indices[quad * kIndicesPerQuad];
        const GLuint first = quad * 4;
        const GLuint corners[kIndicesPerQuad] = {0, 1, 2, 2, 1, 3};
        for (int i = 0; i < kIndicesPerQuad; ++i)
            entry[i] = first + corners[i];
    }
    glBindBuffer(GL_ELEMENT_ARRAY_BUFFER, indexBuffer_);  // held by the vertex array
    glBufferData(GL_ELEMENT_ARRAY_BUFFER, indices.size() * sizeof(GLuint), indices.data(),
                 GL_STATIC_DRAW);
    if (glGetError() != GL_NO_ERROR)
        return false;
    bufferQuads_ = quads;
    return true;
}

uint32_t GlSpriteRenderer::RoomForQuads(uint32_t count) {
    if (count <= bufferQuads_)
        return count;
    const uint32_t had = bufferQuads_;
    if (SizeBuffers(std::min(kMaxQuads, std::max(count, 2 * had))))
        return count;
    // Go on with the room there was.
    std::fprintf(stderr, "Tessary: no room for %u quads; drawing the first %u\n", count, had);
    return SizeBuffers(had) ? had : 0;
}

bool GlSpriteRenderer::GrowTextureArray(int32_t layers) {
    const GLuint grown = MakeTextureArray(layers);
    if (glGetError() != GL_NO_ERROR) {
        glDeleteTextures(1, &grown);
        glBindTexture(GL_TEXTURE_2D_ARRAY, textureArray_);
        return false;
    }
    // The filled layers move across through a framebuffer reading each in turn.
    GLint readFramebuffer = 0;
    glGetIntegerv(GL_READ_FRAMEBUFFER_BINDING, &readFramebuffer);
    GLuint framebuffer = 0;
    glGenFramebuffers(1, &framebuffer);
    glBindFramebuffer(GL_READ_FRAMEBUFFER, framebuffer);
    for (int32_t layer = 0; layer < layersTaken_; ++layer) {
        glFramebufferTextureLayer(GL_READ_FRAMEBUFFER, GL_COLOR_ATTACHMENT0, textureArray_, 0,
                                  layer);
        glCopyTexSubImage3D(GL_TEXTURE_2D_ARRAY, 0, 0, 0, layer, 0, 0, kTextureSize, kTextureSize);
    }
    glBindFramebuffer(GL_READ_FRAMEBUFFER, static_cast<GLuint>(readFramebuffer));
    glDeleteFramebuffers(1, &framebuffer);
    if (glGetError() != GL_NO_ERROR) {
        glDeleteTextures(1, &grown);
        glBindTexture(GL_TEXTURE_2D_ARRAY, textureArray_);
        return false;
    }
    glDeleteTextures(1, &textureArray_);
    textureArray_ = grown;
    layers_ = layers;
    return true;
}

bool GlSpriteRenderer::UploadTexture(int32_t slot, const uint16_t* texels) {
    if (!Ready() || slot < 0 || slot >= kTextureSlots || texels == nullptr)
        return false;
    DropEarlierErrors();
    // A slot keeps the layer it is first given until the device goes.
    if (slotLayer_[slot] == 0) {
        if (layersTaken_ == layers_ && !GrowTextureArray(layers_ + 1)) {
            std::fprintf(stderr, "Tessary: no room for texture slot %d\n", slot);
            slotFilled_[slot] = false;
            return false;
        }
        slotLayer_[slot] = static_cast<uint8_t>(++layersTaken_);
    }
    const int32_t layer = slotLayer_[slot] - 1;
    // The texels widened to 8 bits a channel, B, G, R, A: a 5-bit value v
    // reads as v / 31, whose nearest 8-bit value is (255 v + 15) / 31. (Copying
    // the top bits down, v << 3 | v >> 2, is off by one at levels 3, 7, 24
    // and 28.) 8-bit texels are sampled faster by a software rasterizer. They
    // go up a band of rows at a time, so the widened copy never holds more
    // than a band.
    constexpr int32_t kBandRows = 32;
    constexpr size_t kBandTexels = size_t{kBandRows} * kTextureSize;
    std::vector<uint8_t> wide(kBandTexels * 4);
    auto widen = [](uint16_t v) { return static_cast<uint8_t>(((v & 31) * 255 + 15) / 31); };
    glBindTexture(GL_TEXTURE_2D_ARRAY, textureArray_);
    glPixelStorei(GL_UNPACK_ALIGNMENT, 4);
    for (int32_t row = 0; row < kTextureSize; row += kBandRows) {
        const uint16_t* band = texels + size_t(row) * kTextureSize;
        for (size_t i = 0; i < kBandTexels; ++i) {
            const uint16_t t = band[i];
            wide[4 * i + 0] = widen(t);
            wide[4 * i + 1] = widen(t >> 5);
            wide[4 * i + 2] = widen(t >> 10);
            wide[4 * i + 3] = (t & 0x8000) != 0 ? 255 : 0;
        }
        glTexSubImage3D(GL_TEXTURE_2D_ARRAY, 0, 0, row, layer, kTextureSize, kBandRows, 1, GL_BGRA,
                        GL_UNSIGNED_BYTE, wide.data());
    }
    const GLenum error = glGetError();
    if (error != GL_NO_ERROR) {
        std::fprintf(stderr, "Tessary: filling texture slot %d failed (GL error 0x%04X)\n", slot,
                     error);
        slotFilled_[slot] = false;
        return false;
    }
    slotFilled_[slot] = true;
    return true;
}

void GlSpriteRenderer::ReleaseTexture(int32_t slot) {
    if (slot >= 0 && slot < kTextureSlots)
        slotFilled_[slot] = false;
}

void GlSpriteRenderer::ReserveLayers(int32_t layers) {
    layers = std::min(layers, kTextureSlots);
    if (Ready() && layers > layers_ && !GrowTextureArray(layers))
        std::fprintf(stderr, "Tessary: no room for %d texture slots at once\n", layers);
}

bool GlSpriteRenderer::SlotFilled(int32_t slot) const {
    return slot >= 0 && slot < kTextureSlots && slotFilled_[slot];
}

void GlSpriteRenderer::Draw(const SpriteVertex* vertices, const int32_t* textures,
                            const BlendState* states, uint32_t count) {
    if (!Ready() || count == 0)
        return;
    count = RoomForQuads(std::min(count, kMaxQuads));
    if (count == 0)
        return;
    Upload(vertices, textures, states, count);
    if (path_ == Path::kBatched) {
        ChooseRunBlends(vertices, textures, states, count);
        DrawBatched(count);
    } else {
        DrawQuadByQuad(vertices, states, count);
    }
}

void GlSpriteRenderer::Upload(const SpriteVertex* vertices, const int32_t* textures,
                              const BlendState* states, uint32_t count) {
    uint32_t* word = quadWords_.get();
    for (uint32_t quad = 0; quad < count; ++quad) {
        const int32_t slot = textures[quad];
        uint32_t value = SlotFilled(slot) ? uint32_t{slotLayer_[slot]} - 1 : kNoTexture;
        if (states[quad] == BlendState::kAlpha)
            value |= kFactorIsAlpha;
        word[0] = word[1] = word[2] = word[3] = value;
        word += 4;
    }
    glBindBuffer(GL_ARRAY_BUFFER, vertexBuffer_);
    glBufferSubData(GL_ARRAY_BUFFER, 0, count * 4 * sizeof(SpriteVertex), vertices);
    glBindBuffer(GL_ARRAY_BUFFER, quadBuffer_);
    glBufferSubData(GL_ARRAY_BUFFER, 0, count * 4 * sizeof(uint32_t), quadWords_.get());
}

void GlSpriteRenderer::ChooseRunBlends(const SpriteVertex* vertices, const int32_t* textures,
                                       const BlendState* states, uint32_t count) {
    constexpr auto kReplace = static_cast<uint8_t>(BatchBlend::kReplace);
    constexpr auto kSourceFactor = static_cast<uint8_t>(BatchBlend::kSourceFactor);
    uint8_t* blend = runBlends_.get();
    for (uint32_t quad = 0; quad < count; ++quad)
        blend[quad] = static_cast<uint8_t>(BatchBlendOf(states[quad], SlotFilled(textures[quad])));
    // Each stretch of quads that could go unblended, and what it would interrupt.
    for (uint32_t first = 0; first < count;) {
        if (blend[first] != kReplace) {
            ++first;
            continue;
        }
        uint32_t end = first;
        float area = 0.0f;
        for (; end < count && blend[end] == kReplace; ++end)
            area += DesignArea(&vertices[end * 4]);
        const bool interrupts = (first > 0 && blend[first - 1] == kSourceFactor) ||
                                (end < count && blend[end] == kSourceFactor);
        if (interrupts && area < kSmallestUnblendedRun)
            std::fill(blend + first, blend + end, kSourceFactor);
        first = end;
    }
}

void GlSpriteRenderer::DrawBatched(uint32_t count) {
    const uint8_t* blend = runBlends_.get();
    uint32_t start = 0;
    GLuint bound = 0;
    auto flush = [&](uint32_t end) {
        const auto run = static_cast<BatchBlend>(blend[start]);
        const GLuint program = run == BatchBlend::kReplace ? unblendedProgram_ : program_;
        if (program != bound) {
            glUseProgram(program);
            bound = program;
        }
        SetBatchBlend(run);
        const GLsizei indices = static_cast<GLsizei>((end - start) * kIndicesPerQuad);
        const uintptr_t offset = uintptr_t{start} * kIndicesPerQuad * sizeof(GLuint);
        glDrawElements(GL_TRIANGLES, indices, GL_UNSIGNED_INT,
                       reinterpret_cast<const void*>(offset));
    };
    for (uint32_t quad = 1; quad < count; ++quad) {
        if (blend[quad] != blend[start]) {
            flush(quad);
            start = quad;
        }
    }
    flush(count);
}

void GlSpriteRenderer::DrawQuadByQuad(const SpriteVertex* vertices, const BlendState* states,
                                      uint32_t count) {
    glUseProgram(program_);
    glEnable(GL_BLEND);
    bool first = true;
    BlendState previous = BlendState::kAlpha;
    for (uint32_t quad = 0; quad < count; ++quad) {
        const BlendState state = states[quad];
        // The state is set when it changes, and always when it carries a factor
        // (the factor changes from quad to quad); alpha after alpha sets nothing.
        if (first || state != previous || state != BlendState::kAlpha) {
            const SpriteVertex& v = vertices[quad * 4];
            SetConstantBlend(state);
            glBlendColor(v.r * v.a, v.g * v.a, v.b * v.a, v.a);
        }
        first = false;
        previous = state;
        glDrawArrays(GL_TRIANGLE_STRIP, static_cast<GLint>(quad * 4), 4);
    }
}

}  // namespace platform
