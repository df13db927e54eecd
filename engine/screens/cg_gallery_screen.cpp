#include "engine/screens/cg_gallery_screen.h"

#include <algorithm>

#include "engine/screens/screen_fades.h"
#include "engine/screens/screen_support.h"
#include "engine/script/interpreter.h"
#include "formats/format_text.h"

namespace screens {

namespace {

// Images.
constexpr int kBackground = 10;
constexpr int kTabSheet = 11;     // "CgModeChip": tabs and the locked thumbnail
constexpr int kButtonSheet = 12;  // "SysChip"
constexpr int kThumbnailSheet = 13;
constexpr int kHighlightSheet = 14;  // the thumbnails highlighted
constexpr int kPicture = 15;
// Sprites.
constexpr int kFirstButtonSprite = 11;  // 11, 12 the page buttons, 13 leave
constexpr int kFirstTabSprite = 14;     // 14..20
constexpr int kPictureSprite = 21;
constexpr int kFirstThumbnailSprite = 128;
constexpr int kBackgroundLayer = 60;
constexpr int kItemLayer = 58;
constexpr int kPictureLayer = 16;

constexpr int32_t kThumbnailWidth = 96;
constexpr int32_t kThumbnailHeight = 72;
constexpr int32_t kTabHighlightOffset = 200;
constexpr int32_t kButtonHighlightOffset = 64;

int32_t TabX(int tab) {
    return tab % 2 == 0 ? 56 : 120;
}
int32_t TabY(int tab) {
    return 248 + 40 * tab;
}
int32_t ThumbnailX(int i) {
    return 400 + (i % 3) * 104;
}
int32_t ThumbnailY(int i) {
    return 184 + (i / 3) * 80;
}

}  // namespace

void CgGalleryScreen::RunState() {
    core::GameFlow& flow = services_.flow;
    core::ImageSlots& slots = services_.slots;
    switch (flow.subState) {
        case 0:
            BeginCrossFade(services_);
            slots.LoadImageSlot(kBackground, kFirstStory, "GameData\\system\\CgModeBack.rbp",
                                gfx::Keying::kUnkeyed);
            slots.CreateSprite(kBackground, kBackground, 0, 0, 800, 600, 0, 0, 0, 0,
                               kBackgroundLayer);
            slots.LoadImageSlot(kTabSheet, kFirstStory, "GameData\\system\\CgModeChip.rbp",
                                gfx::Keying::kKeyed);
            slots.LoadImageSlot(kButtonSheet, kFirstStory, "GameData\\system\\SysChip.rbp",
                                gfx::Keying::kKeyed);
            selection_ = kNone;
            tab_ = 0;
            page_ = 0;
            BuildPage();
            PlayScreenMusic(services_, "09.mp3", MusicRepeat::kLoop);
            services_.timers.NoteTimer(kScreenTimer);
            flow.subState = 1;
            break;
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
        case 20:
            ShowNextPicture();
            return;
        case 21:
            if (services_.input.Confirmed()) {
                ClearConfirm(services_.input);
                flow.subState = 20;
            }
            return;
        default:
            return;
    }
    services_.composition.MarkScreenDirty();
}

void CgGalleryScreen::BuildPage() {
    core::ImageSlots& slots = services_.slots;
    for (int sprite = kFirstButtonSprite; sprite < kPictureSprite; ++sprite)
        slots.DeleteSprite(sprite);
    for (int i = 0; i < kThumbnailsPerPage; ++i) slots.DeleteSprite(kFirstThumbnailSprite + i);
    slots.FreeImageSlot(kThumbnailSheet);
    slots.FreeImageSlot(kHighlightSheet);
    slots.LoadImageSlot(kThumbnailSheet, kFirstStory,
                        formats::FormatText("GameData\\system\\CgChip0%d.rbp", {tab_}),
                        gfx::Keying::kKeyed);
    slots.LoadImageSlot(kHighlightSheet, kFirstStory,
                        formats::FormatText("GameData\\system\\CgChip1%d.rbp", {tab_}),
                        gfx::Keying::kKeyed);
    for (int item = kFirstPageButton; item < kFirstThumbnail; ++item) ShowItem(item, false);

    // The page's thumbnails run up to the highest one the table names; one
    // it skips shows as locked.
    for (auto& list : pictures_) list.clear();
    thumbnailCount_ = 0;
    const int first = kThumbnailsPerPage * page_;
    for (const script::CgPicture& picture : story_.tables.cgTabs[tab_].pictures) {
        int i = picture.thumbnail - first;
        if (i < 0 || i >= kThumbnailsPerPage) continue;
        thumbnailCount_ = std::max(thumbnailCount_, i + 1);
        if (pictures_[i].size() < kPicturesPerThumbnail && story_.ImageSeen(picture.name))
            pictures_[i].push_back(picture.name);
    }
    for (int i = 0; i < thumbnailCount_; ++i) ShowItem(kFirstThumbnail + i, false);
    if (selection_ != kNone) ShowItem(selection_, true);
}

void CgGalleryScreen::ShowItem(int item, bool highlighted) {
    core::ImageSlots& slots = services_.slots;
    const int32_t lift = highlighted ? kButtonHighlightOffset : 0;
    if (item == kFirstPageButton || item == kFirstPageButton + 1) {
        slots.CreateSprite(kFirstButtonSprite + item, kButtonSheet, 48 + 48 * item, 192 + lift, 48,
                           32, 640 + 48 * item, 440, 0, 0, kItemLayer);
    } else if (item == kLeave) {
        slots.CreateSprite(kFirstButtonSprite + 2, kButtonSheet, 0, 160 + lift, 120, 32, 624, 488,
                           0, 0, kItemLayer);
    } else if (item >= kFirstTab && item < kFirstThumbnail) {
        int t = item - kFirstTab;
        int32_t cellX = t == tab_ ? (t == 6 ? 336 : 400) : 0;
        if (highlighted) cellX = kTabHighlightOffset;
        int32_t x = t == 6 ? 56 : TabX(t);
        slots.CreateSprite(kFirstTabSprite + t, kTabSheet, cellX, 32 * t, t == 6 ? 166 : 198, 32, x,
                           TabY(t), 0, 0, kItemLayer);
    } else if (item >= kFirstThumbnail && item < kFirstThumbnail + thumbnailCount_) {
        int i = item - kFirstThumbnail;
        int sprite = kFirstThumbnailSprite + i;
        if (!HasPictures(i)) {
            slots.CreateSprite(sprite, kTabSheet, 0, 224, kThumbnailWidth, kThumbnailHeight,
                               ThumbnailX(i), ThumbnailY(i), 0, 0, kItemLayer);
            return;
        }
        int n = kThumbnailsPerPage * page_ + i;
        slots.CreateSprite(sprite, highlighted ? kHighlightSheet : kThumbnailSheet,
                           (n % 8) * kThumbnailWidth, (n / 8) * kThumbnailHeight, kThumbnailWidth,
                           kThumbnailHeight, ThumbnailX(i), ThumbnailY(i), 0, 0, kItemLayer);
    }
}

bool CgGalleryScreen::Selectable(int item) const {
    return item < kFirstThumbnail || HasPictures(item - kFirstThumbnail);
}

int CgGalleryScreen::ItemAtTap() const {
    const core::InputState& input = services_.input;
    if (StylusIn(input, 640, 440, 40, 32)) return kFirstPageButton;
    if (StylusIn(input, 688, 440, 40, 32)) return kFirstPageButton + 1;
    if (StylusIn(input, 624, 488, 120, 32)) return kLeave;
    for (int t = 0; t < script::kGalleryTabCount; ++t) {
        if (StylusIn(input, TabX(t), TabY(t), 200, 32)) return kFirstTab + t;
    }
    for (int i = 0; i < thumbnailCount_; ++i) {
        if (HasPictures(i) &&
            StylusIn(input, ThumbnailX(i), ThumbnailY(i), kThumbnailWidth, kThumbnailHeight))
            return kFirstThumbnail + i;
    }
    return kNone;
}

void CgGalleryScreen::Select(int item) {
    if (item == selection_) return;
    if (selection_ != kNone) ShowItem(selection_, false);
    selection_ = item;
    if (selection_ != kNone) ShowItem(selection_, true);
}

void CgGalleryScreen::Interact() {
    core::InputState& input = services_.input;
    Select(StepSelection(input, selection_, kFirstThumbnail + thumbnailCount_,
                         [this](int item) { return Selectable(item); }));
    if (input.tap) Select(ItemAtTap());
    if (input.Confirmed()) {
        ClearConfirm(input);
        Confirm();
    }
}

void CgGalleryScreen::Confirm() {
    if (selection_ == kLeave) {
        BeginLeaving(services_);
        services_.flow.subState = 10;
    } else if (selection_ >= kFirstTab && selection_ < kFirstThumbnail) {
        int t = selection_ - kFirstTab;
        if (t == tab_) return;
        tab_ = t;
        page_ = 0;
        BuildPage();
    } else if (selection_ >= kFirstThumbnail && selection_ < kFirstThumbnail + thumbnailCount_) {
        if (!HasPictures(selection_ - kFirstThumbnail)) return;
        viewed_ = selection_ - kFirstThumbnail;
        pictureIndex_ = 0;
        services_.flow.subState = 20;
    } else if (selection_ == kFirstPageButton || selection_ == kFirstPageButton + 1) {
        if (story_.tables.cgTabs[tab_].pageCount < 2) return;
        page_ = 1 - page_;
        BuildPage();
    }
}

void CgGalleryScreen::ShowNextPicture() {
    core::ImageSlots& slots = services_.slots;
    slots.DeleteSprite(kPictureSprite);
    slots.FreeImageSlot(kPicture);
    const std::vector<std::string>& list = pictures_[viewed_];
    if (pictureIndex_ >= static_cast<int>(list.size())) {
        services_.flow.subState = 2;
        return;
    }
    slots.LoadImageSlot(kPicture, kFirstStory,
                        formats::FormatText("GameData\\char\\back\\%s", {list[pictureIndex_]}),
                        gfx::Keying::kUnkeyed);
    slots.CreateSprite(kPictureSprite, kPicture, 0, 0, 800, 600, 0, 0, 0, 0, kPictureLayer);
    ++pictureIndex_;
    services_.flow.subState = 21;
}

}  // namespace screens
