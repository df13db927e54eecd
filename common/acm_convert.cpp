#include "common/acm_convert.h"

#include <algorithm>
#include <cstring>
#include <limits>
#include <mutex>
#include <utility>
#include <vector>

extern "C" {
#include <libavcodec/avcodec.h>
#include <libavutil/channel_layout.h>
#include <libavutil/log.h>
#include <libavutil/mem.h>
#include <libavutil/samplefmt.h>
#include <libswresample/swresample.h>
}

namespace common {

namespace {

constexpr uint16_t kWaveFormatFloat = 3;
constexpr uint16_t kWaveFormatALaw = 6;
constexpr uint16_t kWaveFormatMuLaw = 7;
// MPEG audio layers 1 and 2, and layer 3, as movie files carry their sound.
constexpr uint16_t kWaveFormatMpeg = 0x50;
constexpr uint16_t kWaveFormatMpegLayer3 = 0x55;
// MPEG audio goes to its frame parser this many bytes at a time.
constexpr uint32_t kParsedPieceBytes = 4096;

// Source rates outside this range are taken for a damaged header.
constexpr uint32_t kMinSourceRate = 1000;
constexpr uint32_t kMaxSourceRate = 192000;
constexpr uint32_t kMinDestinationRate = 8000;
constexpr uint32_t kMaxDestinationRate = 96000;
// PCM-like sources go to the decoder this many sample frames at a time.
constexpr uint32_t kPcmPacketFrames = 4096;
constexpr uint32_t kFlushFrames = 4096;
// A sound of at most this many source frames is kept decoded until the end,
// so that it can be resampled again should the resampler swallow it. Its
// filter spans far fewer frames at any rate pair the conversion accepts.
constexpr int64_t kKeptFrames = kPcmPacketFrames;
// Silence goes after such a sound this many source frames at a time, and no
// more than the limit in all.
constexpr int kPaddingFrames = 256;
constexpr int kMaxPaddingFrames = 16 * kPaddingFrames;
constexpr uint32_t kSpareBytes = 16;

// How a source is cut into decoder packets. A piece of n bytes holds
// headerBytes and then whole groups of groupBytes; UsableBytes drops what
// trails the last whole group.
struct SourceCoding {
    AVCodecID codec = AV_CODEC_ID_NONE;
    uint32_t packetBytes = 0;  // one ADPCM block, or kPcmPacketFrames PCM frames
    uint32_t headerBytes = 0;
    uint32_t groupBytes = 1;
    int blockAlign = 0;   // what the decoder is told
    bool parsed = false;  // pieces go through the codec's frame parser first
};

AVCodecID PcmCodec(uint16_t tag, uint16_t bits) {
    switch (tag) {
        case kWaveFormatPcm:
            if (bits == 8) return AV_CODEC_ID_PCM_U8;
            if (bits == 16) return AV_CODEC_ID_PCM_S16LE;
            if (bits == 24) return AV_CODEC_ID_PCM_S24LE;
            if (bits == 32) return AV_CODEC_ID_PCM_S32LE;
            return AV_CODEC_ID_NONE;
        case kWaveFormatFloat:
            if (bits == 32) return AV_CODEC_ID_PCM_F32LE;
            if (bits == 64) return AV_CODEC_ID_PCM_F64LE;
            return AV_CODEC_ID_NONE;
        case kWaveFormatALaw:
            return bits == 8 ? AV_CODEC_ID_PCM_ALAW : AV_CODEC_ID_NONE;
        case kWaveFormatMuLaw:
            return bits == 8 ? AV_CODEC_ID_PCM_MULAW : AV_CODEC_ID_NONE;
        default:
            return AV_CODEC_ID_NONE;
    }
}

// The coding of a source, or codec AV_CODEC_ID_NONE when the header cannot
// be right. The PCM codings derive their frame size from channels and bits
// and ignore the stated block align, which old files often get wrong.
SourceCoding ClassifySource(const WaveFormat& source) {
    SourceCoding coding;
    if (source.channels < 1 || source.channels > 2) return coding;
    if (source.samplesPerSecond < kMinSourceRate || source.samplesPerSecond > kMaxSourceRate) {
        return coding;
    }
    const uint32_t channels = source.channels;
    const uint32_t block = source.blockAlign;
    switch (source.formatTag) {
        case kWaveFormatMpeg:
        case kWaveFormatMpegLayer3:
            // A stream of self-describing frames: no block structure to keep.
            coding.codec = source.formatTag == kWaveFormatMpeg ? AV_CODEC_ID_MP2 : AV_CODEC_ID_MP3;
            coding.packetBytes = kParsedPieceBytes;
            coding.parsed = true;
            return coding;
        case kWaveFormatMsAdpcm:
            // A block opens with predictor, delta and two samples per channel
            // (7 bytes), then one nibble per sample.
            if (source.bitsPerSample != 4 || block < 7 * channels) return coding;
            coding.codec = AV_CODEC_ID_ADPCM_MS;
            coding.headerBytes = 7 * channels;
            coding.groupBytes = 1;
            break;
        case kWaveFormatImaAdpcm: {
            // A block opens with a sample and a step index per channel
            // (4 bytes), then groups of 4 bytes per channel (8 samples of 4
            // bits, or 12 bytes for 32 samples of 3 bits).
            if (source.bitsPerSample != 3 && source.bitsPerSample != 4) return coding;
            uint32_t group = (source.bitsPerSample == 4 ? 4 : 12) * channels;
            if (block < 4 * channels) return coding;
            coding.codec = AV_CODEC_ID_ADPCM_IMA_WAV;
            coding.headerBytes = 4 * channels;
            coding.groupBytes = group;
            break;
        }
        default: {
            coding.codec = PcmCodec(source.formatTag, source.bitsPerSample);
            if (coding.codec == AV_CODEC_ID_NONE) return coding;
            uint32_t frame = channels * source.bitsPerSample / 8;
            coding.packetBytes = frame * kPcmPacketFrames;
            coding.groupBytes = frame;
            coding.blockAlign = static_cast<int>(frame);
            return coding;
        }
    }
    coding.packetBytes = block;
    coding.blockAlign = static_cast<int>(block);
    return coding;
}

uint32_t UsableBytes(const SourceCoding& coding, uint32_t length) {
    if (length < coding.headerBytes) return 0;
    uint32_t body = length - coding.headerBytes;
    // A piece that is all header is still a block of its leading samples.
    return coding.headerBytes + body / coding.groupBytes * coding.groupBytes;
}

bool DestinationIsSane(const WaveFormat& destination) {
    return destination.formatTag == kWaveFormatPcm &&
           (destination.channels == 1 || destination.channels == 2) &&
           (destination.bitsPerSample == 8 || destination.bitsPerSample == 16) &&
           destination.samplesPerSecond >= kMinDestinationRate &&
           destination.samplesPerSecond <= kMaxDestinationRate;
}

// Converting many files must not fill stderr with the decoders' complaints
// about damaged blocks; a failed conversion is reported by its result.
void QuietLibraryLogging() {
    static std::once_flag once;
    std::call_once(once, [] { av_log_set_level(AV_LOG_QUIET); });
}

struct FrameDeleter {
    void operator()(AVFrame* frame) const { av_frame_free(&frame); }
};
using FramePtr = std::unique_ptr<AVFrame, FrameDeleter>;

// One conversion: the decoder, the resampler made when the first frame tells
// its sample format, and the destination bytes so far.
class Conversion {
public:
    explicit Conversion(const WaveFormat& destination)
        : destinationRate_(static_cast<int>(destination.samplesPerSecond)),
          destinationChannels_(destination.channels),
          destinationFormat_(destination.bitsPerSample == 8 ? AV_SAMPLE_FMT_U8 : AV_SAMPLE_FMT_S16),
          destinationFrameBytes_(destination.channels * destination.bitsPerSample / 8) {}

    ~Conversion() {
        av_channel_layout_uninit(&inputLayout_);
        swr_free(&resampler_);
        av_parser_close(parser_);
        av_packet_free(&packet_);
        av_frame_free(&frame_);
        avcodec_free_context(&decoder_);
    }

    Conversion(const Conversion&) = delete;
    Conversion& operator=(const Conversion&) = delete;

    bool Open(const WaveFormat& source, const SourceCoding& coding,
              std::span<const uint8_t> extra) {
        const AVCodec* codec = avcodec_find_decoder(coding.codec);
        if (codec == nullptr) return false;
        decoder_ = avcodec_alloc_context3(codec);
        frame_ = av_frame_alloc();
        packet_ = av_packet_alloc();
        if (decoder_ == nullptr || frame_ == nullptr || packet_ == nullptr) return false;
        decoder_->sample_rate = static_cast<int>(source.samplesPerSecond);
        av_channel_layout_default(&decoder_->ch_layout, source.channels);
        decoder_->block_align = coding.blockAlign;
        if (coding.parsed) {
            parser_ = av_parser_init(coding.codec);
            if (parser_ == nullptr) return false;
        }
        decoder_->bits_per_coded_sample = source.bitsPerSample;
        // The extra bytes are counted by a 16-bit field; more is not a format.
        size_t extraSize = std::min<size_t>(extra.size(), std::numeric_limits<uint16_t>::max());
        if (extraSize > 0) {
            decoder_->extradata =
                static_cast<uint8_t*>(av_mallocz(extraSize + AV_INPUT_BUFFER_PADDING_SIZE));
            if (decoder_->extradata == nullptr) return false;
            std::memcpy(decoder_->extradata, extra.data(), extraSize);
            decoder_->extradata_size = static_cast<int>(extraSize);
        }
        return avcodec_open2(decoder_, codec, nullptr) == 0;
    }

    // Feeds one piece (a block, or a run of PCM frames) and takes out what
    // it decodes. A piece the decoder rejects, such as a damaged block, is
    // left out and decoding goes on with the next one.
    bool DecodePiece(const uint8_t* bytes, uint32_t length) {
        if (parser_ != nullptr) return ParsePiece(bytes, length);
        return SendPacket(bytes, length);
    }

    // Cuts a piece of a frame stream into whole frames; with no bytes
    // (the end) it gives up the frame it holds.
    bool ParsePiece(const uint8_t* bytes, uint32_t length) {
        do {
            uint8_t* frame = nullptr;
            int frameSize = 0;
            int used =
                av_parser_parse2(parser_, decoder_, &frame, &frameSize, bytes,
                                 static_cast<int>(length), AV_NOPTS_VALUE, AV_NOPTS_VALUE, 0);
            if (used < 0 || (used == 0 && frameSize == 0 && bytes != nullptr)) return true;
            bytes += used;
            length -= static_cast<uint32_t>(used);
            if (frameSize > 0 && !SendPacket(frame, static_cast<uint32_t>(frameSize))) return false;
            if (length == 0 && frameSize == 0) break;
        } while (length > 0 || bytes == nullptr);
        return true;
    }

    bool SendPacket(const uint8_t* bytes, uint32_t length) {
        if (av_new_packet(packet_, static_cast<int>(length)) < 0) return false;
        std::memcpy(packet_->data, bytes, length);
        int sent = avcodec_send_packet(decoder_, packet_);
        av_packet_unref(packet_);
        if (sent == AVERROR(ENOMEM)) return false;
        return ReceiveFrames();
    }

    // Drains the decoder, then the resampler's filter tail.
    bool Finish() {
        if (parser_ != nullptr && !ParsePiece(nullptr, 0)) return false;
        if (avcodec_send_packet(decoder_, nullptr) == AVERROR(ENOMEM)) return false;
        if (!ReceiveFrames()) return false;
        if (resampler_ == nullptr) return true;
        if (!Drain(nullptr)) return false;
        // The resampler holds back a sound shorter than its filter until it
        // has seen enough samples, and a flush then gives up all or part of
        // it. Such a sound goes through a new resampler followed by silence.
        // A longer one comes out whole, or one frame short where the
        // resampler's step rounds its last position past the end.
        uint64_t expected = ExpectedFrames();
        uint64_t frames = written_ / destinationFrameBytes_;
        if (frames > 0 && frames + 1 >= expected) return true;
        return ResampleKeptPadded(expected);
    }

    const uint8_t* Output() const { return output_.data(); }
    size_t Written() const { return written_; }

private:
    bool ReceiveFrames() {
        while (true) {
            int received = avcodec_receive_frame(decoder_, frame_);
            if (received == AVERROR(ENOMEM)) return false;
            // Waiting for input, drained, or a block the decoder could not
            // make sense of: nothing more from this piece.
            if (received < 0) return true;
            bool resampled = Resample();
            av_frame_unref(frame_);
            if (!resampled) return false;
        }
    }

    bool MakeResampler() {
        AVChannelLayout outLayout;
        av_channel_layout_default(&outLayout, destinationChannels_);
        int made = swr_alloc_set_opts2(
            &resampler_, &outLayout, destinationFormat_, destinationRate_, &inputLayout_,
            static_cast<AVSampleFormat>(inputFormat_), inputRate_, 0, nullptr);
        av_channel_layout_uninit(&outLayout);
        if (made < 0) return false;
        // The library's own mix would lower a mono source by 3 dB in both
        // stereo channels; the system copies it, and averages stereo to mono.
        int sourceChannels = inputLayout_.nb_channels;
        if (sourceChannels == 1 && destinationChannels_ == 2) {
            const double copy[2] = {1.0, 1.0};
            if (swr_set_matrix(resampler_, copy, 1) < 0) return false;
        } else if (sourceChannels == 2 && destinationChannels_ == 1) {
            const double average[2] = {0.5, 0.5};
            if (swr_set_matrix(resampler_, average, 2) < 0) return false;
        }
        return swr_init(resampler_) == 0;
    }

    bool Resample() {
        if (frame_->nb_samples <= 0) return true;
        const int frameRate = frame_->sample_rate > 0 ? frame_->sample_rate : decoder_->sample_rate;
        if (resampler_ == nullptr) {
            // The resampler takes the first frame's layout: an MPEG stream's
            // own header, not the wave format's claim, says what it is.
            inputFormat_ = frame_->format;
            inputRate_ = frameRate;
            if (av_channel_layout_copy(&inputLayout_, &frame_->ch_layout) < 0) return false;
            if (inputRate_ <= 0 || !MakeResampler()) return false;
        }
        // The PCM and ADPCM decoders keep one format for a stream; a damaged
        // MPEG stream may change its channels or rate mid-way, and such a
        // frame is left out rather than fed to a resampler made for another.
        if (frame_->format != inputFormat_ ||
            frame_->ch_layout.nb_channels != inputLayout_.nb_channels || frameRate != inputRate_) {
            return true;
        }
        inputFrames_ += frame_->nb_samples;
        if (inputFrames_ <= kKeptFrames) {
            FramePtr copy(av_frame_clone(frame_));
            if (copy == nullptr) return false;
            kept_.push_back(std::move(copy));
        } else {
            kept_.clear();
        }
        return Feed(frame_);
    }

    bool Feed(const AVFrame* source) {
        int capacity = swr_get_out_samples(resampler_, source->nb_samples);
        if (capacity < 0) return false;
        uint8_t* out = Reserve(static_cast<uint32_t>(capacity));
        if (out == nullptr) return false;
        int produced =
            swr_convert(resampler_, &out, capacity,
                        const_cast<const uint8_t**>(source->extended_data), source->nb_samples);
        if (produced < 0) return false;
        Commit(static_cast<uint32_t>(produced));
        return true;
    }

    // Takes out what the resampler has ready; with no input (null) it also
    // flushes the filter tail, after which it takes no more input.
    bool Drain(const uint8_t* const* input) {
        while (true) {
            uint8_t* out = Reserve(kFlushFrames);
            if (out == nullptr) return false;
            int produced = swr_convert(resampler_, &out, static_cast<int>(kFlushFrames),
                                       const_cast<const uint8_t**>(input), 0);
            if (produced < 0) return false;
            Commit(static_cast<uint32_t>(produced));
            if (produced == 0) return true;
        }
    }

    // The source length at the destination rate, a part frame counted whole
    // as the resampler does for a longer sound.
    uint64_t ExpectedFrames() const {
        uint64_t from = static_cast<uint64_t>(inputRate_);
        uint64_t to = static_cast<uint64_t>(destinationRate_);
        return (static_cast<uint64_t>(inputFrames_) * to + from - 1) / from;
    }

    // Resamples the kept sound again with silence after it until its scaled
    // length is out, and cuts what the silence adds beyond that.
    bool ResampleKeptPadded(uint64_t expected) {
        if (kept_.empty()) return true;
        swr_free(&resampler_);
        written_ = 0;
        if (!MakeResampler()) return false;
        for (const FramePtr& piece : kept_) {
            if (!Feed(piece.get())) return false;
        }
        // Takes no sample from this array: only a null one would flush.
        const uint8_t* const noInput[AV_NUM_DATA_POINTERS] = {};
        for (int padding = 0;
             written_ / destinationFrameBytes_ < expected && padding < kMaxPaddingFrames;
             padding += kPaddingFrames) {
            if (swr_inject_silence(resampler_, kPaddingFrames) < 0) return false;
            if (!Drain(noInput)) return false;
        }
        written_ = std::min<uint64_t>(written_, expected * destinationFrameBytes_);
        return true;
    }

    // Room for this many destination frames after the bytes written so far;
    // null when the result would no longer fit the 32-bit count.
    uint8_t* Reserve(uint32_t frames) {
        uint64_t needed = written_ + uint64_t{frames} * destinationFrameBytes_;
        if (needed > std::numeric_limits<uint32_t>::max() - kSpareBytes) return nullptr;
        if (needed > output_.size()) output_.resize(std::max<size_t>(needed, output_.size() * 2));
        return output_.data() + written_;
    }

    void Commit(uint32_t frames) { written_ += size_t{frames} * destinationFrameBytes_; }

    const int destinationRate_;
    const int destinationChannels_;
    const AVSampleFormat destinationFormat_;
    const uint32_t destinationFrameBytes_;
    AVCodecContext* decoder_ = nullptr;
    AVFrame* frame_ = nullptr;
    AVPacket* packet_ = nullptr;
    AVCodecParserContext* parser_ = nullptr;
    SwrContext* resampler_ = nullptr;
    int inputFormat_ = AV_SAMPLE_FMT_NONE;
    // What the resampler was made for: the first decoded frame's layout and rate.
    AVChannelLayout inputLayout_{};
    int inputRate_ = 0;
    int64_t inputFrames_ = 0;
    std::vector<FramePtr> kept_;  // the decoded sound while it is short
    std::vector<uint8_t> output_;
    size_t written_ = 0;
};

}  // namespace

WaveFormat SuggestPcmFormat(const WaveFormat& source, uint16_t bitsPerSample) {
    WaveFormat format;
    format.formatTag = kWaveFormatPcm;
    format.channels = source.channels;
    format.samplesPerSecond = source.samplesPerSecond;
    uint16_t bits = bitsPerSample;
    // Anything but 8 or 16 asked for is left to the system's choice.
    if (bits != 8 && bits != 16) {
        bool plainPcm = source.formatTag == kWaveFormatPcm &&
                        (source.bitsPerSample == 8 || source.bitsPerSample == 16);
        bits = plainPcm ? source.bitsPerSample : 16;
    }
    format.bitsPerSample = bits;
    format.blockAlign = static_cast<uint16_t>(format.channels * bits / 8);
    format.averageBytesPerSecond = format.samplesPerSecond * format.blockAlign;
    format.extraSize = 0;
    return format;
}

bool CanConvertFrom(const WaveFormat& source) {
    return ClassifySource(source).codec != AV_CODEC_ID_NONE;
}

// The source is fed one block (ADPCM) or kPcmPacketFrames frames (PCM) at a
// time. The last piece, when cut short, is decoded as far as it goes: its
// whole sample groups are decoded (for MS ADPCM every byte after the 7-byte
// header per channel, for IMA ADPCM every whole 4-byte group per channel
// after its 4-byte header, for PCM every whole frame) and the bytes after
// the last whole group are dropped. A cut-short piece smaller than its block
// header (or than one PCM frame) holds no sample and is dropped whole. The
// same trimming applies to every block of a source whose block align is not
// header plus whole groups.
uint32_t AcmConvert(const WaveFormat& source, std::span<const uint8_t> sourceExtra,
                    const WaveFormat& destination, const uint8_t* sourceBytes,
                    uint32_t sourceLength, std::unique_ptr<uint8_t[]>* destinationBuffer) {
    if (destinationBuffer == nullptr) return 0;
    destinationBuffer->reset();
    if (sourceBytes == nullptr || sourceLength == 0 || !DestinationIsSane(destination)) return 0;
    SourceCoding coding = ClassifySource(source);
    if (coding.codec == AV_CODEC_ID_NONE) return 0;

    QuietLibraryLogging();
    Conversion conversion(destination);
    if (!conversion.Open(source, coding, sourceExtra)) return 0;
    for (uint32_t offset = 0; offset < sourceLength;) {
        uint32_t piece = std::min(coding.packetBytes, sourceLength - offset);
        uint32_t usable = UsableBytes(coding, piece);
        if (usable > 0 && !conversion.DecodePiece(sourceBytes + offset, usable)) return 0;
        offset += piece;
    }
    if (!conversion.Finish()) return 0;

    size_t size = conversion.Written();
    if (size == 0) return 0;
    std::unique_ptr<uint8_t[]> result(new (std::nothrow) uint8_t[size + kSpareBytes]);
    if (!result) return 0;
    std::memcpy(result.get(), conversion.Output(), size);
    std::memset(result.get() + size, 0, kSpareBytes);
    *destinationBuffer = std::move(result);
    return static_cast<uint32_t>(size);
}

}  // namespace common
