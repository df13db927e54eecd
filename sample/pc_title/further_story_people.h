#pragma once
// The people of the further stories, each a standing figure on the magenta
// key with a mask beside it (black where the figure stands, white around
// it), in two moods.

#include "sample/pc_title/drawn_picture.h"

namespace pc_title {

// Akari, the heroine of the Christmas story, in her winter coat and scarf.
DrawnPicture DrawAkari();
DrawnPicture DrawAkariSmiling();
// Mika, the classmate of the school bonus, in uniform with a ponytail.
DrawnPicture DrawMika();
DrawnPicture DrawMikaLaughing();
// Nagisa, the girl by the sea, in a summer dress and a straw hat.
DrawnPicture DrawNagisa();
DrawnPicture DrawNagisaLaughing();

// The mask of a figure: black where it is drawn, white on the key.
DrawnPicture FurtherStoryMask(const DrawnPicture& figure);
template <DrawnPicture (*Draw)()>
DrawnPicture DrawMask() {
    return FurtherStoryMask(Draw());
}

}  // namespace pc_title
