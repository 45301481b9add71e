#include "support/TempFolder.h"

#include <stdlib.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <stdexcept>

#include "base/WideText.h"

TempFolder::TempFolder() {
    char pattern[] = "/tmp/tessary-test-XXXXXX";
    if (mkdtemp(pattern) == nullptr)
        throw std::runtime_error("mkdtemp failed");
    path_ = pattern;
}

TempFolder::~TempFolder() {
    std::error_code ignored;
    std::filesystem::remove_all(path_, ignored);
}

std::string TempFolder::Native(std::string_view name) const {
    return path_ + "/" + std::string(name);
}

std::u16string TempFolder::Path(std::string_view name) const {
    return base::FromUtf8(Native(name));
}

void TempFolder::Write(std::string_view name, const Bytes& bytes) const {
    std::ofstream out(Native(name), std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(bytes.data()),
              static_cast<std::streamsize>(bytes.size()));
}

Bytes TempFolder::Read(std::string_view name) const {
    std::ifstream in(Native(name), std::ios::binary);
    return Bytes(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

bool TempFolder::Exists(std::string_view name) const {
    return std::filesystem::exists(Native(name));
}
