#pragma once
// Labels on the sample title's system pictures. The pictures are drawn at
// 800 x 600 but shown at two fifths of that, so glyphs are rendered at the
// size they show on the handheld and each of their pixels is painted over
// the design pixels that the converter averages into that screen pixel:
// small labels stay sharp instead of being blurred by the shrinking.

#include <string_view>

#include "sample/pc_title/canvas.h"

namespace pc_title {

enum class Align { kLeft, kCentre, kRight };

struct TextStyle {
    int size = 12;  // em height in screen pixels
    Colour colour{255, 255, 255};
    bool bold = false;
    bool outline = false;  // a one-screen-pixel ring in outlineColour
    Colour outlineColour{0, 0, 0};
    int levels = 0;       // 0: smooth edges; n: coverage in n steps (few colours for palettes)
    int spacing = 0;      // extra screen pixels between characters
    bool overKey = true;  // false: glyphs stop where the magenta key begins
};

// Draws UTF-8 text with its em box vertically centred on design row
// centreY; x is the design column of its left edge, centre or right edge.
// Over the magenta key the glyphs are drawn without blending into it.
void DrawText(Canvas& canvas, std::string_view utf8, int x, int centreY, const TextStyle& style,
              Align align = Align::kLeft);

// The width of the text in design pixels.
int TextWidth(std::string_view utf8, const TextStyle& style);

// Screen pixels to design pixels and back, as the converter's two-fifths
// sampling places them.
inline int ToScreen(int design) {
    return design * 2 / 5;
}
inline int ToDesign(int screen) {
    return (screen * 5 + 1) / 2;
}

}  // namespace pc_title
