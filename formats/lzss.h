#pragma once
// The LZSS coder of the archive format: a 2048-byte ring that starts writing
// at 2031, groups of a flag byte (least significant bit first, 1 = literal)
// and up to eight items; a reference is two bytes holding a 11-bit ring
// position and a length of 2 to 17.

#include <cstddef>
#include <cstdint>
#include <span>

namespace formats {

inline constexpr int kLzssRingSize = 2048;
inline constexpr int kLzssMaxMatch = 17;
inline constexpr int kLzssRingStart = kLzssRingSize - kLzssMaxMatch;  // 2031

// The most bytes an LZSS stream of `sourceLength` bytes can decode to: a
// group of 17 bytes yields at most 8 references of 17 bytes each. Readers
// refuse larger promised sizes before allocating.
inline constexpr uint64_t LzssMaxDecodedSize(uint64_t sourceLength) {
    return (sourceLength / 17 + 1) * 8 * kLzssMaxMatch;
}

// Encodes source into destination, which must hold at least twice the source
// length. Returns the bytes written, or -1 for an empty source. The output is
// fixed byte for byte: the same input always gives the same stream.
int64_t LzssEncode(std::span<uint8_t> destination, std::span<const uint8_t> source);

// Decodes until the source is used up (also in the middle of a group or of a
// reference) or the destination is full, and returns the bytes written. The
// destination's size is a hard bound: a hostile stream never writes past it.
size_t LzssDecode(std::span<uint8_t> destination, std::span<const uint8_t> source);

}  // namespace formats
