#pragma once
// Little-endian field access for the game's fixed-layout binary files.

#include <cstdint>
#include <cstring>

namespace base {

inline uint32_t LoadLE32(const uint8_t* p) {
    return uint32_t{p[0]} | uint32_t{p[1]} << 8 | uint32_t{p[2]} << 16 | uint32_t{p[3]} << 24;
}
inline int32_t LoadLE32s(const uint8_t* p) {
    return static_cast<int32_t>(LoadLE32(p));
}

inline void StoreLE32(uint8_t* p, uint32_t v) {
    p[0] = static_cast<uint8_t>(v);
    p[1] = static_cast<uint8_t>(v >> 8);
    p[2] = static_cast<uint8_t>(v >> 16);
    p[3] = static_cast<uint8_t>(v >> 24);
}

inline float LoadLEFloat(const uint8_t* p) {
    const uint32_t bits = LoadLE32(p);
    float f;
    std::memcpy(&f, &bits, sizeof f);
    return f;
}

}  // namespace base
