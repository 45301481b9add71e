#include "resources/LoadResources.h"

#include <cstdio>
#include <string>
#include <string_view>

#include "audio/Audio.h"
#include "audio/EffectLoader.h"
#include "base/WideText.h"
#include "graphics/Graphics.h"
#include "graphics/TextureReloader.h"
#include "platform/Dialogs.h"
#include "platform/Files.h"
#include "resources/ListFile.h"
#include "world/System.h"
#include "world/WorldState.h"

namespace {

constexpr std::u16string_view kWaveSoundList = u"wav\\wav_0000.txt";
constexpr std::u16string_view kOggSoundList = u"ogg\\ogg_0000.txt";
constexpr std::u16string_view kPictureList = u"grp\\grp_0003.txt";
constexpr std::u16string_view kNoPicture = u"null0000.png";
constexpr std::u16string_view kLoopFileSuffix = u".sli";
constexpr int kFirstEffectEntry = 64;
constexpr char kNotFound[] = "ファイルが見つかりません";

static_assert(WorldState::kNameUnits == resources::kListEntryUnits);
static_assert(WorldState::kSoundNames >= kFirstEffectEntry + SoundEffects::kVoices);
static_assert(MusicStreamer::kTracks <= kFirstEffectEntry);

using PathBuffer = char16_t[Folders::kPathUnits];

class Loader {
public:
    Loader(System& system, WorldState& world, Graphics& graphics, Audio& audio,
           platform::Dialogs& dialogs)
        : system_(system),
          world_(world),
          graphics_(graphics),
          audio_(audio),
          dialogs_(dialogs),
          folder_(base::WideView(system_.folders.resourceFolder)) {}

    bool Run();

private:
    bool LoadSound();
    bool LoadEffects();
    bool LoadTrack(int track);
    bool LoadPictures();

    // folder + name + suffix into path, terminated; false (path left empty)
    // when the whole does not fit the buffer.
    bool BuildPath(PathBuffer& path, std::u16string_view name,
                   std::u16string_view suffix = {}) const;
    // "<folder><name><suffix> ファイルが見つかりません" (caption "Message").
    void ShowNotFound(std::u16string_view name, std::u16string_view suffix = {});

    System& system_;
    WorldState& world_;
    Graphics& graphics_;
    Audio& audio_;
    platform::Dialogs& dialogs_;
    std::u16string_view folder_;
};

bool Loader::BuildPath(PathBuffer& path, std::u16string_view name,
                       std::u16string_view suffix) const {
    path[0] = u'\0';
    if (folder_.size() + name.size() + suffix.size() >= Folders::kPathUnits)
        return false;
    base::WideCopy(path, folder_);
    base::WideAppend(path, name);
    base::WideAppend(path, suffix);
    return true;
}

void Loader::ShowNotFound(std::u16string_view name, std::u16string_view suffix) {
    std::u16string path(folder_);
    path += name;
    path += suffix;
    dialogs_.Show(base::ToUtf8(path) + " " + kNotFound, "Message");
}

bool Loader::Run() {
    // The angle table sprite turns read.
    world_.angleTable.Fill();

    // Sound, when there is any.
    if (system_.sound.soundDisabled == 0 && (system_.sound.soundMode == SoundMode::kWave ||
                                             system_.sound.soundMode == SoundMode::kOgg)) {
        if (!LoadSound())
            return false;
    }

    // No music until a scene asks for it.
    system_.music.bgmTrack = 0;
    world_.bgmSelector = 0;

    // Pictures.
    return LoadPictures();
}

bool Loader::LoadSound() {
    // The sound list of the mode.
    const std::u16string_view list =
        system_.sound.soundMode == SoundMode::kWave ? kWaveSoundList : kOggSoundList;
    PathBuffer path;
    if (!BuildPath(path, list) || !resources::ReadListFile(base::WideView(path), world_.soundNames,
                                                           WorldState::kSoundNames)) {
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
        return false;
    // The music thread (its failure message comes from the audio object).
    return audio_.music().StartThread();
}

bool Loader::LoadEffects() {
    EffectLoader loader(&audio_.effects(), system_.sound.soundMode);
    for (int slot = 0; slot < SoundEffects::kVoices; ++slot) {
        const std::u16string_view name =
            base::WideView(world_.soundNames[kFirstEffectEntry + slot]);
        PathBuffer path;
        if (!BuildPath(path, name)) {
            // As for a file that cannot be opened: WAVE effects say so, Ogg
            // effects fail quietly.
            if (system_.sound.soundMode == SoundMode::kWave)
                dialogs_.Show("Waveファイルのオープンに失敗", "Error");
            return false;
        }
        if (!loader.LoadEffect(base::WideView(path), slot))
            return false;
    }
    return true;
}

bool Loader::LoadTrack(int track) {
    const std::u16string_view name = base::WideView(world_.soundNames[track]);
    PathBuffer path;
    if (!BuildPath(path, name)) {
        // As for a track file that cannot be opened.
        if (system_.sound.soundMode == SoundMode::kWave) {
            dialogs_.Show("WAVEファイルを開くのに失敗", "Error");
        } else {
            std::u16string full(folder_);
            full += name;
            std::fprintf(stderr, "Open Error : %s\n", platform::NativePath(full).c_str());
        }
        return false;
    }
    // The loop file's path (the track's path + ".sli") must fit as well.
    PathBuffer loopPath;
    if (!BuildPath(loopPath, name, kLoopFileSuffix)) {
        ShowNotFound(name, kLoopFileSuffix);
        return false;
    }
    // The audio object opens the track, reads its loop file and positions
    // the track at its start, showing its own messages.
    if (system_.sound.soundMode == SoundMode::kWave)
        return audio_.music().OpenWave(base::WideView(path), track);
    return audio_.music().OpenOgg(base::WideView(path), track);
}

bool Loader::LoadPictures() {
    // The picture list.
    PathBuffer path;
    if (!BuildPath(path, kPictureList) ||
        !resources::ReadListFile(base::WideView(path), world_.pictureNames,
                                 WorldState::kPictureNames)) {
        ShowNotFound(kPictureList);
        dialogs_.Show("失敗しました。1", "Error");
        return false;
    }

    // The textures. The texture loader builds the same paths; one that
    // would not fit is refused here rather than cut short there.
    for (int slot = 0; slot < TextureReloader::kSlots; ++slot) {
        const std::u16string_view name = base::WideView(world_.pictureNames[slot]);
        PathBuffer picture;
        if (name != kNoPicture && !BuildPath(picture, name)) {
            ShowNotFound(name);
            dialogs_.Show("失敗しました。4", "Error");
            return false;
        }
    }
    TextureReloader textures(&graphics_, &system_.folders, &world_);
    if (!textures.RecreateTextures()) {
        dialogs_.Show("失敗しました。4", "Error");
        return false;
    }
    return true;
}

}  // namespace

bool LoadResources(System& system, WorldState& world, Graphics& graphics, Audio& audio,
                   platform::Dialogs& dialogs) {
    Loader loader(system, world, graphics, audio, dialogs);
    return loader.Run();
}
