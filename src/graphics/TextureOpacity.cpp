#include "graphics/TextureOpacity.h"

#include <algorithm>

namespace {

constexpr int32_t kSize = platform::kTextureSize;
constexpr uint16_t kAlphaBit = 0x8000;

struct Range {
    int32_t first, last;
};

// Folds texel indices first..last into at most two ranges within the
// picture, the way repeat wrapping maps them; returns how many.
int Fold(int32_t first, int32_t last, Range out[2]) {
    const int64_t length = int64_t{last} - first + 1;
    if (length >= kSize) {
        out[0] = {0, kSize - 1};
        return 1;
    }
    const int32_t start = static_cast<int32_t>(((int64_t{first} % kSize) + kSize) % kSize);
    const int32_t end = start + static_cast<int32_t>(length) - 1;
    if (end < kSize) {
        out[0] = {start, end};
        return 1;
    }
    out[0] = {start, kSize - 1};
    out[1] = {0, end - kSize};
    return 2;
}

}  // namespace

void TextureOpacity::Learn(int32_t slot, const uint16_t* texels) {
    if (slot < 0 || slot >= platform::kTextureSlots || texels == nullptr)
        return;
    if (!tables_[slot])
        tables_[slot] = std::make_unique<uint16_t[]>(kStride * kStride);
    uint16_t* table = tables_[slot].get();
    std::fill(table, table + kStride, uint16_t{0});
    uint32_t opaqueBlocks = 0;
    for (int32_t row = 0; row < kBlocks; ++row) {
        const uint16_t* top = texels + static_cast<size_t>(row) * kBlock * kSize;
        uint16_t* above = table + static_cast<size_t>(row) * kStride;
        uint16_t* here = above + kStride;
        uint16_t inRow = 0;
        here[0] = 0;
        for (int32_t column = 0; column < kBlocks; ++column) {
            bool opaque = false;
            for (int32_t y = 0; y < kBlock; ++y) {
                for (int32_t x = 0; x < kBlock; ++x)
                    opaque = opaque || (top[y * kSize + column * kBlock + x] & kAlphaBit) != 0;
            }
            inRow = static_cast<uint16_t>(inRow + (opaque ? 1 : 0));
            here[column + 1] = static_cast<uint16_t>(above[column + 1] + inRow);
            opaqueBlocks += opaque ? 1 : 0;
        }
    }
    anyOpaque_[slot] = opaqueBlocks != 0;
    known_[slot] = true;
}

void TextureOpacity::Forget(int32_t slot) {
    if (slot >= 0 && slot < platform::kTextureSlots)
        known_[slot] = false;
}

void TextureOpacity::ForgetAll() {
    std::fill(std::begin(known_), std::end(known_), false);
}

bool TextureOpacity::Known(int32_t slot) const {
    return slot >= 0 && slot < platform::kTextureSlots && known_[slot];
}

bool TextureOpacity::Transparent(int32_t slot, int32_t left, int32_t top, int32_t right,
                                 int32_t bottom) const {
    if (!Known(slot) || right < left || bottom < top)
        return false;
    Range columns[2];
    Range rows[2];
    const int columnRanges = Fold(left, right, columns);
    const int rowRanges = Fold(top, bottom, rows);
    for (int r = 0; r < rowRanges; ++r) {
        for (int c = 0; c < columnRanges; ++c) {
            if (AnyOpaque(slot, columns[c].first, rows[r].first, columns[c].last, rows[r].last))
                return false;
        }
    }
    return true;
}

bool TextureOpacity::AnyOpaque(int32_t slot, int32_t left, int32_t top, int32_t right,
                               int32_t bottom) const {
    // The blocks that hold any texel of the rectangle, as a half-open range.
    const size_t x0 = static_cast<size_t>(left / kBlock);
    const size_t x1 = static_cast<size_t>(right / kBlock) + 1;
    const size_t y0 = static_cast<size_t>(top / kBlock);
    const size_t y1 = static_cast<size_t>(bottom / kBlock) + 1;
    // Only the whole picture can hold 65,536 opaque blocks, which the
    // 16-bit counts read as 0; every smaller count comes out exact.
    if ((x1 - x0) * (y1 - y0) == size_t{kBlocks} * kBlocks)
        return anyOpaque_[slot];
    const uint16_t* table = tables_[slot].get();
    const auto blocks = static_cast<uint16_t>(table[y1 * kStride + x1] - table[y0 * kStride + x1] -
                                              table[y1 * kStride + x0] + table[y0 * kStride + x0]);
    return blocks != 0;
}
