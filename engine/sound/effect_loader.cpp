// SoundMixer::LoadEffect: effects and voice lines are read whole, from an
// archive or a folder, decoded when they are MP3, and converted once to the
// output format so that the mixing pass only scales and adds.

#include <algorithm>
#include <cstring>

#include "engine/sound/pcm_convert.h"
#include "engine/sound/sound_mixer.h"
#include "formats/short_sound.h"
#include "formats/sjis.h"
#include "formats/wave_file.h"
#include "platform/device_file.h"

namespace sound {

namespace {

constexpr uint32_t kDecodePieceBytes = 32768;
constexpr uint32_t kEstimateSpareBytes = 16384;
// Bounds for a decoder that misbehaves: an effect is at most this long
// (about 12 minutes of stereo 44100 Hz), and a decoder that produces nothing
// this many times in a row without reporting its end is given up on.
constexpr size_t kMaxDecodedBytes = size_t{128} << 20;
constexpr int kMaxEmptyDecodes = 64;
constexpr uint32_t kMinEffectRate = 22050;

}  // namespace

int SoundMixer::DecodeMp3(const std::vector<uint8_t>& data, std::vector<uint8_t>* samples,
                          platform::WaveFormat* format) {
    if (!decoders_.createTemporary) return 0;
    std::unique_ptr<DecoderBinding> decoder =
        decoders_.createTemporary(UsesBrindlex() ? DecoderKind::kBrindlex : DecoderKind::kXaudio);
    if (!decoder) return 0;
    decoder->OpenMemory(data.data(), static_cast<uint32_t>(data.size()));
    // The estimate only sizes the first allocation: variable-bitrate data can
    // decode to more, and the buffer then grows.
    samples->clear();
    samples->reserve(std::min<size_t>(size_t{decoder->EstimateOutputBytes()} + kEstimateSpareBytes,
                                      kMaxDecodedBytes));
    decoder->Start();
    // A decode may write one frame beyond the request before it keeps the
    // excess for the next call.
    std::vector<uint8_t> piece(kDecodePieceBytes + std::max(decoder->MaxFrameBytes(), 32768u));
    int emptyDecodes = 0;
    while (!decoder->AtEnd() && emptyDecodes < kMaxEmptyDecodes) {
        uint32_t produced =
            std::min(decoder->Decode(piece.data(), kDecodePieceBytes, false), kDecodePieceBytes);
        emptyDecodes = produced == 0 ? emptyDecodes + 1 : 0;
        if (samples->size() + produced > kMaxDecodedBytes) break;
        samples->insert(samples->end(), piece.begin(), piece.begin() + produced);
    }
    *format = decoder->Format();
    decoder->Close();
    decoder->Destroy();
    return 1;
}

int SoundMixer::LoadEffect(int slot, std::string_view name, std::string_view source, int volume) {
    if (slot < 0 || slot >= kEffectSlots) return 0;
    StopEffect(slot);
    if (name.size() > kMaxEffectNameChars) return 0;
    slotNames_[slot] = name;

    const bool fromArchive = !source.empty() && !EndsWithBackslash(source);
    std::string found(name);
    if (fromArchive) {
        uint64_t offset = 0;
        uint32_t storedSize = 0;
        // Absent or compressed: the converter stores voices as MP3.
        if (!archive_.LocateEntry(source, found, &offset, &storedSize)) {
            found = formats::SjisReplaceExtension(name, ".mp3");
        }
    } else {
        std::string path(source);
        path += found;
        if (!DeviceFileExists(path)) found = formats::SjisReplaceExtension(name, ".mp3");
    }

    std::vector<uint8_t> data;
    if (fromArchive) {
        if (!archive_.ReadEntry(source, found, &data)) data.clear();
    } else {
        std::string path(source);
        path += found;
        platform::ReadWholeFile(path, &data);
    }
    if (data.empty()) return 0;

    std::vector<uint8_t> decoded;
    std::span<const uint8_t> samples;
    uint32_t channels = 0;
    uint32_t rate = 0;
    uint32_t bits = 0;
    // The converters keep a short sound as its PCM in a small container
    // under the ".mp3" name: it is read by its magic, not by its name.
    if (formats::IsShortSound(data)) {
        formats::WaveInfo sound;
        if (!formats::ParseShortSound(data, &sound)) return 0;
        samples = std::span<const uint8_t>(data).subspan(sound.dataOffset, sound.dataSize);
        channels = sound.channels;
        rate = sound.sampleRate;
        bits = sound.bitsPerSample;
    } else if (HasExtension(found, ".mp3")) {
        platform::WaveFormat format;
        // A stream the module cannot open decodes to nothing: no sound to keep.
        if (!DecodeMp3(data, &decoded, &format) || decoded.empty()) return 0;
        samples = decoded;
        channels = format.channels;
        rate = format.sampleRate;
        bits = format.bitsPerSample;
    } else {
        formats::WaveInfo wave;
        if (!formats::ParseWaveFile(data, &wave)) return 0;
        samples = std::span<const uint8_t>(data).subspan(wave.dataOffset, wave.dataSize);
        channels = wave.channels;
        rate = wave.sampleRate;
        bits = wave.bitsPerSample;
    }
    if (bits != 16 || rate < kMinEffectRate || channels == 0) return 0;

    size_t outputBytes = ConvertedSize(samples.size(), channels, rate);
    if (outputBytes > UINT32_MAX - 16) return 0;
    auto channel = std::make_unique<MixChannel>();
    channel->AllocatePcm(static_cast<uint32_t>(outputBytes));
    ConvertToOutput(samples, channels, rate,
                    std::span<uint8_t>(channel->PcmBytes(), channel->pcmBytes));
    channel->bytesToSeconds = kBytesToSeconds;
    channel->volume.store(volume);
    channel->baseVolume.store(volume);
    slots_[slot].store(channel.release(), std::memory_order_release);
    return 1;
}

}  // namespace sound
