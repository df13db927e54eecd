#include "clipmux/video_decoder.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <deque>
#include <utility>

#include "clipmux/av_support.h"

extern "C" {
#include <libavutil/mem.h>
#include <libavutil/pixdesc.h>
}

namespace clipmux {

namespace {

constexpr uint32_t kUncompressed = 0;
constexpr uint32_t kBitFields = 3;
constexpr size_t kPaletteEntries = 256;
// Marks uncompressed rows as stored bottom row first, for the raw decoder.
constexpr char kBottomUp[] = "BottomUp";
// The most of a chunk read to find its headers.
constexpr uint64_t kHeaderReadLimit = 16384;

// The pixel format of uncompressed pixels with colour masks, read as the
// little-endian words they are; AV_PIX_FMT_NONE for masks no format has.
AVPixelFormat BitFieldsFormat(const BitmapInfo& info) {
    struct Layout {
        uint16_t bitCount;
        uint32_t red, green, blue;
        AVPixelFormat format;
    };
    static constexpr Layout kLayouts[] = {
        {16, 0x7C00, 0x03E0, 0x001F, AV_PIX_FMT_RGB555LE},
        {16, 0xF800, 0x07E0, 0x001F, AV_PIX_FMT_RGB565LE},
        {16, 0x0F00, 0x00F0, 0x000F, AV_PIX_FMT_RGB444LE},
        {16, 0x001F, 0x03E0, 0x7C00, AV_PIX_FMT_BGR555LE},
        {16, 0x001F, 0x07E0, 0xF800, AV_PIX_FMT_BGR565LE},
        {16, 0x000F, 0x00F0, 0x0F00, AV_PIX_FMT_BGR444LE},
        {32, 0x00FF0000, 0x0000FF00, 0x000000FF, AV_PIX_FMT_BGR0},
        {32, 0x000000FF, 0x0000FF00, 0x00FF0000, AV_PIX_FMT_RGB0},
        {32, 0xFF000000, 0x00FF0000, 0x0000FF00, AV_PIX_FMT_0BGR},
        {32, 0x0000FF00, 0x00FF0000, 0xFF000000, AV_PIX_FMT_0RGB},
    };
    for (const Layout& layout : kLayouts) {
        if (layout.bitCount == info.bitCount && layout.red == info.redMask &&
            layout.green == info.greenMask && layout.blue == info.blueMask) {
            return layout.format;
        }
    }
    return AV_PIX_FMT_NONE;
}

// Every motion JPEG picture buffer starts black. The parts of a damaged
// frame the decoder never writes then read the same whichever buffer the
// pool hands back, so a conversion gives the same bytes every run, on one
// decoder or on the workers' several.
int ClearedPictureBuffer(AVCodecContext* context, AVFrame* frame, int flags) {
    const int got = avcodec_default_get_buffer2(context, frame, flags);
    if (got < 0) return got;
    const AVPixFmtDescriptor* format =
        av_pix_fmt_desc_get(static_cast<AVPixelFormat>(frame->format));
    if (format == nullptr) return got;
    const bool chroma = (format->flags & AV_PIX_FMT_FLAG_PLANAR) != 0 &&
                        (format->flags & AV_PIX_FMT_FLAG_RGB) == 0 && format->nb_components >= 3;
    for (int plane = 0; plane < AV_NUM_DATA_POINTERS && frame->data[plane] != nullptr; ++plane) {
        const bool chromaPlane = chroma && (plane == 1 || plane == 2);
        const int rows =
            chromaPlane ? AV_CEIL_RSHIFT(frame->height, format->log2_chroma_h) : frame->height;
        if (frame->linesize[plane] <= 0 || rows <= 0) continue;
        std::memset(frame->data[plane], chromaPlane ? 128 : 0,
                    static_cast<size_t>(frame->linesize[plane]) * static_cast<size_t>(rows));
    }
    return got;
}

// The segments of a JPEG image from its start to the end of its scan's
// header, with the contents of its quantisation and Huffman tables left out
// but which tables it defines kept: a chunk defining the same tables as
// another, and otherwise starting alike, leaves a decoder in the same state
// before its scan whatever it decoded before. False for anything but one
// sequential image of the given size.
bool HeaderOutline(formats::ByteSpan bytes, int width, int height, formats::ByteVector* outline) {
    outline->clear();
    if (bytes.size() < 4 || bytes[0] != 0xFF || bytes[1] != 0xD8) return false;
    size_t at = 2;
    bool sized = false;
    while (true) {
        if (at + 4 > bytes.size() || bytes[at] != 0xFF) return false;
        const uint8_t marker = bytes[at + 1];
        const size_t length = size_t{bytes[at + 2]} << 8 | bytes[at + 3];
        if (length < 2 || at + 2 + length > bytes.size()) return false;
        const formats::ByteSpan body = bytes.subspan(at + 4, length - 2);
        outline->push_back(marker);
        if (marker == 0xDB) {
            // Quantisation tables: which ones, and their precision.
            for (size_t k = 0; k < body.size();) {
                outline->push_back(body[k]);
                k += 1 + ((body[k] >> 4) != 0 ? 128 : 64);
                if (k > body.size()) return false;
            }
        } else if (marker == 0xC4) {
            // Huffman tables: which class and number each is.
            for (size_t k = 0; k < body.size();) {
                if (k + 17 > body.size()) return false;
                outline->push_back(body[k]);
                size_t values = 0;
                for (size_t n = 1; n <= 16; ++n) values += body[k + n];
                k += 17 + values;
                if (k > body.size()) return false;
            }
        } else {
            if (marker == 0xC0 || marker == 0xC1) {
                if (body.size() < 5) return false;
                sized = (body[1] << 8 | body[2]) == height && (body[3] << 8 | body[4]) == width;
                if (!sized) return false;
            } else if (marker >= 0xC2 && marker <= 0xCF && marker != 0xCC) {
                return false;  // not a baseline or extended sequential image
            }
            outline->insert(outline->end(), body.begin(), body.end());
        }
        at += 2 + length;
        if (marker == 0xDA) return sized;
    }
}

}  // namespace

struct VideoDecoder::State {
    formats::ByteSource* source = nullptr;
    const AviStream* stream = nullptr;
    AvCodecPtr decoder;
    AvPacketPtr packet;
    // Frames received and not yet passed by the requests, oldest first; the
    // decoder's threads may hand several over at once.
    std::deque<std::pair<int64_t, AvFramePtr>> pending;
    int64_t outputs = 0;  // frames received so far
    size_t nextChunk = 0;
    bool flushed = false;
    std::vector<uint32_t> nonEmptyUpTo;  // non-empty chunks in [0, i]
    formats::ByteVector palette;         // AV_PKT_DATA_PALETTE, sent once
    formats::ByteVector chunk;
    // The decoder's settings before it was opened, for twins of it.
    std::unique_ptr<AVCodecParameters, void (*)(AVCodecParameters*)> parameters{
        nullptr, [](AVCodecParameters* p) { avcodec_parameters_free(&p); }};
    const AVCodec* codec = nullptr;
};

VideoDecoder::VideoDecoder() = default;
VideoDecoder::~VideoDecoder() = default;

bool VideoDecoder::Open(formats::ByteSource& source, const AviStream& stream, std::string* why) {
    QuietAvLogging();
    state_ = std::make_unique<State>();
    State& s = *state_;
    s.source = &source;
    s.stream = &stream;
    BitmapInfo info;
    if (!ParseBitmapInfo(stream.format, &info) || info.width <= 0 || info.height == 0) {
        *why = "the video stream has no usable picture format";
        return false;
    }
    const bool raw = info.compression == kUncompressed || info.compression == kBitFields;
    const AVCodecTag* const tags[] = {avformat_get_riff_video_tags(), nullptr};
    const AVCodecID id = raw ? AV_CODEC_ID_RAWVIDEO : av_codec_get_id(tags, info.compression);
    const AVCodec* codec = id == AV_CODEC_ID_NONE ? nullptr : avcodec_find_decoder(id);
    if (codec == nullptr) {
        char tag[5] = {};
        for (int i = 0; i < 4; ++i) {
            char c = static_cast<char>(info.compression >> (8 * i));
            tag[i] = c >= 32 && c < 127 ? c : '?';
        }
        *why = std::string("no decoder for the video coding '") + tag + "'";
        return false;
    }
    s.decoder.reset(avcodec_alloc_context3(codec));
    s.packet.reset(av_packet_alloc());
    if (!s.decoder || !s.packet) {
        *why = "out of memory";
        return false;
    }
    AVCodecContext* c = s.decoder.get();
    c->width = info.width;
    c->height = std::abs(info.height);
    c->bits_per_coded_sample = info.bitCount;
    c->codec_tag = raw ? 0 : info.compression;
    if (info.compression == kBitFields) {
        // The raw decoder keeps a format given to it; by bit count alone it
        // would read 16-bit pixels as five bits a channel whatever the masks.
        c->pix_fmt = BitFieldsFormat(info);
        if (c->pix_fmt == AV_PIX_FMT_NONE) {
            char masks[64];
            std::snprintf(masks, sizeof masks, "%u-bit pixels with masks %08X %08X %08X",
                          unsigned{info.bitCount}, info.redMask, info.greenMask, info.blueMask);
            *why = std::string("the video stream's colour layout (") + masks + ") is not supported";
            return false;
        }
    }
    formats::ByteVector extra(info.extra.begin(), info.extra.end());
    if (raw) {
        if (info.bitCount <= 8 && !info.extra.empty()) {
            // The palette's blue, green, red, reserved quads, made opaque.
            s.palette.assign(kPaletteEntries * 4, 0);
            const size_t entries = std::min(kPaletteEntries, info.extra.size() / 4);
            for (size_t i = 0; i < entries; ++i) {
                uint32_t colour = formats::ReadLe32(info.extra, i * 4) | 0xFF000000u;
                std::memcpy(s.palette.data() + i * 4, &colour, 4);
            }
        }
        extra.clear();
        if (info.height > 0) extra.assign(kBottomUp, kBottomUp + sizeof kBottomUp);
    }
    if (!extra.empty()) {
        c->extradata =
            static_cast<uint8_t*>(av_mallocz(extra.size() + AV_INPUT_BUFFER_PADDING_SIZE));
        if (c->extradata == nullptr) {
            *why = "out of memory";
            return false;
        }
        std::memcpy(c->extradata, extra.data(), extra.size());
        c->extradata_size = static_cast<int>(extra.size());
    }
    s.codec = codec;
    s.parameters.reset(avcodec_parameters_alloc());
    if (!s.parameters || avcodec_parameters_from_context(s.parameters.get(), c) < 0) {
        *why = "out of memory";
        return false;
    }
    // The library's own threads decode ahead while this one scales and
    // encodes; frames still come out in order.
    c->thread_count = 0;
    if (codec->id == AV_CODEC_ID_MJPEG) c->get_buffer2 = ClearedPictureBuffer;
    const int opened = avcodec_open2(c, codec, nullptr);
    if (opened < 0) {
        *why = "cannot open the video decoder: " + AvErrorText(opened);
        return false;
    }
    uint32_t count = 0;
    s.nonEmptyUpTo.reserve(stream.chunks.size());
    for (const formats::FileRange& chunk : stream.chunks) {
        if (chunk.size > 0) ++count;
        s.nonEmptyUpTo.push_back(count);
    }
    return true;
}

bool VideoDecoder::IsMotionJpeg() const {
    return state_ && state_->codec != nullptr && state_->codec->id == AV_CODEC_ID_MJPEG;
}

AvCodecPtr VideoDecoder::OpenTwin() const {
    const State& s = *state_;
    AvCodecPtr twin(avcodec_alloc_context3(s.codec));
    if (!twin || avcodec_parameters_to_context(twin.get(), s.parameters.get()) < 0) return {};
    twin->thread_count = 1;
    if (s.codec->id == AV_CODEC_ID_MJPEG) twin->get_buffer2 = ClearedPictureBuffer;
    if (avcodec_open2(twin.get(), s.codec, nullptr) < 0) return {};
    return twin;
}

bool VideoDecoder::ChunksStandAlone() {
    State& s = *state_;
    const AVCodecParameters& p = *s.parameters;
    formats::ByteVector first;
    formats::ByteVector bytes;
    formats::ByteVector outline;
    for (const formats::FileRange& range : s.stream->chunks) {
        if (range.size == 0) continue;
        bytes.resize(static_cast<size_t>(std::min<uint64_t>(range.size, kHeaderReadLimit)));
        if (!s.source->ReadAt(range.offset, bytes)) return false;
        if (!HeaderOutline(bytes, p.width, p.height, &outline)) return false;
        if (first.empty()) {
            first = outline;
        } else if (outline != first) {
            return false;
        }
    }
    return !first.empty();
}

// Sends the next chunk (or, after the last, the end of stream) and takes out
// every frame the decoder has ready.
bool VideoDecoder::Feed(std::string* why) {
    State& s = *state_;
    int sent;
    if (s.nextChunk < s.stream->chunks.size()) {
        const formats::FileRange range = s.stream->chunks[s.nextChunk++];
        if (range.size == 0) return true;
        if (range.size > (1u << 30)) {
            *why = "a video frame is larger than 1 GiB";
            return false;
        }
        s.chunk.resize(static_cast<size_t>(range.size) + AV_INPUT_BUFFER_PADDING_SIZE, 0);
        if (!s.source->ReadAt(range.offset, std::span<uint8_t>(s.chunk.data(), range.size))) {
            *why = "cannot read a video frame";
            return false;
        }
        AVPacket* packet = s.packet.get();
        if (av_new_packet(packet, static_cast<int>(range.size)) < 0) {
            *why = "out of memory";
            return false;
        }
        std::memcpy(packet->data, s.chunk.data(), range.size);
        if (!s.palette.empty()) {
            uint8_t* side = av_packet_new_side_data(packet, AV_PKT_DATA_PALETTE, s.palette.size());
            if (side != nullptr) std::memcpy(side, s.palette.data(), s.palette.size());
            s.palette.clear();
        }
        sent = avcodec_send_packet(s.decoder.get(), packet);
        av_packet_unref(packet);
    } else {
        if (s.flushed) return true;
        s.flushed = true;
        sent = avcodec_send_packet(s.decoder.get(), nullptr);
    }
    if (sent == AVERROR(ENOMEM)) {
        *why = "out of memory";
        return false;
    }
    while (true) {
        AvFramePtr frame(av_frame_alloc());
        if (!frame) {
            *why = "out of memory";
            return false;
        }
        if (avcodec_receive_frame(s.decoder.get(), frame.get()) != 0) break;
        s.pending.emplace_back(s.outputs++, std::move(frame));
    }
    return true;
}

bool VideoDecoder::Frame(uint32_t frame, const AVFrame** decoded, std::string* why) {
    State& s = *state_;
    if (frame >= s.nonEmptyUpTo.size() || s.nonEmptyUpTo[frame] == 0) {
        *why = "video frame " + std::to_string(frame) + " is missing from the file";
        return false;
    }
    const int64_t wanted = int64_t{s.nonEmptyUpTo[frame]} - 1;
    while ((s.pending.empty() || s.pending.back().first < wanted) &&
           !(s.flushed && s.nextChunk >= s.stream->chunks.size())) {
        if (!Feed(why)) return false;
    }
    // The newest frame not after the wanted one; a frame the decoder could
    // not make is shown as the nearest one before it.
    while (s.pending.size() > 1 && s.pending[1].first <= wanted) s.pending.pop_front();
    if (s.pending.empty()) {
        *why = "video frame " + std::to_string(frame) + " cannot be decoded";
        return false;
    }
    *decoded = s.pending.front().second.get();
    return true;
}

}  // namespace clipmux
