#include "kitshift/chip_picture.h"

namespace kitshift {

namespace {

// Eight by eight chips of 16 x 16 pixels: round markers in the seven
// opaque colours, each with a dark outline, on the transparent key, so the
// map screen has pins to draw with.
ChipBitmap MakeChipBitmap() {
    ChipBitmap bitmap{};
    bitmap.palette = {{{255, 0, 255},      // key
                       {16, 16, 16},       // outline
                       {248, 248, 248},    // white
                       {48, 48, 224},      // red
                       {64, 192, 64},      // green
                       {224, 112, 40},     // blue
                       {40, 208, 240},     // yellow
                       {144, 144, 144}}};  // grey
    constexpr int kCell = 16;
    for (int y = 0; y < kChipSize; ++y) {
        for (int x = 0; x < kChipSize; ++x) {
            int cell = (y / kCell) * (kChipSize / kCell) + x / kCell;
            int dx = 2 * (x % kCell) - (kCell - 1);
            int dy = 2 * (y % kCell) - (kCell - 1);
            int distance = dx * dx + dy * dy;  // in half pixels, squared
            // Chip sizes grow along each row of chips.
            int radius = 2 * (3 + cell % 8 * 5 / 7);
            uint8_t index = 0;
            if (distance <= radius * radius) {
                index = static_cast<uint8_t>(2 + cell % 6 + (cell / 8) % 2);
                if (index >= kChipColours) index = 2;
            } else if (distance <= (radius + 2) * (radius + 2)) {
                index = 1;
            }
            // Stored bottom-up.
            bitmap.indices[(kChipSize - 1 - y) * kChipSize + x] = index;
        }
    }
    return bitmap;
}

}  // namespace

const ChipBitmap& BuiltInChipBitmap() {
    static const ChipBitmap bitmap = MakeChipBitmap();
    return bitmap;
}

SourcePicture ChipSourcePicture() {
    const ChipBitmap& bitmap = BuiltInChipBitmap();
    SourcePicture picture;
    picture.width = kChipSize;
    picture.height = kChipSize;
    picture.bitsPerPixel = 8;
    picture.scheme = CrxScheme::Lz;
    picture.pixels.resize(size_t{kChipSize} * kChipSize * 3);
    for (int y = 0; y < kChipSize; ++y) {
        const uint8_t* row = &bitmap.indices[(kChipSize - 1 - y) * kChipSize];
        for (int x = 0; x < kChipSize; ++x) {
            const auto& colour = bitmap.palette[row[x]];
            uint8_t* pixel = &picture.pixels[(size_t{static_cast<size_t>(y)} * kChipSize + x) * 3];
            pixel[0] = colour[0];
            pixel[1] = colour[1];
            pixel[2] = colour[2];
        }
    }
    return picture;
}

}  // namespace kitshift
