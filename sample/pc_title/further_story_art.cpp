// The pictures of the further stories (the second install folder): the
// places of the Christmas story, of the school bonus and of the summer by
// the sea, by day and by night; their event pictures, which the CG gallery
// also shows from the first folder; the people with their masks; and the
// epilogue's fourteen pictures, an album of the summer.

#include "sample/pc_title/further_story_art.h"

#include <cmath>

#include "sample/pc_title/canvas.h"
#include "sample/pc_title/further_story_kit.h"
#include "sample/pc_title/further_story_people.h"
#include "sample/pc_title/install_tree.h"

namespace pc_title {

namespace {

constexpr int kW = kSamplePictureWidth;
constexpr int kH = kSamplePictureHeight;

const Colour kNightTop{8, 12, 38};
const Colour kNightLow{44, 52, 96};
const Colour kEveningTop{58, 70, 150};
const Colour kEveningLow{250, 166, 110};
const Colour kDayTop{70, 130, 220};
const Colour kDayLow{190, 224, 250};
const Colour kWarmLight{255, 214, 130};

void Stars(Canvas& c, uint32_t seed, int count, int below) {
    Lcg random(seed);
    for (int i = 0; i < count; ++i) {
        int x = random.Below(kW);
        int y = random.Below(below);
        int shade = 170 + random.Below(86);
        c.Set(x, y, {shade, shade, std::min(255, shade + 20)});
        if (i % 9 == 0) c.Set(x + 1, y, {shade, shade, 255});
    }
}

// A soft cloud of overlapping puffs.
void Cloud(Canvas& c, double cx, double cy, double size, Colour colour, Colour shade) {
    c.Ellipse(cx, cy + size * 0.25, size * 1.5, size * 0.45, shade);
    c.Ellipse(cx - size * 0.7, cy, size * 0.6, size * 0.5, colour);
    c.Ellipse(cx + size * 0.6, cy + size * 0.05, size * 0.7, size * 0.5, colour);
    c.Ellipse(cx, cy - size * 0.3, size * 0.75, size * 0.7, colour);
}

double Hill(int x) {
    return 400 + 30 * std::sin(x / 120.0 + 0.5) + 12 * std::sin(x / 41.0);
}

// A house with a pointed roof and lit (or dark) windows.
void House(Canvas& c, int x0, int base, int width, int height, Colour wall, Colour roof, bool lit) {
    c.Box(x0, base - height, x0 + width, base, wall);
    c.Trapezoid(base - height - width / 2, base - height + 4, x0 + width / 2.0, 4, x0 + width / 2.0,
                width / 2.0 + 18, roof);
    Colour window = lit ? kWarmLight : Mix(wall, Colour{20, 24, 40}, 0.5);
    for (int i = 0; i < 2; ++i) {
        int wx = x0 + width / 5 + i * width * 2 / 5;
        c.Box(wx, base - height * 2 / 3, wx + width / 5, base - height / 3, window);
        if (lit) Glow(c, wx + width / 10.0, base - height / 2.0, width / 3.0, kWarmLight, 0.35);
    }
    c.Box(x0 + width / 2 - 12, base - 46, x0 + width / 2 + 12, base, Mix(roof, wall, 0.3));
}

// The hill with the house: the Christmas story's first place.
DrawnPicture HillHouse(bool night) {
    Canvas c(kW, kH, {0, 0, 0});
    VerticalGradient(c, 0, kH, night ? kNightTop : kEveningTop, night ? kNightLow : kEveningLow);
    if (night) {
        Stars(c, 1225, 160, 360);
        c.Ellipse(150, 110, 30, 30, {236, 236, 214});
    } else {
        Glow(c, 640, 330, 260, {255, 230, 170}, 0.7);
        c.Ellipse(640, 330, 40, 40, {255, 230, 180});
    }
    Colour ground = night ? Colour{30, 44, 58} : Colour{110, 120, 96};
    Colour snow = night ? Colour{150, 160, 196} : Colour{240, 232, 236};
    for (int x = 0; x < kW; ++x) {
        int top = static_cast<int>(Hill(x));
        for (int y = top; y < kH; ++y) c.Set(x, y, Mix(snow, ground, (y - top) / 260.0));
    }
    House(c, 430, static_cast<int>(Hill(520)) + 16, 200, 120,
          night ? Colour{70, 66, 90} : Colour{226, 206, 180},
          night ? Colour{60, 30, 40} : Colour{150, 60, 56}, true);
    // The gate and the fence in front of it.
    Colour wood = night ? Colour{50, 40, 44} : Colour{110, 76, 52};
    for (int x = 300; x < 420; x += 24) c.Box(x, 430, x + 8, 480, wood);
    c.Box(300, 444, 420, 452, wood);
    return c.Take();
}

DrawnPicture DrawEvening() {
    return HillHouse(false);
}
DrawnPicture DrawNight() {
    return HillHouse(true);
}

// The living room: a fire, a window on the snowy night, a table with a gift.
DrawnPicture DrawRoom() {
    Canvas c(kW, kH, {196, 150, 112});
    for (int x = 0; x < kW; x += 40) c.Box(x, 0, x + 4, 420, {182, 136, 100});
    VerticalGradient(c, 420, kH, {140, 90, 60}, {96, 58, 40});
    // The window.
    c.Box(90, 90, 310, 330, {236, 226, 210});
    c.Box(102, 102, 298, 318, kNightTop);
    Lcg random(77);
    for (int i = 0; i < 60; ++i) {
        const int x = 104 + random.Below(192);
        const int y = 104 + random.Below(212);
        c.Ellipse(x, y, 2, 2, {230, 236, 250});
    }
    c.Box(196, 102, 204, 318, {236, 226, 210});
    c.Box(102, 206, 298, 214, {236, 226, 210});
    // The fireplace.
    c.Box(470, 200, 740, 440, {150, 80, 62});
    c.Box(450, 190, 760, 214, {120, 62, 50});
    c.Box(520, 290, 690, 440, {40, 24, 22});
    Glow(c, 605, 400, 200, {255, 160, 60}, 0.5);
    c.Ellipse(605, 404, 60, 36, {240, 110, 40});
    c.Ellipse(605, 396, 34, 40, {255, 196, 80});
    c.Ellipse(605, 404, 14, 20, {255, 244, 200});
    // The table and the gift with its red ribbon.
    c.Box(200, 470, 600, 496, {120, 74, 46});
    c.Box(230, 496, 250, 600, {96, 58, 36});
    c.Box(550, 496, 570, 600, {96, 58, 36});
    c.Box(360, 410, 440, 470, {250, 250, 244});
    c.Box(392, 410, 408, 470, {210, 40, 50});
    c.Box(360, 432, 440, 446, {210, 40, 50});
    c.Ellipse(388, 406, 14, 8, {210, 40, 50});
    c.Ellipse(412, 406, 14, 8, {210, 40, 50});
    return c.Take();
}

// The night sky above the hill, with snow clouds parting round a star.
DrawnPicture DrawSkySnow() {
    Canvas c(kW, kH, {0, 0, 0});
    VerticalGradient(c, 0, kH, {4, 8, 30}, {30, 40, 84});
    Stars(c, 2412, 200, kH);
    Cloud(c, 160, 160, 110, {70, 76, 110}, {50, 56, 90});
    Cloud(c, 660, 420, 130, {70, 76, 110}, {50, 56, 90});
    Cloud(c, 120, 520, 90, {60, 66, 100}, {44, 50, 84});
    Glow(c, 430, 250, 120, {200, 220, 255}, 0.8);
    c.Ellipse(430, 250, 6, 6, {255, 255, 255});
    return c.Take();
}

// The town square: shops round a square with the great tree.
DrawnPicture TownSquare(bool night) {
    Canvas c(kW, kH, {0, 0, 0});
    VerticalGradient(c, 0, 330, night ? kNightTop : kDayTop, night ? kNightLow : kDayLow);
    if (night) Stars(c, 1224, 60, 200);
    const Colour walls[] = {{200, 170, 140}, {170, 180, 200}, {210, 196, 160}, {180, 140, 130}};
    Lcg random(3);
    for (int i = 0; i < 8; ++i) {
        int x0 = i * 100;
        int height = 150 + random.Below(90);
        Colour wall = walls[i % 4];
        if (night) wall = Mix(wall, Colour{20, 24, 50}, 0.65);
        c.Box(x0, 330 - height, x0 + 100, 400, wall);
        c.Box(x0 - 4, 330 - height - 12, x0 + 104, 330 - height, Mix(wall, Colour{0, 0, 0}, 0.3));
        for (int row = 0; row < 3; ++row) {
            for (int col = 0; col < 2; ++col) {
                int wx = x0 + 18 + col * 44;
                int wy = 330 - height + 20 + row * 50;
                if (wy + 30 > 380) continue;
                bool lit = night && random.Below(3) != 0;
                c.Box(wx, wy, wx + 22, wy + 30,
                      lit ? kWarmLight : Mix(wall, Colour{60, 80, 120}, 0.5));
            }
        }
    }
    // Pavement.
    VerticalGradient(c, 400, kH, night ? Colour{60, 60, 80} : Colour{190, 184, 170},
                     night ? Colour{30, 30, 44} : Colour{150, 140, 126});
    for (int x = 0; x < kW; x += 60)
        c.Box(x, 400, x + 2, kH, night ? Colour{50, 50, 66} : Colour{170, 162, 150});
    // The tree: three tiers, a trunk, lights at night, a star on top.
    const Colour green = night ? Colour{20, 70, 50} : Colour{40, 120, 70};
    c.Box(390, 470, 410, 540, {90, 60, 40});
    c.Trapezoid(120, 260, 400, 6, 400, 90, green);
    c.Trapezoid(200, 370, 400, 30, 400, 130, green);
    c.Trapezoid(300, 480, 400, 50, 400, 170, green);
    if (night) {
        const Colour bulbs[] = {{255, 80, 80}, {255, 220, 90}, {120, 200, 255}, {250, 250, 250}};
        Lcg lights(2512);
        for (int i = 0; i < 46; ++i) {
            int y = 140 + lights.Below(330);
            double half = y < 260   ? 6 + (y - 120) * 84.0 / 140
                          : y < 370 ? 30 + (y - 200) * 100.0 / 170
                                    : 50 + (y - 300) * 120.0 / 180;
            int x = 400 - static_cast<int>(half) + lights.Below(static_cast<int>(2 * half) + 1);
            Glow(c, x, y, 12, bulbs[i % 4], 0.6);
            c.Ellipse(x, y, 3, 3, bulbs[i % 4]);
        }
        Glow(c, 400, 112, 60, {255, 230, 120}, 0.7);
    }
    c.Ellipse(400, 112, 16, 16, {255, 214, 70});
    return c.Take();
}

DrawnPicture DrawTown() {
    return TownSquare(false);
}
DrawnPicture DrawTownNight() {
    return TownSquare(true);
}

// A classroom at noon: blackboard, windows on the spring sky, desks.
DrawnPicture DrawClassroom() {
    Canvas c(kW, kH, {236, 228, 206});
    c.Box(0, 430, kW, kH, {176, 140, 100});
    for (int x = 0; x < kW; x += 50) c.Box(x, 430, x + 2, kH, {160, 124, 88});
    c.Box(60, 100, 420, 300, {120, 96, 70});
    c.Box(70, 110, 410, 290, {40, 86, 64});
    c.Box(90, 150, 250, 154, {230, 230, 220});
    c.Box(90, 190, 320, 194, {230, 230, 220});
    c.Box(90, 230, 200, 234, {230, 230, 220});
    for (int i = 0; i < 2; ++i) {
        int x0 = 480 + i * 150;
        c.Box(x0, 70, x0 + 130, 330, {220, 220, 226});
        for (int y = 80; y < 320; ++y)
            for (int x = x0 + 10; x < x0 + 120; ++x)
                c.Set(x, y, Mix(kDayTop, kDayLow, (y - 80) / 240.0));
        Cloud(c, x0 + 60, 160, 30, {250, 250, 252}, {226, 230, 240});
        c.Box(x0 + 62, 80, x0 + 68, 320, {220, 220, 226});
    }
    for (int row = 0; row < 2; ++row) {
        for (int col = 0; col < 4; ++col) {
            int x0 = 40 + col * 200 + row * 30;
            int y0 = 440 + row * 80;
            c.Box(x0, y0, x0 + 150, y0 + 22, {200, 160, 110});
            c.Box(x0 + 10, y0 + 22, x0 + 18, y0 + 80, {110, 110, 120});
            c.Box(x0 + 132, y0 + 22, x0 + 140, y0 + 80, {110, 110, 120});
        }
    }
    return c.Take();
}

// The school's rooftop: a wide sky, the fence and the water tank.
DrawnPicture Rooftop(bool people) {
    Canvas c(kW, kH, {0, 0, 0});
    VerticalGradient(c, 0, 420, kDayTop, kDayLow);
    Cloud(c, 180, 120, 70, {252, 252, 252}, {226, 232, 244});
    Cloud(c, 600, 200, 90, {252, 252, 252}, {226, 232, 244});
    c.Box(0, 420, kW, kH, {170, 170, 164});
    for (int x = 0; x < kW; x += 80) c.Box(x, 420, x + 2, kH, {150, 150, 146});
    // The tank on its legs.
    c.Box(620, 250, 760, 340, {200, 206, 210});
    c.Box(630, 340, 640, 420, {120, 120, 126});
    c.Box(740, 340, 750, 420, {120, 120, 126});
    // The fence.
    for (int x = 0; x < kW; x += 20) c.Box(x, 330, x + 4, 430, {90, 130, 110});
    c.Box(0, 330, kW, 336, {90, 130, 110});
    c.Box(0, 380, kW, 384, {90, 130, 110});
    if (people) {
        // The bench seen from behind, two people sharing their lunch.
        c.Box(230, 470, 570, 490, {130, 90, 60});
        c.Box(240, 490, 252, 560, {90, 60, 40});
        c.Box(548, 490, 560, 560, {90, 60, 40});
        c.Trapezoid(360, 480, 320, 34, 320, 60, {40, 50, 80});
        c.Ellipse(320, 330, 40, 44, {50, 40, 40});
        c.Trapezoid(370, 480, 470, 30, 470, 54, {46, 58, 96});
        c.Ellipse(470, 340, 38, 42, {40, 36, 48});
        c.Ellipse(510, 310, 18, 34, {40, 36, 48});
        Lcg petals(404);
        for (int i = 0; i < 30; ++i) {
            const int x = petals.Below(kW);
            const int y = petals.Below(420);
            c.Ellipse(x, y, 5, 3, {250, 200, 214});
        }
    }
    return c.Take();
}

DrawnPicture DrawRooftop() {
    return Rooftop(false);
}

}  // namespace

DrawnPicture DrawEventRooftop() {
    return Rooftop(true);
}

namespace {

// The seaside: horizon at `horizon`, sky and sea coloured for the hour.
void SeaAndSky(Canvas& c, int horizon, Colour skyTop, Colour skyLow, Colour seaTop, Colour seaLow) {
    VerticalGradient(c, 0, horizon, skyTop, skyLow);
    VerticalGradient(c, horizon, kH, seaTop, seaLow);
}

void Waves(Canvas& c, int from, int to, Colour foam, uint32_t seed) {
    Lcg random(seed);
    for (int i = 0; i < 60; ++i) {
        int y = from + random.Below(to - from);
        int x = random.Below(kW);
        int length = 20 + random.Below(50);
        c.Box(x, y, x + length, y + 2, foam);
    }
}

// The little station above the sea.
DrawnPicture DrawStation() {
    Canvas c(kW, kH, {0, 0, 0});
    SeaAndSky(c, 300, kDayTop, kDayLow, {60, 140, 200}, {90, 170, 210});
    Cloud(c, 620, 130, 80, {252, 252, 252}, {230, 234, 244});
    Waves(c, 310, 380, {210, 236, 250}, 71);
    // Platform, rails and the roof on two posts.
    c.Box(0, 380, kW, 420, {120, 110, 104});
    c.Box(0, 392, kW, 396, {80, 76, 76});
    c.Box(0, 420, kW, kH, {200, 196, 186});
    c.Box(0, 420, kW, 428, {240, 220, 90});
    c.Box(80, 150, 520, 180, {170, 80, 60});
    c.Box(110, 180, 126, 420, {110, 110, 116});
    c.Box(470, 180, 486, 420, {110, 110, 116});
    // The station's name board and the white bench.
    c.Box(580, 300, 760, 350, {250, 250, 250});
    c.Box(588, 308, 752, 342, {40, 90, 160});
    c.Box(600, 350, 610, 430, {110, 110, 116});
    c.Box(730, 350, 740, 430, {110, 110, 116});
    c.Box(200, 480, 420, 500, {250, 250, 250});
    c.Box(200, 440, 420, 456, {250, 250, 250});
    c.Box(210, 500, 222, 540, {200, 200, 206});
    c.Box(398, 500, 410, 540, {200, 200, 206});
    return c.Take();
}

// The shore by day.
DrawnPicture DrawSea() {
    Canvas c(kW, kH, {0, 0, 0});
    SeaAndSky(c, 260, kDayTop, kDayLow, {40, 120, 190}, {80, 180, 200});
    Cloud(c, 200, 150, 100, {252, 252, 252}, {228, 232, 244});
    Waves(c, 270, 420, {220, 240, 250}, 72);
    for (int x = 0; x < kW; ++x) {
        int top = static_cast<int>(430 + 24 * std::sin(x / 150.0));
        for (int y = top; y < kH; ++y)
            c.Set(x, y, Mix({240, 224, 180}, {220, 196, 150}, (y - top) / 170.0));
        c.Set(x, top, {250, 250, 250});
        c.Set(x, top + 1, {250, 250, 250});
    }
    return c.Take();
}

// The summer sky above the shore, for the view to rise into.
DrawnPicture DrawSkySummer() {
    Canvas c(kW, kH, {0, 0, 0});
    VerticalGradient(c, 0, kH, {40, 100, 210}, {150, 200, 246});
    Cloud(c, 400, 330, 200, {252, 252, 252}, {220, 226, 240});
    Cloud(c, 400, 180, 130, {255, 255, 255}, {236, 238, 246});
    Cloud(c, 120, 120, 60, {250, 250, 252}, {226, 230, 242});
    return c.Take();
}

// The shore at sunset; with `people`, the two of them by the water.
DrawnPicture SunsetShore(bool people) {
    Canvas c(kW, kH, {0, 0, 0});
    SeaAndSky(c, 300, {90, 70, 150}, {255, 170, 100}, {200, 110, 90}, {90, 60, 100});
    Glow(c, 400, 300, 300, {255, 210, 140}, 0.7);
    c.Ellipse(400, 300, 56, 56, {255, 220, 150});
    c.Box(0, 300, kW, kH, {0, 0, 0});
    for (int y = 300; y < kH; ++y) {
        for (int x = 0; x < kW; ++x)
            c.Set(x, y, Mix({200, 110, 90}, {90, 60, 100}, (y - 300) / 300.0));
    }
    // The sun's path on the water.
    Lcg random(73);
    for (int i = 0; i < 90; ++i) {
        int y = 304 + random.Below(200);
        int half = 10 + (y - 300) / 4;
        int x = 400 - half + random.Below(2 * half);
        c.Box(x, y, x + 20 + random.Below(30), y + 2, {255, 214, 150});
    }
    VerticalGradient(c, 500, kH, {120, 80, 90}, {80, 50, 70});
    if (people) {
        const Colour shadow{50, 30, 50};
        c.Trapezoid(410, 560, 300, 22, 300, 44, shadow);
        c.Ellipse(300, 388, 26, 30, shadow);
        c.Trapezoid(420, 560, 480, 18, 480, 50, shadow);
        c.Ellipse(480, 398, 24, 28, shadow);
        c.Ellipse(480, 378, 62, 12, shadow);
        c.Ellipse(480, 366, 30, 18, shadow);
        // Her hand holds the shell up to the sun.
        c.Trapezoid(330, 420, 530, 5, 505, 8, shadow);
        Glow(c, 532, 326, 30, {255, 190, 200}, 0.9);
        c.Ellipse(532, 326, 9, 7, {250, 190, 200});
    }
    return c.Take();
}

DrawnPicture DrawSeaEvening() {
    return SunsetShore(false);
}

}  // namespace

DrawnPicture DrawEventShore() {
    return SunsetShore(true);
}

namespace {

// The lighthouse on its point at night, its beam across the sea.
DrawnPicture DrawLighthouseNight() {
    Canvas c(kW, kH, {0, 0, 0});
    SeaAndSky(c, 330, kNightTop, kNightLow, {20, 30, 60}, {10, 16, 36});
    Stars(c, 701, 180, 320);
    Waves(c, 340, 600, {60, 80, 120}, 74);
    for (int x = 420; x < kW; ++x) {
        int top = static_cast<int>(420 - (x - 420) * 0.25);
        for (int y = top; y < kH; ++y) c.Set(x, y, {24, 28, 36});
    }
    c.Trapezoid(180, 380, 640, 22, 640, 38, {220, 220, 226});
    for (int band = 0; band < 3; ++band)
        c.Trapezoid(210 + band * 60, 236 + band * 60, 640, 26 + band * 6, 640, 30 + band * 6,
                    {180, 50, 50});
    c.Box(612, 150, 668, 182, {60, 60, 70});
    c.Ellipse(640, 166, 20, 14, kWarmLight);
    for (int x = 0; x < 640; ++x) {
        double spread = (640 - x) * 0.18;
        for (int y = static_cast<int>(166 - spread); y <= static_cast<int>(166 + spread); ++y)
            Blend(c, x, y, kWarmLight, 0.28 * (x / 640.0));
    }
    Glow(c, 640, 166, 90, kWarmLight, 0.6);
    return c.Take();
}

}  // namespace

// The star on the hill: the two of them seen from behind, looking up.
DrawnPicture DrawEventStar() {
    Canvas c(kW, kH, {0, 0, 0});
    VerticalGradient(c, 0, kH, {6, 10, 40}, {50, 60, 110});
    Stars(c, 1226, 120, 400);
    Glow(c, 560, 150, 170, {190, 210, 255}, 0.8);
    c.Ellipse(560, 150, 7, 7, {255, 255, 255});
    Lcg snow(1227);
    for (int i = 0; i < 70; ++i) {
        const int x = snow.Below(kW);
        const int y = snow.Below(kH);
        c.Ellipse(x, y, 3, 3, {236, 240, 250});
    }
    for (int x = 0; x < kW; ++x) {
        int top = static_cast<int>(470 + 20 * std::sin(x / 130.0));
        for (int y = top; y < kH; ++y)
            c.Set(x, y, Mix({170, 180, 214}, {80, 90, 130}, (y - top) / 130.0));
    }
    const Colour coat{40, 30, 50};
    c.Trapezoid(360, 520, 330, 30, 330, 62, coat);
    c.Ellipse(330, 326, 32, 36, {30, 22, 30});
    c.Trapezoid(370, 520, 450, 28, 450, 56, {120, 30, 40});
    c.Ellipse(450, 336, 30, 34, {60, 36, 32});
    c.Box(420, 340, 480, 420, {60, 36, 32});
    c.Box(430, 360, 470, 378, {230, 230, 240});
    return c.Take();
}

// The great tree, close by: the lights and the two by its foot.
DrawnPicture DrawEventTree() {
    Canvas c(TownSquare(true));
    BlendBox(c, 0, 0, kW, kH, {255, 200, 120}, 0.12);
    const Colour shadow{30, 20, 36};
    // The two of them beside the tree, seen from behind, looking up at it.
    c.Trapezoid(330, kH, 230, 44, 230, 96, shadow);
    c.Ellipse(230, 292, 42, 48, shadow);
    c.Trapezoid(344, kH, 570, 40, 570, 90, shadow);
    c.Ellipse(570, 306, 40, 46, shadow);
    c.Box(532, 306, 609, 400, shadow);
    return c.Take();
}

namespace {

// The epilogue's album: the summer's places as photographs on a table,
// each tinted a little differently, with a white border.
template <int N>
DrawnPicture DrawAlbumPage() {
    static constexpr DrawnPicture (*kScenes[])() = {
        DrawStation,         DrawSea,        DrawSkySummer, DrawSeaEvening,
        DrawLighthouseNight, DrawEventShore, DrawNagisa,    DrawNagisaLaughing};
    DrawnPicture scene = kScenes[N % 8]();
    Canvas out(kW, kH, {120, 90, 70});
    for (int y = 0; y < kH; y += 6) out.Box(0, y, kW, y + 2, {112, 84, 64});
    const double tilt = (N % 3 - 1) * 0.03;
    const int left = 120;
    const int top = 70;
    const int width = 560;
    const int height = 420;
    const Colour tint = N % 2 == 0 ? Colour{255, 220, 170} : Colour{200, 220, 255};
    Canvas in(std::move(scene));
    for (int y = -20; y < height + 40; ++y) {
        for (int x = -20; x < width + 20; ++x) {
            int px = left + x + static_cast<int>(y * tilt);
            int py = top + y + static_cast<int>(-x * tilt);
            bool photo = x >= 0 && y >= 0 && x < width && y < height;
            Colour c = {250, 248, 240};
            if (photo) {
                // The later pages show a part of their scene, closer.
                Colour s = N < 8 ? in.At(x * kW / width, y * kH / height)
                                 : in.At(kW / 6 + x * kW * 2 / (3 * width),
                                         kH / 6 + y * kH * 2 / (3 * height));
                if (s.r == 255 && s.g == 0 && s.b == 255) s = {180, 220, 240};
                c = Mix(s, tint, 0.18);
            }
            out.Set(px, py, c);
            out.Set(px + 1, py, c);
        }
    }
    return out.Take();
}

}  // namespace

const std::vector<SamplePicture>& FurtherStoryPictures() {
    constexpr InstallFolder kSecond = InstallFolder::kSecond;
    // The CG gallery shows the event pictures from the first folder.
    constexpr InstallFolder kBoth = InstallFolder::kBoth;
    constexpr CrxWriteScheme kZlib = CrxWriteScheme::Zlib;
    constexpr CrxWriteScheme kLz = CrxWriteScheme::Lz;
    static const std::vector<SamplePicture> pictures = {
        {"GameData/char/back/evening.crx", DrawEvening, kZlib, false, kSecond},
        {"GameData/char/back/night.crx", DrawNight, kLz, false, kSecond},
        {"GameData/char/back/room.crx", DrawRoom, kZlib, false, kSecond},
        {"GameData/char/back/sky_snow.crx", DrawSkySnow, kLz, false, kSecond},
        {"GameData/char/back/town.crx", DrawTown, kZlib, false, kSecond},
        {"GameData/char/back/town_night.crx", DrawTownNight, kZlib, false, kSecond},
        {"GameData/char/back/classroom.crx", DrawClassroom, kLz, false, kSecond},
        {"GameData/char/back/rooftop.crx", DrawRooftop, kZlib, false, kSecond},
        {"GameData/char/back/station.crx", DrawStation, kZlib, false, kSecond},
        {"GameData/char/back/sea.crx", DrawSea, kLz, false, kSecond},
        {"GameData/char/back/sky_summer.crx", DrawSkySummer, kZlib, false, kSecond},
        {"GameData/char/back/sea_evening.crx", DrawSeaEvening, kZlib, false, kSecond},
        {"GameData/char/back/lighthouse_night.crx", DrawLighthouseNight, kLz, false, kSecond},
        {"GameData/char/back/ev_star.crx", DrawEventStar, kZlib, false, kBoth},
        {"GameData/char/back/ev_tree.crx", DrawEventTree, kZlib, false, kBoth},
        {"GameData/char/back/ev_rooftop.crx", DrawEventRooftop, kLz, false, kBoth},
        {"GameData/char/back/ev_shore.crx", DrawEventShore, kZlib, false, kBoth},
        {"GameData/char/girl.crx", DrawAkari, kLz, true, kSecond},
        {"GameData/char/girlm.crx", DrawMask<DrawAkari>, kLz, true, kSecond},
        {"GameData/char/girl2.crx", DrawAkariSmiling, kLz, true, kSecond},
        {"GameData/char/girl2m.crx", DrawMask<DrawAkariSmiling>, kZlib, true, kSecond},
        {"GameData/char/mika.crx", DrawMika, kLz, true, kSecond},
        {"GameData/char/mikam.crx", DrawMask<DrawMika>, kLz, true, kSecond},
        {"GameData/char/mika2.crx", DrawMikaLaughing, kZlib, true, kSecond},
        {"GameData/char/mika2m.crx", DrawMask<DrawMikaLaughing>, kLz, true, kSecond},
        {"GameData/char/nagisa.crx", DrawNagisa, kLz, true, kSecond},
        {"GameData/char/nagisam.crx", DrawMask<DrawNagisa>, kLz, true, kSecond},
        {"GameData/char/nagisa2.crx", DrawNagisaLaughing, kLz, true, kSecond},
        {"GameData/char/nagisa2m.crx", DrawMask<DrawNagisaLaughing>, kZlib, true, kSecond},
        {"GameData/char/ep/ep01.crx", DrawAlbumPage<0>, kZlib, false, kSecond},
        {"GameData/char/ep/ep02.crx", DrawAlbumPage<1>, kLz, false, kSecond},
        {"GameData/char/ep/ep03.crx", DrawAlbumPage<2>, kZlib, false, kSecond},
        {"GameData/char/ep/ep04.crx", DrawAlbumPage<3>, kZlib, false, kSecond},
        {"GameData/char/ep/ep05.crx", DrawAlbumPage<4>, kLz, false, kSecond},
        {"GameData/char/ep/ep06.crx", DrawAlbumPage<5>, kZlib, false, kSecond},
        {"GameData/char/ep/ep07.crx", DrawAlbumPage<6>, kZlib, false, kSecond},
        {"GameData/char/ep/ep08.crx", DrawAlbumPage<7>, kLz, false, kSecond},
        {"GameData/char/ep/ep09.crx", DrawAlbumPage<8>, kZlib, false, kSecond},
        {"GameData/char/ep/ep10.crx", DrawAlbumPage<9>, kZlib, false, kSecond},
        {"GameData/char/ep/ep11.crx", DrawAlbumPage<10>, kLz, false, kSecond},
        {"GameData/char/ep/ep12.crx", DrawAlbumPage<11>, kZlib, false, kSecond},
        {"GameData/char/ep/ep13.crx", DrawAlbumPage<12>, kZlib, false, kSecond},
        {"GameData/char/ep/ep14.crx", DrawAlbumPage<13>, kLz, false, kSecond},
    };
    return pictures;
}

}  // namespace pc_title
