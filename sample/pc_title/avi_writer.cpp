#include "sample/pc_title/avi_writer.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string_view>

#include <jpeglib.h>

namespace pc_title {

using formats::AppendLe16;
using formats::AppendLe32;
using formats::ByteVector;

ByteVector EncodeJpeg(const DrawnPicture& picture, int quality, bool grey) {
    jpeg_compress_struct info{};
    jpeg_error_mgr errors{};
    info.err = jpeg_std_error(&errors);
    jpeg_create_compress(&info);
    unsigned char* buffer = nullptr;
    unsigned long size = 0;
    jpeg_mem_dest(&info, &buffer, &size);
    info.image_width = picture.width;
    info.image_height = picture.height;
    info.input_components = grey ? 1 : 3;
    info.in_color_space = grey ? JCS_GRAYSCALE : JCS_EXT_BGR;
    jpeg_set_defaults(&info);
    jpeg_set_quality(&info, quality, TRUE);
    jpeg_start_compress(&info, TRUE);
    std::vector<uint8_t> greyRow(grey ? picture.width : 0);
    while (info.next_scanline < info.image_height) {
        const uint8_t* row = &picture.pixels[size_t{info.next_scanline} * picture.width * 3];
        if (grey) {
            for (size_t x = 0; x < picture.width; ++x) greyRow[x] = row[x * 3 + 1];
            row = greyRow.data();
        }
        auto* rowPointer = const_cast<JSAMPROW>(row);
        jpeg_write_scanlines(&info, &rowPointer, 1);
    }
    jpeg_finish_compress(&info);
    ByteVector result(buffer, buffer + size);
    jpeg_destroy_compress(&info);
    std::free(buffer);
    return result;
}

namespace {

void AppendTag(ByteVector& out, std::string_view tag) {
    out.insert(out.end(), tag.begin(), tag.begin() + 4);
}

// Starts a chunk or list; EndChunk fills in its size and pads it to even.
size_t BeginChunk(ByteVector& out, std::string_view tag) {
    AppendTag(out, tag);
    AppendLe32(out, 0);
    return out.size();
}

void EndChunk(ByteVector& out, size_t start) {
    formats::StoreLe32(out.data() + start - 4, static_cast<uint32_t>(out.size() - start));
    if (out.size() % 2 != 0) out.push_back(0);
}

size_t BeginList(ByteVector& out, std::string_view tag, std::string_view kind) {
    size_t start = BeginChunk(out, tag);
    AppendTag(out, kind);
    return start;
}

}  // namespace

ByteVector WriteAviMovie(const MotionJpegMovie& movie) {
    const bool sound = !movie.sound.empty();
    const uint16_t blockAlign = static_cast<uint16_t>(movie.channels * 2);
    const auto frameCount = static_cast<uint32_t>(movie.frames.size());
    size_t largest = 0;
    for (const ByteVector& frame : movie.frames) largest = std::max(largest, frame.size());

    ByteVector out;
    const size_t riff = BeginList(out, "RIFF", "AVI ");
    const size_t header = BeginList(out, "LIST", "hdrl");
    const size_t avih = BeginChunk(out, "avih");
    AppendLe32(out,
               static_cast<uint32_t>(1000000ull * movie.rateDenominator / movie.rateNumerator));
    AppendLe32(out, static_cast<uint32_t>(largest * movie.rateNumerator / movie.rateDenominator +
                                          movie.sampleRate * blockAlign));
    AppendLe32(out, 0);
    AppendLe32(out, 0x10 | 0x100);  // has an index, interleaved
    AppendLe32(out, frameCount);
    AppendLe32(out, 0);
    AppendLe32(out, sound ? 2 : 1);
    AppendLe32(out, static_cast<uint32_t>(largest));
    AppendLe32(out, movie.width);
    AppendLe32(out, movie.height);
    for (int i = 0; i < 4; ++i) AppendLe32(out, 0);
    EndChunk(out, avih);

    auto streamHeader = [&](std::string_view type, std::string_view handler, uint32_t scale,
                            uint32_t rate, uint32_t length, uint32_t buffer, uint32_t sampleSize) {
        const size_t strh = BeginChunk(out, "strh");
        AppendTag(out, type);
        if (handler.empty()) {
            AppendLe32(out, 0);
        } else {
            AppendTag(out, handler);
        }
        AppendLe32(out, 0);  // flags
        AppendLe32(out, 0);  // priority, language
        AppendLe32(out, 0);  // initial frames
        AppendLe32(out, scale);
        AppendLe32(out, rate);
        AppendLe32(out, 0);  // start
        AppendLe32(out, length);
        AppendLe32(out, buffer);
        AppendLe32(out, 0xFFFFFFFF);  // quality: the default
        AppendLe32(out, sampleSize);
        AppendLe16(out, 0);
        AppendLe16(out, 0);
        AppendLe16(out, type == "vids" ? movie.width : 0);
        AppendLe16(out, type == "vids" ? movie.height : 0);
        EndChunk(out, strh);
    };

    const size_t videoList = BeginList(out, "LIST", "strl");
    streamHeader("vids", "MJPG", movie.rateDenominator, movie.rateNumerator, frameCount,
                 static_cast<uint32_t>(largest), 0);
    const size_t videoFormat = BeginChunk(out, "strf");
    AppendLe32(out, 40);
    AppendLe32(out, movie.width);
    AppendLe32(out, movie.height);
    AppendLe16(out, 1);
    AppendLe16(out, 24);
    AppendTag(out, "MJPG");
    AppendLe32(out, uint32_t{movie.width} * movie.height * 3);
    for (int i = 0; i < 4; ++i) AppendLe32(out, 0);
    EndChunk(out, videoFormat);
    EndChunk(out, videoList);

    if (sound) {
        const auto soundFrames = static_cast<uint32_t>(movie.sound.size() / movie.channels);
        const size_t audioList = BeginList(out, "LIST", "strl");
        streamHeader("auds", "", blockAlign, movie.sampleRate * blockAlign, soundFrames,
                     movie.sampleRate * blockAlign / 2, blockAlign);
        const size_t audioFormat = BeginChunk(out, "strf");
        AppendLe16(out, 1);  // PCM
        AppendLe16(out, movie.channels);
        AppendLe32(out, movie.sampleRate);
        AppendLe32(out, movie.sampleRate * blockAlign);
        AppendLe16(out, blockAlign);
        AppendLe16(out, 16);
        EndChunk(out, audioFormat);
        EndChunk(out, audioList);
    }
    EndChunk(out, header);

    struct IndexEntry {
        const char* tag;
        uint32_t offset;
        uint32_t size;
    };
    std::vector<IndexEntry> index;
    const size_t movi = BeginList(out, "LIST", "movi");
    const size_t moviTag = movi;  // offsets count from the list's kind
    for (size_t k = 0; k < movie.frames.size(); ++k) {
        if (sound) {
            const size_t from = movie.SoundBefore(k) * movie.channels;
            const size_t to = movie.SoundBefore(k + 1) * movie.channels;
            index.push_back({"01wb", static_cast<uint32_t>(out.size() - moviTag),
                             static_cast<uint32_t>((to - from) * 2)});
            const size_t chunk = BeginChunk(out, "01wb");
            for (size_t i = from; i < to; ++i)
                AppendLe16(out, static_cast<uint16_t>(movie.sound[i]));
            EndChunk(out, chunk);
        }
        const ByteVector& frame = movie.frames[k];
        index.push_back({"00dc", static_cast<uint32_t>(out.size() - moviTag),
                         static_cast<uint32_t>(frame.size())});
        const size_t chunk = BeginChunk(out, "00dc");
        out.insert(out.end(), frame.begin(), frame.end());
        EndChunk(out, chunk);
    }
    EndChunk(out, movi);

    const size_t idx1 = BeginChunk(out, "idx1");
    for (const IndexEntry& entry : index) {
        AppendTag(out, entry.tag);
        AppendLe32(out, 0x10);  // every frame stands alone
        AppendLe32(out, entry.offset);
        AppendLe32(out, entry.size);
    }
    EndChunk(out, idx1);
    EndChunk(out, riff);
    return out;
}

}  // namespace pc_title
