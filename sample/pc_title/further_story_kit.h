#pragma once
// What the further stories' pictures add to the drawing kit: see-through
// paint for glows, light beams and tints, and skies that shade from top to
// bottom.

#include <cmath>

#include "sample/pc_title/canvas.h"

namespace pc_title {

// Mixes c into the pixel by t (0 keeps the pixel, 1 paints c).
inline void Blend(Canvas& c, int x, int y, Colour colour, double t) {
    if (x < 0 || y < 0 || x >= c.Width() || y >= c.Height()) return;
    c.Set(x, y, Mix(c.At(x, y), colour, t));
}

inline void BlendBox(Canvas& c, int x0, int y0, int x1, int y1, Colour colour, double t) {
    for (int y = y0; y < y1; ++y) {
        for (int x = x0; x < x1; ++x) Blend(c, x, y, colour, t);
    }
}

// A soft round glow: the colour at strength t in the middle, fading to
// nothing at the radius.
inline void Glow(Canvas& c, double cx, double cy, double radius, Colour colour, double t) {
    for (int y = static_cast<int>(cy - radius); y <= static_cast<int>(cy + radius); ++y) {
        for (int x = static_cast<int>(cx - radius); x <= static_cast<int>(cx + radius); ++x) {
            double d = std::hypot(x - cx, y - cy) / radius;
            if (d < 1.0) Blend(c, x, y, colour, t * (1.0 - d) * (1.0 - d));
        }
    }
}

// Rows y0..y1 across the whole width, shading from top to bottom.
inline void VerticalGradient(Canvas& c, int y0, int y1, Colour top, Colour bottom) {
    for (int y = y0; y < y1; ++y) {
        Colour row = Mix(top, bottom, y1 - 1 > y0 ? double(y - y0) / (y1 - 1 - y0) : 0.0);
        for (int x = 0; x < c.Width(); ++x) c.Set(x, y, row);
    }
}

}  // namespace pc_title
