#include "audio/OggFile.h"

#include <sys/types.h>

namespace {

size_t ReadCallback(void* destination, size_t size, size_t count, void* file) {
    return std::fread(destination, size, count, static_cast<FILE*>(file));
}

int SeekCallback(void* file, ogg_int64_t offset, int whence) {
    return fseeko(static_cast<FILE*>(file), static_cast<off_t>(offset), whence);
}

long TellCallback(void* file) {
    return static_cast<long>(ftello(static_cast<FILE*>(file)));
}

}  // namespace

int OpenOggStream(FILE* file, OggVorbis_File* stream) {
    const ov_callbacks callbacks{ReadCallback, SeekCallback, nullptr, TellCallback};
    return ov_open_callbacks(file, stream, nullptr, 0, callbacks);
}
