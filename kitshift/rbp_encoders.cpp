#include "kitshift/rbp_encoders.h"

#include <fstream>
#include <iterator>
#include <utility>

#include "formats/rbp.h"
#include "formats/sjis.h"

namespace kitshift {

namespace {

using formats::ByteVector;

// Design sizes are signed 16-bit in the RBP header.
constexpr uint32_t kMaxSide = 32767;

bool Fail(std::string* error, const char* reason) {
    if (error != nullptr) *error = reason;
    return false;
}

bool IsMagenta(const uint8_t* bgr) {
    return bgr[0] == 255 && bgr[1] == 0 && bgr[2] == 255;
}

bool CheckPicture(const SourcePicture& picture, std::string* error) {
    if (picture.bitsPerPixel != 8 && picture.bitsPerPixel != 24)
        return Fail(error, "picture is neither 8-bit with palette nor 24-bit");
    if (picture.width == 0 || picture.height == 0) return Fail(error, "picture has no pixels");
    if (picture.width > kMaxSide || picture.height > kMaxSide)
        return Fail(error, "picture too large");
    if (picture.pixels.size() != uint64_t{picture.width} * picture.height * 3)
        return Fail(error, "pixel bytes do not match the size");
    return true;
}

// The fixed-point sampling grid of the two-fifths shrink.
struct Grid {
    uint32_t outWidth = 0;
    uint32_t outHeight = 0;
    uint64_t stepX = 0;  // source pixels per output pixel, ten fraction bits
    uint64_t stepY = 0;
    uint32_t boxWidth = 0;  // stepX >> 10
    uint32_t boxHeight = 0;
};

bool MakeGrid(const SourcePicture& picture, Grid* grid, std::string* error) {
    if (!CheckPicture(picture, error)) return false;
    grid->outWidth = 4 * picture.width / 10;
    grid->outHeight = 4 * picture.height / 10;
    if (grid->outWidth == 0 || grid->outHeight == 0)
        return Fail(error, "picture too small to shrink");
    grid->stepX = uint64_t{picture.width} * 1024 / grid->outWidth;
    grid->stepY = uint64_t{picture.height} * 1024 / grid->outHeight;
    grid->boxWidth = static_cast<uint32_t>(grid->stepX >> 10);
    grid->boxHeight = static_cast<uint32_t>(grid->stepY >> 10);
    return true;
}

formats::RbpHeader MakeHeader(const SourcePicture& picture, char version, uint32_t pixelType,
                              uint32_t width, uint32_t height) {
    formats::RbpHeader header;
    header.version = version;
    header.pixelType = pixelType;
    header.width = width;
    header.height = height;
    header.designWidth = static_cast<int16_t>(picture.width);
    header.designHeight = static_cast<int16_t>(picture.height);
    return header;
}

struct BoxSum {
    uint64_t blue = 0, green = 0, red = 0, alpha = 0, count = 0;
    uint16_t Word() const {
        return formats::PackRgb565(static_cast<uint8_t>(red / count),
                                   static_cast<uint8_t>(green / count),
                                   static_cast<uint8_t>(blue / count));
    }
};

// Sums the box of width x height source pixels at (left, top). Pixels outside
// the picture never count; magenta ones count as black with alpha 0 when
// countMagenta is set, else not at all.
BoxSum SumBox(const SourcePicture& picture, uint64_t left, uint64_t top, uint64_t width,
              uint64_t height, bool countMagenta) {
    BoxSum sum;
    for (uint64_t y = top; y < top + height && y < picture.height; ++y) {
        for (uint64_t x = left; x < left + width && x < picture.width; ++x) {
            const uint8_t* pixel = picture.pixels.data() + (y * picture.width + x) * 3;
            if (IsMagenta(pixel)) {
                if (countMagenta) ++sum.count;
                continue;
            }
            sum.blue += pixel[0];
            sum.green += pixel[1];
            sum.red += pixel[2];
            sum.alpha += 255;
            ++sum.count;
        }
    }
    return sum;
}

// Runs `pixel(left, top)` for every output pixel in file order; left and top
// are the output pixel's own source column and row.
template <typename PixelFunction>
void ForEachOutputPixel(const Grid& grid, PixelFunction pixel) {
    uint64_t top = 0;
    for (uint32_t y = 0; y < grid.outHeight; ++y, top += grid.stepY) {
        uint64_t left = 0;
        for (uint32_t x = 0; x < grid.outWidth; ++x, left += grid.stepX)
            pixel(left >> 10, top >> 10);
    }
}

void AppendAlphaPixel(ByteVector& file, uint16_t word, uint8_t alpha) {
    formats::AppendLe16(file, word);
    file.push_back(alpha);
}

}  // namespace

bool EncodeRbpOpaque(const SourcePicture& picture, ByteVector* out, std::string* error) {
    Grid grid;
    if (!MakeGrid(picture, &grid, error)) return false;
    ByteVector file;
    formats::AppendRbpHeader(
        file, MakeHeader(picture, '1', formats::kRbpTypeRgb565, grid.outWidth, grid.outHeight));
    ForEachOutputPixel(grid, [&](uint64_t left, uint64_t top) {
        BoxSum sum = SumBox(picture, left, top, grid.boxWidth + 1, grid.boxHeight + 1, false);
        formats::AppendLe16(file, sum.count != 0 ? sum.Word() : formats::kRbpKeyColour);
    });
    *out = std::move(file);
    return true;
}

bool EncodeRbpOpaqueFull(const SourcePicture& picture, ByteVector* out, std::string* error) {
    if (!CheckPicture(picture, error)) return false;
    ByteVector file;
    formats::AppendRbpHeader(
        file, MakeHeader(picture, '1', formats::kRbpTypeRgb565, picture.width, picture.height));
    for (size_t i = 0; i < picture.pixels.size(); i += 3) {
        const uint8_t* pixel = picture.pixels.data() + i;
        formats::AppendLe16(file, IsMagenta(pixel)
                                      ? formats::kRbpKeyColour
                                      : formats::PackRgb565(pixel[2], pixel[1], pixel[0]));
    }
    *out = std::move(file);
    return true;
}

bool EncodeRbpAlpha(const SourcePicture& picture, ByteVector* out, std::string* error) {
    Grid grid;
    if (!MakeGrid(picture, &grid, error)) return false;
    // LZ palette pictures sample at the pixel's own position, all others one
    // box further on.
    bool ownPosition = picture.scheme == CrxScheme::Lz && picture.bitsPerPixel == 8;
    uint64_t shiftX = ownPosition ? 0 : grid.boxWidth;
    uint64_t shiftY = ownPosition ? 0 : grid.boxHeight;
    ByteVector file;
    formats::AppendRbpHeader(file, MakeHeader(picture, '2', formats::kRbpTypeRgb565Alpha,
                                              grid.outWidth, grid.outHeight));
    ForEachOutputPixel(grid, [&](uint64_t left, uint64_t top) {
        BoxSum sum =
            SumBox(picture, left + shiftX, top + shiftY, grid.boxWidth, grid.boxHeight, false);
        if (sum.count == 0)
            AppendAlphaPixel(file, formats::kRbpKeyColour, 0);
        else
            AppendAlphaPixel(file, sum.Word(), static_cast<uint8_t>(sum.alpha / sum.count));
    });
    *out = std::move(file);
    return true;
}

bool EncodeRbpBlended(const SourcePicture& picture, ByteVector* out, std::string* error) {
    if (picture.bitsPerPixel != 24) return Fail(error, "blended sheets must be 24-bit pictures");
    Grid grid;
    if (!MakeGrid(picture, &grid, error)) return false;
    ByteVector file;
    formats::AppendRbpHeader(file, MakeHeader(picture, '2', formats::kRbpTypeRgb565Alpha,
                                              grid.outWidth, grid.outHeight));
    ForEachOutputPixel(grid, [&](uint64_t left, uint64_t top) {
        BoxSum sum = SumBox(picture, left + grid.boxWidth, top + grid.boxHeight, grid.boxWidth,
                            grid.boxHeight, true);
        if (sum.count == 0)
            AppendAlphaPixel(file, 0, 0);
        else
            AppendAlphaPixel(file, sum.Word(), static_cast<uint8_t>(sum.alpha / sum.count));
    });
    *out = std::move(file);
    return true;
}

PictureLists ParsePictureLists(std::string_view text) {
    PictureLists lists;
    std::vector<std::string>* current = nullptr;
    while (!text.empty()) {
        size_t end = text.find('\n');
        std::string_view line = text.substr(0, end);
        text = end == std::string_view::npos ? std::string_view() : text.substr(end + 1);
        while (!line.empty() && (line.back() == '\r' || line.back() == ' ' || line.back() == '\t'))
            line.remove_suffix(1);
        while (!line.empty() && (line.front() == ' ' || line.front() == '\t'))
            line.remove_prefix(1);
        if (line.empty() || line.front() == '#') continue;
        if (line == "[blended]") {
            current = &lists.blended;
        } else if (line == "[alpha]") {
            current = &lists.alpha;
        } else if (current != nullptr) {
            current->emplace_back(line);
        }
    }
    return lists;
}

PictureLists LoadPictureLists(const std::filesystem::path& path) {
    std::ifstream stream(path, std::ios::binary);
    if (!stream) return {};
    std::string text((std::istreambuf_iterator<char>(stream)), std::istreambuf_iterator<char>());
    return ParsePictureLists(text);
}

RbpConversion SelectRbpConversion(const PictureLists& lists, int titleIndex,
                                  std::string_view fileName) {
    auto listed = [&](const std::vector<std::string>& names) {
        for (const std::string& name : names)
            if (formats::SjisEqualNoCase(name, fileName)) return true;
        return false;
    };
    if (titleIndex == kBlendedTitleIndex && listed(lists.blended)) return RbpConversion::Blended;
    if (listed(lists.alpha)) return RbpConversion::Alpha;
    return RbpConversion::Opaque;
}

}  // namespace kitshift
