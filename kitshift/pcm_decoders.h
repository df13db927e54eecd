#pragma once
// The PC title's ".pcm" sounds: the delta and transform decoders, the sound
// constant table they share, and the step that turns one sound into what the
// MP3 encoder is handed (PCM bytes plus their description). Functions over
// byte spans, no file I/O; every size taken from a file is checked against
// the bytes that are really there.

#include <cstddef>
#include <cstdint>
#include <memory>
#include <span>

#include "common/mp3_encoder.h"
#include "common/short_pcm_file.h"
#include "formats/byte_io.h"

namespace kitshift {

// Header fields of a ".pcm" sound (integers little-endian).
constexpr size_t kPcmHeaderSize = 28;
constexpr size_t kPcmByteCountOffset = 4;
constexpr size_t kPcmCodingOffset = 8;
constexpr size_t kPcmParameterOffset = 9;
constexpr size_t kPcmChannelsOffset = 14;
constexpr size_t kPcmRateOffset = 16;
constexpr size_t kPcmBitsOffset = 26;
// Transform coding: the coded length at 28, the coded bytes from 32.
constexpr size_t kPcmCodedOffset = 32;

constexpr uint8_t kPcmCodingRaw = 0;
constexpr uint8_t kPcmCodingDelta = 2;

// The transform coding's geometry.
constexpr size_t kTransformBlockBytes = 8192;
constexpr size_t kTransformBlockSamples = 4096;
constexpr size_t kTransformBlockStep = 4064;
constexpr size_t kTransformOverlap = kTransformBlockSamples - kTransformBlockStep;

// The sound constant table: 33,568 bytes of 32-bit integers. Integers 0..7
// are the band scales; from byte 324 the pairs (c_k, s_k), k = 0..4096, of
// 4096 * cos and sin of 2*pi*k/4096, truncated toward zero. The integers the
// decoders never read are zero.
constexpr size_t kSoundTableBytes = 33568;
constexpr size_t kSoundTableIntegers = kSoundTableBytes / 4;
constexpr size_t kSoundTableBandScales = 0;
constexpr size_t kSoundTableTwiddles = 324 / 4;
constexpr size_t kSoundTableTwiddleCount = 4097;

// Built from its definition on first use; safe to call from any thread.
std::span<const int32_t, kSoundTableIntegers> SoundConstantTable();

// Zigzag mapping of a 16-bit code: 0, 1, -1, 2, -2, ... (65535 gives 32768).
inline int32_t ZigzagValue(uint16_t code) {
    return (code & 1) ? static_cast<int32_t>((code + 1) / 2) : -static_cast<int32_t>(code / 2);
}

// A delta-coded sound (coding 2) as a 44-byte RIFF WAVE header and 16-bit
// samples. One sample per input byte from offset 28, but never more than the
// header's byte count n asks for. true on success, false when the header is cut.
bool DecodeDeltaPcm(formats::ByteSpan file, formats::ByteVector* waveImage);

// Transform-coded bytes (L of them) to byteCount / 2 samples of 16-bit
// little-endian PCM in *pcm, but never more samples than the decoded blocks
// cover, so a hostile byte count cannot ask for gigabytes of silence. A last
// block cut short is decoded as if padded with zero bytes.
void DecodeTransformPcm(formats::ByteSpan coded, uint32_t byteCount, formats::ByteVector* pcm);

// The stage of a conversion decides which tests apply to a sound.
enum class SoundStage {
    kMusic,        // loose sounds: RIFF, then delta, then transform
    kVoiceFile,    // loose voice-folder sounds: RIFF, then every coding as transform
    kVoiceRecord,  // "voice.dat" records: no RIFF test, every coding as transform
};

using WaveFormat = common::WaveFormat;

// What the encoder is handed for one sound.
struct PreparedSound {
    // True on the RIFF WAVE path: the format record goes to the encoder too,
    // so a short sound becomes the short container instead of MP3.
    bool hasFormat = false;
    // True when the RIFF's format is not 16-bit-ready PCM (not tag 1, or 8
    // bits): the caller runs it through the system format conversion first.
    bool needsConversion = false;
    WaveFormat format;
    // The format's extra bytes (compressed codings keep their block layout
    // there), as far as the chunk holds them.
    formats::ByteVector formatExtra;
    formats::ByteVector pcm;
    uint16_t bitsPerSample = 0;
    uint32_t sampleRate = 0;
    uint16_t channels = 0;
};

// A 44-byte RIFF WAVE header for `format` (extra size not written) and pcm.
formats::ByteVector BuildWaveImage(const WaveFormat& format, formats::ByteSpan pcm);

// The sound of one ".pcm" image as the given stage hands it to the encoder
// (before any format conversion). true on success, false when the image is not a
// usable sound (cut header, RIFF without a usable format or data chunk).
bool PrepareSound(formats::ByteSpan file, SoundStage stage, PreparedSound* sound);

// The RIFF WAVE part of PrepareSound: the first "fmt " chunk and the first
// non-empty "data" chunk. true on success, false otherwise.
bool PrepareWaveImage(formats::ByteSpan image, PreparedSound* sound);

// The encoder's output for one sound: MP3, or a ShortPcmFile for a short
// sound that came with a format record.
struct EncodedSound {
    std::unique_ptr<uint8_t[]> bytes;
    uint32_t size = 0;
};

// Turns a WAVE format that is not 16-bit-ready PCM into 16-bit PCM (the
// system format conversion). True on success with *format and *pcm replaced.
using FormatConverter = bool (*)(WaveFormat* format, formats::ByteSpan extra,
                                 formats::ByteVector* pcm);

// The converter the data converter uses: the system's suggested 16-bit PCM
// format for the source, then a one-shot conversion of the whole sound.
bool ConvertToPcm16(WaveFormat* format, formats::ByteSpan extra, formats::ByteVector* pcm);

// Hands a prepared sound to the encoder: with its format record on the WAVE
// path, without one otherwise (always MP3). A sound that needs a format
// conversion fails when no converter is given. true on success, false otherwise.
bool EncodePreparedSound(PreparedSound* sound, common::Mp3Encoder* encoder,
                         FormatConverter converter, EncodedSound* out);

// RIFF WAVE bytes to MP3 (or a ShortPcmFile). true on success, false otherwise.
bool EncodeWaveImage(formats::ByteSpan image, common::Mp3Encoder* encoder,
                     FormatConverter converter, EncodedSound* out);

// A raw ".pcm" (coding 0): its n bytes described by the header's bits, rate
// and channels, always to MP3. true on success, false otherwise.
bool EncodePcmSound(formats::ByteSpan file, common::Mp3Encoder* encoder, EncodedSound* out);

// One ".pcm" image through the tests of its stage and the encoder.
bool ConvertPcmSound(formats::ByteSpan file, SoundStage stage, common::Mp3Encoder* encoder,
                     FormatConverter converter, EncodedSound* out);

}  // namespace kitshift
