// mirtool pcm: the PC title's ".pcm" sounds as the conversion hands them to
// the MP3 encoder, written out as WAVE files to listen to or compare.

#include <cstring>
#include <string>

#include "commands.h"
#include "formats/wave_file.h"
#include "kitshift/pcm_decoders.h"
#include "platform/host_files.h"

namespace mirtool {

namespace {

using formats::ByteVector;

// The converter salvages what it can from any bytes it is handed; asked for
// one file, the tool first makes sure the file is a sound at all, so that a
// text file or random bytes are refused instead of becoming a WAVE file of
// noise with a made-up format.
constexpr uint32_t kLowestRate = 4000;
constexpr uint32_t kHighestRate = 96000;

bool CheckSoundFile(formats::ByteSpan file, kitshift::SoundStage stage,
                    const kitshift::PreparedSound& sound, std::string* why) {
    auto describe = [](const char* what, uint64_t value) {
        return std::string(what) + " " + std::to_string(value);
    };
    if (sound.channels < 1 || sound.channels > 2) {
        *why = "not a sound: " + describe("channel count", sound.channels) + " (1 or 2)";
        return false;
    }
    if (sound.sampleRate < kLowestRate || sound.sampleRate > kHighestRate) {
        *why = "not a sound: " + describe("sample rate", sound.sampleRate) + " Hz (" +
               std::to_string(kLowestRate) + " to " + std::to_string(kHighestRate) + ")";
        return false;
    }
    const bool riff = stage != kitshift::SoundStage::kVoiceRecord && file.size() >= 4 &&
                      std::memcmp(file.data(), "RIFF", 4) == 0;
    if (riff) {
        // A RIFF image: its chunks must lie inside the file, not be cut to it.
        formats::WaveInfo wave;
        if (!formats::ParseWaveFile(file, &wave, formats::WaveChunkEnds::kRefuse)) {
            *why = "not a sound: its RIFF chunks run past the end of the file";
            return false;
        }
        return true;
    }
    const uint16_t bits = formats::ReadLe16(file, kitshift::kPcmBitsOffset);
    if (bits != 8 && bits != 16) {
        *why = "not a sound: " + describe("sample size", bits) + " bits (8 or 16)";
        return false;
    }
    const uint64_t byteCount = formats::ReadLe32(file, kitshift::kPcmByteCountOffset);
    const uint64_t body = file.size() - kitshift::kPcmHeaderSize;
    const uint8_t coding = file[kitshift::kPcmCodingOffset];
    const bool delta = coding == kitshift::kPcmCodingDelta && stage == kitshift::SoundStage::kMusic;
    if (coding == kitshift::kPcmCodingRaw || delta) {
        // Raw: the bytes themselves; delta: one input byte per 16-bit sample.
        const uint64_t room = delta ? 2 * body : body;
        if (byteCount > room) {
            *why = "not a sound: the header claims " + std::to_string(byteCount) +
                   " bytes of sound, the file holds " + std::to_string(room);
            return false;
        }
        return true;
    }
    // Without room for the coded length the stream is empty, as the
    // converter reads it.
    const uint64_t coded = body >= 4 ? formats::ReadLe32(file, kitshift::kPcmHeaderSize) : 0;
    if (coded > 0 && coded > body - 4) {
        *why = "not a sound: the coded length " + std::to_string(coded) +
               " runs past the end of the file";
        return false;
    }
    return true;
}

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
    if (!CheckSoundFile(file, stage, sound, &why)) return Fail(paths[0], why);
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
    if (!WriteOutputFile(paths[1], image, &why)) return Fail(paths[1], why);
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
