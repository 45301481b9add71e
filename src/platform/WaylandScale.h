#pragma once
// Keeps a Wayland window's drawable at its output's pixels when the output's
// scale changes under it.
//
// SDL 2.26 picks a window's buffer scale when its surface enters or leaves an
// output (wl_surface.enter and .leave) and when the compositor configures it
// full screen. It records a later wl_output.scale of an output the window
// already stands on, but never looks at the window again: a window on an
// output turned from scale 1 to 2 goes on drawing half the pixels, doubled by
// the compositor, and one turned from 2 to 1 draws four times the pixels
// shown. sway does this when its output's scale is set while the game runs.
//
// This listens to the outputs on a private event queue of SDL's own Wayland
// connection (SDL's pump reads the socket for every queue). While SDL's
// drawable disagrees with the scale of the output the window is on, the EGL
// window is resized to the window's size times that scale and the surface's
// buffer scale is set to it before each swap, in the same commit as the
// buffer of that size. SDL also takes a full screen's scale at its
// configure, which sway may send before the output's new scale. Where SDL
// is right (a window that entered the output after the change, GNOME, which
// sends the window to new outputs on each change) nothing is touched.

#include <cstdint>
#include <memory>
#include <vector>

struct SDL_Window;
struct wl_display;
struct wl_egl_window;
struct wl_output;
struct wl_event_queue;
struct wl_registry;
struct wl_surface;

namespace platform {

class WaylandScale {
public:
    WaylandScale() = default;
    ~WaylandScale();
    WaylandScale(const WaylandScale&) = delete;
    WaylandScale& operator=(const WaylandScale&) = delete;

    // Starts listening when the window is on SDL's Wayland driver; a no-op
    // (and false) on any other.
    bool Attach(SDL_Window* window);
    void Detach();

    // After SDL's pump: takes in the outputs' changes and sizes the EGL
    // window for the scale the picture is to be drawn at.
    void Follow();
    // Just before the swap: the buffer scale that goes with the next buffer.
    void BeforeSwap();
    // The drawable in pixels while SDL lags behind the scale; false when
    // SDL's own drawable size is right.
    bool FollowedSize(int* width, int* height) const;

    struct Output {
        WaylandScale* owner = nullptr;
        uint32_t name = 0;
        wl_output* proxy = nullptr;
        int32_t x = 0;
        int32_t y = 0;
        int32_t scale = 1;
        int32_t pendingScale = 1;
    };
    std::vector<std::unique_ptr<Output>>& Outputs() { return outputs_; }
    wl_registry* Registry() const { return registry_; }

private:
    // The scale of the output SDL puts the window on, or 0 when it is not known.
    int32_t WindowOutputScale() const;

    SDL_Window* window_ = nullptr;
    wl_display* display_ = nullptr;
    wl_surface* surface_ = nullptr;
    wl_egl_window* eglWindow_ = nullptr;
    wl_event_queue* queue_ = nullptr;
    wl_registry* registry_ = nullptr;
    std::vector<std::unique_ptr<Output>> outputs_;

    // SDL's window and drawable sizes at the last look, and what was applied.
    int sdlSize_[4] = {0, 0, 0, 0};
    bool following_ = false;
    int drawable_[2] = {0, 0};
    int32_t bufferScale_ = 0;  // to be sent before the next swap; 0: nothing to send
    int32_t followedScale_ = 1;
};

}  // namespace platform
