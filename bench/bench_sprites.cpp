// Sprite list and frame drawing benchmarks.
//
//   BM_SubmitSprite  quads per second through SubmitSprite, and the heap
//                    allocations made while submitting (must be 0); /tracked
//                    hashes each quad to compare it with the last drawn frame,
//                    /redraw_always does not (TESSARY_REDRAW_ALWAYS's setting).
//   BM_Frame/...     one whole frame as the options and ranking windows make
//                    it: ClearSpriteList, 2,000 submissions of glyphs, tiles
//                    and factor-blended window boxes, RenderFrame (and a wait
//                    until the frame is drawn), on the real GL device over the
//                    offscreen video driver. The CPU column is the main
//                    thread's CPU time; batched and quad by quad run the same
//                    frame, so their ratio is the batching's gain. The frames
//                    differ in their text (see Text below): quad by quad, a
//                    change of blend factor costs little on llvmpipe, a change
//                    of blend function much more. These draw every frame
//                    whole; BM_Frame/windows_unchanged lets the same frame
//                    be found unchanged, which draws nothing.
//
// Each benchmark repeats itself and reports mean, median and spread.

#include <benchmark/benchmark.h>
#include <unistd.h>

#include <atomic>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <new>
#include <string>
#include <vector>

#include "base/WideText.h"
#include "graphics/Graphics.h"
#include "graphics/Quads.h"
#include "platform/Files.h"
#include "platform/GlDevice.h"
#include "platform/SdlWindow.h"
#include "world/System.h"
#include "world/WorldState.h"

// Every heap allocation of the process is counted. (GCC takes the replaced
// operators' malloc and free for a mismatched pair; they are a matched pair.)
#pragma GCC diagnostic ignored "-Wmismatched-new-delete"
namespace {
std::atomic<long> gAllocations{0};
}  // namespace
void* operator new(size_t size) {
    gAllocations.fetch_add(1, std::memory_order_relaxed);
    if (void* p = std::malloc(size == 0 ? 1 : size))
        return p;
    throw std::bad_alloc();
}
void operator delete(void* p) noexcept {
    std::free(p);
}
void operator delete(void* p, size_t) noexcept {
    std::free(p);
}

namespace {

constexpr int kFrameQuads = 2000;

SpriteRequest Request(int32_t x, int32_t y, int32_t w, int32_t h, int32_t srcX, int32_t srcY,
                      int32_t srcW, int32_t srcH, uint32_t color, int32_t texture) {
    return quads::Quad(x, y, w, h, srcX, srcY, srcW, srcH, color, texture);
}

// A frame like the options and ranking windows: the background, then window
// boxes (9-slice, blended by their colour factor) with rows of white text,
// each row under a highlight box whose border alpha pulses, a block of board
// tiles, the fade overlay and the four border masks.
//
// How the text of the frame is coloured.
enum class Text {
    kWhite,        // untinted and opaque: alpha blend, like every text of the game
    kFading,       // alpha 0xC0, as text fading in: every glyph has its own factor
    kAlternating,  // every other glyph at alpha 0xC0: the blend function changes per glyph
};

std::vector<SpriteRequest> WindowFrame(Text textKind) {
    std::vector<SpriteRequest> frame;
    auto box = [&frame](int x, int y, int w, int h, int cellX, uint32_t body, uint32_t border) {
        frame.push_back(Request(x + 4, y + 4, w - 8, h - 8, cellX, 0, 16, 16, body, 5));
        const int px[3] = {x, x + 4, x + w - 4};
        const int py[3] = {y, y + 4, y + h - 4};
        const int pw[3] = {4, w - 8, 4};
        const int ph[3] = {4, h - 8, 4};
        for (int j = 0; j < 3; ++j) {
            for (int i = 0; i < 3; ++i) {
                if (i == 1 && j == 1)
                    continue;
                frame.push_back(Request(px[i], py[j], pw[i], ph[j],
                                        cellX + 4 * i + (i == 2 ? 4 : 0),
                                        16 + 4 * j + (j == 2 ? 4 : 0), 4, 4, border, 5));
            }
        }
    };
    for (int i = 0; i < 3; ++i)
        frame.push_back(Request(16 + 512 * i, 0, 512, 256 * 3, 0, 0, 512, 256, 0xFFFFFFFFu, 3));
    int line = 0;
    for (int window = 0; frame.size() < kFrameQuads - 200; ++window) {
        const int wx = 40 + (window % 3) * 400;
        const int wy = 20 + (window / 3 % 2) * 340;
        box(wx, wy, 380, 320, 16 * (window % 10), 0x7FFFFFFFu, 0xBFFFFFFFu);
        for (int row = 0; row < 9 && frame.size() < kFrameQuads - 200; ++row, ++line) {
            const uint32_t pulse = static_cast<uint32_t>(64 + line * 9 % 128) << 24 | 0xFFFFFFu;
            box(wx + 12, wy + 14 + 32 * row, 260, 30, 160, 0x7FFFFFFFu, pulse);
            for (int k = 0; k < 24; ++k) {
                const int c = 0x21 + (line * 24 + k) % 94;
                const bool translucent =
                    textKind == Text::kFading || (textKind == Text::kAlternating && k % 2 == 1);
                const uint32_t text = translucent ? 0xC0FFFFFFu : 0xFFFFFFFFu;
                frame.push_back(Request(wx + 20 + 10 * k, wy + 16 + 32 * row, 16, 32,
                                        16 * (c & 0x0F), 2 * (c & 0xF0), 16, 32, text, 6));
            }
        }
    }
    while (frame.size() < kFrameQuads - 5) {
        const int i = static_cast<int>(frame.size());
        frame.push_back(Request(496 + 24 * (i % 12), 40 + 24 * (i / 12 % 26), 24, 24,
                                192 + 8 * (i % 10), 256, 8, 8, 0xFFFFFFFFu, 3));
    }
    frame.push_back(Request(0, 0, 1280, 720, 32, 0, 16, 16, 0x40FFFFFFu, 120));
    frame.push_back(Request(-256, -256, 1248 + 512, 256, 32, 0, 16, 16, 0xFFFFFFFFu, 120));
    frame.push_back(Request(-256, 720, 1248 + 512, 256, 32, 0, 16, 16, 0xFFFFFFFFu, 120));
    frame.push_back(Request(-240, -256, 256, 720 + 512, 32, 0, 16, 16, 0xFFFFFFFFu, 120));
    frame.push_back(Request(1264, -256, 256, 720 + 512, 32, 0, 16, 16, 0xFFFFFFFFu, 120));
    return frame;
}

void BM_SubmitSprite(benchmark::State& state, bool redrawAlways) {
    auto system = std::make_unique<System>();
    auto world = std::make_unique<WorldState>();
    world->angleTable.Fill();
    auto graphics =
        std::make_unique<Graphics>(system->display, system->settings, system->folders, *world);
    graphics->SetRedrawAlways(redrawAlways);
    std::vector<SpriteRequest> frame = WindowFrame(Text::kWhite);
    for (size_t i = 0; i < frame.size(); i += 16) {  // a few turned and scaled quads as well
        frame[i].angleZ = static_cast<int32_t>(i % 256);
        frame[i].scaleX = 1.5f;
        frame[i].pivotX = 8.0f;
    }
    long allocations = 0;
    for (auto _ : state) {
        state.PauseTiming();
        graphics->ClearSpriteList();
        const long before = gAllocations.load(std::memory_order_relaxed);
        state.ResumeTiming();
        for (const SpriteRequest& r : frame)
            graphics->SubmitSprite(r);
        benchmark::DoNotOptimize(graphics->Vertices());
        allocations += gAllocations.load(std::memory_order_relaxed) - before;
    }
    state.SetItemsProcessed(state.iterations() * static_cast<int64_t>(frame.size()));
    state.counters["allocations"] = static_cast<double>(allocations);
}
BENCHMARK_CAPTURE(BM_SubmitSprite, tracked, false)->Repetitions(9)->ReportAggregatesOnly(true);
BENCHMARK_CAPTURE(BM_SubmitSprite, redraw_always, true)->Repetitions(9)->ReportAggregatesOnly(true);

// The device and its window, made once for all frame benchmarks.
struct Device {
    platform::SdlWindow window;
    platform::GlDevice gpu;
    std::unique_ptr<System> system = std::make_unique<System>();
    std::unique_ptr<WorldState> world = std::make_unique<WorldState>();
    std::unique_ptr<Graphics> graphics =
        std::make_unique<Graphics>(system->display, system->settings, system->folders, *world);
    bool ready = false;

    Device() {
        setenv("SDL_VIDEODRIVER", "offscreen", 0);
        if (!window.Create("Tessary", 1280, 720))
            return;
        // The shader files lie in the program folder build/game beside build/bench.
        char exe[4096] = {};
        const ssize_t n = readlink("/proc/self/exe", exe, sizeof exe - 1);
        if (n <= 0)
            return;
        system->folders.programFolder = platform::FolderOf(std::string(exe, n)) / "../game/";
        system->display.vsync = 0;
        graphics->AttachDevice(gpu, window);
        if (!graphics->CreateDevice())
            return;
        // Slot 3 tiles, slot 5 window pictures, slot 6 a glyph sheet: patterns
        // with transparent texels, as real pictures have.
        std::vector<uint16_t> texels(512 * 512);
        for (int slot : {3, 5, 6}) {
            for (int y = 0; y < 512; ++y) {
                for (int x = 0; x < 512; ++x) {
                    const bool clear =
                        slot == 6 ? ((x % 16) < 3 || (x * 7 + y * 3) % 5 < 2) : (x + y) % 13 == 0;
                    texels[y * 512 + x] =
                        clear ? 0x7C1F
                              : static_cast<uint16_t>(0x8000 | ((x * 31 / 511) << 10) |
                                                      ((y * 31 / 511) << 5) | (slot * 5));
                }
            }
            graphics->FillTextureSlot(slot, texels.data());
        }
        ready = true;
    }
};

Device& TheDevice() {
    static Device* device = new Device();  // lives to the end of the process
    return *device;
}

void BM_Frame(benchmark::State& state, Text textKind, platform::GlSpriteRenderer::Path path,
              bool redrawAlways = true) {
    Device& device = TheDevice();
    if (!device.ready) {
        state.SkipWithError("no OpenGL 3.3 core device");
        return;
    }
    device.gpu.SetDrawPath(path);
    device.graphics->SetRedrawAlways(redrawAlways);
    const std::vector<SpriteRequest> frame = WindowFrame(textKind);
    for (auto _ : state) {
        device.graphics->ClearSpriteList();
        for (const SpriteRequest& r : frame)
            device.graphics->SubmitSprite(r);
        device.graphics->RenderFrame();
        device.gpu.Finish();
    }
    state.SetItemsProcessed(state.iterations() * static_cast<int64_t>(frame.size()));
}

constexpr auto kBatched = platform::GlSpriteRenderer::Path::kBatched;
constexpr auto kQuadByQuad = platform::GlSpriteRenderer::Path::kQuadByQuad;
#define FRAME_BENCHMARK(name, textKind, path)         \
    BENCHMARK_CAPTURE(BM_Frame, name, textKind, path) \
        ->Unit(benchmark::kMillisecond)               \
        ->Repetitions(7)                              \
        ->ReportAggregatesOnly(true)
FRAME_BENCHMARK(windows_batched, Text::kWhite, kBatched);
FRAME_BENCHMARK(windows_quad_by_quad, Text::kWhite, kQuadByQuad);
FRAME_BENCHMARK(fading_text_batched, Text::kFading, kBatched);
FRAME_BENCHMARK(fading_text_quad_by_quad, Text::kFading, kQuadByQuad);
FRAME_BENCHMARK(alternating_text_batched, Text::kAlternating, kBatched);
FRAME_BENCHMARK(alternating_text_quad_by_quad, Text::kAlternating, kQuadByQuad);
BENCHMARK_CAPTURE(BM_Frame, windows_unchanged, Text::kWhite, kBatched, false)
    ->Unit(benchmark::kMillisecond)
    ->Repetitions(7)
    ->ReportAggregatesOnly(true);

}  // namespace

BENCHMARK_MAIN();
