// The bare stack the game stands on, for comparing memory and CPU: an SDL2
// window, an OpenGL 3.3 core context (Mesa's software rasterizer where there
// is no GPU), the default OpenAL device and an 8-layer 512 x 512 RGBA8 texture
// array filled once, then cleared frames presented with vsync off. Nothing of
// the game is linked.
//
//   build/bench/baseline_stack [--draw] [frames=120] [hold-seconds=0]
//   build/bench/baseline_stack --timed=SECONDS [--draw=clear|opaque|blended|two-blended]
//
// --draw also compiles one shader program and draws one textured quad a
// frame: on a software rasterizer that brings in its shader compiler, which
// every program that draws anything pays for.
//
// After the frames it prints "baseline: VmRSS <kB> kB, VmHWM <kB> kB" from
// /proc/self/status; with hold-seconds it then keeps presenting that long, so
// that a script can read its memory the way it reads the game's.
//
// --timed presents 60 frames a second for that many seconds, each frame
// cleared and then, by --draw, nothing more (clear, the default), one
// full-screen textured quad drawn without blending (opaque), one blended over
// the clear by its texels' alpha (blended), or two of those (two-blended);
// then it prints "baseline: <draw> 60 Hz, <frames> frames, CPU <percent> % of
// a core", the process's CPU over the run: the floor under the game's own
// figures on the same driver.

#include <SDL.h>
#include <epoxy/gl.h>

#include <AL/al.h>
#include <AL/alc.h>

#include <sys/resource.h>
#include <time.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

namespace {

constexpr const char* kVertexShader = R"(#version 330 core
layout(location = 0) in vec2 position;
out vec2 uv;
void main() {
    uv = position * 0.5 + 0.5;
    gl_Position = vec4(position, 0.0, 1.0);
}
)";
constexpr const char* kPixelShader = R"(#version 330 core
uniform sampler2DArray pictures;
uniform float layer;
in vec2 uv;
out vec4 colour;
void main() {
    colour = texture(pictures, vec3(uv, layer));
    if (colour.a == 0.0)
        discard;
}
)";

// What a timed frame draws after its clear.
enum class Draw { kClear, kOpaque, kBlended, kTwoBlended };

double CpuSeconds() {
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return static_cast<double>(usage.ru_utime.tv_sec + usage.ru_stime.tv_sec) +
           static_cast<double>(usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e6;
}

double MonotonicSeconds() {
    timespec now{};
    clock_gettime(CLOCK_MONOTONIC, &now);
    return static_cast<double>(now.tv_sec) + static_cast<double>(now.tv_nsec) / 1e9;
}

GLuint Compile(GLenum kind, const char* source) {
    const GLuint shader = glCreateShader(kind);
    glShaderSource(shader, 1, &source, nullptr);
    glCompileShader(shader);
    return shader;
}

void PrintMemory() {
    FILE* status = std::fopen("/proc/self/status", "r");
    if (status == nullptr)
        return;
    char line[256];
    long rss = 0;
    long hwm = 0;
    while (std::fgets(line, sizeof line, status) != nullptr) {
        std::sscanf(line, "VmRSS: %ld", &rss);
        std::sscanf(line, "VmHWM: %ld", &hwm);
    }
    std::fclose(status);
    std::printf("baseline: VmRSS %ld kB, VmHWM %ld kB\n", rss, hwm);
    std::fflush(stdout);
}

}  // namespace

int main(int argc, char** argv) {
    bool draw = false;
    int timedSeconds = 0;
    Draw timedDraw = Draw::kClear;
    const char* const drawNames[] = {"clear", "opaque", "blended", "two-blended"};
    while (argc > 1 && std::strncmp(argv[1], "--", 2) == 0) {
        const std::string option = argv[1];
        if (option == "--draw") {
            draw = true;
        } else if (option.rfind("--draw=", 0) == 0) {
            bool known = false;
            for (int i = 0; i < 4; ++i) {
                if (option.substr(7) == drawNames[i])
                    timedDraw = static_cast<Draw>(i), known = true;
            }
            if (!known) {
                std::fprintf(stderr, "baseline: --draw= takes clear, opaque, blended or two-blended\n");
                return 2;
            }
            draw = timedDraw != Draw::kClear;
        } else if (option.rfind("--timed=", 0) == 0) {
            timedSeconds = std::atoi(option.c_str() + 8);
        } else {
            std::fprintf(stderr, "baseline: unknown option %s\n", option.c_str());
            return 2;
        }
        --argc;
        ++argv;
    }
    const int frames = argc > 1 ? std::atoi(argv[1]) : 120;
    const int holdSeconds = argc > 2 ? std::atoi(argv[2]) : 0;

    if (SDL_Init(SDL_INIT_VIDEO | SDL_INIT_EVENTS) != 0) {
        std::fprintf(stderr, "baseline: SDL_Init: %s\n", SDL_GetError());
        return 1;
    }
    SDL_GL_SetAttribute(SDL_GL_CONTEXT_PROFILE_MASK, SDL_GL_CONTEXT_PROFILE_CORE);
    SDL_GL_SetAttribute(SDL_GL_CONTEXT_MAJOR_VERSION, 3);
    SDL_GL_SetAttribute(SDL_GL_CONTEXT_MINOR_VERSION, 3);
    SDL_GL_SetAttribute(SDL_GL_DOUBLEBUFFER, 1);
    SDL_GL_SetAttribute(SDL_GL_DEPTH_SIZE, 0);
    SDL_Window* window = SDL_CreateWindow("Tessary baseline", SDL_WINDOWPOS_CENTERED,
                                          SDL_WINDOWPOS_CENTERED, 1280, 720, SDL_WINDOW_OPENGL);
    SDL_GLContext context = window != nullptr ? SDL_GL_CreateContext(window) : nullptr;
    if (context == nullptr) {
        std::fprintf(stderr, "baseline: no OpenGL 3.3 core context: %s\n", SDL_GetError());
        return 1;
    }
    SDL_GL_SetSwapInterval(0);

    ALCdevice* device = alcOpenDevice(nullptr);
    ALCcontext* sound = device != nullptr ? alcCreateContext(device, nullptr) : nullptr;
    if (sound == nullptr || alcMakeContextCurrent(sound) != ALC_TRUE)
        std::fprintf(stderr, "baseline: no OpenAL device; going on without sound\n");

    if (draw) {
        const GLuint program = glCreateProgram();
        glAttachShader(program, Compile(GL_VERTEX_SHADER, kVertexShader));
        glAttachShader(program, Compile(GL_FRAGMENT_SHADER, kPixelShader));
        glLinkProgram(program);
        glUseProgram(program);
        // The timed frames sample layer 1 (alpha 40 / 255); the memory run, layer 0.
        glUniform1f(glGetUniformLocation(program, "layer"), timedSeconds > 0 ? 1.0f : 0.0f);
    }

    const float quad[] = {-1, -1, 1, -1, -1, 1, 1, 1};
    GLuint vertexArray = 0;
    GLuint buffer = 0;
    glGenVertexArrays(1, &vertexArray);
    glBindVertexArray(vertexArray);
    glGenBuffers(1, &buffer);
    glBindBuffer(GL_ARRAY_BUFFER, buffer);
    glBufferData(GL_ARRAY_BUFFER, sizeof quad, quad, GL_STATIC_DRAW);
    glEnableVertexAttribArray(0);
    glVertexAttribPointer(0, 2, GL_FLOAT, GL_FALSE, 0, nullptr);

    constexpr int kLayers = 8;
    constexpr int kSize = 512;
    GLuint texture = 0;
    glGenTextures(1, &texture);
    glBindTexture(GL_TEXTURE_2D_ARRAY, texture);
    glTexImage3D(GL_TEXTURE_2D_ARRAY, 0, GL_RGBA8, kSize, kSize, kLayers, 0, GL_BGRA,
                 GL_UNSIGNED_BYTE, nullptr);
    glTexParameteri(GL_TEXTURE_2D_ARRAY, GL_TEXTURE_MIN_FILTER, GL_NEAREST);
    glTexParameteri(GL_TEXTURE_2D_ARRAY, GL_TEXTURE_MAG_FILTER, GL_NEAREST);
    {
        std::vector<unsigned char> layer(size_t{kSize} * kSize * 4);
        for (int i = 0; i < kLayers; ++i) {
            std::memset(layer.data(), 40 * i, layer.size());
            glTexSubImage3D(GL_TEXTURE_2D_ARRAY, 0, 0, 0, i, kSize, kSize, 1, GL_BGRA,
                            GL_UNSIGNED_BYTE, layer.data());
        }
    }

    auto present = [&] {
        SDL_PumpEvents();
        glClearColor(0, 0, 0, 0);
        glClear(GL_COLOR_BUFFER_BIT);
        if (draw)
            glDrawArrays(GL_TRIANGLE_STRIP, 0, 4);
        SDL_GL_SwapWindow(window);
    };
    if (timedSeconds > 0) {
        if (timedDraw == Draw::kBlended || timedDraw == Draw::kTwoBlended) {
            glEnable(GL_BLEND);
            glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
        }
        const int quads = timedDraw == Draw::kClear ? 0 : timedDraw == Draw::kTwoBlended ? 2 : 1;
        const int total = 60 * timedSeconds;
        const double start = MonotonicSeconds();
        const double cpuStart = CpuSeconds();
        for (int i = 0; i < total; ++i) {
            SDL_PumpEvents();
            glClearColor(0, 0, 0, 0);
            glClear(GL_COLOR_BUFFER_BIT);
            for (int q = 0; q < quads; ++q)
                glDrawArrays(GL_TRIANGLE_STRIP, 0, 4);
            SDL_GL_SwapWindow(window);
            // Sleep to the next 60 Hz boundary.
            const double due = start + (i + 1) / 60.0;
            timespec until{};
            until.tv_sec = static_cast<time_t>(due);
            until.tv_nsec = static_cast<long>((due - static_cast<double>(until.tv_sec)) * 1e9);
            clock_nanosleep(CLOCK_MONOTONIC, TIMER_ABSTIME, &until, nullptr);
        }
        glFinish();
        const double wall = MonotonicSeconds() - start;
        std::printf("baseline: %s 60 Hz, %d frames in %.2f s, CPU %.1f %% of a core\n",
                    drawNames[static_cast<int>(timedDraw)], total, wall,
                    100.0 * (CpuSeconds() - cpuStart) / wall);
        std::fflush(stdout);
    }
    for (int i = 0; i < frames && timedSeconds == 0; ++i)
        present();
    glFinish();
    if (timedSeconds == 0)
        PrintMemory();
    for (Uint32 until = SDL_GetTicks() + 1000u * holdSeconds;
         timedSeconds == 0 && SDL_GetTicks() < until;) {
        present();
        SDL_Delay(16);
    }

    alcMakeContextCurrent(nullptr);
    if (sound != nullptr)
        alcDestroyContext(sound);
    if (device != nullptr)
        alcCloseDevice(device);
    SDL_GL_DeleteContext(context);
    SDL_DestroyWindow(window);
    SDL_Quit();
    return 0;
}
