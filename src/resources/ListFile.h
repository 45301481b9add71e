#pragma once
// List files: the small files in the data folder that name every sound and
// picture the game loads.
//
// A list is UTF-16LE text with a byte-order mark (skipped, not checked),
// followed by fixed records of 36 bytes: 16 code units of a relative file
// name, then CR and LF. The reader takes 36 bytes per record without looking
// for line ends, so a line of any other length puts every later record out of
// step. A record whose units 16 and 17 are CR LF loses them (both become 0)
// and its name is the 16 units before; any other record is kept as read, up
// to 18 units. Records past the end of the file are left as they were, and a
// record the file ends inside keeps what it had beyond the last byte.
//
// The names stay as stored; Folders::ListedFile makes one a path.

#include <cstddef>
#include <cstdint>
#include <filesystem>

namespace resources {

constexpr size_t kListMarkBytes = 2;
constexpr size_t kListRecordBytes = 36;
// Wide characters per name entry; a record fills the first 18 of them.
constexpr int kListEntryUnits = 36;

// The bytes a list of `records` records takes, byte-order mark included.
constexpr size_t ListFileBytes(int records) {
    return kListMarkBytes + kListRecordBytes * static_cast<size_t>(records);
}

// Reads up to `records` records from the bytes of a whole list file into
// names[0..records-1].
void ReadListRecords(const uint8_t* bytes, size_t size, char16_t (*names)[kListEntryUnits],
                     int records);

// Reads the list file at path the same way. False when the file cannot be
// opened or read (a folder, say); the names may then be partly filled.
bool ReadListFile(const std::filesystem::path& path, char16_t (*names)[kListEntryUnits],
                  int records);

}  // namespace resources
