// Feeds arbitrary bytes to the .crx reader and hands whatever it accepts to
// every RBP conversion. Nothing may read or write past a buffer, and an
// accepted picture must hold exactly width x height pixels.

#include <cstdint>
#include <cstdlib>

#include "kitshift/crx_decoder.h"
#include "kitshift/rbp_encoders.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    kitshift::SourcePicture picture;
    if (!kitshift::DecodeCrx(formats::ByteSpan(data, size), &picture, nullptr)) return 0;
    if (picture.pixels.size() != uint64_t{picture.width} * picture.height * 3) std::abort();
    // Keep each run quick: the encoders' cost grows with the picture.
    if (picture.pixels.size() > (1u << 20)) return 0;
    formats::ByteVector out;
    kitshift::EncodeRbpOpaque(picture, &out, nullptr);
    kitshift::EncodeRbpOpaqueFull(picture, &out, nullptr);
    kitshift::EncodeRbpAlpha(picture, &out, nullptr);
    kitshift::EncodeRbpBlended(picture, &out, nullptr);
    return 0;
}
