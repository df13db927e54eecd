#include "engine/screens/scenario_select_screen.h"

#include <algorithm>

#include "engine/screens/screen_fades.h"
#include "engine/screens/screen_support.h"
#include "engine/script/interpreter.h"
#include "formats/format_text.h"

namespace screens {

namespace {

// Images.
constexpr int kBackground = 10;
constexpr int kTabSheet = 11;     // "SinarioChip": tabs and the locked plate
constexpr int kDateSheet = 12;    // "SinaDayChip": one cell per date code
constexpr int kButtonSheet = 13;  // "SysChip": buttons and numbers
constexpr int kFirstTitleSheet = 14;
// Sprites.
constexpr int kFirstButtonSprite = 11;
constexpr int kLeaveSprite = 15;
constexpr int kFirstTabSprite = 16;
constexpr int kLastTabSprite = 22;
constexpr int kFirstDigitSprite = 64;
constexpr int kLastDigitSprite = 68;
constexpr int kFirstEntrySprite = 128;
constexpr int kLastEntrySprite = 147;
constexpr int kBackgroundLayer = 60;
constexpr int kItemLayer = 58;

constexpr int kEntriesPerPage = 10;
// Title cells of 256 x 32 in columns of 18, 54 to a sheet; a highlighted
// title lies three columns to the right of its normal one.
constexpr int kTitlesPerSheet = 54;
constexpr int32_t kTitleWidth = 256;
constexpr int32_t kTitleHeight = 32;
constexpr int32_t kTitleHighlightOffset = 3 * kTitleWidth;
// Tab cells: normal, highlighted and current side by side.
constexpr int32_t kTabHighlightX = 120;
constexpr int32_t kCurrentTabX = 240;
// Cells of the button sheet: a highlighted button lies 64 below its own.
constexpr int32_t kButtonHighlightOffset = 64;

constexpr int32_t kButtonX[4] = {32, 80, 120, 168};
constexpr int32_t kButtonTapWidth[4] = {48, 40, 40, 48};

int32_t EntryX(int i) {
    return 104 + (i / 5) * 344;
}
int32_t EntryY(int i) {
    return 320 + (i % 5) * 40;
}
int32_t TabX(int tab) {
    return 32 + 128 * (tab < 3 ? tab : tab - 3);
}
int32_t TabY(int tab) {
    return tab < 3 ? 136 : 176;
}

}  // namespace

void ScenarioSelectScreen::RunState() {
    core::GameFlow& flow = services_.flow;
    switch (flow.subState) {
        case 0:
        case 30:
            if (flow.subState == 30) {
                // Back from a replay: its window goes with it.
                if (script::MessageWindow* window = story_.Window()) window->Show(false);
                story_.RemoveMessageWindow();
            } else {
                tab_ = 0;
                page_ = 0;
            }
            BeginCrossFade(services_);
            LoadSheets();
            selection_ = kNone;
            BuildPage();
            PlayScreenMusic(services_, "15.mp3", MusicRepeat::kLoop);
            services_.timers.NoteTimer(kScreenTimer);
            flow.subState = flow.subState == 30 ? 31 : 1;
            break;
        case 1:
        case 31:
            if (StepCrossFade(services_)) flow.subState = 2;
            break;
        case 2:
            Interact();
            return;  // the changed sprites mark their own rectangles
        case 10:
        case 20:
            if (StepLeaving(services_)) flow.subState += 1;
            break;
        case 11:
            flow.GoTo(core::kStateTitle);
            break;
        case 21:
            StartReplay();
            break;
        default:
            break;
    }
    services_.composition.MarkScreenDirty();
}

void ScenarioSelectScreen::LoadSheets() {
    core::ImageSlots& slots = services_.slots;
    slots.LoadImageSlot(kBackground, kFirstStory, "GameData\\system\\SinarioBack.rbp",
                        gfx::Keying::kUnkeyed);
    slots.CreateSprite(kBackground, kBackground, 0, 0, 800, 600, 0, 0, 0, 0, kBackgroundLayer);
    slots.LoadImageSlot(kTabSheet, kFirstStory, "GameData\\system\\SinarioChip.rbp",
                        gfx::Keying::kKeyed);
    slots.LoadImageSlot(kDateSheet, kFirstStory, "GameData\\system\\SinaDayChip.rbp",
                        gfx::Keying::kKeyed);
    slots.LoadImageSlot(kButtonSheet, kFirstStory, "GameData\\system\\SysChip.rbp",
                        gfx::Keying::kKeyed);
}

int ScenarioSelectScreen::LastPage() const {
    return story_.tables.sceneTabs[tab_].pageCount - 1;
}

void ScenarioSelectScreen::BuildPage() {
    core::ImageSlots& slots = services_.slots;
    const script::SceneTab& tab = story_.tables.sceneTabs[tab_];
    for (int sprite = kFirstButtonSprite; sprite <= kLastTabSprite; ++sprite)
        slots.DeleteSprite(sprite);
    for (int sprite = kFirstDigitSprite; sprite <= kLastDigitSprite; ++sprite)
        slots.DeleteSprite(sprite);
    for (int sprite = kFirstEntrySprite; sprite <= kLastEntrySprite; ++sprite)
        slots.DeleteSprite(sprite);
    for (int sheet = 0; sheet < script::kSceneMaxPictures; ++sheet)
        slots.FreeImageSlot(kFirstTitleSheet + sheet);
    for (int sheet = 0; sheet < tab.pictureCount; ++sheet) {
        slots.LoadImageSlot(
            kFirstTitleSheet + sheet, kFirstStory,
            formats::FormatText("GameData\\system\\SinaChar%d%d.rbp", {tab_, sheet}),
            gfx::Keying::kKeyed);
    }

    for (int item = kBackFive; item <= kLeave; ++item) ShowItem(item, false);
    for (int t = 0; t < script::kGalleryTabCount; ++t) ShowItem(kFirstTab + t, false);
    // Page number and page count, as number cells of the button sheet.
    auto number = [&](int sprite, int32_t value, int32_t x) {
        slots.CreateSprite(sprite, kButtonSheet, 40 * (value % 20), 32 * (value / 20), 40, 32, x,
                           232, 0, 0, kItemLayer);
    };
    number(kFirstDigitSprite, page_ + 1, 232);
    number(kFirstDigitSprite + 1, tab.pageCount, 288);

    for (int i = 0; i < kEntriesPerPage; ++i) {
        // Pages beyond the table (five forward from a short tab) show no entries.
        int e = kEntriesPerPage * page_ + i;
        if (e >= script::kSceneEntriesPerTab || tab.entries[e].dateCode < 0) {
            entries_[i] = kNoEntry;
            continue;
        }
        const script::SceneEntry& entry = tab.entries[e];
        entries_[i] = story_.ScenarioSeen(entry.name) ? kPlayable : kLocked;
        ShowItem(kFirstEntry + i, false);
        const std::vector<int32_t>& dates = story_.tables.sceneDates;
        auto found = std::find(dates.begin(), dates.end(), entry.dateCode);
        // A code the date list lacks has no cell to show.
        if (found == dates.end()) continue;
        auto k = static_cast<int32_t>(found - dates.begin());
        slots.CreateSprite(kFirstEntrySprite + 2 * i + 1, kDateSheet, (k % 10) * 56, (k / 10) * 24,
                           56, 24, EntryX(i) - 64, EntryY(i), 0, 0, kItemLayer);
    }
    if (selection_ != kNone) ShowItem(selection_, true);
}

void ScenarioSelectScreen::ShowItem(int item, bool highlighted) {
    core::ImageSlots& slots = services_.slots;
    const int32_t lift = highlighted ? kButtonHighlightOffset : 0;
    if (item >= kBackFive && item <= kForwardFive) {
        slots.CreateSprite(kFirstButtonSprite + item, kButtonSheet, 48 * item, 192 + lift, 48, 32,
                           kButtonX[item], 232, 0, 0, kItemLayer);
    } else if (item == kLeave) {
        slots.CreateSprite(kLeaveSprite, kButtonSheet, 0, 160 + lift, 120, 32, 608, 264, 0, 0,
                           kItemLayer);
    } else if (item >= kFirstTab && item < kFirstEntry) {
        int t = item - kFirstTab;
        int32_t cellX = highlighted ? kTabHighlightX : (t == tab_ ? kCurrentTabX : 0);
        slots.CreateSprite(kFirstTabSprite + t, kTabSheet, cellX, 32 * t, 120, 32, TabX(t), TabY(t),
                           0, 0, kItemLayer);
    } else if (item >= kFirstEntry && item < kItemCount) {
        int i = item - kFirstEntry;
        if (entries_[i] == kNoEntry) return;
        int sprite = kFirstEntrySprite + 2 * i;
        if (entries_[i] == kLocked) {
            slots.CreateSprite(sprite, kTabSheet, 0, 224, kTitleWidth, kTitleHeight, EntryX(i),
                               EntryY(i), 0, 0, kItemLayer);
            return;
        }
        int e = kEntriesPerPage * page_ + i;
        // Each sheet holds 54 titles, three columns of 18.
        int m = e % kTitlesPerSheet;
        slots.CreateSprite(sprite, kFirstTitleSheet + e / kTitlesPerSheet,
                           kTitleWidth * (m / 18) + (highlighted ? kTitleHighlightOffset : 0),
                           kTitleHeight * (m % 18), kTitleWidth, kTitleHeight, EntryX(i), EntryY(i),
                           0, 0, kItemLayer);
    }
}

bool ScenarioSelectScreen::Selectable(int item) const {
    return item < kFirstEntry || entries_[item - kFirstEntry] == kPlayable;
}

int ScenarioSelectScreen::ItemAtTap() const {
    const core::InputState& input = services_.input;
    for (int item = kBackFive; item <= kForwardFive; ++item) {
        if (StylusIn(input, kButtonX[item], 232, kButtonTapWidth[item], 32)) return item;
    }
    if (StylusIn(input, 608, 264, 120, 32)) return kLeave;
    for (int t = 0; t < script::kGalleryTabCount; ++t) {
        if (StylusIn(input, TabX(t), TabY(t), 120, 32)) return kFirstTab + t;
    }
    for (int i = 0; i < kEntriesPerPage; ++i) {
        if (entries_[i] == kPlayable &&
            StylusIn(input, EntryX(i), EntryY(i), kTitleWidth, kTitleHeight))
            return kFirstEntry + i;
    }
    return kNone;
}

void ScenarioSelectScreen::Select(int item) {
    if (item == selection_) return;
    if (selection_ != kNone) ShowItem(selection_, false);
    selection_ = item;
    if (selection_ != kNone) ShowItem(selection_, true);
}

void ScenarioSelectScreen::Interact() {
    core::InputState& input = services_.input;
    Select(StepSelection(input, selection_, kItemCount,
                         [this](int item) { return Selectable(item); }));
    if (input.tap) Select(ItemAtTap());
    if (input.Confirmed()) {
        ClearConfirm(input);
        Confirm();
    }
}

void ScenarioSelectScreen::Confirm() {
    const int last = LastPage();
    int page = page_;
    switch (selection_) {
        case kBackFive:
            page = page_ == 0 ? last : std::max(page_ - 5, 0);
            break;
        case kPreviousPage:
            page = page_ == 0 ? last : page_ - 1;
            break;
        case kNextPage:
            // From a page past the last one (five forward on a short tab)
            // too, so that paging on cannot leave the tab's pages for good.
            page = page_ >= last ? 0 : page_ + 1;
            break;
        case kForwardFive:
            page = page_ == last ? 0 : (page_ < 5 ? page_ + 5 : last);
            break;
        case kLeave:
            BeginLeaving(services_);
            services_.flow.subState = 10;
            return;
        case kNone:
            return;
        default:
            if (selection_ < kFirstEntry) {
                int t = selection_ - kFirstTab;
                if (t == tab_) return;
                tab_ = t;
                page_ = 0;
                BuildPage();
            } else if (entries_[selection_ - kFirstEntry] == kPlayable) {
                BeginLeaving(services_);
                services_.flow.subState = 20;
            }
            return;
    }
    page_ = page;
    BuildPage();
}

void ScenarioSelectScreen::StartReplay() {
    int e = kEntriesPerPage * page_ + selection_ - kFirstEntry;
    if (selection_ < kFirstEntry || e >= script::kSceneEntriesPerTab) return;
    const script::SceneEntry& entry = story_.tables.sceneTabs[tab_].entries[e];
    // Refreshed while this state still runs: a replay offers no saving.
    if (hooks_.refreshMenu) hooks_.refreshMenu();
    // The fade left the screen dark; the scenario draws on a bright one.
    services_.composition.SetBrightness(256);
    story_.NewGame(0);
    // The last replay's pictures were cleared away with the screen; the
    // story must not take them as still shown.
    story_.state.shownPaths = {};
    story_.LoadScenarioFile(formats::FormatText("GameData\\sinario\\%s", {entry.name}));
    story_.state.fromScenarioSelect = true;
}

}  // namespace screens
