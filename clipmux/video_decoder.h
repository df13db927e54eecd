#pragma once
// Decompresses the frames of an AVI video stream with libavcodec into 24-bit
// pictures (blue, green, red, rows top first), whatever the stream's coding:
// uncompressed bitmaps of any depth (palettes and 16-bit pixels included)
// are converted, not refused.
//
// Frames are asked for in order (the same frame may be asked for again).
// Chunks are fed to the decoder as far as needed; an empty chunk repeats the
// frame before it.

#include <memory>
#include <string>
#include <vector>

#include "clipmux/avi_file.h"
#include "clipmux/picture.h"
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

    // The picture of frame `frame`, which is not below the last one asked for.
    bool Frame(uint32_t frame, const Picture** picture, std::string* why);
    // Exchanges the last picture given with *other; the next request for the
    // same frame converts it again.
    void SwapPicture(Picture* other);

private:
    struct State;
    bool Feed(std::string* why);
    std::unique_ptr<State> state_;
};

}  // namespace clipmux
