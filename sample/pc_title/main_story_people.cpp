#include "sample/pc_title/main_story_people.h"

namespace pc_title {

namespace {

struct Look {
    Colour hair;
    Colour hairLight;
    Colour coat;
    Colour coatShade;
    Colour ribbon;
};

// Nanami: long brown hair, a red winter coat. Sora: a dark bob, the school's
// blue blazer. Kaede: an auburn ponytail, a green cardigan. Emi: fair twin
// tails, a pink parka.
Look LookOf(Heroine who) {
    switch (who) {
        case Heroine::kNanami:
            return {{104, 64, 46}, {146, 96, 70}, {206, 78, 84}, {160, 52, 64}, {250, 236, 210}};
        case Heroine::kSora:
            return {{36, 40, 66}, {70, 78, 120}, {66, 104, 178}, {46, 74, 140}, {220, 60, 70}};
        case Heroine::kKaede:
            return {{150, 72, 40}, {196, 110, 66}, {92, 146, 96}, {64, 108, 70}, {250, 220, 120}};
        case Heroine::kEmi:
            return {{236, 198, 120},
                    {252, 230, 170},
                    {240, 170, 196},
                    {206, 128, 162},
                    {120, 190, 230}};
    }
    return {};
}

// Figure space: the head's centre at x = 0, the top of the hair at y = 0.
class Figure {
public:
    Figure(Canvas& canvas, double cx, double top, double scale)
        : c_(canvas), cx_(cx), top_(top - 62 * scale), s_(scale) {}

    void Ellipse(double x, double y, double rx, double ry, Colour colour) {
        c_.Ellipse(X(x), Y(y), rx * s_, ry * s_, colour);
    }
    void Box(double x0, double y0, double x1, double y1, Colour colour) {
        c_.Box(static_cast<int>(X(x0)), static_cast<int>(Y(y0)), static_cast<int>(X(x1)),
               static_cast<int>(Y(y1)), colour);
    }
    void Trapezoid(double y0, double y1, double x0, double half0, double x1, double half1,
                   Colour colour) {
        c_.Trapezoid(static_cast<int>(Y(y0)), static_cast<int>(Y(y1)), X(x0), half0 * s_, X(x1),
                     half1 * s_, colour);
    }
    // A curved line as a row of small dots (closed eyes, a smile).
    void Arc(double x, double y, double halfWidth, double bend, double thickness, Colour colour) {
        for (double t = -1.0; t <= 1.0; t += 0.05)
            Ellipse(x + t * halfWidth, y + bend * (1 - t * t), thickness, thickness, colour);
    }

private:
    double X(double x) const { return cx_ + x * s_; }
    double Y(double y) const { return top_ + y * s_; }

    Canvas& c_;
    double cx_;
    double top_;
    double s_;
};

}  // namespace

void DrawGirl(Canvas& canvas, Heroine who, Expression look, double cx, double top, double scale) {
    const Look l = LookOf(who);
    const Colour outline{46, 34, 56};
    const Colour skin{248, 222, 202};
    const Colour skinShade{226, 190, 172};
    const Colour white{244, 244, 250};
    const Colour cheek{246, 180, 176};
    Figure f(canvas, cx, top, scale);

    // Hair that falls behind the shoulders comes first.
    switch (who) {
        case Heroine::kNanami:
            f.Ellipse(0, 150, 84, 96, outline);
            f.Box(-92, 150, 93, 372, outline);
            f.Ellipse(0, 150, 80, 92, l.hair);
            f.Box(-88, 150, 89, 368, l.hair);
            break;
        case Heroine::kKaede:
            f.Ellipse(86, 150, 34, 40, outline);
            f.Trapezoid(150, 390, 96, 26, 112, 14, outline);
            f.Ellipse(86, 150, 30, 36, l.hair);
            f.Trapezoid(154, 386, 96, 22, 112, 10, l.hair);
            break;
        case Heroine::kEmi:
            for (double side : {-1.0, 1.0}) {
                f.Trapezoid(120, 420, side * 100, 22, side * 120, 34, outline);
                f.Trapezoid(124, 416, side * 100, 18, side * 120, 30, l.hair);
                f.Ellipse(side * 82, 116, 16, 16, l.ribbon);
            }
            break;
        case Heroine::kSora:
            break;
    }

    // Body, arms and neck, outlined.
    f.Trapezoid(232, 600, 0, 52, 0, 168, outline);
    f.Ellipse(-70, 262, 44, 30, outline);
    f.Ellipse(70, 262, 44, 30, outline);
    f.Box(-24, 200, 25, 250, outline);
    f.Trapezoid(236, 600, 0, 48, 0, 164, l.coat);
    f.Trapezoid(236, 600, -24, 24, -82, 82, l.coatShade);
    f.Ellipse(-70, 262, 40, 26, l.coatShade);
    f.Ellipse(70, 262, 40, 26, l.coat);
    f.Box(-20, 200, 21, 246, skinShade);
    f.Trapezoid(236, 262, 0, 46, 0, 10, white);
    // A ribbon or a scarf at the collar.
    if (who == Heroine::kNanami) {
        f.Trapezoid(232, 270, 0, 70, 0, 76, l.ribbon);
        f.Trapezoid(268, 380, 40, 14, 46, 18, l.ribbon);
    } else {
        f.Ellipse(-14, 266, 14, 9, l.ribbon);
        f.Ellipse(14, 266, 14, 9, l.ribbon);
        f.Ellipse(0, 266, 6, 6, l.ribbon);
    }
    // Buttons down the front.
    for (int i = 0; i < 3; ++i) f.Ellipse(0, 330 + 70 * i, 6, 6, l.coatShade);
    // Sleeves down both sides, the hands together in front.
    for (double side : {-1.0, 1.0}) {
        f.Trapezoid(262, 500, side * 92, 26, side * 70, 30, outline);
        f.Trapezoid(264, 496, side * 92, 22, side * 70, 26, side < 0 ? l.coatShade : l.coat);
        f.Trapezoid(470, 500, side * 62, 30, side * 40, 30, outline);
        f.Trapezoid(472, 496, side * 62, 26, side * 40, 26, side < 0 ? l.coatShade : l.coat);
    }
    f.Ellipse(-14, 506, 22, 16, outline);
    f.Ellipse(14, 506, 22, 16, outline);
    f.Ellipse(-14, 506, 19, 13, skinShade);
    f.Ellipse(14, 506, 19, 13, skin);

    // Head: hair, face, fringe.
    f.Ellipse(0, 150, 80, 92, outline);
    f.Ellipse(0, 150, 76, 88, l.hair);
    if (who == Heroine::kSora) {
        f.Box(-78, 150, -52, 236, l.hair);
        f.Box(52, 150, 79, 236, l.hair);
    } else {
        f.Box(-76, 150, -50, 270, l.hair);
        f.Box(50, 150, 77, 270, l.hair);
    }
    f.Ellipse(0, 168, 58, 66, skin);
    f.Ellipse(0, 110, 66, 36, l.hair);
    if (who == Heroine::kKaede) {
        f.Ellipse(-30, 124, 26, 22, l.hair);
    } else if (who == Heroine::kSora) {
        for (int i = -2; i <= 2; ++i) f.Ellipse(i * 22, 132, 13, 18, l.hair);
    }
    f.Ellipse(-24, 96, 30, 12, l.hairLight);

    // Eyes and mouth.
    if (look == Expression::kSmile) {
        f.Arc(-22, 176, 11, -6, 2.4, outline);
        f.Arc(22, 176, 11, -6, 2.4, outline);
        f.Ellipse(0, 206, 11, 8, Colour{196, 92, 100});
        f.Box(-11, 198, 12, 203, skin);
        f.Ellipse(-38, 196, 9, 5, cheek);
        f.Ellipse(38, 196, 9, 5, cheek);
    } else {
        Colour iris = Mix(l.hair, outline, 0.4);
        f.Ellipse(-22, 172, 8, 12, outline);
        f.Ellipse(22, 172, 8, 12, outline);
        f.Ellipse(-22, 175, 5, 7, iris);
        f.Ellipse(22, 175, 5, 7, iris);
        f.Ellipse(-20, 168, 2.5, 3.5, white);
        f.Ellipse(24, 168, 2.5, 3.5, white);
        f.Box(-9, 206, 10, 209, Colour{196, 104, 110});
    }
}

DrawnPicture MaskOf(const DrawnPicture& picture) {
    DrawnPicture mask = picture;
    for (size_t i = 0; i + 2 < mask.pixels.size(); i += 3) {
        const bool key =
            mask.pixels[i] == 255 && mask.pixels[i + 1] == 0 && mask.pixels[i + 2] == 255;
        const uint8_t value = key ? 255 : 0;
        mask.pixels[i] = mask.pixels[i + 1] = mask.pixels[i + 2] = value;
    }
    return mask;
}

}  // namespace pc_title
