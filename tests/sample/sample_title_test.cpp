// The sample title, converted by the project's own converters, played from
// its logo as a player plays it: keys and taps only (the walks in walks/),
// screenshots compared with reference pictures, the recorded sound listened
// to, and no picture missing on the way.

#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "engine/core/game_flow.h"
#include "sample_game.h"

namespace {

using sample_test::SampleGame;

std::string Walk(const std::string& name) {
    std::vector<uint8_t> bytes = testing_support::ReadHostFile(testing_support::SourceFolder() +
                                                               "/tests/sample/walks/" + name);
    EXPECT_FALSE(bytes.empty()) << name;
    return std::string(bytes.begin(), bytes.end());
}

struct ShotCheck {
    uint32_t ms;
    const char* name;
    uint32_t allowedOff = 0;
};

void ExpectShots(const SampleGame& game, const std::vector<ShotCheck>& shots) {
    for (const ShotCheck& shot : shots) {
        SCOPED_TRACE(shot.name);
        EXPECT_EQ(golden::Compare(game.Shot(shot.ms), shot.name, 6, shot.allowedOff), "");
    }
}

// The states of the run in order, each once per visit.
std::vector<int32_t> Visits(const SampleGame& game) {
    std::vector<int32_t> states;
    for (const screen_test::Step& step : game.States().steps)
        if (states.empty() || states.back() != step.state) states.push_back(step.state);
    return states;
}

// Pixels of the message window (the screen's lower 100 rows) that differ by
// more than a little between two screenshots.
size_t Differing(const golden::Picture& a, const golden::Picture& b) {
    if (a.width != b.width || a.height != b.height || a.height < 100) return SIZE_MAX;
    size_t count = 0;
    for (size_t i = size_t{a.height - 100} * a.width * 3; i + 2 < a.rgb.size(); i += 3) {
        for (int c = 0; c < 3; ++c) {
            if (std::abs(a.rgb[i + c] - b.rgb[i + c]) > 8) {
                ++count;
                break;
            }
        }
    }
    return count;
}

constexpr char kMusicOff[] =
    "[MUSIC_CONFIG]\nPCM=0\n[VOICE_CONFIG]\nVOICE_PLAY=2\n[SE_CONFIG]\nSE_PLAY=0\n";

TEST(SampleTitle, MainStoryFromTheLogoThroughAnEndingBackToTheTitle) {
    SampleGame game;
    game.Play(Walk("main_story.txt"),
              {3000, 7500, 9000, 11000, 14000, 18000, 24300, 29000, 37500, 42600, 55000, 90000,
               100000, 115500, 125500},
              126000);
    using namespace core;
    const std::vector<int32_t> expected = {
        kStateLogo,   kStateTitle,  kStateScript,    kStateDate,   kStateScript,
        kStateMap,    kStateScript, kStateMap,       kStateScript, kStateDate,
        kStateScript, kStateMap,    kStateScript,    kStateMap,    kStateScript,
        kStateDate,   kStateScript, kStateStaffRoll, kStateScript, kStateEndingPictures,
        kStateLogo,   kStateTitle};
    EXPECT_EQ(Visits(game), expected);
    EXPECT_TRUE(game.MissingPictures().empty()) << game.MissingPictures().front();
    // The logo; the title and "start"; the three stories offered; the opening
    // movie (skipped); a place caption over snow; a page with a name; the date screen;
    // a pair of heroines; the map both ways; the farewell choice; the
    // eye-catch of the last day; her ending; the ending pictures; the title.
    ExpectShots(game, {{3000, "sample-logo"},
                       {7500, "sample-title"},
                       {9000, "sample-title-start"},
                       {11000, "sample-story-choice"},
                       {14000, "sample-prologue"},
                       {18000, "sample-prologue-name"},
                       {24300, "sample-date-screen"},
                       {29000, "sample-pair"},
                       {37500, "sample-map"},
                       {42600, "sample-map-second-visit"},
                       {55000, "sample-main-choice"},
                       {90000, "sample-eyecatch"},
                       {100000, "sample-ending-story"},
                       {115500, "sample-ending-pictures"},
                       {125500, "sample-title-again"}});
    // The title's theme, the story's music all the way, the staff roll's.
    EXPECT_LT(game.Loudness(0, 5000), 20);
    EXPECT_GT(game.Loudness(6500, 8000), 1000);
    EXPECT_GT(game.Loudness(14000, 20000), 1000);
    EXPECT_GT(game.Loudness(80000, 88000), 1000);
    // The ending is written into the system file.
    EXPECT_TRUE(std::filesystem::exists(game.Folder() / "save000.dat"));
}

TEST(SampleTitle, VoicesSpeakWithTheMusicOff) {
    SampleGame game;
    testing_support::WriteHostFile(game.Folder() / "mirelo.cfg", std::string(kMusicOff));
    game.Play(Walk("main_story.txt"), {}, 24000);
    // Silence between the movie and the first spoken line, then her voice.
    EXPECT_LT(game.Loudness(13000, 17000), 20);
    EXPECT_GT(game.Loudness(17500, 18500), 300);
    EXPECT_GT(game.Loudness(19500, 21500), 300);
}

TEST(SampleTitle, OpeningMovieThenAQuickSaveLoadedBackInALaterGame) {
    // From the logo into the main story: its opening movie plays whole.
    const std::string start =
        "8200 press DOWN\n8500 press C\n10500 press DOWN\n10900 press DOWN\n11300 press C\n";
    const std::string centre = "[SYSTEM_CONFIG]\nKEY_CEN_CTRL=";
    SampleGame game;
    // The centre key saves on the first page, once it waits for the reader.
    testing_support::WriteHostFile(game.Folder() / "mirelo.cfg", centre + "4\n");
    game.Play(start + "23000 press CENTRE\n", {15000, 17000, 22900}, 24000);
    ExpectShots(game, {{15000, "sample-opening-movie"}, {17000, "sample-opening-movie-title"}});
    EXPECT_GT(game.Loudness(12000, 19000), 1000) << "the movie's sound track";
    ASSERT_TRUE(std::filesystem::exists(game.Folder() / "save001.dat"));
    const golden::Picture saved = game.Shot(22900);

    // A new game, a page further, where the centre key now loads. (The
    // place's caption above the window came and went with the place.)
    SampleGame later;
    std::filesystem::copy_file(game.Folder() / "save001.dat", later.Folder() / "save001.dat");
    testing_support::WriteHostFile(later.Folder() / "mirelo.cfg", centre + "5\n");
    later.Play(start + "23000 press C\n26000 press CENTRE\n", {25900, 28000}, 28000);
    EXPECT_GT(Differing(later.Shot(25900), saved), 1000u) << "a page further";
    EXPECT_LT(Differing(later.Shot(28000), saved), 20u) << "loaded back to the saved page";
}

TEST(SampleTitle, FurtherStoriesTheMenuAndTheEpilogue) {
    using namespace core;
    {
        // Christmas: the evening on the hill, the star, the town; then the
        // menu takes the player back to the title.
        SampleGame game;
        game.Play(Walk("christmas.txt"), {6000, 10800, 16000, 30000, 41500, 48500}, 48500);
        EXPECT_TRUE(game.MissingPictures().empty()) << game.MissingPictures().front();
        EXPECT_EQ(Visits(game),
                  (std::vector<int32_t>{kStateLogo, kStateTitle, kStateScript, kStateTitle,
                                        kStateScript, kStateLogo, kStateTitle}));
        ExpectShots(game, {{6000, "sample-christmas"},
                           {10800, "sample-christmas-choice"},
                           {16000, "sample-christmas-star"},
                           {30000, "sample-christmas-town"},
                           {48500, "sample-title-after-menu"}});
        // The menu's header shows the time of day.
        EXPECT_EQ(golden::Compare(game.Shot(41500), "sample-menu", 6, 300), "");
        EXPECT_GT(game.Loudness(6000, 10000), 1000);
    }
    {
        // Summer by the sea, the promise, the epilogue's album, the end.
        SampleGame game;
        game.Play(Walk("summer.txt"), {7000, 20000, 31000, 45000, 80000}, 123000);
        EXPECT_TRUE(game.MissingPictures().empty()) << game.MissingPictures().front();
        EXPECT_EQ(Visits(game),
                  (std::vector<int32_t>{kStateLogo, kStateTitle, kStateScript, kStateEpilogue,
                                        kStateScript, kStateLogo, kStateTitle}));
        ExpectShots(game, {{7000, "sample-summer"},
                           {20000, "sample-summer-shore"},
                           {31000, "sample-summer-choice"},
                           {45000, "sample-epilogue"},
                           {80000, "sample-epilogue-later"}});
        EXPECT_GT(game.Loudness(45000, 60000), 1000) << "the epilogue's music";
    }
}

TEST(SampleTitle, ExtrasFromTheTitle) {
    using namespace core;
    {
        // The scenario select, the CG gallery, the music gallery playing a
        // track; back to the title from each.
        SampleGame game;
        game.Play(Walk("extras.txt"), {4000, 5500, 13000, 22000, 25000, 29500}, 30000);
        EXPECT_TRUE(game.MissingPictures().empty()) << game.MissingPictures().front();
        EXPECT_EQ(Visits(game), (std::vector<int32_t>{kStateLogo, kStateTitle, kStateScenarioSelect,
                                                      kStateTitle, kStateCgGallery, kStateTitle,
                                                      kStateMusicGallery, kStateTitle}));
        ExpectShots(game, {{4000, "sample-scenario-select"},
                           {5500, "sample-scenario-select-tab"},
                           {13000, "sample-cg-gallery"},
                           {22000, "sample-music-gallery"},
                           {25000, "sample-music-gallery-playing"},
                           {29500, "sample-title-after-extras"}});
        EXPECT_GT(game.Loudness(23500, 26500), 1000) << "the chosen track";
    }
    {
        // The hidden bonus story from the title's moon, then its event
        // picture unlocked in the CG gallery and shown whole.
        SampleGame game;
        game.Play(Walk("bonus_cg.txt"), {6000, 12500, 23500, 25000, 29000}, 31000);
        EXPECT_TRUE(game.MissingPictures().empty()) << game.MissingPictures().front();
        EXPECT_EQ(Visits(game),
                  (std::vector<int32_t>{kStateLogo, kStateTitle, kStateScript, kStateLogo,
                                        kStateTitle, kStateCgGallery, kStateTitle}));
        ExpectShots(game, {{6000, "sample-bonus"},
                           {12500, "sample-bonus-rooftop"},
                           {23500, "sample-cg-tab"},
                           {25000, "sample-cg-viewer"},
                           {29000, "sample-title-after-cg"}});
    }
}

}  // namespace
