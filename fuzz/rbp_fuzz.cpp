// Feeds arbitrary bytes to the RBP header parser and every pixel decoder.
// Whatever the header claims, nothing may read past the input.

#include <cstdint>
#include <cstdlib>

#include "formats/rbp.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    formats::ByteSpan file(data, size);
    formats::RbpHeader header;
    if (!formats::ParseRbpHeader(file, &header, nullptr)) return 0;
    formats::ByteVector keyed, unkeyed, alpha;
    if (!formats::DecodeRbpPixels(file, header, formats::RbpKeying::Keyed, &keyed, nullptr) ||
        !formats::DecodeRbpPixels(file, header, formats::RbpKeying::Unkeyed, &unkeyed, nullptr))
        std::abort();  // a parsed header always decodes
    formats::DecodeRbpMaskAlpha(file, header, &alpha, nullptr);

    // Pixels decoded from RGB565 lie on its grid, so type 11 keeps them exactly.
    if (header.pixelType == formats::kRbpTypeRgb565) {
        formats::ByteVector again;
        formats::RbpHeader againHeader;
        if (!formats::EncodeRbpType11(unkeyed, header.width, header.height, header.designWidth,
                                      header.designHeight, &again, nullptr) ||
            !formats::ParseRbpHeader(again, &againHeader, nullptr) ||
            !formats::DecodeRbpPixels(again, againHeader, formats::RbpKeying::Keyed, &keyed,
                                      nullptr) ||
            keyed != unkeyed)
            std::abort();
    }
    return 0;
}
