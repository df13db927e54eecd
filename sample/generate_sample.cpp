// Draws the sample title's pictures as PNG files into a folder:
//   sample_generator OUT_DIR
// back.png   320 x 240 opaque background (sky, hills, a house)
// chara.png  120 x 200 character with a transparent surround
// window.png 320 x 64  message-window frame with soft alpha
// Tarnel2.png, KEY_WAIT.png, map_name.png: the brand logo and the engine's
//   fixed system pictures
// The pictures are made from code so that they are ours and reproducible.

#include <png.h>

#include <cmath>
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

Picture Background() {
    Picture p(320, 240);
    for (int y = 0; y < 240; ++y) {
        for (int x = 0; x < 320; ++x) {
            // Evening sky fading to orange at the horizon.
            int t = y * 255 / 150;
            p.Set(x, y, 40 + t * 3 / 4, 60 + t / 3, 140 - t / 3);
        }
    }
    p.Disc(250, 70, 22, 255, 230, 160);
    for (int x = 0; x < 320; ++x) {
        int hill = 150 + static_cast<int>(18 * std::sin(x / 40.0) + 8 * std::sin(x / 13.0));
        for (int y = hill; y < 240; ++y) p.Set(x, y, 50 + (y - hill) / 3, 110 - (y - hill) / 4, 60);
    }
    p.Box(70, 120, 130, 170, 200, 190, 170);  // house
    for (int i = 0; i < 30; ++i) p.Box(70 + i, 120 - i, 130 - i, 121 - i, 150, 60, 50);
    p.Box(92, 145, 108, 170, 90, 60, 40);
    p.Box(76, 130, 88, 140, 255, 240, 150);
    return p;
}

Picture Character() {
    Picture p(120, 200);                // fully transparent to start with
    p.Disc(60, 45, 28, 250, 220, 200);  // face
    p.Box(32, 20, 88, 38, 90, 50, 40);  // hair
    p.Disc(50, 45, 3, 40, 40, 60);      // eyes
    p.Disc(70, 45, 3, 40, 40, 60);
    p.Box(52, 58, 68, 61, 200, 90, 90);  // mouth
    for (int y = 75; y < 200; ++y) {     // dress widening downwards
        int half = 18 + (y - 75) / 3;
        p.Box(60 - half, y, 60 + half, y + 1, 80, 120, 200);
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

// The page-wait icon: a small arrow on a transparent square.
Picture WaitIcon() {
    Picture p(16, 16);
    for (int y = 3; y < 13; ++y) {
        int half = (13 - y) * 6 / 10;
        p.Box(8 - half, y, 8 + half, y + 1, 255, 220, 120);
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
    struct Output {
        const char* name;
        Picture picture;
    } outputs[] = {{"back.png", Background()},    {"chara.png", Character()},
                   {"window.png", WindowFrame()}, {"Tarnel2.png", Logo()},
                   {"KEY_WAIT.png", WaitIcon()},  {"map_name.png", PlaceCaption()}};
    for (const Output& output : outputs) {
        std::string path = dir + "/" + output.name;
        if (!WritePng(path, output.picture)) {
            std::fprintf(stderr, "sample_generator: %s: cannot write\n", path.c_str());
            return 1;
        }
    }
    return 0;
}
