#include "engine/core/data_folders.h"

namespace core {

DataFolderTable DefaultDataFolders(const std::string& d) {
    DataFolderTable table;
    table[kLocationSave] = d;
    table[kLocationImages0] = d + "1\\grpack.mlz";
    table[kLocationImages1] = d + "2\\grpack.mlz";
    table[kLocationImages2] = table[kLocationImages1];  // the third story reads the second's data
    table[kLocationScenario0] = d + "1\\grpack.mlz";
    table[kLocationScenario1] = d + "2\\grpack.mlz";
    table[kLocationScenario2] = table[kLocationScenario1];
    table[kLocationEffects0] = d + "1\\";
    table[kLocationEffects1] = d + "2\\";
    table[kLocationEffects2] = table[kLocationEffects1];
    table[kLocationVoice0] = d + "1\\voice.mlz";
    table[kLocationVoice1] = d + "2\\voice.mlz";
    table[kLocationVoice2] = table[kLocationVoice1];
    table[kLocationMusic0] = d + "1\\";
    table[kLocationMusic1] = d + "2\\";
    table[kLocationMusic2] = table[kLocationMusic1];
    table[kLocationMovies] = d;
    return table;
}

}  // namespace core
