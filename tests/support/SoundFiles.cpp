#include "support/SoundFiles.h"

#include <vorbis/vorbisenc.h>

#include <cmath>
#include <cstring>
#include <stdexcept>

#define OV_EXCLUDE_STATIC_CALLBACKS
#include <vorbis/vorbisfile.h>

namespace {

void Put16(Bytes& b, uint32_t v) {
    b.push_back(static_cast<uint8_t>(v));
    b.push_back(static_cast<uint8_t>(v >> 8));
}
void Put32(Bytes& b, uint32_t v) {
    Put16(b, v & 0xFFFF);
    Put16(b, v >> 16);
}

}  // namespace

Bytes RiffFile(std::string_view formType, const std::vector<RiffChunk>& chunks) {
    Bytes body(formType.begin(), formType.end());
    for (const RiffChunk& chunk : chunks) {
        body.insert(body.end(), chunk.id.begin(), chunk.id.end());
        Put32(body, static_cast<uint32_t>(chunk.body.size()));
        body.insert(body.end(), chunk.body.begin(), chunk.body.end());
        if (chunk.body.size() % 2 != 0)
            body.push_back(0);
    }
    Bytes file = {'R', 'I', 'F', 'F'};
    Put32(file, static_cast<uint32_t>(body.size()));
    file.insert(file.end(), body.begin(), body.end());
    return file;
}

Bytes FormatChunkRaw(uint16_t tag, uint16_t channels, uint32_t rate, uint32_t bytesPerSecond,
                     uint16_t blockAlign, uint16_t bits) {
    Bytes b;
    Put16(b, tag);
    Put16(b, channels);
    Put32(b, rate);
    Put32(b, bytesPerSecond);
    Put16(b, blockAlign);
    Put16(b, bits);
    return b;
}

Bytes FormatChunk(uint16_t tag, uint16_t channels, uint32_t rate, uint16_t bits,
                  const Bytes& extension) {
    const uint16_t align = static_cast<uint16_t>(channels * bits / 8);
    Bytes b = FormatChunkRaw(tag, channels, rate, rate * align, align, bits);
    if (tag != 1) {
        Put16(b, static_cast<uint32_t>(extension.size()));
        b.insert(b.end(), extension.begin(), extension.end());
    }
    return b;
}

Bytes StereoWave(const std::vector<int16_t>& interleaved) {
    Bytes data;
    for (int16_t s : interleaved)
        Put16(data, static_cast<uint16_t>(s));
    return RiffFile("WAVE", {{"fmt ", FormatChunk(1, 2, 44100, 16)}, {"data", data}});
}

std::vector<int16_t> Ramp(uint32_t frames, uint32_t track) {
    std::vector<int16_t> samples(size_t{frames} * 2);
    for (uint32_t i = 0; i < frames; ++i) {
        const uint32_t v = i + 1;
        samples[2 * i] = static_cast<int16_t>(v & 0xFFFF);
        samples[2 * i + 1] = static_cast<int16_t>(track * 256 + (v >> 16));
    }
    return samples;
}

RampFrame ReadRamp(int16_t left, int16_t right) {
    const uint32_t low = static_cast<uint16_t>(left);
    const uint32_t high = static_cast<uint16_t>(right);
    const uint32_t v = (high & 0xFF) << 16 | low;
    if (v == 0)
        return RampFrame{static_cast<int32_t>(high >> 8), -1};
    return RampFrame{static_cast<int32_t>(high >> 8), int64_t{v} - 1};
}

std::vector<float> Sine(uint32_t frames, double hz, double amplitude, uint32_t rate) {
    std::vector<float> samples(size_t{frames} * 2);
    for (uint32_t i = 0; i < frames; ++i) {
        const auto s = static_cast<float>(amplitude * std::sin(2.0 * M_PI * hz * i / rate));
        samples[2 * i] = s;
        samples[2 * i + 1] = s;
    }
    return samples;
}

Bytes EncodeOgg(const std::vector<float>& interleaved, int channels, int rate) {
    vorbis_info vi;
    vorbis_info_init(&vi);
    if (vorbis_encode_init_vbr(&vi, channels, rate, 0.4f) != 0)
        throw std::runtime_error("vorbis_encode_init_vbr failed");
    vorbis_comment vc;
    vorbis_comment_init(&vc);
    vorbis_dsp_state vd;
    vorbis_block vb;
    vorbis_analysis_init(&vd, &vi);
    vorbis_block_init(&vd, &vb);
    ogg_stream_state os;
    ogg_stream_init(&os, 1);

    Bytes out;
    auto append = [&out](const ogg_page& page) {
        out.insert(out.end(), page.header, page.header + page.header_len);
        out.insert(out.end(), page.body, page.body + page.body_len);
    };
    ogg_packet header, comments, codebooks;
    vorbis_analysis_headerout(&vd, &vc, &header, &comments, &codebooks);
    ogg_stream_packetin(&os, &header);
    ogg_stream_packetin(&os, &comments);
    ogg_stream_packetin(&os, &codebooks);
    ogg_page page;
    while (ogg_stream_flush(&os, &page) != 0)
        append(page);

    const size_t frames = interleaved.size() / static_cast<size_t>(channels);
    size_t done = 0;
    bool finished = false;
    while (!finished) {
        const size_t n = std::min<size_t>(4096, frames - done);
        if (n == 0) {
            vorbis_analysis_wrote(&vd, 0);
        } else {
            float** buffer = vorbis_analysis_buffer(&vd, static_cast<int>(n));
            for (size_t i = 0; i < n; ++i) {
                for (int c = 0; c < channels; ++c)
                    buffer[c][i] = interleaved[(done + i) * channels + c];
            }
            vorbis_analysis_wrote(&vd, static_cast<int>(n));
            done += n;
        }
        while (vorbis_analysis_blockout(&vd, &vb) == 1) {
            vorbis_analysis(&vb, nullptr);
            vorbis_bitrate_addblock(&vb);
            ogg_packet packet;
            while (vorbis_bitrate_flushpacket(&vd, &packet) != 0) {
                ogg_stream_packetin(&os, &packet);
                while (ogg_stream_pageout(&os, &page) != 0) {
                    append(page);
                    if (ogg_page_eos(&page) != 0)
                        finished = true;
                }
            }
        }
    }
    ogg_stream_clear(&os);
    vorbis_block_clear(&vb);
    vorbis_dsp_clear(&vd);
    vorbis_comment_clear(&vc);
    vorbis_info_clear(&vi);
    return out;
}

namespace {

struct MemorySource {
    const Bytes* bytes;
    size_t at = 0;
};

size_t MemoryRead(void* dst, size_t size, size_t count, void* source) {
    auto* s = static_cast<MemorySource*>(source);
    const size_t n = std::min(size * count, s->bytes->size() - s->at);
    std::memcpy(dst, s->bytes->data() + s->at, n);
    s->at += n;
    return size == 0 ? 0 : n / size;
}
int MemorySeek(void* source, ogg_int64_t offset, int whence) {
    auto* s = static_cast<MemorySource*>(source);
    const int64_t base = whence == SEEK_SET   ? 0
                         : whence == SEEK_CUR ? int64_t(s->at)
                                              : int64_t(s->bytes->size());
    const int64_t to = base + offset;
    if (to < 0 || to > int64_t(s->bytes->size()))
        return -1;
    s->at = static_cast<size_t>(to);
    return 0;
}
long MemoryTell(void* source) {
    return static_cast<long>(static_cast<MemorySource*>(source)->at);
}

}  // namespace

std::vector<int16_t> DecodeOgg(const Bytes& file, int64_t from) {
    MemorySource source{&file};
    OggVorbis_File vf;
    if (ov_open_callbacks(&source, &vf, nullptr, 0,
                          {MemoryRead, MemorySeek, nullptr, MemoryTell}) != 0)
        throw std::runtime_error("not an Ogg stream");
    if (from != 0)
        ov_pcm_seek(&vf, from);
    std::vector<int16_t> samples;
    char buffer[8192];
    int section = 0;
    for (;;) {
        const long n = ov_read(&vf, buffer, sizeof buffer, 0, 2, 1, &section);
        if (n <= 0)
            break;
        const size_t old = samples.size();
        samples.resize(old + static_cast<size_t>(n) / 2);
        std::memcpy(samples.data() + old, buffer, static_cast<size_t>(n));
    }
    ov_clear(&vf);
    return samples;
}

Bytes Utf16File(std::u16string_view text) {
    Bytes b = {0xFF, 0xFE};
    for (char16_t c : text)
        Put16(b, c);
    return b;
}
