#include "data_folder.h"

#include <gtest/gtest.h>

#include <cmath>

#include "engine_test_support.h"
#include "formats/mlz_archive.h"
#include "test_support.h"

namespace testdata {

namespace {

using engine_test::EncodePicture;
using engine_test::SolidPixels;

}  // namespace

std::vector<uint8_t> LogoPixels() {
    // A navy field with a ring and a bar, asymmetric so that a turned or
    // mirrored picture shows at once.
    std::vector<uint8_t> pixels;
    pixels.reserve(320 * 240 * 4);
    for (int y = 0; y < 240; ++y) {
        for (int x = 0; x < 320; ++x) {
            double d = std::hypot(x - 120.0, y - 120.0);
            uint8_t blue = 96, green = 32, red = 16;
            if (d > 50 && d < 70) {
                blue = 40;
                green = 200;
                red = 248;
            } else if (x > 190 && x < 290 && y > 100 && y < 140) {
                blue = 248;
                green = 248;
                red = 248;
            } else if (y > 200) {
                blue = 200;
                green = static_cast<uint8_t>(x * 255 / 319);
                red = 40;
            }
            pixels.insert(pixels.end(), {blue, green, red, 255});
        }
    }
    return pixels;
}

void BuildDataFolder(const std::filesystem::path& folder, const DataFolderOptions& options) {
    formats::MlzArchiveBuilder builder;
    std::string error;
    auto add = [&](const char* name, const std::vector<uint8_t>& file) {
        ASSERT_TRUE(builder.AddEntry(name, file, formats::MlzMethod::kLzss, &error)) << error;
    };
    if (options.withLogo) add("GameData\\char\\Tarnel2.rbp", EncodePicture(LogoPixels(), 320, 240));
    add("GameData\\system\\KEY_WAIT.rbp", EncodePicture(SolidPixels(16, 16, 255, 200, 0), 16, 16));
    add("GameData\\system\\map_name.rbp", EncodePicture(SolidPixels(120, 24, 30, 30, 30), 120, 24));
    // The title that follows the logo, all black: what the tests show over
    // it looks as it did on the empty screen.
    for (const char* name :
         {"GameData\\system\\TitleBack1b.rbp", "GameData\\system\\TitleChip01.rbp",
          "GameData\\system\\TitleChip02.rbp"})
        add(name, EncodePicture(SolidPixels(32, 24, 0, 0, 0), 32, 24));
    testing_support::WriteHostFile(folder / "1" / "grpack.mlz", builder.Finish());
}

}  // namespace testdata
