// The AVI path: our RIFF reader for the streams, libavcodec for the frames,
// the sound stream passed through (PCM) or converted to PCM, then MP3.

#include <algorithm>
#include <limits>

#include "clipmux/avi_file.h"
#include "clipmux/frame_step.h"
#include "clipmux/frame_writer.h"
#include "clipmux/movie_job.h"
#include "clipmux/video_decoder.h"
#include "common/acm_convert.h"
#include "common/mp3_encoder.h"
#include "platform/device_file.h"

namespace clipmux {

namespace {

constexpr size_t kWaveFormatBaseSize = 16;
constexpr size_t kWaveFormatSize = 18;

// The sound stream's wave format and the extra bytes its extra size counts.
bool ParseWaveFormat(const formats::ByteVector& bytes, common::WaveFormat* format,
                     formats::ByteSpan* extra) {
    if (!formats::HasRange(bytes, 0, kWaveFormatBaseSize)) return false;
    format->formatTag = formats::ReadLe16(bytes, 0);
    format->channels = formats::ReadLe16(bytes, 2);
    format->samplesPerSecond = formats::ReadLe32(bytes, 4);
    format->averageBytesPerSecond = formats::ReadLe32(bytes, 8);
    format->blockAlign = formats::ReadLe16(bytes, 12);
    format->bitsPerSample = formats::ReadLe16(bytes, 14);
    format->extraSize = 0;
    *extra = {};
    if (bytes.size() >= kWaveFormatSize) {
        const size_t stated = formats::ReadLe16(bytes, 16);
        const size_t available = bytes.size() - kWaveFormatSize;
        format->extraSize = static_cast<uint16_t>(std::min(stated, available));
        *extra = formats::ByteSpan(bytes).subspan(kWaveFormatSize, format->extraSize);
    }
    return true;
}

// Which of a kind of stream is used: the first; the others are named in a note.
const AviStream* FirstOfKind(const AviFile& file, bool video, int* count) {
    const AviStream* first = nullptr;
    *count = 0;
    for (const AviStream& stream : file.streams) {
        if (video ? stream.IsVideo() : stream.IsAudio()) {
            if (first == nullptr) first = &stream;
            ++*count;
        }
    }
    return first;
}

}  // namespace

void MovieJob::RunAviPath() {
    if (settings_.forceGraph != 0) {
        RunGraphPath();
        return;
    }
    std::string why;
    std::unique_ptr<platform::DeviceFile> source =
        platform::DeviceFile::OpenHostFile(settings_.inputPath.string(), &why);
    AviFile avi;
    if (!source || !ReadAviFile(*source, &avi, &why)) {
        Note("read through the decoding graph (" + why + ")");
        source.reset();
        RunGraphPath();
        return;
    }
    if (avi.streams.empty()) {
        Fail("the AVI file has no stream; nothing written");
        return;
    }
    int videoCount = 0;
    int audioCount = 0;
    const AviStream* video = FirstOfKind(avi, true, &videoCount);
    const AviStream* audio = FirstOfKind(avi, false, &audioCount);
    if (videoCount > 1)
        Note("the file has " + std::to_string(videoCount) + " video streams; the first is used");
    if (audioCount > 1)
        Note("the file has " + std::to_string(audioCount) + " sound streams; the first is used");

    if (video == nullptr) {
        Fail("the AVI file has no video stream; no .mov written");
        return;
    }
    if (audio == nullptr) {
        ConvertAviVideo(*source, *video);
        if (!Failed()) Note("the file has no sound stream; no .mp3 written");
        return;
    }
    // The sound is read and encoded beside the frames, through a handle of
    // its own, and saved only once they are written. A stop waits for the
    // encoding under way.
    SoundWorker sound(*this, [this, audio](SoundTrack* track) {
        std::string failure;
        std::unique_ptr<platform::DeviceFile> own =
            platform::DeviceFile::OpenHostFile(settings_.inputPath.string(), &failure);
        if (!own) {
            track->Fail("cannot open the sound: " + failure + "; no .mp3 written");
            return;
        }
        ConvertAviSound(*own, *audio, track);
    });
    ConvertAviVideo(*source, *video);
    if (Failed()) return;
    SoundTrack& track = sound.Track();
    CheckStop();
    SaveSoundTrack(track);
}

void MovieJob::ConvertAviVideo(formats::ByteSource& source, const AviStream& video) {
    std::string why;
    const uint32_t sourceRate = RoundedUpRate(video.rate, video.scale);
    const uint32_t targetRate = FileTargetRate(settings_.frameRateChoice, sourceRate);
    // A header that promises more frames than the file holds gives what it holds.
    const uint32_t frames =
        static_cast<uint32_t>(std::min<uint64_t>(video.length, video.chunks.size()));
    StepPlan plan;
    if (!PlanFileSteps(sourceRate, targetRate, frames, &plan, &why)) {
        Fail(why + "; no movie written");
        return;
    }
    VideoDecoder decoder;
    if (!decoder.Open(source, video, &why)) {
        Fail(why + "; no movie written");
        return;
    }
    // When every source frame is taken and the chunks decode each on their
    // own, the workers decode them too, so that decoding is no longer done
    // on one thread alone. Anything unusual on the way (a chunk that does not
    // give one picture, a read failure) starts again on the usual path,
    // which decodes in order and says what went wrong.
    if (plan.step <= kWholeFrameStep && settings_.pipelined && decoder.IsMotionJpeg() &&
        decoder.ChunksStandAlone() &&
        ConvertChunksOnWorkers(source, video, decoder, plan, targetRate)) {
        return;
    }
    FrameWriter writer(*this, true);
    if (!writer.Open(plan.frameCount, targetRate)) return;
    // The decoded frames are handed over by reference; the writer's workers
    // convert, scale and encode them.
    for (uint32_t i = 0; i < plan.frameCount; ++i) {
        const AVFrame* decoded = nullptr;
        if (!decoder.Frame(FileSourceFrame(plan, i), &decoded, &why)) {
            writer.SourceFailed(why + "; no movie written");
            return;
        }
        if (!writer.AddDecoded(decoded)) return;
    }
    writer.Finish();
}

bool MovieJob::ConvertChunksOnWorkers(formats::ByteSource& source, const AviStream& video,
                                      const VideoDecoder& decoder, const StepPlan& plan,
                                      uint32_t targetRate) {
    FrameWriter writer(*this, true);
    writer.DecodeWith([&decoder] { return decoder.OpenTwin(); });
    if (!writer.Open(plan.frameCount, targetRate)) return true;
    // The chunk each source frame shows: an empty chunk repeats the one before.
    std::vector<int64_t> shown(video.chunks.size(), -1);
    int64_t last = -1;
    for (size_t k = 0; k < video.chunks.size(); ++k) {
        if (video.chunks[k].size > 0) last = static_cast<int64_t>(k);
        shown[k] = last;
    }
    formats::ByteVector chunk;
    for (uint32_t i = 0; i < plan.frameCount; ++i) {
        const uint32_t frame = FileSourceFrame(plan, i);
        if (frame >= shown.size() || shown[frame] < 0) return false;
        const formats::FileRange range = video.chunks[static_cast<size_t>(shown[frame])];
        if (range.size > (1u << 30)) return false;
        chunk.resize(static_cast<size_t>(range.size));
        if (!source.ReadAt(range.offset, chunk)) return false;
        if (!writer.AddChunk(chunk)) return !writer.GaveUp();
    }
    return writer.Finish() || !writer.GaveUp();
}

void MovieJob::ConvertAviSound(formats::ByteSource& source, const AviStream& audio,
                               SoundTrack* track) {
    common::WaveFormat format;
    formats::ByteSpan extra;
    if (!ParseWaveFormat(audio.format, &format, &extra)) {
        track->Fail("the sound stream has no usable format; no .mp3 written");
        return;
    }
    if (audio.chunkBytes > std::numeric_limits<uint32_t>::max() - 16u) {
        track->Fail("the sound stream is larger than 4 GiB; no .mp3 written");
        return;
    }
    formats::ByteVector bytes(static_cast<size_t>(audio.chunkBytes));
    size_t at = 0;
    for (const formats::FileRange& chunk : audio.chunks) {
        if (StopRequested()) return;
        if (!source.ReadAt(chunk.offset, std::span<uint8_t>(bytes.data() + at, chunk.size))) {
            track->Fail("cannot read the sound stream; no .mp3 written");
            return;
        }
        at += static_cast<size_t>(chunk.size);
    }
    if (format.formatTag == common::kWaveFormatPcm) {
        EncodeSoundTrack(&format, bytes.data(), bytes.size(), format.bitsPerSample,
                         format.samplesPerSecond, format.channels,
                         common::Mp3Encoder::kShortSoundLimit, track);
        return;
    }
    const common::WaveFormat pcmFormat = common::SuggestPcmFormat(format, 0);
    std::unique_ptr<uint8_t[]> pcm;
    const uint32_t pcmBytes = common::AcmConvert(format, extra, pcmFormat, bytes.data(),
                                                 static_cast<uint32_t>(bytes.size()), &pcm);
    if (pcmBytes == 0) {
        track->Fail("the sound stream (format tag " + std::to_string(format.formatTag) +
                    ") could not be converted to PCM; no .mp3 written");
        return;
    }
    EncodeSoundTrack(&pcmFormat, pcm.get(), pcmBytes, pcmFormat.bitsPerSample,
                     pcmFormat.samplesPerSecond, pcmFormat.channels,
                     common::Mp3Encoder::kShortSoundLimit, track);
}

}  // namespace clipmux
