#include "platform/WaylandScale.h"

#include <SDL.h>
#include <SDL_syswm.h>
#include <wayland-client.h>
#include <wayland-egl.h>

#include <algorithm>
#include <cstring>

namespace platform {
namespace {

void OutputGeometry(void* data, wl_output*, int32_t x, int32_t y, int32_t, int32_t, int32_t,
                    const char*, const char*, int32_t) {
    auto* output = static_cast<WaylandScale::Output*>(data);
    output->x = x;
    output->y = y;
}
void OutputMode(void*, wl_output*, uint32_t, int32_t, int32_t, int32_t) {}
// An output's properties come as a batch closed by "done".
void OutputDone(void* data, wl_output*) {
    auto* output = static_cast<WaylandScale::Output*>(data);
    output->scale = std::max(output->pendingScale, 1);
}
void OutputScale(void* data, wl_output*, int32_t factor) {
    static_cast<WaylandScale::Output*>(data)->pendingScale = factor;
}
// Bound at version 2: the name and description of version 4 never come.
const wl_output_listener kOutputListener = {OutputGeometry, OutputMode, OutputDone, OutputScale,
                                            nullptr, nullptr};

void Global(void* data, wl_registry* registry, uint32_t name, const char* interface,
            uint32_t version) {
    // Version 2 brings the scale and the end of each batch.
    if (std::strcmp(interface, wl_output_interface.name) != 0 || version < 2)
        return;
    auto* self = static_cast<WaylandScale*>(data);
    auto output = std::make_unique<WaylandScale::Output>();
    output->owner = self;
    output->name = name;
    output->proxy =
        static_cast<wl_output*>(wl_registry_bind(registry, name, &wl_output_interface, 2));
    if (output->proxy == nullptr)
        return;
    wl_output_add_listener(output->proxy, &kOutputListener, output.get());
    self->Outputs().push_back(std::move(output));
}
void GlobalRemove(void* data, wl_registry*, uint32_t name) {
    auto& outputs = static_cast<WaylandScale*>(data)->Outputs();
    for (auto it = outputs.begin(); it != outputs.end(); ++it) {
        if ((*it)->name == name) {
            wl_output_destroy((*it)->proxy);
            outputs.erase(it);
            return;
        }
    }
}
const wl_registry_listener kRegistryListener = {Global, GlobalRemove};

}  // namespace

WaylandScale::~WaylandScale() {
    Detach();
}

bool WaylandScale::Attach(SDL_Window* window) {
    Detach();
    SDL_SysWMinfo info;
    SDL_VERSION(&info.version);
    if (window == nullptr || SDL_GetWindowWMInfo(window, &info) != SDL_TRUE ||
        info.subsystem != SDL_SYSWM_WAYLAND || info.info.wl.display == nullptr ||
        info.info.wl.surface == nullptr || info.info.wl.egl_window == nullptr)
        return false;
    window_ = window;
    display_ = info.info.wl.display;
    surface_ = info.info.wl.surface;
    eglWindow_ = info.info.wl.egl_window;
    queue_ = wl_display_create_queue(display_);
    if (queue_ == nullptr) {
        Detach();
        return false;
    }
    // A wrapper puts the registry, and the outputs bound through it, on the
    // private queue, so SDL's own dispatch never runs these listeners.
    auto* wrapper = static_cast<wl_display*>(wl_proxy_create_wrapper(display_));
    if (wrapper == nullptr) {
        Detach();
        return false;
    }
    wl_proxy_set_queue(reinterpret_cast<wl_proxy*>(wrapper), queue_);
    registry_ = wl_display_get_registry(wrapper);
    wl_proxy_wrapper_destroy(wrapper);
    if (registry_ == nullptr) {
        Detach();
        return false;
    }
    wl_registry_add_listener(registry_, &kRegistryListener, this);
    // The globals, then each output's first batch.
    wl_display_roundtrip_queue(display_, queue_);
    wl_display_roundtrip_queue(display_, queue_);
    return true;
}

void WaylandScale::Detach() {
    if (following_ && eglWindow_ != nullptr && sdlSize_[2] > 0 && sdlSize_[3] > 0)
        wl_egl_window_resize(eglWindow_, sdlSize_[2], sdlSize_[3], 0, 0);
    for (auto& output : outputs_)
        wl_output_destroy(output->proxy);
    outputs_.clear();
    if (registry_ != nullptr)
        wl_registry_destroy(registry_);
    registry_ = nullptr;
    if (queue_ != nullptr)
        wl_event_queue_destroy(queue_);
    queue_ = nullptr;
    window_ = nullptr;
    display_ = nullptr;
    surface_ = nullptr;
    eglWindow_ = nullptr;
    following_ = false;
    bufferScale_ = 0;
    std::fill(std::begin(sdlSize_), std::end(sdlSize_), 0);
}

int32_t WaylandScale::WindowOutputScale() const {
    if (outputs_.size() == 1)
        return outputs_.front()->scale;
    const int display = SDL_GetWindowDisplayIndex(window_);
    SDL_Rect bounds{};
    if (display < 0 || SDL_GetDisplayBounds(display, &bounds) != 0)
        return 0;
    for (const auto& output : outputs_) {
        if (output->x == bounds.x && output->y == bounds.y)
            return output->scale;
    }
    return 0;
}

void WaylandScale::Follow() {
    if (queue_ == nullptr)
        return;
    if (wl_display_dispatch_queue_pending(display_, queue_) < 0)
        return;
    int sdl[4] = {0, 0, 0, 0};
    SDL_GetWindowSize(window_, &sdl[0], &sdl[1]);
    SDL_GL_GetDrawableSize(window_, &sdl[2], &sdl[3]);
    if (sdl[0] <= 0 || sdl[1] <= 0 || sdl[2] <= 0 || sdl[3] <= 0)
        return;
    // SDL takes a full screen's scale from the output at its configure, which
    // may come before the output's new scale: it is followed there too.
    const int32_t scale = WindowOutputScale();
    const bool lags = scale > 0 && (sdl[2] != sdl[0] * scale || sdl[3] != sdl[1] * scale);
    const bool sdlChanged = !std::equal(std::begin(sdl), std::end(sdl), std::begin(sdlSize_));
    std::copy(std::begin(sdl), std::end(sdl), std::begin(sdlSize_));
    if (lags) {
        // SDL sizes the EGL window again at each configure; it is put back.
        if (!following_ || sdlChanged || scale != followedScale_) {
            drawable_[0] = sdl[0] * scale;
            drawable_[1] = sdl[1] * scale;
            wl_egl_window_resize(eglWindow_, drawable_[0], drawable_[1], 0, 0);
            bufferScale_ = scale;
            followedScale_ = scale;
            following_ = true;
        }
    } else if (following_) {
        // SDL caught up, or the scale went back to SDL's: its own sizes again.
        wl_egl_window_resize(eglWindow_, sdl[2], sdl[3], 0, 0);
        bufferScale_ = std::max(sdl[2] / sdl[0], 1);
        following_ = false;
    }
}

void WaylandScale::BeforeSwap() {
    if (surface_ == nullptr || bufferScale_ == 0)
        return;
    wl_surface_set_buffer_scale(surface_, bufferScale_);
    // SDL may set its own scale again with a configure; while following, the
    // scale goes with every buffer.
    if (!following_)
        bufferScale_ = 0;
}

bool WaylandScale::FollowedSize(int* width, int* height) const {
    if (!following_)
        return false;
    *width = drawable_[0];
    *height = drawable_[1];
    return true;
}

}  // namespace platform
