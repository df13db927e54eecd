#include "engine/persist/config_file.h"

#include <iterator>

#include "formats/sjis.h"

namespace persist {

namespace {

enum class Rule { kAsRead, kVolume, kOnOff };

struct IntegerKey {
    const char* section;
    const char* key;
    int32_t core::Settings::*field;
    Rule rule;
};

using S = core::Settings;

// In the order they are read.
const IntegerKey kIntegerKeys[] = {
    {"MUSIC_CONFIG", "PCM", &S::pcm, Rule::kAsRead},
    {"MUSIC_CONFIG", "MEM_STREAM", &S::memStream, Rule::kAsRead},
    {"MUSIC_CONFIG", "FAST_BRINDLEX", &S::fastBrindlex, Rule::kAsRead},
    {"MUSIC_CONFIG", "DEVICE_VOL", &S::deviceVolume, Rule::kAsRead},
    {"SYSTEM_CONFIG", "TILVA_MODE", &S::tilvaMode, Rule::kAsRead},
    {"SYSTEM_CONFIG", "BG_NAME_DISP", &S::backgroundNameDisplay, Rule::kAsRead},
    {"VOICE_CONFIG", "VOICE_PLAY", &S::voicePlay, Rule::kAsRead},
    {"SE_CONFIG", "SE_PLAY", &S::sePlay, Rule::kAsRead},
    {"MUSIC_CONFIG", "MASTER_VOL", &S::masterVolume, Rule::kVolume},
    {"MUSIC_CONFIG", "MUSIC_VOL", &S::musicVolume, Rule::kVolume},
    {"VOICE_CONFIG", "VOICE_VOL", &S::voiceVolume, Rule::kVolume},
    {"SE_CONFIG", "SE_VOL", &S::seVolume, Rule::kVolume},
    {"MOV_CONFIG", "MOV_VOL", &S::movieVolume, Rule::kVolume},
    {"MESSAGE_CONFIG", "EFFECT_USE", &S::effectUse, Rule::kAsRead},
    {"MESSAGE_CONFIG", "TRANS_MODE", &S::transMode, Rule::kAsRead},
    {"MESSAGE_CONFIG", "MESSAGE_SPEED", &S::messageSpeed, Rule::kAsRead},
    {"MESSAGE_CONFIG", "MESSAGE_AUTO", &S::messageAuto, Rule::kAsRead},
    {"MESSAGE_CONFIG", "READ_SKIP", &S::readSkip, Rule::kAsRead},
    {"MESSAGE_CONFIG", "LOCK_SKIP", &S::lockSkip, Rule::kAsRead},
    {"MESSAGE_CONFIG", "MESSAGE_SADOW", &S::messageShadow, Rule::kOnOff},
    {"MESSAGE_CONFIG", "MESSAGE_VOICE_REPLAY", &S::messageVoiceReplay, Rule::kOnOff},
    {"MESSAGE_CONFIG", "TEXT_CUT_MODE", &S::textCutMode, Rule::kOnOff},
    {"MESSAGE_CONFIG", "MESSAGE_WIN_TRANS", &S::messageWindowTrans, Rule::kAsRead},
    {"SYSTEM_CONFIG", "KEY_CEN_CTRL", &S::centreKeyControl, Rule::kAsRead},
    {"SYSTEM_CONFIG", "KET_CUR_MODE", &S::cursorMode, Rule::kAsRead},
    {"SYSTEM_CONFIG", "KET_DOUBLE_CLICK", &S::doubleClick, Rule::kAsRead},
    {"SYSTEM_CONFIG", "DISP_FREE_MODE", &S::dispFreeMode, Rule::kAsRead},
};

struct SavedKey {
    const char* section;
    const char* key;
    int32_t core::Settings::*field;
};

// What the user changes, in the order it is written. The installer's keys
// (the decoder, the device, the name and the paths) are never written.
const SavedKey kSavedKeys[] = {
    {"MUSIC_CONFIG", "PCM", &S::pcm},
    {"VOICE_CONFIG", "VOICE_PLAY", &S::voicePlay},
    {"SE_CONFIG", "SE_PLAY", &S::sePlay},
    {"MUSIC_CONFIG", "MASTER_VOL", &S::masterVolume},
    {"MUSIC_CONFIG", "MUSIC_VOL", &S::musicVolume},
    {"VOICE_CONFIG", "VOICE_VOL", &S::voiceVolume},
    {"SE_CONFIG", "SE_VOL", &S::seVolume},
    {"MOV_CONFIG", "MOV_VOL", &S::movieVolume},
    {"MESSAGE_CONFIG", "EFFECT_USE", &S::effectUse},
    {"SYSTEM_CONFIG", "TILVA_MODE", &S::tilvaMode},
    {"SYSTEM_CONFIG", "BG_NAME_DISP", &S::backgroundNameDisplay},
    {"MESSAGE_CONFIG", "MESSAGE_VOICE_REPLAY", &S::messageVoiceReplay},
    {"MESSAGE_CONFIG", "READ_SKIP", &S::readSkip},
    {"MESSAGE_CONFIG", "LOCK_SKIP", &S::lockSkip},
    {"MESSAGE_CONFIG", "TRANS_MODE", &S::transMode},
    {"MESSAGE_CONFIG", "MESSAGE_SPEED", &S::messageSpeed},
    {"MESSAGE_CONFIG", "MESSAGE_AUTO", &S::messageAuto},
    {"MESSAGE_CONFIG", "MESSAGE_SADOW", &S::messageShadow},
    {"MESSAGE_CONFIG", "TEXT_CUT_MODE", &S::textCutMode},
    {"MESSAGE_CONFIG", "MESSAGE_WIN_TRANS", &S::messageWindowTrans},
    {"SYSTEM_CONFIG", "KEY_CEN_CTRL", &S::centreKeyControl},
    {"SYSTEM_CONFIG", "KET_CUR_MODE", &S::cursorMode},
    {"SYSTEM_CONFIG", "KET_DOUBLE_CLICK", &S::doubleClick},
    {"SYSTEM_CONFIG", "DISP_FREE_MODE", &S::dispFreeMode},
};

constexpr size_t kMaxPathCharacters = 127;
constexpr size_t kMaxNameCharacters = 8;

// Each key fills up to four entries of the table: dialect 0's section its
// own, dialect 1's section those of dialects 1 and 2 (the third story always
// reads the second's data).
struct PathKey {
    const char* key;
    int entries[4];  // -1: unused
};

const PathKey kFirstStoryPaths[] = {
    {"GDATA", {core::kLocationImages0, core::kLocationScenario0, -1, -1}},
    {"VDATA", {core::kLocationVoice0, -1, -1, -1}},
    {"SEDATA", {core::kLocationEffects0, -1, -1, -1}},
    {"MDATA", {core::kLocationMusic0, -1, -1, -1}},
    {"SAVEDATA", {core::kLocationSave, -1, -1, -1}},
    {"MOVDATA", {core::kLocationMovies, -1, -1, -1}},
};

const PathKey kFurtherStoryPaths[] = {
    {"GDATA",
     {core::kLocationImages1, core::kLocationScenario1, core::kLocationImages2,
      core::kLocationScenario2}},
    {"VDATA", {core::kLocationVoice1, core::kLocationVoice2, -1, -1}},
    {"SEDATA", {core::kLocationEffects1, core::kLocationEffects2, -1, -1}},
    {"MDATA", {core::kLocationMusic1, core::kLocationMusic2, -1, -1}},
};

void ReadPaths(ProfileCache& profile, const std::string& programFolder, const std::string& file,
               const char* section, const PathKey* keys, size_t count,
               core::DataFolderTable* folders) {
    for (size_t i = 0; i < count; ++i) {
        std::string value;
        profile.GetProfileString(section, keys[i].key, "", &value, kMaxPathCharacters, file);
        // Without a value the default table stays, so a program folder
        // without a configuration plays the data beside the program.
        if (value.empty()) continue;
        std::string path = ResolveDataPath(programFolder, value);
        for (int entry : keys[i].entries) {
            if (entry >= 0) (*folders)[entry] = path;
        }
    }
}

}  // namespace

std::string ResolveDataPath(std::string_view programFolder, std::string_view value) {
    if (!value.empty() && value[0] == '\\') return std::string(value);
    std::string built(programFolder);
    // Component by component, so that a trailing byte 0x5C of a double-byte
    // character is never taken for a separator.
    size_t start = 0;
    bool first = true;
    while (start < value.size()) {
        size_t end = start;
        while (end < value.size() && value[end] != '\\') {
            end += formats::IsSjisLead(static_cast<uint8_t>(value[end])) ? 2 : 1;
        }
        if (end > value.size()) end = value.size();
        std::string_view component = value.substr(start, end - start);
        bool separated = end < value.size();
        if (separated && component == "." && first) {
            // dropped
        } else if (separated && component == "..") {
            // Take away the last folder (built ends in '\'), never the root.
            if (built.size() > 1) {
                size_t cut = formats::SjisFindLastBackslash(
                    std::string_view(built).substr(0, built.size() - 1));
                if (cut != formats::kSjisNotFound) built.resize(cut + 1);
            }
        } else {
            built += component;
            if (separated) built += '\\';
        }
        first = false;
        start = end + 1;
    }
    return built;
}

void LoadSettings(ProfileCache& profile, const std::string& programFolder, core::Settings* settings,
                  core::DataFolderTable* folders) {
    std::string file = programFolder + kConfigFileName;
    ReadPaths(profile, programFolder, file, "QV_INST_DIR", kFirstStoryPaths,
              std::size(kFirstStoryPaths), folders);
    ReadPaths(profile, programFolder, file, "ORV_INST_DIR", kFurtherStoryPaths,
              std::size(kFurtherStoryPaths), folders);
    for (const IntegerKey& entry : kIntegerKeys) {
        int32_t value =
            profile.GetProfileInt(entry.section, entry.key, settings->*entry.field, file);
        switch (entry.rule) {
            case Rule::kVolume:
                if (value < 10 || value > 100) value = 100;
                break;
            case Rule::kOnOff:
                value = value != 0 ? 1 : 0;
                break;
            case Rule::kAsRead:
                break;
        }
        settings->*entry.field = value;
    }
    std::string defaultName = settings->playerName;
    profile.GetProfileString("NAME_CONFIG", "NAME", defaultName, &settings->playerName,
                             kMaxNameCharacters, file);
}

void SaveSettings(ProfileCache& profile, const std::string& programFolder,
                  const core::Settings& settings) {
    std::string file = programFolder + kConfigFileName;
    for (const SavedKey& entry : kSavedKeys) {
        profile.WriteProfileString(entry.section, entry.key, std::to_string(settings.*entry.field),
                                   file);
    }
}

}  // namespace persist
