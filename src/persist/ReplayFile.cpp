#include "persist/ReplayFile.h"

#include <algorithm>
#include <array>

namespace {

constexpr uint8_t kMagic[4] = {'T', 'S', 'R', 'P'};
constexpr size_t kCrcSize = 4;
constexpr uint64_t kKeepSecond = 0;
constexpr uint64_t kNextSecond = 1;
constexpr uint64_t kOtherSecond = 2;

constexpr std::array<uint32_t, 256> MakeCrcTable() {
    std::array<uint32_t, 256> table{};
    for (uint32_t n = 0; n < 256; ++n) {
        uint32_t c = n;
        for (int k = 0; k < 8; ++k)
            c = (c & 1) != 0 ? 0xEDB88320u ^ (c >> 1) : c >> 1;
        table[n] = c;
    }
    return table;
}
constexpr std::array<uint32_t, 256> kCrcTable = MakeCrcTable();

class Writer {
public:
    void Byte(uint8_t v) { bytes.push_back(v); }
    void Fixed(uint64_t v, int size) {
        for (int i = 0; i < size; ++i)
            bytes.push_back(static_cast<uint8_t>(v >> (8 * i)));
    }
    void Varint(uint64_t v) {
        while (v >= 0x80) {
            bytes.push_back(static_cast<uint8_t>(v | 0x80));
            v >>= 7;
        }
        bytes.push_back(static_cast<uint8_t>(v));
    }
    std::vector<uint8_t> bytes;
};

// Reads fields until the bytes run out; after that every read gives 0 and
// ranOut stays set.
class Reader {
public:
    Reader(const uint8_t* data, size_t size) : data_(data), size_(size) {}
    uint64_t Fixed(int size) {
        if (size_ - pos_ < static_cast<size_t>(size)) {
            ranOut = true;
            pos_ = size_;
            return 0;
        }
        uint64_t v = 0;
        for (int i = 0; i < size; ++i)
            v |= uint64_t{data_[pos_ + i]} << (8 * i);
        pos_ += size;
        return v;
    }
    uint8_t Byte() { return static_cast<uint8_t>(Fixed(1)); }
    // False for a varint longer than 64 bits.
    bool Varint(uint64_t* v) {
        *v = 0;
        for (int shift = 0; shift < 64; shift += 7) {
            const uint8_t b = Byte();
            *v |= uint64_t{b & 0x7Fu} << shift;
            if ((b & 0x80) == 0)
                return true;
        }
        return false;
    }
    size_t pos() const { return pos_; }
    bool ranOut = false;

private:
    const uint8_t* data_;
    size_t size_;
    size_t pos_ = 0;
};

uint64_t ZigZag(int64_t v) {
    return (static_cast<uint64_t>(v) << 1) ^ static_cast<uint64_t>(v >> 63);
}
int64_t UnZigZag(uint64_t v) {
    return static_cast<int64_t>(v >> 1) ^ -static_cast<int64_t>(v & 1);
}

void WriteResult(Writer& w, const ReplayResult& r) {
    w.Fixed(r.frames, 4);
    w.Fixed(r.score, 4);
    w.Fixed(r.rows, 4);
    w.Byte(r.level);
    w.Byte(r.ranking.place);
    w.Fixed(r.ranking.year, 2);
    w.Byte(r.ranking.month);
    w.Byte(r.ranking.day);
    w.Byte(r.ranking.hour);
    w.Byte(r.ranking.minute);
    w.Byte(r.ranking.second);
}

ReplayResult ReadResult(Reader& r) {
    ReplayResult result;
    result.frames = static_cast<uint32_t>(r.Fixed(4));
    result.score = static_cast<uint32_t>(r.Fixed(4));
    result.rows = static_cast<uint32_t>(r.Fixed(4));
    result.level = r.Byte();
    result.ranking.place = r.Byte();
    result.ranking.year = static_cast<uint16_t>(r.Fixed(2));
    result.ranking.month = r.Byte();
    result.ranking.day = r.Byte();
    result.ranking.hour = r.Byte();
    result.ranking.minute = r.Byte();
    result.ranking.second = r.Byte();
    return result;
}

// The frame runs and the seconds; false with *fault said, or with it empty when the bytes ran out.
bool ReadFrames(Reader& r, Replay* out, std::string* fault) {
    int64_t second = out->seconds.front().second;
    for (;;) {
        const uint8_t bits = r.Byte();
        uint64_t head = 0;
        if (!r.Varint(&head) || r.ranOut)
            return false;
        const uint64_t count = head >> 2;
        const uint64_t code = head & 3;
        if (count == 0)
            return head == 0 || (*fault = "damaged: a frame run ends the frames", false);
        if (count > Replay::kMaxFrames - out->bits.size()) {
            *fault = "damaged: more than a day of frames";
            return false;
        }
        const auto frame = static_cast<uint32_t>(out->bits.size());
        if (code == kNextSecond) {
            ++second;
        } else if (code == kOtherSecond) {
            uint64_t delta = 0;
            if (!r.Varint(&delta) || r.ranOut)
                return false;
            second += UnZigZag(delta);
        } else if (code != kKeepSecond) {
            *fault = "damaged: unknown second code";
            return false;
        }
        if (code != kKeepSecond) {
            if (frame == 0) {
                *fault = "damaged: the first frame changes its second";
                return false;
            }
            out->seconds.push_back({frame, second});
        }
        out->bits.insert(out->bits.end(), count, bits);
    }
}

bool ReadLocks(Reader& r, Replay* out, std::string* fault) {
    uint64_t count = 0;
    if (!r.Varint(&count) || r.ranOut)
        return false;
    if (count > out->bits.size()) {
        *fault = "damaged: more locks than frames";
        return false;
    }
    out->locks.reserve(count);
    uint64_t frame = 0;
    for (uint64_t i = 0; i < count; ++i) {
        uint64_t gap = 0;
        if (!r.Varint(&gap) || r.ranOut)
            return false;
        frame += gap;
        if (frame >= out->bits.size()) {
            *fault = "damaged: a lock after the last frame";
            return false;
        }
        out->locks.push_back({static_cast<uint32_t>(frame), r.Byte()});
    }
    return true;
}

}  // namespace

uint32_t ReplayCrc32(const uint8_t* data, size_t size) {
    uint32_t c = 0xFFFFFFFFu;
    for (size_t i = 0; i < size; ++i)
        c = kCrcTable[(c ^ data[i]) & 0xFF] ^ (c >> 8);
    return c ^ 0xFFFFFFFFu;
}

int64_t Replay::SecondAt(uint32_t frame) const {
    const auto after =
        std::upper_bound(seconds.begin(), seconds.end(), frame,
                         [](uint32_t f, const ReplaySecond& s) { return f < s.frame; });
    return after == seconds.begin() ? seconds.front().second : std::prev(after)->second;
}

std::vector<uint8_t> EncodeReplay(const Replay& replay) {
    Writer w;
    w.bytes.assign(std::begin(kMagic), std::end(kMagic));
    w.Fixed(replay.format, 2);
    const size_t versionSize = std::min<size_t>(replay.version.size(), 255);
    w.Byte(static_cast<uint8_t>(versionSize));
    w.bytes.insert(w.bytes.end(), replay.version.begin(), replay.version.begin() + versionSize);
    w.Fixed(replay.threadId, 4);
    w.Fixed(replay.processId, 4);
    int64_t second = replay.seconds.empty() ? 0 : replay.seconds.front().second;
    w.Fixed(static_cast<uint64_t>(second), 8);
    w.Fixed(static_cast<uint32_t>(replay.utcOffset), 4);
    w.Byte(static_cast<uint8_t>(replay.daylight));
    w.Byte(replay.startFade);
    for (int32_t score : replay.rankingBefore)
        w.Fixed(static_cast<uint32_t>(score), 4);

    // Runs break where the bits change and where the second changes.
    size_t nextChange = 1;
    const size_t frames = replay.bits.size();
    for (size_t start = 0; start < frames;) {
        uint64_t code = kKeepSecond;
        int64_t delta = 0;
        if (nextChange < replay.seconds.size() && replay.seconds[nextChange].frame == start) {
            delta = replay.seconds[nextChange].second - second;
            second = replay.seconds[nextChange].second;
            code = delta == 1 ? kNextSecond : kOtherSecond;
            ++nextChange;
        }
        const size_t stop = nextChange < replay.seconds.size()
                                ? std::min<size_t>(frames, replay.seconds[nextChange].frame)
                                : frames;
        size_t end = start + 1;
        while (end < stop && replay.bits[end] == replay.bits[start])
            ++end;
        w.Byte(replay.bits[start]);
        w.Varint((end - start) << 2 | code);
        if (code == kOtherSecond)
            w.Varint(ZigZag(delta));
        start = end;
    }
    w.Byte(0);
    w.Varint(0);

    w.Varint(replay.locks.size());
    uint32_t frame = 0;
    for (const ReplayLock& lock : replay.locks) {
        w.Varint(lock.frame - frame);
        w.Byte(lock.digest);
        frame = lock.frame;
    }
    WriteResult(w, replay.result);
    w.Fixed(ReplayCrc32(w.bytes.data(), w.bytes.size()), 4);
    return std::move(w.bytes);
}

base::Outcome DecodeReplay(const uint8_t* data, size_t size, Replay* out) {
    *out = Replay{};
    Reader r(data, size);
    const auto truncated = [size] {
        return base::Outcome::Failed("truncated after " + std::to_string(size) + " bytes");
    };
    uint8_t magic[4];
    for (uint8_t& b : magic)
        b = r.Byte();
    if (r.ranOut)
        return truncated();
    if (!std::equal(std::begin(magic), std::end(magic), std::begin(kMagic))) {
        return base::Outcome::Failed("not a Tessary replay");
    }
    const auto format = static_cast<uint16_t>(r.Fixed(2));
    if (r.ranOut)
        return truncated();
    if (format > Replay::kFormat) {
        return base::Outcome::Failed("made by a newer version of the game (format " +
                                     std::to_string(format) + "; this one reads format " +
                                     std::to_string(Replay::kFormat) + ")");
    }
    if (format == 0) {
        return base::Outcome::Failed("damaged: format 0");
    }
    out->format = format;

    const uint8_t versionSize = r.Byte();
    for (int i = 0; i < versionSize; ++i)
        out->version.push_back(static_cast<char>(r.Byte()));
    out->threadId = static_cast<uint32_t>(r.Fixed(4));
    out->processId = static_cast<uint32_t>(r.Fixed(4));
    out->seconds.push_back({0, static_cast<int64_t>(r.Fixed(8))});
    out->utcOffset = static_cast<int32_t>(r.Fixed(4));
    out->daylight = static_cast<int8_t>(r.Byte());
    out->startFade = r.Byte();
    for (int32_t& score : out->rankingBefore)
        score = static_cast<int32_t>(r.Fixed(4));
    if (r.ranOut)
        return truncated();

    std::string fault;
    if (!ReadFrames(r, out, &fault) || !ReadLocks(r, out, &fault)) {
        if (!fault.empty())
            return base::Outcome::Failed(fault);
        return r.ranOut ? truncated() : base::Outcome::Failed("damaged: a number too long");
    }
    out->result = ReadResult(r);
    const auto crc = static_cast<uint32_t>(r.Fixed(4));
    if (r.ranOut)
        return truncated();
    if (r.pos() != size) {
        return base::Outcome::Failed("damaged: " + std::to_string(size - r.pos()) +
                                     " bytes after the end");
    }
    if (crc != ReplayCrc32(data, size - kCrcSize)) {
        return base::Outcome::Failed("damaged: checksum does not match");
    }
    if (out->bits.empty() || out->result.frames != out->bits.size()) {
        return base::Outcome::Failed("damaged: the frame count does not match the frames");
    }
    return {};
}
