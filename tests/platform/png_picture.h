#pragma once
// Reads back the PNG pictures the platform writes, for the tests' checks.

#include <png.h>

#include <cstdint>
#include <string>
#include <vector>

namespace testing_support {

struct RgbPicture {
    uint32_t width = 0;
    uint32_t height = 0;
    std::vector<uint8_t> rgb;  // red, green, blue per pixel, rows top-down

    // The pixel at (x, y) as 0xRRGGBB.
    uint32_t At(uint32_t x, uint32_t y) const {
        const uint8_t* p = rgb.data() + (size_t{y} * width + x) * 3;
        return (uint32_t{p[0]} << 16) | (uint32_t{p[1]} << 8) | p[2];
    }
};

// An empty picture when the file is missing or not a PNG.
inline RgbPicture ReadPngPicture(const std::string& path) {
    RgbPicture picture;
    png_image image{};
    image.version = PNG_IMAGE_VERSION;
    if (png_image_begin_read_from_file(&image, path.c_str()) == 0) return picture;
    image.format = PNG_FORMAT_RGB;
    std::vector<uint8_t> pixels(PNG_IMAGE_SIZE(image));
    if (png_image_finish_read(&image, nullptr, pixels.data(), 0, nullptr) == 0) {
        png_image_free(&image);
        return picture;
    }
    picture.width = image.width;
    picture.height = image.height;
    picture.rgb = std::move(pixels);
    return picture;
}

// A device buffer colour (RGB565) at landscape pixel (x, y), stored the way
// the device holds it: row 319 - x, column y, rows of 240 pixels.
inline void SetLandscapePixel(uint8_t* device, int x, int y, uint16_t colour) {
    auto* pixels = reinterpret_cast<uint16_t*>(device);
    pixels[(319 - x) * 240 + y] = colour;
}

}  // namespace testing_support
