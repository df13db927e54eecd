#pragma once
// Source movies made by the tests: AVI (and other containers) written with
// FFmpeg's libraries, mj files written by the sample title's writer, and readers
// for what the converter wrote.

#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

extern "C" {
#include <libavcodec/codec_id.h>
#include <libavutil/rational.h>
}

namespace clipmux_test {

// Frame i of every test movie is one solid colour, so that a converted frame
// tells which source frame it shows. Bytes in blue, green, red order.
struct Bgr {
    int b, g, r;
};
Bgr FrameColour(int frame);
// The source frame whose colour is nearest to a decoded (b, g, r); -1 if none is near.
int FrameForColour(const Bgr& colour, int frames);

struct MovieShape {
    const char* container = "avi";  // libavformat's muxer name
    AVCodecID video = AV_CODEC_ID_MJPEG;
    bool video16Bit = false;  // rawvideo only: 16-bit pixels instead of 24
    int width = 64;
    int height = 48;
    AVRational frameRate{30, 1};
    int frames = 10;
    AVCodecID audio = AV_CODEC_ID_NONE;  // PCM_S16LE, PCM_U8, MP3
    int sampleRate = 22050;
    int channels = 2;
    int audioSamples = 0;  // per channel
    int audioStreams = 1;
};

// Writes the movie; fails the calling test on error.
void WriteTestMovie(const std::filesystem::path& path, const MovieShape& shape);

// Sets the frame rate (dwRate) of the first video stream header of an AVI to
// `rate`, in place.
void PatchAviVideoRate(const std::filesystem::path& path, uint32_t rate);

// An mj file: `frames` frames of FrameColour (3 or 1 components), sound
// chunks of 16-bit PCM, one chunk before each frame.
struct MjShape {
    int width = 64;
    int height = 48;
    int frames = 6;
    bool grey = false;
    uint16_t rateNumerator = 15;
    uint16_t rateDenominator = 1;
    uint16_t channels = 1;
    uint32_t sampleRate = 22050;
    uint32_t soundBytesPerChunk = 2000;
};
std::vector<uint8_t> MakeMjFile(const MjShape& shape);

// A complete JPEG of a solid colour in true RGB order (1 component: grey).
std::vector<uint8_t> SolidJpeg(int width, int height, Bgr colour, bool grey);

// Decodes a JPEG as a standard decoder does, to red, green, blue bytes.
bool DecodeRgb(const std::vector<uint8_t>& jpeg, int* width, int* height,
               std::vector<uint8_t>* rgb);

struct MovieFrames {
    uint32_t frameRate = 0, width = 0, height = 0;
    std::vector<std::vector<uint8_t>> frames;
};
// Reads a converted movie the way the player does; fails the test when it
// would not play.
MovieFrames ReadMovie(const std::filesystem::path& path);

// The source frame each movie frame shows, from the middle pixel's colour
// read in the player's order (first byte blue).
std::vector<int> ShownFrames(const MovieFrames& movie, int sourceFrames);

}  // namespace clipmux_test
