#pragma once
// Writes the game's list files: a UTF-16LE byte-order mark, then one 36-byte
// record per name: 16 code units of the name (shorter names padded with zero
// units), CR and LF. Names are plain ASCII relative paths with '\' between
// folder and file, such as "wav\bgm_0007.wav".

#include <cstdint>
#include <filesystem>
#include <fstream>
#include <stdexcept>
#include <string>
#include <vector>

namespace assetgen {

constexpr int kListNameUnits = 16;

inline void WriteListFile(const std::filesystem::path& path,
                          const std::vector<std::string>& names) {
    std::vector<uint8_t> bytes{0xFF, 0xFE};
    for (const std::string& name : names) {
        if (name.size() > kListNameUnits)
            throw std::runtime_error("list name longer than 16 characters: " + name);
        for (int i = 0; i < kListNameUnits; ++i) {
            const uint8_t unit =
                i < static_cast<int>(name.size()) ? static_cast<uint8_t>(name[i]) : 0;
            bytes.push_back(unit);
            bytes.push_back(0);
        }
        for (uint8_t end : {uint8_t{0x0D}, uint8_t{0x0A}}) {
            bytes.push_back(end);
            bytes.push_back(0);
        }
    }
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(bytes.data()),
              static_cast<std::streamsize>(bytes.size()));
    if (!out)
        throw std::runtime_error("cannot write " + path.string());
}

}  // namespace assetgen
