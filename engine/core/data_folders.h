#pragma once
// The resource location table: path strings in the device's path language,
// built from the program folder D (with its trailing '\'). Image loads with
// location index k use entry k + 1; voice loads use entry 13 + k.

#include <array>
#include <string>

namespace core {

inline constexpr int kLocationCount = 22;

enum LocationEntry : int {
    kLocationSave = 0,
    kLocationImages0 = 1,  // D 1\grpack.mlz
    kLocationImages1 = 2,  // D 2\grpack.mlz
    kLocationImages2 = 3,
    kLocationScenario0 = 5,
    kLocationScenario1 = 6,
    kLocationScenario2 = 7,
    kLocationEffects0 = 9,
    kLocationEffects1 = 10,
    kLocationEffects2 = 11,
    kLocationVoice0 = 13,
    kLocationVoice1 = 14,
    kLocationVoice2 = 15,
    kLocationMusic0 = 17,
    kLocationMusic1 = 18,
    kLocationMusic2 = 19,
    kLocationMovies = 21,
};

using DataFolderTable = std::array<std::string, kLocationCount>;

// The default table for program folder D (ending in '\').
DataFolderTable DefaultDataFolders(const std::string& programFolder);

}  // namespace core
