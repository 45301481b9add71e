#include "audio/WaveReader.h"

#include <algorithm>

namespace {

constexpr uint32_t FourCc(char a, char b, char c, char d) {
    return uint32_t(uint8_t(a)) | uint32_t(uint8_t(b)) << 8 | uint32_t(uint8_t(c)) << 16 |
           uint32_t(uint8_t(d)) << 24;
}

constexpr uint32_t kRiff = FourCc('R', 'I', 'F', 'F');
constexpr uint32_t kWave = FourCc('W', 'A', 'V', 'E');
constexpr uint32_t kFmt = FourCc('f', 'm', 't', ' ');
constexpr uint32_t kData = FourCc('d', 'a', 't', 'a');

constexpr size_t kPcmFormatBytes = 16;  // the format chunk without the extension size
constexpr size_t kRecordBytes = 18;     // with it
constexpr size_t kSubFormatAt = 24;     // the sub-format GUID of an extensible format

uint16_t Le16(const uint8_t* p) {
    return static_cast<uint16_t>(p[0] | p[1] << 8);
}
uint32_t Le32(const uint8_t* p) {
    return uint32_t{p[0]} | uint32_t{p[1]} << 8 | uint32_t{p[2]} << 16 | uint32_t{p[3]} << 24;
}

}  // namespace

uint16_t WaveReader::Field16(size_t at) const {
    return format_.size() >= at + 2 ? Le16(format_.data() + at) : 0;
}

uint32_t WaveReader::Field32(size_t at) const {
    return format_.size() >= at + 4 ? Le32(format_.data() + at) : 0;
}

uint16_t WaveReader::sampleTag() const {
    if (formatTag() == kFormatExtensible && format_.size() >= kSubFormatAt + 2)
        return Field16(kSubFormatAt);
    return formatTag();
}

bool WaveReader::ReadExactly(void* destination, size_t n) {
    return file_.Read(destination, n) == n;
}

bool WaveReader::FindChunk(uint32_t id, const Chunk& parent, Chunk* found) {
    const uint64_t end = parent.dataOffset + parent.size;
    uint64_t at = file_.Tell();
    for (;;) {
        if (at + 8 > end || !file_.Seek(at))
            return false;
        uint8_t header[8];
        if (!ReadExactly(header, sizeof header))
            return false;
        const uint32_t size = Le32(header + 4);
        if (Le32(header) == id) {
            *found = Chunk{id, size, 0, at + 8};
            return true;
        }
        at += 8 + uint64_t{size} + (size & 1);  // chunks are word-aligned
    }
}

bool WaveReader::Open(const std::filesystem::path& path) {
    Close();
    if (!file_.Open(path))
        return false;

    uint8_t header[12];
    if (!ReadExactly(header, sizeof header)) {
        Close();
        return false;
    }
    riff_ = Chunk{Le32(header), Le32(header + 4), Le32(header + 8), 8};
    Chunk fmt;
    if (riff_.id != kRiff || riff_.formType != kWave || !FindChunk(kFmt, riff_, &fmt) ||
        fmt.size < kPcmFormatBytes) {
        Close();
        return false;
    }

    std::vector<uint8_t> record(kRecordBytes, 0);
    if (!ReadExactly(record.data(), kPcmFormatBytes)) {
        Close();
        return false;
    }
    if (Le16(record.data()) != kFormatPcm && fmt.size >= kRecordBytes) {
        // Other formats carry an extension after its 2-byte size; it must lie
        // inside the format chunk.
        if (!ReadExactly(record.data() + kPcmFormatBytes, 2)) {
            Close();
            return false;
        }
        const uint16_t extension = Le16(record.data() + kPcmFormatBytes);
        if (kRecordBytes + extension > fmt.size) {
            Close();
            return false;
        }
        record.resize(kRecordBytes + extension);
        if (!ReadExactly(record.data() + kRecordBytes, extension)) {
            Close();
            return false;
        }
    }
    format_ = std::move(record);

    // Out of "fmt "; a file that ends here has no data, which ResetToData finds.
    file_.Seek(std::min(fmt.dataOffset + fmt.size + (fmt.size & 1), file_.Size()));
    return true;
}

bool WaveReader::ResetToData() {
    if (!IsOpen() || !file_.Seek(riff_.dataOffset + 4))
        return false;
    Chunk data;
    if (!FindChunk(kData, riff_, &data))
        return false;
    data_ = data;
    const uint64_t available = file_.Size() > data.dataOffset ? file_.Size() - data.dataOffset : 0;
    dataBytesInFile_ = std::min<uint64_t>(data.size, available);
    return true;
}

bool WaveReader::OpenAndReset(const std::filesystem::path& path) {
    if (!Open(path))
        return false;
    return ResetToData();
}

bool WaveReader::ReadSlice(uint32_t want, uint8_t* destination, uint32_t* delivered) {
    if (!IsOpen())
        return false;
    const uint32_t n = std::min(data_.size, want);
    data_.size -= n;
    if (file_.Read(destination, n) != n)
        return false;
    if (delivered != nullptr)
        *delivered = n;
    return true;
}

uint32_t WaveReader::ReadAvailable(uint32_t want, uint8_t* destination) {
    if (!IsOpen())
        return 0;
    const uint32_t n = std::min(data_.size, want);
    const auto got = static_cast<uint32_t>(file_.Read(destination, n));
    data_.size -= got;
    return got;
}

bool WaveReader::SeekTo(uint64_t offset) {
    return file_.Seek(offset);
}

void WaveReader::Close() {
    file_.Close();
    format_.clear();
    data_ = Chunk{};
    riff_ = Chunk{};
    dataBytesInFile_ = 0;
}
