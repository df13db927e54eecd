// The extras reached from the title: the scenario select, the CG gallery
// and the music gallery, with the buttons and numbers they share.
//
// SysChip: number cells (40 (v mod 20), 32 (v / 20), 40 x 32) for 0..39;
// the page buttons (48 j, 192, 48 x 32) for "<<", "<", ">", ">>" and the
// leave button (0, 160, 120 x 32), each highlighted 64 below.
// Scenario select: tabs of SinarioChip (0 / 120 highlighted / 240 current,
// 32 t, 120 x 32), its locked plate (0, 224, 256 x 32); date cells of
// SinaDayChip ((k mod 10) 56, (k / 10) 24, 56 x 24); titles of SinaChar<t>0
// (256 (m / 18), 32 (m mod 18), 256 x 32), highlighted 768 to the right.
// CG gallery: tabs of CgModeChip (0 / 200 / 400, 32 t, 198 x 32; tab 6
// 0 / 200 / 336, 166 wide), the locked thumbnail (0, 224, 96 x 72);
// thumbnails of CgChip0<t> and, highlighted, CgChip1<t> ((n mod 8) 96,
// (n / 8) 72, 96 x 72). Music gallery: titles of MusicTitleChip00 and, highlighted,
// 01 (256 (n / 18), 32 (n mod 18), 256 x 32); the label row of MusicChip
// (0, 32, 160 x 32), highlighted at (0, 96).

#include "sample/pc_title/sheet_kit.h"

namespace pc_title {

namespace {

constexpr Colour kPlateTop{44, 60, 130};
constexpr Colour kPlateLow{26, 36, 90};
constexpr Colour kLitTop{255, 226, 150};
constexpr Colour kLitLow{232, 170, 76};
constexpr Colour kLitRim{255, 246, 214};
constexpr Colour kLitText{50, 28, 8};

void NormalPlate(Canvas& c, int x0, int y0, int x1, int y1) {
    Plate(c, x0, y0, x1, y1, std::min(14, (y1 - y0) / 2), kPlateTop, kPlateLow, ink::kMist, 3, 3);
}
void LitPlate(Canvas& c, int x0, int y0, int x1, int y1) {
    Plate(c, x0, y0, x1, y1, std::min(14, (y1 - y0) / 2), kLitTop, kLitLow, kLitRim, 3, 3);
}

// --- Shared buttons and numbers

void Arrow(Canvas& c, double cx, double cy, int direction, Colour colour) {
    Polygon(c,
            {{cx - 6.0 * direction, cy - 9},
             {cx + 7.0 * direction, cy},
             {cx - 6.0 * direction, cy + 9}},
            colour);
}

DrawnPicture DrawSystemChips() {
    Canvas c(800, 290, kKey);
    for (int v = 0; v < 40; ++v) {
        const int x = 40 * (v % 20), y = 32 * (v / 20);
        Plate(c, x + 1, y + 1, x + 37, y + 29, 10, {20, 26, 66}, {20, 26, 66}, ink::kMist, 3, 1);
        DrawText(c, std::to_string(v), x + 19, y + 15,
                 {.size = 10, .colour = ink::kSnow, .bold = true}, Align::kCentre);
    }
    for (int lit = 0; lit < 2; ++lit) {
        const Colour mark = lit ? kLitText : ink::kSnow;
        for (int j = 0; j < 4; ++j) {
            const int x = 48 * j, y = 192 + 64 * lit;
            lit ? LitPlate(c, x + 1, y + 0, x + 45, y + 29)
                : NormalPlate(c, x + 1, y + 0, x + 45, y + 29);
            const int direction = j < 2 ? -1 : 1;
            if (j == 0 || j == 3) {
                Arrow(c, x + 23 - 6 * direction, y + 15, direction, mark);
                Arrow(c, x + 23 + 6 * direction, y + 15, direction, mark);
            } else {
                Arrow(c, x + 23, y + 15, direction, mark);
            }
        }
        const int y = 160 + 64 * lit;
        lit ? LitPlate(c, 1, y + 0, 117, y + 29) : NormalPlate(c, 1, y + 0, 117, y + 29);
        DrawText(c, "もどる", 59, y + 15, {.size = 11, .colour = mark, .bold = lit != 0},
                 Align::kCentre);
    }
    return c.Take();
}

// A screen's background: a soft night gradient with snow, its name on top
// and a panel where its list lies.
void ScreenBackground(Canvas& c, const char* name, const char* latin, Colour top, Colour low,
                      uint32_t seed) {
    Gradient(c, 0, 0, 800, 600, top, low);
    Lcg random(seed);
    for (int i = 0; i < 120; ++i) {
        int x = random.Below(800), y = random.Below(600), s = 3 + random.Below(3);
        c.Box(x, y, x + s, y + s, Mix(c.At(x, y), {255, 255, 255}, 0.35));
    }
    c.Box(0, 96, 800, 99, Mix(ink::kGold, top, 0.3));
    DrawText(c, name, 40, 56, {.size = 18, .colour = ink::kSnow, .bold = true});
    DrawText(c, latin, 760, 62, {.size = 10, .colour = ink::kGold, .spacing = 2}, Align::kRight);
}

// A translucent-looking panel: the background darkened inside a rim.
void DarkPanel(Canvas& c, int x0, int y0, int x1, int y1) {
    for (int y = y0; y < y1; ++y)
        for (int x = x0; x < x1; ++x)
            if (Canvas::InRoundedBox(x, y, x0, y0, x1, y1, 18))
                c.Set(x, y, Mix(c.At(x, y), ink::kShadow, 0.55));
    Ring(c, x0, y0, x1, y1, 18, 3, Mix(ink::kMist, ink::kShadow, 0.3));
}

// --- Scenario select

constexpr const char* kTabNames[7] = {"七海", "空", "楓", "恵美", "みんな", "番外編", "その他"};

DrawnPicture DrawScenarioBackground() {
    Canvas c(kSamplePictureWidth, kSamplePictureHeight, {0, 0, 0});
    ScreenBackground(c, "シナリオ回想", "SCENARIO", {30, 40, 96}, {70, 60, 120}, 60);
    DarkPanel(c, 20, 124, 548, 218);  // the tabs
    DarkPanel(c, 20, 300, 780, 540);  // the list
    DrawText(c, "/", 276, 248, {.size = 12, .colour = ink::kSnow, .bold = true}, Align::kCentre);
    DrawText(c, "ページ", 340, 248, {.size = 9, .colour = ink::kMist});
    DrawText(c, "見たことのあるシナリオを、もう一度読めます。", 40, 566,
             {.size = 9, .colour = ink::kMist});
    return c.Take();
}

void TabCell(Canvas& c, int x, int y, int width, const char* name, int state) {
    // state 0 normal, 1 highlighted, 2 current
    if (state == 1) {
        LitPlate(c, x + 1, y + 0, x + width - 3, y + 29);
    } else if (state == 2) {
        Plate(c, x + 1, y + 0, x + width - 3, y + 29, 14, {236, 140, 160}, {200, 96, 124},
              {255, 230, 236}, 3, 3);
    } else {
        NormalPlate(c, x + 1, y + 0, x + width - 3, y + 29);
    }
    DrawText(c, name, x + width / 2 - 1, y + 15,
             {.size = 11, .colour = state == 1 ? kLitText : ink::kSnow, .bold = state != 0},
             Align::kCentre);
}

DrawnPicture DrawScenarioTabs() {
    Canvas c(360, 260, kKey);
    for (int t = 0; t < 7; ++t)
        for (int state = 0; state < 3; ++state)
            TabCell(c, 120 * state, 32 * t, 120, kTabNames[t], state);
    Plate(c, 2, 225, 254, 255, 12, {70, 72, 90}, {50, 52, 70}, {130, 130, 150}, 3, 1);
    DrawText(c, "？？？？？", 128, 240, {.size = 10, .colour = {170, 170, 190}}, Align::kCentre);
    return c.Take();
}

// The date cells, in the order of the data set's date list: the main
// story's days from February 25th to March 16th.
DrawnPicture DrawScenarioDates() {
    Canvas c(560, 50, kKey);
    for (int k = 0; k < 20; ++k) {
        const int x = (k % 10) * 56, y = (k / 10) * 24;
        const int month = k < 4 ? 2 : 3, day = k < 4 ? 25 + k : k - 3;
        c.RoundedBox(x + 1, y + 0, x + 53, y + 21, 7, {250, 246, 236});
        DrawText(c, std::to_string(month) + "/" + std::to_string(day), x + 27, y + 11,
                 {.size = 8, .colour = {60, 40, 30}, .overKey = false}, Align::kCentre);
    }
    return c.Take();
}

// The scenes of each tab, in the order of its entries.
std::string SceneTitle(int tab, int entry) {
    static const char* const kDays[] = {"プロローグ",     "2月26日 朝",     "2月26日 放課後",
                                        "2月27日 朝",     "2月27日 放課後", "2月28日 朝",
                                        "2月28日 放課後", "みんなの春"};
    static const char* const kMoments[] = {"と放課後", "と夜の道", "の春"};
    if (tab < 4 && entry < 3) {
        static const char* const kNames[4] = {"七海", "空", "楓", "恵美"};
        return std::string(kNames[tab]) + kMoments[entry];
    }
    if (tab == 4 && entry < 8) return kDays[entry];
    return "シーン " + std::to_string(entry + 1);
}

DrawnPicture DrawSceneTitles(int tab) {
    Canvas c(1540, 580, kKey);
    for (int m = 0; m < 54; ++m) {
        for (int lit = 0; lit < 2; ++lit) {
            const int x = 256 * (m / 18) + 768 * lit, y = 32 * (m % 18);
            lit ? LitPlate(c, x + 1, y + 0, x + 253, y + 29)
                : NormalPlate(c, x + 1, y + 0, x + 253, y + 29);
            if (lit) Star(c, x + 20, y + 15, 8, kLitText);
            DrawText(c, SceneTitle(tab, m), x + 36, y + 15,
                     {.size = 11, .colour = lit ? kLitText : ink::kSnow, .bold = lit != 0});
        }
    }
    return c.Take();
}

template <int kTab>
DrawnPicture DrawSceneTitlesOf() {
    return DrawSceneTitles(kTab);
}

// --- CG gallery

DrawnPicture DrawCgBackground() {
    Canvas c(kSamplePictureWidth, kSamplePictureHeight, {0, 0, 0});
    ScreenBackground(c, "CGギャラリー", "GALLERY", {40, 30, 80}, {110, 70, 120}, 70);
    DarkPanel(c, 36, 232, 340, 532);   // the tabs
    DarkPanel(c, 384, 168, 720, 428);  // the thumbnails
    DrawText(c, "見た絵を、もう一度ながめられます。", 40, 150, {.size = 10, .colour = ink::kMist});
    DrawText(c, "ページ", 604, 456, {.size = 9, .colour = ink::kMist}, Align::kRight);
    return c.Take();
}

DrawnPicture DrawCgTabs() {
    Canvas c(600, 300, kKey);
    for (int t = 0; t < 7; ++t) {
        // Tab 6's highlighted and current cells share 30 design pixels, so
        // every tab plate keeps 30 clear at both ends.
        const int width = t == 6 ? 166 : 198;
        const int cellX[3] = {0, 200, t == 6 ? 336 : 400};
        for (int state = 0; state < 3; ++state) {
            Canvas plate(width, 32, kKey);
            TabCell(plate, 30, 0, width - 60, kTabNames[t], state);
            DrawnPicture drawn = plate.Take();
            for (int y = 0; y < 32; ++y) {
                for (int x = 0; x < width; ++x) {
                    const uint8_t* p = &drawn.pixels[(static_cast<size_t>(y) * width + x) * 3];
                    Colour colour{p[2], p[1], p[0]};
                    if (!(colour.r == 255 && colour.g == 0 && colour.b == 255))
                        c.Set(cellX[state] + x, 32 * t + y, colour);
                }
            }
        }
    }
    // The locked thumbnail.
    Plate(c, 2, 226, 94, 294, 8, {70, 72, 90}, {50, 52, 70}, {130, 130, 150}, 3, 1);
    DrawText(c, "？", 48, 260, {.size = 14, .colour = {170, 170, 190}, .bold = true},
             Align::kCentre);
    return c.Take();
}

// The heroines' colours (hair, dress), as in the main story.
constexpr Colour kHair[4] = {{104, 64, 46}, {36, 40, 66}, {150, 72, 40}, {236, 198, 120}};
constexpr Colour kDress[4] = {{206, 78, 84}, {66, 104, 178}, {92, 146, 96}, {240, 170, 196}};

// A thumbnail: a small scene of the tab's heroine under a sky of its hour,
// in a frame that keeps three design pixels clear towards the next cell.
void Thumbnail(Canvas& c, int x, int y, int tab, int n, bool lit) {
    const Colour skies[3][2] = {{{120, 170, 240}, {230, 240, 255}},
                                {{90, 70, 150}, {250, 170, 130}},
                                {{14, 20, 60}, {60, 70, 130}}};
    const Colour* sky = skies[n % 3];
    const int right = x + 93, bottom = y + 69;
    const Colour frame = lit ? ink::kGold : Colour{236, 236, 244};
    c.Box(x, y, right, bottom, frame);
    Gradient(c, x + 4, y + 4, right - 4, bottom - 4, sky[0], sky[1]);
    const Colour ground = n % 3 == 2 ? Colour{40, 60, 70} : Colour{120, 170, 110};
    for (int yy = y + 50; yy < bottom - 4; ++yy)
        for (int xx = x + 4; xx < right - 4; ++xx)
            if (std::hypot((xx - x - 46) / 60.0, (yy - y - 78) / 28.0) < 1) c.Set(xx, yy, ground);
    const int who = tab < 4 ? tab : n % 4;
    const double cx = x + (n % 2 ? 62 : 32);
    for (int yy = y + 24; yy < bottom - 4; ++yy) {
        for (int xx = static_cast<int>(cx) - 18; xx <= static_cast<int>(cx) + 18; ++xx) {
            Colour colour{-1, 0, 0};
            if (std::hypot((xx - cx) / 18.0, (yy - y - 66) / 14.0) < 1) colour = kDress[who];
            if (std::hypot((xx - cx) / 13.0, (yy - y - 36) / 14.0) < 1) colour = kHair[who];
            if (std::hypot((xx - cx) / 9.0, (yy - y - 40) / 10.0) < 1 && yy > y + 33)
                colour = {250, 226, 206};
            if (colour.r >= 0) c.Set(xx, yy, colour);
        }
    }
    if (lit) {
        // Brighter, as if lit from the front.
        for (int yy = y + 4; yy < bottom - 4; ++yy)
            for (int xx = x + 4; xx < right - 4; ++xx)
                c.Set(xx, yy, Mix(c.At(xx, yy), {255, 255, 255}, 0.25));
    }
}

DrawnPicture DrawThumbnails(int tab, bool lit) {
    Canvas c(770, 220, kKey);
    for (int n = 0; n < 18; ++n) Thumbnail(c, (n % 8) * 96, (n / 8) * 72, tab, n, lit);
    return c.Take();
}

template <int kTab, bool kLit>
DrawnPicture DrawThumbnailsOf() {
    return DrawThumbnails(kTab, kLit);
}

// --- Music gallery

constexpr const char* kTrackTitles[27] = {
    "Quevara",        "冬の朝",         "通学路",           "にぎやかな商店街",
    "放課後の教室",   "海岸の風",       "丘の公園",         "夕暮れの帰り道",
    "星降る夜",       "ひとりの部屋",   "ちょっとした事件", "七海のテーマ",
    "空のテーマ",     "楓のテーマ",     "恵美のテーマ",     "約束",
    "雪の日の記憶",   "クリスマスの街", "夏の海",           "灯台の下で",
    "さよならの前に", "春を待つ",       "エンディング",     "スタッフロール",
    "みんなの春",     "おまけの時間",   "また会う日まで"};

DrawnPicture DrawMusicBackground() {
    Canvas c(kSamplePictureWidth, kSamplePictureHeight, {0, 0, 0});
    ScreenBackground(c, "ミュージック", "MUSIC", {20, 40, 80}, {40, 90, 120}, 80);
    DarkPanel(c, 28, 160, 372, 572);   // tracks 1..10
    DarkPanel(c, 396, 360, 740, 572);  // tracks 11..15
    DarkPanel(c, 536, 168, 740, 328);  // the buttons
    // A few notes in the free corner.
    for (int k = 0; k < 3; ++k) {
        const double x = 430 + k * 34, y = 250 + (k % 2) * 24;
        c.Ellipse(x, y, 12, 9, Mix(ink::kGold, {20, 40, 80}, 0.3));
        c.Box(static_cast<int>(x) + 8, static_cast<int>(y) - 50, static_cast<int>(x) + 12,
              static_cast<int>(y), Mix(ink::kGold, {20, 40, 80}, 0.3));
    }
    DrawText(c, "曲を選ぶと、くり返し流れます。", 40, 130, {.size = 10, .colour = ink::kMist});
    return c.Take();
}

DrawnPicture DrawTrackTitles(bool lit) {
    Canvas c(515, 580, kKey);
    for (int n = 0; n < 27; ++n) {
        const int x = 256 * (n / 18), y = 32 * (n % 18);
        if (lit) {
            LitPlate(c, x + 1, y + 0, x + 253, y + 29);
            Star(c, x + 18, y + 15, 8, kLitText);
        } else {
            Plate(c, x + 1, y + 0, x + 253, y + 29, 14, {26, 40, 84}, {26, 40, 84},
                  Mix(ink::kMist, {26, 40, 84}, 0.5), 2, 1);
        }
        DrawText(c, kTrackTitles[n], x + 34, y + 15,
                 {.size = 11, .colour = lit ? kLitText : ink::kSnow, .bold = lit});
    }
    return c.Take();
}

DrawnPicture DrawTrackTitlesNormal() {
    return DrawTrackTitles(false);
}
DrawnPicture DrawTrackTitlesLit() {
    return DrawTrackTitles(true);
}

DrawnPicture DrawMusicLabel() {
    Canvas c(160, 130, kKey);
    NormalPlate(c, 2, 33, 158, 63);
    DrawText(c, "MUSIC ROOM", 80, 48, {.size = 8, .colour = ink::kSnow}, Align::kCentre);
    LitPlate(c, 2, 97, 158, 127);
    DrawText(c, "MUSIC ROOM", 80, 112, {.size = 8, .colour = kLitText, .bold = true},
             Align::kCentre);
    return c.Take();
}

}  // namespace

std::vector<SamplePicture> GallerySheets() {
    constexpr auto kZlib = CrxWriteScheme::Zlib;
    constexpr auto kLz = CrxWriteScheme::Lz;
    return {
        {"GameData/system/SysChip.crx", DrawSystemChips, kZlib, false},
        {"GameData/system/SinarioBack.crx", DrawScenarioBackground, kLz, false},
        {"GameData/system/SinarioChip.crx", DrawScenarioTabs, kLz, false},
        {"GameData/system/SinaDayChip.crx", DrawScenarioDates, kZlib, false},
        {"GameData/system/SinaChar00.crx", DrawSceneTitlesOf<0>, kLz, false},
        {"GameData/system/SinaChar10.crx", DrawSceneTitlesOf<1>, kLz, false},
        {"GameData/system/SinaChar20.crx", DrawSceneTitlesOf<2>, kLz, false},
        {"GameData/system/SinaChar30.crx", DrawSceneTitlesOf<3>, kLz, false},
        {"GameData/system/SinaChar40.crx", DrawSceneTitlesOf<4>, kLz, false},
        {"GameData/system/SinaChar50.crx", DrawSceneTitlesOf<5>, kLz, false},
        {"GameData/system/SinaChar60.crx", DrawSceneTitlesOf<6>, kLz, false},
        {"GameData/system/CgModeBack.crx", DrawCgBackground, kLz, false},
        {"GameData/system/CgModeChip.crx", DrawCgTabs, kLz, false},
        {"GameData/system/CgChip00.crx", DrawThumbnailsOf<0, false>, kZlib, false},
        {"GameData/system/CgChip01.crx", DrawThumbnailsOf<1, false>, kLz, false},
        {"GameData/system/CgChip02.crx", DrawThumbnailsOf<2, false>, kLz, false},
        {"GameData/system/CgChip03.crx", DrawThumbnailsOf<3, false>, kLz, false},
        {"GameData/system/CgChip04.crx", DrawThumbnailsOf<4, false>, kLz, false},
        {"GameData/system/CgChip05.crx", DrawThumbnailsOf<5, false>, kLz, false},
        {"GameData/system/CgChip06.crx", DrawThumbnailsOf<6, false>, kLz, false},
        {"GameData/system/CgChip10.crx", DrawThumbnailsOf<0, true>, kLz, false},
        {"GameData/system/CgChip11.crx", DrawThumbnailsOf<1, true>, kZlib, false},
        {"GameData/system/CgChip12.crx", DrawThumbnailsOf<2, true>, kLz, false},
        {"GameData/system/CgChip13.crx", DrawThumbnailsOf<3, true>, kLz, false},
        {"GameData/system/CgChip14.crx", DrawThumbnailsOf<4, true>, kLz, false},
        {"GameData/system/CgChip15.crx", DrawThumbnailsOf<5, true>, kLz, false},
        {"GameData/system/CgChip16.crx", DrawThumbnailsOf<6, true>, kLz, false},
        {"GameData/system/MusicBack.crx", DrawMusicBackground, kLz, false},
        {"GameData/system/MusicTitleChip00.crx", DrawTrackTitlesNormal, kLz, false},
        {"GameData/system/MusicTitleChip01.crx", DrawTrackTitlesLit, kLz, false},
        {"GameData/system/MusicChip.crx", DrawMusicLabel, kZlib, false},
    };
}

}  // namespace pc_title
