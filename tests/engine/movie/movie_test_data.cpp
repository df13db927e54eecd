#include "movie_test_data.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <string>

#include <jpeglib.h>

#include "formats/movie_container.h"
#include "platform/host_file_sink.h"

namespace movie_test {

Colour FrameColour(uint32_t frame) {
    // Four levels per channel: 64 colours, at least 80 apart in one channel.
    const uint8_t levels[4] = {16, 96, 176, 248};
    return {levels[frame % 4], levels[(frame / 4) % 4], levels[(frame / 16) % 4]};
}

std::vector<uint8_t> SolidBgr(uint32_t width, uint32_t height, Colour colour) {
    std::vector<uint8_t> pixels;
    pixels.reserve(size_t{width} * height * 3);
    for (uint32_t i = 0; i < width * height; ++i)
        pixels.insert(pixels.end(), {colour.blue, colour.green, colour.red});
    return pixels;
}

std::vector<uint8_t> EncodeFrame(const std::vector<uint8_t>& bgr, uint32_t width, uint32_t height,
                                 int quality) {
    jpeg_compress_struct info{};
    jpeg_error_mgr errors{};
    info.err = jpeg_std_error(&errors);
    jpeg_create_compress(&info);
    unsigned char* out = nullptr;
    unsigned long outSize = 0;
    jpeg_mem_dest(&info, &out, &outSize);
    info.image_width = width;
    info.image_height = height;
    info.input_components = 3;
    info.in_color_space = JCS_RGB;
    jpeg_set_defaults(&info);
    jpeg_set_quality(&info, quality, TRUE);
    jpeg_start_compress(&info, TRUE);
    while (info.next_scanline < height) {
        auto* row = const_cast<JSAMPROW>(bgr.data() + size_t{info.next_scanline} * width * 3);
        jpeg_write_scanlines(&info, &row, 1);
    }
    jpeg_finish_compress(&info);
    std::vector<uint8_t> bytes(out, out + outSize);
    jpeg_destroy_compress(&info);
    std::free(out);
    return bytes;
}

void WriteMovie(const std::filesystem::path& path, uint32_t rate, uint32_t width, uint32_t height,
                const std::vector<std::vector<uint8_t>>& frames) {
    formats::MovieWriter writer(platform::HostFileSinkOpener());
    std::string error;
    ASSERT_TRUE(writer.Open(path.string(), static_cast<uint32_t>(frames.size()),
                            {rate, width, height}, &error))
        << error;
    for (const auto& frame : frames) ASSERT_TRUE(writer.AppendFrame(frame, &error)) << error;
    ASSERT_TRUE(writer.Finish(&error)) << error;
}

std::vector<std::vector<uint8_t>> SolidFrames(uint32_t count, uint32_t width, uint32_t height) {
    std::vector<std::vector<uint8_t>> frames;
    for (uint32_t i = 0; i < count; ++i)
        frames.push_back(EncodeFrame(SolidBgr(width, height, FrameColour(i)), width, height));
    return frames;
}

uint32_t NearestFrame(uint16_t pixel, uint32_t frameCount) {
    const int red = (pixel >> 11) << 3;
    const int green = ((pixel >> 5) & 0x3F) << 2;
    const int blue = (pixel & 0x1F) << 3;
    uint32_t best = 0;
    int bestDistance = 1 << 30;
    for (uint32_t i = 0; i < frameCount; ++i) {
        const Colour c = FrameColour(i);
        const int distance =
            std::abs(c.red - red) + std::abs(c.green - green) + std::abs(c.blue - blue);
        if (distance < bestDistance) {
            bestDistance = distance;
            best = i;
        }
    }
    return best;
}

}  // namespace movie_test
