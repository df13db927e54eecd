// Making decoder bindings, choosing the module kind, and the source rules
// both bindings share.

#include <algorithm>
#include <cstring>
#include <limits>

#include "engine/sound/brindlex_decoder.h"
#include "engine/sound/decoder_binding.h"
#include "engine/sound/decoder_support.h"
#include "engine/sound/xaudio_decoder.h"
#include "platform/module_loader.h"

namespace sound {

namespace {

constexpr uint32_t kTagBlockBytes = 128;
constexpr uint32_t kTagRuleMinimumLength = 160;

constexpr uint16_t kLayer3KbpsMpeg1[16] = {0,   32,  40,  48,  56,  64,  80,  96,
                                           112, 128, 160, 192, 224, 256, 320, 0};
constexpr uint16_t kLayer3KbpsMpeg2[16] = {0,  8,  16, 24,  32,  40,  48,  56,
                                           64, 80, 96, 112, 128, 144, 160, 0};

const char* ModuleName(DecoderKind kind) {
    return kind == DecoderKind::kBrindlex ? kBrindlexModuleName : kXaudioModuleName;
}

}  // namespace

std::mutex& ModuleLock(DecoderKind kind) {
    static std::mutex brindlexLock;
    static std::mutex xaudioLock;
    return kind == DecoderKind::kBrindlex ? brindlexLock : xaudioLock;
}

bool ModuleUsers::ReleaseHolder(void* module) {
    --holders_;
    if (streams_ > 0) {
        retired_.push_back(module);
        return false;
    }
    platform::FreeModule(module);
    return holders_ <= 0;
}

bool ModuleUsers::ReleaseStream() {
    if (--streams_ > 0 || holders_ > 0) return false;
    for (void* module : retired_) platform::FreeModule(module);
    retired_.clear();
    return true;
}

uint32_t LengthWithoutTrailingTag(const uint8_t* data, uint32_t length) {
    if (data == nullptr) return 0;
    if (length > kTagRuleMinimumLength &&
        std::memcmp(data + length - kTagBlockBytes, "TAG", 3) == 0) {
        return length - kTagBlockBytes;
    }
    return length;
}

uint32_t DurationFromFrameHeader(const uint8_t* header, uint32_t dataLength) {
    uint32_t word = (uint32_t{header[0]} << 24) | (uint32_t{header[1]} << 16) |
                    (uint32_t{header[2]} << 8) | header[3];
    if ((word >> 20) != 0xFFF) return 0;
    if (((word >> 17) & 3) != 1) return 0;  // Layer III
    uint32_t bitrateIndex = (word >> 12) & 15;
    if (bitrateIndex < 1 || bitrateIndex > 14) return 0;
    bool mpeg1 = ((word >> 19) & 1) != 0;
    uint32_t kbps = mpeg1 ? kLayer3KbpsMpeg1[bitrateIndex] : kLayer3KbpsMpeg2[bitrateIndex];
    return DurationFromBitrate(dataLength, kbps);
}

uint32_t DurationFromBitrate(uint32_t dataLength, uint32_t bitrateKbps) {
    if (bitrateKbps == 0) return 0;
    uint64_t ms = uint64_t{dataLength} * 8 / bitrateKbps;
    return static_cast<uint32_t>(std::min<uint64_t>(ms, std::numeric_limits<uint32_t>::max()));
}

uint32_t EstimateBytes(uint32_t bytesPerSecond, uint32_t durationMs) {
    uint64_t bytes = uint64_t{bytesPerSecond} * (durationMs / 1000 + 1);
    return static_cast<uint32_t>(std::min<uint64_t>(bytes, std::numeric_limits<uint32_t>::max()));
}

platform::WaveFormat PcmFormat(uint32_t channels, uint32_t sampleRate) {
    platform::WaveFormat format;
    format.formatTag = 1;
    format.channels = static_cast<uint16_t>(channels);
    format.sampleRate = sampleRate;
    format.bytesPerSecond = sampleRate * channels * 2;
    format.blockAlign = static_cast<uint16_t>(channels * 2);
    format.bitsPerSample = 16;
    format.extraSize = 0;
    return format;
}

platform::WaveFormat ZeroFormat() {
    platform::WaveFormat format;
    format.formatTag = 0;
    format.channels = 0;
    format.sampleRate = 0;
    format.bytesPerSecond = 0;
    format.blockAlign = 0;
    format.bitsPerSample = 0;
    format.extraSize = 0;
    return format;
}

bool MapSourceFile(const std::string& devicePath, platform::MappedFile* file) {
    if (file->Open(devicePath) && file->Size() > 0 &&
        file->Size() <= std::numeric_limits<uint32_t>::max()) {
        return true;
    }
    file->Close();
    return false;
}

std::unique_ptr<DecoderBinding> CreateDecoder(DecoderKind kind) {
    std::unique_ptr<DecoderBinding> decoder;
    if (kind == DecoderKind::kBrindlex) {
        decoder = std::make_unique<BrindlexDecoder>(true);
    } else {
        decoder = std::make_unique<XaudioDecoder>(true);
    }
    // The mixer's bindings hold their modules from the start, so that the
    // short-lived effect decoders find them loaded; a missing module only
    // leaves that kind unable to decode.
    decoder->Load();
    return decoder;
}

std::unique_ptr<DecoderBinding> CreateTemporaryDecoder(DecoderKind kind) {
    if (kind == DecoderKind::kBrindlex) return std::make_unique<BrindlexDecoder>(false);
    return std::make_unique<XaudioDecoder>(false);
}

bool ProbeModule(DecoderKind kind) {
    void* module = platform::LoadModule(ModuleName(kind));
    if (module == nullptr) return false;
    platform::FreeModule(module);
    return true;
}

DecoderKind SelectDecoderKind(int preferBrindlex) {
    DecoderKind first = preferBrindlex != 0 ? DecoderKind::kBrindlex : DecoderKind::kXaudio;
    DecoderKind second = preferBrindlex != 0 ? DecoderKind::kXaudio : DecoderKind::kBrindlex;
    if (ProbeModule(first)) return first;
    if (ProbeModule(second)) return second;
    // Neither loads: the preferred kind stays chosen and plays silence.
    return first;
}

}  // namespace sound
