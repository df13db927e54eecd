// The message window in process, on the headless backend: typing, page
// waits with the backlog and automatic advance, the name plate, the novel
// page of dialect 2 and its choice list, and what the frame shows.

#include "engine/script/message_window.h"

#include <gtest/gtest.h>

#include <cstdlib>

#include "engine/core/engine.h"
#include "engine/sound/sound_fakes.h"
#include "engine_test_support.h"
#include "formats/mlz_archive.h"
#include "formats/rbp.h"
#include "platform/device_path.h"
#include "platform/glyph_rasterizer.h"
#include "platform/text_encoding.h"
#include "test_support.h"

namespace {

namespace fs = std::filesystem;

using engine_test::Sjis;

// n copies of a UTF-8 character, as Shift-JIS.
std::string Repeat(const char* utf8, int n) {
    std::string one = Sjis(utf8), all;
    for (int i = 0; i < n; ++i) all += one;
    return all;
}

uint16_t Cell(const char* utf8) {
    std::string s = Sjis(utf8);
    return s.size() == 1 ? static_cast<uint8_t>(s[0])
                         : static_cast<uint16_t>(static_cast<uint8_t>(s[0]) |
                                                 (static_cast<uint8_t>(s[1]) << 8));
}

// A landscape picture whose colour comes from its position.
template <typename ColourAt>
std::vector<uint8_t> Picture(int width, int height, ColourAt colourAt) {
    std::vector<uint8_t> file, pixels;
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) {
            auto [red, green, blue] = colourAt(x, y);
            pixels.insert(pixels.end(), {blue, green, red, 255});
        }
    }
    std::string error;
    EXPECT_TRUE(formats::EncodeRbpType13(pixels, width, height,
                                         static_cast<int16_t>(width * 800 / 320),
                                         static_cast<int16_t>(height * 600 / 240), &file, &error))
        << error;
    return file;
}

using Rgb = std::tuple<uint8_t, uint8_t, uint8_t>;

// The window picture: the window (navy) over design rows 0..214, the plate
// row (green), the highlight row (red), the buttons (grey).
Rgb WindowColour(int, int y) {
    if (y < 86) return {0, 0, 200};
    if (y < 102) return {0, 160, 0};
    if (y < 118) return {160, 0, 0};
    return {90, 90, 90};
}

// The wait icon's sheet: each 24-design-pixel cell a colour of its own.
Rgb IconColour(int x, int) {
    int cell = x * 10 / 96;
    return {static_cast<uint8_t>(40 + 25 * cell), static_cast<uint8_t>(250 - 25 * cell), 100};
}

// A 16-bit stereo 22050 Hz WAVE of `ms` of a quiet tone level.
std::vector<uint8_t> Wave(uint32_t ms) {
    return sound_test::MakeWav(2, 22050, 16, std::vector<int16_t>(ms * 22050 / 1000 * 2, 1000));
}

// The program folder the window needs: both image archives and a voice folder.
void BuildWindowData(const fs::path& folder) {
    std::string error;
    formats::MlzArchiveBuilder first, second;
    auto add = [&](formats::MlzArchiveBuilder& builder, const char* name,
                   const std::vector<uint8_t>& file) {
        ASSERT_TRUE(builder.AddEntry(name, file, formats::MlzMethod::kLzss, &error)) << error;
    };
    add(first, "GameData\\system\\MESSWIN3.rbp", Picture(304, 150, WindowColour));
    add(first, "GameData\\system\\KEY_WAIT.rbp", Picture(80, 10, IconColour));
    add(second, "GameData\\system\\MESSWIN3.rbp", Picture(304, 150, WindowColour));
    add(second, "GameData\\char\\back\\black.rbp", Picture(320, 240, [](int, int) {
            return Rgb{0, 0, 0};
        }));
    add(second, "GameData\\system\\KEY_WAIT.rbp", Picture(80, 10, IconColour));
    testing_support::WriteHostFile(folder / "1" / "grpack.mlz", first.Finish());
    testing_support::WriteHostFile(folder / "2" / "grpack.mlz", second.Finish());
    testing_support::WriteHostFile(folder / "voice" / "v" / "ab" / "ab_001.wav", Wave(300));
    testing_support::WriteHostFile(folder / "voice" / "v" / "ab" / "ab_002.wav", Wave(300));
}

constexpr int32_t kOriginX = 12;  // dialects 0 and 1, screen pixels
constexpr int32_t kOriginY = 176;
constexpr int32_t kCharacter = 12;

class WindowTest : public ::testing::Test {
protected:
    void SetUp() override {
        BuildWindowData(dir_.path());
        rig_ = std::make_unique<engine_test::HeadlessEngine>(dir_.path().string() + "/");
        engine_ = &**rig_;
        const std::string folder = platform::HostToDevicePath(dir_.path().string() + "/");
        engine_->dataFolders[core::kLocationVoice0] = folder + "voice\\";
        engine_->LoadImageSlot(64, 0, "GameData\\system\\KEY_WAIT.rbp", gfx::Keying::kKeyed);
        engine_->LoadImageSlot(66, 1, "GameData\\system\\KEY_WAIT.rbp", gfx::Keying::kKeyed);
        ASSERT_EQ(engine_->errorWord, 0u);
        tables_.nameToken = Sjis("主人公");
        tables_.defaultPlayerName = Sjis("ハル");
    }
    void TearDown() override {
        window_.reset();
        rig_.reset();
    }

    void Build(int dialect) {
        window_.reset();
        this->dialect_ = dialect;
        window_ = std::make_unique<script::MessageWindow>(engine_->Services(), dialect, tables_);
        ASSERT_EQ(engine_->errorWord, 0u);
        window_->Show(true);
    }
    void Tick(uint32_t ms = 16) { engine_->clock.Sleep(ms); }
    // Types the whole text one 16 ms tick at a time; the ticks it took.
    int TypeAll(std::string_view text) {
        int ticks = 0;
        int done = window_->ShowMessage(text, true);
        while (!done && ticks < 10000) {
            Tick();
            ++ticks;
            done = window_->ShowMessage(text, false);
        }
        EXPECT_EQ(done, 1);
        return ticks;
    }
    // One tick of the page wait; the keys are released after it, as the
    // next tick's latch would find them.
    int Wait(int record = 4) {
        script::PageWaitContext context;
        context.record = record;
        context.firstRun = firstWait_;
        context.messageRead = messageRead_;
        context.quickSave = [this] { ++quickSaves_; };
        context.quickLoad = [this] { ++quickLoads_; };
        firstWait_ = false;
        int ended = dialect_ == 2 ? window_->PageWaitNovel(context, record == 6 ? 1 : 0)
                                  : window_->PageWait(context);
        if (ended) firstWait_ = true;
        engine_->inputState = core::InputState{};
        return ended;
    }
    // A page typed and ended with C.
    void Page(const std::string& text, const std::string& voice = "") {
        TypeAll(text);
        window_->SetVoicePath(voice);
        ASSERT_EQ(Wait(), 0);
        engine_->inputState.keyC = 1;
        ASSERT_EQ(Wait(), 1);
    }
    void TapAt(int32_t x, int32_t y) {
        engine_->inputState.tap = true;
        engine_->inputState.stylusX = x;
        engine_->inputState.stylusY = y;
    }
    std::array<int, 3> Pixel(int x, int y) {
        const uint8_t* p = engine_->screen.Bits() + (319 - x) * gfx::kScreenRowBytes + y * 3;
        return {p[2], p[1], p[0]};
    }
    const std::vector<gfx::GlyphCell>& Cells() { return window_->Text().cells; }
    // Whether the sprite is drawn: its draw object learns it in the frame's sprite pass.
    bool Shown(int sprite) {
        engine_->RunFrame();
        core::Sprite* s = engine_->SpriteAt(sprite);
        return s != nullptr && s->Object().visible;
    }

    testing_support::TempDir dir_;
    std::unique_ptr<engine_test::HeadlessEngine> rig_;
    core::Engine* engine_ = nullptr;
    script::DataSetTables tables_;
    std::unique_ptr<script::MessageWindow> window_;
    int dialect_ = 0;
    bool firstWait_ = true;
    bool messageRead_ = false;
    int quickSaves_ = 0;
    int quickLoads_ = 0;
};

TEST_F(WindowTest, FootWindowIsBuiltHiddenWithTheTransparencyOfTheSetting) {
    engine_->settings.messageWindowTrans = 0;
    window_ = std::make_unique<script::MessageWindow>(engine_->Services(), 0, tables_);
    gfx::Image* image = engine_->ImageAt(1);
    ASSERT_NE(image, nullptr);
    EXPECT_EQ(image->pixels[image->OffsetOf(100, 40) + 3], 16);    // the window
    EXPECT_EQ(image->pixels[image->OffsetOf(100, 90) + 3], 16);    // the plate row
    EXPECT_EQ(image->pixels[image->OffsetOf(100, 110) + 3], 255);  // the highlight stays
    for (int sprite = 1; sprite <= 6; ++sprite) {
        ASSERT_NE(engine_->SpriteAt(sprite), nullptr) << sprite;
        EXPECT_FALSE(Shown(sprite)) << sprite;
    }
    EXPECT_FALSE(window_->Visible());
    EXPECT_EQ(engine_->SpriteAt(1)->Object().ScreenRect(), (gfx::Rect{8, 153, 312, 238}));
    EXPECT_EQ(engine_->SpriteAt(6)->Layer(), 1);

    window_->Show(true);
    EXPECT_TRUE(window_->Visible());
    EXPECT_TRUE(window_->Text().shown);
    for (int sprite = 1; sprite <= 6; ++sprite) {
        EXPECT_TRUE(Shown(sprite)) << sprite;
    }
    window_.reset();
    for (int sprite = 1; sprite <= 6; ++sprite) EXPECT_EQ(engine_->SpriteAt(sprite), nullptr);
    EXPECT_EQ(engine_->ImageAt(1), nullptr);

    // A new setting reaches the built window at once, and again.
    window_ = std::make_unique<script::MessageWindow>(engine_->Services(), 0, tables_);
    for (auto [setting, alpha] : {std::pair{4, 192}, std::pair{1, 64}}) {
        window_->ApplyTransparency(setting);
        EXPECT_EQ(engine_->ImageAt(1)->pixels[engine_->ImageAt(1)->OffsetOf(100, 40) + 3], alpha);
        EXPECT_EQ(engine_->ImageAt(1)->pixels[engine_->ImageAt(1)->OffsetOf(100, 110) + 3], 255);
    }

    // Setting 4 gives 192; setting 3 (and anything unknown) 128.
    for (auto [setting, alpha] : {std::pair{4, 192}, std::pair{3, 128}, std::pair{9, 128}}) {
        engine_->settings.messageWindowTrans = setting;
        window_.reset();  // one window at a time: the old one takes its slots with it
        window_ = std::make_unique<script::MessageWindow>(engine_->Services(), 1, tables_);
        EXPECT_EQ(engine_->ImageAt(1)->pixels[engine_->ImageAt(1)->OffsetOf(10, 10) + 3], alpha);
    }
}

TEST_F(WindowTest, NovelPageIsOneFullScreenSpriteWithTheSettingsAlpha) {
    for (auto [setting, alpha] :
         {std::pair{0, 0}, std::pair{1, 64}, std::pair{3, 128}, std::pair{4, 192}}) {
        engine_->settings.messageWindowTrans = setting;
        window_.reset();
        window_ = std::make_unique<script::MessageWindow>(engine_->Services(), 2, tables_);
        ASSERT_NE(engine_->SpriteAt(1), nullptr);
        EXPECT_EQ(engine_->SpriteAt(1)->Alpha(), alpha);
        EXPECT_EQ(engine_->SpriteAt(1)->Object().ScreenRect(), (gfx::Rect{0, 0, 320, 240}));
        EXPECT_EQ(engine_->SpriteAt(2), nullptr);
    }
}

TEST_F(WindowTest, TypingTakesTheDelayOfTheMessageSpeedPerCharacter) {
    Build(0);
    const std::string text = Repeat("あ", 10);
    EXPECT_EQ(window_->ShowMessage(text, true), 0);
    EXPECT_TRUE(Cells().empty());  // the first character comes after one delay
    Tick(19);
    EXPECT_EQ(window_->ShowMessage(text, false), 0);
    EXPECT_TRUE(Cells().empty());
    Tick(1);
    window_->ShowMessage(text, false);
    EXPECT_EQ(Cells().size(), 1u);
    Tick(100);  // several characters in one tick when the tick was long
    window_->ShowMessage(text, false);
    EXPECT_EQ(Cells().size(), 6u);

    // Speed 2 doubles the delay.
    window_->ClearPage();
    engine_->settings.messageSpeed = 2;
    window_->ShowMessage(text, true);
    Tick(100);
    window_->ShowMessage(text, false);
    EXPECT_EQ(Cells().size(), 2u);
}

TEST_F(WindowTest, InstantTypingShowsTheWholePageInOneFrame) {
    Build(0);
    const std::string text = Repeat("い", 60);
    engine_->settings.messageSpeed = 0;
    EXPECT_EQ(window_->ShowMessage(text, true), 1);
    EXPECT_EQ(Cells().size(), 60u);

    // The held skip key types at once too, whatever the speed.
    window_->ClearPage();
    engine_->settings.messageSpeed = 3;
    engine_->inputState.left = 5;
    EXPECT_EQ(window_->ShowMessage(text, true), 1);
    engine_->inputState.left = 0;
    window_->ClearPage();
    engine_->settings.skipMode = true;
    EXPECT_EQ(window_->ShowMessage(text, true), 1);
}

TEST_F(WindowTest, HangingCharactersStayOnTheLineTheNextCharacterWraps) {
    Build(0);
    engine_->settings.messageSpeed = 0;
    for (const char* hanging : {"。", "、", "」"}) {
        window_->ClearPage();
        window_->ShowMessage(Repeat("う", 24) + Sjis(hanging) + Sjis("え"), true);
        ASSERT_EQ(Cells().size(), 26u);
        EXPECT_EQ(Cells()[24].character, Cell(hanging));
        EXPECT_EQ(Cells()[24].top, kOriginY) << hanging;
        EXPECT_EQ(Cells()[24].left, kOriginX + 24 * kCharacter) << hanging;
        EXPECT_EQ(Cells()[25].top, kOriginY + kCharacter) << hanging;
        EXPECT_EQ(Cells()[25].left, kOriginX) << hanging;
    }
    // Any other 25th character starts the next line.
    window_->ClearPage();
    window_->ShowMessage(Repeat("う", 24) + Sjis("！"), true);
    ASSERT_EQ(Cells().size(), 25u);
    EXPECT_EQ(Cells()[24].top, kOriginY + kCharacter);
    EXPECT_EQ(Cells()[24].left, kOriginX);
    EXPECT_EQ(Cells()[0].right - Cells()[0].left, kCharacter);
    EXPECT_EQ(Cells()[0].colour, script::kTextWhite);
}

TEST_F(WindowTest, MarksSpacesAndGuillemetsAreNotShownTheNameTokenIsReplaced) {
    Build(0);
    engine_->settings.messageSpeed = 0;
    window_->ShowMessage(Sjis("a b@xc≪d≫") + Sjis("主人公") + "e", true);
    std::vector<uint16_t> shown;
    for (const auto& cell : Cells()) shown.push_back(cell.character);
    EXPECT_EQ(shown, (std::vector<uint16_t>{'a', 'b', 'c', 'd', Cell("ハ"), Cell("ル"), 'e'}));

    // The player's own name wins over the default one.
    engine_->settings.playerName = Sjis("ミナト");
    window_->ClearPage();
    window_->ShowMessage(Sjis("主人公は"), true);
    shown.clear();
    for (const auto& cell : Cells()) shown.push_back(cell.character);
    EXPECT_EQ(shown, (std::vector<uint16_t>{Cell("ミ"), Cell("ナ"), Cell("ト"), Cell("は")}));

    // The name appears at once, before the delay of the character after it.
    window_->ClearPage();
    engine_->settings.messageSpeed = 1;
    EXPECT_EQ(window_->ShowMessage(Sjis("主人公だ"), true), 0);
    EXPECT_EQ(Cells().size(), 3u);

    // "@" at the very end does not swallow the text's end.
    window_->ClearPage();
    engine_->settings.messageSpeed = 0;
    EXPECT_EQ(window_->ShowMessage("ab@", true), 1);
    EXPECT_EQ(Cells().size(), 2u);
}

TEST_F(WindowTest, PageHoldsAtMostTheCellLimit) {
    Build(0);
    engine_->settings.messageSpeed = 0;
    EXPECT_EQ(window_->ShowMessage(Repeat("か", 300), true), 1);
    EXPECT_EQ(Cells().size(), static_cast<size_t>(script::kMaxCells));
    window_->ClearPage();
    EXPECT_TRUE(Cells().empty());
    window_->ShowMessage("x", true);
    EXPECT_EQ(Cells()[0].left, kOriginX);
    EXPECT_EQ(Cells()[0].top, kOriginY);
}

TEST_F(WindowTest, NamePlateIsTypedAtOnceAtItsOwnOrigin) {
    Build(0);
    window_->ShowNamePlate(Sjis("ハル"));
    ASSERT_EQ(Cells().size(), 2u);
    EXPECT_EQ(Cells()[0].left, 8 + 9);  // window 20 → 8, origin 24 → 9
    EXPECT_EQ(Cells()[0].top, 153 + 4);
    // The message still starts at the text origin.
    engine_->settings.messageSpeed = 0;
    window_->ShowMessage("x", true);
    EXPECT_EQ(Cells()[2].left, kOriginX);
    EXPECT_EQ(Cells()[2].top, kOriginY);
}

TEST_F(WindowTest, TapWhileTypingCompletesThePageASecondTapEndsIt) {
    Build(0);
    const std::string text = Repeat("さ", 40);
    window_->ShowMessage(text, true);
    Tick();
    TapAt(100, 100);
    EXPECT_EQ(window_->ShowMessage(text, false), 1);
    EXPECT_EQ(Cells().size(), 40u);
    EXPECT_FALSE(engine_->inputState.tap);  // used up: it does not also end the page

    EXPECT_EQ(Wait(), 0);
    ASSERT_NE(engine_->SpriteAt(256), nullptr);
    Tick();
    TapAt(100, 100);
    EXPECT_EQ(Wait(), 1);
    EXPECT_TRUE(Cells().empty());
    EXPECT_EQ(engine_->SpriteAt(256), nullptr);
    ASSERT_EQ(window_->Backlog().size(), 1u);
    EXPECT_EQ(window_->Backlog()[0].cells.size(), 40u);
    EXPECT_TRUE(window_->Visible());  // record 4 keeps the window
}

TEST_F(WindowTest, RecordEightHidesTheWindowWhenThePageEnds) {
    Build(0);
    TypeAll("abc");
    Wait(8);
    engine_->inputState.right = 1;
    EXPECT_EQ(Wait(8), 1);
    EXPECT_FALSE(window_->Visible());
    EXPECT_FALSE(Shown(1));
}

TEST_F(WindowTest, WaitIconAnimatesInTheCornerRegardlessOfBrightness) {
    Build(0);
    TypeAll("abc");
    Wait();
    core::Sprite* icon = engine_->SpriteAt(256);
    ASSERT_NE(icon, nullptr);
    EXPECT_EQ(icon->Layer(), 1);
    EXPECT_TRUE(icon->Object().flags & gfx::kDrawIgnoreBrightness);
    engine_->SetBrightness(64);
    engine_->RunFrame();
    EXPECT_EQ(icon->Object().ScreenRect(), (gfx::Rect{268, 217, 277, 226}));
    const auto first = Pixel(272, 221);
    EXPECT_EQ(first, (std::array<int, 3>{40, 248, 96}));  // cell 0, at full brightness
    Tick(100);
    engine_->RunFrame();
    EXPECT_EQ(Pixel(272, 221), (std::array<int, 3>{64, 224, 96}));  // cell 1
    for (int cell = 2; cell <= 8; ++cell) {  // eight cells of 100 ms go round
        Tick(100);
        engine_->RunFrame();
    }
    EXPECT_EQ(Pixel(272, 221), first);
}

TEST_F(WindowTest, SkippingEndsReadPagesButReadSkipStopsAtAnUnreadOne) {
    Build(0);
    TypeAll("abc");
    engine_->inputState.left = 3;  // the skip key held
    EXPECT_EQ(Wait(), 1);

    engine_->settings.readSkip = 1;
    engine_->settings.skipMode = true;
    TypeAll("def");
    EXPECT_EQ(Wait(), 0);
    EXPECT_FALSE(engine_->settings.skipMode);  // unread: skipping stops
    engine_->inputState.left = 3;
    EXPECT_EQ(Wait(), 0);

    messageRead_ = true;
    engine_->settings.skipMode = true;
    EXPECT_EQ(Wait(), 1);
}

TEST_F(WindowTest, AutoAdvanceWaitsForTheVoiceThenTheSettingsTime) {
    ASSERT_NE(engine_->mixer, nullptr);
    for (int setting : {1, 3}) {
        SCOPED_TRACE(setting);
        Build(0);
        engine_->settings.messageAuto = setting;
        engine_->settings.messageSpeed = 0;
        TypeAll("abc");
        const std::string& folder = engine_->dataFolders[core::kLocationVoice0];
        ASSERT_EQ(engine_->mixer->LoadEffect(0, "v\\ab\\ab_001.wav", folder, 100), 1);
        engine_->mixer->PlayEffect(0, 0);
        const uint32_t start = engine_->clock.Now();
        uint32_t lastPlaying = start;
        uint32_t ended = 0;
        for (int tick = 0; tick < 200 && ended == 0; ++tick) {
            const bool playing = engine_->mixer->EffectPositionMs(0) >= 0;
            if (playing) lastPlaying = engine_->clock.Now();
            // Ending the page waits for the mixer to let the voice go, so
            // the tick's time is taken before.
            const uint32_t now = engine_->clock.Now();
            if (Wait()) ended = now;
            Tick();
        }
        ASSERT_NE(ended, 0u);
        EXPECT_GT(lastPlaying - start, 250u);  // the voice did play for its length
        // Setting 1 advances in the first tick without the voice; setting 3
        // a second after the voice's last tick.
        const uint32_t expected = setting == 1 ? 16u : 1008u;
        EXPECT_LE(ended - lastPlaying, expected);
        EXPECT_GE(ended - lastPlaying, expected - 16);
        window_.reset();
    }
}

TEST_F(WindowTest, AutoAdvanceWithoutVoiceCountsFromThePageEnd) {
    Build(0);
    engine_->settings.messageAuto = 3;
    TypeAll("abc");
    const uint32_t pageEnd = engine_->clock.Now();
    EXPECT_EQ(Wait(), 0);
    Tick(999);
    EXPECT_EQ(Wait(), 0);
    Tick(1);
    EXPECT_EQ(Wait(), 1);
    EXPECT_EQ(engine_->clock.Now() - pageEnd, 1000u);
}

TEST_F(WindowTest, BacklogPagesUpAndDownAndReplaysTheVoices) {
    Build(0);
    engine_->settings.voicePlay = 2;
    engine_->settings.messageSpeed = 0;
    Page("one", "v\\ab\\ab_001.wav");
    Page("two");
    Page("three", "v\\ab\\ab_002.wav");
    ASSERT_EQ(window_->Backlog().size(), 3u);
    EXPECT_EQ(window_->Backlog()[0].voicePath, "v\\ab\\ab_001.wav");
    EXPECT_TRUE(window_->VoicePath().empty());

    TypeAll("four");
    Wait();
    engine_->inputState.keyA = 1;  // A with pages: the backlog on the newest
    EXPECT_EQ(Wait(), 0);
    const gfx::TextLayer& text = window_->Text();
    ASSERT_TRUE(window_->InBacklog());
    EXPECT_TRUE(text.backlogShown);
    EXPECT_EQ(text.backlogPage, &window_->Backlog()[2].cells);
    EXPECT_EQ(engine_->mixer->EffectName(0), "v\\ab\\ab_002.wav");

    engine_->inputState.up = 1;
    Wait();
    EXPECT_EQ(text.backlogPage, &window_->Backlog()[1].cells);
    EXPECT_EQ(engine_->mixer->EffectName(0), "");  // that page has no voice
    engine_->inputState.up = 1;
    Wait();
    EXPECT_EQ(text.backlogPage, &window_->Backlog()[0].cells);
    EXPECT_EQ(engine_->mixer->EffectName(0), "v\\ab\\ab_001.wav");
    // There is no page before the first: nothing happens, the voice plays on.
    engine_->inputState.up = 1;
    Wait();
    EXPECT_EQ(text.backlogPage, &window_->Backlog()[0].cells);
    EXPECT_EQ(engine_->mixer->EffectName(0), "v\\ab\\ab_001.wav");

    engine_->inputState.down = 1;
    Wait();
    engine_->inputState.down = 1;
    Wait();
    EXPECT_EQ(text.backlogPage, &window_->Backlog()[2].cells);
    engine_->inputState.down = 1;  // past the newest: back to the page
    EXPECT_EQ(Wait(), 0);
    EXPECT_FALSE(window_->InBacklog());
    EXPECT_FALSE(text.backlogShown);
    EXPECT_EQ(engine_->mixer->EffectName(0), "");
    EXPECT_EQ(Cells().size(), 4u);

    // A tap leaves the backlog without ending the page.
    engine_->inputState.keyA = 1;
    Wait();
    TapAt(10, 10);
    EXPECT_EQ(Wait(), 0);
    EXPECT_FALSE(window_->InBacklog());
    EXPECT_EQ(Cells().size(), 4u);
    // A leaves it and hides the window.
    engine_->inputState.keyA = 1;
    Wait();
    engine_->inputState.keyA = 1;
    EXPECT_EQ(Wait(), 0);
    EXPECT_FALSE(window_->InBacklog());
    EXPECT_TRUE(window_->HiddenByReader());
}

TEST_F(WindowTest, VoiceReplayNeedsTheVoiceAndReplaySettings) {
    Build(0);
    engine_->settings.messageSpeed = 0;
    Page("one", "v\\ab\\ab_001.wav");
    TypeAll("two");
    Wait();
    engine_->settings.voicePlay = 1;
    engine_->inputState.keyA = 1;
    Wait();
    ASSERT_TRUE(window_->InBacklog());
    EXPECT_EQ(engine_->mixer->EffectName(0), "");
    engine_->inputState.keyC = 1;
    Wait();
    engine_->settings.voicePlay = 2;
    engine_->settings.messageVoiceReplay = 0;
    engine_->inputState.keyA = 1;
    Wait();
    EXPECT_EQ(engine_->mixer->EffectName(0), "");
}

TEST_F(WindowTest, ReaderHidesTheWindowAndAnyConfirmShowsItAgain) {
    Build(0);
    TypeAll("abc");
    Wait();
    engine_->inputState.keyA = 1;  // no backlog yet: A hides
    EXPECT_EQ(Wait(), 0);
    EXPECT_TRUE(window_->HiddenByReader());
    EXPECT_TRUE(window_->Visible());
    EXPECT_FALSE(window_->Text().shown);
    EXPECT_FALSE(Shown(1));
    EXPECT_FALSE(Shown(256));
    // Typing does not go on while hidden.
    EXPECT_EQ(window_->ShowMessage("more", false), 0);
    EXPECT_EQ(Cells().size(), 3u);

    engine_->inputState.keyC = 1;  // shows it again and does not end the page
    EXPECT_EQ(Wait(), 0);
    EXPECT_FALSE(window_->HiddenByReader());
    EXPECT_TRUE(window_->Text().shown);
    EXPECT_TRUE(Shown(1));
    EXPECT_TRUE(Shown(256));
    EXPECT_EQ(Cells().size(), 3u);
}

TEST_F(WindowTest, CentreKeyDoesWhatItsSettingSays) {
    Build(0);
    engine_->settings.messageSpeed = 0;
    Page("one");
    TypeAll("two");

    engine_->settings.centreKeyControl = 4;
    engine_->inputState.centre = 1;
    Wait();  // not on the first run
    EXPECT_EQ(quickSaves_, 0);
    engine_->inputState.centre = 1;
    EXPECT_EQ(Wait(), 0);
    EXPECT_EQ(quickSaves_, 1);
    engine_->settings.centreKeyControl = 5;
    engine_->inputState.centre = 1;
    Wait();
    EXPECT_EQ(quickLoads_, 1);

    engine_->settings.centreKeyControl = 3;
    engine_->inputState.centre = 1;
    Wait();
    EXPECT_TRUE(window_->InBacklog());
    engine_->inputState.keyC = 1;
    Wait();
    engine_->settings.centreKeyControl = 2;
    engine_->inputState.centre = 1;
    Wait();
    EXPECT_TRUE(window_->HiddenByReader());
}

TEST_F(WindowTest, BacklogRecordingOffKeepsNoPages) {
    Build(0);
    engine_->settings.backlogRecording = false;
    engine_->settings.messageSpeed = 0;
    Page("one");
    EXPECT_TRUE(window_->Backlog().empty());
    // Without pages the centre's backlog setting does nothing.
    TypeAll("two");
    Wait();
    engine_->settings.centreKeyControl = 3;
    engine_->inputState.centre = 1;
    Wait();
    EXPECT_FALSE(window_->InBacklog());
}

TEST_F(WindowTest, NovelPageKeepsItsTextUntilTheClearingWait) {
    Build(2);
    engine_->settings.messageSpeed = 0;
    TypeAll("abc");
    EXPECT_EQ(Cells()[0].left, 9);  // origin 24,32 → 9,12
    EXPECT_EQ(Cells()[0].top, 12);
    Wait(4);
    core::Sprite* icon = engine_->SpriteAt(256);
    ASSERT_NE(icon, nullptr);
    engine_->RunFrame();
    // At the pen, after the third character: screen 9 + 36.
    EXPECT_EQ(icon->Object().ScreenRect().left, 45);
    EXPECT_EQ(icon->Object().ScreenRect().top, 12);
    Tick(500);
    engine_->RunFrame();
    EXPECT_GE(icon->Object().ScreenRect().left, 320);  // blinked off the screen
    Tick(500);
    engine_->RunFrame();
    EXPECT_EQ(icon->Object().ScreenRect().left, 45);

    engine_->inputState.keyC = 1;
    EXPECT_EQ(Wait(4), 1);
    EXPECT_EQ(Cells().size(), 3u);  // kept
    EXPECT_TRUE(window_->Backlog().empty());
    TypeAll("de");
    EXPECT_EQ(Cells()[3].left, 9);  // record 4 went on at the next line
    EXPECT_EQ(Cells()[3].top, 24);

    Wait(6);
    engine_->inputState.keyC = 1;
    EXPECT_EQ(Wait(6), 1);
    EXPECT_TRUE(Cells().empty());
    ASSERT_EQ(window_->Backlog().size(), 1u);
    EXPECT_EQ(window_->Backlog()[0].cells.size(), 5u);
}

TEST_F(WindowTest, NovelChoiceListWrapsColoursAndConfirmsByTap) {
    Build(2);
    engine_->settings.messageSpeed = 0;
    TypeAll("Q?");
    window_->AddChoiceEntry("first", 11);
    window_->AddChoiceEntry("second", 22);
    window_->AddChoiceEntry("third", 33);
    int32_t key = 0;
    EXPECT_EQ(window_->RunChoiceList(true, &key), 0);
    ASSERT_EQ(Cells().size(), 2u + 5 + 6 + 5);
    EXPECT_EQ(Cells()[2].top, 24);  // the entries start on their own line
    EXPECT_EQ(Cells()[2].colour, script::kChoiceNormalColour);
    EXPECT_EQ(Cells()[7].top, 36);

    engine_->inputState.up = 1;  // from none: the last entry
    EXPECT_EQ(window_->RunChoiceList(false, &key), 0);
    EXPECT_EQ(Cells()[13].colour, script::kChoiceSelectedColour);
    EXPECT_EQ(Cells()[2].colour, script::kChoiceNormalColour);
    engine_->inputState.up = 0;
    engine_->inputState.down = 1;  // from the last: the first
    window_->RunChoiceList(false, &key);
    EXPECT_EQ(Cells()[2].colour, script::kChoiceSelectedColour);
    EXPECT_EQ(Cells()[13].colour, script::kChoiceNormalColour);
    engine_->inputState.down = 0;
    engine_->inputState.up = 1;  // from the first: the last
    window_->RunChoiceList(false, &key);
    EXPECT_EQ(Cells()[13].colour, script::kChoiceSelectedColour);
    engine_->inputState.up = 0;

    // A tap beside every entry chooses nothing.
    TapAt(200, 200);
    EXPECT_EQ(window_->RunChoiceList(false, &key), 0);
    EXPECT_EQ(Cells()[13].colour, script::kChoiceNormalColour);
    // A tap on the second entry selects and confirms it.
    TapAt(9 + 20, 36 + 5);
    EXPECT_EQ(window_->RunChoiceList(false, &key), 2);
    EXPECT_EQ(key, 22);
    EXPECT_EQ(Cells().size(), 2u);  // the entries are gone, the question stays
    window_->ShowMessage("x", true);
    EXPECT_EQ(Cells()[2].left, 9 + 24);  // the pen is back after the question
}

TEST_F(WindowTest, TypedPageAppearsInsideTheWindow) {
    Build(0);
    engine_->settings.messageSpeed = 1;
    TypeAll(
        Sjis("春の朝、窓を開けると遠くの丘に白い霧がかかっていた。鳥の声が静かに響き、町はまだ"
             "眠っている。今日は何か新しいことが始まりそうな気がした。"));
    engine_->RunFrame();
    // Bright ink on the first text line, navy window between the lines and
    // nothing but black above the window.
    int ink = 0;
    for (int y = kOriginY; y < kOriginY + kCharacter; ++y) {
        for (int x = kOriginX; x < kOriginX + 24 * kCharacter; ++x) {
            auto p = Pixel(x, y);
            if (p[0] > 200 && p[1] > 200 && p[2] > 200) ++ink;
        }
    }
    EXPECT_GT(ink, 300);
    auto background = Pixel(14, 160);
    EXPECT_EQ(background[0], 0);
    EXPECT_GT(background[2], 40);  // the navy at alpha 96 over black
    EXPECT_LT(background[2], 110);
    for (int x = 0; x < 320; x += 7) EXPECT_EQ(Pixel(x, 100), (std::array<int, 3>{0, 0, 0}));

    if (const char* folder = std::getenv("MIRELO_WINDOW_SHOTS")) {
        platform::GXDisplayProperties properties = platform::GXGetDisplayProperties();
        auto* device = static_cast<uint8_t*>(platform::GXBeginDraw());
        std::string error;
        EXPECT_TRUE(platform::WriteDeviceScreenshot(std::string(folder) + "/typed-page.png", device,
                                                    properties.cbxPitch, properties.cbyPitch,
                                                    &error))
            << error;
        platform::GXEndDraw();
    }
}

}  // namespace
