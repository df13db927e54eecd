// What every story shows around its text: the message window's sheet, the
// page-wait icons, the place-name captions, the falling snow and the
// eye-catches between scenes.
//
// The window's sheet (MESSWIN3) is cut by the message window and the date:
// the window (0,0,760,214); the side piece (0,216,96,158); four small labels
// (96,296,72,24), (168,296,88,24), (256,296,88,24), (344,296,88,24); the
// choice plate (96,216,456,40) and its highlight (96,256,456,40), which lies
// in front of the caption and so is only a frame; the date plate
// (432,296,192,32); the weekday cells (432 + 32 w, 328, 32 x 24); the digit
// cells (16 d, 352, 16 x 24) and the month cells ((m + 27) x 16, 352).

#include "sample/pc_title/sheet_kit.h"

namespace pc_title {

namespace {

constexpr Colour kWindowTop{30, 44, 104};
constexpr Colour kWindowLow{12, 18, 56};
constexpr Colour kWindowRim{196, 210, 250};
constexpr Colour kDateFill{18, 24, 62};
constexpr const char* kWeekdays[7] = {"日", "月", "火", "水", "木", "金", "土"};

Colour WeekdayColour(int weekday) {
    if (weekday == 0) return {255, 150, 150};
    if (weekday == 6) return {150, 200, 255};
    return ink::kSnow;
}

// A small cell of text on a flat fill, centred.
void CellText(Canvas& c, int x, int y, int width, int height, const char* text, Colour fill,
              TextStyle style) {
    c.Box(x, y, x + width, y + height, fill);
    DrawText(c, text, x + width / 2, y + height / 2, style, Align::kCentre);
}

DrawnPicture DrawMessageSheet() {
    Canvas c(760, 380, kKey);
    // The window, with a faint rule under the speaker's name.
    Plate(c, 0, 0, 760, 214, 20, kWindowTop, kWindowLow, kWindowRim, 4, 0);
    Gradient(c, 22, 4, 738, 20, Mix(kWindowTop, kWindowRim, 0.18), kWindowTop);
    for (int x = 16; x < 330; ++x)
        c.Box(x, 48, x + 1, 51, Mix({150, 176, 246}, kWindowTop, (x - 16) / 314.0));
    // The side piece: a slim lantern column at the window's right end. Its
    // cell runs 22 rows into the digit cells below, which therefore show at
    // its foot, on the date plate's colour.
    Plate(c, 0, 216, 93, 350, 16, {40, 58, 126}, {16, 22, 64}, kWindowRim, 4, 0);
    c.Ellipse(48, 272, 14, 14, ink::kGold);
    c.Ellipse(48, 272, 8, 8, {255, 244, 210});
    for (int y = 296; y < 340; y += 14) c.Box(44, y, 52, y + 7, Mix(ink::kGold, kWindowLow, 0.5));
    // The four labels on small plates.
    struct Label {
        int x, width;
        const char* text;
    };
    for (const Label& label : {Label{96, 72, "MENU"}, Label{168, 88, "AUTO"},
                               Label{256, 88, "SKIP"}, Label{344, 88, "LOG"}}) {
        Plate(c, label.x, 296, label.x + label.width - 3, 318, 9, {70, 100, 180}, {36, 58, 124},
              kWindowRim, 3, 1);
        DrawText(c, label.text, label.x + label.width / 2, 308,
                 {.size = 8, .colour = ink::kSnow, .bold = true}, Align::kCentre);
    }
    // The choice plate, and its highlight: a gold frame with a star at each end.
    Plate(c, 96, 216, 552, 253, 12, {60, 94, 176}, {30, 50, 116}, {176, 204, 255}, 3, 1);
    Ring(c, 96, 256, 552, 293, 12, 5, ink::kGold);
    Star(c, 112, 274, 9, ink::kGold);
    Star(c, 536, 274, 9, ink::kGold);
    // The date plate: month, day and weekday cells lie over it at fixed places.
    Plate(c, 432, 296, 621, 325, 10, kDateFill, kDateFill, ink::kGold, 3, 1);
    TextStyle mark{.size = 10, .colour = ink::kMist};
    DrawText(c, "月", 432 + 60, 312, mark, Align::kCentre);
    DrawText(c, "日", 432 + 116, 312, mark, Align::kCentre);
    // The weekdays on small badges of their own (their corners keep the
    // plate's colour).
    for (int w = 0; w < 7; ++w) {
        const int x = 432 + 32 * w;
        c.Box(x, 328, x + 32, 352, kDateFill);
        c.RoundedBox(x + 2, 329, x + 30, 351, 8, {54, 64, 128});
        DrawText(c, kWeekdays[w], x + 16, 340,
                 {.size = 10, .colour = WeekdayColour(w), .bold = true}, Align::kCentre);
    }
    TextStyle digit{.size = 11, .colour = ink::kSnow, .bold = true};
    for (int d = 0; d < 10; ++d) {
        const std::string text(1, static_cast<char>('0' + d));
        CellText(c, 16 * d, 352, 16, 24, text.c_str(), kDateFill, digit);
    }
    for (int month = 0; month <= 12; ++month) {
        const std::string text = std::to_string(month);
        TextStyle style = digit;
        if (month > 9) style.size = 8, style.spacing = -1;
        CellText(c, (month + 27) * 16, 352, 16, 24, text.c_str(), kDateFill, style);
    }
    return c.Take();
}

// The page-wait icon: eight cells of 24 x 24, a small triangle that sinks
// and dims, then comes back, outlined so that it shows on any picture.
DrawnPicture DrawWaitIcon() {
    Canvas c(195, 25, kKey);
    constexpr int kDrop[8] = {0, 0, 2, 4, 5, 4, 2, 0};
    constexpr double kGlow[8] = {1, 1, 0.8, 0.6, 0.4, 0.6, 0.8, 1};
    for (int cell = 0; cell < 8; ++cell) {
        const double cx = 24 * cell + 12, top = 3 + kDrop[cell];
        Polygon(c, {{cx - 10, top - 2}, {cx + 10, top - 2}, {cx, top + 15}}, ink::kShadow);
        Polygon(c, {{cx - 8, top}, {cx + 8, top}, {cx, top + 12}},
                Mix({120, 90, 40}, ink::kGold, kGlow[cell]));
    }
    return c.Take();
}

// The further stories' page icons: cell 0 waits at a line's end (a small
// chevron), cell 1 before a new page (a page with a folded corner).
DrawnPicture DrawNovelWaitIcons() {
    Canvas c(50, 25, kKey);
    Polygon(c, {{1, 4}, {23, 4}, {12, 22}}, ink::kShadow);
    Polygon(c, {{4, 6}, {20, 6}, {12, 18}}, ink::kGold);
    c.Box(27, 1, 47, 24, ink::kShadow);
    c.Box(30, 4, 44, 21, ink::kSnow);
    Polygon(c, {{38, 4}, {44, 4}, {44, 10}}, ink::kShadow);
    c.Box(32, 12, 42, 14, ink::kGrey);
    c.Box(32, 16, 40, 18, ink::kGrey);
    return c.Take();
}

// Place-name captions: cell i at ((i mod 4) x 192, (i / 4) x 32), 192 x 32.
constexpr const char* kPlaceNames[8] = {"商店街", "学校", "海岸",     "丘の公園",
                                        "自宅",   "駅前", "海辺の町", "灯台"};

DrawnPicture DrawPlaceCaptions() {
    Canvas c(770, 65, kKey);
    for (int i = 0; i < 8; ++i) {
        const int x = (i % 4) * 192, y = (i / 4) * 32;
        Plate(c, x + 0, y + 0, x + 189, y + 29, 12, {20, 28, 70}, {20, 28, 70}, ink::kGold, 3, 1);
        Star(c, x + 18, y + 16, 7, ink::kGold);
        DrawText(c, kPlaceNames[i], x + 98, y + 15, {.size = 10, .colour = ink::kSnow},
                 Align::kCentre);
    }
    return c.Take();
}

// Falling snow: four cells of a turning six-armed flake, at three sizes.
DrawnPicture DrawFlakes(int size) {
    Canvas c(static_cast<uint16_t>((4 * size + 4) / 5 * 5),
             static_cast<uint16_t>((size + 4) / 5 * 5), kKey);
    for (int cell = 0; cell < 4; ++cell) {
        const double cx = cell * size + size / 2.0 - 1, cy = size / 2.0 - 1, r = size / 2.0 - 3;
        for (int arm = 0; arm < 6; ++arm) {
            double a = arm * M_PI / 3 + cell * M_PI / 12;
            Line(c, {cx, cy}, {cx + r * std::cos(a), cy + r * std::sin(a)}, size / 6.0 + 1,
                 {226, 236, 255});
        }
        c.Ellipse(cx, cy, r * 0.35, r * 0.35, ink::kSnow);
    }
    return c.Take();
}
DrawnPicture DrawSmallFlakes() {
    return DrawFlakes(16);
}
DrawnPicture DrawMiddleFlakes() {
    return DrawFlakes(24);
}
DrawnPicture DrawLargeFlakes() {
    return DrawFlakes(32);
}

// The eye-catch between the main story's scenes: a winter window at dusk
// with a ribbon low on the left where the date shows (y 472, x 80..208).
constexpr Colour kRibbon{24, 32, 84};

DrawnPicture DrawEyecatchBack() {
    Canvas c(kSamplePictureWidth, kSamplePictureHeight, ink::kNight);
    for (int y = 0; y < 600; ++y) {
        for (int x = 0; x < 800; ++x) {
            Colour sky = Mix({40, 54, 120}, {190, 150, 196}, std::pow(y / 600.0, 1.6));
            double d = std::hypot(x - 560.0, y - 230.0) / 200.0;
            c.Set(x, y, d < 1 ? Mix(sky, {255, 236, 214}, 0.5 * (1 - d) * (1 - d)) : sky);
        }
    }
    c.Ellipse(560, 230, 70, 70, {255, 246, 226});
    Lcg random(20260226);
    for (int i = 0; i < 220; ++i) {
        int x = random.Below(800), y = random.Below(600), s = 3 + random.Below(4);
        c.Box(x, y, x + s, y + s, Mix(c.At(x, y), {255, 255, 255}, 0.8));
    }
    // A window frame in front of it all.
    const Colour frame{44, 30, 40};
    c.Box(0, 0, 800, 36, frame);
    c.Box(0, 0, 36, 600, frame);
    c.Box(764, 0, 800, 600, frame);
    c.Box(390, 0, 410, 420, frame);
    c.Box(0, 410, 800, 430, frame);
    c.Box(0, 430, 800, 600, Mix(frame, {90, 60, 60}, 0.5));
    // The ribbon the date lies on, and the title's small name.
    Plate(c, 48, 452, 300, 516, 14, kRibbon, kRibbon, ink::kGold, 4, 1);
    DrawText(c, "Quevara", 740, 560, {.size = 14, .colour = ink::kGold, .bold = true},
             Align::kRight);
    return c.Take();
}

// Its cells: digits 16 x 24 at x = 16 d, cell 10 between month and day,
// cell 11 after the day;
// the weekdays 48 x 24 at (48 w, 26).
DrawnPicture DrawEyecatchChips() {
    Canvas c(340, 50, kKey);
    TextStyle digit{.size = 11, .colour = ink::kSnow, .bold = true};
    for (int d = 0; d < 10; ++d) {
        const std::string text(1, static_cast<char>('0' + d));
        CellText(c, 16 * d, 0, 16, 24, text.c_str(), kRibbon, digit);
    }
    // Sixteen design pixels are too narrow for "月" on the handheld: the
    // month and the day are parted by a slash, and nothing follows the day.
    CellText(c, 160, 0, 16, 24, "/", kRibbon, {.size = 10, .colour = ink::kMist});
    c.Box(176, 0, 192, 24, kRibbon);
    for (int w = 0; w < 7; ++w) {
        const std::string text = std::string("(") + kWeekdays[w] + ")";
        CellText(c, 48 * w, 26, 48, 24, text.c_str(), kRibbon,
                 {.size = 10, .colour = WeekdayColour(w), .bold = true});
    }
    return c.Take();
}

// The third story's eye-catch: a summer sky over the sea.
DrawnPicture DrawSummerSky() {
    Canvas c(kSamplePictureWidth, kSamplePictureHeight, {60, 130, 220});
    Gradient(c, 0, 0, 800, 400, {40, 110, 210}, {170, 220, 250});
    Gradient(c, 0, 400, 800, 600, {40, 120, 190}, {20, 70, 140});
    Lcg random(701);
    // Clouds of overlapping discs.
    for (int cloud = 0; cloud < 5; ++cloud) {
        double cx = 80 + cloud * 170 + random.Below(60), cy = 70 + random.Below(80);
        for (int k = 0; k < 6; ++k) {
            const int dy = random.Below(20);
            const int width = 40 + random.Below(20);
            c.Ellipse(cx + (k - 3) * 28, cy + dy, width, 26, {250, 252, 255});
        }
    }
    for (int i = 0; i < 90; ++i) {
        int x = random.Below(800), y = 410 + random.Below(190);
        c.Box(x, y, x + 20 + random.Below(40), y + 3, {200, 230, 250});
    }
    // A soft card behind the cells (240..664, 168..288).
    for (int y = 140; y < 316; ++y) {
        for (int x = 200; x < 704; ++x) {
            if (Canvas::InRoundedBox(x, y, 200, 140, 704, 316, 40))
                c.Set(x, y, Mix(c.At(x, y), {255, 255, 255}, 0.6));
        }
    }
    Ring(c, 200, 140, 704, 316, 40, 4, {255, 255, 255});
    return c.Take();
}

// Its cells: 96 x 88 in rows of six (digits 0..9, cell 10 the slash between
// month and day, cell 11 a blank); the small chips 128 x 64 at (128 k, 176)
// for k 0..2 and the large ones 128 x 96 at (128 (k - 3), 240) for k 3..6.
DrawnPicture DrawSummerCells() {
    Canvas c(580, 340, kKey);
    const Colour ink{24, 60, 130};
    TextStyle big{
        .size = 30, .colour = ink, .bold = true, .outline = true, .outlineColour = {255, 255, 255}};
    for (int k = 0; k < 11; ++k) {
        const int x = (k % 6) * 96, y = (k / 6) * 88;
        const std::string text = k < 10 ? std::string(1, static_cast<char>('0' + k)) : "/";
        DrawText(c, text, x + 48, y + 44, big, Align::kCentre);
    }
    struct Chip {
        const char* label;
        Colour colour;
    };
    const Chip small[3] = {{"朝", {250, 170, 60}}, {"昼", {240, 120, 40}}, {"夜", {60, 70, 150}}};
    for (int k = 0; k < 3; ++k) {
        const int x = 128 * k, y = 176;
        Plate(c, x + 4, y + 6, x + 124, y + 58, 16, small[k].colour, small[k].colour,
              {255, 255, 255}, 4, 1);
        DrawText(c, small[k].label, x + 64, y + 32,
                 {.size = 16, .colour = {255, 255, 255}, .bold = true}, Align::kCentre);
    }
    const Chip large[4] = {{"海", {40, 120, 200}},
                           {"丘", {70, 150, 80}},
                           {"町", {190, 110, 70}},
                           {"星", {50, 50, 120}}};
    for (int k = 0; k < 4; ++k) {
        const int x = 128 * k, y = 240;
        Plate(c, x + 4, y + 6, x + 124, y + 90, 20, large[k].colour,
              Mix(large[k].colour, {0, 0, 0}, 0.3), {255, 255, 255}, 4, 1);
        DrawText(c, large[k].label, x + 64, y + 48,
                 {.size = 22, .colour = {255, 255, 255}, .bold = true}, Align::kCentre);
    }
    return c.Take();
}

// The further stories' page: the whole screen, darkened by the window's
// transparency setting.
DrawnPicture DrawBlackPage() {
    return Canvas(kSamplePictureWidth, kSamplePictureHeight, {0, 0, 0}).Take();
}

}  // namespace

std::vector<SamplePicture> WindowSheets() {
    constexpr auto kBoth = InstallFolder::kBoth;
    constexpr auto kSecond = InstallFolder::kSecond;
    constexpr auto kZlib = CrxWriteScheme::Zlib;
    constexpr auto kLz = CrxWriteScheme::Lz;
    return {
        {"GameData/system/MESSWIN3.crx", DrawMessageSheet, kZlib, false, kBoth},
        {"GameData/system/KEY_WAIT.crx", DrawWaitIcon, kLz, true},
        {"GameData/system/KEY_WAIT.crx", DrawNovelWaitIcons, kLz, true, kSecond},
        {"GameData/system/map_name.crx", DrawPlaceCaptions, kZlib, false},
        {"GameData/system/Tilva00.crx", DrawSmallFlakes, kLz, true, kBoth},
        {"GameData/system/Tilva01.crx", DrawMiddleFlakes, kZlib, true, kBoth},
        {"GameData/system/Tilva02.crx", DrawLargeFlakes, kLz, true, kBoth},
        {"GameData/system/IcatchBack07.crx", DrawEyecatchBack, kLz, false, kBoth},
        {"GameData/system/IcatchChip03.crx", DrawEyecatchChips, kLz, false, kBoth},
        {"GameData/system/sky_a.crx", DrawSummerSky, kLz, false, kSecond},
        {"GameData/system/ICATCHBT.crx", DrawSummerCells, kLz, false, kSecond},
        {"GameData/char/back/black.crx", DrawBlackPage, kLz, true, kSecond},
    };
}

}  // namespace pc_title
