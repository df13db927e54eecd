// The .crx row prediction, pinned by hand-computed rows: the reader and the
// sample writer share it, so a round trip alone could not catch a wrong
// predictor.

#include "formats/crx_row_filter.h"

#include <gtest/gtest.h>

#include <vector>

namespace {

using Bytes = std::vector<uint8_t>;

TEST(CrxRowFilter, EachFilterPredictsFromItsNeighbourAndUndoes) {
    const Bytes above = {10, 20, 30, 40, 50, 60};
    const Bytes row = {11, 22, 33, 44, 55, 66};
    const Bytes expected[] = {
        {11, 22, 33, 33, 33, 33},     // 0: the pixel to the left
        {1, 2, 3, 4, 5, 6},           // 1: the pixel above
        {11, 22, 33, 34, 35, 36},     // 2: above left
        {227, 228, 229, 44, 55, 66},  // 3: above right, wrapping below zero
    };
    for (uint8_t filter = 0; filter < formats::kCrxPredictionFilters; ++filter) {
        Bytes stored(row.size());
        formats::CrxFilterRow(filter, row.data(), above.data(), row.size(), stored.data());
        EXPECT_EQ(stored, expected[filter]) << "filter " << int{filter};
        Bytes restored(row.size());
        formats::CrxUnfilterRow(filter, stored.data(), above.data(), row.size(), restored.data());
        EXPECT_EQ(restored, row) << "filter " << int{filter};
    }
}

}  // namespace
