// Decodes arbitrary streams into a bounded buffer, and checks that the
// encoder's output of the same bytes decodes back to them.
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <vector>

#include "formats/lzss.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size < 2) return 0;
    size_t capacity = (data[0] | (data[1] << 8)) % 8192;
    std::span<const uint8_t> stream(data + 2, size - 2);
    std::vector<uint8_t> decoded(capacity);
    size_t produced = formats::LzssDecode(decoded, stream);
    if (produced > capacity) __builtin_trap();

    if (stream.empty()) return 0;
    std::vector<uint8_t> encoded(stream.size() * 2);
    int64_t written = formats::LzssEncode(encoded, stream);
    if (written < 0 || static_cast<size_t>(written) > encoded.size()) __builtin_trap();
    std::vector<uint8_t> back(stream.size());
    produced = formats::LzssDecode(
        back, std::span<const uint8_t>(encoded.data(), static_cast<size_t>(written)));
    if (produced != stream.size() || std::memcmp(back.data(), stream.data(), stream.size()) != 0)
        __builtin_trap();
    return 0;
}
