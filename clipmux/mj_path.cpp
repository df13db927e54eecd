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
    // The sound is encoded beside the frames, through a handle of its own,
    // and saved once they are written.
    SoundWorker sound(*this, [this, &mj](SoundTrack* track) {
        std::string failure;
        std::unique_ptr<platform::DeviceFile> own =
            platform::DeviceFile::OpenHostFile(settings_.inputPath.string(), &failure);
        if (!own) {
            track->Fail("cannot open the sound: " + failure + "; no .mp3 written");
            return;
        }
        ConvertMjSound(*own, mj, track);
    });
    // The JPEG images are decoded by the writer's workers.
    formats::ByteVector jpeg;
    for (uint32_t i = 0; i < plan.frameCount; ++i) {
        const uint32_t frame = FileSourceFrame(plan, i);
        const formats::FileRange range = mj.frames[frame];
        jpeg.resize(static_cast<size_t>(range.size));
        if (!source->ReadAt(range.offset, jpeg)) {
            writer.SourceFailed("cannot read video frame " + std::to_string(frame) +
                                "; no movie written");
            return;
        }
        if (!writer.AddJpeg(jpeg, frame)) return;
    }
    if (!writer.Finish()) return;
    SoundTrack& track = sound.Track();
    CheckStop();
    SaveSoundTrack(track);
}

void MovieJob::ConvertMjSound(formats::ByteSource& source, const MjFile& mj,
                              SoundTrack* track) const {
    if (mj.sounds.empty() || mj.soundBytes == 0) {
        track->Note("the file has no sound; no .mp3 written");
        return;
    }
    if (mj.channels < 1 || mj.channels > 2 || mj.sampleRate == 0) {
        track->Fail("the mj file's sound format (" + std::to_string(mj.channels) + " channels, " +
                    std::to_string(mj.sampleRate) + " Hz) is not usable; no .mp3 written");
        return;
    }
    if (mj.soundBytes > UINT32_MAX) {
        track->Fail("the sound is larger than 4 GiB; no .mp3 written");
        return;
    }
    formats::ByteVector pcm(static_cast<size_t>(mj.soundBytes));
    size_t at = 0;
    for (const formats::FileRange& chunk : mj.sounds) {
        if (StopRequested()) return;
        if (!source.ReadAt(chunk.offset, std::span<uint8_t>(pcm.data() + at, chunk.size))) {
            track->Fail("cannot read the sound; no .mp3 written");
            return;
        }
        at += static_cast<size_t>(chunk.size);
    }
    // No format description and no short-sound limit: always MP3.
    EncodeSoundTrack(nullptr, pcm.data(), pcm.size(), kMjSoundBits, mj.sampleRate, mj.channels, 0,
                     track);
}

}  // namespace clipmux
