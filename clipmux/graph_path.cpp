// The decoding graph: any file libavformat can open, frames taken at
// positions counted at 30 per second of the source's time, by stepping
// through the stream (the default) or by seeking to each position (free
// running). Every wait for the file is bounded by the job's time limit and
// ends early when the job is stopped.

#include <chrono>
#include <cmath>
#include <limits>

#include "clipmux/av_support.h"
#include "clipmux/frame_step.h"
#include "clipmux/frame_writer.h"
#include "clipmux/movie_job.h"
#include "common/acm_convert.h"
#include "common/mp3_encoder.h"

extern "C" {
#include <libavutil/channel_layout.h>
#include <libavutil/mathematics.h>
#include <libswresample/swresample.h>
}

namespace clipmux {

namespace {

using Clock = std::chrono::steady_clock;

// The sound the graph hands to the encoder: 16-bit stereo at 44,100 or
// 22,050 Hz, the source's rate when it is one of them.
constexpr uint32_t kGraphRateHigh = 44100;
constexpr uint32_t kGraphRateLow = 22050;

}  // namespace

// One input opened through libavformat, with the time limit on its reads.
class GraphReader {
public:
    explicit GraphReader(MovieJob& job) : job_(job) {}
    ~GraphReader() = default;

    bool Open(AVMediaType type, std::string* why) {
        QuietAvLogging();
        AVFormatContext* context = avformat_alloc_context();
        if (context == nullptr) return Fail(why, "out of memory");
        context->interrupt_callback.callback = &GraphReader::Interrupt;
        context->interrupt_callback.opaque = this;
        Rearm();
        const std::string path = job_.settings_.inputPath.string();
        int result = avformat_open_input(&context, path.c_str(), nullptr, nullptr);
        if (result < 0)
            return Fail(why, TimedOut() ? "timed out opening the file" : AvErrorText(result));
        input_.reset(context);
        Rearm();
        result = avformat_find_stream_info(context, nullptr);
        if (result < 0)
            return Fail(why, TimedOut() ? "timed out reading the file" : AvErrorText(result));
        for (unsigned i = 0; i < context->nb_streams; ++i) {
            if (context->streams[i]->codecpar->codec_type != type) continue;
            if (streamIndex_ < 0) streamIndex_ = static_cast<int>(i);
            ++streamsOfType_;
        }
        if (streamIndex_ < 0)
            return Fail(why, type == AVMEDIA_TYPE_VIDEO ? "no video stream" : "no sound stream");
        stream_ = context->streams[streamIndex_];
        // The other streams' packets would only be read to be dropped.
        for (unsigned i = 0; i < context->nb_streams; ++i) {
            if (static_cast<int>(i) != streamIndex_) context->streams[i]->discard = AVDISCARD_ALL;
        }
        const AVCodec* codec = avcodec_find_decoder(stream_->codecpar->codec_id);
        if (codec == nullptr) return Fail(why, "no decoder for the stream's coding");
        decoder_.reset(avcodec_alloc_context3(codec));
        packet_.reset(av_packet_alloc());
        current_.reset(av_frame_alloc());
        ahead_.reset(av_frame_alloc());
        if (!decoder_ || !packet_ || !current_ || !ahead_) return Fail(why, "out of memory");
        decoder_->thread_count = 0;
        if (avcodec_parameters_to_context(decoder_.get(), stream_->codecpar) < 0 ||
            (result = avcodec_open2(decoder_.get(), codec, nullptr)) < 0) {
            return Fail(why, "cannot open the decoder");
        }
        return true;
    }

    int StreamsOfType() const { return streamsOfType_; }
    AVCodecContext* Decoder() const { return decoder_.get(); }

    // Positions at 30 per second over the stream's duration; 0 when unknown.
    uint64_t Positions() const {
        double seconds = 0;
        if (stream_->duration > 0 && stream_->duration != AV_NOPTS_VALUE) {
            seconds = static_cast<double>(stream_->duration) * av_q2d(stream_->time_base);
        } else if (input_->duration > 0 && input_->duration != AV_NOPTS_VALUE) {
            seconds = static_cast<double>(input_->duration) / AV_TIME_BASE;
        }
        return static_cast<uint64_t>(std::llround(seconds * kGraphPositionsPerSecond));
    }

    // The frame shown at `position`: the last frame starting no later than
    // half a position after it (the first frame for anything before that);
    // valid until the next call.
    bool FrameAt(uint64_t position, bool seek, const AVFrame** out, std::string* why) {
        const AVRational timeBase = stream_->time_base;
        const int64_t start = stream_->start_time == AV_NOPTS_VALUE ? 0 : stream_->start_time;
        const int64_t target = start + av_rescale_q_rnd(static_cast<int64_t>(position * 2 + 1),
                                                        AVRational{1, 2 * kGraphPositionsPerSecond},
                                                        timeBase, AV_ROUND_DOWN);
        if (seek) {
            // Free running: go to a little before the position and run up to it.
            const int64_t back = position < 2 ? 0 : static_cast<int64_t>(position - 2);
            const int64_t to =
                start + av_rescale_q(back, AVRational{1, kGraphPositionsPerSecond}, timeBase);
            Rearm();
            if (av_seek_frame(input_.get(), streamIndex_, to, AVSEEK_FLAG_BACKWARD) < 0 &&
                position > 0) {
                return Fail(why, TimedOut() ? TimeOutText(position) : "cannot seek in the file");
            }
            avcodec_flush_buffers(decoder_.get());
            haveCurrent_ = haveAhead_ = false;
            ended_ = false;
            lastPts_ = AV_NOPTS_VALUE;
        }
        while (true) {
            if (!haveAhead_) {
                int got = Decode(ahead_.get(), why);
                if (got < 0) return false;
                if (got == 0) break;
                haveAhead_ = true;
            }
            if (!haveCurrent_ || ahead_->best_effort_timestamp <= target) {
                std::swap(current_, ahead_);
                haveCurrent_ = true;
                haveAhead_ = false;
                continue;
            }
            break;
        }
        if (!haveCurrent_) return Fail(why, "the stream has no frame at " + Seconds(position));
        *out = current_.get();
        return true;
    }

    // Decodes the next frame into frame: 1, 0 at the end, -1 on failure.
    int Decode(AVFrame* frame, std::string* why) {
        while (true) {
            job_.CheckStop();
            int received = avcodec_receive_frame(decoder_.get(), frame);
            if (received == 0) {
                if (frame->best_effort_timestamp == AV_NOPTS_VALUE) {
                    // No time stamp: one frame's duration after the one before.
                    const AVRational rate = stream_->avg_frame_rate.num > 0
                                                ? stream_->avg_frame_rate
                                                : AVRational{kGraphPositionsPerSecond, 1};
                    const int64_t step = av_rescale_q(1, av_inv_q(rate), stream_->time_base);
                    frame->best_effort_timestamp =
                        lastPts_ == AV_NOPTS_VALUE ? 0 : lastPts_ + std::max<int64_t>(step, 1);
                }
                lastPts_ = frame->best_effort_timestamp;
                return 1;
            }
            if (received == AVERROR_EOF) return 0;
            // Otherwise the decoder wants more input, or could not make a
            // damaged frame, which is left out.
            if (ended_) return 0;
            Rearm();
            const int read = av_read_frame(input_.get(), packet_.get());
            if (read < 0) {
                if (TimedOut()) {
                    Fail(why, "timed out waiting for the file (more than " +
                                  std::to_string(job_.settings_.graphWaitLimit.count()) + " ms)");
                    return -1;
                }
                ended_ = true;
                avcodec_send_packet(decoder_.get(), nullptr);
                continue;
            }
            if (packet_->stream_index == streamIndex_)
                avcodec_send_packet(decoder_.get(), packet_.get());
            av_packet_unref(packet_.get());
        }
    }

private:
    static int Interrupt(void* opaque) {
        auto* self = static_cast<GraphReader*>(opaque);
        if (self->job_.StopRequested()) return 1;
        if (Clock::now() > self->deadline_) {
            self->timedOut_ = true;
            return 1;
        }
        return 0;
    }

    void Rearm() {
        timedOut_ = false;
        deadline_ = Clock::now() + job_.settings_.graphWaitLimit;
    }
    bool TimedOut() const { return timedOut_; }

    static std::string Seconds(uint64_t position) {
        return std::to_string(position / kGraphPositionsPerSecond) + "." +
               std::to_string(position % kGraphPositionsPerSecond * 100 /
                              kGraphPositionsPerSecond) +
               " s";
    }
    std::string TimeOutText(uint64_t position) const {
        return "timed out waiting for the frame at " + Seconds(position);
    }

    static bool Fail(std::string* why, const std::string& reason) {
        *why = reason;
        return false;
    }

    MovieJob& job_;
    AvInputPtr input_;
    AVStream* stream_ = nullptr;
    int streamIndex_ = -1;
    int streamsOfType_ = 0;
    AvCodecPtr decoder_;
    AvPacketPtr packet_;
    AvFramePtr current_;
    AvFramePtr ahead_;
    bool haveCurrent_ = false;
    bool haveAhead_ = false;
    bool ended_ = false;
    int64_t lastPts_ = AV_NOPTS_VALUE;
    Clock::time_point deadline_{};
    bool timedOut_ = false;
};

void MovieJob::RunGraphPath() {
    result_.usedGraph = true;
    std::string why;
    {
        GraphReader reader(*this);
        if (!reader.Open(AVMEDIA_TYPE_VIDEO, &why)) {
            Fail(why + "; nothing written");
            return;
        }
        if (reader.StreamsOfType() > 1) {
            Note("the file has " + std::to_string(reader.StreamsOfType()) +
                 " video streams; the first is used");
        }
        if (reader.Positions() == 0) {
            Fail("the file does not tell how long its video runs; nothing written");
            return;
        }
        const uint32_t targetRate = GraphTargetRate(settings_.frameRateChoice);
        StepPlan plan;
        if (!PlanGraphSteps(targetRate, reader.Positions(), &plan, &why)) {
            Fail(why + "; nothing written");
            return;
        }
        FrameWriter writer(*this, false);
        if (!writer.Open(plan.frameCount, targetRate)) return;
        // The sound is read through a reader of its own and encoded beside
        // the frames, and saved once they are written.
        SoundWorker sound(*this, [this](SoundTrack* track) { ConvertGraphSound(track); });
        for (uint32_t i = 0; i < plan.frameCount; ++i) {
            const AVFrame* decoded = nullptr;
            if (!reader.FrameAt(GraphPosition(plan, i), settings_.freeRunning != 0, &decoded,
                                &why)) {
                writer.SourceFailed(why + "; no movie written");
                return;
            }
            if (!writer.AddDecoded(decoded)) return;
        }
        if (!writer.Finish()) return;
        SoundTrack& track = sound.Track();
        CheckStop();
        SaveSoundTrack(track);
    }
}

bool MovieJob::ReadGraphSound(common::WaveFormat* decoded, std::vector<uint8_t>* pcm,
                              std::string* why) {
    SoundTrack track;
    const bool read = ReadGraphSound(decoded, pcm, why, &track);
    for (auto& [failure, message] : track.messages) {
        if (failure) {
            Fail(message);
        } else {
            Note(message);
        }
    }
    return read;
}

bool MovieJob::ReadGraphSound(common::WaveFormat* decoded, std::vector<uint8_t>* pcm,
                              std::string* why, SoundTrack* track) {
    pcm->clear();
    GraphReader reader(*this);
    if (!reader.Open(AVMEDIA_TYPE_AUDIO, why)) return false;
    if (reader.StreamsOfType() > 1) {
        track->Note("the file has " + std::to_string(reader.StreamsOfType()) +
                    " sound streams; the first is used");
    }
    AVCodecContext* decoder = reader.Decoder();
    const int sourceChannels = decoder->ch_layout.nb_channels;
    const int sourceRate = decoder->sample_rate;
    if (sourceChannels < 1 || sourceRate <= 0) {
        *why = "the sound stream has no usable format";
        return false;
    }
    // The decoded sound, 16-bit, one or two channels at the source's rate:
    // what the graph's audio reader hands over. It grows as it is decoded,
    // with no cap on its length.
    decoded->formatTag = common::kWaveFormatPcm;
    decoded->channels = static_cast<uint16_t>(sourceChannels >= 2 ? 2 : 1);
    decoded->samplesPerSecond = static_cast<uint32_t>(sourceRate);
    decoded->bitsPerSample = 16;
    decoded->blockAlign = static_cast<uint16_t>(decoded->channels * 2);
    decoded->averageBytesPerSecond = decoded->samplesPerSecond * decoded->blockAlign;
    decoded->extraSize = 0;

    SwrContext* resampler = nullptr;
    AVChannelLayout outLayout;
    av_channel_layout_default(&outLayout, decoded->channels);
    AvFramePtr frame(av_frame_alloc());
    bool ok = frame != nullptr;
    if (!ok) *why = "out of memory";
    while (ok) {
        const int got = reader.Decode(frame.get(), why);
        if (got < 0) {
            ok = false;
            break;
        }
        if (got == 0) break;
        if (resampler == nullptr &&
            (swr_alloc_set_opts2(&resampler, &outLayout, AV_SAMPLE_FMT_S16, sourceRate,
                                 &frame->ch_layout, static_cast<AVSampleFormat>(frame->format),
                                 frame->sample_rate, 0, nullptr) < 0 ||
             swr_init(resampler) < 0)) {
            *why = "cannot convert the decoded sound";
            ok = false;
            break;
        }
        const int capacity = swr_get_out_samples(resampler, frame->nb_samples);
        if (capacity > 0) {
            const size_t at = pcm->size();
            pcm->resize(at + static_cast<size_t>(capacity) * decoded->blockAlign);
            uint8_t* out = pcm->data() + at;
            const int made =
                swr_convert(resampler, &out, capacity,
                            const_cast<const uint8_t**>(frame->extended_data), frame->nb_samples);
            pcm->resize(at + static_cast<size_t>(std::max(made, 0)) * decoded->blockAlign);
        }
        av_frame_unref(frame.get());
    }
    swr_free(&resampler);
    av_channel_layout_uninit(&outLayout);
    return ok;
}

void MovieJob::ConvertGraphSound(SoundTrack* track) {
    std::string why;
    common::WaveFormat decodedFormat;
    std::vector<uint8_t> pcm;
    if (!ReadGraphSound(&decodedFormat, &pcm, &why, track)) {
        if (why == "no sound stream") {
            track->Note("the file has no sound stream; no .mp3 written");
        } else {
            track->Fail("the sound cannot be read (" + why + "); no .mp3 written");
        }
        return;
    }
    const common::WaveFormat& decoded = decodedFormat;
    if (pcm.empty()) {
        track->Note("the sound track is empty; no .mp3 written");
        return;
    }
    if (pcm.size() > std::numeric_limits<uint32_t>::max() - 16u) {
        track->Fail("the sound track is larger than 4 GiB of PCM; no .mp3 written");
        return;
    }
    common::WaveFormat target = decoded;
    target.channels = 2;
    target.samplesPerSecond =
        decoded.samplesPerSecond == kGraphRateHigh ? kGraphRateHigh : kGraphRateLow;
    target.blockAlign = 4;
    target.averageBytesPerSecond = target.samplesPerSecond * 4;
    if (decoded.channels == 2 && decoded.samplesPerSecond == target.samplesPerSecond) {
        EncodeSoundTrack(&target, pcm.data(), pcm.size(), 16, target.samplesPerSecond, 2,
                         common::Mp3Encoder::kShortSoundLimit, track);
        return;
    }
    std::unique_ptr<uint8_t[]> converted;
    const uint32_t bytes = common::AcmConvert(decoded, {}, target, pcm.data(),
                                              static_cast<uint32_t>(pcm.size()), &converted);
    if (bytes == 0) {
        track->Fail("the sound could not be converted to 16-bit stereo; no .mp3 written");
        return;
    }
    EncodeSoundTrack(&target, converted.get(), bytes, 16, target.samplesPerSecond, 2,
                     common::Mp3Encoder::kShortSoundLimit, track);
}

}  // namespace clipmux
