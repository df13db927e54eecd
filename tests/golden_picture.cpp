#include "golden_picture.h"

#include <png.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>

#include "test_support.h"

namespace golden {

namespace {

std::string GoldenFolder() {
    return testing_support::SourceFolder() + "/tests/golden/";
}

}  // namespace

bool ReadPng(const std::string& path, Picture* picture) {
    png_image image{};
    image.version = PNG_IMAGE_VERSION;
    if (!png_image_begin_read_from_file(&image, path.c_str())) return false;
    image.format = PNG_FORMAT_RGB;
    picture->width = image.width;
    picture->height = image.height;
    picture->rgb.assign(PNG_IMAGE_SIZE(image), 0);
    bool ok = png_image_finish_read(&image, nullptr, picture->rgb.data(), 0, nullptr) != 0;
    png_image_free(&image);
    return ok;
}

bool WritePng(const std::string& path, const Picture& picture) {
    png_image image{};
    image.version = PNG_IMAGE_VERSION;
    image.width = picture.width;
    image.height = picture.height;
    image.format = PNG_FORMAT_RGB;
    return png_image_write_to_file(&image, path.c_str(), 0, picture.rgb.data(), 0, nullptr) != 0;
}

std::string Compare(const Picture& actual, const std::string& name, int tolerance,
                    uint32_t allowedOff) {
    std::string referencePath = GoldenFolder() + name + ".png";
    const char* update = std::getenv("MIRELO_UPDATE_GOLDEN");
    // Rewriting fails the comparison too, so that a run that only rewrote
    // the references is never taken for a passing one.
    if (update != nullptr && std::string(update) == "1") {
        if (!WritePng(referencePath, actual)) return name + ": cannot write " + referencePath;
        return name + ": reference rewritten; run again without MIRELO_UPDATE_GOLDEN";
    }
    Picture reference;
    if (!ReadPng(referencePath, &reference)) return "no reference picture " + referencePath;
    if (reference.width != actual.width || reference.height != actual.height) {
        return name + ": size differs from the reference";
    }
    Picture difference = actual;
    uint32_t off = 0;
    int worst = 0;
    for (size_t i = 0; i < actual.rgb.size(); i += 3) {
        int pixelWorst = 0;
        for (size_t c = 0; c < 3; ++c) {
            int delta = std::abs(int{actual.rgb[i + c]} - int{reference.rgb[i + c]});
            pixelWorst = std::max(pixelWorst, delta);
        }
        worst = std::max(worst, pixelWorst);
        if (pixelWorst > tolerance) ++off;
        uint8_t shade = static_cast<uint8_t>(std::min(255, pixelWorst * 4));
        difference.rgb[i] = shade;
        difference.rgb[i + 1] = pixelWorst > tolerance ? 0 : shade;
        difference.rgb[i + 2] = pixelWorst > tolerance ? 0 : shade;
    }
    if (off <= allowedOff) return "";
    std::filesystem::create_directories("golden-failures");
    WritePng("golden-failures/" + name + "-actual.png", actual);
    WritePng("golden-failures/" + name + "-reference.png", reference);
    WritePng("golden-failures/" + name + "-difference.png", difference);
    return name + ": " + std::to_string(off) + " pixels differ (worst channel difference " +
           std::to_string(worst) + "); see golden-failures/ in the test folder";
}

}  // namespace golden
