// mirtool pcm: the PC title's ".pcm" sounds as the conversion hands them to
// the MP3 encoder, written out as WAVE files to listen to or compare.

#include <string>

#include "commands.h"
#include "platform/host_files.h"
#include "kitshift/pcm_decoders.h"

namespace mirtool {

namespace {

using formats::ByteVector;

int ToWav(const Args& args) {
    kitshift::SoundStage stage = kitshift::SoundStage::kMusic;
    Args paths;
    for (size_t i = 0; i < args.size(); ++i) {
        if (args[i] == "--stage") {
            if (i + 1 >= args.size()) return UsageError("--stage needs a value");
            const std::string& value = args[++i];
            if (value == "music") {
                stage = kitshift::SoundStage::kMusic;
            } else if (value == "voice-file") {
                stage = kitshift::SoundStage::kVoiceFile;
            } else if (value == "voice-record") {
                stage = kitshift::SoundStage::kVoiceRecord;
            } else {
                return UsageError("unknown stage '" + value + "'");
            }
        } else {
            paths.push_back(args[i]);
        }
    }
    if (paths.size() != 2) return UsageError("pcm towav needs FILE.pcm and OUT.wav");

    ByteVector file;
    std::string why;
    if (!ReadHostFile(paths[0], &file, &why)) return Fail(paths[0], why);
    kitshift::PreparedSound sound;
    if (!kitshift::PrepareSound(file, stage, &sound)) {
        return Fail(paths[0],
                    "not a usable sound (cut header, or a WAVE image without a usable "
                    "format or data chunk)");
    }
    kitshift::WaveFormat format = sound.format;
    if (!sound.hasFormat) {
        // The description the encoder gets: the header's bits, rate and channels.
        format = kitshift::WaveFormat{};
        format.channels = sound.channels;
        format.samplesPerSecond = sound.sampleRate;
        format.bitsPerSample = sound.bitsPerSample;
        format.blockAlign = static_cast<uint16_t>(sound.channels * sound.bitsPerSample / 8);
        format.averageBytesPerSecond = format.blockAlign * sound.sampleRate;
    }
    ByteVector image = kitshift::BuildWaveImage(format, sound.pcm);
    if (!WriteHostFileAtomically(paths[1], image, &why)) return Fail(paths[1], why);
    return 0;
}

}  // namespace

int RunPcmCommand(const Args& args) {
    if (args.empty()) return UsageError("pcm needs a command: towav");
    Args rest(args.begin() + 1, args.end());
    if (args[0] == "towav") return ToWav(rest);
    return UsageError("unknown pcm command '" + args[0] + "'");
}

}  // namespace mirtool
