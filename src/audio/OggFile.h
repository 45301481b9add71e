#pragma once
// Ogg Vorbis streams read from our own open files.
//
// vorbisfile reads through these callbacks and never closes the file: the
// code that opened it closes it after ov_clear.

#define OV_EXCLUDE_STATIC_CALLBACKS
#include <vorbis/vorbisfile.h>

#include <cstdio>

// ov_open on an open file; 0 on success, a vorbisfile error otherwise.
int OpenOggStream(FILE* file, OggVorbis_File* stream);

// ov_read of 16-bit signed little-endian samples.
inline long ReadOggPcm(OggVorbis_File* stream, void* destination, long bytes, int* section) {
    return ov_read(stream, static_cast<char*>(destination), static_cast<int>(bytes), 0, 2, 1,
                   section);
}
