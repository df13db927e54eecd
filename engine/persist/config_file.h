#pragma once
// The configuration file "mirelo.cfg" in the program folder: the settings
// record and the resource location table read at start-up, the user's
// settings written back when the window closes.

#include <string>
#include <string_view>

#include "engine/core/data_folders.h"
#include "engine/core/settings.h"
#include "engine/core/settings_store.h"
#include "engine/persist/profile.h"

namespace persist {

inline constexpr char kConfigFileName[] = "mirelo.cfg";

// Resolves a path value against the program folder (ending in '\'): a
// rooted value stays as it is; otherwise it is appended, a leading ".\"
// dropped and each "..\" taking away the last folder built so far.
std::string ResolveDataPath(std::string_view programFolder, std::string_view value);

// Reads the path keys into *folders (absent or empty keys keep the entry),
// then every setting into *settings (absent keys keep the value).
void LoadSettings(ProfileCache& profile, const std::string& programFolder, core::Settings* settings,
                  core::DataFolderTable* folders);

// Writes the user's settings into the cache; FlushProfile writes the file.
void SaveSettings(ProfileCache& profile, const std::string& programFolder,
                  const core::Settings& settings);

// The store the engine runs with.
class ConfigFile : public core::SettingsStore {
public:
    void Reset() override { profile_.ResetProfile(); }
    void Load(const std::string& programFolder, core::Settings* settings,
              core::DataFolderTable* folders) override {
        LoadSettings(profile_, programFolder, settings, folders);
    }
    void Save(const std::string& programFolder, const core::Settings& settings) override {
        SaveSettings(profile_, programFolder, settings);
    }
    void Flush() override { profile_.FlushProfile(); }

private:
    ProfileCache profile_;
};

}  // namespace persist
