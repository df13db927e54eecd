#pragma once
// A small generated install folder of the PC title for whole-conversion
// tests: pictures in both schemes, a map file, a script, music in every
// sound coding, "voice.dat" and a voice folder, plus the cases the converter
// must leave out or survive.

#include <filesystem>
#include <string>
#include <vector>

#include "formats/byte_io.h"

namespace kitshift_test {

struct TitleTree {
    // Sample counts of the music, to check the encoded lengths.
    size_t laterBgmFrames = 0;
    size_t shortSoundBytes = 0;  // the 8-bit RIFF effect's data bytes
};

// Writes the tree under `root`.
TitleTree WriteTitleTree(const std::filesystem::path& root);

// A 24-bit zlib-scheme picture of w x h with some magenta.
formats::ByteVector MakeCrxPicture(uint16_t width, uint16_t height, bool palette, bool lzScheme);

}  // namespace kitshift_test
