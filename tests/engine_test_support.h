#pragma once
// What the engine's in-process tests share: an engine on the headless
// backend, and test pictures encoded as the engine's picture files.

#include <cstdint>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "engine/core/engine.h"
#include "platform/backend.h"

namespace engine_test {

// A headless backend for the program folder `folder`, running until untilMs,
// with the folder's input.txt (when there is one) as scripted input and
// screenshots into the folder. Check `.window` before use.
platform::Backend HeadlessBackendFor(const std::filesystem::path& folder, uint32_t untilMs);

// UTF-8 text of the test as the engine's Shift-JIS (the conversion must succeed).
std::string Sjis(const std::string& utf8);

// Landscape pixels of one colour, blue, green, red, alpha each.
std::vector<uint8_t> SolidPixels(int width, int height, uint8_t red, uint8_t green, uint8_t blue,
                                 uint8_t alpha = 255);

// A picture file of landscape pixels (blue, green, red, alpha): keyed RGB565
// or, with alpha, RGB565 with an alpha byte. The design size is the
// landscape size scaled from 320 x 240 to 800 x 600.
std::vector<uint8_t> EncodePicture(const std::vector<uint8_t>& bgra, int width, int height,
                                   bool withAlpha = false);

// An engine on the headless backend with the display open, in game state 1
// (no logo). hostFolder is the backend's program folder (ending in '/');
// the engine gets it in the device's path language.
class HeadlessEngine {
public:
    explicit HeadlessEngine(const std::string& hostFolder, bool withGlyphs = true);
    ~HeadlessEngine();
    HeadlessEngine(const HeadlessEngine&) = delete;
    HeadlessEngine& operator=(const HeadlessEngine&) = delete;

    core::Engine& operator*() { return *engine_; }
    core::Engine* operator->() { return engine_.get(); }
    // Destroys the engine before the backend (tests that must end it early).
    void Reset() { engine_.reset(); }

private:
    platform::Backend backend_;
    std::unique_ptr<core::Engine> engine_;
};

}  // namespace engine_test
