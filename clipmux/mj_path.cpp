// The mj path: the PC title's motion-JPEG movie, its frames decoded with
// libjpeg and its sound chunks joined and encoded as MP3.

#include "clipmux/frame_step.h"
#include "clipmux/frame_writer.h"
#include "clipmux/jpeg_codec.h"
#include "clipmux/mj_file.h"
#include "clipmux/movie_job.h"
#include "platform/device_file.h"

namespace clipmux {

namespace {

// The mj sound is always 16-bit PCM.
constexpr uint32_t kMjSoundBits = 16;

}  // namespace

void MovieJob::RunMjPath() {
    std::string why;
    std::unique_ptr<platform::DeviceFile> source =
        platform::DeviceFile::OpenHostFile(settings_.inputPath.string(), &why);
    if (!source) {
        Fail("cannot open: " + why);
        return;
    }
    MjFile mj;
    if (!ReadMjFile(*source, &mj, &why)) {
        Fail(why + "; nothing written");
        return;
    }
    const uint32_t sourceRate =
        mj.rateDenominator == 0 ? 0 : uint32_t{mj.rateNumerator} / mj.rateDenominator;
    const uint32_t targetRate = FileTargetRate(settings_.frameRateChoice, sourceRate);
    StepPlan plan;
    if (!PlanFileSteps(sourceRate, targetRate, static_cast<uint32_t>(mj.frames.size()), &plan,
                       &why)) {
        Fail(why + "; nothing written");
        return;
    }
    FrameWriter writer(*this, false);
    if (!writer.Open(plan.frameCount, targetRate)) return;
    formats::ByteVector jpeg;
    Picture picture;
    uint32_t decodedFrame = UINT32_MAX;
    for (uint32_t i = 0; i < plan.frameCount; ++i) {
        const uint32_t frame = FileSourceFrame(plan, i);
        if (frame != decodedFrame) {
            const formats::FileRange range = mj.frames[frame];
            jpeg.resize(static_cast<size_t>(range.size));
            if (!source->ReadAt(range.offset, jpeg)) {
                writer.SourceFailed("cannot read video frame " + std::to_string(frame) +
                                    "; no movie written");
                return;
            }
            if (!DecodeJpegToBgr(jpeg, &picture, &why)) {
                writer.SourceFailed("video frame " + std::to_string(frame) + ": " + why +
                                    "; no movie written");
                return;
            }
            decodedFrame = frame;
        }
        if (!writer.Add(picture)) return;
    }
    if (!writer.Finish()) return;
    ConvertMjSound(*source, mj);
}

void MovieJob::ConvertMjSound(formats::ByteSource& source, const MjFile& mj) {
    if (mj.sounds.empty() || mj.soundBytes == 0) {
        Note("the file has no sound; no .mp3 written");
        return;
    }
    if (mj.channels < 1 || mj.channels > 2 || mj.sampleRate == 0) {
        Fail("the mj file's sound format (" + std::to_string(mj.channels) + " channels, " +
             std::to_string(mj.sampleRate) + " Hz) is not usable; no .mp3 written");
        return;
    }
    if (mj.soundBytes > UINT32_MAX) {
        Fail("the sound is larger than 4 GiB; no .mp3 written");
        return;
    }
    formats::ByteVector pcm(static_cast<size_t>(mj.soundBytes));
    size_t at = 0;
    for (const formats::FileRange& chunk : mj.sounds) {
        if (!source.ReadAt(chunk.offset, std::span<uint8_t>(pcm.data() + at, chunk.size))) {
            Fail("cannot read the sound; no .mp3 written");
            return;
        }
        at += static_cast<size_t>(chunk.size);
    }
    // No format description and no short-sound limit: always MP3.
    WriteSoundTrack(nullptr, pcm.data(), pcm.size(), kMjSoundBits, mj.sampleRate, mj.channels, 0);
}

}  // namespace clipmux
