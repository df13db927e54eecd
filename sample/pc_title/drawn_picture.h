#pragma once
// A picture of the sample title as drawn, before it is stored as .crx.

#include <cstdint>

#include "formats/byte_io.h"

namespace pc_title {

// A picture as drawn: width x height pixels of blue, green, red, rows from
// the top. Pure magenta (255, 0, 255) is the transparent key.
struct DrawnPicture {
    uint16_t width = 0;
    uint16_t height = 0;
    formats::ByteVector pixels;
};

}  // namespace pc_title
