#include "audio/BufferedFile.h"

#include <sys/types.h>

#include <cstring>

#include "platform/Files.h"

BufferedFile::~BufferedFile() {
    Close();
}

bool BufferedFile::Open(const std::filesystem::path& path) {
    Close();
    file_ = platform::OpenFile(path, "rb");
    if (file_ == nullptr)
        return false;
    std::setvbuf(file_, nullptr, _IONBF, 0);  // this class is the buffer
    if (fseeko(file_, 0, SEEK_END) != 0) {
        Close();
        return false;
    }
    const off_t size = ftello(file_);
    if (size < 0 || fseeko(file_, 0, SEEK_SET) != 0) {
        Close();
        return false;
    }
    size_ = static_cast<uint64_t>(size);
    if (buffer_ == nullptr)
        buffer_ = std::make_unique<uint8_t[]>(kBufferBytes);
    bufferOffset_ = 0;
    begin_ = 0;
    end_ = 0;
    return true;
}

void BufferedFile::Close() {
    if (file_ != nullptr)
        std::fclose(file_);
    file_ = nullptr;
    size_ = 0;
    bufferOffset_ = 0;
    begin_ = 0;
    end_ = 0;
}

bool BufferedFile::Seek(uint64_t offset) {
    if (file_ == nullptr || offset > size_)
        return false;
    if (offset >= bufferOffset_ && offset <= bufferOffset_ + end_) {
        begin_ = static_cast<size_t>(offset - bufferOffset_);
        return true;
    }
    // Outside the buffer: the next read fills it from the new place.
    bufferOffset_ = offset;
    begin_ = 0;
    end_ = 0;
    return true;
}

bool BufferedFile::Refill() {
    bufferOffset_ += end_;
    begin_ = 0;
    end_ = 0;
    if (bufferOffset_ >= size_)
        return false;
    if (fseeko(file_, static_cast<off_t>(bufferOffset_), SEEK_SET) != 0)
        return false;
    end_ = std::fread(buffer_.get(), 1, kBufferBytes, file_);
    return end_ > 0;
}

size_t BufferedFile::Read(void* destination, size_t n) {
    if (file_ == nullptr)
        return 0;
    auto* out = static_cast<uint8_t*>(destination);
    size_t done = 0;
    while (done < n) {
        if (begin_ == end_ && !Refill())
            break;
        const size_t take = (end_ - begin_) < (n - done) ? (end_ - begin_) : (n - done);
        std::memcpy(out + done, buffer_.get() + begin_, take);
        begin_ += take;
        done += take;
    }
    return done;
}
