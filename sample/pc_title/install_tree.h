#pragma once
// The install folder of our own small sample PC title, as the data converter
// expects to find one: the title's marker executable and, under "GameData",
// pictures in both .crx schemes, a map file, music and an effect in every
// sound coding, "voice.dat" and a voice folder. Everything is drawn and
// composed from code, so the folder is ours and the same bytes every run.

#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

#include "formats/byte_io.h"
#include "sample/pc_title/crx_writer.h"
#include "sample/pc_title/pcm_writer.h"

namespace pc_title {

inline constexpr char kSampleTitleExecutable[] = "Voskerinta.exe";
inline constexpr uint16_t kSamplePictureWidth = 800;
inline constexpr uint16_t kSamplePictureHeight = 600;
inline constexpr uint32_t kSampleSoundRate = 22050;

// A picture as drawn: width x height pixels of blue, green, red, rows from
// the top. Pure magenta (255, 0, 255) is the transparent key.
struct DrawnPicture {
    uint16_t width = 0;
    uint16_t height = 0;
    formats::ByteVector pixels;
};

// One picture of the folder and how it is stored.
struct SamplePicture {
    const char* path;  // below the install root, '/'-separated
    DrawnPicture (*draw)();
    CrxWriteScheme scheme;
    bool palette;  // stored as palette indices (the drawing has few colours)
};

// One ".pcm" sound of the folder (loose, in the voice folder, or a record of
// "voice.dat") and how it is coded.
struct SampleSound {
    const char* path;  // below the install root; for a record, the record's name
    std::vector<int16_t> (*compose)();
    PcmCoding coding;
    uint16_t channels;
    bool voiceRecord;  // a record of "GameData/voice.dat" rather than a file
};

// Evening sky, sun, two rows of hills and a path.
DrawnPicture DrawHillsBackground();
// The same place at night, for the LZ scheme's 24-bit form.
DrawnPicture DrawNightBackground();
// A standing figure in a few flat colours on the magenta key.
DrawnPicture DrawCharacter();
// The message window, its name plate and the page-wait arrow on the key.
DrawnPicture DrawMessageWindowSheet();

// The pictures and sounds the folder holds, in writing order.
const std::vector<SamplePicture>& SamplePictures();
const std::vector<SampleSound>& SampleSounds();

// A picture of few colours as palette indices, magenta first when present;
// false when it has more than 256 colours.
bool PalettizePicture(const DrawnPicture& picture, CrxSource* out);

struct InstallReport {
    std::vector<std::string> files;  // written, '/'-separated, below the root
    uint64_t bytes = 0;              // their total size
};

// Writes the folder under root (created when missing; files already there
// are overwritten, others left alone). On failure returns false and says
// why in *error.
bool WriteSampleInstall(const std::filesystem::path& root, InstallReport* report,
                        std::string* error);

}  // namespace pc_title
