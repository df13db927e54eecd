#pragma once
// The drawing kit of the sample title's pictures: a canvas of blue, green,
// red pixels at the PC title's 800 x 600 geometry, a few filled shapes, colour
// mixing and a small deterministic random source, so every picture is drawn
// from code and the same bytes every run.

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <utility>

#include "sample/pc_title/drawn_picture.h"

namespace pc_title {

struct Colour {
    int r;
    int g;
    int b;
};

inline constexpr Colour kKey{255, 0, 255};

class Canvas {
public:
    Canvas(uint16_t width, uint16_t height, Colour fill) {
        picture_.width = width;
        picture_.height = height;
        picture_.pixels.resize(size_t{width} * height * 3);
        Box(0, 0, width, height, fill);
    }

    // A canvas that goes on drawing over a finished picture.
    explicit Canvas(DrawnPicture picture) : picture_(std::move(picture)) {}

    int Width() const { return picture_.width; }
    int Height() const { return picture_.height; }

    void Set(int x, int y, Colour c) {
        if (x < 0 || y < 0 || x >= picture_.width || y >= picture_.height) return;
        uint8_t* p = &picture_.pixels[(static_cast<size_t>(y) * picture_.width + x) * 3];
        p[0] = static_cast<uint8_t>(std::clamp(c.b, 0, 255));
        p[1] = static_cast<uint8_t>(std::clamp(c.g, 0, 255));
        p[2] = static_cast<uint8_t>(std::clamp(c.r, 0, 255));
    }

    Colour At(int x, int y) const {
        if (x < 0 || y < 0 || x >= picture_.width || y >= picture_.height) return {0, 0, 0};
        const uint8_t* p = &picture_.pixels[(static_cast<size_t>(y) * picture_.width + x) * 3];
        return {p[2], p[1], p[0]};
    }

    void Box(int x0, int y0, int x1, int y1, Colour c) {
        for (int y = y0; y < y1; ++y) {
            for (int x = x0; x < x1; ++x) Set(x, y, c);
        }
    }

    void Ellipse(double cx, double cy, double rx, double ry, Colour c) {
        for (int y = static_cast<int>(cy - ry); y <= static_cast<int>(cy + ry) + 1; ++y) {
            for (int x = static_cast<int>(cx - rx); x <= static_cast<int>(cx + rx) + 1; ++x) {
                double dx = (x - cx) / rx;
                double dy = (y - cy) / ry;
                if (dx * dx + dy * dy <= 1.0) Set(x, y, c);
            }
        }
    }

    // A box with its corners rounded off by `radius`.
    void RoundedBox(int x0, int y0, int x1, int y1, int radius, Colour c) {
        for (int y = y0; y < y1; ++y) {
            for (int x = x0; x < x1; ++x) {
                if (InRoundedBox(x, y, x0, y0, x1, y1, radius)) Set(x, y, c);
            }
        }
    }

    static bool InRoundedBox(int x, int y, int x0, int y0, int x1, int y1, int radius) {
        if (x < x0 || y < y0 || x >= x1 || y >= y1) return false;
        int dx = std::max({x0 + radius - x, x - (x1 - 1 - radius), 0});
        int dy = std::max({y0 + radius - y, y - (y1 - 1 - radius), 0});
        return dx * dx + dy * dy <= radius * radius;
    }

    // A filled trapezoid between two rows, each row given by its centre and
    // half width.
    void Trapezoid(int y0, int y1, double cx0, double half0, double cx1, double half1, Colour c) {
        for (int y = y0; y < y1; ++y) {
            double t = y1 - 1 > y0 ? static_cast<double>(y - y0) / (y1 - 1 - y0) : 0.0;
            double cx = cx0 + (cx1 - cx0) * t;
            double half = half0 + (half1 - half0) * t;
            for (int x = static_cast<int>(std::lround(cx - half));
                 x <= static_cast<int>(std::lround(cx + half)); ++x)
                Set(x, y, c);
        }
    }

    DrawnPicture Take() { return std::move(picture_); }

private:
    DrawnPicture picture_;
};

inline Colour Mix(Colour a, Colour b, double t) {
    t = std::clamp(t, 0.0, 1.0);
    return {static_cast<int>(std::lround(a.r + (b.r - a.r) * t)),
            static_cast<int>(std::lround(a.g + (b.g - a.g) * t)),
            static_cast<int>(std::lround(a.b + (b.b - a.b) * t))};
}

// A small deterministic generator for star positions and the like.
class Lcg {
public:
    explicit Lcg(uint32_t seed) : state_(seed) {}
    uint32_t Next() {
        state_ = state_ * 1664525u + 1013904223u;
        return state_ >> 8;
    }
    int Below(int limit) { return static_cast<int>(Next() % static_cast<uint32_t>(limit)); }

private:
    uint32_t state_;
};

}  // namespace pc_title
