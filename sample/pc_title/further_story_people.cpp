#include "sample/pc_title/further_story_people.h"

#include "sample/pc_title/canvas.h"
#include "sample/pc_title/install_tree.h"

namespace pc_title {

namespace {

enum class Hair : uint8_t { kLong, kPonytail, kBob };
enum class Mood : uint8_t { kCalm, kSmiling };

struct Look {
    Colour hair;
    Colour hairLight;
    Colour clothes;
    Colour clothesShade;
    Colour collar;
    Colour accent;  // scarf, ribbon or hat band
    Hair hairStyle;
    bool scarf;
    bool strawHat;
    bool shortSleeves;
};

const Colour kOutline{46, 34, 56};
const Colour kSkin{248, 222, 202};
const Colour kSkinShade{226, 190, 172};
const Colour kEye{60, 44, 70};
const Colour kShine{240, 240, 248};
const Colour kMouth{196, 104, 110};
const Colour kBlush{246, 184, 180};

// The face: calm eyes with a shine, or closed happy arcs and an open mouth.
void DrawFace(Canvas& c, double cx, Mood mood) {
    if (mood == Mood::kCalm) {
        c.Ellipse(cx - 22, 172, 7, 11, kEye);
        c.Ellipse(cx + 22, 172, 7, 11, kEye);
        c.Ellipse(cx - 20, 168, 2.5, 3.5, kShine);
        c.Ellipse(cx + 24, 168, 2.5, 3.5, kShine);
        c.Box(static_cast<int>(cx) - 10, 206, static_cast<int>(cx) + 11, 209, kMouth);
    } else {
        for (double side : {-22.0, 22.0}) {
            c.Ellipse(cx + side, 176, 10, 8, kEye);
            c.Ellipse(cx + side, 179, 10, 8, kSkin);
        }
        c.Ellipse(cx, 204, 11, 8, kMouth);
        c.Box(static_cast<int>(cx) - 12, 194, static_cast<int>(cx) + 13, 203, kSkin);
    }
    c.Ellipse(cx - 38, 192, 9, 5, kBlush);
    c.Ellipse(cx + 38, 192, 9, 5, kBlush);
}

DrawnPicture DrawFigure(const Look& look, Mood mood) {
    Canvas c(kSamplePictureWidth, kSamplePictureHeight, kKey);
    const double cx = 400;
    const int x = static_cast<int>(cx);
    // The outline first, as slightly larger shapes behind the colours.
    c.Trapezoid(232, 600, cx, 52, cx, 168, kOutline);
    c.Trapezoid(248, 524, cx - 84, 24, cx - 170, 26, kOutline);
    c.Trapezoid(248, 524, cx + 84, 24, cx + 170, 26, kOutline);
    c.Ellipse(cx - 70, 262, 44, 30, kOutline);
    c.Ellipse(cx + 70, 262, 44, 30, kOutline);
    c.Ellipse(cx - 172, 530, 24, 20, kOutline);
    c.Ellipse(cx + 172, 530, 24, 20, kOutline);
    c.Ellipse(cx, 150, 80, 92, kOutline);
    c.Box(x - 24, 200, x + 25, 250, kOutline);
    if (look.hairStyle == Hair::kLong) c.Box(x - 80, 150, x + 81, 360, kOutline);
    if (look.hairStyle == Hair::kPonytail) c.Ellipse(cx + 86, 120, 40, 74, kOutline);
    if (look.hairStyle == Hair::kLong) c.Box(x - 76, 150, x + 77, 356, look.hair);
    if (look.hairStyle == Hair::kPonytail) c.Ellipse(cx + 86, 120, 36, 70, look.hair);

    // Sleeves (bare arms below short sleeves), hands, body, neck, collar.
    const int sleeveEnd = look.shortSleeves ? 330 : 520;
    c.Trapezoid(252, 520, cx - 84, 20, cx - 168, 22, kSkinShade);
    c.Trapezoid(252, 520, cx + 84, 20, cx + 168, 22, kSkin);
    c.Trapezoid(252, sleeveEnd, cx - 84, 20, cx - 84 - 84.0 * (sleeveEnd - 252) / 268, 22,
                look.clothesShade);
    c.Trapezoid(252, sleeveEnd, cx + 84, 20, cx + 84 + 84.0 * (sleeveEnd - 252) / 268, 22,
                look.clothes);
    c.Ellipse(cx - 70, 262, 40, 26, look.clothesShade);
    c.Ellipse(cx + 70, 262, 40, 26, look.clothes);
    c.Ellipse(cx - 172, 530, 20, 16, kSkinShade);
    c.Ellipse(cx + 172, 530, 20, 16, kSkin);
    c.Trapezoid(236, 600, cx, 48, cx, 164, look.clothes);
    c.Trapezoid(236, 600, cx - 24, 24, cx - 82, 82, look.clothesShade);
    c.Box(x - 20, 200, x + 21, 246, kSkinShade);
    c.Trapezoid(236, 262, cx, 46, cx, 10, look.collar);
    if (look.scarf) {
        c.RoundedBox(x - 70, 222, x + 71, 262, 18, look.accent);
        c.Box(x + 22, 250, x + 52, 360, look.accent);
        for (int stripe = 0; stripe < 3; ++stripe)
            c.Box(x + 22, 280 + 30 * stripe, x + 52, 290 + 30 * stripe, look.collar);
    } else {
        // A ribbon at the collar.
        c.Ellipse(cx - 16, 262, 16, 10, look.accent);
        c.Ellipse(cx + 16, 262, 16, 10, look.accent);
        c.Ellipse(cx, 262, 7, 7, look.accent);
    }
    // Buttons down the front.
    for (int b = 0; b < 3; ++b) c.Ellipse(cx, 330 + 70 * b, 6, 6, look.collar);

    // Head: hair behind, face, fringe, then the face's features.
    c.Ellipse(cx, 150, 76, 88, look.hair);
    if (look.hairStyle != Hair::kPonytail) {
        c.Box(x - 76, 150, x - 50, look.hairStyle == Hair::kBob ? 240 : 280, look.hair);
        c.Box(x + 50, 150, x + 77, look.hairStyle == Hair::kBob ? 240 : 280, look.hair);
    }
    c.Ellipse(cx, 168, 58, 66, kSkin);
    c.Ellipse(cx, 112, 66, 38, look.hair);
    c.Ellipse(cx - 24, 96, 30, 12, look.hairLight);
    DrawFace(c, cx, mood);
    if (look.strawHat) {
        c.Ellipse(cx, 88, 150, 30, kOutline);
        c.Ellipse(cx, 86, 146, 26, Colour{236, 206, 130});
        c.Ellipse(cx, 64, 78, 44, Colour{226, 194, 118});
        c.Box(x - 78, 70, x + 79, 88, look.accent);
    }
    return c.Take();
}

const Look kAkari{{92, 58, 52},  {128, 84, 70}, {176, 52, 60}, {140, 36, 48}, {246, 240, 232},
                  {52, 128, 84}, Hair::kLong,   true,          false,         false};
const Look kMika{{40, 36, 48},  {74, 66, 92},    {46, 58, 96}, {34, 42, 74}, {246, 246, 250},
                 {200, 46, 62}, Hair::kPonytail, false,        false,        false};
const Look kNagisa{{150, 96, 50},
                   {190, 130, 74},
                   {250, 250, 246},
                   {210, 220, 232},
                   {120, 190, 226},
                   {60, 120, 200},
                   Hair::kBob,
                   false,
                   true,
                   true};

}  // namespace

DrawnPicture DrawAkari() {
    return DrawFigure(kAkari, Mood::kCalm);
}
DrawnPicture DrawAkariSmiling() {
    return DrawFigure(kAkari, Mood::kSmiling);
}
DrawnPicture DrawMika() {
    return DrawFigure(kMika, Mood::kCalm);
}
DrawnPicture DrawMikaLaughing() {
    return DrawFigure(kMika, Mood::kSmiling);
}
DrawnPicture DrawNagisa() {
    return DrawFigure(kNagisa, Mood::kCalm);
}
DrawnPicture DrawNagisaLaughing() {
    return DrawFigure(kNagisa, Mood::kSmiling);
}

DrawnPicture FurtherStoryMask(const DrawnPicture& figure) {
    DrawnPicture mask = figure;
    for (size_t i = 0; i + 2 < mask.pixels.size(); i += 3) {
        const bool key =
            mask.pixels[i] == 255 && mask.pixels[i + 1] == 0 && mask.pixels[i + 2] == 255;
        const uint8_t grey = key ? 255 : 0;
        mask.pixels[i] = mask.pixels[i + 1] = mask.pixels[i + 2] = grey;
    }
    return mask;
}

}  // namespace pc_title
