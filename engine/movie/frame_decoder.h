#pragma once
// Decodes one movie frame, a baseline JPEG held in memory, into a frame
// buffer allocated once: rows of width x 4 bytes from the top row down, each
// pixel its three components in the file's order (blue, green, red for the
// movies the converter writes) and a fourth byte of padding, so that a pixel
// is one aligned 32-bit word for the drawing. Speed over the last bit of
// quality: the fast integer inverse transform, plain upsampling, and as many
// rows per library call as it will give.
//
// Thread safety: one thread at a time.

#include <cstddef>
#include <cstdint>
#include <memory>
#include <vector>

namespace movie {

// The frame buffer holds one 320 x 240 picture at four bytes a pixel.
inline constexpr size_t kFrameBufferBytes = 307200;
inline constexpr size_t kFrameBytesPerPixel = 4;

class FrameDecoder {
public:
    FrameDecoder();
    ~FrameDecoder();
    FrameDecoder(const FrameDecoder&) = delete;
    FrameDecoder& operator=(const FrameDecoder&) = delete;

    // Decodes a frame that must be width x height pixels. False when the data
    // is empty, not a JPEG the library can read to three components, or of
    // another size; the frame buffer may then hold part of the frame. Data
    // that ends early decodes what is there (the library pads the rest).
    bool Decode(const uint8_t* bytes, size_t size, uint32_t width, uint32_t height);

    const uint8_t* FrameBuffer() const { return frame_.data(); }
    // Warnings of the library (a truncated stream, say) since the decoder was made.
    long Warnings() const { return warnings_; }

private:
    struct Library;
    std::unique_ptr<Library> library_;
    std::vector<uint8_t> frame_;
    long warnings_ = 0;
};

}  // namespace movie
