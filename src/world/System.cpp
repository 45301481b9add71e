#include "world/System.h"

#include <algorithm>
#include <cstring>

#include "base/WideText.h"

namespace {

// Display mode 0, vsync 1, texel offset 1e-6, folder relative, pad on,
// Ogg sound, font on.
constexpr uint8_t kDefaultSettingsBytes[System::kSettingsByteCount] = {
    0, 1, 0, 1, 1, 0xBD, 0x37, 0x86, 0x35,  // float32 1.0e-6
    0, 0, 0, 0,                             // float32 0.0
    1, 0, 0, 1, 1, 0,    1,    0,    1,    1, 1};

}  // namespace

System::System() {
    std::copy(std::begin(kDefaultSettingsBytes), std::end(kDefaultSettingsBytes), SettingsBytes);
    std::fill(std::begin(folderText), std::end(folderText), u'\0');
    base::WideCopy(folderText, u"data\\");
}
