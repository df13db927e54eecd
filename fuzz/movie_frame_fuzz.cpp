// The movie player's frame path over arbitrary bytes: the JPEG decoder
// decodes or gives the frame up, and what it decodes is drawn inside the
// device buffer. The first byte picks the movie's picture size.

#include <cstddef>
#include <cstdint>
#include <vector>

#include "engine/movie/frame_decoder.h"
#include "engine/movie/frame_drawing.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static movie::FrameDecoder decoder;
    static std::vector<uint8_t> device(platform::kDeviceBufferBytes);
    static const uint32_t kSizes[][2] = {{320, 240}, {160, 120}, {200, 150},
                                         {80, 60},   {16, 16},   {8, 8}};
    if (size < 1) return 0;
    const uint32_t width = kSizes[data[0] % 6][0];
    const uint32_t height = kSizes[data[0] % 6][1];
    if (decoder.Decode(data + 1, size - 1, width, height)) {
        movie::DrawFrame({decoder.FrameBuffer(), width, height}, device.data(),
                         platform::kDeviceDisplayProperties);
    }
    return 0;
}
