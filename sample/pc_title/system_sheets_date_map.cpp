// The screens between the main story's days: the date screen and the map.
//
// The date screen shows TimerBack with the panel (0,64,472,216) of
// timerchip at 328,304 and the three options (216 k, 0, 216 x 32),
// highlighted 32 below, at 560, 392 + 40 k; the date plate of the message
// window's sheet lies at 24,24. The map shows MapBack0v with the heroines'
// icons (56 i, 192, 56 x 56) of ChipChar at the places, and highlights a
// place with a card cut from MapChip0v.

#include "sample/pc_title/sheet_kit.h"

namespace pc_title {

namespace {

// --- The date screen

DrawnPicture DrawDateBackground() {
    Canvas c(kSamplePictureWidth, kSamplePictureHeight, {0, 0, 0});
    // A bedroom wall at dawn, a window on the left, the floor below.
    Gradient(c, 0, 0, 800, 520, {236, 214, 196}, {206, 176, 160});
    Gradient(c, 0, 520, 800, 600, {150, 104, 76}, {110, 72, 52});
    for (int x = 0; x < 800; x += 64) c.Box(x, 520, x + 3, 600, {96, 62, 46});
    // The window: frame, dawn sky, the town's roofs.
    c.RoundedBox(56, 96, 300, 400, 8, {250, 246, 240});
    Gradient(c, 70, 110, 286, 386, {120, 150, 220}, {252, 200, 170});
    c.Ellipse(230, 330, 30, 30, {255, 236, 200});
    for (int x = 70; x < 286; ++x) {
        int roof = 330 + static_cast<int>(12 * std::sin(x / 9.0)) + (x / 30 % 2) * 14;
        c.Box(x, roof, x + 1, 386, {90, 90, 130});
    }
    c.Box(175, 110, 181, 386, {250, 246, 240});
    c.Box(70, 244, 286, 250, {250, 246, 240});
    // Curtains.
    Gradient(c, 36, 86, 82, 420, {240, 160, 170}, {214, 120, 140});
    Gradient(c, 274, 86, 320, 420, {240, 160, 170}, {214, 120, 140});
    // A wall calendar with the day to come ringed.
    c.RoundedBox(470, 40, 740, 270, 6, {255, 255, 250});
    c.Box(470, 40, 740, 92, {210, 70, 80});
    DrawText(c, "2月", 605, 66, {.size = 14, .colour = {255, 255, 255}, .bold = true},
             Align::kCentre);
    for (int row = 0; row < 4; ++row) {
        for (int col = 0; col < 7; ++col) {
            int x = 484 + col * 36, y = 104 + row * 40;
            c.Box(x, y, x + 28, y + 30, col == 0 ? Colour{250, 220, 220} : Colour{236, 236, 244});
        }
    }
    Ring(c, 590, 214, 634, 254, 20, 4, {220, 60, 70});
    return c.Take();
}

constexpr const char* kMorningOptions[3] = {"早起きする", "いつも通り", "のんびり寝る"};

DrawnPicture DrawDateChips() {
    Canvas c(650, 280, kKey);
    for (int k = 0; k < 3; ++k) {
        for (int lit = 0; lit < 2; ++lit) {
            const int x = 216 * k, y = 32 * lit;
            if (lit) {
                Plate(c, x + 1, y + 0, x + 213, y + 29, 14, {255, 226, 150}, {232, 170, 76},
                      {255, 246, 214}, 3, 3);
                Star(c, x + 24, y + 15, 9, {70, 40, 10});
            } else {
                Plate(c, x + 1, y + 0, x + 213, y + 29, 14, {44, 60, 130}, {26, 36, 90}, ink::kMist,
                      3, 3);
            }
            DrawText(c, kMorningOptions[k], x + 117, y + 15,
                     {.size = 11, .colour = lit ? Colour{50, 28, 8} : ink::kSnow, .bold = lit != 0},
                     Align::kCentre);
        }
    }
    // The panel the options lie on (their rows at 88, 128, 168 in it).
    const int top = 64;
    Plate(c, 0, top, 472, top + 216, 22, {30, 42, 100}, {14, 20, 60}, ink::kGold, 4, 0);
    DrawText(c, "明日の朝は……", 28, top + 40, {.size = 13, .colour = ink::kSnow, .bold = true});
    c.Box(28, top + 62, 440, top + 65, Mix(ink::kGold, {14, 20, 60}, 0.4));
    // An alarm clock on the left.
    const double cx = 120, cy = top + 146;
    c.Ellipse(cx - 36, cy - 42, 18, 18, ink::kGold);
    c.Ellipse(cx + 36, cy - 42, 18, 18, ink::kGold);
    c.Ellipse(cx, cy, 52, 52, ink::kGold);
    c.Ellipse(cx, cy, 44, 44, {255, 250, 236});
    for (int h = 0; h < 12; ++h) {
        double a = h * M_PI / 6;
        c.Ellipse(cx + 36 * std::sin(a), cy - 36 * std::cos(a), 3, 3, {60, 50, 60});
    }
    Line(c, {cx, cy}, {cx, cy - 30}, 5, {60, 50, 60});
    Line(c, {cx, cy}, {cx + 20, cy + 8}, 5, {60, 50, 60});
    Line(c, {cx - 30, cy + 46}, {cx - 40, cy + 60}, 6, ink::kGold);
    Line(c, {cx + 30, cy + 46}, {cx + 40, cy + 60}, 6, ink::kGold);
    return c.Take();
}

// --- The map

// The heroines' colours (hair, dress) as the main story draws them.
struct Girl {
    const char* name;
    Colour hair, dress;
};
constexpr Girl kGirls[4] = {{"七海", {104, 64, 46}, {206, 78, 84}},
                            {"空", {36, 40, 66}, {66, 104, 178}},
                            {"楓", {150, 72, 40}, {92, 146, 96}},
                            {"恵美", {236, 198, 120}, {240, 170, 196}}};

// The five places, in the order of the map's columns and the captions.
constexpr const char* kPlaces[5] = {"商店街", "学校", "海岸", "丘の公園", "自宅"};

struct MapLayout {
    Point icons[5];   // icon top-left
    int cells[5][4];  // highlight cell x, y, width, height in the chip sheet
    int shown[5][2];  // where the highlight shows
    Point bay;        // centre of the sea
    bool evening;
};

const MapLayout kMaps[2] = {
    {{{460, 476}, {628, 200}, {484, 364}, {340, 440}, {188, 348}},
     {{0, 280, 278, 208},
      {280, 280, 256, 192},
      {480, 48, 240, 224},
      {240, 48, 238, 208},
      {0, 48, 238, 232}},
     {{514, 324}, {418, 50}, {388, 178}, {240, 240}, {44, 164}},
     {720, 420},
     false},
    {{{88, 244}, {280, 264}, {568, 500}, {708, 276}, {412, 404}},
     {{0, 176, 238, 176},
      {0, 0, 238, 176},
      {240, 176, 240, 176},
      {0, 352, 240, 176},
      {240, 0, 240, 176}},
     {{32, 104}, {192, 104}, {512, 344}, {568, 96}, {368, 224}},
     {700, 640},
     true},
};

// A small picture of a place, about `size` wide, centred on (cx, cy).
void Landmark(Canvas& c, int place, double cx, double cy, double size, bool evening) {
    const double s = size / 100.0;
    auto box = [&](double x0, double y0, double x1, double y1, Colour colour) {
        c.Box(static_cast<int>(cx + x0 * s), static_cast<int>(cy + y0 * s),
              static_cast<int>(cx + x1 * s), static_cast<int>(cy + y1 * s), colour);
    };
    const Colour window = evening ? Colour{255, 214, 120} : Colour{170, 210, 250};
    switch (place) {
        case 0:  // shops with striped awnings
            for (int k = 0; k < 3; ++k) {
                double x = -48 + k * 33;
                box(x, -20, x + 30, 30, {236, 226, 210});
                const Colour awning[3] = {{220, 70, 80}, {70, 150, 90}, {240, 170, 60}};
                box(x - 2, -26, x + 32, -12, awning[k]);
                box(x + 8, 0, x + 22, 14, window);
            }
            break;
        case 1:  // the school with its clock
            box(-50, -16, 50, 34, {238, 232, 220});
            box(-14, -44, 14, -16, {238, 232, 220});
            c.Ellipse(cx, cy - 30 * s, 9 * s, 9 * s, {255, 255, 255});
            for (int k = 0; k < 4; ++k) box(-44 + k * 24, -4, -32 + k * 24, 10, window);
            box(-6, 16, 6, 34, {120, 90, 70});
            break;
        case 2:  // sand, a parasol
            c.Ellipse(cx, cy + 10 * s, 50 * s, 24 * s, {244, 222, 170});
            Polygon(c, {{cx - 30 * s, cy - 8 * s}, {cx + 30 * s, cy - 8 * s}, {cx, cy - 34 * s}},
                    {240, 90, 90});
            box(-2, -10, 2, 20, {120, 90, 70});
            break;
        case 3:  // the hill with a tree and a bench
            c.Ellipse(cx, cy + 20 * s, 56 * s, 34 * s,
                      evening ? Colour{70, 110, 80} : Colour{120, 180, 100});
            box(-4, -20, 4, 14, {110, 76, 50});
            c.Ellipse(cx, cy - 28 * s, 24 * s, 22 * s,
                      evening ? Colour{40, 80, 60} : Colour{60, 140, 70});
            box(14, 4, 40, 9, {140, 100, 70});
            break;
        default:  // home: a house with a red roof
            Polygon(c, {{cx - 40 * s, cy - 6 * s}, {cx + 40 * s, cy - 6 * s}, {cx, cy - 40 * s}},
                    {200, 70, 60});
            box(-32, -6, 32, 32, {246, 240, 226});
            box(-20, 4, -6, 18, window);
            box(8, 10, 20, 32, {130, 90, 60});
            break;
    }
}

DrawnPicture DrawMap(const MapLayout& map) {
    Canvas c(kSamplePictureWidth, kSamplePictureHeight, {0, 0, 0});
    const Colour land = map.evening ? Colour{214, 190, 200} : Colour{222, 230, 214};
    const Colour landFar = map.evening ? Colour{170, 150, 186} : Colour{198, 214, 190};
    const Colour sea = map.evening ? Colour{56, 70, 130} : Colour{110, 170, 220};
    const Colour road = map.evening ? Colour{246, 226, 214} : Colour{250, 246, 236};
    for (int y = 0; y < 600; ++y) {
        for (int x = 0; x < 800; ++x) {
            double d = std::hypot((x - map.bay.x) / 250.0, (y - map.bay.y) / 140.0);
            Colour ground = Mix(land, landFar, y / 600.0);
            c.Set(x, y,
                  d < 1 ? Mix(sea, Mix(sea, {255, 255, 255}, 0.3), std::max(0.0, d - 0.8) * 5)
                        : ground);
        }
    }
    // Paper grid lines, as on a drawn town map.
    for (int x = 0; x < 800; x += 50) c.Box(x, 0, x + 1, 600, Mix(land, {0, 0, 0}, 0.06));
    for (int y = 0; y < 600; y += 50) c.Box(0, y, 800, y + 1, Mix(land, {0, 0, 0}, 0.06));
    // Roads joining the places in a ring and to the map's edge.
    Point centres[5];
    for (int k = 0; k < 5; ++k) centres[k] = {map.icons[k].x + 28, map.icons[k].y + 28};
    for (int k = 0; k < 5; ++k) Line(c, centres[k], centres[(k + 1) % 5], 16, road);
    Line(c, centres[4], {0, centres[4].y + 60}, 16, road);
    Line(c, centres[1], {centres[1].x + 40, 0}, 16, road);
    // Each place's landmark beside its icon, and its name under it.
    for (int k = 0; k < 5; ++k) {
        const Point& icon = map.icons[k];
        // Behind the place's icon, so that a place without a visitor still shows.
        Landmark(c, k, icon.x + 28, icon.y + 36, 110, map.evening);
        DrawText(c, kPlaces[k], static_cast<int>(icon.x + 28), static_cast<int>(icon.y + 76),
                 {.size = 9,
                  .colour = {40, 40, 60},
                  .bold = true,
                  .outline = true,
                  .outlineColour = {255, 255, 255}},
                 Align::kCentre);
    }
    // A compass and the question in the corners the date leaves free.
    c.Ellipse(720, 530, 34, 34, {255, 255, 255});
    Polygon(c, {{720, 500}, {730, 530}, {710, 530}}, {220, 60, 70});
    Polygon(c, {{720, 560}, {730, 530}, {710, 530}}, {60, 60, 80});
    Plate(c, 520, 20, 780, 64, 16, {30, 42, 100}, {30, 42, 100}, ink::kGold, 3, 1);
    DrawText(c, map.evening ? "夕方、どこへ行こう？" : "放課後、どこへ行こう？", 650, 42,
             {.size = 10, .colour = ink::kSnow}, Align::kCentre);
    return c.Take();
}

DrawnPicture DrawMapDay() {
    return DrawMap(kMaps[0]);
}
DrawnPicture DrawMapEvening() {
    return DrawMap(kMaps[1]);
}

// The highlight cards: the place's picture in a gold frame with its name.
DrawnPicture DrawMapCards(const MapLayout& map, uint16_t width, uint16_t height) {
    Canvas c(width, height, kKey);
    for (int k = 0; k < 5; ++k) {
        const int x = map.cells[k][0], y = map.cells[k][1];
        const int w = map.cells[k][2], h = map.cells[k][3];
        Plate(c, x + 1, y + 1, x + w - 3, y + h - 3, 18, ink::kGold, ink::kGold, {255, 246, 214}, 3,
              1);
        const Colour skyTop = map.evening ? Colour{70, 60, 130} : Colour{120, 170, 240};
        const Colour skyLow = map.evening ? Colour{250, 160, 120} : Colour{220, 240, 255};
        c.RoundedBox(x + 10, y + 10, x + w - 10, y + h - 44, 12, skyTop);
        Gradient(c, x + 14, y + 12, x + w - 14, y + h - 46, skyTop, skyLow);
        Landmark(c, k, x + w / 2.0, y + (h - 44) / 2.0 + 14, std::min(w - 40, h - 60) * 1.1,
                 map.evening);
        c.RoundedBox(x + 10, y + h - 42, x + w - 10, y + h - 10, 10, {30, 42, 100});
        DrawText(c, kPlaces[k], x + w / 2, y + h - 26,
                 {.size = 11, .colour = ink::kSnow, .bold = true}, Align::kCentre);
    }
    return c.Take();
}

DrawnPicture DrawMapCardsDay() {
    return DrawMapCards(kMaps[0], 720, 490);
}
DrawnPicture DrawMapCardsEvening() {
    return DrawMapCards(kMaps[1], 480, 530);
}

// The heroines' icons: round badges at (56 i, 192), 56 x 56. Icon 0 is
// Nanami, 1 Sora, 2 Kaede, 4 Emi and 7 the way home; the rest stay clear.
void Face(Canvas& c, double cx, double cy, const Girl& girl) {
    c.Ellipse(cx, cy, 26, 26, ink::kGold);
    c.Ellipse(cx, cy, 22, 22, girl.dress);
    c.Ellipse(cx, cy - 2, 16, 17, girl.hair);
    c.Ellipse(cx, cy + 2, 12, 12, {250, 226, 206});
    c.Box(static_cast<int>(cx) - 13, static_cast<int>(cy) - 12, static_cast<int>(cx) + 14,
          static_cast<int>(cy) - 5, girl.hair);
    c.Box(static_cast<int>(cx) - 6, static_cast<int>(cy) + 1, static_cast<int>(cx) - 3,
          static_cast<int>(cy) + 6, {50, 40, 60});
    c.Box(static_cast<int>(cx) + 3, static_cast<int>(cy) + 1, static_cast<int>(cx) + 6,
          static_cast<int>(cy) + 6, {50, 40, 60});
}

DrawnPicture DrawHeroineIcons() {
    Canvas c(450, 250, kKey);
    const int icons[4] = {0, 1, 2, 4};
    for (int i = 0; i < 4; ++i) Face(c, 56 * icons[i] + 28, 192 + 28, kGirls[i]);
    const double cx = 56 * 7 + 28, cy = 192 + 28;
    c.Ellipse(cx, cy, 26, 26, ink::kGold);
    c.Ellipse(cx, cy, 22, 22, {70, 90, 150});
    Polygon(c, {{cx - 14, cy - 1}, {cx + 14, cy - 1}, {cx, cy - 15}}, {250, 246, 236});
    c.Box(static_cast<int>(cx) - 10, static_cast<int>(cy) - 1, static_cast<int>(cx) + 11,
          static_cast<int>(cy) + 13, {250, 246, 236});
    c.Box(static_cast<int>(cx) - 3, static_cast<int>(cy) + 4, static_cast<int>(cx) + 4,
          static_cast<int>(cy) + 13, {200, 70, 60});
    return c.Take();
}

}  // namespace

std::vector<SamplePicture> DateMapSheets() {
    constexpr auto kZlib = CrxWriteScheme::Zlib;
    constexpr auto kLz = CrxWriteScheme::Lz;
    return {
        {"GameData/system/TimerBack.crx", DrawDateBackground, kLz, false},
        {"GameData/system/timerchip.crx", DrawDateChips, kZlib, false},
        {"GameData/system/MapBack00.crx", DrawMapDay, kLz, false},
        {"GameData/system/MapBack01.crx", DrawMapEvening, kLz, false},
        {"GameData/system/MapChip00.crx", DrawMapCardsDay, kZlib, false},
        {"GameData/system/MapChip01.crx", DrawMapCardsEvening, kZlib, false},
        {"GameData/system/ChipChar.crx", DrawHeroineIcons, kLz, true},
    };
}

}  // namespace pc_title
