#pragma once
// Message boxes: the game's own text, and below it one line in English that
// says what failed (the file's path as the system spells it, the system's
// reason). The same lines go to standard error; then a modal box with an OK
// button.

#include <functional>
#include <string>
#include <string_view>
#include <utility>

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

// Puts up a box (UTF-8 caption and text, an error or a notice) and returns
// once it is gone.
using BoxPresenter =
    std::function<void(bool error, const std::string& caption, const std::string& text)>;

class SdlDialogs final : public Dialogs {
public:
    // Boxes shown in this process.
    SdlDialogs();
    // Boxes shown through `present`: the program's ShowBoxInChildProcess, or a
    // test's recorder, so that tests depend on no desktop's dialog tools.
    explicit SdlDialogs(BoxPresenter present) : present_(std::move(present)) {}
    void Show(std::string_view text, std::string_view caption,
              std::string_view detail = {}) override;

private:
    BoxPresenter present_;
};

// The text as a box shows it: the path that begins a text such as
// "<path> ファイルが見つかりません" (everything before its last space) with
// the system's separator; the words after it stay as they are.
std::string NativeBoxText(std::string_view text);

// Shows the box from a child process of this program, so that the box can be
// taken down: returns when the player presses OK, or at once when SIGTERM,
// SIGINT or SIGHUP comes (the box goes). After such a signal no box is shown.
void ShowBoxInChildProcess(bool error, const std::string& caption, const std::string& text);

// The child's side: whether the command line asks for a box, and showing it
// (in a UTF-8 locale, whatever the caller's); returns the exit status.
bool IsBoxProcess(int argc, const char* const* argv);
int RunBoxProcess(int argc, const char* const* argv);

}  // namespace platform
