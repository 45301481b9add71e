#pragma once
// TextureReloader: loads the pictures of texture slots 0..7, at start-up after the
// picture list has been read and again after the device has been rebuilt.

class Graphics;
struct Folders;
class WorldState;

class TextureReloader {
public:
    TextureReloader(Graphics& graphics, const Folders& folders, WorldState& world)
        : graphics_(graphics), folders_(folders), world_(world) {}

    // For slots 0..7 in order: empties the slot, remembers the listed name and
    // loads the named file of the resource folder, except for "null0000.png", which leaves the
    // slot empty. False at the first picture that fails (its message has been
    // shown). On success clears loadingFlag and returns true.
    bool RecreateTextures();

    static constexpr int kSlots = 8;

private:
    Graphics& graphics_;
    const Folders& folders_;
    WorldState& world_;
};
