// Fails every test during which the GL debug output reported an error. The
// tests run with TESSARY_GL_DEBUG=1 (tests/CMakeLists.txt), so each GL device
// a test makes validates every call and counts what it reports.

#include <gtest/gtest.h>

#include <cstdint>

#include "platform/GlDevice.h"

namespace {

class GlErrorCheck final : public ::testing::EmptyTestEventListener {
public:
    void OnTestStart(const ::testing::TestInfo&) override {
        before_ = platform::GlDebugMessageCounts().errors;
    }
    void OnTestEnd(const ::testing::TestInfo&) override {
        EXPECT_EQ(platform::GlDebugMessageCounts().errors - before_, 0u)
            << "OpenGL reported errors (their messages are on standard error)";
    }

private:
    uint64_t before_ = 0;
};

[[maybe_unused]] const bool kGlErrorCheckAdded = [] {
    ::testing::UnitTest::GetInstance()->listeners().Append(new GlErrorCheck);
    return true;
}();

}  // namespace
