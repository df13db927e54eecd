#pragma once
// Shapes shared by the system pictures (title items, tabs, buttons, panels):
// plates with a border and a banded fill, rings, triangles and lines, all in
// design pixels. Borders are at least three design pixels wide so that they
// survive the shrinking to the handheld's screen.

#include <algorithm>
#include <cmath>
#include <string>
#include <vector>

#include "sample/pc_title/canvas.h"
#include "sample/pc_title/install_tree.h"
#include "sample/pc_title/sheet_text.h"

namespace pc_title {

// A rounded plate: a border `border` design pixels wide, inside it a fill
// from `top` to `bottom`: smooth for `bands` 0, flat `top` for 1, else in
// that many flat steps (few colours, so palettes fit).
inline void Plate(Canvas& c, int x0, int y0, int x1, int y1, int radius, Colour top, Colour bottom,
                  Colour rim, int border = 3, int bands = 6) {
    c.RoundedBox(x0, y0, x1, y1, radius, rim);
    const int ix0 = x0 + border, iy0 = y0 + border, ix1 = x1 - border, iy1 = y1 - border;
    const int inner = std::max(0, radius - border);
    for (int y = iy0; y < iy1; ++y) {
        double t = iy1 - 1 > iy0 ? static_cast<double>(y - iy0) / (iy1 - 1 - iy0) : 0;
        if (bands == 1) t = 0;
        if (bands > 1) t = std::floor(t * bands) / (bands - 1);
        Colour fill = Mix(top, bottom, std::min(1.0, t));
        for (int x = ix0; x < ix1; ++x)
            if (Canvas::InRoundedBox(x, y, ix0, iy0, ix1, iy1, inner)) c.Set(x, y, fill);
    }
}

// A rounded ring `width` design pixels wide; the inside is left as it was.
inline void Ring(Canvas& c, int x0, int y0, int x1, int y1, int radius, int width, Colour colour) {
    const int inner = std::max(0, radius - width);
    for (int y = y0; y < y1; ++y) {
        for (int x = x0; x < x1; ++x) {
            if (Canvas::InRoundedBox(x, y, x0, y0, x1, y1, radius) &&
                !Canvas::InRoundedBox(x, y, x0 + width, y0 + width, x1 - width, y1 - width, inner))
                c.Set(x, y, colour);
        }
    }
}

// A vertical gradient over a box, smooth (for 24-bit pictures).
inline void Gradient(Canvas& c, int x0, int y0, int x1, int y1, Colour top, Colour bottom) {
    for (int y = y0; y < y1; ++y) {
        Colour row =
            Mix(top, bottom, y1 - 1 > y0 ? static_cast<double>(y - y0) / (y1 - 1 - y0) : 0);
        for (int x = x0; x < x1; ++x) c.Set(x, y, row);
    }
}

struct Point {
    double x;
    double y;
};

// A filled convex polygon given clockwise or anticlockwise.
inline void Polygon(Canvas& c, const std::vector<Point>& corners, Colour colour) {
    double minX = 1e9, minY = 1e9, maxX = -1e9, maxY = -1e9;
    for (const Point& p : corners) {
        minX = std::min(minX, p.x), maxX = std::max(maxX, p.x);
        minY = std::min(minY, p.y), maxY = std::max(maxY, p.y);
    }
    for (int y = static_cast<int>(minY); y <= static_cast<int>(maxY); ++y) {
        for (int x = static_cast<int>(minX); x <= static_cast<int>(maxX); ++x) {
            int sign = 0;
            bool inside = true;
            for (size_t i = 0; i < corners.size() && inside; ++i) {
                const Point& a = corners[i];
                const Point& b = corners[(i + 1) % corners.size()];
                double cross = (b.x - a.x) * (y + 0.5 - a.y) - (b.y - a.y) * (x + 0.5 - a.x);
                int s = cross > 0 ? 1 : cross < 0 ? -1 : 0;
                if (s != 0) {
                    if (sign == 0) sign = s;
                    inside = s == sign;
                }
            }
            if (inside) c.Set(x, y, colour);
        }
    }
}

// A line with round ends, `width` design pixels thick.
inline void Line(Canvas& c, Point a, Point b, double width, Colour colour) {
    const double r = width / 2;
    const int x0 = static_cast<int>(std::min(a.x, b.x) - r),
              x1 = static_cast<int>(std::max(a.x, b.x) + r);
    const int y0 = static_cast<int>(std::min(a.y, b.y) - r),
              y1 = static_cast<int>(std::max(a.y, b.y) + r);
    const double dx = b.x - a.x, dy = b.y - a.y;
    const double length2 = std::max(1e-9, dx * dx + dy * dy);
    for (int y = y0; y <= y1; ++y) {
        for (int x = x0; x <= x1; ++x) {
            double t =
                std::clamp(((x + 0.5 - a.x) * dx + (y + 0.5 - a.y) * dy) / length2, 0.0, 1.0);
            double px = a.x + t * dx - (x + 0.5), py = a.y + t * dy - (y + 0.5);
            if (px * px + py * py <= r * r) c.Set(x, y, colour);
        }
    }
}

// A five-pointed star.
inline void Star(Canvas& c, double cx, double cy, double outer, Colour colour) {
    const double inner = outer * 0.42;
    for (int k = 0; k < 5; ++k) {
        double a0 = -M_PI / 2 + k * 2 * M_PI / 5;
        double a1 = a0 + M_PI / 5;
        double a2 = a0 - M_PI / 5;
        Polygon(c,
                {{cx, cy},
                 {cx + inner * std::cos(a2), cy + inner * std::sin(a2)},
                 {cx + outer * std::cos(a0), cy + outer * std::sin(a0)},
                 {cx + inner * std::cos(a1), cy + inner * std::sin(a1)}},
                colour);
    }
}

// The colours the system pictures share: a winter night's blues with a warm
// lamp gold.
namespace ink {
inline constexpr Colour kNight{16, 22, 58};
inline constexpr Colour kDusk{38, 52, 112};
inline constexpr Colour kMist{150, 170, 226};
inline constexpr Colour kSnow{240, 244, 255};
inline constexpr Colour kGold{252, 206, 110};
inline constexpr Colour kAmber{214, 138, 52};
inline constexpr Colour kRose{236, 140, 160};
inline constexpr Colour kShadow{8, 10, 28};
inline constexpr Colour kGrey{120, 126, 150};
}  // namespace ink

// The parts of the system pictures, each in its own file; SystemSheets()
// lists them all.
std::vector<SamplePicture> TitleSheets();    // system_sheets_title.cpp
std::vector<SamplePicture> WindowSheets();   // system_sheets_window.cpp
std::vector<SamplePicture> DateMapSheets();  // system_sheets_date_map.cpp
std::vector<SamplePicture> GallerySheets();  // system_sheets_galleries.cpp
std::vector<SamplePicture> StaffSheets();    // system_sheets_staff.cpp

}  // namespace pc_title
