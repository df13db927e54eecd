#include "formats/crx_row_filter.h"

namespace formats {

void CrxUnfilterRow(uint8_t filter, const uint8_t* stored, const uint8_t* above, size_t rowBytes,
                    uint8_t* row) {
    // Filter 0 predicts from bytes of this row that are already restored.
    for (size_t j = 0; j < rowBytes; ++j) {
        row[j] = static_cast<uint8_t>(stored[j] + CrxPrediction(filter, row, above, j, rowBytes));
    }
}

void CrxFilterRow(uint8_t filter, const uint8_t* row, const uint8_t* above, size_t rowBytes,
                  uint8_t* stored) {
    for (size_t j = 0; j < rowBytes; ++j) {
        stored[j] = static_cast<uint8_t>(row[j] - CrxPrediction(filter, row, above, j, rowBytes));
    }
}

}  // namespace formats
