// Slot saves and loads of a running story, in process on the headless
// backend: a load gives back the game as it was at the save.

#include <gtest/gtest.h>

#include <filesystem>
#include <vector>

#include "engine/persist/save_files.h"
#include "engine/script/interpreter.h"
#include "engine/sound/music_controller.h"
#include "golden_picture.h"
#include "platform/device_path.h"
#include "story_fixture.h"

namespace {

using formats::MesOp;
using story_test::ScriptBuilder;
using story_test::StoryEngine;
using story_test::StoryFolder;

// Two pages: the first over the day background with the girl, the second
// after a variable, a flag and the background have changed.
StoryFolder TwoPages() {
    ScriptBuilder s(1);
    s.Named(MesOp::kBackground, "back\\day")
        .Op(MesOp::kCharacter, {1}, "girl")
        .Op(MesOp::kCommit)
        .Text("あいうえお")
        .Op(MesOp::kPageWait)
        .Op(MesOp::kAddVar, {0, 5})
        .Op(MesOp::kSetFlag, {0, 3})
        .Named(MesOp::kBackground, "back\\night")
        .Op(MesOp::kCommit)
        .Text("かきく")
        .Op(MesOp::kPageWait)
        .Raw({200});
    StoryFolder folder;
    folder.scenarios2["main"] = s.Bytes();
    return folder;
}

std::vector<std::array<int, 3>> Screen(StoryEngine& story) {
    std::vector<std::array<int, 3>> pixels;
    for (int y = 0; y < 240; ++y) {
        for (int x = 0; x < 320; ++x) pixels.push_back(story.ScreenPixel(x, y));
    }
    return pixels;
}

std::string SlotHostPath(StoryEngine& story, int index) {
    return platform::DeviceToHostPath(story.Engine().dataFolders[core::kLocationSave] +
                                      persist::SlotFileName(index));
}

// Runs to the first page's wait, with music playing.
void ToFirstPage(StoryEngine& story) {
    ASSERT_TRUE(story.Story().StartScenario(1, "main"));
    story.Engine().music->Play("song.mp3", "", 100, 0, 1);
    story.Frames(80);
}

void ToSecondPage(StoryEngine& story) {
    story.Engine().inputState.keyC = 1;
    story.Story().RunScript();
    story.Engine().music->Play("other.mp3", "", 100, 0, 1);
    story.Frames(80);
    ASSERT_EQ(story.Story().vars.variables[0], 5);
}

// Also where the pictures stood: the girl moved away from where her record
// put her comes back to the moved place, not to the record's.
TEST(SaveGameTest, ALoadGivesBackTheGameAsItWasSaved) {
    StoryEngine story(TwoPages());
    ASSERT_TRUE(story.Story().StartScenario(1, "main"));
    story.Story().state.eyecatchNumbers = {2, 14, 3};  // the story calendar
    story.Frame();                                     // the pictures and their commit
    ASSERT_NE(story.Engine().SpriteAt(script::kCharacterSlot), nullptr);
    story.Engine().SpriteAt(script::kCharacterSlot)->SetPosition(40, 24);
    story.Engine().SpriteAt(script::kCharacterSlot)->SetAlpha(200);
    story.Engine().music->Play("song.mp3", "", 100, 0, 1);
    story.Frames(80);
    const auto saved = Screen(story);
    const script::ScriptVariables vars = story.Story().vars;
    ASSERT_TRUE(story.Story().SaveSlot(2, 0));
    const std::vector<uint8_t> record = testing_support::ReadHostFile(SlotHostPath(story, 2));
    ASSERT_EQ(record.size(), persist::kSlotRecordSize);
    // The story calendar (month, day, weekday) has its own words.
    EXPECT_EQ(formats::ReadLe32(record, 568), 2u);
    EXPECT_EQ(formats::ReadLe32(record, 572), 14u);
    EXPECT_EQ(formats::ReadLe32(record, 576), 3u);

    story.Story().state.eyecatchNumbers = {3, 1, 4};
    ToSecondPage(story);
    ASSERT_NE(Screen(story), saved);

    ASSERT_TRUE(story.Story().LoadSlot(2));
    story.Frames(80);
    EXPECT_EQ(story.Story().vars.variables, vars.variables);
    EXPECT_EQ(story.Story().vars.flags, vars.flags);
    EXPECT_EQ(story.Story().state.eyecatchNumbers, (std::array<int32_t, 3>{2, 14, 3}));
    EXPECT_EQ(story.Engine().music->Name(), "song.mp3");
    EXPECT_TRUE(story.Engine().music->Playing());
    EXPECT_TRUE(Screen(story) == saved);
    const core::SpritePlacement girl = story.Engine().SpriteAt(script::kCharacterSlot)->Placement();
    EXPECT_EQ(girl.x, 40);
    EXPECT_EQ(girl.y, 24);
    EXPECT_EQ(girl.alpha, 200);
    // And the story goes on from there as it did the first time.
    ToSecondPage(story);
}

TEST(SaveGameTest, ARefusedSlotLeavesTheRunningGameAlone) {
    const struct {
        const char* name;
        std::function<void(std::vector<uint8_t>&)> damage;
    } cases[] = {
        {"cut short", [](std::vector<uint8_t>& b) { b.resize(256); }},
        {"bad magic", [](std::vector<uint8_t>& b) { b[3] = '0'; }},
        {"missing scenario", [](std::vector<uint8_t>& b) { b[120 + 9] = 'x'; }},
        {"position past the script", [](std::vector<uint8_t>& b) { b[601] = 0x7F; }},
    };
    for (const auto& c : cases) {
        StoryEngine story(TwoPages());
        ToFirstPage(story);
        ASSERT_TRUE(story.Story().SaveSlot(0, 0));
        std::vector<uint8_t> bytes = testing_support::ReadHostFile(SlotHostPath(story, 0));
        c.damage(bytes);
        testing_support::WriteHostFile(SlotHostPath(story, 0), bytes);
        ToSecondPage(story);
        const auto before = Screen(story);
        const size_t pc = story.Story().state.pc;

        testing::internal::CaptureStderr();
        EXPECT_FALSE(story.Story().LoadSlot(0)) << c.name;
        EXPECT_NE(testing::internal::GetCapturedStderr().find("save001.dat"), std::string::npos)
            << c.name;
        story.Frames(2);
        EXPECT_EQ(story.Story().state.pc, pc) << c.name;
        EXPECT_EQ(story.Story().vars.variables[0], 5) << c.name;
        EXPECT_EQ(story.Engine().music->Name(), "other.mp3") << c.name;
        EXPECT_TRUE(Screen(story) == before) << c.name;
    }
    StoryEngine story(TwoPages());
    ToFirstPage(story);
    testing::internal::CaptureStderr();
    EXPECT_FALSE(story.Story().LoadSlot(14));  // never saved
    testing::internal::GetCapturedStderr();
}

// The centre key at a page wait: setting 4 saves to the first slot, 5
// loads it.
TEST(SaveGameTest, TheCentreKeyQuickSavesAndQuickLoadsTheFirstSlot) {
    StoryEngine story(TwoPages());
    ToFirstPage(story);
    const auto saved = Screen(story);
    story.Engine().settings.centreKeyControl = 4;
    story.Engine().inputState.centre = 1;
    story.Story().RunScript();
    EXPECT_EQ(testing_support::ReadHostFile(SlotHostPath(story, 0)).size(),
              persist::kSlotRecordSize);

    ToSecondPage(story);
    story.Engine().settings.centreKeyControl = 5;
    story.Engine().inputState.centre = 1;
    story.Story().RunScript();
    story.Frames(80);
    EXPECT_EQ(story.Story().vars.variables[0], 0);
    EXPECT_EQ(story.Engine().music->Name(), "song.mp3");
    EXPECT_TRUE(Screen(story) == saved);
}

// The seen names and read flags outlive the engine; the scenario check
// ignores ASCII letter case; without a read message no "mes.dat" is written.
TEST(SaveGameTest, SeenDataComesBackInTheNextRun) {
    StoryEngine story(TwoPages());
    ToFirstPage(story);
    const std::string folder = story.Engine().dataFolders[core::kLocationSave];
    story.Story().WriteSystemFile();
    EXPECT_FALSE(std::filesystem::exists(platform::DeviceToHostPath(folder + "mes.dat")));
    story.Story().readFlags.MarkRead("GameData\\sinario\\main.MES", 511);
    story.Story().WriteSystemFile();
    std::vector<uint8_t> names =
        testing_support::ReadHostFile(platform::DeviceToHostPath(folder + "rysys.dat"));
    std::vector<uint8_t> flags =
        testing_support::ReadHostFile(platform::DeviceToHostPath(folder + "mes.dat"));

    StoryEngine next(TwoPages());
    const std::string nextFolder = next.Engine().dataFolders[core::kLocationSave];
    testing_support::WriteHostFile(platform::DeviceToHostPath(nextFolder + "rysys.dat"), names);
    testing_support::WriteHostFile(platform::DeviceToHostPath(nextFolder + "mes.dat"), flags);
    next.Story().ReadSeenData();
    EXPECT_EQ(next.Story().state.seenScenarios, std::vector<std::string>{"main.MES"});
    EXPECT_TRUE(next.Story().readFlags.IsRead("GameData\\sinario\\main.MES", 511));
    EXPECT_FALSE(next.Story().readFlags.IsRead("GameData\\sinario\\main.MES", 510));
    next.Story().StartScenario(1, "MAIN");
    EXPECT_EQ(next.Story().state.seenScenarios.size(), 1u);
}

}  // namespace

namespace {

golden::Picture ShotAt(const std::filesystem::path& folder, int ms) {
    char name[32];
    std::snprintf(name, sizeof name, "shot-%06d.png", ms);
    golden::Picture picture;
    EXPECT_TRUE(golden::ReadPng((folder / name).string(), &picture)) << name;
    return picture;
}

// Runs the program on the folder with the centre key set to `centre` and
// the given input; screenshots at `shots`.
void RunWithCentreKey(const testing_support::TempDir& dir, int centre, const std::string& input,
                      const std::string& shots, const std::filesystem::path& shotFolder) {
    testing_support::WriteHostFile(
        dir / "mirelo.cfg", "[SYSTEM_CONFIG]\r\nKEY_CEN_CTRL=" + std::to_string(centre) + "\r\n");
    testing_support::WriteHostFile(dir / "input.txt", input);
    std::filesystem::create_directories(shotFolder);
    testing_support::CommandResult run = testing_support::RunCommand(
        testing_support::MireloCommand() + " --headless --data '" + dir.path().string() +
        "' --until 4000 --scenario main --dialect 1 --input '" + (dir / "input.txt").string() +
        "' --shot-at " + shots + " --shots '" + shotFolder.string() + "'");
    ASSERT_EQ(run.exitCode, 0) << run.output;
}

// The program as a player runs it: with the centre key on quick save, the
// first page is kept in slot 1; in a later run with the key on quick load,
// the second page gives way to the first again, pixel for pixel.
TEST(SaveGameProgramTest, QuickSaveInOneRunQuickLoadInTheNext) {
    testing_support::TempDir dir;
    story_test::BuildStoryFolder(dir.path(), TwoPages());
    RunWithCentreKey(dir, 4, "1500 press CENTRE\n", "1400", dir / "first");
    EXPECT_EQ(testing_support::ReadHostFile(dir / "save001.dat").size(), persist::kSlotRecordSize);

    RunWithCentreKey(dir, 5, "1500 press C\n2500 press CENTRE\n", "2400,3500", dir / "second");
    const golden::Picture saved = ShotAt(dir / "first", 1400);
    const golden::Picture secondPage = ShotAt(dir / "second", 2400);
    const golden::Picture loaded = ShotAt(dir / "second", 3500);
    ASSERT_FALSE(saved.rgb.empty());
    EXPECT_NE(secondPage.rgb, saved.rgb);
    EXPECT_EQ(loaded.rgb, saved.rgb);
}

// The same through the menu: its save list keeps the first page in slot 1,
// which the next run's load list then offers (labelled with the save's
// time) and loads.
TEST(SaveGameProgramTest, SaveAndLoadThroughTheMenu) {
    testing_support::TempDir dir;
    StoryFolder folder = TwoPages();
    folder.dataset = "[save-captions]\nstory = 冬の日の物語\n";
    story_test::BuildStoryFolder(dir.path(), folder);
    // Down twice: the load list, then the save list; Right enters it, Down
    // takes its first slot, C saves there.
    RunWithCentreKey(dir, 1,
                     "1500 press B\n1600 press DOWN\n1700 press DOWN\n1800 press RIGHT\n"
                     "1900 press DOWN\n2000 press C\n",
                     "1400,2500", dir / "first");
    const std::vector<uint8_t> record = testing_support::ReadHostFile(dir / "save001.dat");
    ASSERT_EQ(record.size(), persist::kSlotRecordSize);
    // The slot carries the story's caption from the data set.
    EXPECT_EQ(std::string(reinterpret_cast<const char*>(record.data()) + 28),
              engine_test::Sjis("冬の日の物語"));
    RunWithCentreKey(dir, 1,
                     "1500 press C\n2500 press B\n2600 press DOWN\n2700 press RIGHT\n"
                     "2800 press DOWN\n2900 press C\n",
                     "2400,3500", dir / "second");
    const golden::Picture saved = ShotAt(dir / "first", 1400);
    EXPECT_EQ(ShotAt(dir / "first", 2500).rgb, saved.rgb);  // the menu put the screen back
    const golden::Picture secondPage = ShotAt(dir / "second", 2400);
    ASSERT_FALSE(saved.rgb.empty());
    EXPECT_NE(secondPage.rgb, saved.rgb);
    EXPECT_EQ(ShotAt(dir / "second", 3500).rgb, saved.rgb);
}

}  // namespace
