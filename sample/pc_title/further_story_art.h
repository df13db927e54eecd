#pragma once
// The further stories' event pictures, which the CG gallery shows under its
// "番外編" tab (their thumbnails can be drawn from them, shrunk).

#include "sample/pc_title/drawn_picture.h"

namespace pc_title {

DrawnPicture DrawEventStar();     // the star above the hill (Christmas story)
DrawnPicture DrawEventTree();     // the great tree in the town (Christmas story)
DrawnPicture DrawEventRooftop();  // lunch on the school's rooftop (school bonus)
DrawnPicture DrawEventShore();    // the shore at sunset (summer by the sea)

}  // namespace pc_title
