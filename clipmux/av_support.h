#pragma once
// Small helpers over FFmpeg's libraries shared by the AVI reader's frame
// decoder and the decoding graph: owning pointers, quiet logging and the
// conversion of a decoded frame to a 24-bit picture.

#include <memory>
#include <string>

#include "clipmux/picture.h"

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavformat/avformat.h>
#include <libswscale/swscale.h>
}

namespace clipmux {

struct AvFrameDeleter {
    void operator()(AVFrame* frame) const { av_frame_free(&frame); }
};
struct AvPacketDeleter {
    void operator()(AVPacket* packet) const { av_packet_free(&packet); }
};
struct AvCodecDeleter {
    void operator()(AVCodecContext* context) const { avcodec_free_context(&context); }
};
struct AvInputDeleter {
    void operator()(AVFormatContext* context) const { avformat_close_input(&context); }
};
using AvFramePtr = std::unique_ptr<AVFrame, AvFrameDeleter>;
using AvPacketPtr = std::unique_ptr<AVPacket, AvPacketDeleter>;
using AvCodecPtr = std::unique_ptr<AVCodecContext, AvCodecDeleter>;
using AvInputPtr = std::unique_ptr<AVFormatContext, AvInputDeleter>;

// The libraries' complaints about damaged data would fill the console; a
// failure is reported by its result instead.
void QuietAvLogging();

std::string AvErrorText(int code);

// Turns decoded frames of any pixel format into 24-bit pictures of the same
// size (blue, green, red).
class FrameConverter {
public:
    FrameConverter() = default;
    ~FrameConverter();
    FrameConverter(const FrameConverter&) = delete;
    FrameConverter& operator=(const FrameConverter&) = delete;

    bool Convert(const AVFrame* frame, Picture* out, std::string* why);

private:
    SwsContext* context_ = nullptr;
};

}  // namespace clipmux
