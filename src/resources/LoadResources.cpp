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

// Whether a line from Loader::Describe says the file could not even be read.
bool Unreadable(const std::string& line) {
    return line.rfind("could not load ", 0) != 0;
}

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
    // What failed first, in English, for the message that ends the start.
    const std::string& failure() const { return failure_; }

private:
    bool LoadSound();
    bool LoadEffects();
    bool LoadTrack(int track);
    bool LoadPictures();

    // folder + name + suffix into path, terminated; false (path left empty)
    // when the whole does not fit the buffer.
    bool BuildPath(PathBuffer& path, std::u16string_view name,
                   std::u16string_view suffix = {}) const;
    // "<folder><name><suffix> ファイルが見つかりません" (caption "Message"),
    // with the system's reason below it.
    void ShowNotFound(std::u16string_view name, std::u16string_view suffix = {});
    // Keeps the first failure's English line; returns false.
    bool Fail(std::string line);
    // The line for a file of the folder that could not be used.
    std::string Describe(std::u16string_view name, std::string_view problem,
                         std::u16string_view suffix = {}) const;

    System& system_;
    WorldState& world_;
    Graphics& graphics_;
    Audio& audio_;
    platform::Dialogs& dialogs_;
    std::u16string_view folder_;
    std::string failure_;
};

bool Loader::Fail(std::string line) {
    if (failure_.empty())
        failure_ = std::move(line);
    return false;
}

std::string Loader::Describe(std::u16string_view name, std::string_view problem,
                             std::u16string_view suffix) const {
    std::u16string path(folder_);
    path += name;
    path += suffix;
    if (folder_.size() + name.size() + suffix.size() >= Folders::kPathUnits)
        return "could not open " + platform::NativePath(path) + ": File name too long";
    return platform::DescribeFileFailure(path, problem);
}

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
    const std::string line = Describe(name, "it cannot be used", suffix);
    Fail(line);
    dialogs_.Show(base::ToUtf8(path) + " " + kNotFound, "Message", line);
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
        return Fail("could not make the music voice on the sound device");
    // The music thread (its failure message comes from the audio object).
    if (!audio_.music().StartThread())
        return Fail("could not start the music thread");
    return true;
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
            Fail(Describe(name, ""));
            if (system_.sound.soundMode == SoundMode::kWave)
                dialogs_.Show("Waveファイルのオープンに失敗", "Error", failure_);
            return false;
        }
        if (!loader.LoadEffect(base::WideView(path), slot))
            return Fail(
                Describe(name, "not a sound effect the game can play (damaged or cut short)"));
    }
    return true;
}

bool Loader::LoadTrack(int track) {
    const std::u16string_view name = base::WideView(world_.soundNames[track]);
    PathBuffer path;
    if (!BuildPath(path, name)) {
        // As for a track file that cannot be opened.
        Fail(Describe(name, ""));
        if (system_.sound.soundMode == SoundMode::kWave) {
            dialogs_.Show("WAVEファイルを開くのに失敗", "Error", failure_);
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
    const bool opened = system_.sound.soundMode == SoundMode::kWave
                            ? audio_.music().OpenWave(base::WideView(path), track)
                            : audio_.music().OpenOgg(base::WideView(path), track);
    if (opened)
        return true;
    // Say which of the two files let the track down.
    std::string line = Describe(name, "");
    if (!Unreadable(line)) {
        line = Describe(name, "", kLoopFileSuffix);
        if (!Unreadable(line))
            line = Describe(name, "not music the game can play, or its loop points lie outside it");
    }
    return Fail(std::move(line));
}

bool Loader::LoadPictures() {
    // The picture list.
    PathBuffer path;
    if (!BuildPath(path, kPictureList) ||
        !resources::ReadListFile(base::WideView(path), world_.pictureNames,
                                 WorldState::kPictureNames)) {
        ShowNotFound(kPictureList);
        dialogs_.Show("失敗しました。1", "Error", failure_);
        return false;
    }

    // The textures. The texture loader builds the same paths; one that
    // would not fit is refused here rather than cut short there.
    for (int slot = 0; slot < TextureReloader::kSlots; ++slot) {
        const std::u16string_view name = base::WideView(world_.pictureNames[slot]);
        PathBuffer picture;
        if (name != kNoPicture && !BuildPath(picture, name)) {
            ShowNotFound(name);
            dialogs_.Show("失敗しました。4", "Error", failure_);
            return false;
        }
    }
    TextureReloader textures(&graphics_, &system_.folders, &world_);
    if (!textures.RecreateTextures()) {
        // The first picture that cannot be read is the one; else one of them
        // is damaged.
        for (int slot = 0; slot < TextureReloader::kSlots && failure_.empty(); ++slot) {
            const std::u16string_view name = base::WideView(world_.pictureNames[slot]);
            if (name == kNoPicture)
                continue;
            const std::string line = Describe(name, "");
            if (Unreadable(line))
                Fail(line);
        }
        std::u16string list(folder_);
        list += kPictureList;
        Fail("could not load a picture listed in " + platform::NativePath(list) +
             ": one is damaged or not a 512 x 512 palette PNG");
        dialogs_.Show("失敗しました。4", "Error", failure_);
        return false;
    }
    return true;
}

}  // namespace

bool LoadResources(System& system, WorldState& world, Graphics& graphics, Audio& audio,
                   platform::Dialogs& dialogs, std::string* failure) {
    Loader loader(system, world, graphics, audio, dialogs);
    const bool ok = loader.Run();
    if (!ok && failure != nullptr)
        *failure = loader.failure();
    return ok;
}
