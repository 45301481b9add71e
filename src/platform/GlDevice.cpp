#include "platform/GlDevice.h"

#include <SDL.h>
#include <epoxy/gl.h>

#include <cstdio>

#include "platform/SdlWindow.h"

namespace platform {
namespace {

// Makes a GL 3.3 core context; accelerated: 1 requires a hardware visual, -1 takes any.
SDL_GLContext MakeContext(SDL_Window* window, int accelerated) {
    SDL_GL_SetAttribute(SDL_GL_CONTEXT_PROFILE_MASK, SDL_GL_CONTEXT_PROFILE_CORE);
    SDL_GL_SetAttribute(SDL_GL_CONTEXT_MAJOR_VERSION, 3);
    SDL_GL_SetAttribute(SDL_GL_CONTEXT_MINOR_VERSION, 3);
    SDL_GL_SetAttribute(SDL_GL_DOUBLEBUFFER, 1);
    SDL_GL_SetAttribute(SDL_GL_ACCELERATED_VISUAL, accelerated);
    return SDL_GL_CreateContext(window);
}

}  // namespace

GlDevice::~GlDevice() {
    Release();
}

int32_t GlDevice::Create(Window& window) {
    auto* sdlWindow = dynamic_cast<SdlWindow*>(&window);
    if (sdlWindow == nullptr || sdlWindow->Handle() == nullptr) {
        std::fprintf(stderr, "Tessary: the GL device needs an open SDL window\n");
        return kErrorNotSdlWindow;
    }
    Release();
    SDL_Window* handle = sdlWindow->Handle();

    SDL_GLContext context = MakeContext(handle, 1);
    if (context == nullptr) {
        std::fprintf(stderr, "Tessary: no accelerated OpenGL 3.3 core context (%s); trying any\n",
                     SDL_GetError());
        context = MakeContext(handle, -1);
    }
    SDL_GL_SetAttribute(SDL_GL_ACCELERATED_VISUAL, -1);  // leave the default for later windows
    if (context == nullptr) {
        std::fprintf(stderr, "Tessary: SDL_GL_CreateContext (OpenGL 3.3 core) failed: %s\n",
                     SDL_GetError());
        return kErrorNoContext;
    }
    if (SDL_GL_MakeCurrent(handle, context) != 0) {
        std::fprintf(stderr, "Tessary: SDL_GL_MakeCurrent failed: %s\n", SDL_GetError());
        SDL_GL_DeleteContext(context);
        return kErrorMakeCurrent;
    }
    window_ = sdlWindow;
    context_ = context;
    swapInterval_ = -1;  // a new context starts with the system's own interval
    FitViewport();
    return 1;
}

void GlDevice::Release() {
    if (context_ != nullptr)
        SDL_GL_DeleteContext(static_cast<SDL_GLContext>(context_));
    Forget();
}

void GlDevice::Forget() {
    context_ = nullptr;
    window_ = nullptr;
    swapInterval_ = -1;
}

void GlDevice::FitViewport() {
    int width = 0;
    int height = 0;
    SDL_GL_GetDrawableSize(window_->Handle(), &width, &height);
    glViewport(0, 0, width, height);
}

void GlDevice::Clear() {
    if (context_ == nullptr || window_->Handle() == nullptr)
        return;
    FitViewport();  // the window may have been resized since the last frame
    glClearColor(0.0f, 0.0f, 0.0f, 0.0f);
    glClear(GL_COLOR_BUFFER_BIT);
}

int32_t GlDevice::Present(bool vsync) {
    if (context_ == nullptr || window_->Handle() == nullptr)
        return kDeviceOk;
    const int interval = vsync ? 1 : 0;
    if (interval != swapInterval_) {
        // A refusal (no vsync control under some X servers) just keeps the
        // system's interval; it is not asked again until the setting changes.
        SDL_GL_SetSwapInterval(interval);
        swapInterval_ = interval;
    }
    SDL_GL_SwapWindow(window_->Handle());
    return kDeviceOk;
}

}  // namespace platform
