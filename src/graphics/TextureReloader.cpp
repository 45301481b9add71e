#include "graphics/TextureReloader.h"

#include <string>
#include <string_view>
#include <thread>

#include "base/WideText.h"
#include "graphics/Graphics.h"
#include "graphics/TextureLoader.h"
#include "world/Folders.h"
#include "world/WorldState.h"

namespace {
constexpr std::u16string_view kNoPicture = u"null0000.png";
}  // namespace

bool TextureReloader::RecreateTextures() {
    int32_t pictures = 0;
    for (int slot = 0; slot < kSlots; ++slot)
        pictures += base::WideView(world_.pictureNames[slot]) != kNoPicture ? 1 : 0;
    graphics_.ReserveTextureSlots(pictures);
    for (int slot = 0; slot < kSlots; ++slot) {
        // Whatever the slot held goes.
        graphics_.ReleaseTextureSlot(slot);

        // The listed name becomes the slot's last-loaded name.
        const std::u16string_view name = base::WideView(world_.pictureNames[slot]);
        base::WideCopy(world_.loadedPictureNames[slot], name);

        // The picture, unless the list marks the slot unused.
        if (name != kNoPicture) {
            TextureLoader loader(graphics_, 16);
            if (!loader.LoadPicture(slot, folders_.ListedFile(name)))
                return false;
        }

        // Give the processor up between pictures.
        std::this_thread::yield();
    }
    world_.loadingFlag = 0;
    return true;
}
