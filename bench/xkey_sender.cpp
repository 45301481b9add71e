// Sends key presses to the X server at random moments and prints when each
// one left for the server, for the input-latency measurement: the program
// (with TESSARY_TRACE set) prints when the first frame that read each press
// reached the screen, on the same monotonic clock.
//
//   xkey_sender KEY COUNT MIN_GAP_MS MAX_GAP_MS [HOLD_MS] [SEED]
//
// KEY is an X key name ("Down"). Before each press the sender waits a random
// gap between MIN_GAP_MS and MAX_GAP_MS; the key is held HOLD_MS (default 50)
// and released. Each press prints one line, "press K T": T is CLOCK_MONOTONIC
// in nanoseconds, read right before the request is flushed to the server.
// The events go to the window that has the keyboard focus.

#include <X11/Xlib.h>
#include <X11/extensions/XTest.h>
#include <time.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <random>

namespace {

uint64_t MonotonicNanoseconds() {
    timespec ts{};
    clock_gettime(CLOCK_MONOTONIC, &ts);
    return static_cast<uint64_t>(ts.tv_sec) * 1'000'000'000u + static_cast<uint64_t>(ts.tv_nsec);
}

void SleepMs(long ms) {
    timespec ts{ms / 1000, (ms % 1000) * 1'000'000};
    while (clock_nanosleep(CLOCK_MONOTONIC, 0, &ts, &ts) != 0) {
    }
}

// The number in text, or -1 when it is not a whole number from 0 to max.
long ParseCount(const char* text, long max) {
    char* end = nullptr;
    const long value = std::strtol(text, &end, 10);
    if (end == text || *end != '\0' || value < 0 || value > max)
        return -1;
    return value;
}

int Usage(const char* program) {
    std::fprintf(stderr, "usage: %s KEY COUNT MIN_GAP_MS MAX_GAP_MS [HOLD_MS] [SEED]\n", program);
    return 2;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 5 || argc > 7)
        return Usage(argv[0]);
    const long count = ParseCount(argv[2], 1'000'000);
    const long minGap = ParseCount(argv[3], 60'000);
    const long maxGap = ParseCount(argv[4], 60'000);
    const long hold = argc > 5 ? ParseCount(argv[5], 10'000) : 50;
    const long seed = argc > 6 ? ParseCount(argv[6], 0x7FFFFFFF) : 0;
    if (count < 0 || minGap < 0 || maxGap < minGap || hold < 0 || seed < 0)
        return Usage(argv[0]);

    Display* display = XOpenDisplay(nullptr);
    if (display == nullptr) {
        std::fprintf(stderr, "xkey_sender: cannot open the X display \"%s\"\n",
                     std::getenv("DISPLAY") != nullptr ? std::getenv("DISPLAY") : "");
        return 1;
    }
    int eventBase = 0, errorBase = 0, major = 0, minor = 0;
    if (!XTestQueryExtension(display, &eventBase, &errorBase, &major, &minor)) {
        std::fprintf(stderr, "xkey_sender: the X server has no XTEST extension\n");
        XCloseDisplay(display);
        return 1;
    }
    const KeySym keysym = XStringToKeysym(argv[1]);
    const KeyCode keycode = keysym == NoSymbol ? 0 : XKeysymToKeycode(display, keysym);
    if (keycode == 0) {
        std::fprintf(stderr, "xkey_sender: no key \"%s\" on this keyboard\n", argv[1]);
        XCloseDisplay(display);
        return 1;
    }

    std::mt19937 random(argc > 6 ? static_cast<uint32_t>(seed) : std::random_device{}());
    std::uniform_int_distribution<long> gap(minGap, maxGap);
    for (long k = 1; k <= count; ++k) {
        SleepMs(gap(random));
        XTestFakeKeyEvent(display, keycode, True, CurrentTime);
        const uint64_t sent = MonotonicNanoseconds();
        XFlush(display);
        std::printf("press %ld %llu\n", k, static_cast<unsigned long long>(sent));
        std::fflush(stdout);
        SleepMs(hold);
        XTestFakeKeyEvent(display, keycode, False, CurrentTime);
        XSync(display, False);  // the release is in before the next gap starts
    }
    XCloseDisplay(display);
    return 0;
}
