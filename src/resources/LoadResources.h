#pragma once
// The resource loader: everything the game reads from its data folder before
// the first frame.
//
// In order: the angle table; with sound on (a sound set chosen and a device
// opened), the sound list of the set ("wav/wav_0000.txt" or "ogg/ogg_0000.txt",
// 960 names), the 32 effects of entries 64..95, the 64 music tracks of
// entries 0..63 with their loop files, the music voice and the music thread;
// then no music selected; last, the picture list ("grp/grp_0003.txt", 64
// names) and the pictures of texture slots 0..7.
//
// The lists lie in the resource folder, and so does every file they name
// (Folders::ListedFile).
//
// Each failure shows its own message (some come from the audio and texture
// loaders) and returns false; whatever was opened or started stays so until
// shutdown, which also stops the music thread. The failure then says in
// English which file could not be used and why.

#include "base/Outcome.h"

class Audio;
struct Folders;
class Graphics;
struct MusicShared;
struct SoundSettings;
class WorldState;

namespace platform {
class Dialogs;
}  // namespace platform

// Runs once at start-up, after the graphics device and the sound engine exist.
// It reads the files of the resource folder in the sound set's list and the
// picture list, fills the world's name tables and clears the music track.
base::Outcome LoadResources(const Folders& folders, const SoundSettings& sound, MusicShared& music,
                            WorldState& world, Graphics& graphics, Audio& audio,
                            platform::Dialogs& dialogs);
