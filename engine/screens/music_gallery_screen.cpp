#include "engine/screens/music_gallery_screen.h"

#include "engine/screens/screen_fades.h"
#include "engine/screens/screen_support.h"
#include "engine/script/interpreter.h"
#include "engine/sound/music_controller.h"
#include "formats/sjis.h"

namespace screens {

namespace {

// Images.
constexpr int kBackground = 10;
constexpr int kTitleSheet = 11;      // "MusicTitleChip00": the titles
constexpr int kHighlightSheet = 12;  // "MusicTitleChip01": the titles highlighted
constexpr int kLabelSheet = 13;      // "MusicChip"
constexpr int kButtonSheet = 14;     // "SysChip": buttons and numbers
// Sprites.
constexpr int kFirstButtonSprite = 11;  // 11..14 for items 0..3
constexpr int kFirstTrackSprite = 128;  // two per track
constexpr int kLastTrackSprite = 157;
constexpr int kBackgroundLayer = 60;
constexpr int kButtonLayer = 58;
constexpr int kTrackLayer = 56;

// The second page lists fewer pieces than the first.
constexpr int kPageTrackCount[2] = {15, 12};
constexpr int32_t kTitleWidth = 256;
constexpr int32_t kTitleHeight = 32;
constexpr int32_t kHighlightOffset = 64;

int32_t TrackY(int k) {
    return k < 10 ? 176 + 40 * k : 376 + 40 * (k - 10);
}
int32_t TitleX(int k) {
    return k < 10 ? 96 : 464;
}

struct ButtonCell {
    int sheet;
    int32_t sourceX, sourceY, width;
    int32_t x, y, tapWidth;
};
constexpr ButtonCell kButtons[4] = {
    {kButtonSheet, 48, 192, 48, 552, 184, 40},
    {kButtonSheet, 96, 192, 48, 600, 184, 40},
    {kLabelSheet, 0, 32, 160, 552, 232, 160},
    {kButtonSheet, 0, 160, 120, 592, 280, 120},
};

}  // namespace

void MusicGalleryScreen::RunState() {
    core::GameFlow& flow = services_.flow;
    core::ImageSlots& slots = services_.slots;
    switch (flow.subState) {
        case 0: {
            BeginCrossFade(services_);
            struct Sheet {
                int slot;
                const char* name;
            };
            for (const Sheet& sheet :
                 {Sheet{kBackground, "GameData\\system\\MusicBack.rbp"},
                  Sheet{kTitleSheet, "GameData\\system\\MusicTitleChip00.rbp"},
                  Sheet{kHighlightSheet, "GameData\\system\\MusicTitleChip01.rbp"},
                  Sheet{kLabelSheet, "GameData\\system\\MusicChip.rbp"},
                  Sheet{kButtonSheet, "GameData\\system\\SysChip.rbp"}}) {
                slots.LoadImageSlot(
                    sheet.slot, kFirstStory, sheet.name,
                    sheet.slot == kBackground ? gfx::Keying::kUnkeyed : gfx::Keying::kKeyed);
            }
            slots.CreateSprite(kBackground, kBackground, 0, 0, 800, 600, 0, 0, 0, 0,
                               kBackgroundLayer);
            page_ = 0;
            selection_ = kNone;
            BuildList();
            services_.timers.NoteTimer(kScreenTimer);
            flow.subState = 1;
            break;
        }
        case 1:
            if (StepCrossFade(services_)) flow.subState = 2;
            break;
        case 2:
            Interact();
            return;
        case 10:
            if (StepLeaving(services_)) flow.subState = 11;
            break;
        case 11:
            flow.GoTo(core::kStateTitle);
            return;
        default:
            return;
    }
    services_.composition.MarkScreenDirty();
}

void MusicGalleryScreen::BuildList() {
    core::ImageSlots& slots = services_.slots;
    for (int sprite = kFirstTrackSprite; sprite <= kLastTrackSprite; ++sprite)
        slots.DeleteSprite(sprite);
    for (int item = kFirstPageButton; item <= kLeave; ++item) ShowItem(item, false);
    trackCount_ = kPageTrackCount[page_];
    for (int k = 0; k < trackCount_; ++k) {
        int n = script::kTracksPerPage * page_ + k;
        slots.CreateSprite(kFirstTrackSprite + 2 * k, kButtonSheet, 40 * ((n + 1) % 20),
                           32 * ((n + 1) / 20), 40, 32, TitleX(k) - 48, TrackY(k), 0, 0,
                           kTrackLayer);
        ShowItem(kFirstTrack + k, false);
    }
}

void MusicGalleryScreen::ShowItem(int item, bool highlighted) {
    core::ImageSlots& slots = services_.slots;
    if (item >= kFirstPageButton && item <= kLeave) {
        const ButtonCell& cell = kButtons[item];
        slots.CreateSprite(kFirstButtonSprite + item, cell.sheet, cell.sourceX,
                           cell.sourceY + (highlighted ? kHighlightOffset : 0), cell.width, 32,
                           cell.x, cell.y, 0, 0, kButtonLayer);
    } else if (item >= kFirstTrack && item < kFirstTrack + trackCount_) {
        int k = item - kFirstTrack;
        int n = script::kTracksPerPage * page_ + k;
        slots.CreateSprite(kFirstTrackSprite + 2 * k + 1,
                           highlighted ? kHighlightSheet : kTitleSheet, kTitleWidth * (n / 18),
                           kTitleHeight * (n % 18), kTitleWidth, kTitleHeight, TitleX(k), TrackY(k),
                           0, 0, kTrackLayer);
    }
}

int MusicGalleryScreen::ItemAtTap() const {
    const core::InputState& input = services_.input;
    for (int item = kFirstPageButton; item <= kLeave; ++item) {
        const ButtonCell& cell = kButtons[item];
        if (StylusIn(input, cell.x, cell.y, cell.tapWidth, 32)) return item;
    }
    for (int k = 0; k < trackCount_; ++k) {
        if (StylusIn(input, TitleX(k), TrackY(k), kTitleWidth, kTitleHeight))
            return kFirstTrack + k;
    }
    return kNone;
}

void MusicGalleryScreen::Select(int item) {
    if (item == selection_) return;
    if (selection_ != kNone) ShowItem(selection_, false);
    selection_ = item;
    if (selection_ != kNone) ShowItem(selection_, true);
}

void MusicGalleryScreen::Interact() {
    core::InputState& input = services_.input;
    Select(StepSelection(input, selection_, kFirstTrack + trackCount_));
    if (input.tap) Select(ItemAtTap());
    if (input.Confirmed()) {
        ClearConfirm(input);
        Confirm();
    }
}

void MusicGalleryScreen::Confirm() {
    if (selection_ == kFirstPageButton || selection_ == kFirstPageButton + 1) {
        page_ = 1 - page_;
        selection_ = kNone;
        BuildList();
    } else if (selection_ == kLeave) {
        BeginLeaving(services_);
        services_.flow.subState = 10;
    } else if (selection_ >= kFirstTrack && selection_ < kFirstTrack + trackCount_) {
        const std::string& name =
            story_.tables.tracks[script::kTracksPerPage * page_ + selection_ - kFirstTrack];
        // A gap in the track table plays nothing.
        if (name.empty()) return;
        size_t slash = formats::SjisFindLastBackslash(name);
        std::string_view file = std::string_view(name);
        if (slash != formats::kSjisNotFound) file.remove_prefix(slash + 1);
        // The piece that plays already goes on undisturbed.
        sound::MusicController& music = services_.sound.Music();
        if (music.Playing() && formats::SjisEqualNoCase(music.Name(), file)) return;
        PlayScreenMusic(services_, file, MusicRepeat::kLoop);
    }
}

}  // namespace screens
