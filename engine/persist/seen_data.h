#pragma once
// What the engine remembers across play-throughs, as bytes and plain values:
// "rysys.dat" (the images ever shown and the scripts ever started) and
// "mes.dat" (which messages of which script were read). Decoders refuse a
// file whose counts or sizes do not fit it, leaving the output untouched.
//
// "rysys.dat": "MMG1", then per set: name count, byte total of the names,
// the names each ending in a zero byte. "mes.dat": entry count, then per
// entry the script's name ending in a zero byte and 64 flag bytes.

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "formats/byte_io.h"

namespace persist {

inline constexpr size_t kReadFlagBytes = 64;
// Names are kept in 64-byte fields by the lists that use them.
inline constexpr size_t kMaxSeenName = 63;

struct NameSets {
    std::vector<std::string> images;   // set 0, in insertion order
    std::vector<std::string> scripts;  // set 1
    bool operator==(const NameSets&) const = default;
};

// Adds a name unless one equal to it without regard to ASCII letter case is
// already there. True when it was added.
bool AddSeenName(std::vector<std::string>& set, std::string_view name);
bool ContainsSeenName(const std::vector<std::string>& set, std::string_view name);

formats::ByteVector EncodeNameSets(const NameSets& sets);
bool DecodeNameSets(formats::ByteSpan bytes, NameSets* sets, std::string* why);

struct ReadFlagEntry {
    std::string scriptName;  // Shift-JIS
    std::array<uint8_t, kReadFlagBytes> bits{};
    bool operator==(const ReadFlagEntry&) const = default;
};

formats::ByteVector EncodeReadFlagFile(const std::vector<ReadFlagEntry>& entries);
bool DecodeReadFlagFile(formats::ByteSpan bytes, std::vector<ReadFlagEntry>* entries,
                        std::string* why);

}  // namespace persist
