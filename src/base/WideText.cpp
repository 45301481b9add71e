#include "base/WideText.h"

#include <algorithm>

namespace base {

size_t WideLength(const char16_t* text, size_t cap) {
    size_t n = 0;
    while (n < cap && text[n] != 0)
        ++n;
    return n;
}

void WideCopy(char16_t* dst, size_t cap, std::u16string_view src) {
    if (cap == 0)
        return;
    dst[0] = 0;
    WideAppend(dst, cap, src);
}

void WideAppend(char16_t* dst, size_t cap, std::u16string_view src) {
    if (cap == 0)
        return;
    size_t at = WideLength(dst, cap);
    if (at == cap) {  // not terminated: make it so before appending
        dst[cap - 1] = 0;
        at = cap - 1;
    }
    const size_t srcLen = std::min(src.size(), WideLength(src.data(), src.size()));
    const size_t n = std::min(srcLen, cap - 1 - at);
    std::copy_n(src.data(), n, dst + at);
    dst[at + n] = 0;
}

std::string ToUtf8(std::u16string_view text) {
    std::string out;
    out.reserve(text.size());
    for (size_t i = 0; i < text.size(); ++i) {
        char32_t c = text[i];
        if (c >= 0xD800 && c <= 0xDBFF && i + 1 < text.size() && text[i + 1] >= 0xDC00 &&
            text[i + 1] <= 0xDFFF) {
            c = 0x10000 + ((c - 0xD800) << 10) + (text[i + 1] - 0xDC00);
            ++i;
        } else if (c >= 0xD800 && c <= 0xDFFF) {
            c = 0xFFFD;
        }
        if (c < 0x80) {
            out += static_cast<char>(c);
        } else if (c < 0x800) {
            out += static_cast<char>(0xC0 | (c >> 6));
            out += static_cast<char>(0x80 | (c & 0x3F));
        } else if (c < 0x10000) {
            out += static_cast<char>(0xE0 | (c >> 12));
            out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
            out += static_cast<char>(0x80 | (c & 0x3F));
        } else {
            out += static_cast<char>(0xF0 | (c >> 18));
            out += static_cast<char>(0x80 | ((c >> 12) & 0x3F));
            out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
            out += static_cast<char>(0x80 | (c & 0x3F));
        }
    }
    return out;
}

std::u16string FromUtf8(std::string_view text) {
    std::u16string out;
    out.reserve(text.size());
    size_t i = 0;
    while (i < text.size()) {
        const auto b = static_cast<unsigned char>(text[i]);
        char32_t c = 0xFFFD;
        size_t len = 1;
        if (b < 0x80) {
            c = b;
        } else if ((b & 0xE0) == 0xC0) {
            len = 2;
        } else if ((b & 0xF0) == 0xE0) {
            len = 3;
        } else if ((b & 0xF8) == 0xF0) {
            len = 4;
        }
        if (len > 1) {
            bool ok = i + len <= text.size();
            char32_t v = b & (0x7F >> len);
            for (size_t k = 1; ok && k < len; ++k) {
                const auto cont = static_cast<unsigned char>(text[i + k]);
                ok = (cont & 0xC0) == 0x80;
                v = (v << 6) | (cont & 0x3F);
            }
            static constexpr char32_t kMin[] = {0, 0, 0x80, 0x800, 0x10000};
            if (ok && v >= kMin[len] && v <= 0x10FFFF && !(v >= 0xD800 && v <= 0xDFFF)) {
                c = v;
            } else {
                len = 1;
            }
        }
        if (c >= 0x10000) {
            c -= 0x10000;
            out += static_cast<char16_t>(0xD800 + (c >> 10));
            out += static_cast<char16_t>(0xDC00 + (c & 0x3FF));
        } else {
            out += static_cast<char16_t>(c);
        }
        i += len;
    }
    return out;
}

std::filesystem::path PathFromStored(std::u16string_view stored) {
    std::string native = ToUtf8(stored.substr(0, WideLength(stored.data(), stored.size())));
    std::replace(native.begin(), native.end(), '\\', '/');
    return native;
}

}  // namespace base
