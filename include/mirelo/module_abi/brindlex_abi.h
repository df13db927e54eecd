#pragma once
// The calling contract of the module "Brindlex.ovl": five C exports and the
// fields of the decoder handle that callers read directly. Both the module
// and the engine's binding include this header; nothing else is shared.
//
// A caller hands the module whole MPEG audio Layer III frames, one per
// __mp3_decode call, after __mp3_predecode has accepted the frame's header
// and published its length in the handle.
//
// Thread safety: a handle is used by one thread at a time; distinct handles
// are independent.

#include <cstddef>
#include <cstdint>
#include <cstring>

namespace brindlex {

// Handle fields, as byte offsets from the handle pointer (little-endian).
inline constexpr size_t kHandleChannelsOffset = 12;     // uint16_t: 1 or 2
inline constexpr size_t kHandleFrameLengthOffset = 48;  // uint32_t: set by __mp3_predecode
inline constexpr size_t kHandleBitrateOffset = 60;      // uint32_t: kbit/s of the last header
inline constexpr size_t kHandleSampleRateOffset = 64;   // uint32_t: Hz
inline constexpr size_t kHandlePublicBytes = 68;

// One frame of 1152 stereo 16-bit samples: the size of the PCM buffer that
// __mp3_decode writes.
inline constexpr uint32_t kPcmBufferBytes = 4608;
// Two of the largest Layer III frames (1441 bytes): the caller's frame buffer.
inline constexpr uint32_t kFrameBufferBytes = 2882;

using GetDecVerFunction = uint32_t (*)();
// header: the first 4 bytes of the stream. Null when they are not a Layer III
// frame header the module can decode.
using CreateFunction = void* (*)(const uint8_t* header);
using DestroyFunction = void (*)(void* handle);
// 0 when the 4 bytes begin a frame of the stream (the frame length is then
// in the handle); nonzero otherwise.
using PredecodeFunction = int (*)(void* handle, const uint8_t* header);
// Decodes the frame of frameLength bytes into pcm (kPcmBufferBytes); returns
// the samples per channel written, 0 when the frame could not be decoded.
using DecodeFunction = int (*)(void* handle, uint8_t* pcm, const uint8_t* frame,
                               uint32_t frameLength);

inline constexpr const char* kGetDecVerName = "__mp3_getdecver";
inline constexpr const char* kCreateName = "__mp3_create";
inline constexpr const char* kDestroyName = "__mp3_destroy";
inline constexpr const char* kPredecodeName = "__mp3_predecode";
inline constexpr const char* kDecodeName = "__mp3_decode";

// Reads a handle field without assuming anything about the module's types.
inline uint32_t ReadHandleField32(const void* handle, size_t offset) {
    uint32_t value = 0;
    std::memcpy(&value, static_cast<const uint8_t*>(handle) + offset, sizeof value);
    return value;
}

inline uint16_t ReadHandleField16(const void* handle, size_t offset) {
    uint16_t value = 0;
    std::memcpy(&value, static_cast<const uint8_t*>(handle) + offset, sizeof value);
    return value;
}

}  // namespace brindlex
