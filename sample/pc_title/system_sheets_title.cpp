// The title screen's pictures and the brand logo shown before it.
//
// The title cuts its item rows out of the item sheet (TitleChip01, or 03
// once every ending was seen): five rows 40 high at y 0, 120, 240, 360, 480
// (312, 296, 278, 264, 246 wide), each highlighted 80 below; the
// all-endings item at (312, 418, 184 x 54), highlighted at (312, 530); and
// the extras panel's three highlighted lines at (312, 0 / 80 / 160), 328
// wide. The extras sheet (TitleChip02 or 04) holds the open panel, 512 x 104,
// shown at 0,368 with its lines at 192,368 / 176,400 / 160,434.

#include "sample/pc_title/sheet_kit.h"

namespace pc_title {

namespace {

// The two looks of the title: a winter night, and its dawn once every
// ending was seen.
struct TitleTheme {
    Colour skyTop, skyLow, glow;
    Colour hillTop, hillLow, town, windows;
    Colour plateTop, plateLow, rim, text, note;
    Colour litTop, litLow, litRim, litText;
};

const TitleTheme kNightTheme{{10, 14, 44},    {70, 62, 128},   {196, 150, 200}, {206, 214, 240},
                             {150, 160, 204}, {30, 30, 70},    {255, 210, 120}, {22, 30, 78},
                             {12, 16, 48},    {140, 160, 226}, {240, 244, 255}, {150, 170, 226},
                             {255, 226, 150}, {232, 170, 76},  {255, 246, 214}, {40, 24, 10}};

const TitleTheme kDawnTheme{{44, 62, 130},   {250, 180, 150}, {255, 230, 200}, {250, 236, 236},
                            {214, 190, 206}, {92, 70, 110},   {255, 236, 180}, {96, 44, 70},
                            {60, 24, 48},    {246, 176, 180}, {255, 244, 240}, {250, 196, 200},
                            {255, 236, 200}, {246, 160, 150}, {255, 250, 236}, {70, 24, 30}};

double TownHeight(int x) {
    // Roofs of different widths and heights, the same every run.
    Lcg random(static_cast<uint32_t>(x / 26) * 2654435761u + 17u);
    return 330 + random.Below(46) - (x / 26 % 5 == 2 ? 30 : 0);
}

double HillTop(int x) {
    return 470 - 60 * std::exp(-std::pow((x - 170) / 260.0, 2)) + 14 * std::sin(x / 70.0);
}

DrawnPicture DrawTitleBackground(const TitleTheme& theme, bool dawn) {
    Canvas c(kSamplePictureWidth, kSamplePictureHeight, theme.skyTop);
    // The sky, lighter towards the town's glow on the horizon.
    for (int y = 0; y < 600; ++y) {
        for (int x = 0; x < 800; ++x) {
            Colour sky = Mix(theme.skyTop, theme.skyLow, std::pow(y / 380.0, 1.4));
            double glow = std::max(0.0, 1.0 - std::hypot((x - 520) / 420.0, (y - 380) / 160.0));
            c.Set(x, y, Mix(sky, theme.glow, glow * 0.45));
        }
    }
    // Stars (few at dawn) and the moon in the upper right: the hidden spot.
    Lcg random(dawn ? 77 : 1225);
    for (int i = 0; i < (dawn ? 30 : 170); ++i) {
        int x = random.Below(800), y = random.Below(300);
        int shade = 150 + random.Below(100);
        c.Box(x, y, x + 3, y + 3, Mix(c.At(x, y), {shade, shade, 255}, 0.8));
    }
    if (dawn) {
        c.Ellipse(632, 62, 30, 30, {255, 244, 226});
    } else {
        c.Ellipse(632, 62, 30, 30, {250, 246, 220});
        c.Ellipse(646, 54, 26, 26, Mix(theme.skyTop, theme.skyLow, std::pow(54 / 380.0, 1.4)));
    }
    // The town on the horizon, its windows lit.
    for (int x = 0; x < 800; ++x) {
        int roof = static_cast<int>(TownHeight(x));
        for (int y = roof; y < 600; ++y) c.Set(x, y, theme.town);
    }
    for (int i = 0; i < 160; ++i) {
        int x = random.Below(800);
        int y = static_cast<int>(TownHeight(x)) + 10 + random.Below(60);
        c.Box(x, y, x + 5, y + 5, theme.windows);
    }
    // The snowy hill in front, and the path the two walk on.
    for (int x = 0; x < 800; ++x) {
        int top = static_cast<int>(HillTop(x));
        for (int y = top; y < 600; ++y)
            c.Set(x, y, Mix(theme.hillTop, theme.hillLow, (y - top) / 170.0));
    }
    for (int y = 470; y < 600; ++y) {
        double t = (y - 470) / 130.0;
        double cx = 470 + 90 * std::sin(t * 2.4);
        double half = 8 + 60 * t * t;
        for (int x = static_cast<int>(cx - half); x <= static_cast<int>(cx + half); ++x)
            if (y > HillTop(x) + 6) c.Set(x, y, Mix(c.At(x, y), theme.hillLow, 0.6));
    }
    // A lamp post on the hill, its light warm on the snow.
    const int lampX = 700, lampBase = static_cast<int>(HillTop(700)) + 12;
    for (int y = lampBase - 190; y < 600; ++y) {
        for (int x = 560; x < 800; ++x) {
            double d = std::hypot((x - lampX) / 90.0, (y - (lampBase - 170)) / 90.0);
            if (d < 1) c.Set(x, y, Mix(c.At(x, y), theme.windows, 0.35 * (1 - d)));
        }
    }
    c.Box(lampX - 4, lampBase - 170, lampX + 4, lampBase, theme.town);
    c.RoundedBox(lampX - 14, lampBase - 196, lampX + 15, lampBase - 166, 6, theme.town);
    c.RoundedBox(lampX - 9, lampBase - 190, lampX + 10, lampBase - 172, 4, theme.windows);
    // Falling snow.
    for (int i = 0; i < 260; ++i) {
        int x = random.Below(800), y = random.Below(600);
        int size = 3 + random.Below(3);
        c.Box(x, y, x + size, y + size, Mix(c.At(x, y), {255, 255, 255}, 0.85));
    }
    // The title's name, with a soft shadow, over the sky.
    TextStyle shadow{.size = 40, .colour = Mix(theme.skyTop, {0, 0, 0}, 0.5), .bold = true};
    TextStyle name{.size = 40,
                   .colour = theme.text,
                   .bold = true,
                   .outline = true,
                   .outlineColour = theme.plateLow};
    DrawText(c, "Quevara", 63, 143, shadow);
    DrawText(c, "Quevara", 58, 138, name);
    TextStyle subtitle{.size = 12,
                       .colour = theme.litTop,
                       .outline = true,
                       .outlineColour = theme.plateLow,
                       .spacing = 2};
    DrawText(c, dawn ? "― そして、春の朝へ ―" : "― 冬の日の物語 ―", 70, 206, subtitle);
    c.Box(60, 180, 440, 183, Mix(theme.litTop, theme.skyTop, 0.4));
    return c.Take();
}

DrawnPicture DrawTitleNight() {
    return DrawTitleBackground(kNightTheme, false);
}
DrawnPicture DrawTitleDawn() {
    return DrawTitleBackground(kDawnTheme, true);
}

struct RowLabel {
    const char* japanese;
    const char* latin;
    bool available;
};

constexpr RowLabel kRowLabels[5] = {{"はじめから", "START", true},
                                    {"つづきから", "LOAD", true},
                                    {"おまけ", "EXTRA", true},
                                    {"せってい", "CONFIG", false},
                                    {"おわる", "QUIT", true}};
constexpr int kRowWidths[5] = {312, 296, 278, 264, 246};

constexpr const char* kExtrasLines[3] = {"シナリオ回想", "CGギャラリー", "ミュージック"};
constexpr int kLineX[3] = {192, 176, 160};
constexpr int kLineHeight[3] = {36, 36, 38};

// One item row: a ribbon from the screen's left edge with a rounded end.
void ItemRow(Canvas& c, int top, int width, const RowLabel& label, const TitleTheme& theme,
             bool lit) {
    Colour plateTop = lit ? theme.litTop : theme.plateTop;
    Colour plateLow = lit ? theme.litLow : theme.plateLow;
    Colour rim = lit ? theme.litRim : theme.rim;
    Plate(c, -30, top + 3, width - 3, top + 37, 16, plateTop, plateLow, rim, 3, 4);
    Colour text = lit ? theme.litText : theme.text;
    Colour note = lit ? Mix(theme.litText, plateLow, 0.35) : theme.note;
    if (!label.available) {
        text = Mix(text, plateLow, 0.55);
        note = Mix(note, plateLow, 0.55);
    }
    if (lit) Star(c, 20, top + 20, 11, label.available ? theme.litText : note);
    DrawText(c, label.japanese, 38, top + 20, {.size = 12, .colour = text, .bold = lit});
    DrawText(c, label.latin, width - 18, top + 21, {.size = 8, .colour = note}, Align::kRight);
}

// One line of the open extras panel.
void ExtrasLine(Canvas& c, int x, int top, int height, const char* label, const TitleTheme& theme,
                bool lit) {
    if (lit) {
        Plate(c, x + 1, top + 1, x + 325, top + height - 3, 14, theme.litTop, theme.litLow,
              theme.litRim, 3, 4);
        Star(c, x + 22, top + height / 2, 10, theme.litText);
    }
    DrawText(c, label, x + 42, top + height / 2,
             {.size = 12, .colour = lit ? theme.litText : theme.text, .bold = lit});
}

DrawnPicture DrawItemSheet(const TitleTheme& theme, bool allEndings) {
    Canvas c(640, 600, kKey);
    for (int row = 0; row < 5; ++row) {
        for (int lit = 0; lit < 2; ++lit)
            ItemRow(c, row * 120 + lit * 80, kRowWidths[row], kRowLabels[row], theme, lit != 0);
    }
    for (int line = 0; line < 3; ++line)
        ExtrasLine(c, 312, line * 80, kLineHeight[line], kExtrasLines[line], theme, true);
    // The all-endings item: a badge with a ribbon of stars.
    for (int lit = 0; lit < 2; ++lit) {
        const int top = lit ? 530 : 418;
        Plate(c, 314, top + 2, 494, top + 52, 14, lit ? theme.litTop : theme.plateTop,
              lit ? theme.litLow : theme.plateLow, lit ? theme.litRim : theme.rim, 3, 4);
        Colour text = lit ? theme.litText : theme.text;
        DrawText(c, "EPILOGUE", 404, top + 14, {.size = 7, .colour = lit ? text : theme.note},
                 Align::kCentre);
        DrawText(c, allEndings ? "春の朝" : "エピローグ", 404, top + 35,
                 {.size = 10, .colour = text, .bold = true}, Align::kCentre);
        Star(c, 328, top + 27, 8, lit ? text : theme.litLow);
        Star(c, 480, top + 27, 8, lit ? text : theme.litLow);
    }
    return c.Take();
}

DrawnPicture DrawExtrasSheet(const TitleTheme& theme) {
    Canvas c(520, 110, kKey);
    // Stepped at its top left, so that the start row above stays readable.
    c.RoundedBox(184, 0, 512, 104, 18, theme.rim);
    c.RoundedBox(-30, 20, 512, 104, 18, theme.rim);
    c.RoundedBox(187, 3, 509, 101, 15, theme.plateLow);
    c.RoundedBox(-27, 23, 509, 101, 15, theme.plateLow);
    // The extras row, shown chosen on the panel's left.
    Star(c, 20, 76, 11, theme.litTop);
    DrawText(c, "おまけ", 38, 76, {.size = 12, .colour = theme.litTop, .bold = true});
    for (int line = 0; line < 3; ++line) {
        const int top = line == 0 ? 0 : line == 1 ? 32 : 66;
        ExtrasLine(c, kLineX[line], top, kLineHeight[line], kExtrasLines[line], theme, false);
    }
    return c.Take();
}

DrawnPicture DrawItemsNight() {
    return DrawItemSheet(kNightTheme, false);
}
DrawnPicture DrawItemsDawn() {
    return DrawItemSheet(kDawnTheme, true);
}
DrawnPicture DrawExtrasNight() {
    return DrawExtrasSheet(kNightTheme);
}
DrawnPicture DrawExtrasDawn() {
    return DrawExtrasSheet(kDawnTheme);
}

// The brand logo: a lantern emblem in a ring over the brand's name.
DrawnPicture DrawBrandLogo() {
    Canvas c(kSamplePictureWidth, kSamplePictureHeight, {10, 12, 30});
    for (int y = 0; y < 600; ++y) {
        for (int x = 0; x < 800; ++x) {
            double d = std::hypot(x - 400.0, y - 250.0) / 420.0;
            c.Set(x, y, Mix({34, 40, 86}, {8, 10, 26}, d));
        }
    }
    const Colour gold = ink::kGold;
    c.Ellipse(400, 240, 130, 130, gold);
    c.Ellipse(400, 240, 112, 112, {20, 24, 60});
    // A lantern: cap, glass and base, its light a soft disc.
    for (int y = 140; y < 340; ++y) {
        for (int x = 300; x < 500; ++x) {
            double d = std::hypot(x - 400.0, y - 246.0) / 100.0;
            if (d < 1 && std::hypot(x - 400.0, y - 240.0) < 112)
                c.Set(x, y, Mix(c.At(x, y), {255, 200, 110}, 0.5 * (1 - d)));
        }
    }
    Polygon(c, {{360, 196}, {440, 196}, {420, 172}, {380, 172}}, gold);
    c.Box(394, 156, 406, 172, gold);
    c.RoundedBox(368, 200, 432, 290, 10, gold);
    c.RoundedBox(378, 210, 422, 280, 6, {255, 240, 200});
    c.Ellipse(400, 250, 10, 18, {255, 180, 80});
    c.Box(364, 290, 436, 302, gold);
    TextStyle brand{.size = 28, .colour = ink::kSnow, .bold = true, .spacing = 6};
    DrawText(c, "TARNEL", 400, 440, brand, Align::kCentre);
    DrawText(c, "small stories, softly told", 400, 492,
             {.size = 10, .colour = ink::kMist, .spacing = 1}, Align::kCentre);
    return c.Take();
}

}  // namespace

std::vector<SamplePicture> TitleSheets() {
    return {
        {"GameData/char/Tarnel2.crx", DrawBrandLogo, CrxWriteScheme::Lz, false},
        {"GameData/system/TitleBack1b.crx", DrawTitleNight, CrxWriteScheme::Lz, false},
        {"GameData/system/TitleBack2b.crx", DrawTitleDawn, CrxWriteScheme::Lz, false},
        {"GameData/system/TitleChip01.crx", DrawItemsNight, CrxWriteScheme::Lz, false},
        {"GameData/system/TitleChip02.crx", DrawExtrasNight, CrxWriteScheme::Lz, false},
        {"GameData/system/TitleChip03.crx", DrawItemsDawn, CrxWriteScheme::Lz, false},
        {"GameData/system/TitleChip04.crx", DrawExtrasDawn, CrxWriteScheme::Lz, false},
    };
}

}  // namespace pc_title
