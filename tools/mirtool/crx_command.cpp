// mirtool crx: the PC title's pictures as the data converter reads them.

#include <png.h>

#include <string>

#include "commands.h"
#include "kitshift/crx_decoder.h"
#include "platform/host_files.h"
#include "png_encode.h"

namespace mirtool {

namespace {

using formats::ByteVector;

int ToPng(const std::string& input, const std::string& output) {
    ByteVector file;
    std::string why;
    if (!ReadHostFile(input, &file, &why)) return Fail(input, why);
    kitshift::SourcePicture picture;
    if (!kitshift::DecodeCrx(file, &picture, &why)) return Fail(input, why);
    ByteVector png;
    // Opaque RGB: the transparent magenta stays visible as it is in the source.
    if (!EncodePng(picture.pixels, picture.width, picture.height, PngLayout::kBgr, &png, &why)) {
        return Fail(output, why);
    }
    if (!WriteOutputFile(output, png, &why)) return Fail(output, why);
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
