#include "platform/SdlInput.h"

#include <SDL.h>

#include <cstdio>

#include "platform/SdlWindow.h"

namespace platform {
namespace {

using KeyTable = std::array<std::array<uint16_t, SdlKeyboard::kKeysPerCode>, 256>;

// Virtual-key code to the scancodes of the keys that give it, by position on
// a PC keyboard.
KeyTable MakeKeyTable() {
    KeyTable t{};
    auto set = [&t](int code, SDL_Scancode first, SDL_Scancode second = SDL_SCANCODE_UNKNOWN) {
        t[code] = {static_cast<uint16_t>(first), static_cast<uint16_t>(second)};
    };
    set(0x08, SDL_SCANCODE_BACKSPACE);
    set(0x09, SDL_SCANCODE_TAB);
    set(0x0C, SDL_SCANCODE_CLEAR);
    set(0x0D, SDL_SCANCODE_RETURN, SDL_SCANCODE_KP_ENTER);
    set(0x10, SDL_SCANCODE_LSHIFT, SDL_SCANCODE_RSHIFT);
    set(0x11, SDL_SCANCODE_LCTRL, SDL_SCANCODE_RCTRL);
    set(0x12, SDL_SCANCODE_LALT, SDL_SCANCODE_RALT);
    set(0x13, SDL_SCANCODE_PAUSE);
    set(0x14, SDL_SCANCODE_CAPSLOCK);
    set(0x1B, SDL_SCANCODE_ESCAPE);
    set(0x20, SDL_SCANCODE_SPACE);
    set(0x21, SDL_SCANCODE_PAGEUP);
    set(0x22, SDL_SCANCODE_PAGEDOWN);
    set(0x23, SDL_SCANCODE_END);
    set(0x24, SDL_SCANCODE_HOME);
    set(0x25, SDL_SCANCODE_LEFT);
    set(0x26, SDL_SCANCODE_UP);
    set(0x27, SDL_SCANCODE_RIGHT);
    set(0x28, SDL_SCANCODE_DOWN);
    set(0x29, SDL_SCANCODE_SELECT);
    set(0x2B, SDL_SCANCODE_EXECUTE);
    set(0x2C, SDL_SCANCODE_PRINTSCREEN);
    set(0x2D, SDL_SCANCODE_INSERT);
    set(0x2E, SDL_SCANCODE_DELETE);
    set(0x2F, SDL_SCANCODE_HELP);
    // '0'..'9': SDL numbers the digit row 1..9, then 0.
    set('0', SDL_SCANCODE_0);
    for (int d = 1; d <= 9; ++d)
        set('0' + d, static_cast<SDL_Scancode>(SDL_SCANCODE_1 + d - 1));
    for (int letter = 0; letter < 26; ++letter)
        set('A' + letter, static_cast<SDL_Scancode>(SDL_SCANCODE_A + letter));
    set(0x5B, SDL_SCANCODE_LGUI);
    set(0x5C, SDL_SCANCODE_RGUI);
    set(0x5D, SDL_SCANCODE_APPLICATION);
    set(0x5F, SDL_SCANCODE_SLEEP);
    // Number pad 0..9 (0x60..0x69): SDL numbers it 1..9, then 0.
    set(0x60, SDL_SCANCODE_KP_0);
    for (int d = 1; d <= 9; ++d)
        set(0x60 + d, static_cast<SDL_Scancode>(SDL_SCANCODE_KP_1 + d - 1));
    set(0x6A, SDL_SCANCODE_KP_MULTIPLY);
    set(0x6B, SDL_SCANCODE_KP_PLUS);
    set(0x6C, SDL_SCANCODE_KP_COMMA);
    set(0x6D, SDL_SCANCODE_KP_MINUS);
    set(0x6E, SDL_SCANCODE_KP_PERIOD);
    set(0x6F, SDL_SCANCODE_KP_DIVIDE);
    for (int f = 0; f < 12; ++f)  // F1..F12
        set(0x70 + f, static_cast<SDL_Scancode>(SDL_SCANCODE_F1 + f));
    for (int f = 0; f < 12; ++f)  // F13..F24
        set(0x7C + f, static_cast<SDL_Scancode>(SDL_SCANCODE_F13 + f));
    set(0x90, SDL_SCANCODE_NUMLOCKCLEAR);
    set(0x91, SDL_SCANCODE_SCROLLLOCK);
    set(0xA0, SDL_SCANCODE_LSHIFT);
    set(0xA1, SDL_SCANCODE_RSHIFT);
    set(0xA2, SDL_SCANCODE_LCTRL);
    set(0xA3, SDL_SCANCODE_RCTRL);
    set(0xA4, SDL_SCANCODE_LALT);
    set(0xA5, SDL_SCANCODE_RALT);
    set(0xA6, SDL_SCANCODE_AC_BACK);
    set(0xA7, SDL_SCANCODE_AC_FORWARD);
    set(0xA8, SDL_SCANCODE_AC_REFRESH);
    set(0xA9, SDL_SCANCODE_AC_STOP);
    set(0xAA, SDL_SCANCODE_AC_SEARCH);
    set(0xAB, SDL_SCANCODE_AC_BOOKMARKS);
    set(0xAC, SDL_SCANCODE_AC_HOME);
    set(0xAD, SDL_SCANCODE_MUTE, SDL_SCANCODE_AUDIOMUTE);
    set(0xAE, SDL_SCANCODE_VOLUMEDOWN);
    set(0xAF, SDL_SCANCODE_VOLUMEUP);
    set(0xB0, SDL_SCANCODE_AUDIONEXT);
    set(0xB1, SDL_SCANCODE_AUDIOPREV);
    set(0xB2, SDL_SCANCODE_AUDIOSTOP);
    set(0xB3, SDL_SCANCODE_AUDIOPLAY);
    set(0xB4, SDL_SCANCODE_MAIL);
    set(0xB5, SDL_SCANCODE_MEDIASELECT);
    set(0xB6, SDL_SCANCODE_COMPUTER);
    set(0xB7, SDL_SCANCODE_CALCULATOR);
    // Punctuation, by the US layout's positions.
    set(0xBA, SDL_SCANCODE_SEMICOLON);
    set(0xBB, SDL_SCANCODE_EQUALS);
    set(0xBC, SDL_SCANCODE_COMMA);
    set(0xBD, SDL_SCANCODE_MINUS);
    set(0xBE, SDL_SCANCODE_PERIOD);
    set(0xBF, SDL_SCANCODE_SLASH);
    set(0xC0, SDL_SCANCODE_GRAVE);
    set(0xDB, SDL_SCANCODE_LEFTBRACKET);
    set(0xDC, SDL_SCANCODE_BACKSLASH);
    set(0xDD, SDL_SCANCODE_RIGHTBRACKET);
    set(0xDE, SDL_SCANCODE_APOSTROPHE);
    set(0xE2, SDL_SCANCODE_NONUSBACKSLASH);
    return t;
}

const KeyTable& Keys() {
    static const KeyTable table = MakeKeyTable();
    return table;
}

// XInput's button masks for the buttons an SDL game controller names.
struct ButtonMask {
    SDL_GameControllerButton button;
    uint16_t mask;
};
constexpr ButtonMask kButtonMasks[] = {
    {SDL_CONTROLLER_BUTTON_DPAD_UP, 0x0001},
    {SDL_CONTROLLER_BUTTON_DPAD_DOWN, 0x0002},
    {SDL_CONTROLLER_BUTTON_DPAD_LEFT, 0x0004},
    {SDL_CONTROLLER_BUTTON_DPAD_RIGHT, 0x0008},
    {SDL_CONTROLLER_BUTTON_START, 0x0010},
    {SDL_CONTROLLER_BUTTON_BACK, 0x0020},
    {SDL_CONTROLLER_BUTTON_LEFTSTICK, 0x0040},
    {SDL_CONTROLLER_BUTTON_RIGHTSTICK, 0x0080},
    {SDL_CONTROLLER_BUTTON_LEFTSHOULDER, 0x0100},
    {SDL_CONTROLLER_BUTTON_RIGHTSHOULDER, 0x0200},
    {SDL_CONTROLLER_BUTTON_A, 0x1000},
    {SDL_CONTROLLER_BUTTON_B, 0x2000},
    {SDL_CONTROLLER_BUTTON_X, 0x4000},
    {SDL_CONTROLLER_BUTTON_Y, 0x8000},
};

// SDL's stick axes point down for positive y; the classic pad's point up.
int16_t UpwardAxis(Sint16 value) {
    return static_cast<int16_t>(value == -32768 ? 32767 : -value);
}

// SDL's triggers run 0..32767, the classic pad's 0..255.
uint8_t TriggerValue(Sint16 value) {
    return static_cast<uint8_t>(value <= 0 ? 0 : value >> 7);
}

}  // namespace

// ---- Keyboard ----------------------------------------------------------------

std::array<uint16_t, SdlKeyboard::kKeysPerCode> SdlKeyboard::ScancodesOf(uint8_t virtualKey) {
    return Keys()[virtualKey];
}

void SdlKeyboard::CollectPress(uint16_t scancode) {
    if (!window_.TakePressed(scancode))
        return;
    // Rare (once per key press): every code naming this key sees the press,
    // so Shift and Left Shift both report a tap of the left Shift key.
    const KeyTable& keys = Keys();
    for (int code = 0; code < 256; ++code) {
        for (uint16_t s : keys[code]) {
            if (s == scancode)
                pending_[code] = true;
        }
    }
}

bool SdlKeyboard::AsyncKeyState(uint8_t virtualKey) {
    const auto& scancodes = Keys()[virtualKey];
    if (scancodes[0] == SDL_SCANCODE_UNKNOWN)
        return false;
    int count = 0;
    const Uint8* state = SDL_GetKeyboardState(&count);
    bool held = false;
    for (uint16_t s : scancodes) {
        if (s == SDL_SCANCODE_UNKNOWN)
            continue;
        CollectPress(s);
        if (state != nullptr && s < count && state[s] != 0)
            held = true;
    }
    const bool pressed = pending_[virtualKey];
    pending_[virtualKey] = false;
    return held || pressed;
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
            last_[i] = PadState{};
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
    for (const ButtonMask& b : kButtonMasks) {
        if (SDL_GameControllerGetButton(controller, b.button) != 0)
            state.buttons = static_cast<uint16_t>(state.buttons | b.mask);
    }
    state.leftTrigger =
        TriggerValue(SDL_GameControllerGetAxis(controller, SDL_CONTROLLER_AXIS_TRIGGERLEFT));
    state.rightTrigger =
        TriggerValue(SDL_GameControllerGetAxis(controller, SDL_CONTROLLER_AXIS_TRIGGERRIGHT));
    state.thumbLX = SDL_GameControllerGetAxis(controller, SDL_CONTROLLER_AXIS_LEFTX);
    state.thumbLY = UpwardAxis(SDL_GameControllerGetAxis(controller, SDL_CONTROLLER_AXIS_LEFTY));
    state.thumbRX = SDL_GameControllerGetAxis(controller, SDL_CONTROLLER_AXIS_RIGHTX);
    state.thumbRY = UpwardAxis(SDL_GameControllerGetAxis(controller, SDL_CONTROLLER_AXIS_RIGHTY));

    // The packet number moves whenever the state differs from the last read.
    const PadState& last = last_[index];
    const bool same = state.buttons == last.buttons && state.leftTrigger == last.leftTrigger &&
                      state.rightTrigger == last.rightTrigger && state.thumbLX == last.thumbLX &&
                      state.thumbLY == last.thumbLY && state.thumbRX == last.thumbRX &&
                      state.thumbRY == last.thumbRY;
    state.packetNumber = same ? last.packetNumber : last.packetNumber + 1;
    last_[index] = state;
    *out = state;
    return true;
}

}  // namespace platform
