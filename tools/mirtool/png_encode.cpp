#include "png_encode.h"

#include <png.h>

namespace mirtool {

bool EncodePng(formats::ByteSpan pixels, uint32_t width, uint32_t height, PngLayout layout,
               formats::ByteVector* file, std::string* error) {
    png_image image{};
    image.version = PNG_IMAGE_VERSION;
    image.width = width;
    image.height = height;
    image.format = layout == PngLayout::kBgr ? PNG_FORMAT_BGR : PNG_FORMAT_BGRA;
    png_alloc_size_t size = 0;
    if (png_image_write_get_memory_size(image, size, 0, pixels.data(), 0, nullptr) != 0) {
        file->resize(size);
        if (png_image_write_to_memory(&image, file->data(), &size, 0, pixels.data(), 0, nullptr) !=
            0) {
            file->resize(size);
            return true;
        }
    }
    *error = std::string("cannot encode PNG: ") + image.message;
    png_image_free(&image);
    return false;
}

}  // namespace mirtool
