#pragma once
// JPEG in and out of the movie converter, with libjpeg. Frames are encoded
// as baseline JPEG, YCbCr with both chroma components halved in each
// direction, from pixels whose bytes are in memory order blue, green, red but
// declared as red, green, blue: the handheld's player reads the decoded
// bytes in that order, so a standard decoder's "red" byte is its blue.

#include <cstdint>
#include <string>
#include <vector>

#include "clipmux/picture.h"
#include "formats/byte_io.h"

namespace clipmux {

inline constexpr int kQualityChoiceCount = 11;
// The quality list's percentages, index 0 ("100%") to 10 ("5%").
inline constexpr int kQualityPercent[kQualityChoiceCount] = {100, 90, 80, 70, 60, 50,
                                                             40,  30, 20, 10, 5};
int QualityForChoice(int choice);

// Encodes a 24-bit picture at quality 1..100 into *jpeg. false with *why on
// a library failure.
bool EncodeFrameJpeg(const Picture& picture, int quality, formats::ByteVector* jpeg,
                     std::string* why);

// Decodes a complete JPEG image of one or three components into a 24-bit
// picture in blue, green, red byte order, rows top first.
bool DecodeJpegToBgr(formats::ByteSpan jpeg, Picture* out, std::string* why);

// The largest picture DecodeJpegToBgr accepts, so that a damaged header
// cannot ask for a huge allocation.
inline constexpr int kMaxDecodedSide = 8192;

}  // namespace clipmux
