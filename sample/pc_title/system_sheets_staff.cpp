// The end of the main story: the staff roll (staff01..06, six full
// pictures that scroll up one after another as one long roll) and the
// ending pictures (e01 before the pairs, e02..e04 after them, and the
// captions emoji01..27 shown at 428,0 beside each pair's left picture, of
// which the right 372 x 600 are cut).

#include <string>
#include <utility>

#include "sample/pc_title/sheet_kit.h"

namespace pc_title {

namespace {

constexpr int kRollPictures = 6;
constexpr int kRollHeight = 600 * kRollPictures;

struct RollLine {
    int y;  // design row on the whole roll
    const char* text;
    int kind;  // 0 role, 1 name, 2 the title
};

// The sample title's (invented) staff.
constexpr RollLine kRoll[] = {
    {480, "Quevara", 2},
    {655, "企画・シナリオ", 0},
    {717, "朝霧 ユウ", 1},
    {905, "キャラクターデザイン", 0},
    {967, "白河 ミオ", 1},
    {1155, "背景", 0},
    {1217, "久遠 レン", 1},
    {1280, "日向 ソウタ", 1},
    {1467, "音楽", 0},
    {1530, "水瀬 カナ", 1},
    {1717, "効果音", 0},
    {1780, "星野 アキラ", 1},
    {1967, "声の出演", 0},
    {2030, "七海 … 月島 ハル", 1},
    {2092, "空 … 桜井 ナギ", 1},
    {2155, "楓 … 秋月 リオ", 1},
    {2217, "恵美 … 藤宮 サヤ", 1},
    {2405, "プログラム", 0},
    {2467, "雪村 トウマ", 1},
    {2655, "データ変換", 0},
    {2717, "柊 マコト", 1},
    {2905, "スペシャルサンクス", 0},
    {2967, "遊んでくれたあなた", 1},
    {3280, "制作", 0},
    {3355, "TARNEL", 2},
};

DrawnPicture DrawRollPicture(int index) {
    Canvas c(kSamplePictureWidth, kSamplePictureHeight, {0, 0, 0});
    const int offset = 600 * index;
    for (int y = 0; y < 600; ++y) {
        // One gradient down the whole roll: night into the first light.
        const double t = static_cast<double>(offset + y) / kRollHeight;
        // It comes up from a black screen, so its first rows are black too.
        const Colour row = t < 0.08 ? Mix({0, 0, 0}, {8, 10, 34}, t / 0.08)
                                    : Mix({8, 10, 34}, {40, 34, 80}, (t - 0.08) / 0.92);
        for (int x = 0; x < 800; ++x) c.Set(x, y, row);
    }
    Lcg random(3100 + index);
    for (int i = 0; i < 90; ++i) {
        int x = random.Below(800), y = random.Below(600), s = 3 + random.Below(3);
        c.Box(x, y, x + s, y + s, Mix(c.At(x, y), {255, 255, 255}, 0.5));
    }
    for (const RollLine& line : kRoll) {
        const int y = line.y - offset;
        if (y < -60 || y > 660) continue;
        if (line.kind == 0) {
            DrawText(c, line.text, 400, y, {.size = 10, .colour = ink::kGold, .spacing = 1},
                     Align::kCentre);
        } else if (line.kind == 1) {
            DrawText(c, line.text, 400, y, {.size = 13, .colour = ink::kSnow}, Align::kCentre);
        } else {
            DrawText(c, line.text, 400, y,
                     {.size = 28, .colour = ink::kSnow, .bold = true, .spacing = 2},
                     Align::kCentre);
        }
    }
    return c.Take();
}

template <int kIndex>
DrawnPicture DrawRoll() {
    return DrawRollPicture(kIndex);
}

// --- Ending pictures

// A sky from `top` to `low` with the night's or the spring's specks.
void EndingSky(Canvas& c, Colour top, Colour low, Colour speck, uint32_t seed, int count) {
    Gradient(c, 0, 0, c.Width(), c.Height(), top, low);
    Lcg random(seed);
    for (int i = 0; i < count; ++i) {
        int x = random.Below(c.Width()), y = random.Below(c.Height()), s = 4 + random.Below(4);
        c.Ellipse(x, y, s, s * 0.7, Mix(c.At(x, y), speck, 0.7));
    }
}

DrawnPicture DrawEndingOpening() {
    Canvas c(kSamplePictureWidth, kSamplePictureHeight, {0, 0, 0});
    EndingSky(c, {10, 14, 44}, {60, 56, 116}, {255, 255, 255}, 1, 160);
    DrawText(c, "Quevara", 400, 260, {.size = 32, .colour = ink::kSnow, .bold = true, .spacing = 2},
             Align::kCentre);
    c.Box(250, 310, 550, 313, ink::kGold);
    DrawText(c, "― ending ―", 400, 350, {.size = 12, .colour = ink::kGold, .spacing = 2},
             Align::kCentre);
    return c.Take();
}

DrawnPicture DrawEndingSpring() {
    Canvas c(kSamplePictureWidth, kSamplePictureHeight, {0, 0, 0});
    EndingSky(c, {150, 196, 250}, {255, 236, 240}, {255, 190, 210}, 2, 140);
    for (int x = 0; x < 800; ++x) {
        const int top = 430 + static_cast<int>(40 * std::sin(x / 160.0));
        for (int y = top; y < 600; ++y)
            c.Set(x, y, Mix({150, 210, 120}, {90, 160, 90}, (y - top) / 170.0));
    }
    // A blossoming tree on the hill.
    c.Box(560, 250, 580, 450, {110, 76, 60});
    for (int k = 0; k < 9; ++k)
        c.Ellipse(570 + 70 * std::cos(k * 0.7), 230 + 44 * std::sin(k * 1.3), 70, 50,
                  {255, 200, 216});
    DrawText(c, "そして、春。", 220, 200, {.size = 20, .colour = {120, 60, 90}, .bold = true},
             Align::kCentre);
    return c.Take();
}

DrawnPicture DrawEndingFriends() {
    Canvas c(kSamplePictureWidth, kSamplePictureHeight, {0, 0, 0});
    EndingSky(c, {250, 210, 170}, {255, 240, 220}, {255, 200, 216}, 3, 80);
    // The four, side by side, in their colours.
    const Colour hair[4] = {{104, 64, 46}, {36, 40, 66}, {150, 72, 40}, {236, 198, 120}};
    const Colour dress[4] = {{206, 78, 84}, {66, 104, 178}, {92, 146, 96}, {240, 170, 196}};
    for (int k = 0; k < 4; ++k) {
        const double cx = 190 + k * 140;
        c.Trapezoid(360, 600, cx, 30, cx, 80, dress[k]);
        c.Ellipse(cx, 300, 52, 58, hair[k]);
        c.Ellipse(cx, 314, 40, 42, {250, 226, 206});
        c.Box(static_cast<int>(cx) - 44, 262, static_cast<int>(cx) + 45, 290, hair[k]);
        c.Ellipse(cx - 14, 318, 5, 8, {60, 44, 60});
        c.Ellipse(cx + 14, 318, 5, 8, {60, 44, 60});
        c.Box(static_cast<int>(cx) - 6, 338, static_cast<int>(cx) + 7, 341, {210, 110, 120});
    }
    DrawText(c, "みんなの春", 400, 130, {.size = 22, .colour = {120, 60, 70}, .bold = true},
             Align::kCentre);
    return c.Take();
}

DrawnPicture DrawEndingLast() {
    Canvas c(kSamplePictureWidth, kSamplePictureHeight, {0, 0, 0});
    EndingSky(c, {20, 20, 50}, {10, 10, 26}, {200, 200, 255}, 4, 60);
    DrawText(c, "おしまい", 400, 250, {.size = 24, .colour = ink::kSnow, .bold = true},
             Align::kCentre);
    DrawText(c, "Thank you for playing", 400, 330, {.size = 12, .colour = ink::kGold, .spacing = 1},
             Align::kCentre);
    return c.Take();
}

// The captions beside the pairs: a short poem from winter into spring, one
// line a pair, over a colour that warms as it goes.
constexpr const char* kCaptions[27] = {
    "雪の朝、白い息。",     "いつもの通学路。",     "となりを歩く足音。",
    "商店街のあかり。",     "放課後のチャイム。",   "海岸を渡る風。",
    "丘の上のベンチ。",     "夕焼けの帰り道。",     "星のきれいな夜。",
    "交わした約束。",       "小さなけんか。",       "ごめんね、のひとこと。",
    "ふたりで笑った日。",   "雪がとけていく。",     "春を待つ木々。",
    "つぼみがふくらむ。",   "あたたかな日差し。",   "新しい季節。",
    "変わらないもの。",     "変わっていくもの。",   "手をつないで。",
    "同じ道を歩く。",       "また明日、と言える。", "ありがとう。",
    "これからも、ずっと。", "春が来た。",           "Quevara"};

DrawnPicture DrawCaption(int pair) {
    Canvas c(375, 600, {0, 0, 0});
    const double t = pair / 26.0;
    const Colour top = Mix({200, 214, 246}, {255, 214, 226}, t);
    const Colour low = Mix({120, 140, 200}, {250, 170, 190}, t);
    EndingSky(c, top, low, Mix({255, 255, 255}, {255, 190, 210}, t), 500 + pair, 40);
    Ring(c, 20, 20, 352, 580, 16, 3, Mix({255, 255, 255}, ink::kGold, 0.4));
    const Colour ink{50, 40, 80};
    DrawText(c, kCaptions[pair], 186, 290,
             {.size = pair == 26 ? 20 : 12, .colour = ink, .bold = true}, Align::kCentre);
    DrawText(c, std::to_string(pair + 1) + " / 27", 186, 540, {.size = 9, .colour = ink},
             Align::kCentre);
    return c.Take();
}

template <int kPair>
DrawnPicture DrawCaptionOf() {
    return DrawCaption(kPair);
}

template <int... kPairs>
std::vector<SamplePicture> Captions(std::integer_sequence<int, kPairs...>) {
    static const std::string names[] = {("GameData/char/staff/emoji" +
                                         std::string(kPairs < 9 ? "0" : "") +
                                         std::to_string(kPairs + 1) + ".crx")...};
    return {{names[kPairs].c_str(), DrawCaptionOf<kPairs>,
             kPairs == 0 ? CrxWriteScheme::Zlib : CrxWriteScheme::Lz, false}...};
}

}  // namespace

std::vector<SamplePicture> StaffSheets() {
    constexpr auto kLz = CrxWriteScheme::Lz;
    std::vector<SamplePicture> pictures = {
        {"GameData/char/staff/staff01.crx", DrawRoll<0>, kLz, false},
        {"GameData/char/staff/staff02.crx", DrawRoll<1>, kLz, false},
        {"GameData/char/staff/staff03.crx", DrawRoll<2>, kLz, false},
        {"GameData/char/staff/staff04.crx", DrawRoll<3>, kLz, false},
        {"GameData/char/staff/staff05.crx", DrawRoll<4>, kLz, false},
        {"GameData/char/staff/staff06.crx", DrawRoll<5>, kLz, false},
        {"GameData/char/staff/e01.crx", DrawEndingOpening, kLz, false},
        {"GameData/char/staff/e02.crx", DrawEndingSpring, kLz, false},
        {"GameData/char/staff/e03.crx", DrawEndingFriends, kLz, false},
        {"GameData/char/staff/e04.crx", DrawEndingLast, kLz, false},
    };
    for (const SamplePicture& caption : Captions(std::make_integer_sequence<int, 27>()))
        pictures.push_back(caption);
    return pictures;
}

}  // namespace pc_title
