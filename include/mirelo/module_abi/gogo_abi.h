#pragma once
// The calling contract of the MP3 encoder module "gogo.so": a process-wide
// encoder that a caller prepares with MPGE_initializeWork, configures item by
// item with MPGE_setConfigure, checks with MPGE_detectConfigure, drives one
// frame at a time with MPGE_processFrame and releases with MPGE_closeCoder and
// MPGE_endCoder. Both the module and the converters' binding include this
// header.
//
// Thread safety: there is one encoder per process; one encoding at a time.

#include <cstdint>

extern "C" {

// Asked for exactly `length` bytes of PCM into `buffer`: 0 when the block was
// filled (padded with zeros at the end of the source), 1 at the end of stream.
typedef int (*MpgeReadFunction)(void* buffer, uint32_t length);
// Handed `length` bytes of MP3 stream; a null block marks the end of output.
// Returns 0 to go on.
typedef int (*MpgeWriteFunction)(const void* buffer, uint32_t length);

// The description of a user-function input (item kMpgeInput, value
// kMpgeUserFunction). The module encodes at most byteCount bytes; the zero
// padding of the last block is not encoded.
struct MpgeUserInput {
    MpgeReadFunction read;
    uint32_t byteCount;
    uint32_t bitsPerSample;  // 8 (unsigned) or 16 (signed little-endian)
    uint32_t sampleRate;     // hertz
    uint32_t channels;       // 1 or 2, interleaved
};

typedef uint32_t MpgeResult;

typedef MpgeResult (*MpgeInitializeWorkFunction)();
// `value` and `pointer` as the item requires (see the items below).
typedef MpgeResult (*MpgeSetConfigureFunction)(uint32_t item, uint32_t value, void* pointer);
// Stores the item's current value in *value.
typedef MpgeResult (*MpgeGetConfigureFunction)(uint32_t item, uint32_t* value);
typedef MpgeResult (*MpgeDetectConfigureFunction)();
typedef MpgeResult (*MpgeProcessFrameFunction)();
typedef MpgeResult (*MpgeCloseCoderFunction)();
typedef MpgeResult (*MpgeEndCoderFunction)();
// Version number (major * 100 + minor) and a NUL-terminated name.
typedef MpgeResult (*MpgeGetVersionFunction)(uint32_t* version, char* text, uint32_t textSize);
// Bit set of the optional units the module uses; always 0 here.
typedef MpgeResult (*MpgeGetUnitStatesFunction)(uint32_t* states);

}  // extern "C"

namespace gogo {

// Results.
inline constexpr MpgeResult kOk = 0;
// MPGE_processFrame: the stream is complete.
inline constexpr MpgeResult kEnd = 1;
inline constexpr MpgeResult kBadItem = 2;
inline constexpr MpgeResult kBadValue = 3;
inline constexpr MpgeResult kNotConfigured = 4;
inline constexpr MpgeResult kEncodeFailed = 5;
inline constexpr MpgeResult kOutputRefused = 6;

// Configuration items.
inline constexpr uint32_t kItemInput = 1;       // value kUserFunction, pointer MpgeUserInput*
inline constexpr uint32_t kItemOutput = 2;      // value kUserFunction, pointer MpgeWriteFunction
inline constexpr uint32_t kItemEncodeMode = 3;  // kModeMono or kModeStereo
inline constexpr uint32_t kItemBitrate = 4;     // kilobits per second
inline constexpr uint32_t kItemOutputFrequency = 6;  // hertz
inline constexpr uint32_t kItemPsychoacoustic = 8;   // 1 uses the model, 0 does not
inline constexpr uint32_t kItemLowPass16k = 9;       // 1 cuts above 16 kHz
inline constexpr uint32_t kItemMmx = 10;             // accepted, no effect

inline constexpr uint32_t kUserFunction = 2;
inline constexpr uint32_t kModeMono = 0;
inline constexpr uint32_t kModeStereo = 1;

}  // namespace gogo
