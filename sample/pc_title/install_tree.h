#pragma once
// The install folder of our own small sample PC title, as the data converter
// expects to find one: the title's marker executable and, under "GameData",
// pictures in both .crx schemes, map files, music and effects in every sound
// coding, "voice.dat" and a voice folder, and an opening movie (AVI in the
// first folder, ".mj" in the second). Everything is drawn and composed from
// code, so the folders are ours and the same bytes every run.

#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

#include "formats/byte_io.h"
#include "sample/pc_title/crx_writer.h"
#include "sample/pc_title/drawn_picture.h"
#include "sample/pc_title/pcm_writer.h"

namespace pc_title {

inline constexpr char kSampleTitleExecutable[] = "Voskerinta.exe";
inline constexpr uint16_t kSamplePictureWidth = 800;
inline constexpr uint16_t kSamplePictureHeight = 600;
inline constexpr uint32_t kSampleSoundRate = 22050;

// The title comes as two install folders, each converted on its own: the
// first holds the main story (and the pictures of the title's screens), the
// second the further stories.
enum class InstallFolder : uint8_t { kFirst = 1, kSecond = 2, kBoth = 3 };
inline constexpr char kFirstFolderName[] = "first";
inline constexpr char kSecondFolderName[] = "second";

// One picture of the folder and how it is stored.
struct SamplePicture {
    const char* path;  // below the install root, '/'-separated
    DrawnPicture (*draw)();
    CrxWriteScheme scheme;
    bool palette;  // stored as palette indices (the drawing has few colours)
    InstallFolder folder = InstallFolder::kFirst;
};

// One ".pcm" sound of the folder (loose, in the voice folder, or a record of
// "voice.dat") and how it is coded.
struct SampleSound {
    const char* path;  // below the install root; for a record, the record's name
    std::vector<int16_t> (*compose)();
    PcmCoding coding;
    uint16_t channels;
    bool voiceRecord;  // a record of "GameData/voice.dat" rather than a file
    InstallFolder folder = InstallFolder::kFirst;
};

// Any other file of a folder, made whole by code (map files, movies).
struct SampleFile {
    const char* path;  // below the install root, '/'-separated
    formats::ByteVector (*make)();
    InstallFolder folder = InstallFolder::kFirst;
};

// Evening sky, sun, two rows of hills and a path.
DrawnPicture DrawHillsBackground();
// The same place at night, for the LZ scheme's 24-bit form.
DrawnPicture DrawNightBackground();
// A standing figure in a few flat colours on the magenta key.
DrawnPicture DrawCharacter();
// The message window, its name plate and the page-wait arrow on the key.
DrawnPicture DrawMessageWindowSheet();

// The pictures and sounds the folders hold, in writing order: the first
// examples drawn here, then each part of the title's content below.
const std::vector<SamplePicture>& SamplePictures();
const std::vector<SampleSound>& SampleSounds();
const std::vector<SampleFile>& SampleFiles();

// The parts of the title's content, each in its own file.
const std::vector<SamplePicture>& SystemSheets();          // system_sheets.cpp
const std::vector<SamplePicture>& MainStoryPictures();     // main_story_art.cpp
const std::vector<SamplePicture>& FurtherStoryPictures();  // further_story_art.cpp
const std::vector<SampleSound>& TitleSounds();             // title_sounds.cpp
const std::vector<SampleFile>& TitleMovies();              // title_movies.cpp

// A picture of few colours as palette indices, magenta first when present;
// false when it has more than 256 colours.
bool PalettizePicture(const DrawnPicture& picture, CrxSource* out);

struct InstallReport {
    std::vector<std::string> files;  // written, '/'-separated, below the root
    uint64_t bytes = 0;              // their total size
};

// Writes both folders, root/first and root/second (created when missing;
// files already there are overwritten, others left alone). On failure
// returns false and says why in *error.
bool WriteSampleInstall(const std::filesystem::path& root, InstallReport* report,
                        std::string* error);

}  // namespace pc_title
