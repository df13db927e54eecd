#pragma once
// The tables of the data set that the scripts and screens index: music and
// effect names per dialect, the character pair pictures, the place names,
// the shaded backgrounds, the date chain, the route endings, the name token,
// the default player name, the map's places, the epilogue's pictures and the
// scenario-select, CG and track lists of the galleries. They come with the
// converted title as a UTF-8 text file in the program folder
// (kDataSetFileName); the format is described in sample/dataset.txt. All
// strings here are Shift-JIS.

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
// The galleries: seven character tabs each.
inline constexpr int kGalleryTabCount = 7;
inline constexpr int kSceneEntriesPerTab = 110;  // 11 pages of 10
inline constexpr int kSceneMaxPictures = 4;      // title sheets, images 14..17
inline constexpr int kCgPicturesPerTab = 64;
inline constexpr int kCgMaxPages = 2;
inline constexpr int kTracksPerPage = 15;
inline constexpr int kTrackPages = 2;
// Longest names the galleries keep (bytes): picture names live in 32-byte
// fields, scenario and track names in the 64-byte fields of the seen list
// and the music channel.
inline constexpr size_t kCgNameMax = 31;
inline constexpr size_t kSceneNameMax = 63;
inline constexpr size_t kTrackNameMax = 63;

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

// One entry of the scenario select: no entry while dateCode is -1.
struct SceneEntry {
    int32_t dateCode = -1;
    std::string name;  // the scenario file, e.g. "s0101.MES"
};

struct SceneTab {
    int32_t pageCount = 1;
    int32_t pictureCount = 0;  // title sheets "SinaChar<tab><n>.rbp"
    std::array<SceneEntry, kSceneEntriesPerTab> entries;
};

// A picture of the CG gallery under one of its tab's thumbnails.
struct CgPicture {
    int32_t thumbnail = 0;  // 0..17: nine to a page
    std::string name;       // a file of the backgrounds' folder
};

struct CgTab {
    int32_t pageCount = 1;
    std::vector<CgPicture> pictures;  // in viewing order, at most 64
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
    std::array<SceneTab, kGalleryTabCount> sceneTabs;
    // Date codes in the order of the date cells' sheet.
    std::vector<int32_t> sceneDates;
    std::array<CgTab, kGalleryTabCount> cgTabs;
    // The music gallery: page p's track k is entry 15 p + k.
    std::array<std::string, kTracksPerPage * kTrackPages> tracks;
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
