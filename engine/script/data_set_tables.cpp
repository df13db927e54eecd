#include "engine/script/data_set_tables.h"

#include <algorithm>
#include <map>
#include <utility>

#include "engine/script/script_state.h"
#include "formats/mlz_archive.h"
#include "formats/sjis.h"
#include "platform/device_file.h"
#include "platform/device_path.h"
#include "platform/text_encoding.h"

namespace script {

namespace {

// Bounds for the tables whose length the engine does not fix. They only
// keep a mistyped index from growing a table to millions of entries.
constexpr int kMaxPairId = 999;
constexpr int kRouteCount = 7;
constexpr int kMaxPlaceIndex = 999;
constexpr int kDialectCount = 3;
constexpr int kNameTokenCharacters = 3;
constexpr int kFlagRows = kFlagBytes / kFlagColumns;
// The table file of a whole title is a few kilobytes; anything near this
// size is not one.
constexpr uint64_t kMaxFileBytes = uint64_t{1} << 20;

enum class SectionKind {
    kMusic,
    kEffects,
    kPairs,
    kPlaceNames,
    kShadedBackgrounds,
    kDateChain,
    kRouteEndings,
    kNames,
    kSaveCaptions,
    kEndingPictures,
    kMapPlaces,
    kEpiloguePictures,
    kSceneTabs,
    kScenes,
    kSceneDates,
    kCgPages,
    kCg,
    kTracks,
};

struct SectionInfo {
    const char* name;
    SectionKind kind;
    bool perDialect;
    // The range of INDEX in "INDEX = VALUE" lines (unused by the two
    // sections without indexes).
    int lowestIndex;
    int highestIndex;
    // One section per gallery tab ("[scenarios 3]").
    bool perTab = false;
};

constexpr int kTrackCount = kTracksPerPage * kTrackPages;

constexpr SectionInfo kSections[] = {
    {"music", SectionKind::kMusic, true, 0, kMusicRowLength - 1},
    {"effects", SectionKind::kEffects, true, 0, kEffectRowLength - 1},
    {"pairs", SectionKind::kPairs, false, 1, kMaxPairId},
    {"place-names", SectionKind::kPlaceNames, false, 0, kMaxPlaceIndex},
    {"shaded-backgrounds", SectionKind::kShadedBackgrounds, false, 0, 0},
    {"date-chain", SectionKind::kDateChain, false, 0, kDateChainLength - 1},
    {"route-endings", SectionKind::kRouteEndings, false, 1, kRouteCount},
    {"names", SectionKind::kNames, false, 0, 0},
    {"save-captions", SectionKind::kSaveCaptions, false, 0, 0},
    // Numbered by route (1..kEndingPictureRoutes) instead of by dialect.
    {"ending-pictures", SectionKind::kEndingPictures, false, 0, kEndingPicturePairs - 1},
    // Numbered by the place table's row instead of a dialect.
    {"map-places", SectionKind::kMapPlaces, true, 0, kMapPlaceColumns - 1},
    {"epilogue-pictures", SectionKind::kEpiloguePictures, false, 0, kEpiloguePictureCount - 1},
    {"scenario-tabs", SectionKind::kSceneTabs, false, 0, kGalleryTabCount - 1},
    {"scenarios", SectionKind::kScenes, false, 0, kSceneEntriesPerTab - 1, true},
    {"scenario-dates", SectionKind::kSceneDates, false, 0, 0},
    {"cg-pages", SectionKind::kCgPages, false, 0, kGalleryTabCount - 1},
    {"cg", SectionKind::kCg, false, 0, kCgMaxPages * 9 - 1, true},
    {"tracks", SectionKind::kTracks, false, 0, kTrackCount - 1},
};

constexpr int kMaxScenePages = kSceneEntriesPerTab / 10;
constexpr int kMaxDateCode = 99999;
constexpr size_t kMaxSceneDates = 100;

// The indexed sections of the galleries, whose values are read their own way.
bool IsGallerySection(SectionKind kind) {
    return kind == SectionKind::kSceneTabs || kind == SectionKind::kScenes ||
           kind == SectionKind::kCgPages || kind == SectionKind::kTracks;
}

bool IsBlank(char c) {
    return c == ' ' || c == '\t';
}

std::string_view Trim(std::string_view text) {
    while (!text.empty() && IsBlank(text.front())) text.remove_prefix(1);
    while (!text.empty() && IsBlank(text.back())) text.remove_suffix(1);
    return text;
}

// Strict UTF-8: no overlong forms, no surrogates, nothing above U+10FFFF.
bool IsValidUtf8(std::string_view text) {
    size_t i = 0;
    while (i < text.size()) {
        auto byte = static_cast<uint8_t>(text[i]);
        if (byte < 0x80) {
            ++i;
            continue;
        }
        int length;
        uint32_t code;
        uint32_t smallest;
        if ((byte & 0xE0) == 0xC0) {
            length = 2, code = byte & 0x1F, smallest = 0x80;
        } else if ((byte & 0xF0) == 0xE0) {
            length = 3, code = byte & 0x0F, smallest = 0x800;
        } else if ((byte & 0xF8) == 0xF0) {
            length = 4, code = byte & 0x07, smallest = 0x10000;
        } else {
            return false;
        }
        if (text.size() - i < static_cast<size_t>(length)) return false;
        for (int k = 1; k < length; ++k) {
            auto next = static_cast<uint8_t>(text[i + k]);
            if ((next & 0xC0) != 0x80) return false;
            code = (code << 6) | (next & 0x3F);
        }
        if (code < smallest || code > 0x10FFFF || (code >= 0xD800 && code <= 0xDFFF)) {
            return false;
        }
        i += length;
    }
    return true;
}

// A decimal index of at most nine digits (so it fits an int); longer digit
// strings give a value above every table's range.
bool ParseIndex(std::string_view text, int64_t* value) {
    if (text.empty()) return false;
    if (!std::all_of(text.begin(), text.end(), [](char c) { return c >= '0' && c <= '9'; })) {
        return false;
    }
    if (text.size() > 9) {
        *value = INT64_MAX;
        return true;
    }
    int64_t result = 0;
    for (char c : text) result = result * 10 + (c - '0');
    *value = result;
    return true;
}

// Three double-byte Shift-JIS characters and nothing else.
bool IsNameToken(std::string_view sjis) {
    if (sjis.size() != 2 * kNameTokenCharacters) return false;
    for (size_t i = 0; i < sjis.size(); i += 2) {
        if (!formats::IsSjisLead(static_cast<uint8_t>(sjis[i]))) return false;
    }
    return true;
}

class Parser {
public:
    bool Run(std::string_view text, DataSetTables* tables, std::string* error);

private:
    bool ParseLine(std::string_view line);
    bool ParseHeader(std::string_view header);
    bool ParseIndexedEntry(std::string_view line);
    bool ParseListEntry(std::string_view line);
    bool ParseNameEntry(std::string_view line);
    bool ParseCaptionEntry(std::string_view line);
    // "ROW COLUMN" of a local flag at the front of *text, which is left
    // after it.
    bool ReadFlag(std::string_view* text, SaveCaptions::Flag* flag);
    bool ParseGalleryEntry(int64_t index, std::string_view valueText);
    bool ParseDateEntry(std::string_view line);
    bool ParseCgEntry(std::string_view line);
    // A whole number within lowest..highest, named in the error.
    bool ReadCount(std::string_view text, const char* what, int lowest, int highest,
                   int32_t* value);
    bool ReadName(std::string_view text, size_t longest, std::string* sjis);
    // The value after '=' (or a whole list line), unquoted and converted.
    bool ReadValue(std::string_view text, bool isPath, std::string* sjis);
    // Notes the use of an index in the current section; false if it was
    // used before.
    bool ClaimIndex(int64_t index);
    bool ClaimPath(const std::string& sjis, const std::string& shown);
    bool Fail(const std::string& reason) {
        error_ = std::to_string(lineNumber_) + ": " + reason;
        return false;
    }

    DataSetTables tables_;
    std::string error_;
    int lineNumber_ = 0;
    const SectionInfo* section_ = nullptr;  // none before the first header
    int dialect_ = 0;                       // or the tab of a gallery section
    int route_ = 0;                         // of an [ending-pictures ROUTE] section
    // First line of each section seen, by its written form ("music 1").
    std::map<std::string, int> sectionLines_;
    // Within the current section: first line of each index, key and path.
    std::map<int64_t, int> indexLines_;
    std::map<std::string, int> keyLines_;
    std::vector<std::pair<std::string, int>> pathLines_;
};

bool Parser::Run(std::string_view text, DataSetTables* tables, std::string* error) {
    // Editors on some systems put a byte-order mark in front.
    if (text.substr(0, 3) == "\xEF\xBB\xBF") text.remove_prefix(3);
    while (!text.empty()) {
        size_t end = text.find('\n');
        std::string_view line = text.substr(0, end);
        text.remove_prefix(end == std::string_view::npos ? text.size() : end + 1);
        if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
        ++lineNumber_;
        if (!ParseLine(line)) {
            if (error) *error = error_;
            return false;
        }
    }
    *tables = std::move(tables_);
    return true;
}

bool Parser::ParseLine(std::string_view line) {
    if (!IsValidUtf8(line)) return Fail("not valid UTF-8");
    if (std::any_of(line.begin(), line.end(),
                    [](char c) { return static_cast<uint8_t>(c) < 0x20 && c != '\t'; })) {
        return Fail("control character in the line");
    }
    line = Trim(line);
    if (line.empty() || line.front() == '#') return true;
    if (line.front() == '[') return ParseHeader(line);
    if (!section_) return Fail("entry before the first [section]");
    switch (section_->kind) {
        case SectionKind::kShadedBackgrounds:
            return ParseListEntry(line);
        case SectionKind::kNames:
            return ParseNameEntry(line);
        case SectionKind::kSaveCaptions:
            return ParseCaptionEntry(line);
        case SectionKind::kSceneDates:
            return ParseDateEntry(line);
        case SectionKind::kCg:
            return ParseCgEntry(line);
        default:
            return ParseIndexedEntry(line);
    }
}

bool Parser::ParseHeader(std::string_view header) {
    if (header.back() != ']') return Fail("section header without a closing ']'");
    std::string_view inside = Trim(header.substr(1, header.size() - 2));
    size_t space = inside.find_first_of(" \t");
    std::string_view name = inside.substr(0, space);
    std::string_view number =
        space == std::string_view::npos ? std::string_view() : Trim(inside.substr(space));
    const SectionInfo* info = nullptr;
    for (const SectionInfo& candidate : kSections) {
        if (name == candidate.name) info = &candidate;
    }
    if (!info) return Fail("unknown section [" + std::string(inside) + "]");

    std::string canonical(name);
    dialect_ = 0;
    if (info->kind == SectionKind::kMapPlaces) {
        int64_t row;
        const std::string range = "0.." + std::to_string(kMapPlaceRows - 1);
        if (!ParseIndex(number, &row)) {
            return Fail("section [" + canonical + "] needs a row number " + range);
        }
        if (row >= kMapPlaceRows)
            return Fail("row " + std::string(number) + " is out of range " + range);
        dialect_ = static_cast<int>(row);
        canonical += " " + std::to_string(row);
    } else if (info->perDialect) {
        int64_t dialect;
        if (!ParseIndex(number, &dialect)) {
            return Fail("section [" + canonical + "] needs a dialect number 0, 1 or 2");
        }
        if (dialect >= kDialectCount) {
            return Fail("dialect " + std::string(number) + " is out of range 0..2");
        }
        dialect_ = static_cast<int>(dialect);
        canonical += " " + std::to_string(dialect_);
    } else if (info->kind == SectionKind::kEndingPictures) {
        int64_t route;
        if (!ParseIndex(number, &route) || route < 1 || route > kEndingPictureRoutes) {
            return Fail("section [" + canonical + "] needs a route number 1.." +
                        std::to_string(kEndingPictureRoutes));
        }
        route_ = static_cast<int>(route);
        canonical += " " + std::to_string(route_);
    } else if (info->perTab) {
        int64_t tab;
        if (!ParseIndex(number, &tab)) {
            return Fail("section [" + canonical + "] needs a tab number 0..6");
        }
        if (tab >= kGalleryTabCount) {
            return Fail("tab " + std::string(number) + " is out of range 0..6");
        }
        dialect_ = static_cast<int>(tab);
        canonical += " " + std::to_string(dialect_);
    } else if (!number.empty()) {
        return Fail("section [" + canonical + "] takes no number");
    }
    auto [seen, isNew] = sectionLines_.emplace(canonical, lineNumber_);
    if (!isNew) {
        return Fail("section [" + canonical + "] appears a second time (first on line " +
                    std::to_string(seen->second) + ")");
    }
    section_ = info;
    indexLines_.clear();
    keyLines_.clear();
    pathLines_.clear();
    return true;
}

bool Parser::ParseIndexedEntry(std::string_view line) {
    size_t equals = line.find('=');
    if (equals == std::string_view::npos) return Fail("expected INDEX = VALUE");
    std::string_view indexText = Trim(line.substr(0, equals));
    int64_t index;
    if (!ParseIndex(indexText, &index)) {
        return Fail("index '" + std::string(indexText) + "' is not a whole number");
    }
    if (index < section_->lowestIndex || index > section_->highestIndex) {
        return Fail("index " + std::string(indexText) + " is out of range " +
                    std::to_string(section_->lowestIndex) + ".." +
                    std::to_string(section_->highestIndex));
    }
    // A place index stands for several backgrounds (day and night of one
    // place); there the paths must differ instead.
    if (section_->kind != SectionKind::kPlaceNames && !ClaimIndex(index)) return false;

    std::string_view valueText = Trim(line.substr(equals + 1));
    if (IsGallerySection(section_->kind)) return ParseGalleryEntry(index, valueText);
    std::string value;
    if (!ReadValue(valueText, true, &value)) return false;
    auto at = static_cast<size_t>(index);
    switch (section_->kind) {
        case SectionKind::kMusic:
            tables_.music[dialect_][at] = std::move(value);
            break;
        case SectionKind::kEffects:
            tables_.effects[dialect_][at] = std::move(value);
            break;
        case SectionKind::kDateChain:
            tables_.dateChain[at] = std::move(value);
            break;
        case SectionKind::kEndingPictures:
            tables_.endingPictures[route_ - 1][at] = std::move(value);
            break;
        case SectionKind::kMapPlaces:
        case SectionKind::kEpiloguePictures: {
            // The screens hand these to the archive, whose names are bounded.
            if (value.size() > formats::kMlzMaxNameLength) {
                return Fail("path longer than " + std::to_string(formats::kMlzMaxNameLength) +
                            " bytes");
            }
            if (section_->kind == SectionKind::kEpiloguePictures) {
                tables_.epiloguePictures[at] = std::move(value);
                break;
            }
            // dialect_ holds the section's row number here.
            auto row = static_cast<size_t>(dialect_);
            if (tables_.mapPlaces.size() <= row) tables_.mapPlaces.resize(row + 1);
            tables_.mapPlaces[row][at] = std::move(value);
            break;
        }
        case SectionKind::kPairs:
        case SectionKind::kRouteEndings: {
            // Id 1 is the first entry; ids left out stay empty.
            auto& list =
                section_->kind == SectionKind::kPairs ? tables_.pairs : tables_.routeEndings;
            if (list.size() < at) list.resize(at);
            list[at - 1] = std::move(value);
            break;
        }
        default:
            if (value.empty()) return Fail("empty path");
            if (!ClaimPath(value, std::string(valueText))) return false;
            tables_.placeNames.push_back({static_cast<int32_t>(index), std::move(value)});
            break;
    }
    return true;
}

bool Parser::ParseListEntry(std::string_view line) {
    // A path with '=' in it is rare; a stray "INDEX = VALUE" here is not.
    if (line.front() != '"' && line.find('=') != std::string_view::npos) {
        return Fail("expected one path per line, not INDEX = VALUE (quote a path with '=')");
    }
    std::string value;
    if (!ReadValue(line, true, &value)) return false;
    // The engine's list ends at the first empty entry.
    if (value.empty()) return Fail("empty path");
    if (!ClaimPath(value, std::string(line))) return false;
    tables_.shadedBackgrounds.push_back(std::move(value));
    return true;
}

bool Parser::ParseNameEntry(std::string_view line) {
    size_t equals = line.find('=');
    if (equals == std::string_view::npos) return Fail("expected KEY = VALUE");
    std::string key(Trim(line.substr(0, equals)));
    if (key != "token" && key != "player") {
        return Fail("unknown name '" + key + "' (expected token or player)");
    }
    auto [seen, isNew] = keyLines_.emplace(key, lineNumber_);
    if (!isNew) {
        return Fail(key + " is given a second time (first on line " + std::to_string(seen->second) +
                    ")");
    }
    std::string value;
    if (!ReadValue(Trim(line.substr(equals + 1)), false, &value)) return false;
    if (key == "token") {
        if (!IsNameToken(value)) {
            return Fail("the name token must be exactly three double-byte characters");
        }
        tables_.nameToken = std::move(value);
    } else {
        if (value.empty()) return Fail("empty player name");
        tables_.defaultPlayerName = std::move(value);
    }
    return true;
}

bool Parser::ParseCaptionEntry(std::string_view line) {
    size_t equals = line.find('=');
    if (equals == std::string_view::npos) return Fail("expected KEY = VALUE");
    const std::string key(Trim(line.substr(0, equals)));
    std::string_view valueText = Trim(line.substr(equals + 1));
    auto [seen, isNew] = keyLines_.emplace(key, lineNumber_);
    if (!isNew) {
        return Fail(key + " is given a second time (first on line " + std::to_string(seen->second) +
                    ")");
    }
    SaveCaptions& captions = tables_.captions;
    // "progress N" and "status N" number their labels.
    auto numbered = [&key](std::string_view word, int highest, size_t* at) {
        if (key.size() <= word.size() + 1 || key.compare(0, word.size(), word) != 0 ||
            !IsBlank(key[word.size()])) {
            return false;
        }
        int64_t number;
        if (!ParseIndex(Trim(std::string_view(key).substr(word.size())), &number) || number < 1 ||
            number > highest) {
            *at = SIZE_MAX;
            return true;
        }
        *at = static_cast<size_t>(number - 1);
        return true;
    };
    size_t at;
    if (numbered("progress", SaveCaptions::kProgressLabels, &at)) {
        if (at == SIZE_MAX) return Fail("progress labels are numbered 1..7");
        SaveCaptions::Progress& progress = captions.progress[at];
        if (!ReadFlag(&valueText, &progress.flag)) return false;
        return ReadValue(valueText, false, &progress.label);
    }
    if (numbered("status", 2, &at)) {
        if (at == SIZE_MAX) return Fail("status labels are numbered 1..2");
        return ReadValue(valueText, false, &captions.status[at]);
    }
    if (key == "status-flag") {
        if (!ReadFlag(&valueText, &captions.statusFlag)) return false;
        if (!valueText.empty()) return Fail("text after the flag's row and column");
        return true;
    }
    if (key == "weekdays") {
        std::string all;
        if (!ReadValue(valueText, false, &all)) return false;
        std::string_view rest = all;
        for (std::string& name : captions.weekdays) {
            rest = Trim(rest);
            size_t end = rest.find_first_of(" \t");
            name = std::string(rest.substr(0, end));
            rest.remove_prefix(name.size());
        }
        if (captions.weekdays.back().empty() || !Trim(rest).empty()) {
            return Fail("weekdays needs exactly seven names separated by spaces");
        }
        return true;
    }
    struct Text {
        const char* key;
        std::string SaveCaptions::*field;
        bool isPath;
    };
    static constexpr Text kTexts[] = {
        {"prologue", &SaveCaptions::prologue, false},
        {"ending", &SaveCaptions::ending, false},
        {"date", &SaveCaptions::date, false},
        {"story", &SaveCaptions::story, false},
        {"extra", &SaveCaptions::extra, false},
        {"extra-script", &SaveCaptions::extraScript, true},
    };
    for (const Text& text : kTexts) {
        if (key == text.key) return ReadValue(valueText, text.isPath, &(captions.*text.field));
    }
    return Fail("unknown caption '" + key +
                "' (expected prologue, ending, date, weekdays, progress N, story, extra, "
                "extra-script, status-flag or status N)");
}

bool Parser::ReadFlag(std::string_view* text, SaveCaptions::Flag* flag) {
    int64_t numbers[2];
    for (int64_t& number : numbers) {
        *text = Trim(*text);
        size_t end = std::min(text->find_first_of(" \t"), text->size());
        if (!ParseIndex(text->substr(0, end), &number)) {
            return Fail("expected a flag's row and column before the text");
        }
        text->remove_prefix(end);
    }
    *text = Trim(*text);
    if (numbers[0] >= kFlagRows || numbers[1] >= kFlagColumns) {
        return Fail("flag row 0..15 and column 0..31 expected");
    }
    flag->row = static_cast<int32_t>(numbers[0]);
    flag->column = static_cast<int32_t>(numbers[1]);
    return true;
}

bool Parser::ParseGalleryEntry(int64_t index, std::string_view valueText) {
    auto at = static_cast<size_t>(index);
    // The two-part values: a number, blanks, then the rest.
    size_t blank = valueText.find_first_of(" \t");
    std::string_view first = valueText.substr(0, blank);
    std::string_view rest =
        blank == std::string_view::npos ? std::string_view() : Trim(valueText.substr(blank));
    switch (section_->kind) {
        case SectionKind::kSceneTabs: {
            SceneTab& tab = tables_.sceneTabs[at];
            if (rest.empty() || rest.find_first_of(" \t") != std::string_view::npos) {
                return Fail("expected PAGES SHEETS");
            }
            return ReadCount(first, "page count", 1, kMaxScenePages, &tab.pageCount) &&
                   ReadCount(rest, "sheet count", 0, kSceneMaxPictures, &tab.pictureCount);
        }
        case SectionKind::kCgPages:
            return ReadCount(valueText, "page count", 1, kCgMaxPages,
                             &tables_.cgTabs[at].pageCount);
        case SectionKind::kScenes: {
            SceneEntry& entry = tables_.sceneTabs[dialect_].entries[at];
            if (rest.empty()) return Fail("expected DATE NAME");
            return ReadCount(first, "date code", 0, kMaxDateCode, &entry.dateCode) &&
                   ReadName(rest, kSceneNameMax, &entry.name);
        }
        default: {  // tracks; an empty name is a gap
            std::string name;
            if (!ReadValue(valueText, true, &name)) return false;
            if (name.size() > kTrackNameMax) {
                return Fail("name " + std::string(valueText) + " is longer than " +
                            std::to_string(kTrackNameMax) + " bytes");
            }
            tables_.tracks[at] = std::move(name);
            return true;
        }
    }
}

bool Parser::ParseDateEntry(std::string_view line) {
    int32_t code;
    if (!ReadCount(line, "date code", 0, kMaxDateCode, &code)) return false;
    std::vector<int32_t>& dates = tables_.sceneDates;
    // The first of two equal codes would hide the second one's cell.
    auto [seen, isNew] = indexLines_.emplace(code, lineNumber_);
    if (!isNew) {
        return Fail("date code " + std::to_string(code) +
                    " is listed a second time (first on line " + std::to_string(seen->second) +
                    ")");
    }
    if (dates.size() == kMaxSceneDates) {
        return Fail("more than " + std::to_string(kMaxSceneDates) + " date codes");
    }
    dates.push_back(code);
    return true;
}

bool Parser::ParseCgEntry(std::string_view line) {
    size_t equals = line.find('=');
    if (equals == std::string_view::npos) return Fail("expected THUMBNAIL = PICTURE");
    int32_t thumbnail;
    if (!ReadCount(Trim(line.substr(0, equals)), "thumbnail", section_->lowestIndex,
                   section_->highestIndex, &thumbnail)) {
        return false;
    }
    std::vector<CgPicture>& pictures = tables_.cgTabs[dialect_].pictures;
    if (pictures.size() == kCgPicturesPerTab) {
        return Fail("more than " + std::to_string(kCgPicturesPerTab) + " pictures in one tab");
    }
    CgPicture picture;
    picture.thumbnail = thumbnail;
    if (!ReadName(Trim(line.substr(equals + 1)), kCgNameMax, &picture.name)) return false;
    pictures.push_back(std::move(picture));
    return true;
}

bool Parser::ReadCount(std::string_view text, const char* what, int lowest, int highest,
                       int32_t* value) {
    int64_t number;
    if (!ParseIndex(text, &number)) {
        return Fail(std::string(what) + " '" + std::string(text) + "' is not a whole number");
    }
    if (number < lowest || number > highest) {
        return Fail(std::string(what) + " " + std::string(text) + " is out of range " +
                    std::to_string(lowest) + ".." + std::to_string(highest));
    }
    *value = static_cast<int32_t>(number);
    return true;
}

// A file name of a table whose engine keeps it in a field of a fixed size.
bool Parser::ReadName(std::string_view text, size_t longest, std::string* sjis) {
    if (!ReadValue(text, true, sjis)) return false;
    if (sjis->empty()) return Fail("empty name");
    if (sjis->size() > longest) {
        return Fail("name " + std::string(text) + " is longer than " + std::to_string(longest) +
                    " bytes");
    }
    return true;
}

bool Parser::ReadValue(std::string_view text, bool isPath, std::string* sjis) {
    std::string utf8;
    if (!text.empty() && text.front() == '"') {
        size_t close = text.find('"', 1);
        if (close == std::string_view::npos) return Fail("quote without its closing quote");
        if (!Trim(text.substr(close + 1)).empty()) return Fail("text after the closing quote");
        utf8 = text.substr(1, close - 1);
    } else {
        if (text.empty()) return Fail("missing value (write \"\" for an empty one)");
        if (text.find('"') != std::string_view::npos) {
            return Fail("quote inside an unquoted value");
        }
        utf8 = text;
    }
    // The engine's paths separate folders with '\'; '/' is accepted as the
    // host's habit. The swap is done on UTF-8, where '/' is never part of
    // a longer character.
    if (isPath) std::replace(utf8.begin(), utf8.end(), '/', '\\');
    if (!platform::Utf8ToSjis(utf8, sjis)) return Fail("'" + utf8 + "' has no Shift-JIS form");
    return true;
}

bool Parser::ClaimIndex(int64_t index) {
    auto [seen, isNew] = indexLines_.emplace(index, lineNumber_);
    if (isNew) return true;
    return Fail("index " + std::to_string(index) + " is given a second time (first on line " +
                std::to_string(seen->second) + ")");
}

// The engine compares these paths without regard to ASCII case, so two
// spellings of one path would leave the second one unreachable.
bool Parser::ClaimPath(const std::string& sjis, const std::string& shown) {
    for (const auto& [path, line] : pathLines_) {
        if (formats::SjisEqualNoCase(path, sjis)) {
            return Fail("path " + shown + " is listed a second time (first on line " +
                        std::to_string(line) + ")");
        }
    }
    pathLines_.emplace_back(sjis, lineNumber_);
    return true;
}

}  // namespace

bool ParseDataSetTables(std::string_view utf8Text, DataSetTables* tables, std::string* error) {
    return Parser().Run(utf8Text, tables, error);
}

bool LoadDataSetTables(const std::string& programFolder, DataSetTables* tables,
                       std::string* error) {
    std::string path = programFolder + kDataSetFileName;
    std::string shownPath = platform::DeviceToHostPath(path);
    // Titles converted before the tables existed have no file: the engine
    // then runs with empty tables rather than not at all.
    auto file = platform::DeviceFile::OpenForReading(path);
    if (!file) {
        *tables = DataSetTables();
        return true;
    }
    if (file->Size() > kMaxFileBytes) {
        if (error) *error = shownPath + ": larger than 1 MiB, not a table file";
        return false;
    }
    std::string text(static_cast<size_t>(file->Size()), '\0');
    if (!file->ReadAt(0, {reinterpret_cast<uint8_t*>(text.data()), text.size()})) {
        if (error) *error = shownPath + ": cannot be read";
        return false;
    }
    std::string lineError;
    if (!ParseDataSetTables(text, tables, &lineError)) {
        if (error) *error = shownPath + ":" + lineError;
        return false;
    }
    return true;
}

}  // namespace script
