#pragma once
// PNG encoding for mirtool's picture commands.

#include <cstdint>
#include <string>

#include "formats/byte_io.h"

namespace mirtool {

enum class PngLayout { kBgr, kBgra };

// Encodes width x height pixels (rows from the top, no padding) as a PNG
// file in memory. False with a reason on failure.
bool EncodePng(formats::ByteSpan pixels, uint32_t width, uint32_t height, PngLayout layout,
               formats::ByteVector* file, std::string* error);

}  // namespace mirtool
