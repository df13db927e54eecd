// Feeds arbitrary bytes to the RIFF WAVE chunk walk in both of its ways.
// Whatever the chunk sizes claim, an accepted file's sample range and format
// extra bytes lie inside the input; refusing cut chunks, its format is also
// usable.

#include <cstdint>
#include <cstdlib>

#include "formats/short_sound.h"
#include "formats/wave_file.h"

namespace {

void CheckInside(formats::ByteSpan file, size_t offset, size_t size) {
    if (!formats::HasRange(file, offset, size)) std::abort();
    // Touch the whole range so that the sanitizer sees any overreach.
    volatile uint8_t sum = 0;
    for (size_t i = 0; i < size; ++i) sum = sum + file[offset + i];
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    formats::ByteSpan file(data, size);
    for (auto ends : {formats::WaveChunkEnds::kRefuse, formats::WaveChunkEnds::kCutToBytes}) {
        formats::WaveInfo info;
        if (!formats::ParseWaveFile(file, &info, ends)) continue;
        if (info.dataSize == 0) std::abort();
        if (ends == formats::WaveChunkEnds::kRefuse && (info.channels == 0 || info.sampleRate == 0))
            std::abort();
        CheckInside(file, info.dataOffset, info.dataSize);
        CheckInside(file, info.formatExtraOffset, info.formatExtraSize);
    }
    // The converters' short-sound container: an accepted one is PCM of one
    // or two channels whose samples lie inside the input.
    formats::WaveInfo sound;
    if (formats::ParseShortSound(file, &sound)) {
        if (sound.formatTag != 1 || sound.channels < 1 || sound.channels > 2 || sound.dataSize == 0)
            std::abort();
        CheckInside(file, sound.dataOffset, sound.dataSize);
    }
    return 0;
}
