#include "platform/SignalWatcher.h"

#include <SDL.h>
#include <fcntl.h>
#include <signal.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>

namespace platform {

namespace {

constexpr int kSignals[] = {SIGTERM, SIGINT, SIGHUP};

std::atomic<bool> caught{false};
std::atomic<bool> closeRequest{false};
int wakePipe[2] = {-1, -1};
struct sigaction previous[3];

void OnSignal(int) {
    const int saved = errno;
    caught.store(true);
    closeRequest.store(true);
    const char byte = 1;
    [[maybe_unused]] const ssize_t written = write(wakePipe[1], &byte, 1);
    errno = saved;
}

}  // namespace

SignalWatcher::SignalWatcher() {
    // SDL would turn SIGINT and SIGTERM into its quit event itself, but not
    // SIGHUP, and not while a box is up; the game's handler does all three.
    SDL_SetHint(SDL_HINT_NO_SIGNAL_HANDLERS, "1");
    if (pipe2(wakePipe, O_CLOEXEC | O_NONBLOCK) != 0)
        wakePipe[0] = wakePipe[1] = -1;
    struct sigaction action {};
    action.sa_handler = OnSignal;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    for (int i = 0; i < 3; ++i)
        sigaction(kSignals[i], &action, &previous[i]);
}

SignalWatcher::~SignalWatcher() {
    for (int i = 0; i < 3; ++i)
        sigaction(kSignals[i], &previous[i], nullptr);
    for (int& end : wakePipe) {
        if (end >= 0)
            close(end);
        end = -1;
    }
}

bool SignalWatcher::Caught() {
    return caught.load();
}

bool SignalWatcher::TakeCloseRequest() {
    return closeRequest.exchange(false);
}

int SignalWatcher::WakeDescriptor() {
    return wakePipe[0];
}

}  // namespace platform
