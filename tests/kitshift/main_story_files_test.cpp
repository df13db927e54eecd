// The sample title's main story finds everything it names: a picture the
// engine cannot load ends the program, and a scenario it cannot load ends
// the story. Every picture the dialect-0 scripts and the main story's tables
// name is drawn into the first install folder (characters with their masks),
// and every scenario the tables and scripts lead to is written.

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <map>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include "sample/pc_title/install_tree.h"
#include "test_support.h"

namespace {

namespace fs = std::filesystem;

const fs::path kScenarioFolder = "sample/scenario/dialect0";

std::string ReadText(const fs::path& relative) {
    std::ifstream file(fs::path(testing_support::SourceFolder()) / relative);
    std::stringstream text;
    text << file.rdbuf();
    return text.str();
}

// A path the way the install folder holds it: '/' between folders, ".crx"
// for a picture.
std::string InstallPath(std::string enginePath) {
    for (char& c : enginePath) {
        if (c == '\\') c = '/';
    }
    if (enginePath.size() > 4 && enginePath.ends_with(".rbp"))
        enginePath.replace(enginePath.size() - 4, 4, ".crx");
    return enginePath;
}

// The picture a script's name stands for ("back\\x" is GameData\char\back\x).
std::string ScriptPicture(const std::string& name, const char* suffix = "") {
    std::string path = name[0] == '\\' ? "GameData\\char" + name : "GameData\\char\\" + name;
    if (path.back() == '@') path.pop_back();
    return InstallPath(path + suffix + ".rbp");
}

// The first quoted string of a text line, with its escapes undone.
std::string Quoted(const std::string& line) {
    size_t open = line.find('"');
    std::string value;
    for (size_t i = open + 1; i < line.size() && line[i] != '"'; ++i) {
        if (line[i] == '\\' && i + 1 < line.size()) ++i;
        value += line[i];
    }
    return value;
}

// The data set's sections by name, each a list of its values.
std::map<std::string, std::vector<std::string>> DataSetSections() {
    std::map<std::string, std::vector<std::string>> sections;
    std::istringstream text(ReadText("sample/dataset.txt"));
    std::string line;
    std::string current;
    while (std::getline(text, line)) {
        if (line.empty() || line[0] == '#') continue;
        if (line[0] == '[') {
            current = line.substr(1, line.find(']') - 1);
            continue;
        }
        size_t equals = line.find(" = ");
        std::string value = equals == std::string::npos ? line : line.substr(equals + 3);
        if (value.size() >= 2 && value.front() == '"') value = value.substr(1, value.size() - 2);
        if (!value.empty()) sections[current].push_back(value);
    }
    return sections;
}

TEST(MainStoryFiles, EveryPictureAndScenarioItNamesIsMade) {
    std::set<std::string> drawn;
    for (const pc_title::SamplePicture& picture : pc_title::SamplePictures()) {
        if (static_cast<int>(picture.folder) & static_cast<int>(pc_title::InstallFolder::kFirst))
            drawn.insert(picture.path);
    }
    std::set<std::string> scripts;
    for (const auto& entry :
         fs::directory_iterator(fs::path(testing_support::SourceFolder()) / kScenarioFolder)) {
        if (entry.path().extension() == ".txt") scripts.insert(entry.path().stem().string());
    }
    ASSERT_FALSE(scripts.empty());

    std::vector<std::string> pictures;
    std::vector<std::string> scenarios = {"all_end"};
    for (const std::string& name : scripts) {
        std::istringstream text(ReadText(kScenarioFolder / (name + ".txt")));
        std::string line;
        while (std::getline(text, line)) {
            std::string operation = line.substr(0, line.find(' '));
            if (operation == "Background" || operation == "BackgroundFade" ||
                operation == "ScrollBelow" || operation == "ScrollAbove" ||
                operation == "PanSetup") {
                pictures.push_back(ScriptPicture(Quoted(line)));
            } else if (operation == "Character" || operation == "CharacterFade" ||
                       operation == "CharacterPairFade") {
                pictures.push_back(ScriptPicture(Quoted(line)));
                pictures.push_back(ScriptPicture(Quoted(line), "m"));
            } else if (operation == "LoadScenario") {
                scenarios.push_back(Quoted(line));
            }
        }
    }
    auto sections = DataSetSections();
    for (const char* section : {"pairs", "place-names", "shaded-backgrounds", "ending-pictures 1",
                                "ending-pictures 2", "ending-pictures 3", "ending-pictures 4"}) {
        EXPECT_FALSE(sections[section].empty()) << section;
        for (const std::string& path : sections[section]) pictures.push_back(InstallPath(path));
    }
    for (const auto& [section, values] : sections) {
        if (section != "date-chain" && section != "route-endings" &&
            !section.starts_with("map-places "))
            continue;
        for (const std::string& path : values) {
            std::string file = path.substr(path.rfind('\\') + 1);
            scenarios.push_back(file.substr(0, file.rfind('.')));
        }
    }

    for (const std::string& picture : pictures) EXPECT_TRUE(drawn.count(picture)) << picture;
    for (const std::string& scenario : scenarios) EXPECT_TRUE(scripts.count(scenario)) << scenario;
}

}  // namespace
