#include "platform/SdlInput.h"

#include <SDL.h>

#include <cstdio>

#include "platform/SdlWindow.h"

namespace platform {
namespace {

// The keys of the game, by position: the arrows steer, Z and C decide, X
// cancels, A pauses, S shifts.
struct Key {
    SDL_Scancode scancode;
    Control control;
};
constexpr Key kKeys[] = {
    {SDL_SCANCODE_UP, Control::kUp},          {SDL_SCANCODE_DOWN, Control::kDown},
    {SDL_SCANCODE_LEFT, Control::kLeft},      {SDL_SCANCODE_RIGHT, Control::kRight},
    {SDL_SCANCODE_Z, Control::kDecision},     {SDL_SCANCODE_C, Control::kDecision},
    {SDL_SCANCODE_X, Control::kCancellation}, {SDL_SCANCODE_A, Control::kPause},
    {SDL_SCANCODE_S, Control::kShift},
};

// The pad's buttons: the D-pad gives directions, A B X Y are the buttons
// the options screen assigns to functions. No other button is read.
struct DpadButton {
    SDL_GameControllerButton button;
    Control direction;
};
constexpr DpadButton kDpad[] = {
    {SDL_CONTROLLER_BUTTON_DPAD_UP, Control::kUp},
    {SDL_CONTROLLER_BUTTON_DPAD_DOWN, Control::kDown},
    {SDL_CONTROLLER_BUTTON_DPAD_LEFT, Control::kLeft},
    {SDL_CONTROLLER_BUTTON_DPAD_RIGHT, Control::kRight},
};
struct AssignableButton {
    SDL_GameControllerButton button;
    PadButton pad;
};
constexpr AssignableButton kButtons[] = {
    {SDL_CONTROLLER_BUTTON_A, PadButton::kA},
    {SDL_CONTROLLER_BUTTON_B, PadButton::kB},
    {SDL_CONTROLLER_BUTTON_X, PadButton::kX},
    {SDL_CONTROLLER_BUTTON_Y, PadButton::kY},
};

}  // namespace

// ---- Keyboard ----------------------------------------------------------------

Controls SdlKeyboard::HeldControls() {
    int count = 0;
    const Uint8* state = SDL_GetKeyboardState(&count);
    Controls held;
    for (const Key& key : kKeys) {
        // Every key's press flag is taken, even when its control is already
        // held, so that no press carries over into the next frame.
        const bool pressed = window_.TakePressed(key.scancode);
        const int at = static_cast<int>(key.scancode);
        const bool down = state != nullptr && at < count && state[at] != 0;
        if (pressed || down)
            held.Add(key.control);
    }
    return held;
}

// ---- Game pads ---------------------------------------------------------------

SdlGamePads::SdlGamePads(SdlWindow& window) : window_(window) {
    // Hints may be given before SDL starts; a value from the environment wins.
    SDL_SetHint(SDL_HINT_JOYSTICK_ALLOW_BACKGROUND_EVENTS, "1");
}

SdlGamePads::~SdlGamePads() {
    for (SDL_GameController*& controller : controllers_) {
        if (controller != nullptr)
            SDL_GameControllerClose(controller);
        controller = nullptr;
    }
    if (started_)
        SDL_QuitSubSystem(SDL_INIT_GAMECONTROLLER);
}

bool SdlGamePads::Start() {
    if (unavailable_)
        return false;
    if (started_ || SDL_WasInit(SDL_INIT_GAMECONTROLLER) != 0)
        return true;
    if (SDL_InitSubSystem(SDL_INIT_GAMECONTROLLER) != 0) {
        std::fprintf(stderr,
                     "Tessary: SDL_InitSubSystem(SDL_INIT_GAMECONTROLLER) failed: %s; "
                     "playing without game pads\n",
                     SDL_GetError());
        unavailable_ = true;
        return false;
    }
    started_ = true;
    return true;
}

void SdlGamePads::Rescan() {
    for (int i = 0; i < kMaxPads; ++i) {
        if (controllers_[i] != nullptr && !SDL_GameControllerGetAttached(controllers_[i])) {
            SDL_GameControllerClose(controllers_[i]);
            controllers_[i] = nullptr;
        }
    }
    const int count = SDL_NumJoysticks();
    for (int device = 0; device < count; ++device) {
        if (!SDL_IsGameController(device))
            continue;
        const SDL_JoystickID id = SDL_JoystickGetDeviceInstanceID(device);
        bool open = false;
        int freeSlot = -1;
        for (int i = 0; i < kMaxPads; ++i) {
            if (controllers_[i] == nullptr) {
                if (freeSlot < 0)
                    freeSlot = i;
            } else if (SDL_JoystickInstanceID(SDL_GameControllerGetJoystick(controllers_[i])) ==
                       id) {
                open = true;
            }
        }
        if (open)
            continue;
        if (freeSlot < 0)
            break;
        controllers_[freeSlot] = SDL_GameControllerOpen(device);
    }
}

bool SdlGamePads::GetState(int index, PadState* out) {
    *out = PadState{};
    if (index < 0 || index >= kMaxPads || !Start())
        return false;

    // Look at the devices again only when one came or went. The count is read
    // first: a change during the rescan brings another one on the next call.
    const uint32_t changes = window_.PadChanges();
    if (!scanned_ || changes != seenChanges_) {
        scanned_ = true;
        seenChanges_ = changes;
        Rescan();
    }

    SDL_GameController* controller = controllers_[index];
    if (controller == nullptr)
        return false;

    PadState state;
    for (const DpadButton& d : kDpad) {
        if (SDL_GameControllerGetButton(controller, d.button) != 0)
            state.dpad.Add(d.direction);
    }
    for (const AssignableButton& b : kButtons) {
        if (SDL_GameControllerGetButton(controller, b.button) != 0)
            state.Press(b.pad);
    }
    *out = state;
    return true;
}

}  // namespace platform
