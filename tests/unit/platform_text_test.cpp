// Fixed-size UTF-16 buffers and the UTF-8 conversions every native path goes through.

#include <gtest/gtest.h>

#include <algorithm>
#include <string>

#include "base/WideText.h"

namespace {

using namespace std::string_view_literals;

constexpr char16_t kGuard = u'#';

TEST(WideText, CopyStaysInsideTheBufferAndTerminates) {
    char16_t buffer[8 + 4];
    std::fill(std::begin(buffer), std::end(buffer), kGuard);

    base::WideCopy(buffer, 8, u"0123456789");
    EXPECT_EQ(std::u16string_view(buffer), u"0123456");
    EXPECT_TRUE(std::all_of(buffer + 8, std::end(buffer), [](char16_t c) { return c == kGuard; }));

    base::WideCopy(buffer, 8, u"ab");
    EXPECT_EQ(std::u16string_view(buffer), u"ab");

    // Copying stops at a terminator inside the source, as it would in a fixed buffer.
    base::WideCopy(buffer, 8, u"xy\0z"sv);
    EXPECT_EQ(std::u16string_view(buffer), u"xy");

    // A zero capacity writes nothing at all.
    buffer[0] = kGuard;
    base::WideCopy(buffer, 0, u"x");
    EXPECT_EQ(buffer[0], kGuard);

    char16_t fixed[6];
    base::WideCopy(fixed, u"abcdefgh");
    EXPECT_EQ(base::WideView(fixed), u"abcde");
}

TEST(WideText, AppendStaysInsideTheBufferAndTerminates) {
    char16_t buffer[8 + 4];
    std::fill(std::begin(buffer), std::end(buffer), kGuard);

    base::WideCopy(buffer, 8, u"data\\");
    base::WideAppend(buffer, 8, u"grp\\grp_0003.txt");
    EXPECT_EQ(std::u16string_view(buffer), u"data\\gr");
    base::WideAppend(buffer, 8, u"x");  // already full
    EXPECT_EQ(std::u16string_view(buffer), u"data\\gr");
    EXPECT_TRUE(std::all_of(buffer + 8, std::end(buffer), [](char16_t c) { return c == kGuard; }));

    // A buffer with no terminator is cut to capacity - 1 before anything is added.
    std::fill(buffer, buffer + 8, u'x');
    base::WideAppend(buffer, 8, u"y");
    EXPECT_EQ(std::u16string_view(buffer), u"xxxxxxx");
    EXPECT_EQ(buffer[8], kGuard);
}

TEST(WideText, Utf8RoundTrips) {
    const std::u16string japanese = u"データ\\";
    const std::string japaneseUtf8 = "\xE3\x83\x87\xE3\x83\xBC\xE3\x82\xBF\\";
    EXPECT_EQ(base::ToUtf8(japanese), japaneseUtf8);
    EXPECT_EQ(base::FromUtf8(japaneseUtf8), japanese);

    const std::u16string pair = u"a\U0001F600b";  // one character outside the basic plane
    ASSERT_EQ(pair.size(), 4u);
    const std::string pairUtf8 =
        "a\xF0\x9F\x98\x80"
        "b";
    EXPECT_EQ(base::ToUtf8(pair), pairUtf8);
    EXPECT_EQ(base::FromUtf8(pairUtf8), pair);
}

}  // namespace
