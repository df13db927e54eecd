#pragma once
// Where the settings and the data locations are kept between runs. The core
// calls it at the fixed points of start-up and shutdown; the layers above
// provide it, so the core needs to know nothing of the file behind it.

#include <string>

#include "engine/core/data_folders.h"
#include "engine/core/settings.h"

namespace core {

class SettingsStore {
public:
    virtual ~SettingsStore() = default;
    // Start-up: forget anything cached from before.
    virtual void Reset() = 0;
    // Reads the data locations into *folders and the settings into *settings;
    // what is not stored keeps the value it has. programFolder: device path
    // ending in '\'.
    virtual void Load(const std::string& programFolder, Settings* settings,
                      DataFolderTable* folders) = 0;
    // The window closes: the user's settings are kept.
    virtual void Save(const std::string& programFolder, const Settings& settings) = 0;
    // Exit: whatever is kept reaches the disk.
    virtual void Flush() = 0;
};

}  // namespace core
