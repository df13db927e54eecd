// Feeds arbitrary bytes to the RIFF WAVE chunk walk. Whatever the chunk
// sizes claim, an accepted file's sample range lies inside the input and its
// format is usable.

#include <cstdint>
#include <cstdlib>

#include "formats/wave_file.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    formats::ByteSpan file(data, size);
    formats::WaveInfo info;
    if (!formats::ParseWaveFile(file, &info)) return 0;
    if (info.channels == 0 || info.sampleRate == 0 || info.dataSize == 0 ||
        !formats::HasRange(file, info.dataOffset, info.dataSize))
        std::abort();
    // Touch the whole range so that the sanitizer sees any overreach.
    volatile uint8_t sum = 0;
    for (size_t i = 0; i < info.dataSize; ++i) sum = sum + data[info.dataOffset + i];
    return 0;
}
