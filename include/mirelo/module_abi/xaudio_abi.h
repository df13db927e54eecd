#pragma once
// The calling contract of the module "xaudio.so": a decoder object that a
// caller builds up by registering a codec and input modules, then opens an
// input on and pulls decoded frames from, one per decoder_decode call. Both
// the module and the engine's binding include this header.
//
// Inputs are named. The memory input takes "LENGTH@ADDRESS", both in
// hexadecimal (the address may carry a "0x" prefix): the bytes stay the
// caller's and must outlive the input. The file input takes a host path.
//
// Thread safety: one decoder is used by one thread at a time; distinct
// decoders are independent.

#include <cstdint>

extern "C" {

// Filled by decoder_decode when it returns kXaudioSuccess; valid until the
// next call on the decoder.
struct XaudioOutputBuffer {
    const int16_t* samples;  // interleaved
    uint32_t samplesPerChannel;
    uint32_t bytesPerSample;  // always 2
    uint32_t channels;
    uint32_t sampleRate;
};

struct XaudioLibraryDecoder {
    XaudioOutputBuffer* outputBuffer;
    void* state;  // the module's own
};

// Filled by the *_module_register calls, then handed to the decoder.
struct XaudioModuleDescription {
    uint32_t kind;
    uint32_t version;
    char name[24];
};

}  // extern "C"

namespace xaudio {

inline constexpr int kSuccess = 0;
// No frame this time: more input was taken in, or the stream changed format.
inline constexpr int kNeedMoreInput = -700;
inline constexpr int kFrameSkipped = -104;
// Anything else ends the stream.
inline constexpr int kEndOfInput = -1;
inline constexpr int kDecodeFailed = -2;
inline constexpr int kBadArgument = -3;
inline constexpr int kNoSuchInput = -101;
inline constexpr int kInputNotOpen = -102;
inline constexpr int kNoCodec = -103;
inline constexpr int kOutOfMemory = -105;

// The largest frame decoder_decode delivers: 1152 stereo 16-bit samples.
inline constexpr uint32_t kMaxFrameBytes = 4608;

using DecoderNewFunction = int (*)(XaudioLibraryDecoder** decoder);
using ModuleRegisterFunction = int (*)(XaudioModuleDescription* description);
using DecoderModuleRegisterFunction = int (*)(XaudioLibraryDecoder* decoder,
                                              const XaudioModuleDescription* description);
using InputNewFunction = int (*)(XaudioLibraryDecoder* decoder, const char* name, int moduleIndex);
using DecoderFunction = int (*)(XaudioLibraryDecoder* decoder);
using SetQualityFunction = int (*)(XaudioLibraryDecoder* decoder, int quality);
using DecodeFunction = int (*)(XaudioLibraryDecoder* decoder, void* reserved);
using SeekFunction = int (*)(XaudioLibraryDecoder* decoder, uint32_t position);

// decoder_new, mpeg_codec_module_register, decoder_codec_module_register,
// file_input_module_register, memory_input_module_register,
// decoder_input_module_register, decoder_input_new, decoder_input_delete,
// decoder_delete, decoder_input_open, decoder_input_close,
// decoder_codec_set_quality, decoder_decode, decoder_input_seek_to_position
// (a byte position from the start), decoder_input_seek_to_offset (a byte
// offset from the current input position).
inline constexpr const char* kExportNames[15] = {
    "decoder_new",
    "mpeg_codec_module_register",
    "decoder_codec_module_register",
    "file_input_module_register",
    "memory_input_module_register",
    "decoder_input_module_register",
    "decoder_input_new",
    "decoder_input_delete",
    "decoder_delete",
    "decoder_input_open",
    "decoder_input_close",
    "decoder_codec_set_quality",
    "decoder_decode",
    "decoder_input_seek_to_position",
    "decoder_input_seek_to_offset",
};

}  // namespace xaudio
