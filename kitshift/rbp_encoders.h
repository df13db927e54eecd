#pragma once
// Shrinking the PC title's 800 x 600 pictures to two fifths and re-encoding
// them as RBP, with the rule that picks the encoding per file.

#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

#include "formats/byte_io.h"
#include "kitshift/crx_decoder.h"

namespace kitshift {

// Each returns the whole RBP file in *out (header with the source size as
// design size, then pixels), or false with nothing written and a reason.
// Pictures under 3 pixels wide or high shrink to nothing and are refused by
// the three shrinking encoders.

// "MBP1", type 13, shrunk: (step+1)-square boxes, magenta not counted, an
// empty box gives the key colour.
bool EncodeRbpOpaque(const SourcePicture& picture, formats::ByteVector* out, std::string* error);
// "MBP1", type 13, same size: magenta becomes the key colour.
bool EncodeRbpOpaqueFull(const SourcePicture& picture, formats::ByteVector* out,
                         std::string* error);
// "MBP2", type 11, shrunk: a pixel is either fully opaque in its exact average
// colour or fully transparent.
bool EncodeRbpAlpha(const SourcePicture& picture, formats::ByteVector* out, std::string* error);
// "MBP2", type 11, shrunk: transparent pixels count as black with alpha 0, so
// edges fade. 24-bit pictures only.
bool EncodeRbpBlended(const SourcePicture& picture, formats::ByteVector* out, std::string* error);

enum class RbpConversion { Opaque, Alpha, Blended };

// The two name lists that come with the data set.
struct PictureLists {
    std::vector<std::string> blended;  // used only for the title at kBlendedTitleIndex
    std::vector<std::string> alpha;    // used for every title, after the blended list
};

inline constexpr int kBlendedTitleIndex = 3;

// Reads the text format documented in kitshift/picture_lists.txt: "[blended]"
// and "[alpha]" start a list, every other non-empty line not starting with
// '#' is one file name (surrounding blanks removed).
PictureLists ParsePictureLists(std::string_view text);
// A missing or unreadable file gives empty lists.
PictureLists LoadPictureLists(const std::filesystem::path& path);

// Names are compared ignoring ASCII case, double-byte characters exactly.
RbpConversion SelectRbpConversion(const PictureLists& lists, int titleIndex,
                                  std::string_view fileName);

}  // namespace kitshift
