#pragma once
// The tables of the data set that the scripts and screens index: music and
// effect names per dialect, the character pair pictures, the place names,
// the shaded backgrounds, the date chain, the route endings, the name token,
// the default player name, the map's places and the epilogue's pictures. They come with the
// converted title as a UTF-8 text file in the program folder (kDataSetFileName); the format is
// described in sample/dataset.txt. All strings here are Shift-JIS.

#include <array>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace script {

inline constexpr char kDataSetFileName[] = "dataset.txt";
inline constexpr int kMusicRowLength = 32;
inline constexpr int kEffectRowLength = 68;
inline constexpr int kDateChainLength = 23;
// The map's place table: five places for the first visit of a day, five for
// the second; rows by date.
inline constexpr int kMapPlaceColumns = 10;
inline constexpr int kMapPlaceRows = 64;
inline constexpr int kEpiloguePictureCount = 14;

struct PlaceName {
    int32_t index = 0;
    std::string backgroundPath;  // e.g. "GameData\\char\\back\\town.rbp"
};

struct DataSetTables {
    // One row per dialect; missing entries are empty names.
    std::array<std::array<std::string, kMusicRowLength>, 3> music;
    std::array<std::array<std::string, kEffectRowLength>, 3> effects;
    // Dialect 0's second pictures, id 1 first.
    std::vector<std::string> pairs;
    std::vector<PlaceName> placeNames;
    // Backgrounds that the free-display setting shades.
    std::vector<std::string> shadedBackgrounds;
    // Scenario paths in date order; empty entries are days without a story.
    std::array<std::string, kDateChainLength> dateChain;
    std::vector<std::string> routeEndings;
    // Three double-byte characters in the text that stand for the player's name.
    std::string nameToken;
    std::string defaultPlayerName;
    // Scenario paths of the map's places, row 0 first; the table runs up to
    // the highest row given, and rows or columns left out are empty.
    std::vector<std::array<std::string, kMapPlaceColumns>> mapPlaces;
    // The epilogue's pictures in the order shown (dialect 2's folder).
    std::array<std::string, kEpiloguePictureCount> epiloguePictures;
};

// Parses the UTF-8 text. On a malformed line returns false with
// "LINE: reason" in *error (the caller puts the file name in front) and
// leaves *tables untouched.
bool ParseDataSetTables(std::string_view utf8Text, DataSetTables* tables, std::string* error);

// Reads kDataSetFileName from the program folder (a device path ending in
// '\'). A missing file gives empty tables and true; a malformed one false
// with "FILE:LINE: reason".
bool LoadDataSetTables(const std::string& programFolder, DataSetTables* tables, std::string* error);

}  // namespace script
