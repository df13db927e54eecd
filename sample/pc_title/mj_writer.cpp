#include "sample/pc_title/mj_writer.h"

#include <cstring>

namespace pc_title {

using formats::AppendLe16;
using formats::ByteVector;

ByteVector WriteMjMovie(const MotionJpegMovie& movie) {
    const auto frames = static_cast<uint32_t>(movie.frames.size());
    const uint32_t entries = frames + 1;
    const uint32_t table = 36 + 24 * entries;
    ByteVector out(table, 0);
    std::memcpy(out.data(), "MJ", 2);
    formats::StoreLe16(out.data() + 14, movie.channels);
    formats::StoreLe32(out.data() + 16, movie.sampleRate);
    formats::StoreLe16(out.data() + 20, movie.rateNumerator);
    formats::StoreLe16(out.data() + 22, movie.rateDenominator);
    formats::StoreLe16(out.data() + 24, static_cast<uint16_t>(entries));
    formats::StoreLe16(out.data() + 26, static_cast<uint16_t>(frames + 1));
    formats::StoreLe32(out.data() + 28, table);
    // Entry k: where sound chunk k starts, then where frame k starts, both
    // from the data; the last entry only closes the last frame.
    for (uint32_t k = 0; k < entries; ++k) {
        formats::StoreLe32(out.data() + 36 + 24 * k, static_cast<uint32_t>(out.size() - table));
        if (k < frames) {
            const size_t from = movie.SoundBefore(k) * movie.channels;
            const size_t to = movie.SoundBefore(k + 1) * movie.channels;
            for (size_t i = from; i < to; ++i)
                AppendLe16(out, static_cast<uint16_t>(movie.sound[i]));
        }
        formats::StoreLe32(out.data() + 36 + 24 * k + 8, static_cast<uint32_t>(out.size() - table));
        if (k < frames) out.insert(out.end(), movie.frames[k].begin(), movie.frames[k].end());
    }
    return out;
}

}  // namespace pc_title
