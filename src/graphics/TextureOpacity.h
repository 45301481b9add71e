#pragma once
// TextureOpacity: for each texture slot, where its opaque texels lie, so the
// graphics object can tell in constant time that a quad samples nothing but
// transparent texels (the pixel shader discards every one of those, so such a
// quad cannot change a pixel whatever its blend state).
//
// A slot's picture is cut into blocks of 2 x 2 texels; a block counts when it
// holds at least one texel with the alpha bit set. The counts are kept as a
// summed-area table, so the opaque blocks of any rectangle are four reads
// away; they are kept modulo 65,536 (132 KB a slot), which leaves every count
// short of the whole picture's exact. A block answers for all four of its
// texels, so a rectangle is only ever judged transparent when it truly is.
//
// The table is made when the slot's texels are uploaded and dropped when the
// slot is emptied; a slot it has not seen is never called transparent.

#include <cstdint>
#include <memory>

#include "platform/GpuDevice.h"

class TextureOpacity {
public:
    static constexpr int32_t kBlock = 2;  // texels per block side
    static constexpr int32_t kBlocks = platform::kTextureSize / kBlock;

    // Learns slot 0..63 from its kTextureSize * kTextureSize texels, rows from the top.
    void Learn(int32_t slot, const uint16_t* texels);
    // Forgets a slot (emptied, or gone with the device).
    void Forget(int32_t slot);
    void ForgetAll();
    bool Known(int32_t slot) const;

    // True when every texel of columns left..right and rows top..bottom
    // (inclusive) of a known slot has alpha 0; false for a slot not known or
    // an empty rectangle. Coordinates outside 0..511 wrap around, as the
    // sampler's repeat mode folds them.
    bool Transparent(int32_t slot, int32_t left, int32_t top, int32_t right, int32_t bottom) const;

private:
    static constexpr int32_t kStride = kBlocks + 1;

    // Whether any block under texels left..right, top..bottom of a known
    // slot, all within the picture, is opaque.
    bool AnyOpaque(int32_t slot, int32_t left, int32_t top, int32_t right, int32_t bottom) const;

    // Per slot, kStride * kStride counts: entry (row, column) holds the
    // opaque blocks above and to the left of block (row, column). Made on a
    // slot's first upload and kept for the next.
    std::unique_ptr<uint16_t[]> tables_[platform::kTextureSlots];
    bool anyOpaque_[platform::kTextureSlots] = {};  // any opaque block in the whole picture
    bool known_[platform::kTextureSlots] = {};
};
