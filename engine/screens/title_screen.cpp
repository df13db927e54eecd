#include "engine/screens/title_screen.h"

#include <array>
#include <string>
#include <vector>

#include "engine/screens/screen_support.h"
#include "engine/script/interpreter.h"
#include "engine/sound/music_controller.h"
#include "platform/text_encoding.h"

namespace screens {

namespace {

constexpr int kTimer = 1;
constexpr int kMainStory = 0;  // the title's pictures and music are the main story's
constexpr int kBackgroundImage = 10;
constexpr int kItemSheet = 12;
constexpr int kExtrasSheet = 13;
constexpr int kCanvasImage = 20;
constexpr int kExtrasSprite = 14;  // the extras row, or the open extras panel
constexpr int kExtrasLineSprite = 18;
constexpr int32_t kRowLayer = 56;
constexpr int32_t kPanelLayer = 55;
constexpr int32_t kPanelLineLayer = 54;
constexpr int32_t kHighlightOffset = 80;  // a row's highlighted cell lies this far below
constexpr uint32_t kFadeInMs = 1000;
constexpr uint32_t kStartFadeMs = 1500;
constexpr uint32_t kBonusFadeMs = 1000;
constexpr uint32_t kMusicFadeMs = 1000;

// Sub-states.
enum : int32_t {
    kSubBuild = 0,
    kSubFadeIn = 1,
    kSubMenu = 2,
    kSubStart = 10,
    kSubStoryChoice = 11,
    kSubSecondStory = 12,
    kSubMainStory = 13,
    kSubOpeningMovie = 14,
    kSubAfterSecondStory = 15,
    kSubThirdStory = 16,
    kSubAllEndings = 20,
    kSubHiddenBonus = 30,
    kSubLoadPage = 50,
    kSubScenarioSelect = 60,
    kSubCgGallery = 70,
    kSubMusicGallery = 80,
};

// One row of the item sheet: its sprite, its normal cell and where it shows.
struct Row {
    int32_t item;
    int sprite;
    int32_t sourceX, sourceY, width, height;
    int32_t x, y;
};

constexpr std::array<Row, 6> kRows = {{
    {kItemStart, 12, 0, 0, 312, 40, 0, 344},
    {kItemLoad, 13, 0, 120, 296, 40, 0, 384},
    {kItemExtras, kExtrasSprite, 0, 240, 278, 40, 0, 424},
    {kItemNoAction, 15, 0, 360, 264, 40, 0, 464},
    {kItemQuit, 16, 0, 480, 246, 40, 0, 504},
    {kItemAllEndings, 17, 312, 418, 184, 54, 600, 464},
}};
constexpr int32_t kAllEndingsHighlightY = 530;

// The open extras panel's lines for items 2, 3 and 4: the highlighted
// line's cell in the item sheet and where it shows (also where it is tapped).
struct PanelLine {
    int32_t sourceY, height, x, y;
};
constexpr std::array<PanelLine, 3> kPanelLines = {{
    {0, 36, 192, 368},
    {80, 36, 176, 400},
    {160, 38, 160, 434},
}};
constexpr int32_t kPanelLineSourceX = 312;
constexpr int32_t kPanelLineWidth = 328;
constexpr int32_t kPanelLineTapHeight = 38;

bool InPanel(int32_t item) {
    return item == kItemExtras || (item >= kItemScenarioSelect && item <= kItemMusicGallery);
}

std::string ShiftJis(const char* utf8) {
    std::string text;
    platform::Utf8ToSjis(utf8, &text);
    return text;
}

}  // namespace

TitleScreen::TitleScreen(const core::EngineServices& services, script::Interpreter& story,
                         const ScreenHooks& hooks)
    : services_(services), story_(story), hooks_(hooks), plates_(services) {}

void TitleScreen::RunState() {
    core::GameFlow& flow = services_.flow;
    core::Timers& timers = services_.timers;
    switch (flow.subState) {
        case kSubBuild:
            Build();
            break;
        case kSubFadeIn: {
            const uint32_t elapsed = timers.TimerElapsed(kTimer);
            services_.composition.SetBrightness(RampUp(elapsed, kFadeInMs));
            if (elapsed >= kFadeInMs) flow.subState = kSubMenu;
            break;
        }
        case kSubMenu:
            RunMenu();
            break;
        case kSubStart: {
            const uint32_t elapsed = timers.TimerElapsed(kTimer);
            if (elapsed < kStartFadeMs) {
                services_.composition.SetBrightness(RampDown(elapsed, kStartFadeMs));
                break;
            }
            services_.sound.Music().Stop();
            services_.composition.SetBrightness(256);
            ClearPictures(services_);
            if (FurtherStoriesInstalled(services_)) {
                OfferStories();
            } else {
                flow.subState = kSubOpeningMovie;
            }
            break;
        }
        case kSubStoryChoice:
            RunStoryChoice();
            break;
        case kSubSecondStory:
            LeaveForStory();
            story_.NewGame(1);
            story_.LoadScenarioFile("GameData\\sinario\\1225_a00.MES");
            if (hooks_.refreshMenu) hooks_.refreshMenu();
            break;
        case kSubMainStory:
            StartMainStory(0);
            break;
        case kSubOpeningMovie:
            PlayOpeningMovie();
            break;
        case kSubAfterSecondStory:
            flow.subState = kSubOpeningMovie;
            break;
        case kSubThirdStory:
            LeaveForStory();
            story_.NewGame(2);
            story_.LoadScenarioFile("GameData\\sinario\\00701_00.MES");
            if (hooks_.refreshMenu) hooks_.refreshMenu();
            break;
        case kSubAllEndings:
        case kSubHiddenBonus: {
            const uint32_t elapsed = timers.TimerElapsed(kTimer);
            if (elapsed < kBonusFadeMs) {
                services_.composition.SetBrightness(RampDown(elapsed, kBonusFadeMs));
                break;
            }
            if (flow.subState == kSubAllEndings) {
                // Past the date chain, on the route that ends in the title.
                StartMainStory(25);
                story_.state.eyecatchNumbers[0] = -1;
                story_.vars.variables[script::kRouteVariable] = 9;
                story_.LoadScenarioFile("GameData\\sinario\\all_end.MES");
            } else {
                LeaveForStory();
                story_.NewGame(1);
                story_.LoadScenarioFile("GameData\\sinario\\gakuen_omake.MES");
            }
            if (hooks_.refreshMenu) hooks_.refreshMenu();
            break;
        }
        case kSubLoadPage:
            RunLoadPage();
            break;
        case kSubScenarioSelect:
        case kSubCgGallery:
        case kSubMusicGallery:
            // The next screen builds its own picture.
            ClearPictures(services_);
            flow.GoTo(flow.subState);  // the sub-state is that screen's state
            break;
        default:
            break;
    }
}

void TitleScreen::Build() {
    core::ImageSlots& slots = services_.slots;
    const script::ScriptVariables& vars = story_.vars;
    allEndings_ = true;
    for (int ending = 0; ending < script::kEndingBitCount; ++ending)
        allEndings_ = allEndings_ && vars.GlobalBit(script::kFirstEndingBit + ending);

    slots.LoadImageSlot(
        kBackgroundImage, kMainStory,
        allEndings_ ? "GameData\\system\\TitleBack2b.rbp" : "GameData\\system\\TitleBack1b.rbp",
        gfx::Keying::kUnkeyed);
    slots.LoadImageSlot(
        kItemSheet, kMainStory,
        allEndings_ ? "GameData\\system\\TitleChip03.rbp" : "GameData\\system\\TitleChip01.rbp",
        gfx::Keying::kKeyed);
    slots.LoadImageSlot(
        kExtrasSheet, kMainStory,
        allEndings_ ? "GameData\\system\\TitleChip04.rbp" : "GameData\\system\\TitleChip02.rbp",
        gfx::Keying::kKeyed);
    slots.CreateBlank(kCanvasImage, 800, 600);
    slots.CreateSprite(kBackgroundImage, kBackgroundImage, 0, 0, -1, -1, 0, 0, 0, 0, 64);
    for (const Row& row : kRows) {
        if (row.item == kItemAllEndings && !allEndings_) continue;
        ShowRow(row.item, false);
    }
    PlayScreenMusic(services_, "19.mp3", MusicRepeat::kLoop);
    selection_ = kItemNone;
    previous_ = kItemNone;
    services_.timers.NoteTimer(kTimer);
    services_.composition.SetBrightness(0);
    services_.composition.MarkScreenDirty();
    services_.flow.subState = kSubFadeIn;
}

void TitleScreen::ShowRow(int32_t item, bool highlighted) {
    if (item == kItemAllEndings && !allEndings_) return;
    for (const Row& row : kRows) {
        if (row.item != item) continue;
        int32_t sourceY = row.sourceY;
        if (highlighted) {
            sourceY = item == kItemAllEndings ? kAllEndingsHighlightY : sourceY + kHighlightOffset;
        }
        services_.slots.CreateSprite(row.sprite, kItemSheet, row.sourceX, sourceY, row.width,
                                     row.height, row.x, row.y, 0, 0, kRowLayer);
    }
}

int32_t TitleScreen::ItemAfterKeys(int32_t item) const {
    core::InputState& input = services_.input;
    const int32_t last = allEndings_ ? kItemAllEndings : kItemQuit;
    const int32_t count = last + 1;
    if (TakePress(input.up)) {
        if (item == kItemExtras) item = kItemScenarioSelect;
        // The hidden spot has no row of its own: Up leaves it like no selection.
        if (item <= kItemStart || item > last) return last;
        return item - 1;
    }
    if (TakePress(input.down)) {
        if (item == kItemExtras) item = kItemMusicGallery;
        if (item == kItemNone) return kItemStart;
        return (item + 1) % count;
    }
    return item;
}

int32_t TitleScreen::ItemUnderStylus() const {
    const core::InputState& input = services_.input;
    int32_t item = kItemNone;
    if (StylusIn(input, 0, 344, 304, 40)) item = kItemStart;
    if (StylusIn(input, 0, 384, 288, 40)) item = kItemLoad;
    if (InPanel(selection_)) {
        // The open panel's lines, whichever of its items is shown.
        for (int line = 0; line < 3; ++line) {
            const PanelLine& where = kPanelLines[line];
            if (StylusIn(input, where.x, where.y, kPanelLineWidth, kPanelLineTapHeight))
                item = kItemScenarioSelect + line;
        }
    } else if (StylusIn(input, 0, 424, 272, 40)) {
        item = kItemExtras;
    }
    if (StylusIn(input, 0, 464, 256, 40)) item = kItemNoAction;
    if (StylusIn(input, 0, 504, 240, 40)) item = kItemQuit;
    if (allEndings_ && StylusIn(input, 600, 464, 184, 56)) item = kItemAllEndings;
    if (StylusIn(input, 560, 0, 144, 128)) item = kItemHiddenSpot;
    return item;
}

void TitleScreen::ChangeSelection(int32_t from, int32_t to) {
    core::ImageSlots& slots = services_.slots;
    const bool fromPanel = InPanel(from);
    if (!fromPanel) ShowRow(from, false);
    if (InPanel(to)) {
        slots.CreateSprite(kExtrasSprite, kExtrasSheet, 0, 0, 512, 104, 0, 368, 0, 0, kPanelLayer);
        if (to == kItemExtras) {
            slots.DeleteSprite(kExtrasLineSprite);
        } else {
            const PanelLine& line = kPanelLines[to - kItemScenarioSelect];
            slots.CreateSprite(kExtrasLineSprite, kItemSheet, kPanelLineSourceX, line.sourceY,
                               kPanelLineWidth, line.height, line.x, line.y, 0, 0, kPanelLineLayer);
        }
    } else {
        if (fromPanel) {
            ShowRow(kItemExtras, false);
            slots.DeleteSprite(kExtrasLineSprite);
        }
        ShowRow(to, true);
    }
    services_.composition.MarkScreenDirty();
}

void TitleScreen::RunMenu() {
    core::InputState& input = services_.input;
    int32_t chosen = ItemAfterKeys(selection_);
    if (input.tap) chosen = ItemUnderStylus();
    if (chosen != selection_) {
        ChangeSelection(selection_, chosen);
        previous_ = selection_;
        selection_ = chosen;
    }
    Confirm();
}

void TitleScreen::EnterSub(int32_t sub) {
    services_.flow.subState = sub;
    services_.timers.NoteTimer(kTimer);
    services_.composition.MarkScreenDirty();
}

void TitleScreen::Confirm() {
    core::InputState& input = services_.input;
    if (!input.Confirmed()) return;
    ClearConfirm(input);
    switch (selection_) {
        case kItemStart:
            services_.sound.Music().FadeOut(kMusicFadeMs);
            EnterSub(kSubStart);
            break;
        case kItemLoad:
            EnterSub(kSubLoadPage);
            break;
        case kItemScenarioSelect:
            EnterSub(kSubScenarioSelect);
            break;
        case kItemCgGallery:
            EnterSub(kSubCgGallery);
            break;
        case kItemMusicGallery:
            EnterSub(kSubMusicGallery);
            break;
        case kItemQuit:
            if (hooks_.quit) hooks_.quit();
            break;
        case kItemAllEndings:
            EnterSub(kSubAllEndings);
            break;
        case kItemHiddenSpot:
            if (FurtherStoriesInstalled(services_)) EnterSub(kSubHiddenBonus);
            break;
        default:  // no action, or nothing selected
            break;
    }
}

void TitleScreen::OfferStories() {
    static const std::string kQuestion = ShiftJis("どれから開始しますか？");
    static const std::vector<std::string> kCaptions = {
        ShiftJis("クリスマス編"), ShiftJis("Quevara本編"), ShiftJis("Tamro０章")};
    story_.BuildMessageWindow();
    if (script::MessageWindow* window = story_.Window()) {
        window->Show(true);
        window->ShowNamePlate(kQuestion);
    }
    plates_.Run(kCaptions, true);
    services_.flow.subState = kSubStoryChoice;
}

void TitleScreen::RunStoryChoice() {
    static const std::vector<std::string> kNoCaptions;
    const int picked = plates_.Run(kNoCaptions, false);
    if (picked < 0) return;
    if (script::MessageWindow* window = story_.Window()) window->Show(false);
    story_.RemoveMessageWindow();
    services_.composition.MarkScreenDirty();
    static constexpr int32_t kNext[] = {kSubSecondStory, kSubOpeningMovie, kSubThirdStory};
    services_.flow.subState = kNext[picked];
}

void TitleScreen::PlayOpeningMovie() {
    if (hooks_.playMovie) {
        const int volume = services_.settings.movieVolume * services_.settings.masterVolume / 100;
        if (!hooks_.playMovie("QV_Long2.mov", volume)) hooks_.playMovie("QV_Long.mov", volume);
    }
    services_.flow.subState = kSubMainStory;
}

void TitleScreen::LeaveForStory() {
    services_.sound.Music().Stop();
    ClearPictures(services_);
    story_.state.shownPaths = {};
    services_.composition.SetBrightness(256);
}

void TitleScreen::StartMainStory(int32_t chainIndex) {
    LeaveForStory();
    story_.NewGame(0);
    story_.state.chainStep = 2;
    story_.state.chainIndex = chainIndex;
    if (chainIndex >= script::kDateChainLength) return;  // the caller names the scenario
    // A missing first entry leaves no script, and the story then returns to
    // the title.
    story_.LoadScenarioFile(story_.tables.dateChain[chainIndex]);
    ++story_.state.chainIndex;
    if (hooks_.refreshMenu) hooks_.refreshMenu();
}

void TitleScreen::RunLoadPage() {
    core::InputState& input = services_.input;
    // The menu would take the lifting stylus for a tap outside it.
    if (input.stylusDown && !input.released) return;
    input.tap = false;
    input.released = false;
    if (hooks_.openLoadPage) hooks_.openLoadPage();
    services_.flow.subState = kSubMenu;
}

}  // namespace screens
