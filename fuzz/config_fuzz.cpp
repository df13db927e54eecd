// The configuration file's reader on any bytes: every kind of read, then
// writes that must read back as written, and the settings over the result.

#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

#include "engine/core/data_folders.h"
#include "engine/core/settings.h"
#include "engine/persist/config_file.h"
#include "engine/persist/profile.h"

namespace {

// Never read or written: the one cached file is adopted and reset.
constexpr char kFolder[] = "\\nowhere\\";
constexpr char kFile[] = "\\nowhere\\mirelo.cfg";

void Check(bool condition) {
    if (!condition) std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    std::string_view bytes(reinterpret_cast<const char*>(data), size);
    persist::ProfileCache profile;
    profile.AdoptProfile(kFile, bytes);

    // Names as the input spells them: the first line's section and key.
    std::string section = "A", key = "K";
    if (!profile.Lines().empty()) {
        std::string_view first = profile.Lines()[0];
        section = std::string(first.substr(0, first.size() / 2));
        key = std::string(first.substr(first.size() / 2));
    }
    std::string out;
    for (size_t max : {0, 8, 127, 4096}) {
        size_t length = profile.GetProfileString(section, key, "d", &out, max, kFile);
        Check(length == out.size());
    }
    profile.GetProfileInt(section, key, 5, kFile);
    persist::ProfileCache::ParseInt(bytes);

    core::Settings settings;
    core::DataFolderTable folders = core::DefaultDataFolders(kFolder);
    persist::LoadSettings(profile, kFolder, &settings, &folders);
    Check(settings.masterVolume >= 10 && settings.masterVolume <= 100);
    Check(settings.messageShadow == 0 || settings.messageShadow == 1);
    // A resolved path is never empty: it starts from the folder or a root.
    for (int entry : {core::kLocationImages0, core::kLocationVoice1, core::kLocationSave}) {
        Check(!folders[entry].empty() && folders[entry][0] == '\\');
    }

    // What is written reads back, whatever the file held around it.
    persist::SaveSettings(profile, kFolder, settings);
    profile.WriteProfileString("MUSIC_CONFIG", "MEM_STREAM", "123", kFile);
    profile.WriteProfileString("NEW_SECTION", "NEW_KEY", "x y", kFile);
    Check(profile.GetProfileInt("music_config", "mem_stream", 0, kFile) == 123);
    Check(profile.GetProfileString("new_section", "new_key", "", &out, 16, kFile) == 3);
    Check(out == "x y");
    core::Settings again;
    persist::LoadSettings(profile, kFolder, &again, &folders);
    Check(again.pcm == settings.pcm && again.messageAuto == settings.messageAuto &&
          again.dispFreeMode == settings.dispFreeMode);

    profile.ResetProfile();
    return 0;
}
