#pragma once
// Writing the PC title's .crx pictures in both storage schemes, so that tests
// and the sample title can make source pictures for the converter.

#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include "formats/byte_io.h"

namespace pc_title {

enum class CrxWriteScheme { Lz, Zlib };

struct CrxSource {
    uint16_t width = 0;
    uint16_t height = 0;
    // Without a palette: width x height pixels of blue, green, red.
    // With a palette: width x height indices into it.
    formats::ByteVector pixels;
    // Entries as blue, green, red; empty for a 24-bit picture. At most 256.
    std::vector<std::array<uint8_t, 3>> palette;
};

struct CrxWriteOptions {
    CrxWriteScheme scheme = CrxWriteScheme::Zlib;
    // Zlib scheme without a palette: row y uses rowFilters[y % size] (0 to 4);
    // empty means filter 0 everywhere.
    std::vector<uint8_t> rowFilters;
};

// Appends nothing on failure; error says why (sizes that do not match, an
// unknown filter, a palette of more than 256 entries).
bool WriteCrx(const CrxSource& source, const CrxWriteOptions& options, formats::ByteVector* out,
              std::string* error);

}  // namespace pc_title
