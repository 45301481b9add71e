#include <SDL.h>
#include <langinfo.h>
#include <poll.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <clocale>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "platform/Dialogs.h"
#include "platform/SignalWatcher.h"

namespace platform {

namespace {

constexpr char kBoxArgument[] = "--tessary-message-box";

void ShowBoxHere(bool error, const std::string& caption, const std::string& text) {
    // Blocks until the player presses OK. A failure to show it is not an error.
    SDL_ShowSimpleMessageBox(error ? SDL_MESSAGEBOX_ERROR : SDL_MESSAGEBOX_INFORMATION,
                             caption.c_str(), text.c_str(), nullptr);
}

}  // namespace

SdlDialogs::SdlDialogs() : present_(ShowBoxHere) {}

std::string NativeBoxText(std::string_view text) {
    std::string shown(text);
    const size_t words = shown.rfind(' ');
    if (words == std::string::npos)
        return shown;
    for (size_t i = 0; i < words; ++i) {
        if (shown[i] == '\\')
            shown[i] = '/';
    }
    return shown;
}

void SdlDialogs::Show(std::string_view text, std::string_view caption, std::string_view detail) {
    std::string textZ = NativeBoxText(text);
    const std::string captionZ(caption);
    const std::string detailZ(detail);
    // The terminal lines come first and always: without a display the box
    // cannot be shown, and the player (or a test) still learns what happened.
    std::fprintf(stderr, "Tessary: %s: %s\n", captionZ.c_str(), textZ.c_str());
    if (!detailZ.empty()) {
        std::fprintf(stderr, "Tessary: %s\n", detailZ.c_str());
        textZ += "\n" + detailZ;
    }
    std::fflush(stderr);
    present_(captionZ == "Error", captionZ, textZ);
}

void ShowBoxInChildProcess(bool error, const std::string& caption, const std::string& text) {
    if (SignalWatcher::Caught())
        return;  // the program is on its way out; the lines were written
    // The running program itself, even when an upgrade has replaced its file.
    const char* const program = "/proc/self/exe";
    const char* const args[] = {"tessary",       kBoxArgument, error ? "error" : "information",
                                caption.c_str(), text.c_str(), nullptr};
    const pid_t child = fork();
    if (child < 0) {
        ShowBoxHere(error, caption, text);
        return;
    }
    if (child == 0) {
        // Its own process group, so that the box and any dialog tool it
        // starts go together.
        setpgid(0, 0);
        execv(program, const_cast<char* const*>(args));
        _exit(127);
    }
    setpgid(child, child);
    int status = 0;
    for (;;) {
        const pid_t done = waitpid(child, &status, WNOHANG);
        if (done == child || (done < 0 && errno != EINTR))
            break;
        if (SignalWatcher::Caught()) {
            kill(-child, SIGTERM);
            while (waitpid(child, &status, 0) < 0 && errno == EINTR) {
            }
            return;
        }
        pollfd wake{SignalWatcher::WakeDescriptor(), POLLIN, 0};
        poll(&wake, wake.fd >= 0 ? 1 : 0, 50);
    }
    if (WIFEXITED(status) && WEXITSTATUS(status) == 127)
        ShowBoxHere(error, caption, text);  // the program could not be started again
}

bool IsBoxProcess(int argc, const char* const* argv) {
    return argc == 5 && std::strcmp(argv[1], kBoxArgument) == 0;
}

int RunBoxProcess(int argc, const char* const* argv) {
    if (!IsBoxProcess(argc, argv))
        return 2;
    // The text is UTF-8: the box draws it only in a UTF-8 locale, so one that
    // is not (the C locale of services and bare sessions) gives way to
    // C.UTF-8 for the box and any dialog tool it starts.
    std::setlocale(LC_ALL, "");
    if (std::strcmp(nl_langinfo(CODESET), "UTF-8") != 0)
        setenv("LC_ALL", "C.UTF-8", 1);
    // SIGTERM from the program ends the box at once.
    SDL_SetHint(SDL_HINT_NO_SIGNAL_HANDLERS, "1");
    ShowBoxHere(std::strcmp(argv[2], "error") == 0, argv[3], argv[4]);
    // Nothing to tidy: the box process ends as soon as the box is gone.
    std::_Exit(0);
}

}  // namespace platform
