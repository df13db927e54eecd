#include "clipmux/av_support.h"

#include <mutex>

extern "C" {
#include <libavutil/error.h>
#include <libavutil/log.h>
}

namespace clipmux {

void QuietAvLogging() {
    static std::once_flag once;
    std::call_once(once, [] { av_log_set_level(AV_LOG_QUIET); });
}

std::string AvErrorText(int code) {
    char text[AV_ERROR_MAX_STRING_SIZE] = {};
    av_strerror(code, text, sizeof text);
    return text;
}

FrameConverter::~FrameConverter() {
    sws_freeContext(context_);
}

bool FrameConverter::Convert(const AVFrame* frame, Picture* out, std::string* why) {
    if (frame->width <= 0 || frame->height <= 0) {
        *why = "the decoder gave an empty picture";
        return false;
    }
    context_ = sws_getCachedContext(
        context_, frame->width, frame->height, static_cast<AVPixelFormat>(frame->format),
        frame->width, frame->height, AV_PIX_FMT_BGR24, SWS_POINT, nullptr, nullptr, nullptr);
    if (context_ == nullptr) {
        *why = "cannot convert the decoded picture to 24 bits per pixel";
        return false;
    }
    if (out->width != frame->width || out->height != frame->height || out->bytesPerPixel != 3)
        out->Resize(frame->width, frame->height, 3);
    uint8_t* planes[4] = {out->pixels.data(), nullptr, nullptr, nullptr};
    int strides[4] = {out->Stride(), 0, 0, 0};
    sws_scale(context_, frame->data, frame->linesize, 0, frame->height, planes, strides);
    return true;
}

}  // namespace clipmux
