// Decodes arbitrary "mes.dat" files; an accepted file encodes back to
// exactly its own bytes.
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

#include "engine/persist/seen_data.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    std::vector<persist::ReadFlagEntry> entries;
    std::string why;
    if (!persist::DecodeReadFlagFile(formats::ByteSpan(data, size), &entries, &why)) {
        if (why.empty()) __builtin_trap();
        return 0;
    }
    formats::ByteVector bytes = persist::EncodeReadFlagFile(entries);
    if (bytes.size() != size || std::memcmp(bytes.data(), data, size) != 0) __builtin_trap();
    return 0;
}
