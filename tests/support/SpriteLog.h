#pragma once
// Records every sprite request a scene submits, in order.

#include <array>
#include <cstdint>
#include <cstring>
#include <vector>

#include "graphics/Graphics.h"
#include "graphics/Quads.h"
#include "graphics/SpriteRequest.h"

class SpriteLog final : public Graphics::SubmissionObserver {
public:
    explicit SpriteLog(Graphics& graphics) : graphics_(graphics) {
        graphics_.SetSubmissionObserver(this);
    }
    ~SpriteLog() override { graphics_.SetSubmissionObserver(nullptr); }
    SpriteLog(const SpriteLog&) = delete;
    SpriteLog& operator=(const SpriteLog&) = delete;

    void OnSubmit(const SpriteRequest& request) override { requests.push_back(request); }
    void Clear() { requests.clear(); }

    std::vector<SpriteRequest> requests;

private:
    Graphics& graphics_;
};

// A request as its raw four-byte fields, so a mismatch prints every one.
using SpriteFields = std::array<uint32_t, sizeof(SpriteRequest) / 4>;
static_assert(sizeof(SpriteFields) == sizeof(SpriteRequest), "one element per field");

inline SpriteFields FieldsOf(const SpriteRequest& r) {
    SpriteFields f;
    std::memcpy(f.data(), &r, sizeof r);
    return f;
}

// The fields of a zero-filled, unscaled quad with only the named ones set.
inline SpriteFields QuadFields(int32_t x, int32_t y, int32_t w, int32_t h, int32_t srcX,
                               int32_t srcY, int32_t srcW, int32_t srcH, uint32_t color,
                               int32_t texture) {
    return FieldsOf(quads::Quad(x, y, w, h, srcX, srcY, srcW, srcH, color, texture));
}
