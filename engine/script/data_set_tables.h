#pragma once
// The tables of the data set that the scripts and screens index: music and
// effect names per dialect, the character pair pictures, the place names,
// the shaded backgrounds, the date chain, the route endings, the name token,
// the default player name, the map's places and the epilogue's pictures.
// They come with the converted title as a UTF-8 text file in the program
// folder (kDataSetFileName); the format is described in sample/dataset.txt.
// All strings here are Shift-JIS.

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
// The ending pictures: a row of left pictures for each route that shows them.
inline constexpr int kEndingPictureRoutes = 8;
inline constexpr int kEndingPicturePairs = 27;
// The map's place table: five places for the first visit of a day, five for
// the second; rows by date.
inline constexpr int kMapPlaceColumns = 10;
inline constexpr int kMapPlaceRows = 64;
inline constexpr int kEpiloguePictureCount = 14;

struct PlaceName {
    int32_t index = 0;
    std::string backgroundPath;  // e.g. "GameData\\char\\back\\town.rbp"
};

// The caption a slot save carries, by the story's dialect: dialect 0 by
// its calendar and progress flags, dialect 1 by its script, dialect 2 by a
// status flag and its calendar.
struct SaveCaptions {
    inline static constexpr int kProgressLabels = 7;
    inline static constexpr int kWeekdays = 7;
    // A local flag of the running story (row 0..15, column 0..31).
    struct Flag {
        int32_t row = -1;  // -1: none given
        int32_t column = 0;
    };
    struct Progress {
        Flag flag;
        std::string label;
    };
    std::string prologue;  // dialect 0 before its calendar starts
    std::string ending;    // dialect 0 when the month is -1
    // Text formatter pattern taking the month, the day and the weekday name.
    std::string date;
    std::array<std::string, kWeekdays> weekdays;
    // Dialect 0: the first set flag picks its label (before the date).
    std::array<Progress, kProgressLabels> progress;
    std::string story;        // dialect 1
    std::string extra;        // dialect 1 in its extra-story script
    std::string extraScript;  // that script's path
    // Dialect 2: the date while the status flag is 0, else label 1 or 2.
    Flag statusFlag;
    std::array<std::string, 2> status;
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
    SaveCaptions captions;
    // Route r's left pictures (pair 0 first) at r - 1; missing entries are empty.
    std::array<std::array<std::string, kEndingPicturePairs>, kEndingPictureRoutes> endingPictures;
    // Scenario paths of the map's places, row 0 first; the table runs up to
    // the highest row with an entry, and rows or columns left out are empty.
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
