// A hostile data folder at start-up: the resource loader runs on a small
// data folder whose list files, pictures, effects, tracks and loop files all
// come from one input, with the real loaders, the real GL device (offscreen
// video driver, GL debug output on, one context for the whole run) and the
// real sound engine on OpenAL's loopback device (a new one for each input).
//
// Nothing may crash, hang, leak, read out of bounds or make a GL error, and a
// load that fails must say so, in a message box or on standard error (an Ogg
// effect that cannot be read fails quietly by design; the start-up's own
// message follows every failure). A load that succeeds has its effects
// played and mixed, and the music thread stopped again at shutdown.
//
// An input is a folder: byte 0 picks the sound set (0 none, 1 WAVE, 2 Ogg,
// modulo 3), then ten parts, each a 32-bit little-endian length and its
// bytes (length 0xFFFFFFFF: the file is missing): the sound list, the picture
// list, two pictures, two effects and two tracks each with its loop file.
// The seed folder's lists name these files over and over (every track slot,
// effect slot and picture slot), so the mutator, which changes one part at a
// time, reaches every loader. The folder lies seven levels down in its own
// temporary folder, so no name of 18 units can leave it.

#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <memory>
#include <optional>
#include <random>
#include <string>
#include <string_view>
#include <vector>

#include "DefaultMaxLength.h"
#include "app/Game.h"
#include "audio/Audio.h"
#include "base/WideText.h"
#include "graphics/Graphics.h"
#include "platform/AlDevice.h"
#include "platform/Clock.h"
#include "platform/Dialogs.h"
#include "platform/GlDevice.h"
#include "platform/SdlWindow.h"
#include "resources/LoadResources.h"
#include "support/SoundFiles.h"
#include "unit/graphics_test_util.h"
#include "world/System.h"

extern "C" size_t LLVMFuzzerMutate(uint8_t* data, size_t size, size_t maxSize);

// libvorbisfile 1.3.7 leaves 8 bytes behind when it gives up on some broken
// streams, whoever calls it; that is not ours to find.
extern "C" const char* __lsan_default_suppressions() {
    return "leak:libvorbisfile.so\n";
}

namespace {

namespace fs = std::filesystem;

constexpr int kParts = 10;
constexpr uint32_t kMissing = 0xFFFFFFFFu;
constexpr uint32_t kTrackFrames = 2205;
enum Part {
    kSoundList,
    kPictureList,
    kPicture0,
    kPicture1,
    kEffect0,
    kEffect1,
    kTrack0,
    kLoop0,
    kTrack1,
    kLoop1
};

struct Folder {
    uint8_t mode = 1;
    std::optional<Bytes> parts[kParts];
};

// The files of each part, inside the data folder, for sound set 1 (WAVE) or 2 (Ogg).
std::string PartFile(int part, int mode) {
    const std::string set = mode == 1 ? "wav" : "ogg";
    switch (part) {
        case kSoundList:
            return set + "/" + set + "_0000.txt";
        case kPictureList:
            return "grp/grp_0003.txt";
        case kPicture0:
        case kPicture1:
            return "grp/p" + std::to_string(part - kPicture0) + ".png";
        case kEffect0:
        case kEffect1:
            return set + "/e" + std::to_string(part - kEffect0) + "." + set;
        case kTrack0:
        case kTrack1:
            return set + "/t" + std::to_string((part - kTrack0) / 2) + "." + set;
        default:  // the loop files
            return set + "/t" + std::to_string((part - kLoop0) / 2) + "." + set + ".sli";
    }
}

// The list's name of a file: '/' becomes '\'.
std::u16string ListName(const std::string& file) {
    std::u16string name = base::FromUtf8(file);
    for (char16_t& c : name) {
        if (c == u'/')
            c = u'\\';
    }
    return name;
}

// A list file: the byte-order mark, then per name 16 units and CR LF.
Bytes ListFile(const std::vector<std::u16string>& names) {
    Bytes bytes = {0xFF, 0xFE};
    for (const std::u16string& name : names) {
        for (size_t i = 0; i < 16; ++i) {
            const char16_t c = i < name.size() ? name[i] : u'\0';
            bytes.push_back(static_cast<uint8_t>(c));
            bytes.push_back(static_cast<uint8_t>(c >> 8));
        }
        bytes.insert(bytes.end(), {'\r', 0, '\n', 0});
    }
    return bytes;
}

Bytes PictureFile(int variant) {
    PngLayout layout;
    layout.palette = {{0, 0, 0}, {200, 40, 40}, {40, 200, 40}, {40, 40, 200}};
    layout.sample = [variant](uint32_t x, uint32_t y, int) {
        return (x / 32 + y / 16 + variant) % 4;
    };
    const std::string path = "/dev/shm/tessary-fuzz-seed-" + std::to_string(getpid()) + ".png";
    Bytes bytes;
    if (WritePng(path, layout)) {
        FILE* file = std::fopen(path.c_str(), "rb");
        int c;
        while (file != nullptr && (c = std::fgetc(file)) != EOF)
            bytes.push_back(static_cast<uint8_t>(c));
        if (file != nullptr)
            std::fclose(file);
    }
    std::remove(path.c_str());
    return bytes;
}

// The seed: a valid folder of the sound set.
Folder SeedFolder(int mode) {
    Folder folder;
    folder.mode = static_cast<uint8_t>(mode);
    std::vector<std::u16string> sounds(96);
    for (int k = 0; k < 96; ++k)
        sounds[k] = ListName(PartFile(k < 64 ? kTrack0 + 2 * (k % 2) : kEffect0 + k % 2, mode));
    folder.parts[kSoundList] = ListFile(sounds);
    std::vector<std::u16string> pictures(8);
    for (int slot = 0; slot < 8; ++slot) {
        pictures[slot] = slot == 1 || slot == 4 || slot == 7
                             ? u"null0000.png"
                             : ListName(PartFile(kPicture0 + slot % 2, mode));
    }
    folder.parts[kPictureList] = ListFile(pictures);
    folder.parts[kPicture0] = PictureFile(0);
    folder.parts[kPicture1] = PictureFile(1);
    for (int k = 0; k < 2; ++k) {
        const uint32_t frames = 800 + 400 * k;
        folder.parts[kEffect0 + k] =
            mode == 1 ? StereoWave(Ramp(frames)) : EncodeOgg(Sine(frames, 660.0, 0.3), 2, 44100);
        folder.parts[kTrack0 + 2 * k] = mode == 1
                                            ? StereoWave(Ramp(kTrackFrames))
                                            : EncodeOgg(Sine(kTrackFrames, 440.0, 0.3), 2, 44100);
        const std::string loop = "LoopStart=" + std::to_string(16 * k) +
                                 "\r\nLoopLength=" + std::to_string(kTrackFrames - 64) + "\r\n";
        folder.parts[kLoop0 + 2 * k] = Utf16File(std::u16string(loop.begin(), loop.end()));
    }
    return folder;
}

std::optional<Folder> Parse(const uint8_t* data, size_t size) {
    if (size < 1)
        return std::nullopt;
    Folder folder;
    folder.mode = data[0] % 3;
    size_t at = 1;
    for (auto& part : folder.parts) {
        if (at + 4 > size)
            break;
        uint32_t length = 0;
        std::memcpy(&length, data + at, 4);
        at += 4;
        if (length == kMissing)
            continue;
        const size_t n = std::min<size_t>(length, size - at);
        part = Bytes(data + at, data + at + n);
        at += n;
    }
    return folder;
}

Bytes Serialize(const Folder& folder) {
    Bytes bytes = {folder.mode};
    for (const auto& part : folder.parts) {
        const uint32_t length = part ? static_cast<uint32_t>(part->size()) : kMissing;
        const auto* l = reinterpret_cast<const uint8_t*>(&length);
        bytes.insert(bytes.end(), l, l + 4);
        if (part)
            bytes.insert(bytes.end(), part->begin(), part->end());
    }
    return bytes;
}

uint32_t OggCrc(const uint8_t* data, size_t size) {
    static const auto table = [] {
        std::vector<uint32_t> t(256);
        for (uint32_t i = 0; i < 256; ++i) {
            uint32_t r = i << 24;
            for (int k = 0; k < 8; ++k)
                r = (r & 0x80000000u) != 0 ? (r << 1) ^ 0x04C11DB7u : r << 1;
            t[i] = r;
        }
        return t;
    }();
    uint32_t crc = 0;
    for (size_t i = 0; i < size; ++i)
        crc = (crc << 8) ^ table[((crc >> 24) ^ data[i]) & 0xFF];
    return crc;
}

// Ogg pages carry a checksum: put the right one into every whole page, or
// hardly a change would get past the first page.
void FixOggChecksums(Bytes& bytes) {
    size_t at = 0;
    while (at + 27 <= bytes.size()) {
        if (std::memcmp(bytes.data() + at, "OggS", 4) != 0) {
            ++at;
            continue;
        }
        const size_t segments = bytes[at + 26];
        size_t length = 27 + segments;
        if (at + length > bytes.size())
            return;
        for (size_t s = 0; s < segments; ++s)
            length += bytes[at + 27 + s];
        if (at + length > bytes.size())
            return;
        std::memset(bytes.data() + at + 22, 0, 4);
        const uint32_t crc = OggCrc(bytes.data() + at, length);
        for (int b = 0; b < 4; ++b)
            bytes[at + 22 + b] = static_cast<uint8_t>(crc >> (8 * b));
        at += length;
    }
}

// Discards what is written to it, or keeps it in memory.
class StderrSwap {
public:
    StderrSwap() : saved_(stderr) {}
    ~StderrSwap() { Restore(); }
    void Quiet() {
        Restore();
        sink_ = std::fopen("/dev/null", "w");
        if (sink_ != nullptr)
            stderr = sink_;
    }
    void Capture() {
        Restore();
        sink_ = open_memstream(&text_, &size_);
        if (sink_ != nullptr)
            stderr = sink_;
    }
    // Back to the real standard error; returns what a capture kept.
    std::string Restore() {
        std::string kept;
        if (sink_ != nullptr) {
            stderr = saved_;
            std::fclose(sink_);
            sink_ = nullptr;
            if (text_ != nullptr)
                kept.assign(text_, size_);
            std::free(text_);
            text_ = nullptr;
            size_ = 0;
        }
        return kept;
    }

private:
    FILE* saved_;
    FILE* sink_ = nullptr;
    char* text_ = nullptr;
    size_t size_ = 0;
};

class CountingDialogs final : public platform::Dialogs {
public:
    void Show(std::string_view, std::string_view, std::string_view) override { ++shown; }
    int shown = 0;
};

// The real GL device, made once: a context and its shaders take some 200 ms
// to make on llvmpipe, a hundred times as long as most loads. Each start-up
// sees a device that is made, and its shutdown takes back every texture.
class LastingGpu final : public platform::GpuDevice {
public:
    bool Create(platform::Window& window, const std::filesystem::path& shaderFolder) override {
        return gpu_.IsCreated() || gpu_.Create(window, shaderFolder);
    }
    void Release() override {
        for (int32_t slot = 0; slot < platform::kTextureSlots; ++slot)
            gpu_.ReleaseTexture(slot);
    }
    void Forget() override { Release(); }
    bool IsCreated() const override { return gpu_.IsCreated(); }
    bool UploadTexture(int32_t slot, const uint16_t* texels) override {
        return gpu_.UploadTexture(slot, texels);
    }
    void ReleaseTexture(int32_t slot) override { gpu_.ReleaseTexture(slot); }
    void Clear() override { gpu_.Clear(); }
    void DrawSprites(const platform::SpriteVertex* vertices, const int32_t* textures,
                     const platform::BlendState* states, uint32_t count) override {
        gpu_.DrawSprites(vertices, textures, states, count);
    }
    platform::DeviceStatus Present(bool vsync) override { return gpu_.Present(vsync); }
    platform::DeviceStatus RemovedReason() override { return gpu_.RemovedReason(); }

private:
    platform::GlDevice gpu_;
};

// The window, the GL device and the folder, made once.
struct Stage {
    platform::SdlWindow window;
    LastingGpu gpu;
    platform::SystemClock clock;
    std::string root;  // the data folder's parent, seven levels down
    bool ready = false;

    Stage() {
        setenv("SDL_VIDEODRIVER", "offscreen", 1);
        setenv("TESSARY_GL_DEBUG", "1", 1);
        root = "/dev/shm/tessary-fuzz-" + std::to_string(getpid());
        std::atexit([] { fs::remove_all("/dev/shm/tessary-fuzz-" + std::to_string(getpid())); });
        root += "/1/2/3/4/5/6/7/";
        fs::create_directories(root);
        ready = window.Create("Tessary", 1280, 720);
    }
};

Stage& TheStage() {
    static Stage* stage = new Stage();  // lives to the end of the process
    return *stage;
}

void WriteFolder(const Folder& folder, const std::string& data) {
    std::error_code error;
    fs::remove_all(data, error);
    for (const char* sub : {"grp", "wav", "ogg"})
        fs::create_directories(data + sub);
    const int mode = folder.mode == 0 ? 1 : folder.mode;
    for (int part = 0; part < kParts; ++part) {
        if (!folder.parts[part])
            continue;
        FILE* file = std::fopen((data + PartFile(part, mode)).c_str(), "wb");
        if (file == nullptr)
            continue;
        if (!folder.parts[part]->empty())
            std::fwrite(folder.parts[part]->data(), 1, folder.parts[part]->size(), file);
        std::fclose(file);
    }
}

// One start-up's sound device and objects; the Game goes first.
struct Run {
    platform::AlLoopbackDevice sound;
    std::unique_ptr<Game> game = std::make_unique<Game>();
};

[[noreturn]] void Fail(const char* what, const std::string& said) {
    std::fprintf(stderr, "fuzz_data_folder: %s\n%s\n", what, said.c_str());
    std::abort();
}

}  // namespace

// The seed folder is some tens of kilobytes.
extern "C" int LLVMFuzzerInitialize(int* argc, char*** argv) {
    AddDefaultMaxLength(argc, argv, 131072);
    return 0;
}

// Changes one part at a time (or the sound set, or drops a part), starting
// from a seed folder now and then.
extern "C" size_t LLVMFuzzerCustomMutator(uint8_t* data, size_t size, size_t maxSize,
                                          unsigned int seed) {
    static const Bytes seeds[3] = {Serialize(SeedFolder(1)), Serialize(SeedFolder(1)),
                                   Serialize(SeedFolder(2))};
    std::minstd_rand random(seed);
    std::optional<Folder> folder = Parse(data, size);
    if (!folder || random() % 32 == 0) {
        const Bytes& start = seeds[random() % 3];
        folder = Parse(start.data(), start.size());
        if (random() % 4 == 0)
            folder->mode = 0;
    }
    const uint32_t choice = random() % 100;
    if (choice < 2) {
        folder->mode = static_cast<uint8_t>(random() % 3);
    } else if (choice < 5) {
        folder->parts[random() % kParts].reset();
    } else {
        const int part = static_cast<int>(random() % kParts);
        Bytes bytes = folder->parts[part].value_or(Bytes{});
        const size_t room = maxSize > size ? maxSize - size + bytes.size() : bytes.size();
        const size_t limit = std::max<size_t>(bytes.size(), std::min<size_t>(room, 1 << 16));
        bytes.resize(limit);
        bytes.resize(LLVMFuzzerMutate(
            bytes.data(), folder->parts[part] ? folder->parts[part]->size() : 0, limit));
        if (folder->mode == 2)
            FixOggChecksums(bytes);
        folder->parts[part] = std::move(bytes);
    }
    Bytes out = Serialize(*folder);
    if (out.size() > maxSize)
        return size;
    std::memcpy(data, out.data(), out.size());
    return out.size();
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    Stage& stage = TheStage();
    if (!stage.ready)
        Fail("no window on the offscreen video driver", "");
    const std::optional<Folder> folder = Parse(data, size);
    if (!folder)
        return 0;
    const std::string dataFolder = stage.root + "data/";
    WriteFolder(*folder, dataFolder);

    StderrSwap stderrSwap;
    stderrSwap.Quiet();
    CountingDialogs dialogs;
    auto run = std::make_unique<Run>();
    Game& game = *run->game;
    System& system = *game.system;
    system.sound.soundMode = static_cast<SoundMode>(folder->mode);
    system.sound.bgmVolume = 5000;
    system.sound.seVolume = 5000;
    system.folders.programFolder = TESSARY_SHADER_DIR;
    system.folders.resourceFolder = std::filesystem::path(stage.root) / "data/";
    game.LinkObjects(stage.gpu, stage.window);
    game.graphics->LinkDialogs(&dialogs);
    if (!game.graphics->CreateDevice())
        Fail("no OpenGL 3.3 core device", stderrSwap.Restore());
    if (folder->mode != 0 && !game.audio->Open(run->sound, stage.clock, dialogs))
        Fail("no loopback sound device", stderrSwap.Restore());
    const uint64_t glErrors = platform::GlDebugMessageCounts().errors;

    stderrSwap.Capture();
    const bool loaded = LoadResources(game.system->folders, game.system->sound, game.system->music,
                                      *game.world, *game.graphics, *game.audio, dialogs)
                            .ok();
    const std::string said = stderrSwap.Restore();
    if (!loaded && dialogs.shown == 0 && said.empty() && folder->mode != 2)
        Fail("the load failed without a word", said);
    if (platform::GlDebugMessageCounts().errors != glErrors)
        Fail("OpenGL reported errors", said);

    stderrSwap.Quiet();
    if (loaded && folder->mode != 0) {
        for (int slot = 0; slot < SoundEffects::kVoices; ++slot)
            game.audio->effects().Play(slot);
        static float out[2 * 1024];
        run->sound.Render(out, 1024);
        game.audio->effects().RearmIdleVoices();
    }
    run.reset();  // the shutdown: stops the music thread, frees voices, textures and the sound
                  // device
    return 0;
}
