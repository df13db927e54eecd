// The MP3 encoder module: the MPGE_* calls over LAME. The converters' binding
// feeds PCM through a read function and collects the stream through a write
// function; this module reads one MP3 frame's worth of samples per call.

#include <lame/lame.h>

#include <algorithm>
#include <cstring>
#include <vector>

#include "mirelo/module_abi/gogo_abi.h"

#define GOGO_EXPORT extern "C" __attribute__((visibility("default")))

namespace {

constexpr uint32_t kSamplesPerFrame = 1152;
constexpr uint32_t kVersion = 100;
constexpr const char kVersionText[] = "mirelo MP3 encoder module 1.00";

struct Configuration {
    uint32_t inputKind = 0;
    MpgeUserInput input{};
    uint32_t outputKind = 0;
    MpgeWriteFunction write = nullptr;
    uint32_t encodeMode = gogo::kModeStereo;
    uint32_t bitrate = 128;
    uint32_t outputFrequency = 0;  // 0: the input's rate
    uint32_t psychoacoustic = 1;
    uint32_t lowPass16k = 0;
    uint32_t mmx = 0;
};

struct EncoderState {
    Configuration configuration;
    lame_global_flags* lame = nullptr;
    uint64_t bytesConsumed = 0;
    bool finished = false;
    std::vector<uint8_t> block;
    std::vector<int16_t> samples;
    std::vector<uint8_t> mp3;
};

EncoderState state;

bool IsValidBitrate(uint32_t kbps) {
    static constexpr uint32_t kRates[] = {8,  16,  24,  32,  40,  48,  56,  64, 80,
                                          96, 112, 128, 160, 192, 224, 256, 320};
    return std::find(std::begin(kRates), std::end(kRates), kbps) != std::end(kRates);
}

bool IsValidFrequency(uint32_t hertz) {
    static constexpr uint32_t kRates[] = {8000,  11025, 12000, 16000, 22050,
                                          24000, 32000, 44100, 48000};
    return std::find(std::begin(kRates), std::end(kRates), hertz) != std::end(kRates);
}

void ReleaseLame() {
    if (state.lame != nullptr) lame_close(state.lame);
    state.lame = nullptr;
}

uint32_t BlockLength() {
    const MpgeUserInput& input = state.configuration.input;
    return kSamplesPerFrame * input.channels * (input.bitsPerSample / 8);
}

MpgeResult Deliver(int length) {
    if (length < 0) return gogo::kEncodeFailed;
    if (length == 0) return gogo::kOk;
    int refused = state.configuration.write(state.mp3.data(), static_cast<uint32_t>(length));
    return refused == 0 ? gogo::kOk : gogo::kOutputRefused;
}

// The end of input: the encoder's last frames, then the end-of-output mark.
MpgeResult Finish() {
    int length =
        lame_encode_flush(state.lame, state.mp3.data(), static_cast<int>(state.mp3.size()));
    MpgeResult result = Deliver(length);
    if (result != gogo::kOk) return result;
    state.configuration.write(nullptr, 0);
    state.finished = true;
    return gogo::kEnd;
}

}  // namespace

GOGO_EXPORT MpgeResult MPGE_initializeWork() {
    ReleaseLame();
    state.configuration = Configuration{};
    state.bytesConsumed = 0;
    state.finished = false;
    return gogo::kOk;
}

GOGO_EXPORT MpgeResult MPGE_setConfigure(uint32_t item, uint32_t value, void* pointer) {
    Configuration& configuration = state.configuration;
    switch (item) {
        case gogo::kItemInput:
            if (value != gogo::kUserFunction || pointer == nullptr) return gogo::kBadValue;
            configuration.inputKind = value;
            configuration.input = *static_cast<const MpgeUserInput*>(pointer);
            return gogo::kOk;
        case gogo::kItemOutput:
            if (value != gogo::kUserFunction || pointer == nullptr) return gogo::kBadValue;
            configuration.outputKind = value;
            configuration.write = reinterpret_cast<MpgeWriteFunction>(pointer);
            return gogo::kOk;
        case gogo::kItemEncodeMode:
            if (value != gogo::kModeMono && value != gogo::kModeStereo) return gogo::kBadValue;
            configuration.encodeMode = value;
            return gogo::kOk;
        case gogo::kItemBitrate:
            if (!IsValidBitrate(value)) return gogo::kBadValue;
            configuration.bitrate = value;
            return gogo::kOk;
        case gogo::kItemOutputFrequency:
            if (!IsValidFrequency(value)) return gogo::kBadValue;
            configuration.outputFrequency = value;
            return gogo::kOk;
        case gogo::kItemPsychoacoustic:
            configuration.psychoacoustic = value != 0;
            return gogo::kOk;
        case gogo::kItemLowPass16k:
            configuration.lowPass16k = value != 0;
            return gogo::kOk;
        case gogo::kItemMmx:
            configuration.mmx = value != 0;
            return gogo::kOk;
        default:
            return gogo::kBadItem;
    }
}

GOGO_EXPORT MpgeResult MPGE_getConfigure(uint32_t item, uint32_t* value) {
    if (value == nullptr) return gogo::kBadValue;
    const Configuration& configuration = state.configuration;
    switch (item) {
        case gogo::kItemInput:
            *value = configuration.inputKind;
            return gogo::kOk;
        case gogo::kItemOutput:
            *value = configuration.outputKind;
            return gogo::kOk;
        case gogo::kItemEncodeMode:
            *value = configuration.encodeMode;
            return gogo::kOk;
        case gogo::kItemBitrate:
            *value = configuration.bitrate;
            return gogo::kOk;
        case gogo::kItemOutputFrequency:
            *value = configuration.outputFrequency;
            return gogo::kOk;
        case gogo::kItemPsychoacoustic:
            *value = configuration.psychoacoustic;
            return gogo::kOk;
        case gogo::kItemLowPass16k:
            *value = configuration.lowPass16k;
            return gogo::kOk;
        case gogo::kItemMmx:
            *value = configuration.mmx;
            return gogo::kOk;
        default:
            return gogo::kBadItem;
    }
}

GOGO_EXPORT MpgeResult MPGE_detectConfigure() {
    const Configuration& configuration = state.configuration;
    const MpgeUserInput& input = configuration.input;
    if (configuration.inputKind != gogo::kUserFunction || input.read == nullptr ||
        configuration.outputKind != gogo::kUserFunction || configuration.write == nullptr) {
        return gogo::kNotConfigured;
    }
    if ((input.bitsPerSample != 8 && input.bitsPerSample != 16) ||
        (input.channels != 1 && input.channels != 2) || input.sampleRate == 0) {
        return gogo::kBadValue;
    }
    ReleaseLame();
    state.lame = lame_init();
    if (state.lame == nullptr) return gogo::kEncodeFailed;
    lame_set_num_channels(state.lame, static_cast<int>(input.channels));
    lame_set_in_samplerate(state.lame, static_cast<int>(input.sampleRate));
    uint32_t outputRate =
        configuration.outputFrequency != 0 ? configuration.outputFrequency : input.sampleRate;
    lame_set_out_samplerate(state.lame, static_cast<int>(outputRate));
    // Mono mode mixes a two-channel source down.
    lame_set_mode(state.lame, configuration.encodeMode == gogo::kModeStereo ? JOINT_STEREO : MONO);
    lame_set_VBR(state.lame, vbr_off);
    lame_set_brate(state.lame, static_cast<int>(configuration.bitrate));
    // Without the model LAME's fastest setting is the one that skips it.
    lame_set_quality(state.lame, configuration.psychoacoustic ? 5 : 9);
    if (configuration.lowPass16k) lame_set_lowpassfreq(state.lame, 16000);
    lame_set_bWriteVbrTag(state.lame, 0);
    if (lame_init_params(state.lame) < 0) {
        ReleaseLame();
        return gogo::kBadValue;
    }
    state.bytesConsumed = 0;
    state.finished = false;
    state.block.assign(BlockLength(), 0);
    state.samples.assign(static_cast<size_t>(kSamplesPerFrame) * input.channels, 0);
    // LAME's own bound for one call's output: 1.25 * samples + 7200.
    state.mp3.assign(kSamplesPerFrame * 5 / 4 + 7200, 0);
    return gogo::kOk;
}

GOGO_EXPORT MpgeResult MPGE_processFrame() {
    if (state.lame == nullptr) return gogo::kNotConfigured;
    if (state.finished) return gogo::kEnd;
    const MpgeUserInput& input = state.configuration.input;
    uint32_t length = static_cast<uint32_t>(state.block.size());
    if (input.read(state.block.data(), length) != 0) return Finish();

    // Only the bytes the description counts are sound; the rest is padding.
    uint64_t remaining =
        input.byteCount > state.bytesConsumed ? input.byteCount - state.bytesConsumed : 0;
    uint32_t usable = static_cast<uint32_t>(std::min<uint64_t>(length, remaining));
    state.bytesConsumed += length;
    uint32_t bytesPerSample = input.bitsPerSample / 8;
    uint32_t frames = usable / (bytesPerSample * input.channels);
    if (frames == 0) return gogo::kOk;
    uint32_t count = frames * input.channels;
    if (bytesPerSample == 2) {
        for (uint32_t i = 0; i < count; ++i) {
            state.samples[i] =
                static_cast<int16_t>(state.block[2 * i] | (state.block[2 * i + 1] << 8));
        }
    } else {
        for (uint32_t i = 0; i < count; ++i) {
            state.samples[i] = static_cast<int16_t>((state.block[i] - 128) * 256);
        }
    }
    int mp3Size = static_cast<int>(state.mp3.size());
    int written;
    if (input.channels == 2) {
        written = lame_encode_buffer_interleaved(
            state.lame, state.samples.data(), static_cast<int>(frames), state.mp3.data(), mp3Size);
    } else {
        written = lame_encode_buffer(state.lame, state.samples.data(), nullptr,
                                     static_cast<int>(frames), state.mp3.data(), mp3Size);
    }
    return Deliver(written);
}

GOGO_EXPORT MpgeResult MPGE_closeCoder() {
    ReleaseLame();
    return gogo::kOk;
}

GOGO_EXPORT MpgeResult MPGE_endCoder() {
    ReleaseLame();
    state = EncoderState{};
    return gogo::kOk;
}

GOGO_EXPORT MpgeResult MPGE_getVersion(uint32_t* version, char* text, uint32_t textSize) {
    if (version != nullptr) *version = kVersion;
    if (text != nullptr && textSize > 0) {
        size_t length = std::min<size_t>(textSize - 1, sizeof(kVersionText) - 1);
        std::memcpy(text, kVersionText, length);
        text[length] = '\0';
    }
    return gogo::kOk;
}

GOGO_EXPORT MpgeResult MPGE_getUnitStates(uint32_t* states) {
    if (states == nullptr) return gogo::kBadValue;
    *states = 0;
    return gogo::kOk;
}
