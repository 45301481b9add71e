#include "platform/SdlWindow.h"

#include <SDL.h>
#include <SDL_syswm.h>
#include <X11/Xlib.h>
#include <X11/Xatom.h>
#include <png.h>

#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "platform/Files.h"
#include "platform/PictureFit.h"
#include "platform/SignalWatcher.h"

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

// How long after a full-screen request its size changes are still the desktop's.
constexpr uint64_t kDesktopSizingMs = 1000;

// The frame a window manager is taken to draw before the window exists to ask:
// generous, so that a first window sized by it fits whatever frame comes. Once
// the window is shown, the frame it really got sizes and centres it again.
constexpr FrameExtents kAssumedFrame{8, 40, 8, 8};
// How long after showing the window its frame is waited for.
constexpr uint64_t kFrameAnswerMs = 2000;

// The edge or corner a resize dragged. A size that changed moved the far side
// unless the window's position moved with it, which only dragging the left or
// the top side does.
Edge DraggedEdge(const Rect& before, const Rect& after) {
    const bool widthChanged = after.right - after.left != before.right - before.left;
    const bool heightChanged = after.bottom - after.top != before.bottom - before.top;
    const bool left = widthChanged && after.left != before.left;
    const bool top = heightChanged && after.top != before.top;
    if (widthChanged && heightChanged) {
        if (top)
            return left ? Edge::kTopLeft : Edge::kTopRight;
        return left ? Edge::kBottomLeft : Edge::kBottomRight;
    }
    if (widthChanged)
        return left ? Edge::kLeft : Edge::kRight;
    return top ? Edge::kTop : Edge::kBottom;
}

// The X11 display and window behind an SDL window; false on other drivers.
bool X11Handles(SDL_Window* window, Display** display, ::Window* xwindow) {
    SDL_SysWMinfo info;
    SDL_VERSION(&info.version);
    if (window == nullptr || SDL_GetWindowWMInfo(window, &info) != SDL_TRUE ||
        info.subsystem != SDL_SYSWM_X11 || info.info.x11.display == nullptr)
        return false;
    *display = info.info.x11.display;
    *xwindow = info.info.x11.window;
    return true;
}

bool xRequestFailed = false;
int NoteXError(Display*, XErrorEvent*) {
    xRequestFailed = true;
    return 0;
}

// The window a property names, or 0. A window that is gone (a window manager
// that quit and left its mark on the root) is an error the handler swallows.
::Window WindowProperty(Display* display, ::Window from, Atom property) {
    Atom type = 0;
    int format = 0;
    unsigned long count = 0;
    unsigned long after = 0;
    unsigned char* data = nullptr;
    ::Window named = 0;
    if (XGetWindowProperty(display, from, property, 0, 1, False, XA_WINDOW, &type, &format, &count,
                           &after, &data) == Success &&
        type == XA_WINDOW && format == 32 && count == 1 && data != nullptr) {
        named = *reinterpret_cast<::Window*>(data);
    }
    if (data != nullptr)
        XFree(data);
    return named;
}

// An EWMH window manager names a child window on the root, and the child
// names itself; a stale mark from a manager that has gone fails the second look.
bool X11WindowManagerRuns(Display* display) {
    const Atom check = XInternAtom(display, "_NET_SUPPORTING_WM_CHECK", True);
    if (check == None)
        return false;
    XSync(display, False);
    xRequestFailed = false;
    int (*previous)(Display*, XErrorEvent*) = XSetErrorHandler(&NoteXError);
    const ::Window child = WindowProperty(display, DefaultRootWindow(display), check);
    const bool answers = child != 0 && WindowProperty(display, child, check) == child;
    XSync(display, False);
    XSetErrorHandler(previous);
    return answers && !xRequestFailed;
}

// Whether an X11 window manager lists the window as full screen in its state.
bool X11FullScreenState(Display* display, ::Window xwindow) {
    const Atom state = XInternAtom(display, "_NET_WM_STATE", True);
    const Atom fullScreen = XInternAtom(display, "_NET_WM_STATE_FULLSCREEN", True);
    if (state == None || fullScreen == None)
        return false;
    Atom type = 0;
    int format = 0;
    unsigned long count = 0;
    unsigned long after = 0;
    unsigned char* data = nullptr;
    bool listed = false;
    if (XGetWindowProperty(display, xwindow, state, 0, 64, False, XA_ATOM, &type, &format, &count,
                           &after, &data) == Success &&
        type == XA_ATOM && format == 32 && data != nullptr) {
        const Atom* atoms = reinterpret_cast<const Atom*>(data);
        for (unsigned long i = 0; i < count && !listed; ++i)
            listed = atoms[i] == fullScreen;
    }
    if (data != nullptr)
        XFree(data);
    return listed;
}

}  // namespace

SdlWindow::~SdlWindow() {
    Destroy();
    if (videoStarted_)
        SDL_QuitSubSystem(SDL_INIT_VIDEO);
}

base::Outcome SdlWindow::Create(const char* title, int32_t clientWidth, int32_t clientHeight) {
    if (window_ != nullptr)
        return base::Outcome::Failed("the window is open already");
    if (SDL_WasInit(SDL_INIT_VIDEO) == 0) {
        if (SDL_InitSubSystem(SDL_INIT_VIDEO) != 0) {
            std::fprintf(stderr, "Tessary: SDL_InitSubSystem(SDL_INIT_VIDEO) failed: %s\n",
                         SDL_GetError());
            return base::Outcome::Failed(SDL_GetError());
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
        if (videoStarted_) {
            SDL_QuitSubSystem(SDL_INIT_VIDEO);
            videoStarted_ = false;
        }
        return base::Outcome::Failed("no display to open a window on (is DISPLAY set?)");
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
        desktopSizingUntilMs_ = 0;
    }
    // From here on no event stays in SDL's queue; drop what an earlier user left.
    SDL_SetEventFilter(&SdlWindow::EventFilter, this);
    SDL_FlushEvents(SDL_FIRSTEVENT, SDL_LASTEVENT);

    // A screen too small for the asked size with its frame gets the largest
    // 16:9 window that fits its usable area (without panels and docks). The
    // drivers that draw nowhere have no screen to fit.
    int x = SDL_WINDOWPOS_UNDEFINED;
    int y = SDL_WINDOWPOS_UNDEFINED;
    SDL_Rect usable{};
    const bool onScreen =
        std::strcmp(VideoDriver(), "x11") == 0 || std::strcmp(VideoDriver(), "wayland") == 0;
    firstFit_ = {};
    if (onScreen && SDL_GetDisplayUsableBounds(0, &usable) == 0) {
        const FirstWindow first = FitFirstWindow(MakeRect(usable.x, usable.y, usable.w, usable.h),
                                                 kAssumedFrame, clientWidth, clientHeight);
        if (first.placed) {
            firstFit_ = {true, MakeRect(usable.x, usable.y, usable.w, usable.h), clientWidth,
                         clientHeight};
            x = first.frameLeft;
            y = first.frameTop;
        }
        clientWidth = first.width;
        clientHeight = first.height;
    }
    // On a scaled output the drawable has the output's own pixels, so the
    // picture is drawn sharp rather than magnified by the compositor.
    window_ = SDL_CreateWindow(
        title, x, y, clientWidth, clientHeight,
        SDL_WINDOW_OPENGL | SDL_WINDOW_RESIZABLE | SDL_WINDOW_HIDDEN | SDL_WINDOW_ALLOW_HIGHDPI);
    if (window_ == nullptr) {
        std::fprintf(stderr, "Tessary: SDL_CreateWindow failed: %s\n", SDL_GetError());
        std::string reason = SDL_GetError();
        SDL_SetEventFilter(nullptr, nullptr);
        return base::Outcome::Failed(std::move(reason));
    }
    int width = 0;
    int height = 0;
    SDL_GetWindowPosition(window_, &x, &y);
    SDL_GetWindowSize(window_, &width, &height);
    scale_.Attach(window_);
    {
        std::lock_guard lock(mutex_);
        knownX_ = x;
        knownY_ = y;
        knownWidth_ = width;
        knownHeight_ = height;
    }
    windowId_.store(SDL_GetWindowID(window_));
    desktopFullScreen_ = false;
    fullScreenAnswerUntilMs_ = 0;
    haveNormalBounds_ = false;
    RememberNormalBounds();
    // The game has no text entry; this keeps input methods from popping up.
    SDL_StopTextInput();
    return {};
}

void SdlWindow::Show() {
    if (window_ == nullptr)
        return;
    SDL_ShowWindow(window_);
    firstFit_.untilMs = SDL_GetTicks64() + kFrameAnswerMs;
    RefitFirstWindow();
}

void SdlWindow::RefitFirstWindow() {
    // Only a first window sized to a small screen, and only once: after this
    // the player's and the desktop's sizes rule.
    if (!firstFit_.pending)
        return;
    // SDL learns the frame (_NET_FRAME_EXTENTS on X11) when the window
    // manager sets it, on the window's mapping or a little after; until then
    // it reports none. A driver that cannot tell, or a frame that does not
    // come in time (no window manager), keeps the assumed one.
    int top = 0;
    int left = 0;
    int bottom = 0;
    int right = 0;
    if (SDL_GetWindowBordersSize(window_, &top, &left, &bottom, &right) != 0) {
        firstFit_.pending = false;
        return;
    }
    if (top == 0 && left == 0 && bottom == 0 && right == 0) {
        if (SDL_GetTicks64() > firstFit_.untilMs)
            firstFit_.pending = false;
        return;
    }
    firstFit_.pending = false;
    const FrameExtents frame{left, top, right, bottom};
    const FirstWindow first =
        FitFirstWindow(firstFit_.usable, frame, firstFit_.width, firstFit_.height);
    if (!first.placed)
        return;
    // SDL places the client; the frame's outer corner lies its extents
    // above and to the left of it.
    BeginProgramSizing(first.width, first.height);
    SDL_SetWindowSize(window_, first.width, first.height);
    SDL_SetWindowPosition(window_, first.frameLeft + frame.left, first.frameTop + frame.top);
    EndProgramSizing();
    RememberNormalBounds();
}

void SdlWindow::Destroy() {
    if (window_ == nullptr)
        return;
    windowId_.store(0);  // the events of the window's own teardown are not messages
    scale_.Detach();
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
    // A caught SIGTERM, SIGINT or SIGHUP closes the window like its button.
    if (SignalWatcher::TakeCloseRequest()) {
        SDL_Event quit{};
        quit.type = SDL_QUIT;
        SDL_PushEvent(&quit);
    }
    SDL_PumpEvents();
    RefitFirstWindow();
    scale_.Follow();
    FollowDesktopFullScreen();
    FlushPlayerSizing();
    RefitAfterFullScreen();
    RememberNormalBounds();
}

bool SdlWindow::TakeEvent(WindowEvent* out) {
    std::lock_guard lock(mutex_);
    if (count_ == 0)
        return false;
    *out = queue_[head_];
    head_ = (head_ + 1) % kQueueCapacity;
    --count_;
    return true;
}

void SdlWindow::PostEvent(const WindowEvent& event) {
    std::lock_guard lock(mutex_);
    Enqueue(event);
}

void SdlWindow::Enqueue(const WindowEvent& event) {
    using Kind = WindowEvent::Kind;
    const bool merges = event.kind == Kind::kExposed || event.kind == Kind::kSizeSetByDesktop ||
                        event.kind == Kind::kSizeDragged;
    if (merges && count_ > 0) {
        WindowEvent& last = queue_[(head_ + count_ - 1) % kQueueCapacity];
        if (last.kind == event.kind) {
            last = event;
            return;
        }
    }
    if (count_ == kQueueCapacity)
        return;
    queue_[(head_ + count_) % kQueueCapacity] = event;
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
            Enqueue({WindowEvent::Kind::kCloseAsked});
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
    if (key.sym == SDLK_ESCAPE && held == 0) {
        std::lock_guard lock(mutex_);
        Enqueue({WindowEvent::Kind::kEscapePressed});
    } else if ((key.sym == SDLK_RETURN || key.sym == SDLK_KP_ENTER) && altAlone) {
        std::lock_guard lock(mutex_);
        Enqueue({WindowEvent::Kind::kFullScreenAsked});
    }
}

void SdlWindow::TranslateWindowEvent(const SDL_Event& event) {
    switch (event.window.event) {
        case SDL_WINDOWEVENT_CLOSE: {
            std::lock_guard lock(mutex_);
            Enqueue({WindowEvent::Kind::kCloseAsked});
            break;
        }
        case SDL_WINDOWEVENT_FOCUS_GAINED: {
            std::lock_guard lock(mutex_);
            Enqueue({WindowEvent::Kind::kFocusGained});
            break;
        }
        case SDL_WINDOWEVENT_FOCUS_LOST: {
            std::lock_guard lock(mutex_);
            Enqueue({WindowEvent::Kind::kFocusLost});
            break;
        }
        case SDL_WINDOWEVENT_EXPOSED: {
            std::lock_guard lock(mutex_);
            Enqueue({WindowEvent::Kind::kExposed});
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
    if (refitAfterFullScreen_ == 1)
        refitAfterFullScreen_ = 2;
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
    const uint64_t now = SDL_GetTicks64();
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
    // Maximizing, minimizing, restoring and full screen are the desktop's
    // sizes, not a border drag.
    if (stateChanged || (flags & kStateFlags) != 0 || now < desktopSizingUntilMs_) {
        Enqueue({WindowEvent::Kind::kSizeSetByDesktop, Edge::kNone, after});
        return;
    }
    if (after.right - after.left == before.right - before.left &&
        after.bottom - after.top == before.bottom - before.top)
        return;
    Enqueue({WindowEvent::Kind::kSizeDragged, DraggedEdge(before, after), after});
}

// libdecor sizes the first configure out of full screen as if its title bar
// were still hidden: a maximised window then keeps the full screen's size and
// its title bar is pushed past the output. A maximised window takes no size
// from the program, so it is restored and maximised again; libdecor sizes
// those configures right.
void SdlWindow::RefitAfterFullScreen() {
    int step = 0;
    {
        std::lock_guard lock(mutex_);
        if (refitAfterFullScreen_ != 0 && SDL_GetTicks64() > desktopSizingUntilMs_)
            refitAfterFullScreen_ = 0;
        step = refitAfterFullScreen_;
    }
    const uint32_t state = SDL_GetWindowFlags(window_) & kStateFlags;
    int width = 0;
    int height = 0;
    SDL_GetWindowSize(window_, &width, &height);
    if (step == 2) {
        const bool stale =
            state == SDL_WINDOW_MAXIMIZED && width == sizeInFullScreen_[0] &&
            height == sizeInFullScreen_[1] &&
            (width != sizeBeforeFullScreen_[0] || height != sizeBeforeFullScreen_[1]);
        {
            std::lock_guard lock(mutex_);
            refitAfterFullScreen_ = stale ? 3 : 0;
            if (stale)
                desktopSizingUntilMs_ = SDL_GetTicks64() + kDesktopSizingMs;
        }
        if (stale)
            SDL_RestoreWindow(window_);
    } else if (step == 3 && state == 0) {
        {
            std::lock_guard lock(mutex_);
            refitAfterFullScreen_ = 0;
        }
        SDL_MaximizeWindow(window_);
    }
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
    if (window_ == nullptr || desktopFullScreen_ ||
        (SDL_GetWindowFlags(window_) & kStateFlags) != 0)
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

bool SdlWindow::DesktopHandlesFullScreen() {
    if (std::strcmp(VideoDriver(), "wayland") == 0)
        return true;
    Display* display = nullptr;
    ::Window xwindow = 0;
    return X11Handles(window_, &display, &xwindow) && X11WindowManagerRuns(display);
}

bool SdlWindow::SetDesktopFullScreen(bool on) {
    if (window_ == nullptr)
        return false;
    {
        std::lock_guard lock(mutex_);
        desktopSizingUntilMs_ = SDL_GetTicks64() + kDesktopSizingMs;
    }
    desktopFullScreen_ = on;
    fullScreenAnswerUntilMs_ = SDL_GetTicks64() + kDesktopSizingMs;
    const uint32_t flags = SDL_GetWindowFlags(window_);
    if (on) {
        maximizedBeforeFullScreen_ = (flags & SDL_WINDOW_MAXIMIZED) != 0;
        SDL_GetWindowSize(window_, &sizeBeforeFullScreen_[0], &sizeBeforeFullScreen_[1]);
    } else {
        SDL_GetWindowSize(window_, &sizeInFullScreen_[0], &sizeInFullScreen_[1]);
        std::lock_guard lock(mutex_);
        refitAfterFullScreen_ =
            maximizedBeforeFullScreen_ && std::strcmp(VideoDriver(), "wayland") == 0 ? 1 : 0;
    }
    // SDL asks the desktop only for a change from the mode it believes the
    // window is in, and does not learn of changes the desktop made by itself.
    // When its belief is already the asked mode, it is first set the other way.
    if (((flags & SDL_WINDOW_FULLSCREEN) != 0) == on)
        SDL_SetWindowFullscreen(window_, on ? 0 : SDL_WINDOW_FULLSCREEN_DESKTOP);
    if (SDL_SetWindowFullscreen(window_, on ? SDL_WINDOW_FULLSCREEN_DESKTOP : 0) != 0) {
        std::fprintf(stderr, "Tessary: SDL_SetWindowFullscreen failed: %s\n", SDL_GetError());
        desktopFullScreen_ = !on;
        fullScreenAnswerUntilMs_ = 0;
        return false;
    }
    // An X11 window manager drops the maximised state on the way into full
    // screen, and SDL then takes the window out of it on the way back; a
    // Wayland compositor restores the state by itself.
    if (!on && maximizedBeforeFullScreen_ && std::strcmp(VideoDriver(), "x11") == 0)
        SDL_MaximizeWindow(window_);
    return true;
}

bool SdlWindow::DesktopShowsFullScreen() {
    Display* display = nullptr;
    ::Window xwindow = 0;
    if (X11Handles(window_, &display, &xwindow))
        return X11FullScreenState(display, xwindow);
    // SDL follows a Wayland compositor's full screen in its own flags; a
    // window that merely fills its output (tiled alone) is not full screen.
    return (SDL_GetWindowFlags(window_) & SDL_WINDOW_FULLSCREEN) != 0;
}

void SdlWindow::FollowDesktopFullScreen() {
    const uint64_t now = SDL_GetTicks64();
    bool look = false;
    {
        std::lock_guard lock(mutex_);
        look = sizePending_ || stateChangedSincePump_;
    }
    // Once the time for an answer is over the mode is looked at once more, in
    // case the desktop did not do what was asked.
    if (fullScreenAnswerUntilMs_ != 0 && now >= fullScreenAnswerUntilMs_) {
        fullScreenAnswerUntilMs_ = 0;
        look = true;
    }
    if (!look)
        return;
    const bool seen = DesktopShowsFullScreen();
    if (seen == desktopFullScreen_) {
        fullScreenAnswerUntilMs_ = 0;  // answered
        return;
    }
    if (fullScreenAnswerUntilMs_ != 0)
        return;  // the sizes on the way to the asked mode
    desktopFullScreen_ = seen;
    maximizedBeforeFullScreen_ = false;  // not known any more
    std::lock_guard lock(mutex_);
    desktopSizingUntilMs_ = now + kDesktopSizingMs;
    Enqueue(
        {seen ? WindowEvent::Kind::kFullScreenByDesktop : WindowEvent::Kind::kWindowedByDesktop});
}

void SdlWindow::DrawableSize(int* width, int* height) const {
    *width = 0;
    *height = 0;
    if (window_ != nullptr && !scale_.FollowedSize(width, height))
        SDL_GL_GetDrawableSize(window_, width, height);
}

void SdlWindow::ShowCursor() {
    if (SDL_WasInit(SDL_INIT_VIDEO) != 0)
        SDL_ShowCursor(SDL_ENABLE);
}

const char* SdlWindow::VideoDriver() const {
    const char* driver = SDL_GetCurrentVideoDriver();
    return driver != nullptr ? driver : "none";
}

bool SdlWindow::SetIcon(const std::filesystem::path& pngFile) {
    if (window_ == nullptr)
        return false;
    const std::string& path = pngFile.native();
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
