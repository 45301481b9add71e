#pragma once
// Fixed-size UTF-16 text buffers, the way the game's files store names: dir.txt
// names the data folder and the list files name pictures and sounds in them.
//
// Every operation here is bounded by the destination's capacity and always
// leaves the buffer terminated, so an over-long name is cut short instead of
// overrunning. A stored name becomes a path only through PathFromStored.

#include <cstddef>
#include <filesystem>
#include <string>
#include <string_view>

namespace base {

// Number of units before the first zero, at most cap.
size_t WideLength(const char16_t* text, size_t cap);

// Copies src (up to its terminator) into dst of capacity cap units.
void WideCopy(char16_t* dst, size_t cap, std::u16string_view src);
// Appends src to the text already in dst.
void WideAppend(char16_t* dst, size_t cap, std::u16string_view src);

template <size_t N>
void WideCopy(char16_t (&dst)[N], std::u16string_view src) {
    WideCopy(dst, N, src);
}
template <size_t N>
void WideAppend(char16_t (&dst)[N], std::u16string_view src) {
    WideAppend(dst, N, src);
}
template <size_t N>
std::u16string_view WideView(const char16_t (&text)[N]) {
    return {text, WideLength(text, N)};
}

// A name as the game's files store it (UTF-16, folders separated by
// backslashes, ending at the first zero unit) as a path: UTF-8, with every
// backslash a slash. "grp\grp_0003.txt" becomes "grp/grp_0003.txt".
std::filesystem::path PathFromStored(std::u16string_view stored);

// UTF-16 to UTF-8; unpaired surrogates become U+FFFD.
std::string ToUtf8(std::u16string_view text);
// UTF-8 to UTF-16; malformed bytes become U+FFFD.
std::u16string FromUtf8(std::string_view text);

}  // namespace base
