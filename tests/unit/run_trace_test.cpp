// The trace the soak and latency scripts read: which frames report a key
// press, when the press was read, and the periodic frame lines.

#include <gtest/gtest.h>

#include <cstdio>
#include <string>

#include "app/RunTrace.h"
#include "support/FakeInput.h"

namespace {

std::string Contents(std::FILE* file) {
    std::rewind(file);
    std::string text;
    char buffer[256];
    while (std::fgets(buffer, sizeof buffer, file) != nullptr)
        text += buffer;
    return text;
}

TEST(RunTrace, ReportsTheFramesThatReadANewPressAndEveryStridethFrame) {
    ScriptedKeyboard keys;
    uint64_t clock = 1000;
    TracingKeyboard keyboard(keys, [&clock] { return clock; });
    std::FILE* out = std::tmpfile();
    ASSERT_NE(out, nullptr);
    RunTrace traced(
        keyboard, [&clock] { return clock; }, out);

    // Frame 1: Down goes down, read at 1000, presented at 5000.
    using platform::Control;
    keys.Hold(Control::kDown);
    keyboard.HeldControls();
    clock = 5000;
    traced.Presented();
    // Frame 2: Down still held, nothing new.
    keyboard.HeldControls();
    traced.Presented();
    // Frame 3: released; frame 4: a tap, a new press.
    keys.Hold(Control::kDown, false);
    keyboard.HeldControls();
    traced.Presented();
    keys.Tap(Control::kDecision);
    clock = 7000;
    keyboard.HeldControls();
    clock = 9000;
    traced.Presented();
    for (uint64_t frame = 5; frame <= RunTrace::kFrameStride; ++frame)
        traced.Presented();

    EXPECT_EQ(Contents(out),
              "tessary: key press read at 1000 ns, frame 1 presented at 5000 ns\n"
              "tessary: key press read at 7000 ns, frame 4 presented at 9000 ns\n"
              "tessary: frame 10000 presented at 9000 ns\n");
    std::fclose(out);
}

}  // namespace
