#include "engine/movie/frame_drawing.h"

#include <cstddef>
#include <cstring>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace movie {

namespace {

inline void Put(uint8_t* at, uint16_t word) {
    std::memcpy(at, &word, sizeof word);
}

// A frame-buffer pixel as one little-endian word: blue, green, red, padding.
inline uint16_t WordTo565(uint32_t pixel) {
    return static_cast<uint16_t>(((pixel >> 8) & 0xF800) | ((pixel >> 5) & 0x07E0) |
                                 ((pixel >> 3) & 0x001F));
}

inline uint32_t PixelAt(const uint8_t* pixels, size_t index) {
    uint32_t word;
    std::memcpy(&word, pixels + index * 4, sizeof word);
    return word;
}

// Per channel floor((a + b) / 2) of two pixels, as 5-6-5.
inline uint16_t Average565(const uint8_t* a, const uint8_t* b) {
    return ToRgb565(static_cast<uint8_t>((a[0] + b[0]) >> 1),
                    static_cast<uint8_t>((a[1] + b[1]) >> 1),
                    static_cast<uint8_t>((a[2] + b[2]) >> 1));
}

struct FullSizePlace {
    int32_t left;    // screen x of the top row
    int32_t bottom;  // screen y of the left column
};

// Rows [firstRow, endRow), pixel by pixel (any pitches).
void DrawRowsSingly(const FramePicture& picture, uint8_t* device, ptrdiff_t pitchX,
                    ptrdiff_t pitchY, FullSizePlace place, int32_t firstRow, int32_t endRow) {
    const int32_t columns = static_cast<int32_t>(picture.width) / 8 * 8;
    for (int32_t my = firstRow; my < endRow; ++my) {
        const size_t row = size_t(my) * picture.width;
        uint8_t* out = device + (place.left + my) * pitchX + place.bottom * pitchY;
        for (int32_t mx = 0; mx < columns; ++mx) {
            Put(out - mx * pitchY, WordTo565(PixelAt(picture.pixels, row + size_t(mx))));
        }
    }
}

// Blocks of 8 x 8 pixels turned in registers or a small buffer: the picture
// is read along its rows and the screen written along its rows, eight
// pixels a pass each way. Returns the rows drawn (whole blocks).
int32_t DrawBlocks(const FramePicture& picture, uint8_t* device, ptrdiff_t pitchX, ptrdiff_t pitchY,
                   FullSizePlace place) {
    const int32_t w = static_cast<int32_t>(picture.width);
    const int32_t blockRows = static_cast<int32_t>(picture.height) / 8 * 8;
#if defined(__SSE2__)
    // Screen rows of side-by-side pixels (the usual layout): eight pixels
    // converted per instruction and the block turned with unpacks.
    if (pitchX == 2) {
        const __m128i red = _mm_set1_epi32(0xF800);
        const __m128i green = _mm_set1_epi32(0x07E0);
        const __m128i blue = _mm_set1_epi32(0x001F);
        // packs saturates signed words: move the range down and back.
        const __m128i down = _mm_set1_epi32(0x8000);
        const __m128i up = _mm_set1_epi16(static_cast<int16_t>(0x8000));
        auto to565 = [&](__m128i p) {
            return _mm_or_si128(_mm_or_si128(_mm_and_si128(_mm_srli_epi32(p, 8), red),
                                             _mm_and_si128(_mm_srli_epi32(p, 5), green)),
                                _mm_and_si128(_mm_srli_epi32(p, 3), blue));
        };
        for (int32_t my = 0; my < blockRows; my += 8) {
            for (int32_t mx = 0; mx + 8 <= w; mx += 8) {
                __m128i row[8];
                for (int32_t r = 0; r < 8; ++r) {
                    const uint8_t* in = picture.pixels + (size_t(my + r) * w + size_t(mx)) * 4;
                    const __m128i a = to565(_mm_loadu_si128(reinterpret_cast<const __m128i*>(in)));
                    const __m128i b =
                        to565(_mm_loadu_si128(reinterpret_cast<const __m128i*>(in + 16)));
                    row[r] = _mm_add_epi16(
                        _mm_packs_epi32(_mm_sub_epi32(a, down), _mm_sub_epi32(b, down)), up);
                }
                const __m128i t0 = _mm_unpacklo_epi16(row[0], row[1]);
                const __m128i t1 = _mm_unpackhi_epi16(row[0], row[1]);
                const __m128i t2 = _mm_unpacklo_epi16(row[2], row[3]);
                const __m128i t3 = _mm_unpackhi_epi16(row[2], row[3]);
                const __m128i t4 = _mm_unpacklo_epi16(row[4], row[5]);
                const __m128i t5 = _mm_unpackhi_epi16(row[4], row[5]);
                const __m128i t6 = _mm_unpacklo_epi16(row[6], row[7]);
                const __m128i t7 = _mm_unpackhi_epi16(row[6], row[7]);
                const __m128i u0 = _mm_unpacklo_epi32(t0, t2);
                const __m128i u1 = _mm_unpackhi_epi32(t0, t2);
                const __m128i u2 = _mm_unpacklo_epi32(t1, t3);
                const __m128i u3 = _mm_unpackhi_epi32(t1, t3);
                const __m128i u4 = _mm_unpacklo_epi32(t4, t6);
                const __m128i u5 = _mm_unpackhi_epi32(t4, t6);
                const __m128i u6 = _mm_unpacklo_epi32(t5, t7);
                const __m128i u7 = _mm_unpackhi_epi32(t5, t7);
                // Column k of the block: one screen row of eight pixels.
                const __m128i column[8] = {_mm_unpacklo_epi64(u0, u4), _mm_unpackhi_epi64(u0, u4),
                                           _mm_unpacklo_epi64(u1, u5), _mm_unpackhi_epi64(u1, u5),
                                           _mm_unpacklo_epi64(u2, u6), _mm_unpackhi_epi64(u2, u6),
                                           _mm_unpacklo_epi64(u3, u7), _mm_unpackhi_epi64(u3, u7)};
                uint8_t* out = device + (place.left + my) * pitchX + (place.bottom - mx) * pitchY;
                for (int32_t k = 0; k < 8; ++k) {
                    _mm_storeu_si128(reinterpret_cast<__m128i*>(out - k * pitchY), column[k]);
                }
            }
        }
        return blockRows;
    }
#endif
    for (int32_t my = 0; my < blockRows; my += 8) {
        for (int32_t mx = 0; mx + 8 <= w; mx += 8) {
            uint16_t block[8][8];
            for (int32_t r = 0; r < 8; ++r) {
                const size_t row = size_t(my + r) * w + size_t(mx);
                for (int32_t k = 0; k < 8; ++k)
                    block[k][r] = WordTo565(PixelAt(picture.pixels, row + size_t(k)));
            }
            uint8_t* out = device + (place.left + my) * pitchX + (place.bottom - mx) * pitchY;
            for (int32_t k = 0; k < 8; ++k) {
                uint8_t* line = out - k * pitchY;
                for (int32_t r = 0; r < 8; ++r) Put(line + r * pitchX, block[k][r]);
            }
        }
    }
    return blockRows;
}

void DrawFullSize(const FramePicture& picture, uint8_t* device, ptrdiff_t pitchX,
                  ptrdiff_t pitchY) {
    const int32_t w = static_cast<int32_t>(picture.width);
    const int32_t h = static_cast<int32_t>(picture.height);
    const FullSizePlace place{120 - h / 2, 159 + w / 2};
    const int32_t drawn = DrawBlocks(picture, device, pitchX, pitchY, place);
    DrawRowsSingly(picture, device, pitchX, pitchY, place, drawn, h);
}

void DrawHalfSize(const FramePicture& picture, uint8_t* device, ptrdiff_t pitchX,
                  ptrdiff_t pitchY) {
    const int32_t w = static_cast<int32_t>(picture.width);
    const int32_t h = static_cast<int32_t>(picture.height);
    const int32_t x0 = 120 - h;
    const int32_t y0 = 159 + w;
    const size_t stride = size_t(w) * 4;
    for (int32_t my = 0; my < h; ++my) {
        const uint8_t* row = picture.pixels + size_t(my) * stride;
        // The last row and column have no neighbour beyond them: they pair
        // with themselves.
        const uint8_t* below = my + 1 < h ? row + stride : row;
        uint8_t* out = device + (x0 + 2 * my) * pitchX + y0 * pitchY;
        for (int32_t mx = 0; mx < w; ++mx) {
            const uint8_t* p = row + size_t(mx) * 4;
            const size_t right = mx + 1 < w ? 4 : 0;
            const uint8_t* q = below + size_t(mx) * 4;
            Put(out, ToRgb565(p[0], p[1], p[2]));
            Put(out - pitchY, Average565(p, p + right));
            Put(out + pitchX, Average565(p, q));
            Put(out + pitchX - pitchY, Average565(p, q + right));
            out -= 2 * pitchY;
        }
    }
}

}  // namespace

void ClearScreen(uint8_t* device, const platform::GXDisplayProperties& display) {
    for (int32_t y = 0; y < platform::kDeviceHeight; ++y) {
        for (int32_t x = 0; x < platform::kDeviceWidth; ++x) {
            Put(device + ptrdiff_t{x} * display.cbxPitch + ptrdiff_t{y} * display.cbyPitch, 0);
        }
    }
}

void DrawFrame(const FramePicture& picture, uint8_t* device,
               const platform::GXDisplayProperties& display) {
    if (picture.width > kHalfSizeWidth) {
        DrawFullSize(picture, device, display.cbxPitch, display.cbyPitch);
    } else {
        DrawHalfSize(picture, device, display.cbxPitch, display.cbyPitch);
    }
}

}  // namespace movie
