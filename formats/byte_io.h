#pragma once
// Little-endian reading and writing over byte spans. Every reader of a file
// format checks a range with HasRange before it reads, in 64-bit arithmetic,
// so that a size or offset taken from a file can never reach past the bytes
// that are really there.

#include <cstddef>
#include <cstdint>
#include <span>
#include <vector>

namespace formats {

using ByteSpan = std::span<const uint8_t>;
using ByteVector = std::vector<uint8_t>;

// True when [offset, offset + size) lies inside bytes.
inline bool HasRange(ByteSpan bytes, uint64_t offset, uint64_t size) {
    return offset <= bytes.size() && size <= bytes.size() - offset;
}

// Callers check HasRange(bytes, offset, 2 or 4) first.
inline uint16_t ReadLe16(ByteSpan bytes, size_t offset) {
    return static_cast<uint16_t>(bytes[offset] | (bytes[offset + 1] << 8));
}

inline uint32_t ReadLe32(ByteSpan bytes, size_t offset) {
    return static_cast<uint32_t>(bytes[offset]) | (static_cast<uint32_t>(bytes[offset + 1]) << 8) |
           (static_cast<uint32_t>(bytes[offset + 2]) << 16) |
           (static_cast<uint32_t>(bytes[offset + 3]) << 24);
}

inline void StoreLe16(uint8_t* out, uint16_t value) {
    out[0] = static_cast<uint8_t>(value);
    out[1] = static_cast<uint8_t>(value >> 8);
}

inline void StoreLe32(uint8_t* out, uint32_t value) {
    out[0] = static_cast<uint8_t>(value);
    out[1] = static_cast<uint8_t>(value >> 8);
    out[2] = static_cast<uint8_t>(value >> 16);
    out[3] = static_cast<uint8_t>(value >> 24);
}

inline void AppendLe16(ByteVector& out, uint16_t value) {
    out.push_back(static_cast<uint8_t>(value));
    out.push_back(static_cast<uint8_t>(value >> 8));
}

inline void AppendLe32(ByteVector& out, uint32_t value) {
    AppendLe16(out, static_cast<uint16_t>(value));
    AppendLe16(out, static_cast<uint16_t>(value >> 16));
}

}  // namespace formats
