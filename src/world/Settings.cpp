#include "world/Settings.h"

#include <algorithm>
#include <iterator>

namespace {

// Display mode 0, vsync 1, texel offset 1e-6, folder relative, pad on,
// Ogg sound, font on.
constexpr uint8_t kDefaultStoredBytes[Settings::kStoredByteCount] = {
    0, 1, 0, 1, 1, 0xBD, 0x37, 0x86, 0x35,  // float32 1.0e-6
    0, 0, 0, 0,                             // float32 0.0
    1, 0, 0, 1, 1, 0,    1,    0,    1,    1, 1};

}  // namespace

Settings::Settings() {
    std::copy(std::begin(kDefaultStoredBytes), std::end(kDefaultStoredBytes), storedBytes);
}
