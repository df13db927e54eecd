// mirtool crx: the PC title's pictures as the data converter reads them.

#include <png.h>

#include <string>

#include "commands.h"
#include "host_files.h"
#include "kitshift/crx_decoder.h"

namespace mirtool {

namespace {

using formats::ByteVector;

// Opaque RGB: the transparent magenta stays visible as it is in the source.
bool EncodeBgrPng(const kitshift::SourcePicture& picture, ByteVector* file, std::string* error) {
    png_image image{};
    image.version = PNG_IMAGE_VERSION;
    image.width = picture.width;
    image.height = picture.height;
    image.format = PNG_FORMAT_BGR;
    png_alloc_size_t size = 0;
    if (png_image_write_get_memory_size(image, size, 0, picture.pixels.data(), 0, nullptr) != 0) {
        file->resize(size);
        if (png_image_write_to_memory(&image, file->data(), &size, 0, picture.pixels.data(), 0,
                                      nullptr) != 0) {
            file->resize(size);
            return true;
        }
    }
    *error = std::string("cannot encode PNG: ") + image.message;
    png_image_free(&image);
    return false;
}

int ToPng(const std::string& input, const std::string& output) {
    ByteVector file;
    std::string why;
    if (!ReadHostFile(input, &file, &why)) return Fail(input, why);
    kitshift::SourcePicture picture;
    if (!kitshift::DecodeCrx(file, &picture, &why)) return Fail(input, why);
    ByteVector png;
    if (!EncodeBgrPng(picture, &png, &why)) return Fail(output, why);
    if (!WriteHostFileAtomically(output, png, &why)) return Fail(output, why);
    return 0;
}

}  // namespace

int RunCrxCommand(const Args& args) {
    if (args.empty()) return UsageError("crx needs a command: topng");
    Args rest(args.begin() + 1, args.end());
    if (args[0] == "topng") {
        if (rest.size() != 2) return UsageError("crx topng needs FILE.crx and OUT.png");
        return ToPng(rest[0], rest[1]);
    }
    return UsageError("unknown crx command '" + args[0] + "'");
}

}  // namespace mirtool
