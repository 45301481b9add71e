#pragma once
// A fresh folder under /tmp for one test, removed with everything in it when
// the test ends, and the byte-level file helpers the file tests share.

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

using Bytes = std::vector<uint8_t>;

class TempFolder {
public:
    TempFolder();
    ~TempFolder();
    TempFolder(const TempFolder&) = delete;
    TempFolder& operator=(const TempFolder&) = delete;

    const std::string& path() const { return path_; }
    // The native path of a file in the folder, and the same as UTF-16 text.
    std::string Native(std::string_view name) const;
    std::u16string Path(std::string_view name) const;

    void Write(std::string_view name, const Bytes& bytes) const;
    Bytes Read(std::string_view name) const;
    bool Exists(std::string_view name) const;

private:
    std::string path_;
};
