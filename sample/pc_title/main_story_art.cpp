// The pictures of the main story: its places by day and by night, the four
// girls with their masks, the second pictures of the pairs, the event
// pictures and the left pictures of the endings.

#include <cmath>

#include "sample/pc_title/install_tree.h"
#include "sample/pc_title/main_story_people.h"

namespace pc_title {

namespace {

constexpr int kW = kSamplePictureWidth;
constexpr int kH = kSamplePictureHeight;

// --- Places

void Sky(Canvas& c, bool night, int horizon, Colour dayTop, Colour dayLow) {
    const Colour top = night ? Colour{10, 14, 40} : dayTop;
    const Colour low = night ? Colour{40, 50, 96} : dayLow;
    for (int y = 0; y < horizon; ++y) {
        Colour row = Mix(top, low, static_cast<double>(y) / horizon);
        for (int x = 0; x < kW; ++x) c.Set(x, y, row);
    }
    if (night) {
        Lcg random(horizon * 7 + 11);
        for (int i = 0; i < 120; ++i) {
            int x = random.Below(kW);
            int y = random.Below(std::max(1, horizon - 20));
            int shade = 170 + random.Below(86);
            c.Set(x, y, {shade, shade, std::min(255, shade + 20)});
        }
    }
}

// A glow around a point: the street lamps at night.
void Glow(Canvas& c, double cx, double cy, double radius, Colour light, double strength) {
    for (int y = static_cast<int>(cy - radius); y < cy + radius; ++y) {
        for (int x = static_cast<int>(cx - radius); x < cx + radius; ++x) {
            double d = std::hypot(x - cx, y - cy) / radius;
            if (d < 1) c.Set(x, y, Mix(c.At(x, y), light, strength * (1 - d) * (1 - d)));
        }
    }
}

// The shopping street: shops with awnings along a paved road, two lamps.
DrawnPicture DrawStreet(bool night) {
    Canvas c(kW, kH, {0, 0, 0});
    Sky(c, night, 300, {120, 170, 230}, {210, 226, 244});
    const Colour walls[5] = {
        {214, 190, 160}, {190, 200, 214}, {226, 210, 170}, {200, 170, 160}, {180, 196, 176}};
    const Colour awnings[5] = {
        {200, 70, 60}, {60, 120, 190}, {230, 170, 50}, {80, 150, 90}, {170, 80, 150}};
    for (int i = 0; i < 5; ++i) {
        int x0 = i * 160;
        int roof = 130 + (i % 2) * 40 + (i == 2 ? -30 : 0);
        Colour wall = night ? Mix(walls[i], Colour{10, 12, 30}, 0.7) : walls[i];
        c.Box(x0 + 4, roof, x0 + 156, 430, wall);
        c.Box(x0, roof - 12, x0 + 160, roof, night ? Colour{30, 30, 46} : Colour{110, 90, 80});
        // Upper windows, lit at night in some shops.
        for (int w = 0; w < 3; ++w) {
            bool lit = night && (i + w) % 2 == 0;
            Colour glass = lit     ? Colour{250, 220, 140}
                           : night ? Colour{30, 40, 70}
                                   : Colour{160, 200, 230};
            c.Box(x0 + 20 + w * 46, roof + 30, x0 + 52 + w * 46, roof + 70, glass);
        }
        // The awning and the shop window beneath it.
        Colour awning = night ? Mix(awnings[i], Colour{10, 12, 30}, 0.5) : awnings[i];
        for (int s = 0; s < 8; ++s) {
            c.Trapezoid(300, 336, x0 + 10 + s * 18 + 9, 9, x0 + 10 + s * 18 + 9, 11,
                        s % 2 == 0 ? awning : Mix(awning, Colour{255, 255, 255}, 0.6));
        }
        c.Box(x0 + 20, 350, x0 + 140, 430, night ? Colour{240, 200, 120} : Colour{120, 150, 170});
    }
    // The road, its kerb and paving lines.
    c.Box(0, 430, kW, 446, night ? Colour{60, 60, 70} : Colour{170, 170, 170});
    for (int y = 446; y < kH; ++y) {
        Colour road = night ? Mix(Colour{40, 40, 56}, Colour{24, 24, 36}, (y - 446) / 154.0)
                            : Mix(Colour{196, 186, 170}, Colour{150, 140, 128}, (y - 446) / 154.0);
        for (int x = 0; x < kW; ++x) c.Set(x, y, road);
    }
    for (int y = 470; y < kH; y += 34)
        c.Box(0, y, kW, y + 2, night ? Colour{30, 30, 44} : Colour{140, 130, 120});
    // Two lamps.
    for (int x : {120, 680}) {
        if (night) Glow(c, x, 250, 90, {255, 230, 160}, 0.6);
        c.Box(x - 4, 260, x + 4, 470, {60, 64, 70});
        c.Ellipse(x, 252, 16, 12, night ? Colour{255, 240, 190} : Colour{230, 230, 220});
    }
    return c.Take();
}

// The school: a long building with a clock, the yard before it and a fence.
DrawnPicture DrawSchool(bool night) {
    Canvas c(kW, kH, {0, 0, 0});
    Sky(c, night, 400, {90, 150, 230}, {200, 220, 246});
    const Colour wall = night ? Colour{70, 70, 90} : Colour{236, 226, 204};
    const Colour trim = night ? Colour{50, 50, 66} : Colour{200, 186, 160};
    c.Box(60, 140, 740, 400, wall);
    c.Box(330, 80, 470, 140, wall);
    c.Box(60, 140, 740, 152, trim);
    c.Ellipse(400, 110, 24, 24, night ? Colour{190, 190, 160} : Colour{250, 250, 240});
    c.Box(399, 94, 402, 111, {40, 40, 50});
    c.Box(400, 109, 414, 112, {40, 40, 50});
    for (int row = 0; row < 3; ++row) {
        for (int col = 0; col < 10; ++col) {
            bool lit = night && row == 1 && (col == 2 || col == 7);
            Colour glass = lit     ? Colour{250, 224, 150}
                           : night ? Colour{24, 34, 60}
                                   : Colour{150, 196, 230};
            c.Box(84 + col * 66, 170 + row * 76, 128 + col * 66, 216 + row * 76, glass);
        }
    }
    c.Box(360, 330, 440, 400, night ? Colour{40, 40, 52} : Colour{130, 110, 90});
    // The yard.
    for (int y = 400; y < kH; ++y) {
        Colour ground = night
                            ? Mix(Colour{50, 46, 60}, Colour{30, 28, 40}, (y - 400) / 200.0)
                            : Mix(Colour{214, 190, 150}, Colour{190, 164, 124}, (y - 400) / 200.0);
        for (int x = 0; x < kW; ++x) c.Set(x, y, ground);
    }
    // A cherry tree not yet in bloom and the fence.
    c.Box(640, 300, 656, 470, night ? Colour{30, 24, 24} : Colour{100, 70, 50});
    c.Ellipse(648, 280, 90, 60, night ? Colour{40, 34, 50} : Colour{150, 120, 120});
    for (int x = 0; x < kW; x += 24)
        c.Box(x, 500, x + 6, 560, night ? Colour{70, 80, 80} : Colour{90, 130, 110});
    c.Box(0, 510, kW, 516, night ? Colour{70, 80, 80} : Colour{90, 130, 110});
    return c.Take();
}

// The beach: the sea to the horizon, the sun (or the moon) over it, sand.
DrawnPicture DrawBeach(bool night) {
    Canvas c(kW, kH, {0, 0, 0});
    Sky(c, night, 300, {70, 140, 220}, {250, 200, 160});
    const double sunX = 560;
    if (night) {
        c.Ellipse(sunX, 150, 30, 30, {240, 240, 214});
    } else {
        c.Ellipse(sunX, 250, 44, 44, {255, 226, 160});
    }
    for (int y = 300; y < 440; ++y) {
        double t = (y - 300) / 140.0;
        Colour sea = night ? Mix(Colour{20, 30, 70}, Colour{10, 18, 44}, t)
                           : Mix(Colour{60, 120, 190}, Colour{40, 90, 160}, t);
        for (int x = 0; x < kW; ++x) c.Set(x, y, sea);
        // The light's path on the water, as broken strokes.
        if (y % 6 < 2) {
            int half = static_cast<int>(20 + 90 * t);
            Colour path = night ? Colour{200, 200, 190} : Colour{255, 236, 190};
            for (int x = static_cast<int>(sunX) - half; x < sunX + half; x += 14)
                c.Box(x, y, x + 8, y + 1, path);
        }
    }
    // Waves on the shore and the sand.
    for (int y = 440; y < kH; ++y) {
        double t = (y - 440) / 160.0;
        Colour sand = night ? Mix(Colour{80, 76, 90}, Colour{50, 46, 60}, t)
                            : Mix(Colour{240, 220, 170}, Colour{220, 196, 140}, t);
        for (int x = 0; x < kW; ++x) c.Set(x, y, sand);
    }
    for (int x = 0; x < kW; ++x) {
        int edge = 440 + static_cast<int>(8 * std::sin(x / 40.0));
        c.Box(x, edge - 4, x + 1, edge + 3, night ? Colour{150, 160, 190} : Colour{250, 250, 250});
    }
    // A breakwater to the left.
    c.Trapezoid(330, 420, 80, 20, 130, 70, night ? Colour{50, 50, 60} : Colour{150, 150, 150});
    return c.Take();
}

// The park on the hill: a big tree, a bench and the town below.
DrawnPicture DrawHill(bool night) {
    Canvas c(kW, kH, {0, 0, 0});
    Sky(c, night, 380, {100, 160, 230}, {236, 214, 200});
    // The town far below, with lights at night.
    Lcg random(4242);
    for (int i = 0; i < 30; ++i) {
        int x = i * 28 + random.Below(10);
        int h = 20 + random.Below(40);
        c.Box(x, 380 - h, x + 22, 392, night ? Colour{30, 34, 60} : Colour{150, 156, 180});
        if (night && random.Below(2) == 0)
            c.Box(x + 8, 380 - h + 6, x + 12, 380 - h + 10, {250, 220, 140});
    }
    // The grass of the hilltop.
    for (int x = 0; x < kW; ++x) {
        int top = 392 + static_cast<int>(20 * std::sin(x / 160.0));
        for (int y = top; y < kH; ++y) {
            Colour grass = night
                               ? Mix(Colour{24, 50, 40}, Colour{12, 26, 22}, (y - top) / 200.0)
                               : Mix(Colour{110, 170, 90}, Colour{60, 120, 60}, (y - top) / 200.0);
            c.Set(x, y, grass);
        }
    }
    // The tree.
    const Colour trunk = night ? Colour{30, 24, 20} : Colour{100, 70, 46};
    const Colour leaves = night ? Colour{16, 40, 30} : Colour{50, 110, 60};
    c.Trapezoid(200, 470, 620, 14, 620, 26, trunk);
    c.Ellipse(620, 170, 150, 110, leaves);
    c.Ellipse(530, 220, 90, 70, leaves);
    c.Ellipse(710, 220, 90, 70, leaves);
    // The bench.
    const Colour wood = night ? Colour{60, 44, 36} : Colour{170, 120, 80};
    c.Box(140, 440, 360, 452, wood);
    c.Box(140, 416, 360, 426, wood);
    c.Box(150, 452, 160, 490, wood);
    c.Box(340, 452, 350, 490, wood);
    if (night) Glow(c, 60, 300, 80, {255, 230, 160}, 0.5);
    c.Box(56, 310, 64, 500, {60, 64, 70});
    c.Ellipse(60, 302, 14, 10, night ? Colour{255, 240, 190} : Colour{230, 230, 220});
    return c.Take();
}

// The hero's room in the morning: a window, a bed and a desk.
DrawnPicture DrawRoom() {
    Canvas c(kW, kH, {236, 226, 206});
    c.Box(0, 440, kW, kH, {180, 140, 100});
    c.Box(0, 430, kW, 440, {150, 110, 80});
    // The window with the morning sky.
    c.Box(250, 80, 550, 320, {250, 250, 244});
    for (int y = 96; y < 304; ++y)
        c.Box(266, y, 534, y + 1,
              Mix(Colour{140, 190, 240}, Colour{240, 236, 220}, (y - 96) / 208.0));
    c.Box(396, 96, 404, 304, {250, 250, 244});
    c.Box(266, 196, 534, 204, {250, 250, 244});
    c.Box(220, 70, 260, 340, {120, 160, 200});
    c.Box(540, 70, 580, 340, {120, 160, 200});
    // The bed and the desk.
    c.Box(20, 380, 300, 500, {250, 250, 250});
    c.Box(20, 360, 70, 500, {140, 100, 70});
    c.Box(60, 380, 300, 420, {140, 180, 220});
    c.Box(580, 320, 780, 340, {140, 100, 70});
    c.Box(590, 340, 606, 470, {140, 100, 70});
    c.Box(754, 340, 770, 470, {140, 100, 70});
    c.Box(640, 260, 700, 320, {90, 90, 100});
    return c.Take();
}

// The night sky straight above the hill: the picture that scrolls in from
// above when the story looks up. Its lowest rows meet the hill's sky.
DrawnPicture DrawStarrySky() {
    Canvas c(kW, kH, {0, 0, 0});
    for (int y = 0; y < kH; ++y) {
        Colour row = Mix(Colour{2, 4, 20}, Colour{10, 14, 40}, static_cast<double>(y) / kH);
        for (int x = 0; x < kW; ++x) c.Set(x, y, row);
    }
    Lcg random(777);
    for (int i = 0; i < 400; ++i) {
        int x = random.Below(kW);
        int y = random.Below(kH);
        int shade = 150 + random.Below(106);
        c.Set(x, y, {shade, shade, std::min(255, shade + 30)});
        if (i % 25 == 0) c.Ellipse(x, y, 2, 2, {255, 250, 230});
    }
    // A faint band of the galaxy across the picture.
    for (int x = 0; x < kW; x += 2) {
        int cy = 260 + static_cast<int>(0.3 * (x - 400));
        for (int k = 0; k < 14; ++k) {
            const int dx = random.Below(3);
            const int dy = random.Below(90) - 45;
            c.Set(x + dx, cy + dy, {120, 120, 160});
        }
    }
    return c.Take();
}

template <bool kNight>
DrawnPicture Street() {
    return DrawStreet(kNight);
}
template <bool kNight>
DrawnPicture School() {
    return DrawSchool(kNight);
}
template <bool kNight>
DrawnPicture Beach() {
    return DrawBeach(kNight);
}
template <bool kNight>
DrawnPicture Hill() {
    return DrawHill(kNight);
}

// --- The girls

// A character picture: the girl centred (or standing to one side) on the key.
template <Heroine kWho, Expression kLook, int kCentreX = 400>
DrawnPicture Girl() {
    Canvas c(kW, kH, kKey);
    DrawGirl(c, kWho, kLook, kCentreX, 58, 1.0);
    return c.Take();
}

template <Heroine kWho, Expression kLook, int kCentreX = 400>
DrawnPicture GirlMask() {
    return MaskOf(Girl<kWho, kLook, kCentreX>());
}

// --- Event pictures: a girl in one of the places, nearer than in the story.

template <Heroine kWho>
DrawnPicture Event() {
    DrawnPicture (*place)() = nullptr;
    switch (kWho) {
        case Heroine::kNanami:
            place = Street<true>;
            break;
        case Heroine::kSora:
            place = School<false>;
            break;
        case Heroine::kKaede:
            place = Hill<true>;
            break;
        case Heroine::kEmi:
            place = Beach<false>;
            break;
    }
    Canvas c(place());
    DrawGirl(c, kWho, Expression::kSmile, 430, 40, 1.3);
    // Falling petals or snow, to make it a moment to remember.
    Lcg random(static_cast<uint32_t>(kWho) + 90);
    Colour flake = kWho == Heroine::kEmi || kWho == Heroine::kSora ? Colour{250, 200, 220}
                                                                   : Colour{250, 250, 255};
    for (int i = 0; i < 60; ++i) {
        const int x = random.Below(kW);
        const int y = random.Below(kH);
        c.Ellipse(x, y, 4, 3, flake);
    }
    return c.Take();
}

// All four girls together on the hill at night: the all-endings story.
DrawnPicture EventAll() {
    Canvas c(DrawHill(true));
    DrawGirl(c, Heroine::kKaede, Expression::kSmile, 130, 220, 0.6);
    DrawGirl(c, Heroine::kSora, Expression::kSmile, 310, 200, 0.6);
    DrawGirl(c, Heroine::kNanami, Expression::kSmile, 490, 200, 0.6);
    DrawGirl(c, Heroine::kEmi, Expression::kSmile, 670, 220, 0.6);
    return c.Take();
}

// --- The endings' left pictures: 428 x 600, a girl over a band of her
// colours, in three moments each.

constexpr int kLeftWidth = 428;

template <Heroine kWho, int kMoment>
DrawnPicture EndingLeft() {
    static constexpr Colour kTops[4] = {
        {40, 30, 70}, {60, 110, 190}, {30, 40, 60}, {240, 150, 120}};
    static constexpr Colour kLows[4] = {
        {240, 150, 110}, {220, 230, 250}, {120, 90, 120}, {250, 220, 170}};
    const int who = static_cast<int>(kWho);
    Canvas c(kLeftWidth, kH, {0, 0, 0});
    Colour top = Mix(kTops[who], Colour{0, 0, 0}, kMoment * 0.25);
    Colour low = Mix(kLows[who], kTops[who], kMoment * 0.3);
    for (int y = 0; y < kH; ++y) c.Box(0, y, kLeftWidth, y + 1, Mix(top, low, y / 600.0));
    // A few soft circles of light behind her.
    Lcg random(who * 10 + kMoment);
    for (int i = 0; i < 10; ++i) {
        double r = 10 + random.Below(30);
        const int x = random.Below(kLeftWidth);
        const int y = random.Below(kH);
        c.Ellipse(x, y, r, r, Mix(low, Colour{255, 255, 255}, 0.4));
    }
    const Expression look = kMoment == 1 ? Expression::kCalm : Expression::kSmile;
    const double scale = 0.7 + 0.15 * kMoment;
    DrawGirl(c, kWho, look, kLeftWidth / 2.0 + (kMoment - 1) * 40, 120 - 40 * kMoment, scale);
    return c.Take();
}

constexpr auto kLz = CrxWriteScheme::Lz;
constexpr auto kZlib = CrxWriteScheme::Zlib;
using H = Heroine;
using E = Expression;

}  // namespace

const std::vector<SamplePicture>& MainStoryPictures() {
    static const std::vector<SamplePicture> pictures = {
        // Places (the scripts' "back\NAME"), day and night.
        {"GameData/char/back/street_d.crx", Street<false>, kZlib, false},
        {"GameData/char/back/street_n.crx", Street<true>, kLz, false},
        {"GameData/char/back/school_d.crx", School<false>, kZlib, false},
        {"GameData/char/back/school_n.crx", School<true>, kZlib, false},
        {"GameData/char/back/beach_d.crx", Beach<false>, kZlib, false},
        {"GameData/char/back/beach_n.crx", Beach<true>, kLz, false},
        {"GameData/char/back/hill_d.crx", Hill<false>, kZlib, false},
        {"GameData/char/back/hill_n.crx", Hill<true>, kZlib, false},
        {"GameData/char/back/room_d.crx", DrawRoom, kZlib, false},
        {"GameData/char/back/sky_n.crx", DrawStarrySky, kZlib, false},
        // The girls, calm and smiling, each with its mask.
        {"GameData/char/chara/nanami_a.crx", Girl<H::kNanami, E::kCalm>, kLz, true},
        {"GameData/char/chara/nanami_am.crx", GirlMask<H::kNanami, E::kCalm>, kLz, true},
        {"GameData/char/chara/nanami_b.crx", Girl<H::kNanami, E::kSmile>, kLz, true},
        {"GameData/char/chara/nanami_bm.crx", GirlMask<H::kNanami, E::kSmile>, kLz, true},
        {"GameData/char/chara/sora_a.crx", Girl<H::kSora, E::kCalm>, kLz, true},
        {"GameData/char/chara/sora_am.crx", GirlMask<H::kSora, E::kCalm>, kLz, true},
        {"GameData/char/chara/sora_b.crx", Girl<H::kSora, E::kSmile>, kZlib, true},
        {"GameData/char/chara/sora_bm.crx", GirlMask<H::kSora, E::kSmile>, kZlib, true},
        {"GameData/char/chara/kaede_a.crx", Girl<H::kKaede, E::kCalm>, kLz, true},
        {"GameData/char/chara/kaede_am.crx", GirlMask<H::kKaede, E::kCalm>, kLz, true},
        {"GameData/char/chara/kaede_b.crx", Girl<H::kKaede, E::kSmile>, kLz, true},
        {"GameData/char/chara/kaede_bm.crx", GirlMask<H::kKaede, E::kSmile>, kLz, true},
        {"GameData/char/chara/emi_a.crx", Girl<H::kEmi, E::kCalm>, kLz, true},
        {"GameData/char/chara/emi_am.crx", GirlMask<H::kEmi, E::kCalm>, kLz, true},
        {"GameData/char/chara/emi_b.crx", Girl<H::kEmi, E::kSmile>, kLz, true},
        {"GameData/char/chara/emi_bm.crx", GirlMask<H::kEmi, E::kSmile>, kLz, true},
        // Pairs: the first girl stands to the left; the pair's second picture
        // (keyed, no mask) puts the other one to the right, behind her.
        {"GameData/char/chara/nanami_l.crx", Girl<H::kNanami, E::kSmile, 250>, kLz, true},
        {"GameData/char/chara/nanami_lm.crx", GirlMask<H::kNanami, E::kSmile, 250>, kLz, true},
        {"GameData/char/chara/sora_p.crx", Girl<H::kSora, E::kCalm, 560>, kLz, true},
        {"GameData/char/chara/kaede_l.crx", Girl<H::kKaede, E::kSmile, 250>, kLz, true},
        {"GameData/char/chara/kaede_lm.crx", GirlMask<H::kKaede, E::kSmile, 250>, kLz, true},
        {"GameData/char/chara/emi_p.crx", Girl<H::kEmi, E::kSmile, 560>, kLz, true},
        // Event pictures.
        {"GameData/char/event/ev_n.crx", Event<H::kNanami>, kZlib, false},
        {"GameData/char/event/ev_s.crx", Event<H::kSora>, kZlib, false},
        {"GameData/char/event/ev_k.crx", Event<H::kKaede>, kZlib, false},
        {"GameData/char/event/ev_e.crx", Event<H::kEmi>, kZlib, false},
        {"GameData/char/event/ev_all.crx", EventAll, kZlib, false},
        // The endings' left pictures, three a route.
        {"GameData/char/event/end_n1.crx", EndingLeft<H::kNanami, 0>, kZlib, false},
        {"GameData/char/event/end_n2.crx", EndingLeft<H::kNanami, 1>, kZlib, false},
        {"GameData/char/event/end_n3.crx", EndingLeft<H::kNanami, 2>, kZlib, false},
        {"GameData/char/event/end_s1.crx", EndingLeft<H::kSora, 0>, kZlib, false},
        {"GameData/char/event/end_s2.crx", EndingLeft<H::kSora, 1>, kZlib, false},
        {"GameData/char/event/end_s3.crx", EndingLeft<H::kSora, 2>, kZlib, false},
        {"GameData/char/event/end_k1.crx", EndingLeft<H::kKaede, 0>, kZlib, false},
        {"GameData/char/event/end_k2.crx", EndingLeft<H::kKaede, 1>, kZlib, false},
        {"GameData/char/event/end_k3.crx", EndingLeft<H::kKaede, 2>, kZlib, false},
        {"GameData/char/event/end_e1.crx", EndingLeft<H::kEmi, 0>, kZlib, false},
        {"GameData/char/event/end_e2.crx", EndingLeft<H::kEmi, 1>, kZlib, false},
        {"GameData/char/event/end_e3.crx", EndingLeft<H::kEmi, 2>, kZlib, false},
    };
    return pictures;
}

}  // namespace pc_title
