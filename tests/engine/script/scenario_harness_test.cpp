// A story played end to end by the mirelo program on the headless backend:
// pictures, a name plate, typed text, a voice, a page wait and a choice by
// keys, checked against reference pictures and the recorded sound.

#include <gtest/gtest.h>

#include <cmath>
#include <filesystem>

#include "engine/sound/mp3_test_data.h"
#include "formats/wave_file.h"
#include "golden_picture.h"
#include "story_fixture.h"

namespace {

namespace fs = std::filesystem;
using formats::MesOp;
using story_test::ScriptBuilder;

golden::Picture Shot(const fs::path& folder, int ms) {
    char name[32];
    std::snprintf(name, sizeof name, "shot-%06d.png", ms);
    golden::Picture picture;
    EXPECT_TRUE(golden::ReadPng((folder / name).string(), &picture)) << name;
    return picture;
}

// A name plate record: its opcode and the name as a text operand.
std::vector<uint8_t> NamePlate(const std::string& utf8) {
    ScriptBuilder text(1);
    text.Text(utf8);
    std::vector<uint8_t> record = text.Bytes();
    record.resize(record.size() - 2);  // Raw adds the terminator
    record[0] = static_cast<uint8_t>(formats::EncodeMesOpcode(1, MesOp::kNamePlate));
    return record;
}

TEST(ScenarioHarnessTest, PlaysAStoryWithTextVoiceAndAChoice) {
    ScriptBuilder script(1);
    script.Named(MesOp::kBackground, "back\\day")
        .Op(MesOp::kCharacter, {1}, "girl")
        .Op(MesOp::kCommit)
        .Raw(NamePlate("ハルト"))
        .Named(MesOp::kVoicePlay, "v001")
        .Text("こんにちは、せかい。")
        .Op(MesOp::kPageWait)
        .Op(MesOp::kChoiceBegin)
        .Op(MesOp::kChoiceTarget, {10})
        .Text("みぎ")
        .Op(MesOp::kChoiceTarget, {20})
        .Text("ひだり")
        .Op(MesOp::kChoiceSelect)
        .Label(10)
        .Op(MesOp::kSetFlag, {0, 10})
        .Text("みぎをえらんだ。")
        .Op(MesOp::kPageWait)
        .Raw({200})
        .Label(20)
        .Text("ひだりをえらんだ。")
        .Op(MesOp::kPageWait)
        .Raw({200});

    story_test::StoryFolder content;
    content.scenarios2["main"] = script.Bytes();
    mp3_test::Tone tone;
    tone.sampleRate = 22050;
    tone.channels = 1;
    tone.seconds = 0.5;
    tone.leftHz = 660;
    content.voices2["v001.mp3"] = mp3_test::EncodeTone(tone, 32);
    testing_support::TempDir dir;
    story_test::BuildStoryFolder(dir.path(), content);
    testing_support::WriteHostFile(dir / "input.txt", std::string("1500 press C\n"
                                                                  "2500 press DOWN\n"
                                                                  "2700 press C\n"));
    fs::path shots = dir / "shots";
    fs::create_directories(shots);
    testing_support::CommandResult run = testing_support::RunCommand(
        testing_support::MireloCommand() + " --headless --data '" + dir.path().string() +
        "' --until 4000 --scenario main --dialect 1 --input '" + (dir / "input.txt").string() +
        "' --shot-at 1000,2300,2600,3800 --shots '" + shots.string() + "' --audio-out '" +
        (dir / "audio.wav").string() + "'");
    ASSERT_EQ(run.exitCode, 0) << run.output;

    // The first page typed over the picture; the choice plates; the first
    // plate highlighted; the chosen branch's page.
    EXPECT_EQ(golden::Compare(Shot(shots, 1000), "story-page"), "");
    EXPECT_EQ(golden::Compare(Shot(shots, 2300), "story-choice"), "");
    EXPECT_EQ(golden::Compare(Shot(shots, 2600), "story-choice-selected"), "");
    EXPECT_EQ(golden::Compare(Shot(shots, 3800), "story-branch"), "");

    // The voice sounds from the start of the page, then silence. (Its MP3 is
    // decoded by the real decoder module beside the program.)
    formats::ByteVector wav = testing_support::ReadHostFile(dir / "audio.wav");
    formats::WaveInfo info;
    ASSERT_EQ(formats::ParseWaveFile(wav, &info), 1);
    const int16_t* samples = reinterpret_cast<const int16_t*>(wav.data() + info.dataOffset);
    size_t frames = info.dataSize / 4;
    auto level = [&](double from, double to) {
        double sum = 0;
        size_t begin = static_cast<size_t>(from * 22050),
               end = std::min(frames, size_t(to * 22050));
        for (size_t i = begin; i < end; ++i) sum += std::abs(samples[2 * i]);
        return end > begin ? sum / (end - begin) : 0.0;
    };
    // Heard three device buffers (0.28 s) after it starts, for its 0.5 s.
    EXPECT_LT(level(0.0, 0.2), 10);
    EXPECT_GT(level(0.4, 0.7), 3000);
    EXPECT_LT(level(2.0, 3.0), 10);
}

// Runs mirelo on a folder and returns the shots folder.
fs::path RunStory(const testing_support::TempDir& dir, int dialect, const std::string& input,
                  const std::string& shotTimes, uint32_t until) {
    testing_support::WriteHostFile(dir / "input.txt", input);
    fs::path shots = dir / "shots";
    fs::create_directories(shots);
    testing_support::CommandResult run = testing_support::RunCommand(
        testing_support::MireloCommand() + " --headless --data '" + dir.path().string() +
        "' --until " + std::to_string(until) + " --scenario main --dialect " +
        std::to_string(dialect) + " --input '" + (dir / "input.txt").string() + "' --shot-at " +
        shotTimes + " --shots '" + shots.string() + "'");
    EXPECT_EQ(run.exitCode, 0) << run.output;
    return shots;
}

// Dialect 0: a background fades in with its place name, a character stands
// in it, and a page that hides the window when it ends. The first story
// plays with only its own folder installed: its window, voices and effects
// come from there.
TEST(ScenarioHarnessTest, MainStoryFadesInABackgroundWithItsPlaceName) {
    ScriptBuilder script(0);
    script.Named(MesOp::kBackgroundFade, "back\\day")
        .Op(MesOp::kCharacterFade, {1}, "girl")
        .Text("あさのまち。")
        .Op(MesOp::kPageWait)
        .Text("つぎのページ。")
        .Raw({8})  // the page wait that also hides the window
        .Op(MesOp::kSetFlag, {0, 1})
        .Raw({200});
    story_test::StoryFolder content;
    content.scenarios1["main"] = script.Bytes();
    content.dataset = "[place-names]\n3 = GameData\\char\\back\\day.rbp\n";
    testing_support::TempDir dir;
    story_test::BuildStoryFolder(dir.path(), content);
    fs::remove_all(dir.path() / "2");
    fs::path shots = RunStory(dir, 0, "2500 press C\n3000 press C\n", "400,2000,3500", 4000);
    // Half-way through the background's fade; the page with the caption;
    // the window hidden after the second page.
    EXPECT_EQ(golden::Compare(Shot(shots, 400), "story0-fade"), "");
    EXPECT_EQ(golden::Compare(Shot(shots, 2000), "story0-page"), "");
    EXPECT_EQ(golden::Compare(Shot(shots, 3500), "story0-hidden"), "");
}

// Dialect 2: the novel page keeps its text across a page wait, and its
// choices are lines of the page, picked by a tap.
TEST(ScenarioHarnessTest, NovelPageKeepsItsTextAndOffersChoicesAsLines) {
    ScriptBuilder script(2);
    script.Named(MesOp::kBackground, "back\\night")
        .Op(MesOp::kCommit)
        .Text("よるのまち。")
        .Op(MesOp::kPageWait)
        .Text("どこへいこう。")
        .Op(MesOp::kChoiceBegin)
        .Op(MesOp::kChoiceTarget, {1})
        .Text("えきへ")
        .Op(MesOp::kChoiceTarget, {2})
        .Text("うみへ")
        .Op(MesOp::kChoiceSelect)
        .Label(1)
        .Text("えきへいった。")
        .Op(MesOp::kPageWaitClear)
        .Raw({200})
        .Label(2)
        .Text("うみへいった。")
        .Op(MesOp::kPageWaitClear)
        .Raw({200});
    story_test::StoryFolder content;
    content.scenarios2["main"] = script.Bytes();
    testing_support::TempDir dir;
    story_test::BuildStoryFolder(dir.path(), content);
    // A tap on the second entry, the page's fourth line (about 53 pixels
    // down on the 320 x 240 screen), picks it at once.
    fs::path shots = RunStory(dir, 2, "800 press C\n2000 tap 30 53\n", "700,1500,2600", 3000);
    EXPECT_EQ(golden::Compare(Shot(shots, 700), "story2-page"), "");
    EXPECT_EQ(golden::Compare(Shot(shots, 1500), "story2-choices"), "");
    EXPECT_EQ(golden::Compare(Shot(shots, 2600), "story2-chosen"), "");
}

// The command line: --scenario needs --dialect (and the reverse), a dialect
// outside 0..2 is refused, and a scenario the archive lacks stops the start
// with a message.
TEST(ScenarioHarnessTest, ScenarioOptionsAreCheckedAndAMissingScenarioIsReported) {
    testing_support::TempDir dir;
    story_test::BuildStoryFolder(dir.path(), {});
    std::string base = testing_support::MireloCommand() + " --headless --data '" +
                       dir.path().string() + "' --until 500";
    for (const char* args : {" --scenario main", " --dialect 1", " --scenario main --dialect 3"}) {
        testing_support::CommandResult result = testing_support::RunCommand(base + args);
        EXPECT_EQ(result.exitCode, 2) << args << result.output;
    }
    testing_support::CommandResult missing =
        testing_support::RunCommand(base + " --scenario nowhere --dialect 1");
    EXPECT_EQ(missing.exitCode, 1) << missing.output;
    EXPECT_NE(missing.output.find("nowhere"), std::string::npos) << missing.output;

    // A malformed tables file stops the start, naming the file and line.
    testing_support::WriteHostFile(dir / "dataset.txt", std::string("[music 0]\n99 = x.mp3\n"));
    testing_support::CommandResult tables = testing_support::RunCommand(base);
    EXPECT_EQ(tables.exitCode, 1) << tables.output;
    EXPECT_NE(tables.output.find("dataset.txt:2:"), std::string::npos) << tables.output;
}

}  // namespace
