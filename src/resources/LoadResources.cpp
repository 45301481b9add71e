#include "resources/LoadResources.h"

#include <filesystem>
#include <string>
#include <string_view>

#include "audio/Audio.h"
#include "audio/EffectLoader.h"
#include "audio/LoopFile.h"
#include "base/WideText.h"
#include "graphics/Graphics.h"
#include "graphics/TextureReloader.h"
#include "platform/Dialogs.h"
#include "platform/Files.h"
#include "resources/ListFile.h"
#include "world/Folders.h"
#include "world/MusicShared.h"
#include "world/SoundSettings.h"
#include "world/WorldState.h"

namespace {

namespace fs = std::filesystem;

// Files of the data folder the game itself names.
constexpr char kWaveSoundList[] = "wav/wav_0000.txt";
constexpr char kOggSoundList[] = "ogg/ogg_0000.txt";
constexpr char kPictureList[] = "grp/grp_0003.txt";
constexpr std::u16string_view kNoPicture = u"null0000.png";
constexpr int kFirstEffectEntry = 64;
constexpr char kNotFound[] = "ファイルが見つかりません";

static_assert(WorldState::kNameUnits == resources::kListEntryUnits);
static_assert(WorldState::kSoundNames >= kFirstEffectEntry + SoundEffects::kVoices);
static_assert(MusicStreamer::kTracks <= kFirstEffectEntry);

class Loader {
public:
    Loader(const Folders& folders, const SoundSettings& sound, MusicShared& music,
           WorldState& world, Graphics& graphics, Audio& audio, platform::Dialogs& dialogs)
        : folders_(folders),
          sound_(sound),
          music_(music),
          world_(world),
          graphics_(graphics),
          audio_(audio),
          dialogs_(dialogs) {}

    bool Run();
    // What failed first, in English, for the message that ends the start.
    const std::string& failure() const { return failure_; }

private:
    bool LoadSound();
    bool LoadEffects();
    bool LoadTrack(int track);
    bool LoadPictures();

    // "<path> ファイルが見つかりません" (caption "Message"), with the
    // system's reason below it.
    void ShowNotFound(const fs::path& path);
    // Keeps the first failure's English line; returns false.
    bool Fail(std::string line);

    const Folders& folders_;
    const SoundSettings& sound_;
    MusicShared& music_;
    WorldState& world_;
    Graphics& graphics_;
    Audio& audio_;
    platform::Dialogs& dialogs_;
    std::string failure_;
};

bool Loader::Fail(std::string line) {
    if (failure_.empty())
        failure_ = std::move(line);
    return false;
}

void Loader::ShowNotFound(const fs::path& path) {
    const std::string line = platform::DescribeFileFailure(path, "it cannot be used");
    Fail(line);
    dialogs_.Show(path.native() + " " + kNotFound, "Message", line);
}

bool Loader::Run() {
    // The angle table sprite turns read.
    world_.angleTable.Fill();

    // Sound, when there is any.
    if (sound_.soundDisabled == 0 &&
        (sound_.soundMode == SoundMode::kWave || sound_.soundMode == SoundMode::kOgg)) {
        if (!LoadSound())
            return false;
    }

    // No music until a scene asks for it.
    music_.bgmTrack = 0;
    world_.bgmSelector = 0;

    // Pictures.
    return LoadPictures();
}

bool Loader::LoadSound() {
    // The sound list of the mode.
    const fs::path list = folders_.resourceFolder /
                          (sound_.soundMode == SoundMode::kWave ? kWaveSoundList : kOggSoundList);
    if (!resources::ReadListFile(list, world_.soundNames, WorldState::kSoundNames)) {
        ShowNotFound(list);
        return false;
    }

    // The effects.
    if (!LoadEffects())
        return false;

    // The music tracks, each with its loop file.
    for (int track = 0; track < MusicStreamer::kTracks; ++track) {
        if (!LoadTrack(track))
            return false;
    }

    // The music voice.
    if (!audio_.music().CreateVoice())
        return Fail("could not make the music voice on the sound device");
    // The music thread (its failure message comes from the audio object).
    if (!audio_.music().StartThread())
        return Fail("could not start the music thread");
    return true;
}

bool Loader::LoadEffects() {
    EffectLoader loader(&audio_.effects(), sound_.soundMode);
    for (int slot = 0; slot < SoundEffects::kVoices; ++slot) {
        const fs::path path =
            folders_.ListedFile(base::WideView(world_.soundNames[kFirstEffectEntry + slot]));
        if (!loader.LoadEffect(path, slot))
            return Fail(platform::DescribeFileFailure(
                path, "not a sound effect the game can play (damaged or cut short)"));
    }
    return true;
}

bool Loader::LoadTrack(int track) {
    const fs::path path = folders_.ListedFile(base::WideView(world_.soundNames[track]));
    // The audio object opens the track, reads its loop file and positions
    // the track at its start, showing its own messages.
    const bool opened = sound_.soundMode == SoundMode::kWave ? audio_.music().OpenWave(path, track)
                                                             : audio_.music().OpenOgg(path, track);
    if (opened)
        return true;
    // Say which of the two files let the track down: the first that cannot
    // be read, else the track itself.
    const fs::path loopFile = LoopFileOf(path);
    if (!platform::FileReadable(path))
        return Fail(platform::DescribeFileFailure(path, ""));
    if (!platform::FileReadable(loopFile))
        return Fail(platform::DescribeFileFailure(loopFile, ""));
    return Fail(platform::DescribeFileFailure(
        path, "not music the game can play, or its loop points lie outside it"));
}

bool Loader::LoadPictures() {
    // The picture list.
    const fs::path list = folders_.resourceFolder / kPictureList;
    if (!resources::ReadListFile(list, world_.pictureNames, WorldState::kPictureNames)) {
        ShowNotFound(list);
        dialogs_.Show("失敗しました。1", "Error", failure_);
        return false;
    }

    // The textures.
    TextureReloader textures(graphics_, folders_, world_);
    if (!textures.RecreateTextures()) {
        // The first picture that cannot be read is the one; else one of them
        // is damaged.
        for (int slot = 0; slot < TextureReloader::kSlots && failure_.empty(); ++slot) {
            const std::u16string_view name = base::WideView(world_.pictureNames[slot]);
            if (name == kNoPicture)
                continue;
            const fs::path picture = folders_.ListedFile(name);
            if (!platform::FileReadable(picture))
                Fail(platform::DescribeFileFailure(picture, ""));
        }
        Fail("could not load a picture listed in " + list.native() +
             ": one is damaged or not a 512 x 512 palette PNG");
        dialogs_.Show("失敗しました。4", "Error", failure_);
        return false;
    }
    return true;
}

}  // namespace

base::Outcome LoadResources(const Folders& folders, const SoundSettings& sound, MusicShared& music,
                            WorldState& world, Graphics& graphics, Audio& audio,
                            platform::Dialogs& dialogs) {
    Loader loader(folders, sound, music, world, graphics, audio, dialogs);
    if (loader.Run())
        return {};
    return base::Outcome::Failed(loader.failure());
}
