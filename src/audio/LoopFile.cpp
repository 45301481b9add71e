#include "audio/LoopFile.h"

#include <string>
#include <string_view>

#include "base/WideText.h"

namespace {

constexpr size_t kLineUnits = 80;  // 79 characters and the terminator

// The text of the file: the byte-order mark decides the encoding, and line
// ends are read in text mode (CR LF becomes LF).
std::u16string DecodeText(const uint8_t* bytes, size_t size) {
    std::u16string raw;
    if (size >= 2 && bytes[0] == 0xFF && bytes[1] == 0xFE) {
        for (size_t i = 2; i + 1 < size; i += 2)
            raw.push_back(static_cast<char16_t>(bytes[i] | bytes[i + 1] << 8));
    } else if (size >= 2 && bytes[0] == 0xFE && bytes[1] == 0xFF) {
        for (size_t i = 2; i + 1 < size; i += 2)
            raw.push_back(static_cast<char16_t>(bytes[i] << 8 | bytes[i + 1]));
    } else if (size >= 3 && bytes[0] == 0xEF && bytes[1] == 0xBB && bytes[2] == 0xBF) {
        raw = base::FromUtf8(std::string_view(reinterpret_cast<const char*>(bytes) + 3, size - 3));
    } else {
        for (size_t i = 0; i < size; ++i)
            raw.push_back(static_cast<char16_t>(bytes[i]));
    }
    std::u16string text;
    text.reserve(raw.size());
    for (size_t i = 0; i < raw.size(); ++i) {
        if (raw[i] == u'\r' && i + 1 < raw.size() && raw[i + 1] == u'\n')
            continue;
        text.push_back(raw[i]);
    }
    return text;
}

// Reads lines as fgetws does: at most 79 characters, up to and including the
// line end. At the end of the text a read fails and leaves the line as it was.
class LineReader {
public:
    explicit LineReader(std::u16string_view text) : text_(text) {}

    bool Next(char16_t (&line)[kLineUnits]) {
        if (at_ >= text_.size())
            return false;
        size_t n = 0;
        while (n + 1 < kLineUnits && at_ < text_.size()) {
            const char16_t c = text_[at_++];
            line[n++] = c;
            if (c == u'\n')
                break;
        }
        line[n] = u'\0';
        return true;
    }

    // Reads until a line does not begin with ';', or the text ends.
    void NextValueLine(char16_t (&line)[kLineUnits]) {
        while (Next(line) && line[0] == u';') {
        }
    }

private:
    std::u16string_view text_;
    size_t at_ = 0;
};

bool IsSpace(char16_t c) {
    return c == u' ' || (c >= u'\t' && c <= u'\r');
}

// "<name>%u": the name exactly, then an unsigned number after optional
// blanks and sign, as the C library scans it. Anything else gives 0.
uint32_t Scan(const char16_t* line, std::u16string_view name) {
    size_t i = 0;
    for (; i < name.size(); ++i) {
        if (line[i] != name[i])
            return 0;
    }
    while (IsSpace(line[i]))
        ++i;
    bool negative = false;
    if (line[i] == u'+' || line[i] == u'-')
        negative = line[i++] == u'-';
    if (line[i] < u'0' || line[i] > u'9')
        return 0;
    uint64_t value = 0;
    for (; line[i] >= u'0' && line[i] <= u'9'; ++i) {
        value = value * 10 + static_cast<uint64_t>(line[i] - u'0');
        if (value > UINT32_MAX)
            value = UINT32_MAX + uint64_t{1};  // saturated: out of range
    }
    const auto v = value > UINT32_MAX ? UINT32_MAX : static_cast<uint32_t>(value);
    return negative ? static_cast<uint32_t>(0u - v) : v;
}

}  // namespace

LoopPoints ParseLoopFile(const uint8_t* bytes, size_t size) {
    const std::u16string text = DecodeText(bytes, size);
    LineReader reader(text);
    char16_t line[kLineUnits] = {};
    LoopPoints points;

    reader.NextValueLine(line);
    points.start = Scan(line, u"LoopStart=");
    reader.Next(line);  // the line after each value is skipped
    reader.NextValueLine(line);
    points.length = Scan(line, u"LoopLength=");
    reader.Next(line);
    return points;
}

std::filesystem::path LoopFileOf(const std::filesystem::path& track) {
    std::filesystem::path loop = track;
    loop += ".sli";
    return loop;
}
