#include "resources/ListFile.h"

#include <vector>

#include "platform/Files.h"

namespace resources {

void ReadListRecords(const uint8_t* bytes, size_t size, char16_t (*names)[kListEntryUnits],
                     int records) {
    if (bytes == nullptr || size <= kListMarkBytes)
        return;
    bytes += kListMarkBytes;
    size -= kListMarkBytes;
    for (int k = 0; k < records; ++k) {
        const size_t at = kListRecordBytes * static_cast<size_t>(k);
        if (at >= size)
            return;  // the file has ended: later records stay as they were
        const size_t n = size - at < kListRecordBytes ? size - at : kListRecordBytes;
        const uint8_t* record = bytes + at;
        char16_t* entry = names[k];
        // Byte by byte, little-endian, as a plain read of the record would
        // land: a final odd byte replaces only the low half of its unit.
        for (size_t i = 0; i < n; ++i) {
            char16_t& unit = entry[i / 2];
            if (i % 2 == 0) {
                unit = static_cast<char16_t>((unit & 0xFF00u) | record[i]);
            } else {
                unit = static_cast<char16_t>((unit & 0x00FFu) | record[i] << 8);
            }
        }
        if (entry[16] == u'\r' && entry[17] == u'\n') {
            entry[16] = u'\0';
            entry[17] = u'\0';
        }
    }
}

bool ReadListFile(const std::filesystem::path& path, char16_t (*names)[kListEntryUnits],
                  int records) {
    std::vector<uint8_t> bytes(ListFileBytes(records));
    size_t got = 0;
    if (!platform::ReadFilePrefix(path, bytes.data(), bytes.size(), &got).ok())
        return false;
    ReadListRecords(bytes.data(), got, names, records);
    return true;
}

}  // namespace resources
