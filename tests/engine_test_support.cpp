#include "engine_test_support.h"

#include <gtest/gtest.h>

#include "formats/rbp.h"
#include "platform/device_path.h"
#include "platform/glyph_rasterizer.h"
#include "platform/headless/headless_backend.h"
#include "platform/text_encoding.h"

namespace engine_test {

platform::Backend HeadlessBackendFor(const std::filesystem::path& folder, uint32_t untilMs) {
    platform::BackendOptions options;
    options.programFolder = folder.string() + "/";
    options.untilMs = untilMs;
    if (std::filesystem::exists(folder / "input.txt"))
        options.inputScriptPath = (folder / "input.txt").string();
    options.shotsFolder = folder.string();
    std::string error;
    platform::Backend backend = platform::CreateHeadlessBackend(options, &error);
    EXPECT_TRUE(backend.window) << error;
    return backend;
}

std::string Sjis(const std::string& utf8) {
    std::string sjis;
    EXPECT_TRUE(platform::Utf8ToSjis(utf8, &sjis)) << utf8;
    return sjis;
}

std::vector<uint8_t> SolidPixels(int width, int height, uint8_t red, uint8_t green, uint8_t blue,
                                 uint8_t alpha) {
    std::vector<uint8_t> pixels;
    pixels.reserve(static_cast<size_t>(width) * height * 4);
    for (int i = 0; i < width * height; ++i) pixels.insert(pixels.end(), {blue, green, red, alpha});
    return pixels;
}

std::vector<uint8_t> EncodePicture(const std::vector<uint8_t>& bgra, int width, int height,
                                   bool withAlpha) {
    std::vector<uint8_t> file;
    std::string error;
    auto designWidth = static_cast<int16_t>(width * 800 / 320);
    auto designHeight = static_cast<int16_t>(height * 600 / 240);
    bool ok = withAlpha ? formats::EncodeRbpType11(bgra, width, height, designWidth, designHeight,
                                                   &file, &error)
                        : formats::EncodeRbpType13(bgra, width, height, designWidth, designHeight,
                                                   &file, &error);
    EXPECT_TRUE(ok) << error;
    return file;
}

HeadlessEngine::HeadlessEngine(const std::string& hostFolder, bool withGlyphs) {
    platform::BackendOptions options;
    options.programFolder = hostFolder;
    options.untilMs = 1000000;
    std::string error;
    backend_ = platform::CreateHeadlessBackend(options, &error);
    EXPECT_TRUE(backend_.window) << error;
    platform::SetGxDevice(backend_.display.get());
    EXPECT_EQ(platform::GXOpenDisplay(1, platform::kGxFullScreen), 1);
    std::unique_ptr<platform::GlyphRasterizer> glyphs;
    if (withGlyphs) {
        glyphs = platform::GlyphRasterizer::Create(&error);
        EXPECT_NE(glyphs, nullptr) << error;
    }
    engine_ = std::make_unique<core::Engine>(backend_, std::move(glyphs),
                                             platform::HostToDevicePath(hostFolder));
    engine_->flow.gameState = core::kStateTitle;
}

HeadlessEngine::~HeadlessEngine() {
    engine_.reset();
    platform::GXCloseDisplay();
    platform::SetGxDevice(nullptr);
}

}  // namespace engine_test
