// The interpreter's run loop and records, in process on the headless backend.

#include "engine/script/interpreter.h"

#include <gtest/gtest.h>

#include <set>

#include "engine/sound/mp3_test_data.h"
#include "engine/sound/sound_fakes.h"
#include "story_fixture.h"

namespace {

using formats::MesOp;
using story_test::ScriptBuilder;
using story_test::StoryEngine;
using story_test::StoryFolder;

// Global bit n is bit n mod 8 of byte n / 8, as the save files store it.
bool BitOf(const script::ScriptVariables& vars, int bit) {
    return (vars.globalBits[bit / 8] >> (bit % 8)) & 1;
}

void SetBitOf(script::ScriptVariables& vars, int bit) {
    vars.globalBits[bit / 8] |= static_cast<uint8_t>(1u << (bit % 8));
}

StoryFolder Main(const ScriptBuilder& script) {
    StoryFolder folder;
    folder.scenarios1["main"] = script.Bytes();
    return folder;
}

StoryFolder Second(const ScriptBuilder& script) {
    StoryFolder folder;
    folder.scenarios2["main"] = script.Bytes();
    return folder;
}

// Labels, flags and jumps run on within one tick; the record that waits ends it.
TEST(InterpreterTest, ControlRecordsRunOnWithinOneTick) {
    ScriptBuilder s(0);
    s.Op(MesOp::kSetFlag, {1, 3}).Op(MesOp::kJump, {7}).Op(MesOp::kSetFlag, {1, 4}).Label(7);
    size_t halt = s.Position();
    s.Raw({200}).Op(MesOp::kSetFlag, {1, 5});
    StoryEngine story(Main(s));
    ASSERT_TRUE(story.Story().StartScenario(0, "main"));
    story.Story().RunScript();
    const script::ScriptVariables& vars = story.Story().vars;
    EXPECT_EQ(vars.Flag(3, 3), 1);  // dialect 0 shifts rows by 2
    EXPECT_EQ(vars.Flag(3, 4), 0);  // jumped over
    EXPECT_EQ(story.Story().state.pc, halt);
    // An opcode above 127 holds the script there for good, tick after tick.
    for (int i = 0; i < 5; ++i) story.Story().RunScript();
    EXPECT_EQ(story.Story().state.pc, halt);
    EXPECT_EQ(story.Story().state.recordTicks, 6);
    EXPECT_EQ(vars.Flag(3, 5), 0);
}

// A jump to a key the script lacks keeps the position; recordTicks counts on.
// A jump back to the running record starts its count again.
TEST(InterpreterTest, JumpsToMissingKeysStayAndJumpsRestartTheCount) {
    ScriptBuilder s(1);
    s.Label(1).Op(MesOp::kTestVar, {0, 3, 1}).Op(MesOp::kJump, {99});
    StoryEngine story(Second(s));
    ASSERT_TRUE(story.Story().StartScenario(1, "main"));
    // variables[0] = 0 < 3: TestVar advances to the missing jump and stays.
    story.Story().RunScript();
    size_t stuck = story.Story().state.pc;
    story.Story().RunScript();
    EXPECT_EQ(story.Story().state.pc, stuck);
    EXPECT_EQ(story.Story().state.recordTicks, 2);
    // Equal is not less: TestVar jumps to label 1 and then loops through it,
    // which the per-tick limit cuts off without hanging.
    story.Story().vars.variables[0] = 3;
    story.Story().state.pc = ScriptBuilder(1).Label(1).Position();
    story.Story().RunScript();
    EXPECT_EQ(story.Story().state.recordTicks, 0);
}

// Labels are the dialect's own opcode: a dialect-0 label in a dialect-1
// script is no label.
TEST(InterpreterTest, LabelsBelongToTheirDialect) {
    ScriptBuilder s(1);
    s.Op(MesOp::kJump, {5}).Raw({22, '#', 'A', 'D', 'R', 5, 0, 0, 0}).Op(MesOp::kSetFlag, {0, 1});
    StoryEngine story(Second(s));
    ASSERT_TRUE(story.Story().StartScenario(1, "main"));
    EXPECT_TRUE(story.Story().state.labels.empty());
    story.Story().RunScript();
    EXPECT_EQ(story.Story().vars.Flag(0, 1), 0);
}

// Bits and variables: key 40 of TestBit never jumps while text cutting is
// off; RouteDecision lets the earliest of equal variables win.
TEST(InterpreterTest, BitsVariablesAndTheRouteDecision) {
    ScriptBuilder s(0);
    s.Op(MesOp::kSetBit, {5})
        .Op(MesOp::kTestBit, {5, 40})
        .Op(MesOp::kAddVar, {1, 9})
        .Op(MesOp::kSubVar, {1, 2})
        .Op(MesOp::kRouteDecision)
        .Raw({200})
        .Label(40)
        .Op(MesOp::kSetFlag, {0, 0})
        .Raw({200});
    StoryEngine story(Main(s));
    ASSERT_TRUE(story.Story().StartScenario(0, "main"));
    story.Story().RunScript();
    const script::ScriptVariables& vars = story.Story().vars;
    EXPECT_TRUE(vars.GlobalBit(5 + 1024));
    EXPECT_EQ(vars.Flag(2, 0), 0);  // no jump to 40
    EXPECT_EQ(vars.variables[3], 7);
    // Variable 1 (of 0, 1, 2, 3, 10) is the largest: row 1 gets column 11.
    EXPECT_EQ(vars.Flag(3, 11), 1);
    EXPECT_EQ(vars.Flag(2, 11), 0);

    ScriptBuilder equal(0);
    equal.Op(MesOp::kRouteDecision).Raw({200});
    StoryEngine tie(Main(equal));
    ASSERT_TRUE(tie.Story().StartScenario(0, "main"));
    tie.Story().RunScript();
    EXPECT_EQ(tie.Story().vars.Flag(2, 11), 1);  // all equal: row 0
}

// TestFlag and TestBit jump to their label when the flag or bit is set and
// pass on when it is not; dialect 0 reads flag rows shifted by 2 and bits by
// 1024. A TestBit for key 40 only jumps while the text-cut setting is on.
TEST(InterpreterTest, FlagAndBitTestsJumpWhenSet) {
    struct Case {
        int dialect;
        MesOp op;
        int32_t key;
        int flagRow;  // the flag (row, 7) or global bit set beforehand, as stored
        int bit;
        int32_t textCut;
        bool jumps;
    };
    const std::vector<Case> cases = {
        {0, MesOp::kTestFlag, 12, 4 + 2, -1, 0, true},
        {0, MesOp::kTestFlag, 12, 4, -1, 0, false},
        {1, MesOp::kTestFlag, 12, 4, -1, 0, true},
        {1, MesOp::kTestFlag, 12, 4 + 2, -1, 0, false},
        {2, MesOp::kTestFlag, 12, 4, -1, 0, true},
        {2, MesOp::kTestFlag, 12, -1, -1, 0, false},
        {0, MesOp::kTestBit, 12, -1, 5 + 1024, 0, true},
        {0, MesOp::kTestBit, 12, -1, 5, 0, false},
        {1, MesOp::kTestBit, 12, -1, 5, 0, true},
        {1, MesOp::kTestBit, 12, -1, 5 + 1024, 0, false},
        {2, MesOp::kTestBit, 12, -1, 5, 0, true},
        {2, MesOp::kTestBit, 12, -1, -1, 0, false},
        // Key 40: the bit alone is not enough while text cutting is off.
        {0, MesOp::kTestBit, 40, -1, 5 + 1024, 0, false},
        {0, MesOp::kTestBit, 40, -1, 5 + 1024, 1, true},
        {1, MesOp::kTestBit, 40, -1, 5, 0, false},
        {1, MesOp::kTestBit, 40, -1, 5, 1, true},
        {2, MesOp::kTestBit, 40, -1, -1, 1, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE("case " + std::to_string(&c - cases.data()));
        ScriptBuilder s(c.dialect);
        if (c.op == MesOp::kTestFlag) {
            s.Op(MesOp::kTestFlag, {4, 7, c.key});
        } else {
            s.Op(MesOp::kTestBit, {5, c.key});
        }
        // Passing on sets flag (0, 1), the jump flag (0, 2).
        s.Op(MesOp::kSetFlag, {0, 1})
            .Raw({200})
            .Label(c.key)
            .Op(MesOp::kSetFlag, {0, 2})
            .Raw({200});
        StoryFolder folder;
        (c.dialect == 0 ? folder.scenarios1 : folder.scenarios2)["main"] = s.Bytes();
        StoryEngine story(folder);
        script::Interpreter& interpreter = story.Story();
        ASSERT_TRUE(interpreter.StartScenario(c.dialect, "main"));
        if (c.flagRow >= 0) interpreter.vars.SetFlag(c.flagRow, 7, 1);
        if (c.bit >= 0) SetBitOf(interpreter.vars, c.bit);
        story.Engine().settings.textCutMode = c.textCut;
        interpreter.RunScript();
        const int row = c.dialect == 0 ? 2 : 0;
        EXPECT_EQ(interpreter.vars.Flag(row, 2), c.jumps ? 1 : 0);
        EXPECT_EQ(interpreter.vars.Flag(row, 1), c.jumps ? 0 : 1);
    }
}

// A message number marks the message before it read in its scenario; the
// end of a scenario, by a load or by its end, marks its last message. Numbers
// beyond the 512 a scenario records are never read.
TEST(InterpreterTest, MessageNumbersMarkTheShownMessagesRead) {
    ScriptBuilder main(0);
    main.Op(MesOp::kMessageNumber, {3})
        .Op(MesOp::kMessageNumber, {600})
        .Op(MesOp::kMessageNumber, {7})
        .Raw({200});
    const size_t load = main.Position();
    main.Named(MesOp::kLoadScenario, "next");
    ScriptBuilder next(0);
    next.Op(MesOp::kMessageNumber, {2}).Op(MesOp::kEndScenario);
    StoryFolder folder;
    folder.scenarios1["main"] = main.Bytes();
    folder.scenarios1["next"] = next.Bytes();
    StoryEngine story(folder);
    script::Interpreter& interpreter = story.Story();
    const script::ReadFlags& read = interpreter.readFlags;
    const std::string mainPath = "GameData\\sinario\\main.MES";
    const std::string nextPath = "GameData\\sinario\\next.MES";
    ASSERT_TRUE(interpreter.StartScenario(0, "main"));
    interpreter.RunScript();
    EXPECT_EQ(interpreter.state.messageNumber, 7);
    EXPECT_TRUE(read.IsRead(mainPath, 0));  // the number before the first one
    EXPECT_TRUE(read.IsRead(mainPath, 3));
    EXPECT_FALSE(read.IsRead(mainPath, 600));
    EXPECT_FALSE(read.IsRead(mainPath, 7));  // still on screen
    EXPECT_FALSE(read.IsRead(nextPath, 3));

    interpreter.state.pc = load;
    interpreter.RunScript();
    EXPECT_TRUE(read.IsRead(mainPath, 7));
    ASSERT_EQ(interpreter.state.scenarioPath, nextPath);
    EXPECT_EQ(interpreter.state.messageNumber, 0);

    interpreter.state.eyecatchNumbers = {9, 9, 0};  // no date chain
    interpreter.vars.variables[script::kRouteVariable] = 5;
    interpreter.RunScript();
    ASSERT_EQ(story.Engine().flow.gameState, core::kStateEndingPictures);
    EXPECT_TRUE(read.IsRead(nextPath, 2));
    EXPECT_FALSE(read.IsRead(mainPath, 2));
}

// Background and Character mark the picture changed; Commit then ends the
// tick with the whole screen dirty, and the next tick goes on.
TEST(InterpreterTest, CommitEndsTheTickAfterAPictureChange) {
    ScriptBuilder s(1);
    s.Named(MesOp::kBackground, "back\\day")
        .Op(MesOp::kCharacter, {1}, "girl")
        .Op(MesOp::kCommit)
        .Op(MesOp::kSetFlag, {0, 2})
        .Raw({200});
    StoryEngine story(Second(s));
    ASSERT_TRUE(story.Story().StartScenario(1, "main"));
    story.Frame();
    EXPECT_EQ(story.Story().vars.Flag(0, 2), 0);
    ASSERT_NE(story.Engine().SpriteAt(script::kBackgroundSlot), nullptr);
    ASSERT_NE(story.Engine().SpriteAt(script::kCharacterSlot), nullptr);
    // The character stands centred: 300 design pixels wide at x = 250.
    EXPECT_EQ(story.ScreenPixel(160, 120), (std::array<int, 3>{248, 200, 200}));
    EXPECT_EQ(story.ScreenPixel(10, 120), (std::array<int, 3>{56, 120, 216}));
    story.Frame();
    EXPECT_EQ(story.Story().vars.Flag(0, 2), 1);
}

// With the effect setting off a character fade completes in the tick that
// changed the picture; HideCharacter before a BackgroundFade makes no
// transition of its own.
TEST(InterpreterTest, TransitionsFollowTheEffectSetting) {
    ScriptBuilder s(1);
    s.Op(MesOp::kCharacterFade, {1}, "girl").Op(MesOp::kSetFlag, {0, 1}).Raw({200});
    StoryEngine off(Second(s));
    ASSERT_TRUE(off.Story().StartScenario(1, "main"));
    off.Engine().settings.effectUse = 0;
    off.Frame();
    EXPECT_EQ(off.Story().state.pc,
              ScriptBuilder(1).Op(MesOp::kCharacterFade, {1}, "girl").Position());
    EXPECT_NE(off.Engine().SpriteAt(script::kCharacterSlot), nullptr);

    StoryEngine on(Second(s));
    ASSERT_TRUE(on.Story().StartScenario(1, "main"));
    on.Frame();
    EXPECT_EQ(on.Story().vars.Flag(0, 1), 0);
    EXPECT_NE(on.Engine().SpriteAt(script::kCaptureSlot), nullptr);
    on.Frames(35);  // 560 ms: the 500 ms fade is over
    EXPECT_EQ(on.Story().vars.Flag(0, 1), 1);
    EXPECT_EQ(on.Engine().SpriteAt(script::kCaptureSlot), nullptr);

    ScriptBuilder hide(1);
    hide.Op(MesOp::kCharacter, {1}, "girl")
        .Op(MesOp::kHideCharacter)
        .Named(MesOp::kBackgroundFade, "back\\night")
        .Raw({200});
    StoryEngine before(Second(hide));
    ASSERT_TRUE(before.Story().StartScenario(1, "main"));
    before.Frame();
    // HideCharacter passed on at once; BackgroundFade's first run ends the tick.
    EXPECT_EQ(
        before.Story().state.pc,
        ScriptBuilder(1).Op(MesOp::kCharacter, {1}, "girl").Op(MesOp::kHideCharacter).Position());
    EXPECT_EQ(before.Engine().SpriteAt(script::kCaptureSlot), nullptr);
}

// The shake shows +8, -8, +8, -8 for just over 50 ms each: four frames of
// 16 ms per swing.
TEST(InterpreterTest, QuakeSwingsEveryFourFrames) {
    ScriptBuilder s(1);
    s.Op(MesOp::kQuake).Raw({200});
    StoryEngine story(Second(s));
    ASSERT_TRUE(story.Story().StartScenario(1, "main"));
    std::vector<int32_t> offsets;
    for (int i = 0; i < 18; ++i) {
        story.Frame();
        offsets.push_back(story.Engine().ShakeX());
    }
    std::vector<int32_t> expected = {8, 8, 8, 8, -8, -8, -8, -8, 8, 8, 8, 8, -8, -8, -8, -8, 0, 0};
    EXPECT_EQ(offsets, expected);
}

// Where a finished story goes, in each dialect. Dialect 0 (off the date
// chain) follows its route variable and records reached endings in global
// bits 2032..2035; dialect 1 goes to the title menu's sub-state 15 unless its
// bonus scenario ended; dialect 2 goes to its epilogue when one of its flags
// asks for it. Every other end is the return to the title. EndScenario also
// ends the tick.
TEST(InterpreterTest, EndScenarioGoesWhereTheDialectAndRouteSay) {
    constexpr int32_t kTitle = -1;  // the return to the title (state 0)
    struct Case {
        int dialect;
        const char* scenario;
        int32_t route;
        std::vector<std::pair<int, int>> flags;  // (row, column) as stored
        int32_t state;
        int32_t subState;
        std::set<int> endingBits;
        int32_t routeAfter;
        bool fromScenarioSelect = false;
    };
    const std::vector<Case> cases = {
        // Route 0: the highest dialect-0 row k with column 12 set makes route k + 1.
        {0, "main", 0, {}, core::kStateStaffRoll, 0, {}, 0},
        {0, "main", 0, {{1 + 2, 12}, {3 + 2, 12}}, core::kStateStaffRoll, 0, {}, 4},
        {0, "main", 0, {{3, 12}}, core::kStateStaffRoll, 0, {}, 2},
        // Route 1 needs flag (0, 0) of dialect 0's rows, which start at row 2.
        {0, "main", 1, {{2, 0}}, core::kStateEndingPictures, 0, {2032}, 1},
        {0, "main", 1, {{0, 0}}, kTitle, 0, {}, 1},
        {0, "main", 1, {}, kTitle, 0, {}, 1},
        {0, "main", 2, {}, core::kStateEndingPictures, 0, {2033}, 2},
        {0, "main", 3, {}, core::kStateEndingPictures, 0, {2034}, 3},
        {0, "main", 4, {}, core::kStateEndingPictures, 0, {2035}, 4},
        {0, "main", 5, {}, core::kStateEndingPictures, 0, {}, 5},
        {0, "main", 6, {}, core::kStateEndingPictures, 0, {}, 6},
        {0, "main", 7, {}, core::kStateEndingPictures, 0, {}, 7},
        {0, "main", 8, {}, core::kStateEndingPictures, 0, {}, 8},
        {0, "main", 9, {}, kTitle, 0, {}, 9},
        // A replay from the scenario select goes back there, whatever the route.
        {0, "main", 2, {}, core::kStateScenarioSelect, 30, {}, 2, true},
        {1, "main", 0, {}, core::kStateTitle, 15, {}, 0},
        {1, "gakuen_omake", 0, {}, kTitle, 0, {}, 0},
        {2, "main", 0, {}, kTitle, 0, {}, 0},
        {2, "main", 0, {{2, 1}}, core::kStateEpilogue, 0, {}, 0},
        {2, "main", 0, {{2, 2}}, core::kStateEpilogue, 0, {}, 0},
        {2, "main", 0, {{2, 3}, {1, 1}}, kTitle, 0, {}, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE("dialect " + std::to_string(c.dialect) + " " + c.scenario + " route " +
                     std::to_string(c.route) + " case " + std::to_string(&c - cases.data()));
        ScriptBuilder s(c.dialect);
        s.Op(MesOp::kEndScenario).Op(MesOp::kSetFlag, {5, 9}).Raw({200});
        StoryFolder folder;
        (c.dialect == 0 ? folder.scenarios1 : folder.scenarios2)[c.scenario] = s.Bytes();
        StoryEngine story(folder);
        core::Engine& engine = story.Engine();
        script::Interpreter& interpreter = story.Story();
        ASSERT_TRUE(interpreter.StartScenario(c.dialect, c.scenario));
        interpreter.state.eyecatchNumbers = {9, 9, 0};  // no date chain
        interpreter.vars.variables[script::kRouteVariable] = c.route;
        interpreter.state.fromScenarioSelect = c.fromScenarioSelect;
        for (auto [row, column] : c.flags) interpreter.vars.SetFlag(row, column, 1);
        // A scene on screen, music playing and the screen dimmed.
        ASSERT_TRUE(engine.LoadImageSlot(script::kBackgroundSlot, c.dialect,
                                         "GameData\\char\\back\\day.rbp", gfx::Keying::kUnkeyed));
        engine.CreateSprite(script::kBackgroundSlot, script::kBackgroundSlot, 0, 0, 800, 600, 0, 0,
                            0, 0, 32);
        engine.music->Play("song.mp3", "", 100, 0, 1);
        ASSERT_TRUE(engine.music->Playing());
        engine.SetBrightness(128);
        engine.flow.gameState = core::kStateScript;
        engine.flow.subState = 7;

        story.Frame();
        EXPECT_EQ(engine.errorWord, 0u);
        EXPECT_EQ(interpreter.vars.Flag(c.dialect == 0 ? 5 + 2 : 5, 9), 0);  // the tick ended
        EXPECT_EQ(interpreter.vars.variables[script::kRouteVariable], c.routeAfter);
        for (int bit = 2032; bit <= 2035; ++bit) {
            EXPECT_EQ(BitOf(interpreter.vars, bit), c.endingBits.count(bit) == 1) << bit;
        }
        const bool scenePutAway = c.state == kTitle || c.dialect == 1;
        if (c.state == kTitle) {
            EXPECT_EQ(engine.flow.gameState, core::kStateLogo);
            EXPECT_EQ(engine.flow.scriptDialect, 0);
            EXPECT_FALSE(interpreter.state.loaded);
            EXPECT_TRUE(interpreter.state.scenarioPath.empty());
        } else {
            EXPECT_EQ(engine.flow.gameState, c.state);
        }
        EXPECT_EQ(engine.flow.subState, c.subState);
        if (scenePutAway) {
            // The title and dialect 1's end put the scene away: window,
            // pictures and music gone, full brightness.
            EXPECT_EQ(interpreter.Window(), nullptr);
            EXPECT_EQ(engine.SpriteAt(script::kBackgroundSlot), nullptr);
            EXPECT_EQ(engine.ImageAt(script::kBackgroundSlot), nullptr);
            EXPECT_FALSE(engine.music->Playing());
            EXPECT_EQ(engine.Brightness(), 256);
        }
    }
}

// A scenario that cannot be read ends the game safely at the title.
TEST(InterpreterTest, MissingScenarioReturnsToTheTitle) {
    ScriptBuilder s(1);
    s.Named(MesOp::kLoadScenario, "nowhere");
    StoryEngine story(Second(s));
    ASSERT_TRUE(story.Story().StartScenario(1, "main"));
    story.Engine().flow.gameState = core::kStateScript;
    story.Frame();
    EXPECT_FALSE(story.Story().state.loaded);
    story.Frame();
    EXPECT_EQ(story.Engine().flow.gameState, core::kStateLogo);
    EXPECT_EQ(story.Story().Window(), nullptr);
}

// A record longer than the line buffer stops the script there; the game
// keeps running.
TEST(InterpreterTest, OverlongRecordStopsTheScriptSafely) {
    ScriptBuilder s(1);
    std::vector<uint8_t> longRecord(20000, 'x');
    longRecord[0] = static_cast<uint8_t>(formats::EncodeMesOpcode(1, MesOp::kNop));
    s.Op(MesOp::kSetFlag, {0, 1}).Raw(longRecord).Op(MesOp::kSetFlag, {0, 2});
    StoryEngine story(Second(s));
    ASSERT_TRUE(story.Story().StartScenario(1, "main"));
    story.Engine().flow.gameState = core::kStateScript;
    story.Frames(3);
    EXPECT_EQ(story.Story().vars.Flag(0, 1), 1);
    EXPECT_EQ(story.Story().vars.Flag(0, 2), 0);
    EXPECT_EQ(story.Engine().flow.gameState, core::kStateScript);
}

// Every opcode value of every dialect, as a record with plausible operands
// (and again with extreme ones) followed by a halt, run for a few frames with
// C pressed: the halting values stay on their record, every other operation
// runs without harm, and the game stays in a known state.
TEST(InterpreterTest, EveryOpcodeOfEveryDialectRunsSafely) {
    const std::set<int32_t> knownStates = {
        core::kStateLogo,         core::kStateTitle,          core::kStateDate,
        core::kStateMap,          core::kStateStaffRoll,      core::kStateEndingPictures,
        core::kStateEpilogue,     core::kStateScenarioSelect, core::kStateCgGallery,
        core::kStateMusicGallery, core::kStateScript};
    // Records that load a picture by the name they hold: the names these
    // operands make are absent, and the failed load is reported; no other
    // record raises an error.
    const std::set<MesOp> loadsPictures = {MesOp::kBackground,     MesOp::kCharacter,
                                           MesOp::kCharacterFade,  MesOp::kCharacterPairFade,
                                           MesOp::kBackgroundFade, MesOp::kScrollBelow,
                                           MesOp::kScrollAbove,    MesOp::kPanSetup};
    // A jump to a key the script lacks keeps its record; a choice with no
    // captions never gets picked.
    const std::set<MesOp> stay = {MesOp::kHalt, MesOp::kJump, MesOp::kChoiceSelect};
    // The story ends: a finished scenario or one that cannot be loaded.
    const std::set<MesOp> leave = {MesOp::kEndScenario, MesOp::kLoadScenario};
    constexpr int kFrames = 8;
    for (int pass = 0; pass < 6; ++pass) {
        const int dialect = pass % 3;
        const std::vector<int32_t> operands = pass < 3
                                                  ? std::vector<int32_t>{1, 2, 3}
                                                  : std::vector<int32_t>{INT32_MIN, INT32_MAX, -1};
        StoryFolder folder;
        size_t haltAt = 0;
        for (int value = 0; value < 256; ++value) {
            std::vector<uint8_t> record = {static_cast<uint8_t>(value)};
            for (int32_t operand : operands) {
                for (int i = 0; i < 4; ++i) {
                    record.push_back(
                        static_cast<uint8_t>(static_cast<uint32_t>(operand) >> (8 * i)));
                }
            }
            record.insert(record.end(), {'b', 'a', 'c', 'k', '\\', 'd', 'a', 'y'});
            ScriptBuilder s(dialect);
            haltAt = s.Raw(record).Position();
            s.Raw({255});
            (dialect == 0 ? folder.scenarios1 : folder.scenarios2)["op" + std::to_string(value)] =
                s.Bytes();
        }
        StoryEngine story(folder);
        core::Engine& engine = story.Engine();
        script::Interpreter& interpreter = story.Story();
        for (int value = 0; value < 256; ++value) {
            SCOPED_TRACE("dialect " + std::to_string(dialect) + " opcode " + std::to_string(value));
            ASSERT_TRUE(interpreter.StartScenario(dialect, "op" + std::to_string(value)));
            // Each record starts from cleared variables, flags and bits.
            interpreter.vars = script::ScriptVariables{};
            engine.flow.gameState = core::kStateScript;
            engine.errorWord = 0;
            const MesOp op = formats::DecodeMesOpcode(dialect, static_cast<uint8_t>(value));
            uint32_t errors = 0;
            int frames = 0;
            for (; frames < kFrames && engine.flow.gameState == core::kStateScript; ++frames) {
                engine.inputState.keyC = 1;
                story.Frame(400);
                SCOPED_TRACE("frame " + std::to_string(frames));
                errors |= engine.errorWord;
                engine.errorWord = 0;
                EXPECT_EQ(knownStates.count(engine.flow.gameState), 1u) << engine.flow.gameState;
                // While the story runs, it is on one of the script's two records.
                if (engine.flow.gameState == core::kStateScript && interpreter.state.loaded) {
                    EXPECT_TRUE(interpreter.state.pc == 0 || interpreter.state.pc == haltAt)
                        << interpreter.state.pc;
                }
            }
            EXPECT_EQ(errors, loadsPictures.count(op) ? core::kErrorImageLoad : 0u);
            if (leave.count(op)) {
                EXPECT_NE(engine.flow.gameState, core::kStateScript);
            } else {
                EXPECT_EQ(engine.flow.gameState, core::kStateScript);
                EXPECT_EQ(interpreter.state.pc, stay.count(op) ? 0u : haltAt);
            }
            // A halting record runs again every tick without moving on.
            if (op == MesOp::kHalt) {
                EXPECT_EQ(interpreter.state.recordTicks, kFrames);
            }
            interpreter.ReturnToTitle();
        }
    }
}

// Music by table id: dialect 0 takes entry id - 1 of its row, dialects 1 and
// 2 count 32 - id from the row start (id 1 is the row's last name). With
// the music setting on, the named music really plays from the dialect's
// music folder.
TEST(InterpreterTest, MusicPlaysTheTableEntryOfItsDialect) {
    testing_support::EnvironmentVariable modules("MIRELO_MODULE_PATH", MIRELO_MODULE_DIR);
    script::DataSetTables tables;
    tables.music[0][0] = "bgm\\first.mp3";
    tables.music[1][31] = "bgm\\last.mp3";
    ScriptBuilder s0(0);
    s0.Op(MesOp::kMusicPlay, {1, 0}).Raw({200});
    ScriptBuilder s1(1);
    s1.Op(MesOp::kMusicPlay, {1, 1}).Raw({200});
    StoryFolder folder;
    folder.scenarios1["main"] = s0.Bytes();
    folder.scenarios2["main"] = s1.Bytes();
    mp3_test::Tone tone;
    tone.sampleRate = 22050;
    tone.seconds = 2;
    folder.files2["last.mp3"] = mp3_test::EncodeTone(tone, 64);

    StoryEngine main(folder, tables);
    ASSERT_TRUE(main.Story().StartScenario(0, "main"));
    main.Story().RunScript();
    EXPECT_EQ(main.Engine().music->Name(), "first.mp3");

    StoryEngine second(folder, tables);
    core::Engine& engine = second.Engine();
    engine.settings.pcm = 2;
    engine.music->SetMode(engine.mixer.get(), 2);
    ASSERT_TRUE(second.Story().StartScenario(1, "main"));
    engine.flow.gameState = core::kStateScript;
    second.Frames(30, 33);
    EXPECT_EQ(engine.music->Name(), "last.mp3");
    EXPECT_GT(engine.mixer->MusicPositionMs(), 500);
}

// Effects and voices through the mixer. Nothing starts while skipping
// (skip mode or the held skip key), except that dialect 0's read-skip still
// voices a message not read yet. Dialect 0 plays effects and voices only with
// SE_PLAY / VOICE_PLAY above 1 and indexes its effect row by the id itself;
// dialect 1 takes id - 1 and has no setting gate; dialect 2 has no effect
// record at all (its opcode 62 is a no-op). Each dialect reads its own folders.
TEST(InterpreterTest, EffectsAndVoicesStartOnlyWhereTheirGatesAllow) {
    testing_support::EnvironmentVariable modules("MIRELO_MODULE_PATH", MIRELO_MODULE_DIR);
    script::DataSetTables tables;
    tables.effects[0][2] = "se02.wav";
    tables.effects[0][3] = "se03.wav";
    tables.effects[1][2] = "seb.wav";
    tables.effects[1][3] = "sec.wav";
    StoryFolder folder;
    const std::vector<uint8_t> wave =
        sound_test::MakeWav(2, 22050, 16, std::vector<int16_t>(44100, 900));
    folder.files1["se02.wav"] = wave;
    folder.files1["se03.wav"] = wave;
    folder.files2["seb.wav"] = wave;
    folder.files2["sec.wav"] = wave;
    mp3_test::Tone tone;
    tone.sampleRate = 22050;
    tone.seconds = 0.5;
    const std::vector<uint8_t> voice = mp3_test::EncodeTone(tone, 32);
    folder.voices1["v\\abc\\abc_012.mp3"] = voice;
    folder.voices1["v\\abc\\abc_013.mp3"] = voice;
    folder.voices2["v\\b001.mp3"] = voice;
    // Each script plays one sound as message 5 of its scenario.
    auto script = [](int dialect, MesOp op, std::vector<int32_t> operands, std::string name) {
        ScriptBuilder s(dialect);
        s.Op(MesOp::kMessageNumber, {5}).Op(op, std::move(operands), std::move(name)).Raw({200});
        return s.Bytes();
    };
    folder.scenarios1["effect"] = script(0, MesOp::kEffectPlay, {3, 0}, "");
    folder.scenarios1["voice"] = script(0, MesOp::kVoicePlay, {}, "v\\abc_012.wav");
    folder.scenarios1["sub"] = script(0, MesOp::kSubVoicePlay, {}, "v\\abc_013.wav");
    folder.scenarios2["effect"] = script(1, MesOp::kEffectPlay, {3, 0}, "");
    folder.scenarios2["voice"] = script(1, MesOp::kVoicePlay, {}, "v\\b001.wav");
    ScriptBuilder novelEffect(2);
    novelEffect.Raw({62, 3, 0, 0, 0, 0, 0, 0, 0}).Raw({200});
    folder.scenarios2["novel"] = novelEffect.Bytes();

    enum Skip { kNone, kMode, kKey };
    struct Case {
        int dialect;
        const char* scenario;
        int32_t sePlay;
        int32_t voicePlay;
        Skip skip;
        bool readSkip;
        bool messageRead;
        int slot;          // where the sound plays
        const char* name;  // what plays there; "" for nothing
    };
    const std::vector<Case> cases = {
        {0, "effect", 2, 1, kNone, false, false, 2, "se03.wav"},
        {0, "effect", 1, 2, kNone, false, false, 2, ""},
        {0, "effect", 2, 1, kMode, false, false, 2, ""},
        {0, "effect", 2, 1, kKey, false, false, 2, ""},
        {0, "effect", 2, 1, kMode, true, false, 2, ""},  // read-skip is for voices only
        {1, "effect", 0, 0, kNone, false, false, 1, "seb.wav"},
        {1, "effect", 2, 2, kMode, false, false, 1, ""},
        {1, "effect", 2, 2, kKey, false, false, 1, ""},
        {2, "novel", 2, 2, kNone, false, false, 1, ""},
        {0, "voice", 1, 2, kNone, false, false, 0, "v\\abc\\abc_012.mp3"},
        {0, "voice", 1, 1, kNone, false, false, 0, ""},
        {0, "voice", 1, 2, kMode, false, false, 0, ""},
        {0, "voice", 1, 2, kMode, true, false, 0, "v\\abc\\abc_012.mp3"},
        {0, "voice", 1, 2, kKey, true, false, 0, "v\\abc\\abc_012.mp3"},
        {0, "voice", 1, 2, kMode, true, true, 0, ""},
        {0, "voice", 1, 1, kMode, true, false, 0, ""},
        {0, "sub", 1, 2, kNone, false, false, 1, "v\\abc\\abc_013.mp3"},
        {0, "sub", 1, 1, kNone, false, false, 1, ""},
        {0, "sub", 1, 2, kKey, false, false, 1, ""},
        {0, "sub", 1, 2, kMode, true, false, 1, "v\\abc\\abc_013.mp3"},
        {0, "sub", 1, 2, kMode, true, true, 1, ""},
        {1, "voice", 1, 0, kNone, false, false, 0, "v\\b001.mp3"},
        {1, "voice", 1, 2, kMode, false, false, 0, ""},
        {2, "voice", 1, 0, kNone, false, false, 0, "v\\b001.mp3"},
        {2, "voice", 1, 2, kKey, false, false, 0, ""},
    };
    StoryEngine story(folder, tables);
    core::Engine& engine = story.Engine();
    script::Interpreter& interpreter = story.Story();
    ASSERT_NE(engine.mixer, nullptr);
    for (const Case& c : cases) {
        SCOPED_TRACE("case " + std::to_string(&c - cases.data()) + ": dialect " +
                     std::to_string(c.dialect) + " " + c.scenario);
        engine.mixer->StopAll();
        engine.settings = core::Settings{};
        ASSERT_TRUE(interpreter.StartScenario(c.dialect, c.scenario));
        engine.settings.sePlay = c.sePlay;
        engine.settings.voicePlay = c.voicePlay;
        engine.settings.readSkip = c.readSkip ? 1 : 0;
        engine.settings.skipMode = c.skip == kMode;
        engine.inputState = core::InputState{};
        engine.inputState.left = c.skip == kKey ? 1 : 0;
        interpreter.readFlags = script::ReadFlags{};
        if (c.messageRead) interpreter.readFlags.MarkRead(interpreter.state.scenarioPath, 5);
        interpreter.RunScript();
        for (int slot = 0; slot <= 2; ++slot) {
            EXPECT_EQ(engine.mixer->EffectName(slot), slot == c.slot ? c.name : "") << slot;
        }
        // Dialect 0 keeps the page's voice for replay, played or not; the
        // second voice is not kept.
        if (c.dialect == 0 && interpreter.Window() != nullptr) {
            EXPECT_EQ(interpreter.Window()->VoicePath(),
                      std::string(c.scenario) == "voice" ? "v\\abc\\abc_012.mp3" : "");
        }
    }
}

// The first story's date chain: two map visits, then the date screen for a
// day with a story, or straight on to the next day's story for one without.
TEST(InterpreterTest, EndScenarioWalksTheDateChain) {
    script::DataSetTables tables;
    tables.dateChain[1] = "GameData\\sinario\\day2.MES";
    ScriptBuilder end(0);
    end.Op(MesOp::kEndScenario);
    ScriptBuilder day2(0);
    day2.Op(MesOp::kSetFlag, {0, 1}).Raw({200});
    StoryFolder folder;
    folder.scenarios1["main"] = end.Bytes();
    folder.scenarios1["day2"] = day2.Bytes();
    StoryEngine story(folder, tables);
    script::Interpreter& s = story.Story();
    ASSERT_TRUE(s.StartScenario(0, "main"));
    s.state.eyecatchNumbers = {2, 0, 0};
    auto endAgain = [&] {
        s.state.pc = 0;
        story.Engine().flow.gameState = core::kStateScript;
        s.RunScript();
    };
    endAgain();
    EXPECT_EQ(story.Engine().flow.gameState, core::kStateMap);
    endAgain();
    EXPECT_EQ(story.Engine().flow.gameState, core::kStateMap);
    EXPECT_EQ(s.state.chainStep, 2);
    // Entry 0 is empty: day 1's story (entry 1) loads at once.
    endAgain();
    EXPECT_EQ(story.Engine().flow.gameState, core::kStateScript);
    EXPECT_EQ(s.state.scenarioPath, "GameData\\sinario\\day2.MES");
    EXPECT_EQ(s.state.chainIndex, 2);
    EXPECT_EQ(s.state.chainStep, 0);
    s.RunScript();
    EXPECT_EQ(s.vars.Flag(2, 1), 1);

    // A day with a story goes through the date screen first.
    StoryEngine dated(folder, tables);
    ASSERT_TRUE(dated.Story().StartScenario(0, "main"));
    dated.Story().state.eyecatchNumbers = {2, 0, 0};
    dated.Story().state.chainIndex = 1;
    dated.Story().state.chainStep = 2;
    dated.Story().RunScript();
    EXPECT_EQ(dated.Engine().flow.gameState, core::kStateDate);
    EXPECT_EQ(dated.Story().state.chainStep, 3);
    dated.Story().state.pc = 0;
    dated.Story().RunScript();
    EXPECT_EQ(dated.Story().state.scenarioPath, "GameData\\sinario\\day2.MES");
    EXPECT_EQ(dated.Story().state.chainIndex, 2);
}

}  // namespace
