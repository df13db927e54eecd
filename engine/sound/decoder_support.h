#pragma once
// Pieces shared by the two decoder bindings: the lock of each module kind,
// the source rules (trailing tag, mapped source files) and the duration
// arithmetic. Internal to engine/sound.

#include <cstdint>
#include <mutex>
#include <string>
#include <vector>

#include "engine/sound/decoder_binding.h"
#include "platform/mapped_file.h"
#include "platform/wave_out.h"

namespace sound {

// One lock per module kind, shared by every binding of that kind. It lives
// as long as the process, so that a binding can never take a lock that
// another one has already deleted.
std::mutex& ModuleLock(DecoderKind kind);

// What keeps a module kind's code mapped: the bindings that loaded it and
// the streams open on its functions. A binding that unloads while streams of
// its kind are still open hands its module reference over, and the last
// stream to close frees it, so no open stream is ever left without code.
// Each kind's SharedModule (shared_module.h) keeps one; every call is made
// under the kind's lock.
class ModuleUsers {
public:
    void AddHolder() { ++holders_; }
    // Returns true when the kind's functions must be forgotten.
    bool ReleaseHolder(void* module);
    void AddStream() { ++streams_; }
    // Returns true when the kind's functions must be forgotten.
    bool ReleaseStream();

private:
    int holders_ = 0;
    int streams_ = 0;
    std::vector<void*> retired_;
};

// The bytes of a memory image that are decoded: a trailing 128-byte tag
// block (starting with "TAG") of an image longer than 160 bytes is left out.
uint32_t LengthWithoutTrailingTag(const uint8_t* data, uint32_t length);

// Duration in milliseconds of dataLength bytes at the bitrate of the MPEG
// audio Layer III header in the 4 bytes (big-endian); 0 when they are not
// such a header or name no fixed bitrate.
uint32_t DurationFromFrameHeader(const uint8_t* header, uint32_t dataLength);

// dataLength x 8 / kbit/s, 0 for an unknown bitrate.
uint32_t DurationFromBitrate(uint32_t dataLength, uint32_t bitrateKbps);

// bytesPerSecond x (durationMs / 1000 + 1), capped at 2^32 - 1.
uint32_t EstimateBytes(uint32_t bytesPerSecond, uint32_t durationMs);

// The format block of 16-bit PCM at the given channel count and rate.
platform::WaveFormat PcmFormat(uint32_t channels, uint32_t sampleRate);
platform::WaveFormat ZeroFormat();

// Maps a whole file named by a device path as a decoder's source: false
// (and nothing held) for a missing, empty or unmappable file, or one of
// 4 GiB or more, whose length a binding could not count.
bool MapSourceFile(const std::string& devicePath, platform::MappedFile* file);

}  // namespace sound
