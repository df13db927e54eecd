// The module "Brindlex.ovl": decodes MPEG-1, MPEG-2 and MPEG-2.5 Layer III
// frame by frame for a caller that finds the frames itself. libmpg123 does
// the decoding in feed mode; the module parses headers on its own so that it
// can tell the caller each frame's length before the frame is read.

#include <mpg123.h>

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <mutex>
#include <new>

#include "mirelo/module_abi/brindlex_abi.h"

#define BRINDLEX_EXPORT extern "C" __attribute__((visibility("default")))

namespace {

constexpr uint32_t kModuleVersion = 0x0100;

// The fields callers read sit at the offsets the contract fixes.
struct HandleFields {
    uint32_t magic;
    uint32_t mpegVersion;  // 10 = MPEG-1, 20 = MPEG-2, 25 = MPEG-2.5
    uint32_t layer;
    uint16_t channels;
    uint16_t channelMode;
    uint32_t samplesPerFrame;
    uint32_t framesDecoded;
    uint32_t reserved[6];
    uint32_t frameLength;
    uint32_t paddingBytes;
    uint32_t protection;
    uint32_t bitrateKbps;
    uint32_t sampleRate;
};
static_assert(offsetof(HandleFields, channels) == brindlex::kHandleChannelsOffset);
static_assert(offsetof(HandleFields, frameLength) == brindlex::kHandleFrameLengthOffset);
static_assert(offsetof(HandleFields, bitrateKbps) == brindlex::kHandleBitrateOffset);
static_assert(offsetof(HandleFields, sampleRate) == brindlex::kHandleSampleRateOffset);
static_assert(sizeof(HandleFields) == brindlex::kHandlePublicBytes);

constexpr uint32_t kHandleMagic = 0x42524E44;  // "BRND"

struct Handle {
    HandleFields fields;  // first, so the handle pointer is the fields' address
    mpg123_handle* decoder;
};

struct FrameHeader {
    uint32_t mpegVersion;
    uint32_t bitrateKbps;
    uint32_t sampleRate;
    uint16_t channels;
    uint16_t channelMode;
    uint32_t frameLength;
    uint32_t samplesPerFrame;
    uint32_t padding;
    uint32_t protection;
};

constexpr uint16_t kBitratesV1[16] = {0,   32,  40,  48,  56,  64,  80,  96,
                                      112, 128, 160, 192, 224, 256, 320, 0};
constexpr uint16_t kBitratesV2[16] = {0,  8,  16, 24,  32,  40,  48,  56,
                                      64, 80, 96, 112, 128, 144, 160, 0};
constexpr uint32_t kRatesV1[3] = {44100, 48000, 32000};

// Parses a Layer III frame header; false for anything this module cannot
// decode (other layers, free format, reserved values).
bool ParseHeader(const uint8_t* bytes, FrameHeader* header) {
    uint32_t word = (uint32_t{bytes[0]} << 24) | (uint32_t{bytes[1]} << 16) |
                    (uint32_t{bytes[2]} << 8) | bytes[3];
    if ((word >> 21) != 0x7FF) return false;
    uint32_t versionBits = (word >> 19) & 3;
    uint32_t layerBits = (word >> 17) & 3;
    uint32_t bitrateIndex = (word >> 12) & 15;
    uint32_t rateIndex = (word >> 10) & 3;
    if (versionBits == 1 || layerBits != 1) return false;
    if (bitrateIndex == 0 || bitrateIndex == 15 || rateIndex == 3) return false;
    if ((word & 3) == 2) return false;  // reserved emphasis
    bool mpeg1 = versionBits == 3;
    header->mpegVersion = mpeg1 ? 10 : (versionBits == 2 ? 20 : 25);
    header->bitrateKbps = mpeg1 ? kBitratesV1[bitrateIndex] : kBitratesV2[bitrateIndex];
    uint32_t divisor = mpeg1 ? 1 : (versionBits == 2 ? 2 : 4);
    header->sampleRate = kRatesV1[rateIndex] / divisor;
    header->padding = (word >> 9) & 1;
    header->protection = ((word >> 16) & 1) == 0;
    header->channelMode = static_cast<uint16_t>((word >> 6) & 3);
    header->channels = header->channelMode == 3 ? 1 : 2;
    header->samplesPerFrame = mpeg1 ? 1152 : 576;
    uint32_t factor = mpeg1 ? 144000 : 72000;
    header->frameLength = factor * header->bitrateKbps / header->sampleRate + header->padding;
    return true;
}

void InitLibraryOnce() {
    static std::once_flag once;
    std::call_once(once, [] { mpg123_init(); });
}

// Feed mode with whole frames: no read-ahead (so each frame decodes as soon
// as it is fed), no gapless trimming and the LAME/Xing frame decoded as an
// ordinary (silent) frame, so that every frame yields its full sample count,
// and output fixed to 16-bit at the stream's own rate and channel count.
mpg123_handle* OpenDecoder(const FrameHeader& header) {
    InitLibraryOnce();
    mpg123_handle* decoder = mpg123_new(nullptr, nullptr);
    if (decoder == nullptr) return nullptr;
    long flags = MPG123_QUIET | MPG123_NO_READAHEAD | MPG123_IGNORE_INFOFRAME |
                 MPG123_NO_FRANKENSTEIN | MPG123_NO_RESYNC;
    bool ok = mpg123_param(decoder, MPG123_FLAGS, flags, 0.0) == MPG123_OK &&
              mpg123_format_none(decoder) == MPG123_OK &&
              mpg123_format(decoder, static_cast<long>(header.sampleRate),
                            header.channels == 1 ? MPG123_MONO : MPG123_STEREO,
                            MPG123_ENC_SIGNED_16) == MPG123_OK &&
              mpg123_open_feed(decoder) == MPG123_OK;
    if (!ok) {
        mpg123_delete(decoder);
        return nullptr;
    }
    return decoder;
}

}  // namespace

BRINDLEX_EXPORT uint32_t __mp3_getdecver() {
    return kModuleVersion;
}

BRINDLEX_EXPORT void* __mp3_create(const uint8_t* header) {
    if (header == nullptr) return nullptr;
    FrameHeader parsed{};
    if (!ParseHeader(header, &parsed)) return nullptr;
    mpg123_handle* decoder = OpenDecoder(parsed);
    if (decoder == nullptr) return nullptr;
    Handle* handle = new (std::nothrow) Handle{};
    if (handle == nullptr) {
        mpg123_delete(decoder);
        return nullptr;
    }
    handle->decoder = decoder;
    HandleFields& fields = handle->fields;
    fields.magic = kHandleMagic;
    fields.mpegVersion = parsed.mpegVersion;
    fields.layer = 3;
    fields.channels = parsed.channels;
    fields.channelMode = parsed.channelMode;
    fields.samplesPerFrame = parsed.samplesPerFrame;
    fields.frameLength = parsed.frameLength;
    fields.paddingBytes = parsed.padding;
    fields.protection = parsed.protection;
    fields.bitrateKbps = parsed.bitrateKbps;
    fields.sampleRate = parsed.sampleRate;
    return handle;
}

BRINDLEX_EXPORT void __mp3_destroy(void* opaque) {
    Handle* handle = static_cast<Handle*>(opaque);
    if (handle == nullptr || handle->fields.magic != kHandleMagic) return;
    mpg123_delete(handle->decoder);
    handle->fields.magic = 0;
    delete handle;
}

BRINDLEX_EXPORT int __mp3_predecode(void* opaque, const uint8_t* bytes) {
    Handle* handle = static_cast<Handle*>(opaque);
    if (handle == nullptr || bytes == nullptr) return 1;
    FrameHeader parsed{};
    if (!ParseHeader(bytes, &parsed)) return 1;
    HandleFields& fields = handle->fields;
    // The output format is fixed when the handle is made: a frame of another
    // version, rate or channel count does not belong to this stream.
    if (parsed.mpegVersion != fields.mpegVersion || parsed.sampleRate != fields.sampleRate ||
        parsed.channels != fields.channels) {
        return 1;
    }
    fields.channelMode = parsed.channelMode;
    fields.frameLength = parsed.frameLength;
    fields.paddingBytes = parsed.padding;
    fields.protection = parsed.protection;
    fields.bitrateKbps = parsed.bitrateKbps;
    return 0;
}

BRINDLEX_EXPORT int __mp3_decode(void* opaque, uint8_t* pcm, const uint8_t* frame,
                                 uint32_t frameLength) {
    Handle* handle = static_cast<Handle*>(opaque);
    if (handle == nullptr || pcm == nullptr || frame == nullptr) return 0;
    if (frameLength < 4 || frameLength > brindlex::kFrameBufferBytes) return 0;
    mpg123_handle* decoder = handle->decoder;
    if (mpg123_feed(decoder, frame, frameLength) != MPG123_OK) return 0;
    for (int attempt = 0; attempt < 4; ++attempt) {
        off_t frameNumber = 0;
        unsigned char* audio = nullptr;
        size_t bytes = 0;
        int result = mpg123_decode_frame(decoder, &frameNumber, &audio, &bytes);
        if (result == MPG123_NEW_FORMAT) continue;
        if (result == MPG123_OK && bytes > 0 && audio != nullptr) {
            if (bytes > brindlex::kPcmBufferBytes) bytes = brindlex::kPcmBufferBytes;
            std::memcpy(pcm, audio, bytes);
            handle->fields.framesDecoded++;
            return static_cast<int>(bytes / (2u * handle->fields.channels));
        }
        break;
    }
    // A frame that did not decode (cut short, damaged): forget what was fed
    // so that the next frame given, possibly the stream's first one again
    // after a rewind, starts from a clean state.
    mpg123_open_feed(decoder);
    return 0;
}
