#include "app/WindowEvents.h"

#include <cmath>

#include "app/Game.h"
#include "world/System.h"

namespace {

// Converts towards zero; a value outside the int32 range gives 0x80000000, as
// the processor's own conversion does, instead of undefined behaviour.
int32_t TruncateToInt32(double value) {
    if (!(value > -2147483649.0 && value < 2147483648.0))
        return INT32_MIN;
    return static_cast<int32_t>(value);
}

// Window coordinates add with wrap-around, never with signed overflow.
int32_t Plus(int32_t a, int32_t b) {
    return static_cast<int32_t>(static_cast<uint32_t>(a) + static_cast<uint32_t>(b));
}
int32_t Minus(int32_t a, int32_t b) {
    return static_cast<int32_t>(static_cast<uint32_t>(a) - static_cast<uint32_t>(b));
}

}  // namespace

platform::Rect ApplySizingRule(int32_t edge, platform::Rect r, int32_t frameWidth,
                               int32_t frameHeight, int32_t captionHeight) {
    constexpr double kWide = 1.7777777777777777;
    const int32_t cy = Plus(captionHeight, 4 * frameHeight);
    const int32_t cx = 4 * frameWidth;
    // The client sizes are taken as unsigned, as the sizing message carries them.
    const double cw = static_cast<uint32_t>(Minus(Minus(r.right, r.left), cx));
    const double ch = static_cast<uint32_t>(Minus(Minus(r.bottom, r.top), cy));
    const int32_t fitHeight = TruncateToInt32(cw * 0.5625 + cy);
    const int32_t fitWidth = TruncateToInt32(ch * kWide + cx);
    const double ratio = cw / ch;
    const bool wide = std::isnan(ratio) || ratio >= kWide;

    switch (edge) {
        case platform::kEdgeLeft:
        case platform::kEdgeRight:
            r.bottom = Plus(r.top, fitHeight);
            break;
        case platform::kEdgeTop:
        case platform::kEdgeBottom:
            r.right = Plus(r.left, fitWidth);
            break;
        case platform::kEdgeTopLeft:
            if (wide) {
                r.top = Minus(r.bottom, fitHeight);
            } else {
                r.left = Minus(r.right, fitWidth);
            }
            break;
        case platform::kEdgeTopRight:
            if (wide) {
                r.top = Minus(r.bottom, fitHeight);
            } else {
                r.right = Plus(r.left, fitWidth);
            }
            break;
        case platform::kEdgeBottomLeft:
            if (wide) {
                r.bottom = Plus(r.top, fitHeight);
            } else {
                r.left = Minus(r.right, fitWidth);
            }
            break;
        case platform::kEdgeBottomRight:
            if (wide) {
                r.bottom = Plus(r.top, fitHeight);
            } else {
                r.right = Plus(r.left, fitWidth);
            }
            break;
        default:
            break;
    }
    return r;
}

void WindowEvents::Handle(const platform::Message& message) {
    System& system = *game_.system;
    switch (message.id) {
        case platform::MessageId::kDestroy:
            window_.PostMessage({platform::MessageId::kQuit});
            break;
        case platform::MessageId::kActivate:
            system.music.active = message.wParam != 0 ? 1 : 0;
            break;
        case platform::MessageId::kClose:
            Close();
            break;
        case platform::MessageId::kCommand:
            if (message.wParam == platform::kCommandClose) {
                window_.PostMessage({platform::MessageId::kClose});
            } else if (message.wParam == platform::kCommandToggleFullScreen) {
                system.display.screenModeRequest = 1;
            }
            break;
        case platform::MessageId::kSizing: {
            const platform::Rect fitted =
                ApplySizingRule(message.wParam, message.rect, window_.FrameWidth(),
                                window_.FrameHeight(), window_.CaptionHeight());
            if (!(fitted == message.rect))
                window_.SetBounds(fitted);
            break;
        }
        case platform::MessageId::kQuit:
            break;  // the frame loop ends on this message before it gets here
    }
}

void WindowEvents::Close() {
    window_.ShowCursor();
    const bool existed = window_.Exists();
    window_.Destroy();
    // Destroying the window delivers its destroy message at once.
    if (existed)
        Handle({platform::MessageId::kDestroy});
}

void WindowEvents::SwitchDisplayMode() {
    System& system = *game_.system;
    system.display.screenMode = system.display.screenMode == 0 ? 1 : 0;
    if (system.display.screenMode == 1) {
        platform::Rect display;
        if (window_.GetPlacement(&savedPlacement_) && window_.DisplayBounds(&display)) {
            window_.SetBordered(false);
            window_.SetBounds(display);
        }
    } else {
        window_.SetBordered(true);
        window_.SetPlacement(savedPlacement_);
        window_.Show();
    }
    system.settings.optionValues[0] = system.display.screenMode;
    system.display.screenModeRequest = 0;
}
