#pragma once
// The converter's own chip picture, packed as "chip.rbp" at the head of every
// graphics archive: 128 x 128 pixels of 8 bits with an 8-colour palette whose
// first colour is the magenta transparent key.

#include <array>
#include <cstdint>

#include "kitshift/crx_decoder.h"

namespace kitshift {

inline constexpr int kChipSize = 128;
inline constexpr int kChipColours = 8;

struct ChipBitmap {
    // Blue, green, red per entry; entry 0 is magenta.
    std::array<std::array<uint8_t, 3>, kChipColours> palette;
    // Palette indices, rows from the bottom up as the bitmap stores them.
    std::array<uint8_t, kChipSize * kChipSize> indices;
};

// Built once; the same bytes every run.
const ChipBitmap& BuiltInChipBitmap();

// The bitmap as a picture for the RBP encoders (rows from the top).
SourcePicture ChipSourcePicture();

}  // namespace kitshift
