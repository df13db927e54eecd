#pragma once
// Movies for the player's tests, made on the spot: frames encoded with the
// JPEG library in the container's channel order, written with the
// container's writer.

#include <cstdint>
#include <filesystem>
#include <vector>

namespace movie_test {

struct Colour {
    uint8_t red, green, blue;
};

// Frame i's colour: far enough from every other frame's to tell them apart
// after JPEG and 5-6-5 rounding, for the first 64 frames.
Colour FrameColour(uint32_t frame);

// Pixels of a picture, blue, green, red.
std::vector<uint8_t> SolidBgr(uint32_t width, uint32_t height, Colour colour);

// A baseline JPEG (YCbCr, chroma halved both ways) of blue, green, red
// pixels, handed to the encoder as if they were red, green, blue, as the
// converter does.
std::vector<uint8_t> EncodeFrame(const std::vector<uint8_t>& bgr, uint32_t width, uint32_t height,
                                 int quality = 90);

// Writes a movie of the given frames' bytes; the writer's checks must pass.
void WriteMovie(const std::filesystem::path& path, uint32_t rate, uint32_t width, uint32_t height,
                const std::vector<std::vector<uint8_t>>& frames);

// count solid frames, frame i in FrameColour(i).
std::vector<std::vector<uint8_t>> SolidFrames(uint32_t count, uint32_t width, uint32_t height);

// The frame whose colour is nearest to a device pixel (5-6-5).
uint32_t NearestFrame(uint16_t pixel, uint32_t frameCount);

}  // namespace movie_test
