#pragma once
// Message boxes: the game's own text, and below it one line in English that
// says what failed (the file's path as the system spells it, the system's
// reason). The same lines go to standard error; then a modal box with an OK
// button.

#include <string_view>

namespace platform {

class Dialogs {
public:
    virtual ~Dialogs() = default;
    // Shows text (UTF-8) under caption, with detail (empty for none) on a line
    // below it, and returns once the player has pressed OK.
    virtual void Show(std::string_view text, std::string_view caption,
                      std::string_view detail = {}) = 0;
};

// Shows the message on `dialogs`, or writes its text to standard error when
// there are none yet (objects used before start-up links them, and tests).
void ShowOrPrint(Dialogs* dialogs, std::string_view text, std::string_view caption,
                 std::string_view detail = {});

class SdlDialogs final : public Dialogs {
public:
    void Show(std::string_view text, std::string_view caption,
              std::string_view detail = {}) override;
};

}  // namespace platform
