#pragma once
// The row prediction of the PC title's .crx pictures (zlib scheme, 24-bit):
// every byte of a row is stored as its difference from a prediction taken
// from the row itself or the row above. The converter's reader undoes it and
// the sample title's writer applies it, both with these functions, so the
// two cannot drift apart.
//
// Filters 0 to 3 only; filter 4 (run lengths per colour plane) is a coding of
// its own. The first row has no row above: a row of zeros stands in for it.

#include <cstddef>
#include <cstdint>

namespace formats {

inline constexpr uint8_t kCrxPredictionFilters = 4;

// The prediction for byte j of a row of rowBytes bytes (3 per pixel) under
// filter 0 (the pixel to the left), 1 (the pixel above), 2 (above left) or
// 3 (above right); bytes outside the row predict 0. `row` holds the row's
// real bytes up to j, `above` the whole row above.
inline uint8_t CrxPrediction(uint8_t filter, const uint8_t* row, const uint8_t* above, size_t j,
                             size_t rowBytes) {
    switch (filter) {
        case 0:
            return j >= 3 ? row[j - 3] : 0;
        case 1:
            return above[j];
        case 2:
            return j >= 3 ? above[j - 3] : 0;
        default:  // 3
            return j + 3 < rowBytes ? above[j + 3] : 0;
    }
}

// Stored bytes back to the row's bytes.
void CrxUnfilterRow(uint8_t filter, const uint8_t* stored, const uint8_t* above, size_t rowBytes,
                    uint8_t* row);

// The row's bytes to the bytes stored for it.
void CrxFilterRow(uint8_t filter, const uint8_t* row, const uint8_t* above, size_t rowBytes,
                  uint8_t* stored);

}  // namespace formats
