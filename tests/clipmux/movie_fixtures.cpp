#include "movie_fixtures.h"

#include <gtest/gtest.h>

#include <cmath>
#include <csetjmp>
#include <cstdlib>
#include <cstring>

#include "formats/movie_container.h"
#include "sample/pc_title/avi_writer.h"
#include "sample/pc_title/mj_writer.h"
#include "test_support.h"

extern "C" {
#include <jpeglib.h>
#include <libavcodec/avcodec.h>
#include <libavformat/avformat.h>
#include <libavutil/channel_layout.h>
#include <libavutil/imgutils.h>
#include <libavutil/opt.h>
#include <libswresample/swresample.h>
#include <libswscale/swscale.h>
}

namespace clipmux_test {

namespace fs = std::filesystem;

Bgr FrameColour(int frame) {
    // Blue steps through the frames; green and red stay apart from it so
    // that a swap of blue and red shows.
    return {20 + (frame * 11) % 220, 128, 40};
}

int FrameForColour(const Bgr& colour, int frames) {
    int best = -1;
    int bestDistance = 1 << 30;
    for (int i = 0; i < frames; ++i) {
        const Bgr c = FrameColour(i);
        const int d =
            std::abs(c.b - colour.b) + std::abs(c.g - colour.g) + std::abs(c.r - colour.r);
        if (d < bestDistance) {
            bestDistance = d;
            best = i;
        }
    }
    return bestDistance <= 15 ? best : -1;
}

namespace {

struct OutStream {
    AVStream* stream = nullptr;
    AVCodecContext* codec = nullptr;
};

void Encode(AVFormatContext* out, OutStream& s, AVFrame* frame) {
    ASSERT_GE(avcodec_send_frame(s.codec, frame), 0);
    AVPacket* packet = av_packet_alloc();
    while (avcodec_receive_packet(s.codec, packet) == 0) {
        av_packet_rescale_ts(packet, s.codec->time_base, s.stream->time_base);
        packet->stream_index = s.stream->index;
        ASSERT_GE(av_interleaved_write_frame(out, packet), 0);
    }
    av_packet_free(&packet);
}

void WriteVideo(AVFormatContext* out, OutStream& s, const MovieShape& shape) {
    AVFrame* frame = av_frame_alloc();
    frame->format = s.codec->pix_fmt;
    frame->width = shape.width;
    frame->height = shape.height;
    ASSERT_GE(av_frame_get_buffer(frame, 0), 0);
    std::vector<uint8_t> bgr(static_cast<size_t>(shape.width) * shape.height * 3);
    SwsContext* sws =
        sws_getContext(shape.width, shape.height, AV_PIX_FMT_BGR24, shape.width, shape.height,
                       s.codec->pix_fmt, SWS_POINT, nullptr, nullptr, nullptr);
    ASSERT_NE(sws, nullptr);
    for (int i = 0; i < shape.frames; ++i) {
        const Bgr c = FrameColour(i);
        for (size_t p = 0; p < bgr.size(); p += 3) {
            bgr[p] = static_cast<uint8_t>(c.b);
            bgr[p + 1] = static_cast<uint8_t>(c.g);
            bgr[p + 2] = static_cast<uint8_t>(c.r);
        }
        ASSERT_GE(av_frame_make_writable(frame), 0);
        const uint8_t* planes[1] = {bgr.data()};
        const int strides[1] = {shape.width * 3};
        sws_scale(sws, planes, strides, 0, shape.height, frame->data, frame->linesize);
        frame->pts = i;
        Encode(out, s, frame);
    }
    Encode(out, s, nullptr);
    sws_freeContext(sws);
    av_frame_free(&frame);
}

void WriteAudio(AVFormatContext* out, OutStream& s, const MovieShape& shape) {
    const int frameSize = s.codec->frame_size > 0 ? s.codec->frame_size : 1024;
    AVChannelLayout layout;
    av_channel_layout_default(&layout, shape.channels);
    SwrContext* swr = nullptr;
    ASSERT_GE(
        swr_alloc_set_opts2(&swr, &s.codec->ch_layout, s.codec->sample_fmt, s.codec->sample_rate,
                            &layout, AV_SAMPLE_FMT_S16, shape.sampleRate, 0, nullptr),
        0);
    ASSERT_GE(swr_init(swr), 0);
    AVFrame* frame = av_frame_alloc();
    std::vector<int16_t> samples(static_cast<size_t>(frameSize) * shape.channels);
    int64_t pts = 0;
    for (int done = 0; done < shape.audioSamples; done += frameSize) {
        const int count = std::min(frameSize, shape.audioSamples - done);
        for (int i = 0; i < count; ++i) {
            const double t = static_cast<double>(done + i) / shape.sampleRate;
            const auto v = static_cast<int16_t>(8000 * std::sin(2 * M_PI * 440 * t));
            for (int c = 0; c < shape.channels; ++c)
                samples[static_cast<size_t>(i) * shape.channels + c] = v;
        }
        av_frame_unref(frame);
        frame->format = s.codec->sample_fmt;
        frame->sample_rate = s.codec->sample_rate;
        ASSERT_GE(av_channel_layout_copy(&frame->ch_layout, &s.codec->ch_layout), 0);
        frame->nb_samples = s.codec->frame_size > 0 ? frameSize : count;
        ASSERT_GE(av_frame_get_buffer(frame, 0), 0);
        const uint8_t* in[1] = {reinterpret_cast<const uint8_t*>(samples.data())};
        const int made = swr_convert(swr, frame->data, frame->nb_samples, in, count);
        ASSERT_GE(made, 0);
        if (made == 0) continue;
        if (s.codec->frame_size > 0 && made < frameSize) {
            // Encoders of fixed-size frames take a short last frame only when
            // they say so; pad it with silence instead.
            av_samples_set_silence(frame->data, made, frameSize - made, shape.channels,
                                   s.codec->sample_fmt);
        } else {
            frame->nb_samples = made;
        }
        frame->pts = pts;
        pts += frame->nb_samples;
        Encode(out, s, frame);
    }
    Encode(out, s, nullptr);
    av_frame_free(&frame);
    swr_free(&swr);
    av_channel_layout_uninit(&layout);
}

}  // namespace

void WriteTestMovie(const fs::path& path, const MovieShape& shape) {
    av_log_set_level(AV_LOG_QUIET);
    AVFormatContext* out = nullptr;
    ASSERT_GE(avformat_alloc_output_context2(&out, nullptr, shape.container, path.c_str()), 0);
    OutStream video;
    {
        const AVCodec* codec = avcodec_find_encoder(shape.video);
        ASSERT_NE(codec, nullptr);
        video.stream = avformat_new_stream(out, nullptr);
        video.codec = avcodec_alloc_context3(codec);
        video.codec->width = shape.width;
        video.codec->height = shape.height;
        video.codec->time_base = av_inv_q(shape.frameRate);
        video.codec->framerate = shape.frameRate;
        video.stream->time_base = video.codec->time_base;
        switch (shape.video) {
            case AV_CODEC_ID_MJPEG:
                video.codec->pix_fmt = AV_PIX_FMT_YUVJ420P;
                video.codec->qmin = video.codec->qmax = 2;
                break;
            case AV_CODEC_ID_RAWVIDEO:
                video.codec->pix_fmt = shape.video16Bit ? AV_PIX_FMT_RGB555LE : AV_PIX_FMT_BGR24;
                break;
            default:
                video.codec->pix_fmt = AV_PIX_FMT_YUV420P;
                video.codec->gop_size = 5;
                video.codec->qmin = video.codec->qmax = 2;
                break;
        }
        if (out->oformat->flags & AVFMT_GLOBALHEADER)
            video.codec->flags |= AV_CODEC_FLAG_GLOBAL_HEADER;
        ASSERT_GE(avcodec_open2(video.codec, codec, nullptr), 0);
        ASSERT_GE(avcodec_parameters_from_context(video.stream->codecpar, video.codec), 0);
    }
    std::vector<OutStream> audios;
    if (shape.audio != AV_CODEC_ID_NONE) {
        for (int n = 0; n < shape.audioStreams; ++n) {
            const AVCodec* codec = avcodec_find_encoder(shape.audio);
            ASSERT_NE(codec, nullptr);
            OutStream a;
            a.stream = avformat_new_stream(out, nullptr);
            a.codec = avcodec_alloc_context3(codec);
            a.codec->sample_rate = shape.sampleRate;
            av_channel_layout_default(&a.codec->ch_layout, shape.channels);
            a.codec->sample_fmt = codec->sample_fmts[0];
            a.codec->time_base = AVRational{1, shape.sampleRate};
            if (shape.audio == AV_CODEC_ID_MP3) a.codec->bit_rate = 64000;
            a.stream->time_base = a.codec->time_base;
            if (out->oformat->flags & AVFMT_GLOBALHEADER)
                a.codec->flags |= AV_CODEC_FLAG_GLOBAL_HEADER;
            ASSERT_GE(avcodec_open2(a.codec, codec, nullptr), 0);
            ASSERT_GE(avcodec_parameters_from_context(a.stream->codecpar, a.codec), 0);
            audios.push_back(a);
        }
    }
    ASSERT_GE(avio_open(&out->pb, path.c_str(), AVIO_FLAG_WRITE), 0);
    ASSERT_GE(avformat_write_header(out, nullptr), 0);
    WriteVideo(out, video, shape);
    for (OutStream& a : audios) WriteAudio(out, a, shape);
    ASSERT_GE(av_write_trailer(out), 0);
    avio_closep(&out->pb);
    avcodec_free_context(&video.codec);
    for (OutStream& a : audios) avcodec_free_context(&a.codec);
    avformat_free_context(out);
}

void PatchAviVideoRate(const fs::path& path, uint32_t rate) {
    std::vector<uint8_t> bytes = testing_support::ReadHostFile(path);
    for (size_t i = 0; i + 40 < bytes.size(); ++i) {
        if (std::memcmp(&bytes[i], "strh", 4) == 0 && std::memcmp(&bytes[i + 8], "vids", 4) == 0) {
            std::memcpy(&bytes[i + 8 + 24], &rate, 4);
            testing_support::WriteHostFile(path, bytes);
            return;
        }
    }
    FAIL() << "no video stream header in " << path;
}

std::vector<uint8_t> SolidJpeg(int width, int height, Bgr colour, bool grey) {
    // A grey picture takes the blue value as its level.
    pc_title::DrawnPicture picture;
    picture.width = static_cast<uint16_t>(width);
    picture.height = static_cast<uint16_t>(height);
    picture.pixels.resize(static_cast<size_t>(width) * height * 3);
    for (size_t i = 0; i < picture.pixels.size(); i += 3) {
        picture.pixels[i] = static_cast<uint8_t>(colour.b);
        picture.pixels[i + 1] = static_cast<uint8_t>(grey ? colour.b : colour.g);
        picture.pixels[i + 2] = static_cast<uint8_t>(grey ? colour.b : colour.r);
    }
    return pc_title::EncodeJpeg(picture, 95, grey);
}

std::vector<uint8_t> MakeMjFile(const MjShape& shape) {
    pc_title::MotionJpegMovie movie;
    movie.width = static_cast<uint16_t>(shape.width);
    movie.height = static_cast<uint16_t>(shape.height);
    movie.rateNumerator = shape.rateNumerator;
    movie.rateDenominator = shape.rateDenominator;
    movie.channels = shape.channels;
    movie.sampleRate = shape.sampleRate;
    for (int k = 0; k < shape.frames; ++k)
        movie.frames.push_back(SolidJpeg(shape.width, shape.height, FrameColour(k), shape.grey));
    // A steady tone, shared out as one chunk before each frame.
    const size_t samples = static_cast<size_t>(shape.frames) * (shape.soundBytesPerChunk / 2);
    for (size_t i = 0; i < samples; ++i)
        movie.sound.push_back(static_cast<int16_t>(6000 * std::sin(i * 0.04)));
    return pc_title::WriteMjMovie(movie);
}

bool DecodeRgb(const std::vector<uint8_t>& jpeg, int* width, int* height,
               std::vector<uint8_t>* rgb) {
    if (jpeg.empty()) return false;
    jpeg_decompress_struct info{};
    jpeg_error_mgr errors{};
    info.err = jpeg_std_error(&errors);
    jpeg_create_decompress(&info);
    jpeg_mem_src(&info, jpeg.data(), static_cast<unsigned long>(jpeg.size()));
    jpeg_read_header(&info, TRUE);
    info.out_color_space = JCS_RGB;
    jpeg_start_decompress(&info);
    *width = static_cast<int>(info.output_width);
    *height = static_cast<int>(info.output_height);
    rgb->assign(static_cast<size_t>(*width) * *height * 3, 0);
    while (info.output_scanline < info.output_height) {
        JSAMPROW row = rgb->data() + static_cast<size_t>(info.output_scanline) * *width * 3;
        jpeg_read_scanlines(&info, &row, 1);
    }
    jpeg_finish_decompress(&info);
    jpeg_destroy_decompress(&info);
    return true;
}

MovieFrames ReadMovie(const fs::path& path) {
    MovieFrames movie;
    const std::vector<uint8_t> file = testing_support::ReadHostFile(path);
    formats::MovieIndex index;
    std::string error;
    EXPECT_TRUE(formats::ParseMovie(file, &index, &error)) << path << ": " << error;
    if (!error.empty()) return movie;
    movie.frameRate = index.header.frameRate;
    movie.width = index.header.width;
    movie.height = index.header.height;
    EXPECT_EQ(index.header.totalSize, file.size());
    for (uint32_t i = 0; i < index.FrameCount(); ++i) {
        const formats::FileRange r = index.FrameRange(i);
        movie.frames.emplace_back(file.begin() + static_cast<ptrdiff_t>(r.offset),
                                  file.begin() + static_cast<ptrdiff_t>(r.offset + r.size));
    }
    return movie;
}

std::vector<int> ShownFrames(const MovieFrames& movie, int sourceFrames) {
    std::vector<int> shown;
    for (const std::vector<uint8_t>& jpeg : movie.frames) {
        int w = 0, h = 0;
        std::vector<uint8_t> rgb;
        if (!DecodeRgb(jpeg, &w, &h, &rgb)) {
            shown.push_back(-2);
            continue;
        }
        // The middle pixel, away from the scalers' dark right and bottom edges.
        const size_t at = (static_cast<size_t>(h / 2) * w + w / 2) * 3;
        // The player's order: the decoder's first byte is blue.
        shown.push_back(FrameForColour({rgb[at], rgb[at + 1], rgb[at + 2]}, sourceFrames));
    }
    return shown;
}

}  // namespace clipmux_test
