#include "platform/SdlWindow.h"

#include <SDL.h>
#include <png.h>

#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "platform/Files.h"

namespace platform {
namespace {

// How long a size the program asked for waits for its size event. Some video
// drivers report the new size only on a later pump.
constexpr uint64_t kExpectedSizeLifetimeMs = 1000;

constexpr uint32_t kStateFlags =
    SDL_WINDOW_MAXIMIZED | SDL_WINDOW_MINIMIZED | SDL_WINDOW_FULLSCREEN;

Rect MakeRect(int x, int y, int width, int height) {
    return Rect{x, y, x + width, y + height};
}

// The edge or corner a resize dragged. A size that changed moved the far side
// unless the window's position moved with it, which only dragging the left or
// the top side does.
int32_t DraggedEdge(const Rect& before, const Rect& after) {
    const bool widthChanged = after.right - after.left != before.right - before.left;
    const bool heightChanged = after.bottom - after.top != before.bottom - before.top;
    const bool left = widthChanged && after.left != before.left;
    const bool top = heightChanged && after.top != before.top;
    if (widthChanged && heightChanged) {
        if (top)
            return left ? kEdgeTopLeft : kEdgeTopRight;
        return left ? kEdgeBottomLeft : kEdgeBottomRight;
    }
    if (widthChanged)
        return left ? kEdgeLeft : kEdgeRight;
    return top ? kEdgeTop : kEdgeBottom;
}

}  // namespace

SdlWindow::~SdlWindow() {
    Destroy();
    if (videoStarted_)
        SDL_QuitSubSystem(SDL_INIT_VIDEO);
}

bool SdlWindow::Create(const char* title, int32_t clientWidth, int32_t clientHeight) {
    if (window_ != nullptr)
        return false;
    if (SDL_WasInit(SDL_INIT_VIDEO) == 0) {
        if (SDL_InitSubSystem(SDL_INIT_VIDEO) != 0) {
            std::fprintf(stderr, "Tessary: SDL_InitSubSystem(SDL_INIT_VIDEO) failed: %s\n",
                         SDL_GetError());
            reason_ = SDL_GetError();
            return false;
        }
        videoStarted_ = true;
    }
    // When no real display can be reached SDL falls back to a driver that draws
    // nowhere; the game would then run invisibly. Those drivers are only for
    // whoever asks for them by name (the tests do).
    const char* driver = SDL_GetCurrentVideoDriver();
    const char* asked = SDL_getenv("SDL_VIDEODRIVER");
    if (driver != nullptr && (asked == nullptr || asked[0] == '\0') &&
        (std::strcmp(driver, "offscreen") == 0 || std::strcmp(driver, "dummy") == 0)) {
        std::fprintf(stderr, "Tessary: no display to open a window on (is DISPLAY set?)\n");
        reason_ = "no display to open a window on (is DISPLAY set?)";
        if (videoStarted_) {
            SDL_QuitSubSystem(SDL_INIT_VIDEO);
            videoStarted_ = false;
        }
        return false;
    }

    // Closing the window is one close message; SDL would add a quit event too.
    SDL_SetHint(SDL_HINT_QUIT_ON_LAST_WINDOW_CLOSE, "0");
    // The window's visual is chosen from these, so they are set before it is made.
    SDL_GL_SetAttribute(SDL_GL_CONTEXT_PROFILE_MASK, SDL_GL_CONTEXT_PROFILE_CORE);
    SDL_GL_SetAttribute(SDL_GL_CONTEXT_MAJOR_VERSION, 3);
    SDL_GL_SetAttribute(SDL_GL_CONTEXT_MINOR_VERSION, 3);
    SDL_GL_SetAttribute(SDL_GL_DOUBLEBUFFER, 1);
    SDL_GL_SetAttribute(SDL_GL_DEPTH_SIZE, 0);  // nothing uses one; the visual is chosen here

    {
        std::lock_guard lock(mutex_);
        programSizing_ = 0;
        expected_ = {};
        sizePending_ = false;
        stateChangedSincePump_ = false;
    }
    // From here on no event stays in SDL's queue; drop what an earlier user left.
    SDL_SetEventFilter(&SdlWindow::EventFilter, this);
    SDL_FlushEvents(SDL_FIRSTEVENT, SDL_LASTEVENT);

    window_ = SDL_CreateWindow(title, SDL_WINDOWPOS_UNDEFINED, SDL_WINDOWPOS_UNDEFINED, clientWidth,
                               clientHeight,
                               SDL_WINDOW_OPENGL | SDL_WINDOW_RESIZABLE | SDL_WINDOW_HIDDEN);
    if (window_ == nullptr) {
        std::fprintf(stderr, "Tessary: SDL_CreateWindow failed: %s\n", SDL_GetError());
        reason_ = SDL_GetError();
        SDL_SetEventFilter(nullptr, nullptr);
        return false;
    }
    int x = 0;
    int y = 0;
    int width = 0;
    int height = 0;
    SDL_GetWindowPosition(window_, &x, &y);
    SDL_GetWindowSize(window_, &width, &height);
    {
        std::lock_guard lock(mutex_);
        knownX_ = x;
        knownY_ = y;
        knownWidth_ = width;
        knownHeight_ = height;
    }
    windowId_.store(SDL_GetWindowID(window_));
    haveNormalBounds_ = false;
    RememberNormalBounds();
    // The game has no text entry; this keeps input methods from popping up.
    SDL_StopTextInput();
    return true;
}

void SdlWindow::Show() {
    if (window_ != nullptr)
        SDL_ShowWindow(window_);
}

void SdlWindow::Destroy() {
    if (window_ == nullptr)
        return;
    windowId_.store(0);  // the events of the window's own teardown are not messages
    SDL_DestroyWindow(window_);
    window_ = nullptr;
    SDL_EventFilter filter = nullptr;
    void* userdata = nullptr;
    if (SDL_GetEventFilter(&filter, &userdata) == SDL_TRUE && userdata == this) {
        SDL_SetEventFilter(nullptr, nullptr);
    }
    SDL_FlushEvents(SDL_FIRSTEVENT, SDL_LASTEVENT);
}

void SdlWindow::PumpEvents() {
    if (window_ == nullptr)
        return;
    SDL_PumpEvents();
    FlushPlayerSizing();
    RememberNormalBounds();
}

bool SdlWindow::TakeMessage(Message* out) {
    std::lock_guard lock(mutex_);
    if (count_ == 0)
        return false;
    *out = queue_[head_];
    head_ = (head_ + 1) % kQueueCapacity;
    --count_;
    return true;
}

void SdlWindow::PostMessage(const Message& message) {
    std::lock_guard lock(mutex_);
    Enqueue(message);
}

void SdlWindow::Enqueue(const Message& message) {
    if (count_ == kQueueCapacity)
        return;
    queue_[(head_ + count_) % kQueueCapacity] = message;
    ++count_;
}

// ---- Event translation -------------------------------------------------------

int SdlWindow::EventFilter(void* userdata, SDL_Event* event) {
    static_cast<SdlWindow*>(userdata)->Translate(*event);
    return 0;  // nothing is kept in SDL's queue
}

void SdlWindow::Translate(const SDL_Event& event) {
    switch (event.type) {
        case SDL_QUIT: {  // a signal such as SIGTERM; the window's close button comes below
            std::lock_guard lock(mutex_);
            Enqueue(Message{MessageId::kClose, 0, {}});
            break;
        }
        case SDL_KEYDOWN:
            TranslateKeyDown(event);
            break;
        case SDL_WINDOWEVENT:
            if (event.window.windowID != 0 && event.window.windowID == windowId_.load()) {
                TranslateWindowEvent(event);
            }
            break;
        case SDL_JOYDEVICEADDED:
        case SDL_JOYDEVICEREMOVED:
            padChanges_.fetch_add(1, std::memory_order_release);
            break;
        default:  // key releases, text, mouse, pad input and the rest carry no message
            break;
    }
}

void SdlWindow::TranslateKeyDown(const SDL_Event& event) {
    const SDL_Keysym& key = event.key.keysym;
    const int scancode = static_cast<int>(key.scancode);
    if (scancode >= 0 && scancode < kScancodeCount) {
        pressed_[scancode].store(true, std::memory_order_relaxed);
    }
    if (event.key.repeat != 0)
        return;
    // An accelerator takes exactly its own Shift, Ctrl and Alt: Esc with none
    // of them, Enter with Alt alone. Lock keys and the logo key do not count.
    const int held = key.mod & (KMOD_SHIFT | KMOD_CTRL | KMOD_ALT);
    const bool altAlone = (held & KMOD_ALT) != 0 && (held & (KMOD_SHIFT | KMOD_CTRL)) == 0;
    int32_t command = 0;
    if (key.sym == SDLK_ESCAPE && held == 0) {
        command = kCommandClose;
    } else if ((key.sym == SDLK_RETURN || key.sym == SDLK_KP_ENTER) && altAlone) {
        command = kCommandToggleFullScreen;
    }
    if (command == 0)
        return;
    std::lock_guard lock(mutex_);
    Enqueue(Message{MessageId::kCommand, command, {}});
}

void SdlWindow::TranslateWindowEvent(const SDL_Event& event) {
    switch (event.window.event) {
        case SDL_WINDOWEVENT_CLOSE: {
            std::lock_guard lock(mutex_);
            Enqueue(Message{MessageId::kClose, 0, {}});
            break;
        }
        case SDL_WINDOWEVENT_FOCUS_GAINED:
        case SDL_WINDOWEVENT_FOCUS_LOST: {
            const int32_t gained = event.window.event == SDL_WINDOWEVENT_FOCUS_GAINED ? 1 : 0;
            std::lock_guard lock(mutex_);
            Enqueue(Message{MessageId::kActivate, gained, {}});
            break;
        }
        case SDL_WINDOWEVENT_SIZE_CHANGED:
            OnSizeChanged(event.window.data1, event.window.data2);
            break;
        case SDL_WINDOWEVENT_MAXIMIZED:
        case SDL_WINDOWEVENT_MINIMIZED:
        case SDL_WINDOWEVENT_RESTORED: {
            std::lock_guard lock(mutex_);
            if (programSizing_ == 0)
                stateChangedSincePump_ = true;
            break;
        }
        default:
            break;
    }
}

void SdlWindow::OnSizeChanged(int32_t width, int32_t height) {
    const uint64_t now = SDL_GetTicks64();
    std::lock_guard lock(mutex_);
    bool programMade = programSizing_ > 0;
    for (ExpectedSize& slot : expected_) {
        if (slot.deadlineMs == 0)
            continue;
        if (slot.deadlineMs < now) {
            slot = {};
        } else if (slot.width == width && slot.height == height) {
            slot = {};
            programMade = true;
            break;
        }
    }
    if (programMade) {
        knownWidth_ = width;
        knownHeight_ = height;
        return;
    }
    // The player's change is judged once the pump is over: a maximize or a
    // restore may report its new size before the state change itself.
    sizePending_ = true;
    pendingWidth_ = width;
    pendingHeight_ = height;
}

void SdlWindow::FlushPlayerSizing() {
    const uint32_t flags = SDL_GetWindowFlags(window_);
    int x = 0;
    int y = 0;
    SDL_GetWindowPosition(window_, &x, &y);
    std::lock_guard lock(mutex_);
    const bool stateChanged = stateChangedSincePump_;
    stateChangedSincePump_ = false;
    // The window as it stood at the previous pump; a move alone updates it.
    const Rect before = MakeRect(knownX_, knownY_, knownWidth_, knownHeight_);
    knownX_ = x;
    knownY_ = y;
    if (!sizePending_)
        return;
    sizePending_ = false;
    const Rect after = MakeRect(x, y, pendingWidth_, pendingHeight_);
    knownWidth_ = pendingWidth_;
    knownHeight_ = pendingHeight_;
    // Maximizing, minimizing and restoring are not a border drag: they keep
    // whatever size they give, as they do on systems that report drags apart.
    if (stateChanged || (flags & kStateFlags) != 0)
        return;
    if (after.right - after.left == before.right - before.left &&
        after.bottom - after.top == before.bottom - before.top)
        return;
    Enqueue(Message{MessageId::kSizing, DraggedEdge(before, after), after});
}

// ---- Program-made moves and sizes --------------------------------------------

void SdlWindow::BeginProgramSizing(int32_t width, int32_t height) {
    const uint64_t now = SDL_GetTicks64();
    std::lock_guard lock(mutex_);
    ++programSizing_;
    // SDL reports no size event when the size does not change.
    if (width <= 0 || height <= 0 || (width == knownWidth_ && height == knownHeight_))
        return;
    ExpectedSize* target = &expected_[0];
    for (ExpectedSize& slot : expected_) {
        if (slot.deadlineMs < now) {  // free or expired
            target = &slot;
            break;
        }
        if (slot.deadlineMs < target->deadlineMs)
            target = &slot;
    }
    *target = ExpectedSize{width, height, now + kExpectedSizeLifetimeMs};
}

void SdlWindow::EndProgramSizing() {
    std::lock_guard lock(mutex_);
    --programSizing_;
}

void SdlWindow::RememberNormalBounds() {
    if (window_ == nullptr || (SDL_GetWindowFlags(window_) & kStateFlags) != 0)
        return;
    haveNormalBounds_ = GetRect(&normalBounds_);
}

// ---- Placement ---------------------------------------------------------------

bool SdlWindow::GetRect(Rect* out) {
    if (window_ == nullptr)
        return false;
    int x = 0;
    int y = 0;
    int width = 0;
    int height = 0;
    SDL_GetWindowPosition(window_, &x, &y);
    SDL_GetWindowSize(window_, &width, &height);
    *out = MakeRect(x, y, width, height);
    return true;
}

bool SdlWindow::GetPlacement(Placement* out) {
    if (window_ == nullptr)
        return false;
    RememberNormalBounds();
    Rect bounds{};
    if (haveNormalBounds_) {
        bounds = normalBounds_;
    } else if (!GetRect(&bounds)) {
        return false;
    }
    out->bounds = bounds;
    out->maximized = (SDL_GetWindowFlags(window_) & SDL_WINDOW_MAXIMIZED) != 0;
    return true;
}

void SdlWindow::SetPlacement(const Placement& placement) {
    if (window_ == nullptr)
        return;
    const Rect& r = placement.bounds;
    const int32_t width = r.right - r.left;
    const int32_t height = r.bottom - r.top;
    BeginProgramSizing(width, height);
    if ((SDL_GetWindowFlags(window_) & (SDL_WINDOW_MAXIMIZED | SDL_WINDOW_MINIMIZED)) != 0) {
        SDL_RestoreWindow(window_);
    }
    SDL_SetWindowPosition(window_, r.left, r.top);
    if (width > 0 && height > 0)
        SDL_SetWindowSize(window_, width, height);
    if (placement.maximized)
        SDL_MaximizeWindow(window_);
    EndProgramSizing();
    normalBounds_ = r;
    haveNormalBounds_ = true;
}

void SdlWindow::SetBounds(const Rect& bounds) {
    if (window_ == nullptr)
        return;
    const int32_t width = bounds.right - bounds.left;
    const int32_t height = bounds.bottom - bounds.top;
    BeginProgramSizing(width, height);
    // A maximized window may refuse a new size from the window manager.
    if ((SDL_GetWindowFlags(window_) & (SDL_WINDOW_MAXIMIZED | SDL_WINDOW_MINIMIZED)) != 0) {
        SDL_RestoreWindow(window_);
    }
    SDL_SetWindowPosition(window_, bounds.left, bounds.top);
    if (width > 0 && height > 0)
        SDL_SetWindowSize(window_, width, height);
    EndProgramSizing();
    RememberNormalBounds();
}

bool SdlWindow::DisplayBounds(Rect* out) {
    // SDL names the display that holds the window's centre, or the nearest one
    // when it lies off every display; without a window it is the first.
    int display = window_ != nullptr ? SDL_GetWindowDisplayIndex(window_) : 0;
    if (display < 0)
        display = 0;
    SDL_Rect r{};
    if (SDL_GetDisplayBounds(display, &r) != 0)
        return false;
    *out = MakeRect(r.x, r.y, r.w, r.h);
    return true;
}

void SdlWindow::SetBordered(bool bordered) {
    if (window_ == nullptr)
        return;
    // Adding or removing the frame may resize the window; that is not the player.
    BeginProgramSizing(0, 0);
    SDL_SetWindowBordered(window_, bordered ? SDL_TRUE : SDL_FALSE);
    EndProgramSizing();
}

void SdlWindow::ShowCursor() {
    if (SDL_WasInit(SDL_INIT_VIDEO) != 0)
        SDL_ShowCursor(SDL_ENABLE);
}

const char* SdlWindow::VideoDriver() const {
    const char* driver = SDL_GetCurrentVideoDriver();
    return driver != nullptr ? driver : "none";
}

bool SdlWindow::SetIcon(std::u16string_view pngFile) {
    if (window_ == nullptr)
        return false;
    const std::string path = NativePath(pngFile);
    png_image image{};
    image.version = PNG_IMAGE_VERSION;
    if (png_image_begin_read_from_file(&image, path.c_str()) == 0) {
        std::fprintf(stderr, "Tessary: no window icon from %s: %s\n", path.c_str(), image.message);
        png_image_free(&image);
        return false;
    }
    // An icon is small; anything larger is not one of ours.
    constexpr png_uint_32 kLargestIcon = 512;
    if (image.width > kLargestIcon || image.height > kLargestIcon) {
        std::fprintf(stderr, "Tessary: no window icon from %s: %u x %u is too large\n",
                     path.c_str(), image.width, image.height);
        png_image_free(&image);
        return false;
    }
    image.format = PNG_FORMAT_RGBA;
    std::vector<uint8_t> pixels(PNG_IMAGE_SIZE(image));
    if (png_image_finish_read(&image, nullptr, pixels.data(), 0, nullptr) == 0) {
        std::fprintf(stderr, "Tessary: no window icon from %s: %s\n", path.c_str(), image.message);
        png_image_free(&image);
        return false;
    }
    const int width = static_cast<int>(image.width);
    const int height = static_cast<int>(image.height);
    SDL_Surface* surface = SDL_CreateRGBSurfaceWithFormatFrom(pixels.data(), width, height, 32,
                                                              width * 4, SDL_PIXELFORMAT_RGBA32);
    if (surface == nullptr) {
        std::fprintf(stderr, "Tessary: SDL_CreateRGBSurfaceWithFormatFrom failed: %s\n",
                     SDL_GetError());
        return false;
    }
    SDL_SetWindowIcon(window_, surface);  // SDL copies the pixels
    SDL_FreeSurface(surface);
    return true;
}

// ---- Keys pressed since the last poll ----------------------------------------

bool SdlWindow::WasPressed(int scancode) const {
    if (scancode < 0 || scancode >= kScancodeCount)
        return false;
    return pressed_[scancode].load(std::memory_order_relaxed);
}

bool SdlWindow::TakePressed(int scancode) {
    if (scancode < 0 || scancode >= kScancodeCount)
        return false;
    return pressed_[scancode].exchange(false, std::memory_order_relaxed);
}

void SdlWindow::ClearPressed() {
    for (std::atomic<bool>& flag : pressed_)
        flag.store(false, std::memory_order_relaxed);
}

}  // namespace platform
