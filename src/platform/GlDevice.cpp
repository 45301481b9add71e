#include "platform/GlDevice.h"

#include <SDL.h>
#include <epoxy/gl.h>

#include <algorithm>
#include <atomic>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "platform/Files.h"
#include "platform/PictureFit.h"
#include "platform/SdlWindow.h"

namespace platform {
namespace {

// What the debug output has reported in this process, over every context.
// The driver calls the callback on the thread that made the call, and several
// devices may exist at once in the tests, so the counts are atomic.
std::atomic<bool> debugOutputOn{false};
std::atomic<uint64_t> debugErrors{0};
std::atomic<uint64_t> debugWarnings{0};

bool DebugOutputRequested() {
    const char* value = std::getenv("TESSARY_GL_DEBUG");
    return value != nullptr && value[0] != '\0' && std::strcmp(value, "0") != 0;
}

const char* SourceName(GLenum source) {
    switch (source) {
        case GL_DEBUG_SOURCE_API:
            return "api";
        case GL_DEBUG_SOURCE_WINDOW_SYSTEM:
            return "window system";
        case GL_DEBUG_SOURCE_SHADER_COMPILER:
            return "shader compiler";
        case GL_DEBUG_SOURCE_THIRD_PARTY:
            return "third party";
        case GL_DEBUG_SOURCE_APPLICATION:
            return "application";
        default:
            return "other source";
    }
}

const char* TypeName(GLenum type) {
    switch (type) {
        case GL_DEBUG_TYPE_ERROR:
            return "error";
        case GL_DEBUG_TYPE_DEPRECATED_BEHAVIOR:
            return "deprecated behaviour";
        case GL_DEBUG_TYPE_UNDEFINED_BEHAVIOR:
            return "undefined behaviour";
        case GL_DEBUG_TYPE_PORTABILITY:
            return "portability";
        case GL_DEBUG_TYPE_PERFORMANCE:
            return "performance";
        case GL_DEBUG_TYPE_MARKER:
            return "marker";
        default:
            return "other";
    }
}

const char* SeverityName(GLenum severity) {
    switch (severity) {
        case GL_DEBUG_SEVERITY_HIGH:
            return "high";
        case GL_DEBUG_SEVERITY_MEDIUM:
            return "medium";
        case GL_DEBUG_SEVERITY_LOW:
            return "low";
        default:
            return "notification";
    }
}

// Every message goes to standard error. Errors (the failed calls that
// glGetError would report) and warnings (any other message above a
// notification) are counted for the summary at exit. A shader that does not
// compile is reported by the compiler as an error too, but it is no failed
// call: its compile status says so, and the device reports it itself.
void GLAPIENTRY OnDebugMessage(GLenum source, GLenum type, GLuint id, GLenum severity,
                               GLsizei length, const GLchar* message, const void*) {
    if (type == GL_DEBUG_TYPE_ERROR && source != GL_DEBUG_SOURCE_SHADER_COMPILER)
        debugErrors.fetch_add(1, std::memory_order_relaxed);
    else if (severity != GL_DEBUG_SEVERITY_NOTIFICATION)
        debugWarnings.fetch_add(1, std::memory_order_relaxed);
    const int shown =
        length >= 0 ? static_cast<int>(length) : static_cast<int>(std::strlen(message));
    std::fprintf(stderr, "OpenGL debug message: %s, %s, %s severity, id %u: %.*s\n", TypeName(type),
                 SourceName(source), SeverityName(severity), id, shown, message);
}

// Turns on the debug output of the current context, every message enabled and
// reported synchronously (on the calling thread, inside the failing call), so
// that a message follows the call that caused it.
void InstallDebugOutput() {
    if (epoxy_gl_version() < 43 && !epoxy_has_gl_extension("GL_KHR_debug")) {
        std::fprintf(stderr,
                     "Tessary: TESSARY_GL_DEBUG is set, but this OpenGL has no debug "
                     "output (KHR_debug)\n");
        return;
    }
    GLint flags = 0;
    glGetIntegerv(GL_CONTEXT_FLAGS, &flags);
    glEnable(GL_DEBUG_OUTPUT);
    glEnable(GL_DEBUG_OUTPUT_SYNCHRONOUS);
    glDebugMessageControl(GL_DONT_CARE, GL_DONT_CARE, GL_DONT_CARE, 0, nullptr, GL_TRUE);
    glDebugMessageCallback(OnDebugMessage, nullptr);
    debugOutputOn.store(true);
    const auto* renderer = reinterpret_cast<const char*>(glGetString(GL_RENDERER));
    std::fprintf(stderr, "Tessary: OpenGL debug output is on (%s context, %s)\n",
                 (flags & GL_CONTEXT_FLAG_DEBUG_BIT) != 0 ? "debug" : "ordinary",
                 renderer != nullptr ? renderer : "unknown renderer");
}

// Clears the GL error flags, so that the check after a step sees only its own.
void DropGlErrors() {
    while (glGetError() != GL_NO_ERROR) {
    }
}

// The window states whose change may leave the window without its picture.
constexpr uint32_t kWindowStates = SDL_WINDOW_SHOWN | SDL_WINDOW_HIDDEN | SDL_WINDOW_MINIMIZED |
                                   SDL_WINDOW_MAXIMIZED | SDL_WINDOW_FULLSCREEN |
                                   SDL_WINDOW_INPUT_FOCUS;

// Makes a GL 3.3 core context; accelerated: 1 requires a hardware visual, -1 takes any.
SDL_GLContext MakeContext(SDL_Window* window, int accelerated, bool debug) {
    SDL_GL_SetAttribute(SDL_GL_CONTEXT_PROFILE_MASK, SDL_GL_CONTEXT_PROFILE_CORE);
    SDL_GL_SetAttribute(SDL_GL_CONTEXT_MAJOR_VERSION, 3);
    SDL_GL_SetAttribute(SDL_GL_CONTEXT_MINOR_VERSION, 3);
    SDL_GL_SetAttribute(SDL_GL_DOUBLEBUFFER, 1);
    SDL_GL_SetAttribute(SDL_GL_DEPTH_SIZE, 0);
    SDL_GL_SetAttribute(SDL_GL_ACCELERATED_VISUAL, accelerated);
    SDL_GL_SetAttribute(SDL_GL_CONTEXT_FLAGS, debug ? SDL_GL_CONTEXT_DEBUG_FLAG : 0);
    return SDL_GL_CreateContext(window);
}

}  // namespace

bool GlDebugOutputOn() {
    return debugOutputOn.load();
}

GlDebugCounts GlDebugMessageCounts() {
    return {debugErrors.load(), debugWarnings.load()};
}

GlDevice::~GlDevice() {
    Release();
}

base::Outcome GlDevice::Create(Window& window, const std::filesystem::path& shaderFolder) {
    failure_ = GlFailure::kNone;
    auto* sdlWindow = dynamic_cast<SdlWindow*>(&window);
    if (sdlWindow == nullptr || sdlWindow->Handle() == nullptr) {
        std::fprintf(stderr, "Tessary: the GL device needs an open SDL window\n");
        return Fail(GlFailure::kNotSdlWindow, "there is no window to draw in");
    }
    Release();
    SDL_Window* handle = sdlWindow->Handle();

    // The context: accelerated if the system has it, else any; a debug
    // context when TESSARY_GL_DEBUG asks for the driver's validation.
    const bool debug = DebugOutputRequested();
    SDL_GLContext context = MakeContext(handle, 1, debug);
    if (context == nullptr) {
        std::fprintf(stderr, "Tessary: no accelerated OpenGL 3.3 core context (%s); trying any\n",
                     SDL_GetError());
        context = MakeContext(handle, -1, debug);
    }
    // Leave the defaults for later windows.
    SDL_GL_SetAttribute(SDL_GL_ACCELERATED_VISUAL, -1);
    SDL_GL_SetAttribute(SDL_GL_CONTEXT_FLAGS, 0);
    if (context == nullptr) {
        std::fprintf(stderr, "Tessary: SDL_GL_CreateContext (OpenGL 3.3 core) failed: %s\n",
                     SDL_GetError());
        return Fail(GlFailure::kNoContext, SDL_GetError());
    }
    if (SDL_GL_MakeCurrent(handle, context) != 0) {
        std::fprintf(stderr, "Tessary: SDL_GL_MakeCurrent failed: %s\n", SDL_GetError());
        std::string reason = SDL_GetError();
        SDL_GL_DeleteContext(context);
        return Fail(GlFailure::kMakeCurrent, std::move(reason));
    }
    window_ = sdlWindow;
    context_ = context;
    swapInterval_ = -1;  // a new context starts with the system's own interval
    pendingLoss_ = DeviceStatus::kOk;
    intact_ = false;
    kept_ = false;
    shownWidth_ = 0;
    shownHeight_ = 0;
    pictureFailed_ = false;
    limited_ = false;
    if (debug)
        InstallDebugOutput();
    windowStates_ = SDL_GetWindowFlags(handle) & kWindowStates;

    // The sprite pipeline. A failure there leaves the context for Release to free.
    failure_ = renderer_.Create(shaderFolder);
    switch (failure_) {
        case GlFailure::kNone:
            return {};
        case GlFailure::kShaderFile:
            return base::Outcome::Failed("cannot read SampleVS.glsl and SamplePS.glsl in " +
                                         shaderFolder.native());
        case GlFailure::kShader:
            return base::Outcome::Failed("SampleVS.glsl and SamplePS.glsl do not compile and link");
        default:
            return base::Outcome::Failed("the sprite pipeline could not be made");
    }
}

void GlDevice::Release() {
    // Deleting the context frees every object made in it.
    renderer_.Forget();
    if (context_ != nullptr)
        SDL_GL_DeleteContext(static_cast<SDL_GLContext>(context_));
    Forget();
}

void GlDevice::Forget() {
    renderer_.Forget();
    framebuffer_ = 0;
    colour_ = 0;
    pictureWidth_ = 0;
    pictureHeight_ = 0;
    intact_ = false;
    kept_ = false;
    limited_ = false;
    shownWidth_ = 0;
    shownHeight_ = 0;
    context_ = nullptr;
    window_ = nullptr;
    swapInterval_ = -1;
    pendingLoss_ = DeviceStatus::kOk;
}

bool GlDevice::UploadTexture(int32_t slot, const uint16_t* texels) {
    if (context_ == nullptr)
        return false;
    return renderer_.UploadTexture(slot, texels);
}

void GlDevice::ReleaseTexture(int32_t slot) {
    renderer_.ReleaseTexture(slot);
}

void GlDevice::ReserveTextures(int32_t slots) {
    if (context_ != nullptr)
        renderer_.ReserveLayers(slots);
}

// The design space goes into the largest centred 16:9 rectangle of the
// drawable, counted in pixels so that a scaled output stays sharp; the bars
// around it are black.
GlDevice::PixelRect GlDevice::PictureRect() const {
    int width = 0;
    int height = 0;
    window_->DrawableSize(&width, &height);
    const Rect picture = platform::PictureRect(std::max(width, 1), std::max(height, 1));
    return {picture.left, std::max(height, 1) - picture.bottom,
            std::max(picture.right - picture.left, 1), std::max(picture.bottom - picture.top, 1)};
}

bool GlDevice::MakePicture(int32_t width, int32_t height) {
    DropGlErrors();
    if (framebuffer_ == 0) {
        glGenFramebuffers(1, &framebuffer_);
        glGenRenderbuffers(1, &colour_);
    }
    glBindRenderbuffer(GL_RENDERBUFFER, colour_);
    glRenderbufferStorage(GL_RENDERBUFFER, GL_RGBA8, width, height);
    glBindFramebuffer(GL_FRAMEBUFFER, framebuffer_);
    glFramebufferRenderbuffer(GL_FRAMEBUFFER, GL_COLOR_ATTACHMENT0, GL_RENDERBUFFER, colour_);
    if (glCheckFramebufferStatus(GL_FRAMEBUFFER) != GL_FRAMEBUFFER_COMPLETE ||
        glGetError() != GL_NO_ERROR) {
        std::fprintf(stderr,
                     "Tessary: no %d x %d picture to draw into; drawing into the back buffer\n",
                     width, height);
        glBindFramebuffer(GL_FRAMEBUFFER, 0);
        glDeleteFramebuffers(1, &framebuffer_);
        glDeleteRenderbuffers(1, &colour_);
        framebuffer_ = 0;
        colour_ = 0;
        pictureFailed_ = true;
        return false;
    }
    pictureWidth_ = width;
    pictureHeight_ = height;
    return true;
}

void GlDevice::PreparePicture() {
    const PixelRect rect = PictureRect();
    if (rect.width != shownWidth_ || rect.height != shownHeight_)
        intact_ = false;
    shownWidth_ = rect.width;
    shownHeight_ = rect.height;
    if (!pictureFailed_ && (keepNext_ || limited_) &&
        (framebuffer_ == 0 || rect.width != pictureWidth_ || rect.height != pictureHeight_)) {
        kept_ = false;
        limited_ = false;  // nothing to draw over
        MakePicture(rect.width, rect.height);
    }
    if (framebuffer_ == 0 || (!keepNext_ && !limited_)) {
        // Straight into the back buffer, the picture rectangle of it; its
        // clear is the bars' black too. Nothing is kept after the swap.
        kept_ = false;
        limited_ = false;
        glBindFramebuffer(GL_FRAMEBUFFER, 0);
        glViewport(rect.x, rect.y, rect.width, rect.height);
    } else {
        kept_ = true;
        glBindFramebuffer(GL_FRAMEBUFFER, framebuffer_);
        glViewport(0, 0, pictureWidth_, pictureHeight_);
    }
    if (limited_) {
        glEnable(GL_SCISSOR_TEST);
        glScissor(scissor_[0], scissor_[1], scissor_[2], scissor_[3]);
    } else {
        glDisable(GL_SCISSOR_TEST);
    }
}

ClipBox GlDevice::LimitDrawing(const ClipBox* box) {
    constexpr ClipBox kWhole{-1.0f, -1.0f, 1.0f, 1.0f};
    limited_ = false;
    if (box == nullptr || context_ == nullptr || framebuffer_ == 0 || !kept_)
        return kWhole;
    // Every pixel whose centre lies in the box, and one more on each side for
    // the rounding of the rasterizer's arithmetic against this one.
    const auto w = static_cast<float>(pictureWidth_);
    const auto h = static_cast<float>(pictureHeight_);
    auto column = [w](float x) { return (x + 1.0f) * 0.5f * w; };
    auto row = [h](float y) { return (y + 1.0f) * 0.5f * h; };
    auto clamp = [](float v, int32_t most) {
        return static_cast<int32_t>(std::clamp(v, 0.0f, static_cast<float>(most)));
    };
    const int32_t left = clamp(std::floor(column(box->left)) - 1.0f, pictureWidth_);
    const int32_t right = clamp(std::ceil(column(box->right)) + 1.0f, pictureWidth_);
    const int32_t bottom = clamp(std::floor(row(box->bottom)) - 1.0f, pictureHeight_);
    const int32_t top = clamp(std::ceil(row(box->top)) + 1.0f, pictureHeight_);
    limited_ = true;
    scissor_[0] = left;
    scissor_[1] = bottom;
    scissor_[2] = std::max(right - left, 0);
    scissor_[3] = std::max(top - bottom, 0);
    return {static_cast<float>(left) / w * 2.0f - 1.0f,
            static_cast<float>(bottom) / h * 2.0f - 1.0f,
            static_cast<float>(right) / w * 2.0f - 1.0f, static_cast<float>(top) / h * 2.0f - 1.0f};
}

bool GlDevice::PictureIntact() {
    if (context_ == nullptr || window_->Handle() == nullptr)
        return false;
    // Shown again, restored, refocused, made full screen or back: the window
    // may have lost what it showed. (Exposes come through InvalidatePicture.)
    const uint32_t states = SDL_GetWindowFlags(window_->Handle()) & kWindowStates;
    if (states != windowStates_)
        intact_ = false;
    windowStates_ = states;
    const PixelRect rect = PictureRect();
    if (rect.width != shownWidth_ || rect.height != shownHeight_)
        intact_ = false;
    return intact_;
}

void GlDevice::Clear() {
    if (context_ == nullptr || window_->Handle() == nullptr)
        return;
    PreparePicture();  // the window may have been resized since the last frame
    glClearColor(0.0f, 0.0f, 0.0f, 0.0f);
    glClear(GL_COLOR_BUFFER_BIT);
    if (!limited_)
        intact_ = true;
}

void GlDevice::ShowPicture() {
    if (framebuffer_ == 0 || !kept_)
        return;  // drawn straight into the back buffer
    glDisable(GL_SCISSOR_TEST);
    const PixelRect rect = PictureRect();
    int width = 0;
    int height = 0;
    window_->DrawableSize(&width, &height);
    glBindFramebuffer(GL_DRAW_FRAMEBUFFER, 0);
    glBindFramebuffer(GL_READ_FRAMEBUFFER, framebuffer_);
    if (rect.x != 0 || rect.y != 0 || rect.width != width || rect.height != height) {
        glViewport(0, 0, width, height);
        glClearColor(0.0f, 0.0f, 0.0f, 0.0f);
        glClear(GL_COLOR_BUFFER_BIT);
    }
    // The same size copies pixel for pixel; a picture from before a resize is stretched.
    const bool sameSize = rect.width == pictureWidth_ && rect.height == pictureHeight_;
    glBlitFramebuffer(0, 0, pictureWidth_, pictureHeight_, rect.x, rect.y, rect.x + rect.width,
                      rect.y + rect.height, GL_COLOR_BUFFER_BIT, sameSize ? GL_NEAREST : GL_LINEAR);
    glBindFramebuffer(GL_FRAMEBUFFER, framebuffer_);
}

void GlDevice::DrawSprites(const SpriteVertex* vertices, const int32_t* textures,
                           const BlendState* states, uint32_t count) {
    if (context_ == nullptr || window_->Handle() == nullptr)
        return;
    renderer_.Draw(vertices, textures, states, count);
}

DeviceStatus GlDevice::Present(bool vsync) {
    if (context_ == nullptr || window_->Handle() == nullptr)
        return DeviceStatus::kOk;
    if (pendingLoss_ != DeviceStatus::kOk) {
        const DeviceStatus loss = pendingLoss_;
        pendingLoss_ = DeviceStatus::kOk;
        return loss;
    }
    const int interval = vsync ? 1 : 0;
    if (interval != swapInterval_) {
        // A refusal (no vsync control under some X servers) just keeps the
        // system's interval; it is not asked again until the setting changes.
        SDL_GL_SetSwapInterval(interval);
        swapInterval_ = interval;
    }
    ShowPicture();
    window_->BeforeSwap();
    SDL_GL_SwapWindow(window_->Handle());
    if (presented_)
        presented_();
    return DeviceStatus::kOk;
}

bool GlDevice::ReadPixels(int32_t x, int32_t y, int32_t width, int32_t height, uint8_t* rgb) {
    if (context_ == nullptr || window_->Handle() == nullptr || width <= 0 || height <= 0)
        return false;
    int drawableHeight = pictureHeight_;
    if (framebuffer_ != 0 && kept_) {
        glBindFramebuffer(GL_READ_FRAMEBUFFER, framebuffer_);
        glReadBuffer(GL_COLOR_ATTACHMENT0);
    } else {
        int drawableWidth = 0;
        window_->DrawableSize(&drawableWidth, &drawableHeight);
        glBindFramebuffer(GL_READ_FRAMEBUFFER, 0);
        glReadBuffer(GL_BACK);
    }
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    // GL counts rows from the bottom; the rows come back top row first.
    glReadPixels(x, drawableHeight - y - height, width, height, GL_RGB, GL_UNSIGNED_BYTE, rgb);
    const size_t rowBytes = static_cast<size_t>(width) * 3;
    for (int32_t top = 0, bottom = height - 1; top < bottom; ++top, --bottom) {
        uint8_t* a = rgb + top * rowBytes;
        uint8_t* b = rgb + bottom * rowBytes;
        for (size_t i = 0; i < rowBytes; ++i) {
            const uint8_t t = a[i];
            a[i] = b[i];
            b[i] = t;
        }
    }
    return glGetError() == GL_NO_ERROR;
}

void GlDevice::Finish() {
    if (context_ != nullptr)
        glFinish();
}

}  // namespace platform
