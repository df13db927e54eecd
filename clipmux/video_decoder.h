#pragma once
// Decompresses the frames of an AVI video stream with libavcodec, whatever
// the stream's coding: uncompressed bitmaps of any depth (palettes and
// 16-bit pixels included) are decoded, not refused. Frames come out in the
// decoder's own pixel format; the frame writer turns them into 24 bits.
//
// Frames are asked for in order (the same frame may be asked for again).
// Chunks are fed to the decoder as far as needed; an empty chunk repeats the
// frame before it.

#include <memory>
#include <string>
#include <vector>

#include "clipmux/av_support.h"
#include "clipmux/avi_file.h"
#include "formats/byte_source.h"

namespace clipmux {

class VideoDecoder {
public:
    VideoDecoder();
    ~VideoDecoder();
    VideoDecoder(const VideoDecoder&) = delete;
    VideoDecoder& operator=(const VideoDecoder&) = delete;

    // Opens a decoder for the stream's format. The stream and source must
    // outlive the decoder.
    bool Open(formats::ByteSource& source, const AviStream& stream, std::string* why);

    // The decoded frame `frame`, which is not below the last one asked for;
    // valid until the next request.
    bool Frame(uint32_t frame, const AVFrame** decoded, std::string* why);

    // Motion JPEG decodes each chunk on its own, except for the tables and
    // settings a decoder keeps from the chunks before. When every non-empty
    // chunk starts alike up to its scan (defining the same tables, whatever
    // their contents, with the same settings and size, one whole sequential
    // image), any decoder opened alike gives each chunk the same picture, in
    // any order. Reads every chunk's start; false on anything else (or a
    // read failure).
    bool IsMotionJpeg() const;
    bool ChunksStandAlone();
    // A decoder opened as this one was, on one thread; null on failure.
    AvCodecPtr OpenTwin() const;

private:
    struct State;
    bool Feed(std::string* why);
    std::unique_ptr<State> state_;
};

}  // namespace clipmux
