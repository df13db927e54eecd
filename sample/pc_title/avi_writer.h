#pragma once
// A writer of RIFF AVI movies of motion-JPEG video with a 16-bit PCM sound
// track, and the JPEG frames for them from drawn pictures (libjpeg-turbo).
// The sample title makes its opening movie with it.

#include <cstdint>
#include <vector>

#include "formats/byte_io.h"
#include "sample/pc_title/drawn_picture.h"

namespace pc_title {

// A baseline JPEG of the picture (blue, green, red pixels, rows from the
// top) at `quality` 1..100; `grey` keeps one component, taken from green.
formats::ByteVector EncodeJpeg(const DrawnPicture& picture, int quality, bool grey = false);

struct MotionJpegMovie {
    uint16_t width = 0;
    uint16_t height = 0;
    uint16_t rateNumerator = 15;  // frames per second = numerator / denominator
    uint16_t rateDenominator = 1;
    std::vector<formats::ByteVector> frames;  // JPEG images
    uint16_t channels = 1;
    uint32_t sampleRate = 22050;
    std::vector<int16_t> sound;  // interleaved when stereo; may be empty

    // The sound is shared out evenly between the frames, in whole sample
    // frames: frame k goes with sample frames [SoundBefore(k), SoundBefore(k + 1)).
    size_t SoundBefore(size_t k) const {
        return frames.empty() ? 0 : sound.size() / channels * k / frames.size();
    }
};

// A RIFF AVI: a "MJPG" video stream and, when there is sound, a PCM stream,
// the sound of each frame's time stored before the frame, and an index.
formats::ByteVector WriteAviMovie(const MotionJpegMovie& movie);

}  // namespace pc_title
