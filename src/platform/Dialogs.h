#pragma once
// Message boxes: one line on standard error, then a modal box with an OK button.

#include <string_view>

namespace platform {

class Dialogs {
public:
    virtual ~Dialogs() = default;
    // Shows text (UTF-8) under caption and returns once the player has pressed OK.
    virtual void Show(std::string_view text, std::string_view caption) = 0;
};

// Shows the message on `dialogs`, or writes its text to standard error when
// there are none yet (objects used before start-up links them, and tests).
void ShowOrPrint(Dialogs* dialogs, std::string_view text, std::string_view caption);

class SdlDialogs final : public Dialogs {
public:
    void Show(std::string_view text, std::string_view caption) override;
};

}  // namespace platform
