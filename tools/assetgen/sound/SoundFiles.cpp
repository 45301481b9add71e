#include "sound/SoundFiles.h"

#include <vorbis/vorbisenc.h>

#include <algorithm>
#include <fstream>
#include <stdexcept>
#include <string>

namespace assetgen::sound {

namespace {

constexpr int kChannels = 2;
constexpr int kRate = 44100;
constexpr int kBits = 16;

void Put16(std::vector<uint8_t>& out, uint32_t v) {
    out.push_back(static_cast<uint8_t>(v));
    out.push_back(static_cast<uint8_t>(v >> 8));
}

void Put32(std::vector<uint8_t>& out, uint32_t v) {
    Put16(out, v & 0xFFFF);
    Put16(out, v >> 16);
}

void PutTag(std::vector<uint8_t>& out, const char (&tag)[5]) {
    out.insert(out.end(), tag, tag + 4);
}

void WriteBytes(const std::filesystem::path& path, const std::vector<uint8_t>& bytes) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(bytes.data()),
              static_cast<std::streamsize>(bytes.size()));
    out.close();
    if (!out)
        throw std::runtime_error("cannot write " + path.string());
}

// The libvorbis encoder state, released in the reverse order of its making.
class OggEncoder {
public:
    OggEncoder(float quality, int serial) {
        vorbis_info_init(&info_);
        if (vorbis_encode_init_vbr(&info_, kChannels, kRate, quality) != 0) {
            vorbis_info_clear(&info_);
            throw std::runtime_error("vorbis_encode_init_vbr refused stereo 44.1 kHz at quality " +
                                     std::to_string(quality));
        }
        vorbis_comment_init(&comment_);
        vorbis_comment_add_tag(&comment_, "ENCODER", "Tessary assetgen");
        vorbis_analysis_init(&dsp_, &info_);
        vorbis_block_init(&dsp_, &block_);
        ogg_stream_init(&stream_, serial);
    }
    ~OggEncoder() {
        ogg_stream_clear(&stream_);
        vorbis_block_clear(&block_);
        vorbis_dsp_clear(&dsp_);
        vorbis_comment_clear(&comment_);
        vorbis_info_clear(&info_);
    }
    OggEncoder(const OggEncoder&) = delete;
    OggEncoder& operator=(const OggEncoder&) = delete;

    // The whole stream: the three headers on pages of their own, then the audio.
    std::vector<uint8_t> Encode(const std::vector<int16_t>& pcm) {
        ogg_packet header;
        ogg_packet comments;
        ogg_packet codebooks;
        vorbis_analysis_headerout(&dsp_, &comment_, &header, &comments, &codebooks);
        ogg_stream_packetin(&stream_, &header);
        ogg_stream_packetin(&stream_, &comments);
        ogg_stream_packetin(&stream_, &codebooks);
        ogg_page page;
        while (ogg_stream_flush(&stream_, &page) != 0)
            Append(page);

        constexpr size_t kBlockFrames = 1024;
        const size_t frames = pcm.size() / kChannels;
        for (size_t at = 0; at < frames; at += kBlockFrames) {
            const size_t n = std::min(kBlockFrames, frames - at);
            float** buffer = vorbis_analysis_buffer(&dsp_, static_cast<int>(n));
            for (size_t i = 0; i < n; ++i) {
                buffer[0][i] = pcm[2 * (at + i)] / 32768.0f;
                buffer[1][i] = pcm[2 * (at + i) + 1] / 32768.0f;
            }
            vorbis_analysis_wrote(&dsp_, static_cast<int>(n));
            Drain();
        }
        // The end of the stream: the last page's position is the frame count.
        vorbis_analysis_wrote(&dsp_, 0);
        Drain();
        if (lastGranule_ != static_cast<ogg_int64_t>(frames))
            throw std::runtime_error("the Ogg stream ends at frame " +
                                     std::to_string(lastGranule_) + ", not at " +
                                     std::to_string(frames));
        return std::move(bytes_);
    }

private:
    void Append(const ogg_page& page) {
        bytes_.insert(bytes_.end(), page.header, page.header + page.header_len);
        bytes_.insert(bytes_.end(), page.body, page.body + page.body_len);
        lastGranule_ = ogg_page_granulepos(&page);
    }

    void Drain() {
        while (vorbis_analysis_blockout(&dsp_, &block_) == 1) {
            vorbis_analysis(&block_, nullptr);
            vorbis_bitrate_addblock(&block_);
            ogg_packet packet;
            while (vorbis_bitrate_flushpacket(&dsp_, &packet) == 1) {
                ogg_stream_packetin(&stream_, &packet);
                ogg_page page;
                // Once the last packet is in, this also gives out the last page.
                while (ogg_stream_pageout(&stream_, &page) != 0)
                    Append(page);
            }
        }
    }

    vorbis_info info_;
    vorbis_comment comment_;
    vorbis_dsp_state dsp_;
    vorbis_block block_;
    ogg_stream_state stream_;
    std::vector<uint8_t> bytes_;
    ogg_int64_t lastGranule_ = -1;
};

}  // namespace

void WriteWaveFile(const std::filesystem::path& path, const std::vector<int16_t>& pcm) {
    const auto dataBytes = static_cast<uint32_t>(pcm.size() * sizeof(int16_t));
    const uint32_t blockAlign = kChannels * kBits / 8;
    std::vector<uint8_t> bytes;
    bytes.reserve(44 + dataBytes);
    PutTag(bytes, "RIFF");
    Put32(bytes, 4 + (8 + 16) + (8 + dataBytes));
    PutTag(bytes, "WAVE");
    PutTag(bytes, "fmt ");
    Put32(bytes, 16);
    Put16(bytes, 1);  // PCM
    Put16(bytes, kChannels);
    Put32(bytes, kRate);
    Put32(bytes, kRate * blockAlign);
    Put16(bytes, blockAlign);
    Put16(bytes, kBits);
    PutTag(bytes, "data");
    Put32(bytes, dataBytes);
    for (int16_t s : pcm)
        Put16(bytes, static_cast<uint16_t>(s));
    WriteBytes(path, bytes);
}

void WriteOggFile(const std::filesystem::path& path, const std::vector<int16_t>& pcm, float quality,
                  int serial) {
    try {
        OggEncoder encoder(quality, serial);
        WriteBytes(path, encoder.Encode(pcm));
    } catch (const std::runtime_error& e) {
        throw std::runtime_error(path.string() + ": " + e.what());
    }
}

void WriteLoopFile(const std::filesystem::path& path, uint32_t loopStart, uint32_t loopLength) {
    const std::string text = "LoopStart=" + std::to_string(loopStart) +
                             "\r\nLoopLength=" + std::to_string(loopLength) + "\r\n";
    std::vector<uint8_t> bytes{0xFF, 0xFE};
    for (char c : text)
        Put16(bytes, static_cast<uint8_t>(c));
    WriteBytes(path, bytes);
}

}  // namespace assetgen::sound
