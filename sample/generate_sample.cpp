// Draws the sample title's pictures as PNG files into a folder:
//   sample_generator OUT_DIR
// back.png        320 x 240 opaque background: an evening sky, hills, a house
// back_night.png  the same place at night: stars, a crescent, a lit window
// chara.png       120 x 240 character with a transparent surround (every pixel
//                 she touches is opaque, so the keyed picture keeps her whole)
// charam.png      her mask, the same size: black where she is, white around
//                 her, grey on her soft edge
// window.png      320 x 64  message-window frame with soft alpha
// MESSWIN3.png    304 x 150 the message window's sheet with alpha: the window,
//                 its side piece, four small buttons, the choice plate and the
//                 highlighted plate, where the engine cuts them out
// KEY_WAIT.png    77 x 10 the page-wait icon: 8 animation cells of a small
//                 blinking triangle on a transparent surround
// Tarnel2.png, map_name.png: the brand logo and the place-name frame
// TitleChip01.png, TitleChip02.png: the title's item rows (normal and
//                 highlighted) and its extras panel
// The pictures are made from code so that they are ours and reproducible.

#include <png.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

namespace {

struct Picture {
    int width;
    int height;
    std::vector<uint8_t> rgba;

    Picture(int w, int h) : width(w), height(h), rgba(static_cast<size_t>(w) * h * 4, 0) {}

    void Set(int x, int y, int r, int g, int b, int a = 255) {
        if (x < 0 || y < 0 || x >= width || y >= height) return;
        uint8_t* p = &rgba[(static_cast<size_t>(y) * width + x) * 4];
        p[0] = static_cast<uint8_t>(r);
        p[1] = static_cast<uint8_t>(g);
        p[2] = static_cast<uint8_t>(b);
        p[3] = static_cast<uint8_t>(a);
    }

    void Disc(int cx, int cy, int radius, int r, int g, int b) {
        for (int y = cy - radius; y <= cy + radius; ++y) {
            for (int x = cx - radius; x <= cx + radius; ++x) {
                if ((x - cx) * (x - cx) + (y - cy) * (y - cy) <= radius * radius)
                    Set(x, y, r, g, b);
            }
        }
    }

    void Box(int x0, int y0, int x1, int y1, int r, int g, int b, int a = 255) {
        for (int y = y0; y < y1; ++y) {
            for (int x = x0; x < x1; ++x) Set(x, y, r, g, b, a);
        }
    }
};

bool WritePng(const std::string& path, const Picture& picture) {
    FILE* file = std::fopen(path.c_str(), "wb");
    if (file == nullptr) return false;
    png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
    png_infop info = png_create_info_struct(png);
    if (setjmp(png_jmpbuf(png))) {
        png_destroy_write_struct(&png, &info);
        std::fclose(file);
        return false;
    }
    png_init_io(png, file);
    png_set_IHDR(png, info, picture.width, picture.height, 8, PNG_COLOR_TYPE_RGBA,
                 PNG_INTERLACE_NONE, PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
    png_write_info(png, info);
    for (int y = 0; y < picture.height; ++y) {
        png_write_row(png, &picture.rgba[static_cast<size_t>(y) * picture.width * 4]);
    }
    png_write_end(png, nullptr);
    png_destroy_write_struct(&png, &info);
    return std::fclose(file) == 0;
}

// --- smooth drawing: a picture as a function of the position, sampled 4 x 4
// times a pixel so that round and slanted edges come out soft.

struct Colour {
    double r = 0, g = 0, b = 0;  // 0..255
    double a = 0;                // 0..1
};

Colour Rgb(double r, double g, double b, double a = 1.0) {
    return Colour{r, g, b, a};
}

// From a (t = 0) to b (t = 1), alpha included.
Colour Blend(const Colour& a, const Colour& b, double t) {
    t = std::clamp(t, 0.0, 1.0);
    auto mix = [t](double x, double y) { return x + (y - x) * t; };
    return {mix(a.r, b.r), mix(a.g, b.g), mix(a.b, b.b), mix(a.a, b.a)};
}

template <typename Shade>
Picture Render(int width, int height, Shade shade) {
    constexpr int kSamples = 4;
    Picture p(width, height);
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) {
            double r = 0, g = 0, b = 0, a = 0;
            for (int sy = 0; sy < kSamples; ++sy) {
                for (int sx = 0; sx < kSamples; ++sx) {
                    Colour c = shade(x + (sx + 0.5) / kSamples, y + (sy + 0.5) / kSamples);
                    r += c.r * c.a;
                    g += c.g * c.a;
                    b += c.b * c.a;
                    a += c.a;
                }
            }
            if (a <= 0) continue;
            auto byte = [](double v) {
                return static_cast<int>(std::lround(std::clamp(v, 0.0, 255.0)));
            };
            p.Set(x, y, byte(r / a), byte(g / a), byte(b / a),
                  byte(a / (kSamples * kSamples) * 255));
        }
    }
    return p;
}

bool InEllipse(double x, double y, double cx, double cy, double rx, double ry) {
    double dx = (x - cx) / rx, dy = (y - cy) / ry;
    return dx * dx + dy * dy <= 1;
}

// Signed distance to a box with rounded corners (negative inside).
double RoundedBox(double x, double y, double left, double top, double right, double bottom,
                  double radius) {
    double qx = std::abs(x - (left + right) / 2) - ((right - left) / 2 - radius);
    double qy = std::abs(y - (top + bottom) / 2) - ((bottom - top) / 2 - radius);
    double outside = std::hypot(std::max(qx, 0.0), std::max(qy, 0.0));
    return outside + std::min(std::max(qx, qy), 0.0) - radius;
}

struct Point {
    double x, y;
};

// How far outside a convex polygon (corners clockwise on the screen) the
// point is: its largest distance past an edge, negative inside.
template <size_t N>
double Convex(double x, double y, const Point (&corners)[N]) {
    double worst = -1e9;
    for (size_t i = 0; i < N; ++i) {
        const Point& a = corners[i];
        const Point& b = corners[(i + 1) % N];
        double ex = b.x - a.x, ey = b.y - a.y;
        double length = std::hypot(ex, ey);
        // The outward normal of a clockwise edge (y grows downwards).
        worst = std::max(worst, ((x - a.x) * ey - (y - a.y) * ex) / length);
    }
    return worst;
}

// Distance from the point to the segment a-b.
double Segment(double x, double y, Point a, Point b) {
    double ex = b.x - a.x, ey = b.y - a.y;
    double t = std::clamp(((x - a.x) * ex + (y - a.y) * ey) / (ex * ex + ey * ey), 0.0, 1.0);
    return std::hypot(x - (a.x + t * ex), y - (a.y + t * ey));
}

// A repeatable pseudo-random number in [0, 1) for the stars.
double Hash(uint32_t n) {
    n = (n ^ 61u) ^ (n >> 16);
    n *= 9u;
    n ^= n >> 4;
    n *= 0x27D4EB2Du;
    n ^= n >> 15;
    return (n & 0xFFFFFF) / 16777216.0;
}

// --- the pictures

// The hill line of the place, near and far.
double NearHill(double x) {
    return 150 + 18 * std::sin(x / 40.0) + 8 * std::sin(x / 13.0);
}
double FarHill(double x) {
    return 132 + 10 * std::sin(x / 55.0 + 1.0) + 5 * std::sin(x / 21.0);
}

// The place of the story, in the evening or at night: a house on a hill.
Picture Background(bool night) {
    struct Star {
        double x, y, radius, brightness;
    };
    std::vector<Star> stars;
    if (night) {
        for (uint32_t i = 0; i < 70; ++i) {
            Star star{Hash(3 * i) * 320, Hash(3 * i + 1) * 140, 0.45 + Hash(3 * i + 2) * 0.7,
                      0.5 + Hash(7 * i + 5) * 0.5};
            if (std::hypot(star.x - 250, star.y - 58) > 24) stars.push_back(star);  // off the moon
        }
    }
    return Render(320, 240, [&](double x, double y) {
        Colour c;
        // The sky: orange at the horizon in the evening, deep blue at night.
        double t = std::clamp(y / 150.0, 0.0, 1.0);
        if (night) {
            c = Blend(Rgb(8, 12, 38), Rgb(46, 52, 104), t * t);
            for (const Star& star : stars) {
                double d = std::hypot(x - star.x, y - star.y);
                if (d < star.radius) c = Blend(c, Rgb(255, 250, 225), star.brightness);
            }
            // A crescent: the moon's disc less a disc of sky beside it.
            double moon = std::hypot(x - 250, y - 58);
            if (moon < 15 && std::hypot(x - 257, y - 53) > 13) {
                c = Rgb(245, 240, 210);
            } else if (moon < 40) {
                c = Blend(c, Rgb(120, 130, 170), 0.25 * (1 - moon / 40));
            }
        } else {
            c = Rgb(40 + t * 191, 60 + t * 85, 140 - t * 85);
            double sun = std::hypot(x - 250, y - 70);
            if (sun < 22) {
                c = Rgb(255, 232, 165);
            } else if (sun < 60) {
                c = Blend(c, Rgb(255, 220, 150), 0.45 * (1 - (sun - 22) / 38));
            }
        }
        // Far hills in the haze, then the near hill.
        double far = FarHill(x);
        if (y >= far) c = night ? Rgb(30, 34, 66) : Blend(Rgb(150, 100, 120), c, 0.35);
        double near = NearHill(x);
        if (y >= near) {
            double depth = y - near;
            c = night ? Rgb(18 + depth / 8, 34 + depth / 10, 44 + depth / 10)
                      : Rgb(50 + depth / 3, 110 - depth / 4, 60);
        }
        // The house: walls, a roof, the door and a window.
        if (x >= 70 && x < 130 && y >= 120 && y < 170) {
            c = night ? Rgb(62, 62, 88) : Rgb(200, 190, 170);
            if (x >= 92 && x < 108 && y >= 145) c = night ? Rgb(36, 28, 34) : Rgb(90, 60, 40);
            if (x >= 76 && x < 88 && y >= 130 && y < 140) {
                c = night ? Rgb(255, 214, 120) : Rgb(255, 240, 150);
                if (std::abs(x - 82) < 0.6 || std::abs(y - 135) < 0.6)
                    c = night ? Rgb(120, 80, 50) : Rgb(170, 150, 120);  // the window's cross
            }
        }
        if (Convex(x, y, {{66, 121}, {100, 90}, {134, 121}}) <= 0)
            c = night ? Rgb(64, 36, 48) : Rgb(150, 60, 50);
        if (night && !(x >= 76 && x < 88 && y >= 130 && y < 140)) {
            // The lit window's warm glow on the wall and in the air.
            double glow = std::hypot((x - 82) / 1.3, y - 135);
            if (glow < 26) c = Blend(c, Rgb(255, 200, 110), 0.35 * (1 - glow / 26));
        }
        return c;
    });
}

// The heroine: long hair, a sailor collar with a ribbon, hands folded.
Picture Figure() {
    const Colour skin = Rgb(250, 226, 208);
    const Colour hair = Rgb(92, 54, 46);
    const Colour hairLight = Rgb(132, 84, 70);
    const Colour dress = Rgb(78, 114, 196);
    const Colour dressDark = Rgb(52, 82, 156);
    const Colour collar = Rgb(246, 246, 252);
    const Colour ribbon = Rgb(214, 70, 88);
    const Colour eye = Rgb(58, 44, 82);
    return Render(120, 240, [&](double x, double y) {
        Colour c;
        // Hair behind the head and down the back.
        if (InEllipse(x, y, 60, 74, 35, 40) || RoundedBox(x, y, 25, 74, 95, 156, 18) <= 0) c = hair;
        // The dress: shoulders and a skirt widening to the foot of the picture.
        double half = 22 + (y - 108) * 0.19;
        if ((y >= 108 && std::abs(x - 60) <= half) || InEllipse(x, y, 60, 118, 26, 13)) {
            c = Blend(dress, dressDark, std::pow(std::abs(x - 60) / std::max(half, 1.0), 3));
            if (y >= 150 && y < 156) c = dressDark;  // the sash
        }
        // Sleeves down to the elbows and in to the hands, folded at the waist.
        for (double side : {-1.0, 1.0}) {
            Point shoulder{60 + side * 23, 118}, elbow{60 + side * 28, 142},
                wrist{60 + side * 9, 154};
            double sleeve = std::min(Segment(x, y, shoulder, elbow), Segment(x, y, elbow, wrist));
            if (sleeve <= 6) c = sleeve > 5 ? dressDark : Blend(dress, dressDark, 0.2);
        }
        if (InEllipse(x, y, 60, 155, 8, 5.5)) c = skin;
        if (InEllipse(x, y, 60, 155, 8, 5.5) && std::abs(x - 60) < 0.5 && y > 152)
            c = Blend(skin, Rgb(200, 150, 140), 0.6);  // where the hands meet
        // Neck and the sailor collar with its ribbon.
        if (x >= 53 && x < 67 && y >= 92 && y < 112) c = Blend(skin, Rgb(220, 180, 170), 0.4);
        if (Convex(x, y, {{40, 106}, {80, 106}, {60, 128}}) <= 0) {
            c = collar;
            if (Convex(x, y, {{49, 104}, {71, 104}, {60, 120}}) <= 0) c = skin;
        }
        if (Convex(x, y, {{50, 118}, {60, 123}, {50, 128}}) <= 0 ||
            Convex(x, y, {{70, 118}, {70, 128}, {60, 123}}) <= 0 ||
            InEllipse(x, y, 60, 123, 2.6, 2.6)) {
            c = ribbon;
        }
        // The face.
        if (InEllipse(x, y, 60, 72, 23, 26)) c = skin;
        for (double side : {-1.0, 1.0}) {
            double ex = 60 + side * 10;
            if (InEllipse(x, y, ex, 85.5, 4.5, 2.2)) c = Blend(c, Rgb(250, 150, 160), 0.35);
            if (InEllipse(x, y, ex, 76, 3.4, 4.6)) c = eye;
            if (InEllipse(x, y, ex - 0.8, 74.2, 1.2, 1.3)) c = Rgb(255, 255, 255);
            if (InEllipse(x, y, ex, 71.6, 4.6, 1.1)) c = Rgb(70, 40, 40);  // lashes
        }
        double smile = std::hypot((x - 60) / 3.6, (y - 86.5) / 2.2);
        if (y > 86.5 && std::abs(smile - 1) < 0.28) c = Rgb(196, 96, 96);
        // The fringe over the forehead and the locks beside the face.
        if (InEllipse(x, y, 60, 64, 28.5, 27) && y < 57 + 6 * std::abs(std::sin((x - 60) / 6.5)))
            c = hair;
        if (RoundedBox(x, y, 33, 56, 40, 104, 3.5) <= 0 ||
            RoundedBox(x, y, 80, 56, 87, 104, 3.5) <= 0)
            c = hair;
        if (InEllipse(x, y, 60, 64, 28.5, 27) && x < 64 && y < 50 &&
            std::abs(std::hypot((x - 56) / 15, (y - 50) / 8) - 1) < 0.1)
            c = hairLight;  // the shine on the hair
        // A ribbon in the hair.
        if (Convex(x, y, {{84, 44}, {95, 38}, {94, 50}}) <= 0 ||
            Convex(x, y, {{84, 44}, {78, 55}, {75, 44}}) <= 0 || InEllipse(x, y, 84, 45, 2.5, 2.5))
            c = ribbon;
        return c;
    });
}

// The character as the keyed picture wants her: every pixel she touches at
// all fully opaque, so that her soft edge comes from the mask alone.
Picture Character(const Picture& figure) {
    Picture p = figure;
    for (size_t i = 3; i < p.rgba.size(); i += 4) p.rgba[i] = p.rgba[i] > 0 ? 255 : 0;
    return p;
}

// Her mask: black where she is, white around her, grey where she only
// partly covers a pixel.
Picture Mask(const Picture& figure) {
    Picture p(figure.width, figure.height);
    for (int y = 0; y < p.height; ++y) {
        for (int x = 0; x < p.width; ++x) {
            int grey = 255 - figure.rgba[(static_cast<size_t>(y) * p.width + x) * 4 + 3];
            p.Set(x, y, grey, grey, grey);
        }
    }
    return p;
}

Picture WindowFrame() {
    Picture p(320, 64);
    for (int y = 0; y < 64; ++y) {
        for (int x = 0; x < 320; ++x) {
            bool border = x < 3 || x >= 317 || y < 3 || y >= 61;
            if (border) {
                p.Set(x, y, 230, 230, 255, 255);
            } else {
                p.Set(x, y, 20, 20, 60, 160 + y);  // translucent, darker at the top
            }
        }
    }
    return p;
}

// The brand logo shown when the engine starts.
Picture Logo() {
    Picture p(320, 240);
    p.Box(0, 0, 320, 240, 12, 16, 40);
    for (int y = 0; y < 240; ++y) {
        for (int x = 0; x < 320; ++x) {
            double d = std::hypot(x - 160.0, y - 105.0);
            if (d > 46 && d < 58) p.Set(x, y, 240, 170, 60);
            if (d <= 30) p.Set(x, y, 250, 240, 220);
        }
    }
    // A row of diamonds under the emblem, brightest in the middle.
    for (int k = 0; k < 5; ++k) {
        int cx = 112 + k * 24;
        int shade = 150 + (2 - std::abs(k - 2)) * 40;
        for (int dy = -7; dy <= 7; ++dy) {
            int half = 7 - std::abs(dy);
            p.Box(cx - half, 194 + dy, cx + half + 1, 195 + dy, shade, shade, 230);
        }
    }
    return p;
}

// Design pixels (800 x 600) to the landscape pixels of a picture, as the
// engine cuts a sheet: each coordinate and size scaled and rounded down.
double Px(int design) {
    return design * 320 / 800;
}

struct Area {
    double left, top, right, bottom;
};

// A piece of the sheet given in design pixels.
Area Piece(int x, int y, int width, int height) {
    return Area{Px(x), Px(y), Px(x) + Px(width), Px(y) + Px(height)};
}

// A rounded panel filling the area: a fill from `top` to `bottom` colour and
// a one-pixel border. Outside it, nothing.
Colour Panel(double x, double y, const Area& area, double radius, const Colour& top,
             const Colour& bottom, const Colour& border) {
    double d = RoundedBox(x, y, area.left, area.top, area.right, area.bottom, radius);
    if (d > 0) return {};
    if (d > -1) return border;
    return Blend(top, bottom, (y - area.top) / (area.bottom - area.top));
}

// A small play triangle pointing right, its left edge at x0.
bool PlayMark(double x, double y, double x0, double cy) {
    return Convex(x, y, {{x0, cy - 3}, {x0 + 5, cy}, {x0, cy + 3}}) <= 0;
}

// The message window's sheet (MESSWIN3): 760 x 374 design pixels. The engine
// sets one alpha over the window and the choice plate by its transparency
// setting (keeping only fully clear pixels clear); the side piece, the
// buttons and the highlighted plate keep the alpha drawn here.
Picture MessageSheet() {
    const Area window = Piece(0, 0, 760, 214);
    const Area side = Piece(0, 216, 96, 158);
    const Area buttons[] = {Piece(96, 296, 72, 24), Piece(168, 296, 88, 24),
                            Piece(256, 296, 88, 24), Piece(344, 296, 88, 24)};
    const Area plate = Piece(96, 216, 456, 40);
    const Area highlight = Piece(96, 256, 456, 40);
    const Colour border = Rgb(206, 220, 255, 0.95);
    const Colour icon = Rgb(238, 244, 255);
    auto in = [](double x, double y, const Area& a) {
        return x >= a.left && x < a.right && y >= a.top && y < a.bottom;
    };
    return Render(304, 150, [&](double x, double y) {
        if (in(x, y, window)) {
            Colour c = Panel(x, y, window, 7, Rgb(34, 50, 106, 0.8), Rgb(12, 18, 54, 0.8), border);
            // A faint rule under the speaker's name, fading to the right.
            if (c.a > 0 && y >= 20 && y < 21 && x >= 8 && x < 140)
                c = Blend(c, Rgb(120, 150, 230, c.a), 0.8 * (1 - (x - 8) / 132));
            return c;
        }
        if (in(x, y, side))
            return Panel(x, y, side, 5, Rgb(30, 46, 100, 0.82), Rgb(14, 22, 60, 0.82), border);
        for (int i = 0; i < 4; ++i) {
            const Area& b = buttons[i];
            if (!in(x, y, b)) continue;
            Colour c = Panel(x, y, b, 4, Rgb(74, 108, 186, 0.92), Rgb(38, 62, 128, 0.92), border);
            if (c.a == 0) return c;
            double cx = (b.left + b.right) / 2, cy = (b.top + b.bottom) / 2;
            bool mark = false;
            switch (i) {
                case 0:  // the menu: three bars
                    mark = std::abs(x - cx) < 4 &&
                           (std::abs(y - cy + 2) < 0.5 || std::abs(y - cy) < 0.5 ||
                            std::abs(y - cy - 2) < 0.5);
                    break;
                case 1:  // automatic reading: one triangle
                    mark = PlayMark(x, y, cx - 2.5, cy);
                    break;
                case 2:  // skipping: two triangles
                    mark = PlayMark(x, y, cx - 5, cy) || PlayMark(x, y, cx, cy);
                    break;
                default: {  // the backlog: a page
                    double d = RoundedBox(x, y, cx - 3, cy - 2.5, cx + 3, cy + 2.5, 0.5);
                    mark = (d <= 0 && d > -1) || (std::abs(y - cy) < 0.5 && std::abs(x - cx) < 2);
                    break;
                }
            }
            return mark ? icon : c;
        }
        if (in(x, y, plate))
            return Panel(x, y, plate, 4, Rgb(62, 98, 178, 0.9), Rgb(30, 52, 118, 0.9),
                         Rgb(176, 204, 255, 0.95));
        if (in(x, y, highlight)) {
            // Lies over the caption: a light veil, so the words stay readable.
            return Panel(x, y, highlight, 4, Rgb(196, 228, 255, 0.42), Rgb(150, 200, 255, 0.22),
                         Rgb(244, 250, 255, 0.95));
        }
        return Colour{};
    });
}

// The page-wait icon: eight cells of 24 x 24 design pixels in a row, a small
// triangle that sinks and dims, then comes back. The surround is clear (the
// keyed picture turns it into the key colour).
Picture WaitIcon() {
    constexpr int kCells = 8;
    static constexpr double kDrop[kCells] = {0, 0, 1, 1, 1, 1, 0, 0};
    static constexpr double kGlow[kCells] = {1, 1, 0.85, 0.6, 0.35, 0.6, 0.85, 1};
    return Render(77, 10, [&](double x, double y) {
        int cell = 0;
        while (cell + 1 < kCells && x >= Px(24 * (cell + 1))) ++cell;
        double cx = Px(24 * cell) + 4.5, top = 1 + kDrop[cell];
        double d = Convex(x, y, {{cx - 3.5, top}, {cx + 3.5, top}, {cx, top + 5}});
        if (d <= 0) return Blend(Rgb(110, 84, 40), Rgb(255, 224, 120), kGlow[cell]);
        if (d <= 1) return Rgb(22, 26, 62);  // the outline keeps it visible on any picture
        return Colour{};
    });
}

// The title's item sheet: five rows of soft panels where the title cuts its
// items (design rows 40 high at y 0, 120, 240, 360, 480, each 312..246
// wide), each highlighted 80 design pixels below in a warmer colour.
Picture TitleItems() {
    Picture p(320, 240);
    static constexpr int kWidths[5] = {312, 296, 278, 264, 246};
    for (int row = 0; row < 5; ++row) {
        for (int lit = 0; lit < 2; ++lit) {
            int top = row * 120 + lit * 80;
            int x1 = static_cast<int>(Px(kWidths[row])), y0 = static_cast<int>(Px(top));
            int y1 = static_cast<int>(Px(top + 40));
            p.Box(0, y0, x1, y1, lit ? 250 : 30, lit ? 200 : 40, lit ? 120 : 90, 230);
            // A bar standing for the item's label.
            p.Box(8, y0 + 6, 8 + (x1 - 16) * (5 - row) / 6, y1 - 6, lit ? 90 : 200, lit ? 50 : 210,
                  lit ? 20 : 240);
        }
    }
    return p;
}

// The title's extras panel: three lines under one frame.
Picture TitleExtras() {
    Picture p(static_cast<int>(Px(512)), static_cast<int>(Px(104)));
    p.Box(0, 0, p.width, p.height, 24, 32, 80, 220);
    for (int line = 0; line < 3; ++line) {
        int y = 3 + line * 13;
        p.Box(12 + line * 6, y, p.width - 20, y + 9, 190, 200, 240);
    }
    return p;
}

// The frame behind place names on the map.
Picture PlaceCaption() {
    Picture p(120, 24);
    p.Box(0, 0, 120, 24, 30, 30, 60, 200);
    p.Box(0, 0, 120, 2, 220, 220, 255);
    p.Box(0, 22, 120, 24, 220, 220, 255);
    return p;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: sample_generator OUT_DIR\n");
        return 2;
    }
    std::string dir = argv[1];
    const Picture figure = Figure();
    struct Output {
        const char* name;
        Picture picture;
    } outputs[] = {{"back.png", Background(false)},   {"back_night.png", Background(true)},
                   {"chara.png", Character(figure)},  {"charam.png", Mask(figure)},
                   {"window.png", WindowFrame()},     {"MESSWIN3.png", MessageSheet()},
                   {"Tarnel2.png", Logo()},           {"KEY_WAIT.png", WaitIcon()},
                   {"map_name.png", PlaceCaption()},  {"TitleChip01.png", TitleItems()},
                   {"TitleChip02.png", TitleExtras()}};
    for (const Output& output : outputs) {
        std::string path = dir + "/" + output.name;
        if (!WritePng(path, output.picture)) {
            std::fprintf(stderr, "sample_generator: %s: cannot write\n", path.c_str());
            return 1;
        }
    }
    return 0;
}
