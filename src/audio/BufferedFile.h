#pragma once
// BufferedFile: a file read through an I/O buffer of its own, the way the
// multimedia file functions read sound files.
//
// Reads are served from an 8 KB buffer that is refilled from the file when
// it runs out; a seek inside the buffered range costs nothing, which keeps
// the music's loop jumps cheap.

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <memory>

class BufferedFile {
public:
    static constexpr size_t kBufferBytes = 8192;

    BufferedFile() = default;
    ~BufferedFile();
    BufferedFile(const BufferedFile&) = delete;
    BufferedFile& operator=(const BufferedFile&) = delete;

    // Opens the file for reading; false when it cannot be opened.
    bool Open(const std::filesystem::path& path);
    void Close();
    bool IsOpen() const { return file_ != nullptr; }

    // Bytes in the file, taken when it was opened.
    uint64_t Size() const { return size_; }
    uint64_t Tell() const { return bufferOffset_ + begin_; }
    // Moves to offset from the start of the file; false past its end.
    bool Seek(uint64_t offset);
    // Copies up to n bytes and returns how many there were before the end of
    // the file (or a read error).
    size_t Read(void* destination, size_t n);

private:
    bool Refill();

    FILE* file_ = nullptr;
    std::unique_ptr<uint8_t[]> buffer_;
    uint64_t size_ = 0;
    uint64_t bufferOffset_ = 0;  // file offset of buffer_[0]
    size_t begin_ = 0;           // next byte to hand out
    size_t end_ = 0;             // bytes held
};
