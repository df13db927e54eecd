// The module "xaudio.so": a pull decoder for MPEG audio streams held in
// memory or in a file. libmpg123 decodes in feed mode; the module feeds it
// the input a piece at a time and hands out one decoded frame per call.

#include <mpg123.h>

#include <cctype>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <mutex>
#include <new>
#include <string_view>
#include <vector>

#include "mirelo/module_abi/xaudio_abi.h"

#define XAUDIO_EXPORT extern "C" __attribute__((visibility("default")))

namespace {

constexpr uint32_t kMpegCodecKind = 1;
constexpr uint32_t kMemoryInputKind = 2;
constexpr uint32_t kFileInputKind = 3;
constexpr uint32_t kDescriptionVersion = 1;
// Input handed to the library per step: comfortably more than one frame, so
// that a frame rarely needs two steps.
constexpr size_t kFeedBytes = 4096;
constexpr long kMaxFileBytes = 1L << 30;

struct State {
    XaudioLibraryDecoder decoder{};
    XaudioOutputBuffer output{};
    mpg123_handle* library = nullptr;
    bool codecRegistered = false;
    bool memoryInputRegistered = false;
    bool fileInputRegistered = false;
    int quality = 0;
    bool hasInput = false;
    bool inputOpen = false;
    const uint8_t* data = nullptr;
    size_t length = 0;
    size_t position = 0;
    std::vector<uint8_t> fileBytes;
    int channels = 0;
    long sampleRate = 0;
};

State* StateOf(XaudioLibraryDecoder* decoder) {
    return decoder == nullptr ? nullptr : static_cast<State*>(decoder->state);
}

void InitLibraryOnce() {
    static std::once_flag once;
    std::call_once(once, [] { mpg123_init(); });
}

// No gapless trimming and the LAME/Xing frame decoded as an ordinary silent
// frame: every frame of the stream comes out whole. 16-bit output at the
// stream's own rate and channel count.
mpg123_handle* NewLibraryDecoder() {
    InitLibraryOnce();
    mpg123_handle* library = mpg123_new(nullptr, nullptr);
    if (library == nullptr) return nullptr;
    long flags = MPG123_QUIET | MPG123_IGNORE_INFOFRAME | MPG123_NO_FRANKENSTEIN;
    bool ok = mpg123_param(library, MPG123_FLAGS, flags, 0.0) == MPG123_OK &&
              mpg123_format_none(library) == MPG123_OK;
    const long* rates = nullptr;
    size_t rateCount = 0;
    mpg123_rates(&rates, &rateCount);
    for (size_t i = 0; ok && i < rateCount; ++i) {
        ok = mpg123_format(library, rates[i], MPG123_MONO | MPG123_STEREO, MPG123_ENC_SIGNED_16) ==
             MPG123_OK;
    }
    if (!ok) {
        mpg123_delete(library);
        return nullptr;
    }
    return library;
}

bool ParseHex(std::string_view text, uint64_t* value) {
    if (text.size() > 2 && text[0] == '0' && (text[1] == 'x' || text[1] == 'X')) {
        text.remove_prefix(2);
    }
    if (text.empty() || text.size() > 16) return false;
    uint64_t result = 0;
    for (char c : text) {
        int digit;
        if (c >= '0' && c <= '9') {
            digit = c - '0';
        } else if (c >= 'a' && c <= 'f') {
            digit = c - 'a' + 10;
        } else if (c >= 'A' && c <= 'F') {
            digit = c - 'A' + 10;
        } else {
            return false;
        }
        result = (result << 4) | static_cast<uint64_t>(digit);
    }
    *value = result;
    return true;
}

// "LENGTH@ADDRESS" in hexadecimal.
bool ParseMemoryName(const char* name, const uint8_t** data, size_t* length) {
    std::string_view text(name);
    size_t at = text.find('@');
    if (at == std::string_view::npos) return false;
    uint64_t size = 0;
    uint64_t address = 0;
    if (!ParseHex(text.substr(0, at), &size) || !ParseHex(text.substr(at + 1), &address)) {
        return false;
    }
    if (size > 0 && address == 0) return false;
    if (address > UINTPTR_MAX || size > UINTPTR_MAX - address) return false;
    *data = reinterpret_cast<const uint8_t*>(static_cast<uintptr_t>(address));
    *length = static_cast<size_t>(size);
    return true;
}

bool ReadFile(const char* path, std::vector<uint8_t>* bytes) {
    FILE* file = std::fopen(path, "rb");
    if (file == nullptr) return false;
    bool ok = std::fseek(file, 0, SEEK_END) == 0;
    long size = ok ? std::ftell(file) : -1;
    ok = ok && size >= 0 && size <= kMaxFileBytes && std::fseek(file, 0, SEEK_SET) == 0;
    if (ok) {
        bytes->resize(static_cast<size_t>(size));
        ok = std::fread(bytes->data(), 1, bytes->size(), file) == bytes->size();
    }
    std::fclose(file);
    return ok;
}

void FillDescription(XaudioModuleDescription* description, uint32_t kind, const char* name) {
    std::memset(description, 0, sizeof *description);
    description->kind = kind;
    description->version = kDescriptionVersion;
    std::snprintf(description->name, sizeof description->name, "%s", name);
}

// Restarts the library on the input at `position`.
int RestartAt(State* state, size_t position) {
    state->position = position > state->length ? state->length : position;
    state->output = XaudioOutputBuffer{};
    return mpg123_open_feed(state->library) == MPG123_OK ? xaudio::kSuccess : xaudio::kDecodeFailed;
}

}  // namespace

XAUDIO_EXPORT int decoder_new(XaudioLibraryDecoder** decoder) {
    if (decoder == nullptr) return xaudio::kBadArgument;
    *decoder = nullptr;
    State* state = new (std::nothrow) State;
    if (state == nullptr) return xaudio::kOutOfMemory;
    state->decoder.outputBuffer = &state->output;
    state->decoder.state = state;
    *decoder = &state->decoder;
    return xaudio::kSuccess;
}

XAUDIO_EXPORT int mpeg_codec_module_register(XaudioModuleDescription* description) {
    if (description == nullptr) return xaudio::kBadArgument;
    FillDescription(description, kMpegCodecKind, "mpeg audio");
    return xaudio::kSuccess;
}

XAUDIO_EXPORT int memory_input_module_register(XaudioModuleDescription* description) {
    if (description == nullptr) return xaudio::kBadArgument;
    FillDescription(description, kMemoryInputKind, "memory");
    return xaudio::kSuccess;
}

XAUDIO_EXPORT int file_input_module_register(XaudioModuleDescription* description) {
    if (description == nullptr) return xaudio::kBadArgument;
    FillDescription(description, kFileInputKind, "file");
    return xaudio::kSuccess;
}

XAUDIO_EXPORT int decoder_codec_module_register(XaudioLibraryDecoder* decoder,
                                                const XaudioModuleDescription* description) {
    State* state = StateOf(decoder);
    if (state == nullptr || description == nullptr) return xaudio::kBadArgument;
    if (description->kind != kMpegCodecKind) return xaudio::kNoCodec;
    if (state->library == nullptr) {
        state->library = NewLibraryDecoder();
        if (state->library == nullptr) return xaudio::kOutOfMemory;
    }
    state->codecRegistered = true;
    return xaudio::kSuccess;
}

XAUDIO_EXPORT int decoder_input_module_register(XaudioLibraryDecoder* decoder,
                                                const XaudioModuleDescription* description) {
    State* state = StateOf(decoder);
    if (state == nullptr || description == nullptr) return xaudio::kBadArgument;
    if (description->kind == kMemoryInputKind) {
        state->memoryInputRegistered = true;
    } else if (description->kind == kFileInputKind) {
        state->fileInputRegistered = true;
    } else {
        return xaudio::kNoSuchInput;
    }
    return xaudio::kSuccess;
}

// moduleKind: -1 for the first registered input that takes the name (memory
// before file), or the kind of one input module.
XAUDIO_EXPORT int decoder_input_new(XaudioLibraryDecoder* decoder, const char* name,
                                    int moduleKind) {
    State* state = StateOf(decoder);
    if (state == nullptr || name == nullptr) return xaudio::kBadArgument;
    if (state->hasInput) return xaudio::kBadArgument;
    bool tryMemory = state->memoryInputRegistered &&
                     (moduleKind == -1 || moduleKind == static_cast<int>(kMemoryInputKind));
    bool tryFile = state->fileInputRegistered &&
                   (moduleKind == -1 || moduleKind == static_cast<int>(kFileInputKind));
    if (tryMemory && ParseMemoryName(name, &state->data, &state->length)) {
        state->hasInput = true;
        return xaudio::kSuccess;
    }
    if (tryFile && ReadFile(name, &state->fileBytes)) {
        state->data = state->fileBytes.data();
        state->length = state->fileBytes.size();
        state->hasInput = true;
        return xaudio::kSuccess;
    }
    return xaudio::kNoSuchInput;
}

XAUDIO_EXPORT int decoder_input_open(XaudioLibraryDecoder* decoder) {
    State* state = StateOf(decoder);
    if (state == nullptr) return xaudio::kBadArgument;
    if (!state->hasInput) return xaudio::kNoSuchInput;
    if (!state->codecRegistered || state->library == nullptr) return xaudio::kNoCodec;
    int result = RestartAt(state, 0);
    state->inputOpen = result == xaudio::kSuccess;
    return result;
}

XAUDIO_EXPORT int decoder_input_close(XaudioLibraryDecoder* decoder) {
    State* state = StateOf(decoder);
    if (state == nullptr) return xaudio::kBadArgument;
    if (state->inputOpen) mpg123_close(state->library);
    state->inputOpen = false;
    state->output = XaudioOutputBuffer{};
    return xaudio::kSuccess;
}

XAUDIO_EXPORT int decoder_input_delete(XaudioLibraryDecoder* decoder) {
    State* state = StateOf(decoder);
    if (state == nullptr) return xaudio::kBadArgument;
    decoder_input_close(decoder);
    state->hasInput = false;
    state->data = nullptr;
    state->length = 0;
    state->position = 0;
    state->fileBytes = {};
    return xaudio::kSuccess;
}

XAUDIO_EXPORT int decoder_delete(XaudioLibraryDecoder* decoder) {
    State* state = StateOf(decoder);
    if (state == nullptr) return xaudio::kBadArgument;
    decoder_input_delete(decoder);
    if (state->library != nullptr) mpg123_delete(state->library);
    delete state;
    return xaudio::kSuccess;
}

XAUDIO_EXPORT int decoder_codec_set_quality(XaudioLibraryDecoder* decoder, int quality) {
    State* state = StateOf(decoder);
    if (state == nullptr) return xaudio::kBadArgument;
    // Full quality is the only one; the setting is kept for callers that ask.
    state->quality = quality;
    return xaudio::kSuccess;
}

XAUDIO_EXPORT int decoder_decode(XaudioLibraryDecoder* decoder, void* /*reserved*/) {
    State* state = StateOf(decoder);
    if (state == nullptr) return xaudio::kBadArgument;
    if (!state->inputOpen) return xaudio::kInputNotOpen;
    state->output = XaudioOutputBuffer{};
    bool fed = false;
    // A format change is reported once before its first frame; a few turns
    // are plenty, the bound only guards against a library that loops.
    for (int turn = 0; turn < 8; ++turn) {
        off_t frameNumber = 0;
        unsigned char* audio = nullptr;
        size_t bytes = 0;
        int result = mpg123_decode_frame(state->library, &frameNumber, &audio, &bytes);
        if (result == MPG123_NEW_FORMAT) {
            int channels = 0;
            int encoding = 0;
            if (mpg123_getformat(state->library, &state->sampleRate, &channels, &encoding) !=
                    MPG123_OK ||
                encoding != MPG123_ENC_SIGNED_16 || channels < 1 || channels > 2) {
                return xaudio::kDecodeFailed;
            }
            state->channels = channels;
            continue;
        }
        if (result == MPG123_OK) {
            if (audio == nullptr || bytes == 0 || state->channels == 0) {
                return xaudio::kFrameSkipped;
            }
            if (bytes > xaudio::kMaxFrameBytes) bytes = xaudio::kMaxFrameBytes;
            uint32_t channels = static_cast<uint32_t>(state->channels);
            state->output.samples = reinterpret_cast<const int16_t*>(audio);
            state->output.samplesPerChannel = static_cast<uint32_t>(bytes / (2 * channels));
            state->output.bytesPerSample = 2;
            state->output.channels = channels;
            state->output.sampleRate = static_cast<uint32_t>(state->sampleRate);
            return xaudio::kSuccess;
        }
        if (result != MPG123_NEED_MORE) return xaudio::kDecodeFailed;
        if (state->position >= state->length) return xaudio::kEndOfInput;
        if (fed) return xaudio::kNeedMoreInput;
        size_t piece = state->length - state->position;
        if (piece > kFeedBytes) piece = kFeedBytes;
        if (mpg123_feed(state->library, state->data + state->position, piece) != MPG123_OK) {
            return xaudio::kDecodeFailed;
        }
        state->position += piece;
        fed = true;
    }
    return xaudio::kFrameSkipped;
}

XAUDIO_EXPORT int decoder_input_seek_to_position(XaudioLibraryDecoder* decoder, uint32_t position) {
    State* state = StateOf(decoder);
    if (state == nullptr) return xaudio::kBadArgument;
    if (!state->inputOpen) return xaudio::kInputNotOpen;
    return RestartAt(state, position);
}

XAUDIO_EXPORT int decoder_input_seek_to_offset(XaudioLibraryDecoder* decoder, uint32_t offset) {
    State* state = StateOf(decoder);
    if (state == nullptr) return xaudio::kBadArgument;
    if (!state->inputOpen) return xaudio::kInputNotOpen;
    return RestartAt(state, state->position + offset);
}
