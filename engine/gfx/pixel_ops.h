#pragma once
// Pixel operations that put images and colours into a 3-byte-per-pixel
// destination (the screen buffer's blue, green, red rows). All rectangles
// here are in stored (portrait) coordinates unless said otherwise; the caller
// has clipped them, and the kernels clip again to the image and the
// destination so that a stale rectangle can never reach past either. No
// kernel allocates.
//
// opacity: 0..256 (256 = the image's own alpha). brightness: 0..512
// (256 unchanged, 0 black, 512 white). Each operation picks its plain,
// opacity, brightness or combined kernel by which of the two is not 256.

#include <cstdint>

#include "engine/gfx/image.h"
#include "engine/gfx/rect.h"

namespace gfx {

// The brightness rule for one channel value.
inline int ApplyBrightness(int brightness, int value) {
    if (brightness <= 256) return (brightness * value) >> 8;
    return ((255 * (brightness - 256)) >> 8) + (((512 - brightness) * value) >> 8);
}

// A destination: 3-byte pixels, rowLength pixels per row, rows rows (the
// screen buffer's 320 unless said). Kernels never write outside it.
struct Destination {
    uint8_t* bits = nullptr;
    int32_t rowLength = 0;
    int32_t rows = 320;
};

// Sets every pixel of rect to colour (0x00RRGGBB). An empty rect draws nothing.
// Columns are kept within the row; the rows are the caller's to bound.
void FillRect(uint8_t* buffer, int32_t rowLength, const Rect& rect, uint32_t colour,
              int32_t bytesPerPixel = 3);

// Draws the stored source rectangle of image with its top-left at stored
// (column, row) of the destination.
void DrawImage(const Image& image, Destination destination, int32_t column, int32_t row,
               const Rect& source, int opacity, int brightness);
void DrawImageAdditive(const Image& image, Destination destination, int32_t column, int32_t row,
                       const Rect& source, int opacity, int brightness);
// Blends a and b at the same source position by ratio (256 = a alone,
// 0 = b alone), then onto the destination.
void DrawCrossfade(const Image& a, const Image& b, Destination destination, int32_t column,
                   int32_t row, const Rect& source, int ratio, int brightness);

// Colour rectangles (colour 0x00RRGGBB) over the stored rectangle.
void FillColour(uint32_t colour, Destination destination, const Rect& rect, int opacity,
                int brightness);
void FillColourAdditive(uint32_t colour, Destination destination, const Rect& rect, int opacity,
                        int brightness);

// Scaled and rotated drawing with the standard blend. Everything here is in
// landscape coordinates: source is the image's landscape rectangle, (x, y) the
// screen position of its top-left corner, (pivotX, pivotY) the pivot offset
// from it, scales in thousandths, angle in whole degrees.
struct Transform {
    Rect source;
    int32_t x = 0;
    int32_t y = 0;
    int32_t pivotX = 0;
    int32_t pivotY = 0;
    int32_t scaleX = 1000;
    int32_t scaleY = 1000;
    int32_t angle = 0;
};

// Draws into a screen-layout destination (landscape width 320, portrait
// rows of 720 bytes), clipped to the landscape clip rectangle.
void DrawImageTransformed(const Image& image, uint8_t* screenBits, const Transform& transform,
                          const Rect& clip, int opacity, int brightness);

}  // namespace gfx
