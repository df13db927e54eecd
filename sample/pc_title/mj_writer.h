#pragma once
// A writer of the PC title's own motion-JPEG movies (".mj"; the layout is
// described in clipmux/mj_file.h). The sample title makes one of its opening
// movies with it and the tests their source movies.

#include "formats/byte_io.h"
#include "sample/pc_title/avi_writer.h"

namespace pc_title {

// One sound chunk before each frame (empty when there is no sound), and a
// last entry that closes the last frame.
formats::ByteVector WriteMjMovie(const MotionJpegMovie& movie);

}  // namespace pc_title
