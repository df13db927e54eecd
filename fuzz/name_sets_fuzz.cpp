// Decodes arbitrary "rysys.dat" files; an accepted file encodes back to
// exactly its own bytes.
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string>

#include "engine/persist/seen_data.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    persist::NameSets sets;
    std::string why;
    if (!persist::DecodeNameSets(formats::ByteSpan(data, size), &sets, &why)) {
        if (why.empty()) __builtin_trap();
        return 0;
    }
    formats::ByteVector bytes = persist::EncodeNameSets(sets);
    if (bytes.size() != size || std::memcmp(bytes.data(), data, size) != 0) __builtin_trap();
    return 0;
}
