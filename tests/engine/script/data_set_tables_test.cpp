// The data set's table file: the sample title's copy, the conversion of its
// values to Shift-JIS, every kind of mistake with its line, and loading from
// the program folder.

#include "engine/script/data_set_tables.h"

#include <gtest/gtest.h>

#include "platform/device_path.h"
#include "test_support.h"

namespace {

using script::DataSetTables;

// Tables with one marker entry, to see that a failed parse leaves them alone.
DataSetTables MarkedTables() {
    DataSetTables tables;
    tables.music[0][0] = "keep.mp3";
    tables.pairs.push_back("keep.rbp");
    return tables;
}

DataSetTables ParseOrFail(const std::string& text) {
    DataSetTables tables;
    std::string error;
    EXPECT_TRUE(script::ParseDataSetTables(text, &tables, &error)) << error;
    return tables;
}

TEST(DataSetTables, AFullFileGivesEveryTable) {
    auto bytes = testing_support::ReadHostFile(testing_support::SourceFolder() +
                                               "/tests/engine/script/full_data_set.txt");
    ASSERT_FALSE(bytes.empty());
    DataSetTables tables =
        ParseOrFail(std::string(reinterpret_cast<const char*>(bytes.data()), bytes.size()));

    EXPECT_EQ(tables.music[0][0], "bgm01.mp3");
    EXPECT_EQ(tables.music[0][7], "bgm08.mp3");
    EXPECT_EQ(tables.music[0][5], "");
    EXPECT_EQ(tables.music[1][31], "bgm01.mp3");
    EXPECT_EQ(tables.music[2][30], "bgm07.mp3");
    EXPECT_EQ(tables.effects[0][0], "");
    EXPECT_EQ(tables.effects[0][1], "se01.mp3");
    EXPECT_EQ(tables.effects[1][0], "se01.mp3");

    ASSERT_EQ(tables.pairs.size(), 4u);
    EXPECT_EQ(tables.pairs[0], "GameData\\char\\chara\\CH01B.rbp");
    EXPECT_EQ(tables.pairs[2], "");

    // Day and night of the first place share its caption.
    ASSERT_EQ(tables.placeNames.size(), 5u);
    EXPECT_EQ(tables.placeNames[0].index, 0);
    EXPECT_EQ(tables.placeNames[0].backgroundPath, "GameData\\char\\back\\BG01.rbp");
    EXPECT_EQ(tables.placeNames[1].index, 0);
    EXPECT_EQ(tables.placeNames[1].backgroundPath, "GameData\\char\\back\\BG01N.rbp");
    EXPECT_EQ(tables.placeNames[4].index, 3);
    EXPECT_EQ(tables.placeNames[4].backgroundPath,
              "GameData\\char\\back\\\x89\x77\x91\x4F\x8D\x4C\x8F\xEA.rbp");

    EXPECT_EQ(tables.shadedBackgrounds,
              (std::vector<std::string>{"GameData\\char\\back\\BG01N.rbp",
                                        "GameData\\char\\back\\BG03.rbp"}));
    EXPECT_EQ(tables.dateChain[1], "GameData\\sinario\\day02.MES");
    EXPECT_EQ(tables.dateChain[2], "");
    EXPECT_EQ(tables.dateChain[22], "");
    ASSERT_EQ(tables.routeEndings.size(), 3u);
    EXPECT_EQ(tables.routeEndings[2], "GameData\\sinario\\end_sea.MES");
    EXPECT_EQ(tables.nameToken, "\x81\x79\x96\xBC\x81\x7A");  // 【名】
    EXPECT_EQ(tables.defaultPlayerName, "\x83\x6E\x83\x8B\x83\x67");
    EXPECT_EQ(tables.endingPictures[1][0], "GameData\\char\\event\\town_01.rbp");
    EXPECT_EQ(tables.endingPictures[1][26], "GameData\\char\\event\\town_27.rbp");
    EXPECT_EQ(tables.endingPictures[2][13], "GameData\\char\\event\\sea_02.rbp");
    EXPECT_EQ(tables.endingPictures[2][12], "");

    // The map's rows run to the last row given; the rows between are empty.
    ASSERT_EQ(tables.mapPlaces.size(), 5u);
    EXPECT_EQ(tables.mapPlaces[0][0], "");
    EXPECT_EQ(tables.mapPlaces[1][0], "GameData\\sinario\\0226_e1.MES");
    EXPECT_EQ(tables.mapPlaces[1][9], "GameData\\sinario\\0226_x2.MES");
    EXPECT_EQ(tables.mapPlaces[4][7], "GameData\\sinario\\0301_k2.MES");
    EXPECT_EQ(tables.mapPlaces[4][8], "");
    EXPECT_EQ(tables.music[2][12], "bgm09.mp3");
    EXPECT_EQ(tables.epiloguePictures[0], "GameData\\char\\ep\\ep01.rbp");
    EXPECT_EQ(tables.epiloguePictures[13], "GameData\\char\\ep\\ep14.rbp");

    EXPECT_EQ(tables.sceneTabs[0].pageCount, 2);
    EXPECT_EQ(tables.sceneTabs[2].pageCount, 1);
    EXPECT_EQ(tables.sceneTabs[0].entries[10].name, "day05.MES");
    EXPECT_EQ(tables.sceneTabs[0].entries[10].dateCode, 405);
    EXPECT_EQ(tables.sceneTabs[0].entries[3].dateCode, -1);
    EXPECT_EQ(tables.sceneDates.size(), 6u);
    ASSERT_EQ(tables.cgTabs[0].pictures.size(), 3u);
    EXPECT_EQ(tables.cgTabs[0].pictures[1].name, "ev_mina01b.rbp");
    EXPECT_EQ(tables.tracks[7], "bgm08.mp3");
    EXPECT_EQ(tables.tracks[8], "");
}

// The galleries' sections: two-part values, lists kept in their order, the
// longest names that fit their fields, and the defaults of tabs left out.
TEST(DataSetTables, GallerySections) {
    DataSetTables tables = ParseOrFail(
        "[scenario-tabs]\n6 = 11 4\n0 = 1 0\n"
        "[scenarios 6]\n109 = 99999 \"  spaced.MES\"\n0 = 0 a/b.MES\n"
        "[scenario-dates]\n20\n10\n0\n"
        "[cg-pages]\n3 = 2\n"
        "[cg 3]\n17 = abcdefghijklmnopqrstuvwxyz1.rbp\n0 = one.rbp\n17 = two.rbp\n"
        "[tracks]\n29 = dir/last.mp3\n");
    EXPECT_EQ(tables.sceneTabs[6].pageCount, 11);
    EXPECT_EQ(tables.sceneTabs[6].pictureCount, 4);
    EXPECT_EQ(tables.sceneTabs[0].pictureCount, 0);
    EXPECT_EQ(tables.sceneTabs[6].entries[109].dateCode, 99999);
    EXPECT_EQ(tables.sceneTabs[6].entries[109].name, "  spaced.MES");
    EXPECT_EQ(tables.sceneTabs[6].entries[0].dateCode, 0);
    EXPECT_EQ(tables.sceneTabs[6].entries[0].name, "a\\b.MES");
    EXPECT_EQ(tables.sceneTabs[6].entries[1].dateCode, -1);
    EXPECT_EQ(tables.sceneTabs[3].pageCount, 1);
    EXPECT_EQ(tables.sceneDates, (std::vector<int32_t>{20, 10, 0}));
    EXPECT_EQ(tables.cgTabs[3].pageCount, 2);
    EXPECT_EQ(tables.cgTabs[0].pageCount, 1);
    ASSERT_EQ(tables.cgTabs[3].pictures.size(), 3u);
    EXPECT_EQ(tables.cgTabs[3].pictures[0].thumbnail, 17);
    EXPECT_EQ(tables.cgTabs[3].pictures[0].name.size(), script::kCgNameMax);
    EXPECT_EQ(tables.cgTabs[3].pictures[1].thumbnail, 0);
    EXPECT_EQ(tables.cgTabs[3].pictures[2].name, "two.rbp");
    EXPECT_TRUE(tables.cgTabs[4].pictures.empty());
    EXPECT_EQ(tables.tracks[29], "dir\\last.mp3");
}

TEST(DataSetTables, ValuesComeOutAsShiftJis) {
    DataSetTables tables = ParseOrFail(
        "[music 0]\n"
        "0 = 春の歌.mp3\n"
        // The second byte of 表 is '\'; the slash swap must not touch it.
        "1 = 表/a.mp3\n"
        "[names]\n"
        "token = ≪名≫\n"
        "player = 春/歌\n");
    EXPECT_EQ(tables.music[0][0], "\x8F\x74\x82\xCC\x89\xCC.mp3");
    EXPECT_EQ(tables.music[0][1], "\x95\x5C\\a.mp3");
    EXPECT_EQ(tables.nameToken, "\x81\xE1\x96\xBC\x81\xE2");
    // A name is not a path: its '/' stays.
    EXPECT_EQ(tables.defaultPlayerName, "\x8F\x74/\x89\xCC");
}

TEST(DataSetTables, ValueSpellings) {
    DataSetTables tables = ParseOrFail(
        "\xEF\xBB\xBF"  // a byte-order mark
        "  # an indented comment\r\n"
        "[ music 0 ]\r\n"
        "0\t=\ta b.mp3  \r\n"
        "1 = \"  spaced  \"\r\n"
        "2 = a#1.mp3\r\n"
        "3 = \"x=y\"\r\n"
        "4 = \"\"\r\n"
        "[shaded-backgrounds]\r\n"
        "back/one.rbp\r\n"
        "\"back\\two = 2.rbp\"\r\n");
    EXPECT_EQ(tables.music[0][0], "a b.mp3");
    EXPECT_EQ(tables.music[0][1], "  spaced  ");
    EXPECT_EQ(tables.music[0][2], "a#1.mp3");
    EXPECT_EQ(tables.music[0][3], "x=y");
    EXPECT_EQ(tables.music[0][4], "");
    EXPECT_EQ(tables.shadedBackgrounds,
              (std::vector<std::string>{"back\\one.rbp", "back\\two = 2.rbp"}));
}

TEST(DataSetTables, GapsStayEmptyAndRangeEndsAreAccepted) {
    DataSetTables tables = ParseOrFail(
        "[music 2]\n31 = last.mp3\n"
        "[effects 1]\n67 = last.mp3\n"
        "[date-chain]\n22 = last.MES\n0 = first.MES\n"
        "[pairs]\n1 = one.rbp\n3 = three.rbp\n"
        "[route-endings]\n7 = seven.MES\n"
        "[place-names]\n999 = far.rbp\n"
        "[ending-pictures 8]\n26 = last.rbp\n"
        "[ending-pictures 1]\n0 = first.rbp\n"
        "[map-places 63]\n9 = last.MES\n"
        "[map-places 02]\n0 = first.MES\n"
        "[epilogue-pictures]\n13 = last.rbp\n"
        // 63 bytes in Shift-JIS, the longest name an archive holds.
        "12 = 春xxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxx\n");
    EXPECT_EQ(tables.music[2][31], "last.mp3");
    EXPECT_EQ(tables.music[2][0], "");
    EXPECT_EQ(tables.effects[1][67], "last.mp3");
    EXPECT_EQ(tables.dateChain[0], "first.MES");
    EXPECT_EQ(tables.dateChain[21], "");
    EXPECT_EQ(tables.dateChain[22], "last.MES");
    EXPECT_EQ(tables.pairs, (std::vector<std::string>{"one.rbp", "", "three.rbp"}));
    ASSERT_EQ(tables.routeEndings.size(), 7u);
    EXPECT_EQ(tables.routeEndings[0], "");
    EXPECT_EQ(tables.routeEndings[6], "seven.MES");
    ASSERT_EQ(tables.placeNames.size(), 1u);
    EXPECT_EQ(tables.placeNames[0].index, 999);
    // Each route's section fills its own row.
    EXPECT_EQ(tables.endingPictures[7][26], "last.rbp");
    EXPECT_EQ(tables.endingPictures[0][0], "first.rbp");
    EXPECT_EQ(tables.endingPictures[0][26], "");
    EXPECT_EQ(tables.endingPictures[7][0], "");

    ASSERT_EQ(tables.mapPlaces.size(), 64u);
    EXPECT_EQ(tables.mapPlaces[63][9], "last.MES");
    EXPECT_EQ(tables.mapPlaces[63][0], "");
    EXPECT_EQ(tables.mapPlaces[2][0], "first.MES");
    EXPECT_EQ(tables.mapPlaces[3][0], "");
    EXPECT_EQ(tables.epiloguePictures[13], "last.rbp");
    EXPECT_EQ(tables.epiloguePictures[0], "");
    EXPECT_EQ(tables.epiloguePictures[12].size(), 63u);
    // Sections left out are empty.
    EXPECT_EQ(tables.music[0][0], "");
    EXPECT_TRUE(tables.shadedBackgrounds.empty());
    EXPECT_TRUE(tables.nameToken.empty());
    EXPECT_TRUE(ParseOrFail("[music 0]\n").mapPlaces.empty());
}

TEST(DataSetTables, EmptyTextGivesEmptyTables) {
    DataSetTables tables = MarkedTables();
    std::string error;
    ASSERT_TRUE(script::ParseDataSetTables("# nothing but a comment\n\n", &tables, &error));
    EXPECT_EQ(tables.music[0][0], "");
    EXPECT_TRUE(tables.pairs.empty());
}

struct BadCase {
    const char* text;
    const char* error;  // exactly what the parser reports
};

// Each mistake names its line and leaves the caller's tables as they were.
TEST(DataSetTables, MistakesNameTheirLineAndChangeNothing) {
    const BadCase cases[] = {
        // Sections.
        {"[music 0]\n0 = a.mp3\n[sounds]\n", "3: unknown section [sounds]"},
        {"[music 3]\n", "1: dialect 3 is out of range 0..2"},
        {"[effects]\n", "1: section [effects] needs a dialect number 0, 1 or 2"},
        {"[pairs 1]\n", "1: section [pairs] takes no number"},
        {"[ending-pictures]\n", "1: section [ending-pictures] needs a route number 1..8"},
        {"[ending-pictures 0]\n", "1: section [ending-pictures] needs a route number 1..8"},
        {"[ending-pictures 9]\n", "1: section [ending-pictures] needs a route number 1..8"},
        {"[ending-pictures 2]\n[ending-pictures 02]\n",
         "2: section [ending-pictures 2] appears a second time (first on line 1)"},
        {"[ending-pictures 2]\n27 = a.rbp\n", "2: index 27 is out of range 0..26"},
        {"[names\n", "1: section header without a closing ']'"},
        {"[names]\n[pairs]\n[names]\n",
         "3: section [names] appears a second time (first on line 1)"},
        {"[map-places]\n", "1: section [map-places] needs a row number 0..63"},
        {"[map-places 64]\n", "1: row 64 is out of range 0..63"},
        {"[map-places 2]\n[map-places 02]\n",
         "2: section [map-places 2] appears a second time (first on line 1)"},
        {"[epilogue-pictures 1]\n", "1: section [epilogue-pictures] takes no number"},
        {"\n0 = a.mp3\n[music 0]\n", "2: entry before the first [section]"},
        // Indexes out of range, one per table.
        {"[music 0]\n32 = a.mp3\n", "2: index 32 is out of range 0..31"},
        {"[effects 2]\n68 = a.mp3\n", "2: index 68 is out of range 0..67"},
        {"[date-chain]\n23 = a.MES\n", "2: index 23 is out of range 0..22"},
        {"[pairs]\n0 = a.rbp\n", "2: index 0 is out of range 1..999"},
        {"[route-endings]\n8 = a.MES\n", "2: index 8 is out of range 1..7"},
        {"[place-names]\n1000 = a.rbp\n", "2: index 1000 is out of range 0..999"},
        {"[map-places 0]\n10 = a.MES\n", "2: index 10 is out of range 0..9"},
        {"[epilogue-pictures]\n14 = a.rbp\n", "2: index 14 is out of range 0..13"},
        {"[map-places 5]\n0 = a.MES\n0 = b.MES\n",
         "3: index 0 is given a second time (first on line 2)"},
        // Names the archive could not hold: 64 bytes, one of them a
        // double-byte character whose UTF-8 form is longer.
        {"[map-places 0]\n1 = 春xxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxx\n",
         "2: path longer than 63 bytes"},
        {"[epilogue-pictures]\n0 = "
         "xxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxx\n",
         "2: path longer than 63 bytes"},
        {"[music 0]\n99999999999999999999 = a.mp3\n",
         "2: index 99999999999999999999 is out of range 0..31"},
        // Duplicate indexes, an empty value counting as given.
        {"[date-chain]\n# c\n1 = a.MES\n\n1 = b.MES\n",
         "5: index 1 is given a second time (first on line 3)"},
        {"[music 1]\n4 = \"\"\n04 = a.mp3\n",
         "3: index 4 is given a second time (first on line 2)"},
        {"[names]\nplayer = A\nplayer = B\n", "3: player is given a second time (first on line 2)"},
        // A duplicate path, compared as the engine looks it up.
        {"[place-names]\n0 = back\\A.rbp\n1 = BACK/a.rbp\n",
         "3: path BACK/a.rbp is listed a second time (first on line 2)"},
        // Malformed lines.
        {"[music 0]\nbgm01.mp3\n", "2: expected INDEX = VALUE"},
        {"[music 0]\nx = a.mp3\n", "2: index 'x' is not a whole number"},
        {"[music 0]\n-1 = a.mp3\n", "2: index '-1' is not a whole number"},
        {"[music 0]\n1 =   \n", "2: missing value (write \"\" for an empty one)"},
        {"[music 0]\n1 = \"a.mp3\n", "2: quote without its closing quote"},
        {"[music 0]\n1 = \"a\" b\n", "2: text after the closing quote"},
        {"[music 0]\n1 = a\"b\n", "2: quote inside an unquoted value"},
        {"[music 0]\n1 = a\x01.mp3\n", "2: control character in the line"},
        {"[shaded-backgrounds]\n0 = a.rbp\n",
         "2: expected one path per line, not INDEX = VALUE (quote a path with '=')"},
        {"[shaded-backgrounds]\n\"\"\n", "2: empty path"},
        {"[names]\nhero = A\n", "2: unknown name 'hero' (expected token or player)"},
        {"[names]\nplayer = \"\"\n", "2: empty player name"},
        // Broken UTF-8: a stray byte, an overlong '/', a surrogate, a cut-off
        // character (also inside a comment).
        {"[music 0]\n0 = \xFF.mp3\n", "2: not valid UTF-8"},
        {"[music 0]\n0 = a\xC0\xAF.mp3\n", "2: not valid UTF-8"},
        {"[music 0]\n0 = \xED\xA0\x80.mp3\n", "2: not valid UTF-8"},
        {"[music 0]\n# \xE3\x81\n", "2: not valid UTF-8"},
        // A character that Shift-JIS lacks.
        {"[music 0]\n0 = \xED\x95\x9C.mp3\n", "2: '\xED\x95\x9C.mp3' has no Shift-JIS form"},
        // Name tokens that are not three double-byte characters: two, three
        // half-width katakana, and six bytes of which the last two are ASCII.
        {"[names]\ntoken = 名前\n",
         "2: the name token must be exactly three double-byte characters"},
        {"[names]\ntoken = ｱｲｳ\n",
         "2: the name token must be exactly three double-byte characters"},
        {"[names]\ntoken = 名前ab\n",
         "2: the name token must be exactly three double-byte characters"},
        // The galleries' sections.
        {"[scenarios]\n", "1: section [scenarios] needs a tab number 0..6"},
        {"[cg 7]\n", "1: tab 7 is out of range 0..6"},
        {"[cg 1]\n[cg 01]\n", "2: section [cg 1] appears a second time (first on line 1)"},
        {"[scenario-tabs 1]\n", "1: section [scenario-tabs] takes no number"},
        {"[scenario-tabs]\n0 = 2\n", "2: expected PAGES SHEETS"},
        {"[scenario-tabs]\n0 = 2 1 1\n", "2: expected PAGES SHEETS"},
        {"[scenario-tabs]\n7 = 1 1\n", "2: index 7 is out of range 0..6"},
        {"[scenario-tabs]\n0 = 12 1\n", "2: page count 12 is out of range 1..11"},
        {"[scenario-tabs]\n0 = 0 1\n", "2: page count 0 is out of range 1..11"},
        {"[scenario-tabs]\n0 = 1 5\n", "2: sheet count 5 is out of range 0..4"},
        {"[cg-pages]\n0 = 3\n", "2: page count 3 is out of range 1..2"},
        {"[scenarios 0]\n110 = 1 a.MES\n", "2: index 110 is out of range 0..109"},
        {"[scenarios 0]\n0 = 1 a.MES\n0 = 2 b.MES\n",
         "3: index 0 is given a second time (first on line 2)"},
        {"[scenarios 0]\n0 = a.MES\n", "2: expected DATE NAME"},
        {"[scenarios 0]\n0 = x a.MES\n", "2: date code 'x' is not a whole number"},
        {"[scenarios 0]\n0 = 100000 a.MES\n", "2: date code 100000 is out of range 0..99999"},
        {"[scenarios 0]\n0 = 1 \"\"\n", "2: empty name"},
        {"[scenarios 0]\n0 = 1 "
         "abcdefghijklmnopqrstuvwxyzabcdefghijklmnopqrstuvwxyzabcdefgh.MES\n",
         "2: name abcdefghijklmnopqrstuvwxyzabcdefghijklmnopqrstuvwxyzabcdefgh.MES is longer "
         "than 63 bytes"},
        {"[scenario-dates]\n7\n\n7\n", "4: date code 7 is listed a second time (first on line 2)"},
        {"[scenario-dates]\n-7\n", "2: date code '-7' is not a whole number"},
        // A picture name fills a 32-byte field with its ending zero.
        {"[cg 0]\n0 = abcdefghijklmnopqrstuvwxyz12.rbp\n",
         "2: name abcdefghijklmnopqrstuvwxyz12.rbp is longer than 31 bytes"},
        {"[cg 0]\nev.rbp\n", "2: expected THUMBNAIL = PICTURE"},
        {"[cg 0]\n18 = a.rbp\n", "2: thumbnail 18 is out of range 0..17"},
        {"[cg 0]\n0 = \"\"\n", "2: empty name"},
        {"[tracks]\n30 = a.mp3\n", "2: index 30 is out of range 0..29"},
        {"[tracks]\n0 = abcdefghijklmnopqrstuvwxyzabcdefghijklmnopqrstuvwxyzabcdefgh.mp3\n",
         "2: name abcdefghijklmnopqrstuvwxyzabcdefghijklmnopqrstuvwxyzabcdefgh.mp3 is longer "
         "than 63 bytes"},
        // Lines are counted across CR LF ends.
        {"[music 0]\r\n0 = a.mp3\r\n40 = b.mp3\r\n", "3: index 40 is out of range 0..31"},
    };
    for (const BadCase& bad : cases) {
        SCOPED_TRACE(bad.text);
        DataSetTables tables = MarkedTables();
        std::string error;
        EXPECT_FALSE(script::ParseDataSetTables(bad.text, &tables, &error));
        EXPECT_EQ(error, bad.error);
        EXPECT_EQ(tables.music[0][0], "keep.mp3");
        EXPECT_EQ(tables.pairs, std::vector<std::string>{"keep.rbp"});
        EXPECT_EQ(tables.music[0][1], "");
    }
    // Lists beyond their engine's table: the 65th picture of a tab, the
    // 101st date code.
    std::string pictures = "[cg 2]\n", dates = "[scenario-dates]\n";
    for (int i = 0; i < 65; ++i) pictures += "0 = p" + std::to_string(i) + ".rbp\n";
    for (int i = 0; i < 101; ++i) dates += std::to_string(i) + "\n";
    for (const auto& [text, error] : {std::pair{pictures, "66: more than 64 pictures in one tab"},
                                      std::pair{dates, "102: more than 100 date codes"}}) {
        DataSetTables tables = MarkedTables();
        std::string reported;
        EXPECT_FALSE(script::ParseDataSetTables(text, &tables, &reported));
        EXPECT_EQ(reported, error);
        EXPECT_EQ(tables.music[0][0], "keep.mp3");
    }
}

// The program folder as the engine holds it: a device path ending in '\'.
std::string DeviceFolder(const testing_support::TempDir& dir) {
    return platform::HostToDevicePath(dir.path().string() + "/");
}

TEST(DataSetTables, LoadReadsTheFileInTheProgramFolder) {
    testing_support::TempDir dir;
    testing_support::WriteHostFile(dir / "dataset.txt",
                                   std::string("[route-endings]\n1 = GameData/sinario/e.MES\n"));
    DataSetTables tables;
    std::string error;
    ASSERT_TRUE(script::LoadDataSetTables(DeviceFolder(dir), &tables, &error)) << error;
    EXPECT_EQ(tables.routeEndings, std::vector<std::string>{"GameData\\sinario\\e.MES"});
}

TEST(DataSetTables, MissingFileGivesEmptyTables) {
    testing_support::TempDir dir;
    DataSetTables tables = MarkedTables();
    std::string error;
    ASSERT_TRUE(script::LoadDataSetTables(DeviceFolder(dir), &tables, &error));
    EXPECT_EQ(tables.music[0][0], "");
    EXPECT_TRUE(tables.pairs.empty());
    EXPECT_TRUE(error.empty());
}

TEST(DataSetTables, BadFileNamesTheFileAndTheLine) {
    testing_support::TempDir dir;
    std::string hostPath = (dir / "dataset.txt").string();
    testing_support::WriteHostFile(dir / "dataset.txt", std::string("[pairs]\n\n1 = a\n1 = b\n"));
    DataSetTables tables = MarkedTables();
    std::string error;
    EXPECT_FALSE(script::LoadDataSetTables(DeviceFolder(dir), &tables, &error));
    EXPECT_EQ(error, hostPath + ":4: index 1 is given a second time (first on line 3)");
    EXPECT_EQ(tables.music[0][0], "keep.mp3");

    // A file far beyond any table file's size is refused, not taken as missing.
    testing_support::WriteHostFile(dir / "dataset.txt", std::string((1 << 20) + 1, '#'));
    EXPECT_FALSE(script::LoadDataSetTables(DeviceFolder(dir), &tables, &error));
    EXPECT_EQ(error, hostPath + ": larger than 1 MiB, not a table file");
    EXPECT_EQ(tables.music[0][0], "keep.mp3");
}

}  // namespace
