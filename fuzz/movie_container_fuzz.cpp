// The input is a whole .mov file: parse it the way the player does (header
// from the first bytes, then exactly the index) and touch every frame range
// the parser lets through, so a range past the input shows up as an
// out-of-bounds read.

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdlib>

#include "formats/movie_container.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const formats::ByteSpan file(data, size);
    formats::MovieHeader header;
    const formats::ByteSpan first = file.first(std::min(size, formats::kMovieFirstReadSize));
    if (!formats::ParseMovieHeader(first, size, &header, nullptr)) return 0;
    const uint64_t indexBytes = formats::MovieIndexBytes(header);
    if (indexBytes > size) std::abort();
    formats::MovieIndex index;
    if (!formats::ParseMovieIndex(file.first(indexBytes), size, &index, nullptr)) return 0;
    if (index.entries.size() != index.FrameCount()) std::abort();
    unsigned sum = 0;
    for (uint32_t i = 0; i < index.FrameCount(); ++i) {
        const formats::FileRange range = index.FrameRange(i);
        if (range.size > formats::kMovieMaxFrameSize || range.offset < indexBytes) std::abort();
        for (const uint8_t byte : file.subspan(range.offset, range.size)) sum += byte;
        // Frames are contiguous, so a neighbour pair is one read.
        if (i + 1 < index.FrameCount() &&
            index.FrameRange(i + 1).offset != range.offset + range.size)
            std::abort();
    }
    volatile unsigned sink = sum;
    (void)sink;
    return 0;
}
