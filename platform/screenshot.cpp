#include <png.h>

#include <cstring>
#include <vector>

#include "platform/backend.h"

namespace platform {

namespace {

constexpr int kLandscapeWidth = 320;
constexpr int kLandscapeHeight = 240;

// The low bits repeat the high ones so that full intensity stays 255 and
// black stays 0.
uint8_t Expand5(uint32_t value) {
    return static_cast<uint8_t>((value << 3) | (value >> 2));
}
uint8_t Expand6(uint32_t value) {
    return static_cast<uint8_t>((value << 2) | (value >> 4));
}

}  // namespace

bool WriteDeviceScreenshot(const std::string& path, const uint8_t* device, int32_t pitchX,
                           int32_t pitchY, std::string* error) {
    if (device == nullptr) {
        if (error != nullptr) *error = "no device buffer";
        return false;
    }
    std::vector<uint8_t> rgb(size_t{kLandscapeWidth} * kLandscapeHeight * 3);
    for (int y = 0; y < kLandscapeHeight; ++y) {
        uint8_t* out = rgb.data() + size_t(y) * kLandscapeWidth * 3;
        for (int x = 0; x < kLandscapeWidth; ++x) {
            // Landscape (x, y) is device row 319 - x, column y.
            const uint8_t* source =
                device + ptrdiff_t(kLandscapeWidth - 1 - x) * pitchY + ptrdiff_t(y) * pitchX;
            uint16_t pixel;
            std::memcpy(&pixel, source, sizeof pixel);
            *out++ = Expand5(pixel >> 11);
            *out++ = Expand6((pixel >> 5) & 0x3F);
            *out++ = Expand5(pixel & 0x1F);
        }
    }
    png_image image{};
    image.version = PNG_IMAGE_VERSION;
    image.width = kLandscapeWidth;
    image.height = kLandscapeHeight;
    image.format = PNG_FORMAT_RGB;
    if (png_image_write_to_file(&image, path.c_str(), 0, rgb.data(), 0, nullptr) == 0) {
        if (error != nullptr) *error = std::string("cannot write PNG: ") + image.message;
        png_image_free(&image);
        return false;
    }
    return true;
}

}  // namespace platform
