#pragma once
// The four girls of the main story, drawn onto a canvas at any size and
// place, so that the same figures stand in the character pictures, the event
// pictures and the ending's pictures.

#include "sample/pc_title/canvas.h"

namespace pc_title {

enum class Heroine { kNanami, kSora, kKaede, kEmi };
enum class Expression { kCalm, kSmile };

// Draws the girl with her head's centre at x = cx and the top of her hair
// at y = top; scale 1 is a figure that fills a 600-pixel-high picture from
// the waist up.
void DrawGirl(Canvas& canvas, Heroine who, Expression look, double cx, double top, double scale);

// A character's mask: black where the picture is drawn, white where the key
// shows through.
DrawnPicture MaskOf(const DrawnPicture& picture);

}  // namespace pc_title
