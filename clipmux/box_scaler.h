#pragma once
// The box scalers that shrink a frame to the movie's size: each output pixel
// is the per-byte average of a window of source pixels placed at an anchor
// one ratio in from the output pixel's top-left. Ratios are in 10-bit fixed
// point: cx = W0 x 1024 / w, cy = H0 x 1024 / h; the anchor of output column
// j is ((j + 1) x cx) >> 10, of row i ((i + 1) x cy) >> 10.
//
//   narrow            window (cx >> 10) x (cy >> 10), starting at the anchor
//   wide              window (cx >> 10) + 1 (+ 1 more for a fraction) per
//                     axis, centred on the anchor
//   double-then-halve the wide scaler on a 2w x 2h target, of which every
//                     second pixel of every second row is kept
//
// A window's sums are divided by the number of its pixels inside the source;
// an empty window gives 0. The output is 24 bits per pixel in the source's
// byte order.

#include "clipmux/picture.h"

namespace clipmux {

enum class ScalerKind { kNarrow, kWide, kDoubleThenHalve };

// The scaler each reader uses: the wide one for targets wider than 160,
// otherwise the narrow one (mj files, the decoding graph) or the
// double-then-halve one (AVI files).
ScalerKind ScalerForTarget(int targetWidth, bool aviFileReader);

// false (and no output) for a source of fewer than 3 bytes per pixel or an
// empty source or target.
bool ScalePicture(const Picture& source, int targetWidth, int targetHeight, ScalerKind kind,
                  Picture* out);

}  // namespace clipmux
