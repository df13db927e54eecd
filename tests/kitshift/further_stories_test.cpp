// The further stories' scripts and the data set's gallery and epilogue tables
// name only pictures that the generated install folders hold, in the folder
// each reader looks in: a name that went missing would stop the game with a
// load failure at the moment the picture is shown.

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include "sample/pc_title/install_tree.h"

namespace {

namespace fs = std::filesystem;
using pc_title::InstallFolder;

const fs::path kSample = fs::path(MIRELO_SOURCE_DIR) / "sample";

// The pictures of one install folder, as '/'-separated paths.
std::set<std::string> PicturesIn(InstallFolder folder) {
    std::set<std::string> paths;
    for (const pc_title::SamplePicture& picture : pc_title::SamplePictures()) {
        if ((static_cast<int>(picture.folder) & static_cast<int>(folder)) != 0)
            paths.insert(picture.path);
    }
    return paths;
}

// The first double-quoted string of a script line, its "\\" read as "\".
std::string QuotedName(const std::string& line) {
    size_t open = line.find('"');
    size_t close = line.rfind('"');
    if (open == std::string::npos || close <= open) return {};
    std::string name;
    for (size_t i = open + 1; i < close; ++i) {
        if (line[i] == '\\' && i + 1 < close) ++i;
        name += line[i] == '\\' ? '/' : line[i];
    }
    return name;
}

std::vector<std::string> Lines(const fs::path& file) {
    std::ifstream in(file);
    std::vector<std::string> lines;
    for (std::string line; std::getline(in, line);) {
        if (!line.empty() && line.back() == '\r') line.pop_back();
        lines.push_back(line);
    }
    return lines;
}

std::string Replaced(std::string path, const std::string& from, const std::string& to) {
    for (char& c : path) {
        if (c == '\\') c = '/';
    }
    if (path.size() >= from.size() &&
        path.compare(path.size() - from.size(), from.size(), from) == 0)
        path.replace(path.size() - from.size(), from.size(), to);
    return path;
}

TEST(FurtherStoriesTest, ScriptsNamePicturesAndScenariosOfTheSecondFolder) {
    const std::set<std::string> second = PicturesIn(InstallFolder::kSecond);
    int checked = 0;
    for (const char* dialect : {"dialect1", "dialect2"}) {
        const fs::path folder = kSample / "scenario" / dialect;
        ASSERT_TRUE(fs::is_directory(folder)) << folder;
        for (const fs::directory_entry& entry : fs::directory_iterator(folder)) {
            if (entry.path().extension() != ".txt") continue;
            for (const std::string& line : Lines(entry.path())) {
                std::istringstream words(line);
                std::string op;
                words >> op;
                const std::string name = QuotedName(line);
                const std::string where = entry.path().filename().string() + ": " + line;
                if (op == "BackgroundFade" || op == "Background" || op == "ScrollAbove") {
                    EXPECT_TRUE(second.count("GameData/char/" + name + ".crx")) << where;
                    ++checked;
                } else if (op == "CharacterFade" || op == "Character") {
                    // A figure comes with its mask.
                    EXPECT_TRUE(second.count("GameData/char/" + name + ".crx")) << where;
                    EXPECT_TRUE(second.count("GameData/char/" + name + "m.crx")) << where;
                    ++checked;
                } else if (op == "LoadScenario") {
                    EXPECT_TRUE(fs::exists(folder / (name + ".txt"))) << where;
                }
            }
        }
    }
    EXPECT_GT(checked, 20);
}

// The CG gallery reads its pictures from the first folder's char\back; the
// epilogue reads its pictures from the second folder.
TEST(FurtherStoriesTest, GalleryAndEpiloguePicturesLieWhereTheyAreRead) {
    const std::set<std::string> first = PicturesIn(InstallFolder::kFirst);
    const std::set<std::string> second = PicturesIn(InstallFolder::kSecond);
    std::string section;
    int cg = 0;
    int epilogue = 0;
    for (const std::string& line : Lines(kSample / "dataset.txt")) {
        if (line.empty() || line[0] == '#') continue;
        if (line[0] == '[') {
            section = line;
            continue;
        }
        size_t equals = line.find(" = ");
        if (equals == std::string::npos) continue;
        const std::string value = line.substr(equals + 3);
        if (section.rfind("[cg ", 0) == 0) {
            EXPECT_TRUE(first.count("GameData/char/back/" + Replaced(value, ".rbp", ".crx")))
                << section << " " << line;
            ++cg;
        } else if (section == "[epilogue-pictures]") {
            EXPECT_TRUE(second.count(Replaced(value, ".rbp", ".crx"))) << line;
            ++epilogue;
        }
    }
    EXPECT_GT(cg, 0);
    EXPECT_EQ(epilogue, 14);
}

}  // namespace
