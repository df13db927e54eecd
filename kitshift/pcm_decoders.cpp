#include "kitshift/pcm_decoders.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstring>
#include <numbers>

#include "common/acm_convert.h"
#include "formats/wave_file.h"

namespace kitshift {

using formats::ByteSpan;
using formats::ByteVector;
using formats::HasRange;
using formats::ReadLe16;
using formats::ReadLe32;

namespace {

constexpr int kTransformPoints = 4096;
constexpr int kSpectrumHalf = 2048;
constexpr int kBandShift = 8;  // 8 bands of 256 coefficients
// The flat buffer never grows past this, whatever the coded stream asks:
// 32,768 blocks are over two hours of sound at 22,050 Hz.
constexpr size_t kMaxTransformStream = 32768 * kTransformBlockBytes;

std::array<int32_t, kSoundTableIntegers> BuildSoundTable() {
    std::array<int32_t, kSoundTableIntegers> table{};
    const int32_t scales[8] = {2048, 2048, 2048, 4096, 4096, 4096, 8192, 16384};
    for (size_t i = 0; i < 8; ++i) table[kSoundTableBandScales + i] = scales[i];
    for (size_t k = 0; k < kSoundTableTwiddleCount; ++k) {
        // Exact at the quarter turns so that truncation cannot drop 4096 to 4095.
        double angle = 2.0 * std::numbers::pi * static_cast<double>(k) / 4096.0;
        double c = 4096.0 * std::cos(angle);
        double s = 4096.0 * std::sin(angle);
        if (k % 1024 == 0) {
            const int32_t quarterCos[4] = {4096, 0, -4096, 0};
            const int32_t quarterSin[4] = {0, 4096, 0, -4096};
            c = quarterCos[(k / 1024) % 4];
            s = quarterSin[(k / 1024) % 4];
        }
        table[kSoundTableTwiddles + 2 * k] = static_cast<int32_t>(std::trunc(c));
        table[kSoundTableTwiddles + 2 * k + 1] = static_cast<int32_t>(std::trunc(s));
    }
    return table;
}

int16_t ClampSample(int32_t value) {
    return static_cast<int16_t>(std::clamp<int32_t>(value, -32768, 32767));
}

// Wrapping 32-bit arithmetic: hostile spectra may overflow, and the sums
// must then wrap as the 32-bit decoder does instead of being undefined.
int32_t Add32(int32_t a, int32_t b) {
    return static_cast<int32_t>(static_cast<uint32_t>(a) + static_cast<uint32_t>(b));
}
int32_t Sub32(int32_t a, int32_t b) {
    return static_cast<int32_t>(static_cast<uint32_t>(a) - static_cast<uint32_t>(b));
}

// The LZ token scheme into a flat buffer, until the input is used up or the
// buffer reaches `limit`. A copy reaching before the start reads zeros.
void DecompressFlat(ByteSpan in, size_t limit, ByteVector* out) {
    size_t pos = 0;
    unsigned flags = 0;
    int flagBits = 0;
    auto copy = [&](size_t length, size_t distance) {
        for (size_t i = 0; i < length && out->size() < limit; ++i) {
            size_t at = out->size();
            out->push_back(distance != 0 && distance <= at ? (*out)[at - distance] : 0);
        }
    };
    while (pos < in.size() && out->size() < limit) {
        if (flagBits == 0) {
            flags = in[pos++];
            flagBits = 8;
            continue;
        }
        bool literal = flags & 1;
        flags >>= 1;
        --flagBits;
        if (literal) {
            out->push_back(in[pos++]);
            continue;
        }
        uint8_t c = in[pos++];
        if (c >= 0xC0) {
            if (pos >= in.size()) break;
            copy(((c >> 2) & 0x0F) + 4, ((c & 0x03) << 8) | in[pos++]);
        } else if (c >= 0x80) {
            size_t distance = c & 0x1F;
            if (distance == 0) {
                if (pos >= in.size()) break;
                distance = in[pos++];
            }
            copy(((c >> 5) & 0x03) + 2, distance);
        } else if (c == 0x7F) {
            if (!HasRange(in, pos, 4)) break;
            size_t length = ReadLe16(in, pos) + 2u;
            size_t distance = ReadLe16(in, pos + 2);
            pos += 4;
            copy(length, distance);
        } else {
            if (!HasRange(in, pos, 2)) break;
            size_t distance = ReadLe16(in, pos);
            pos += 2;
            copy(c + 4u, distance);
        }
    }
}

// One block of 8,192 coded bytes to 4,096 samples.
void DecodeTransformBlock(const uint8_t* block, const int32_t* table, int16_t* samples) {
    static thread_local std::array<int32_t, kTransformPoints> re;
    static thread_local std::array<int32_t, kTransformPoints> im;
    const int32_t* scales = table + kSoundTableBandScales;
    for (int k = 0; k < kSpectrumHalf; ++k) {
        uint8_t a = block[4096 + k];
        uint8_t b = block[6144 + k];
        auto even = static_cast<uint16_t>((block[2 * k] << 8) | (a & 0xF0) | (b >> 4));
        auto odd = static_cast<uint16_t>((block[2 * k + 1] << 8) | ((a & 0x0F) << 4) | (b & 0x0F));
        int32_t scale = scales[k >> kBandShift];
        re[k] = static_cast<int32_t>(static_cast<int64_t>(ZigzagValue(even)) * scale);
        im[k] = static_cast<int32_t>(static_cast<int64_t>(ZigzagValue(odd)) * scale);
    }
    std::fill(re.begin() + kSpectrumHalf, re.end(), 0);
    std::fill(im.begin() + kSpectrumHalf, im.end(), 0);

    const int32_t* twiddles = table + kSoundTableTwiddles;
    for (int span = kSpectrumHalf; span >= 1; span >>= 1) {
        int step = kSpectrumHalf / span;
        for (int group = 0; group < kTransformPoints; group += 2 * span) {
            for (int j = 0; j < span; ++j) {
                int u = group + j;
                int v = u + span;
                int64_t c = twiddles[2 * j * step];
                int64_t s = twiddles[2 * j * step + 1];
                int64_t da = Sub32(re[u], re[v]);
                int64_t db = Sub32(im[u], im[v]);
                re[u] = Add32(re[u], re[v]);
                im[u] = Add32(im[u], im[v]);
                re[v] = Add32(static_cast<int32_t>((c * da) >> 12),
                              static_cast<int32_t>((s * db) >> 12));
                im[v] = Sub32(static_cast<int32_t>((c * db) >> 12),
                              static_cast<int32_t>((s * da) >> 12));
            }
        }
    }
    for (int i = 0; i < kTransformPoints; ++i) {
        int reversed = 0;
        for (int bit = 0; bit < 12; ++bit) reversed |= ((i >> bit) & 1) << (11 - bit);
        // Only the real part becomes sound.
        int32_t value = static_cast<int32_t>(static_cast<uint32_t>(re[reversed]) * 16u) / 16384;
        samples[i] = ClampSample(value);
    }
}

formats::WaveFormatFields FormatFields(const WaveFormat& format) {
    formats::WaveFormatFields fields;
    fields.formatTag = format.formatTag;
    fields.channels = format.channels;
    fields.sampleRate = format.samplesPerSecond;
    fields.bytesPerSecond = format.averageBytesPerSecond;
    fields.blockAlign = format.blockAlign;
    fields.bitsPerSample = format.bitsPerSample;
    return fields;
}

}  // namespace

std::span<const int32_t, kSoundTableIntegers> SoundConstantTable() {
    static const std::array<int32_t, kSoundTableIntegers> table = BuildSoundTable();
    return table;
}

bool DecodeDeltaPcm(ByteSpan file, ByteVector* waveImage) {
    if (file.size() < kPcmHeaderSize) return false;
    uint32_t byteCount = ReadLe32(file, kPcmByteCountOffset);
    uint16_t channels = ReadLe16(file, kPcmChannelsOffset);
    uint32_t rate = ReadLe32(file, kPcmRateOffset);
    // The output is 16-bit whatever the header's bit count says; a header
    // claiming more samples than there are input bytes is cut to the input.
    size_t sampleCount = std::min<size_t>(file.size() - kPcmHeaderSize, byteCount / 2);

    WaveFormat format;
    format.channels = channels;
    format.samplesPerSecond = rate;
    format.bitsPerSample = 16;
    format.blockAlign = static_cast<uint16_t>(channels * 2);
    format.averageBytesPerSecond = format.blockAlign * rate;
    const auto header =
        formats::WaveHeader(FormatFields(format), static_cast<uint32_t>(2 * sampleCount));
    waveImage->clear();
    waveImage->reserve(header.size() + 2 * sampleCount);
    waveImage->assign(header.begin(), header.end());

    int32_t accumulator[2] = {0, 0};
    int shift[2] = {0, 0};
    int channel = 0;
    for (size_t i = 0; i < sampleCount; ++i) {
        auto b = static_cast<int8_t>(file[kPcmHeaderSize + i]);
        accumulator[channel] = static_cast<int32_t>(static_cast<uint32_t>(accumulator[channel]) +
                                                    (static_cast<uint32_t>(b) << shift[channel]));
        if (b == 0 && shift[channel] > 0) --shift[channel];
        if ((b == 127 || b == -128) && shift[channel] < 8) ++shift[channel];
        formats::AppendLe16(*waveImage, static_cast<uint16_t>(accumulator[channel]));
        if (channels == 2) channel ^= 1;
    }
    return true;
}

void DecodeTransformPcm(ByteSpan coded, uint32_t byteCount, ByteVector* pcm) {
    pcm->clear();
    size_t sampleCount = byteCount / 2;
    if (sampleCount == 0) return;
    // Blocks that reach the requested samples at all; later ones are unused.
    size_t neededBlocks = (sampleCount + kTransformBlockStep - 1) / kTransformBlockStep;
    size_t limit = std::min(kMaxTransformStream, neededBlocks * kTransformBlockBytes);
    ByteVector flat;
    DecompressFlat(coded, limit, &flat);
    size_t blocks = (flat.size() + kTransformBlockBytes - 1) / kTransformBlockBytes;
    if (blocks == 0) return;
    flat.resize(blocks * kTransformBlockBytes, 0);
    // Never more samples than the decoded blocks cover.
    sampleCount =
        std::min(sampleCount, (blocks - 1) * kTransformBlockStep + kTransformBlockSamples);

    std::vector<int16_t> samples(sampleCount, 0);
    std::array<int16_t, kTransformBlockSamples> block;
    const int32_t* table = SoundConstantTable().data();
    for (size_t b = 0; b < blocks; ++b) {
        size_t start = b * kTransformBlockStep;
        if (start >= sampleCount) break;
        DecodeTransformBlock(flat.data() + b * kTransformBlockBytes, table, block.data());
        size_t count = std::min(kTransformBlockSamples, sampleCount - start);
        for (size_t i = 0; i < count; ++i) {
            int32_t value = block[i];
            if (b > 0 && i < kTransformOverlap) {
                int32_t old = samples[start + i];
                int32_t weight = static_cast<int32_t>(i);
                value = ((32 - weight) * old + weight * value) / 32;
            }
            samples[start + i] = ClampSample(value);
        }
    }
    pcm->resize(2 * sampleCount);
    for (size_t i = 0; i < sampleCount; ++i) {
        formats::StoreLe16(pcm->data() + 2 * i, static_cast<uint16_t>(samples[i]));
    }
}

ByteVector BuildWaveImage(const WaveFormat& format, ByteSpan pcm) {
    return formats::BuildWaveFile(FormatFields(format), pcm);
}

bool PrepareWaveImage(ByteSpan image, PreparedSound* sound) {
    formats::WaveInfo wave;
    if (!formats::ParseWaveFile(image, &wave, formats::WaveChunkEnds::kCutToBytes)) return false;
    WaveFormat format;
    format.formatTag = wave.formatTag;
    format.channels = wave.channels;
    format.samplesPerSecond = wave.sampleRate;
    format.averageBytesPerSecond = wave.bytesPerSecond;
    format.blockAlign = wave.blockAlign;
    format.bitsPerSample = wave.bitsPerSample;
    format.extraSize = 0;
    ByteSpan extra = image.subspan(wave.formatExtraOffset, wave.formatExtraSize);
    sound->formatExtra.assign(extra.begin(), extra.end());
    sound->hasFormat = true;
    sound->needsConversion = format.formatTag != 1 || format.bitsPerSample == 8;
    sound->format = format;
    ByteSpan data = image.subspan(wave.dataOffset, wave.dataSize);
    sound->pcm.assign(data.begin(), data.end());
    sound->bitsPerSample = format.bitsPerSample;
    sound->sampleRate = format.samplesPerSecond;
    sound->channels = format.channels;
    return true;
}

bool PrepareSound(ByteSpan file, SoundStage stage, PreparedSound* sound) {
    *sound = PreparedSound{};
    if (stage != SoundStage::kVoiceRecord && HasRange(file, 0, 4) &&
        std::memcmp(file.data(), "RIFF", 4) == 0) {
        return PrepareWaveImage(file, sound);
    }
    if (file.size() < kPcmHeaderSize) return false;
    uint8_t coding = file[kPcmCodingOffset];
    if (stage == SoundStage::kMusic && coding == kPcmCodingDelta) {
        ByteVector image;
        if (!DecodeDeltaPcm(file, &image)) return false;
        return PrepareWaveImage(image, sound);
    }
    uint32_t byteCount = ReadLe32(file, kPcmByteCountOffset);
    sound->bitsPerSample = ReadLe16(file, kPcmBitsOffset);
    sound->sampleRate = ReadLe32(file, kPcmRateOffset);
    sound->channels = ReadLe16(file, kPcmChannelsOffset);
    if (coding != kPcmCodingRaw) {
        // A coded length past the end of the file is cut to the file.
        uint32_t codedLength = file.size() >= kPcmCodedOffset ? ReadLe32(file, kPcmHeaderSize) : 0;
        size_t available = file.size() > kPcmCodedOffset ? file.size() - kPcmCodedOffset : 0;
        size_t length = std::min<size_t>(codedLength, available);
        DecodeTransformPcm(file.subspan(std::min(file.size(), kPcmCodedOffset), length), byteCount,
                           &sound->pcm);
        return true;
    }
    size_t length = std::min<size_t>(byteCount, file.size() - kPcmHeaderSize);
    sound->pcm.assign(file.begin() + kPcmHeaderSize, file.begin() + kPcmHeaderSize + length);
    return true;
}

bool EncodePreparedSound(PreparedSound* sound, common::Mp3Encoder* encoder,
                         FormatConverter converter, EncodedSound* out) {
    if (sound->needsConversion) {
        if (converter == nullptr || !converter(&sound->format, sound->formatExtra, &sound->pcm)) {
            return false;
        }
        sound->needsConversion = false;
        sound->bitsPerSample = sound->format.bitsPerSample;
        sound->sampleRate = sound->format.samplesPerSecond;
        sound->channels = sound->format.channels;
    }
    common::PcmDescription description{};
    description.byteCount = static_cast<uint32_t>(sound->pcm.size());
    description.bitsPerSample = sound->bitsPerSample;
    description.sampleRate = sound->sampleRate;
    description.channels = sound->channels;
    uint32_t size = description.byteCount;
    out->bytes = encoder->Encode(sound->hasFormat ? &sound->format : nullptr, sound->pcm.data(),
                                 &description, &size);
    out->size = out->bytes ? size : 0;
    return out->bytes != nullptr;
}

bool ConvertToPcm16(WaveFormat* format, ByteSpan extra, ByteVector* pcm) {
    WaveFormat target = common::SuggestPcmFormat(*format, 16);
    std::unique_ptr<uint8_t[]> converted;
    uint32_t size = common::AcmConvert(*format, extra, target, pcm->data(),
                                       static_cast<uint32_t>(pcm->size()), &converted);
    if (size == 0) return false;
    pcm->assign(converted.get(), converted.get() + size);
    *format = target;
    return true;
}

bool EncodeWaveImage(ByteSpan image, common::Mp3Encoder* encoder, FormatConverter converter,
                     EncodedSound* out) {
    PreparedSound sound;
    if (!PrepareWaveImage(image, &sound)) return false;
    return EncodePreparedSound(&sound, encoder, converter, out);
}

bool EncodePcmSound(ByteSpan file, common::Mp3Encoder* encoder, EncodedSound* out) {
    if (file.size() < kPcmHeaderSize || file[kPcmCodingOffset] != kPcmCodingRaw) return false;
    PreparedSound sound;
    if (!PrepareSound(file, SoundStage::kVoiceRecord, &sound)) return false;
    return EncodePreparedSound(&sound, encoder, nullptr, out);
}

bool ConvertPcmSound(ByteSpan file, SoundStage stage, common::Mp3Encoder* encoder,
                     FormatConverter converter, EncodedSound* out) {
    PreparedSound sound;
    if (!PrepareSound(file, stage, &sound)) return false;
    return EncodePreparedSound(&sound, encoder, converter, out);
}

}  // namespace kitshift
