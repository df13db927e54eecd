#include "engine/script/choice_plates.h"

#include <algorithm>

#include "engine/script/script_input.h"
#include "platform/glyph_rasterizer.h"

namespace script {

namespace {

constexpr int kPlateImage = 1;    // the message window's picture
constexpr int kCaptionImage = 2;  // the captions, one row each
constexpr int kFirstSprite = 64;  // plate 64 + 2i, caption 65 + 2i
constexpr int kHighlightSprite = 72;
constexpr int kMaxPlates = 4;
constexpr int kNone = 100;
constexpr int32_t kPlateX = 200;
constexpr int32_t kPlateY = 200;
constexpr int32_t kPlateStep = 56;
constexpr int32_t kPlateWidth = 456;
constexpr int32_t kPlateHeight = 40;
constexpr int32_t kCaptionSize = 32;
constexpr uint32_t kCaptionColour = 0xFFFFFF;

// The plate under a landscape screen point, or kNone.
int PlateAt(int count, int32_t x, int32_t y) {
    for (int i = 0; i < count; ++i) {
        const int32_t left = gfx::DesignToScreenX(kPlateX);
        const int32_t top = gfx::DesignToScreenY(kPlateY + kPlateStep * i);
        const int32_t right = left + gfx::DesignToScreenX(kPlateWidth);
        const int32_t bottom = top + gfx::DesignToScreenY(kPlateHeight);
        if (x >= left && x < right && y >= top && y < bottom) return i;
    }
    return kNone;
}

}  // namespace

void ChoicePlates::ShowHighlight() {
    if (selection_ >= 0 && selection_ < count_) {
        game_.slots.CreateSprite(kHighlightSprite, kPlateImage, 96, 256, kPlateWidth, kPlateHeight,
                                 kPlateX, kPlateY + kPlateStep * selection_, 0, 0, 7);
    } else {
        game_.slots.DeleteSprite(kHighlightSprite);
    }
}

int ChoicePlates::Run(const std::vector<std::string>& captions, bool firstRun) {
    if (firstRun) {
        Remove();
        count_ = std::min(static_cast<int>(captions.size()), kMaxPlates);
        game_.slots.CreateBlank(kCaptionImage, 800, 256);
        gfx::Image* canvas = game_.slots.ImageAt(kCaptionImage);
        for (int i = 0; i < count_; ++i) {
            if (canvas != nullptr && game_.glyphs) {
                canvas->DrawText(captions[i], kCaptionSize, 0, kCaptionSize * i, kCaptionColour,
                                 *game_.glyphs);
            }
            game_.slots.CreateSprite(kFirstSprite + 2 * i, kPlateImage, 96, 216, kPlateWidth,
                                     kPlateHeight, kPlateX, kPlateY + kPlateStep * i, 0, 0, 9);
            // The caption row, as wide as the plate leaves room for.
            game_.slots.CreateSprite(kFirstSprite + 2 * i + 1, kCaptionImage, 0, kCaptionSize * i,
                                     kPlateWidth - 32, kCaptionSize, kPlateX + 32,
                                     kPlateY + 4 + kPlateStep * i, 0, 0, 8);
        }
        selection_ = kNone;
        built_ = true;
        return -1;
    }
    if (!built_ || count_ == 0) return -1;

    core::InputState& input = game_.input;
    int chosen = selection_;
    if (input.up == 1) {
        input.up = 0;
        chosen = (chosen == kNone || chosen <= 0) ? count_ - 1 : chosen - 1;
    } else if (input.down == 1) {
        input.down = 0;
        chosen = (chosen == kNone || chosen >= count_ - 1) ? 0 : chosen + 1;
    }
    if (input.tap) chosen = PlateAt(count_, input.stylusX, input.stylusY);
    if (chosen != selection_) {
        selection_ = chosen;
        ShowHighlight();
    }
    if (!ConfirmLatched(game_)) return -1;
    ClearConfirm(game_);
    if (selection_ < 0 || selection_ >= count_) return -1;
    const int confirmed = selection_;
    Remove();
    game_.composition.MarkScreenDirty();
    return confirmed;
}

void ChoicePlates::Remove() {
    if (!built_) return;
    for (int i = 0; i < count_; ++i) {
        game_.slots.DeleteSprite(kFirstSprite + 2 * i);
        game_.slots.DeleteSprite(kFirstSprite + 2 * i + 1);
    }
    game_.slots.DeleteSprite(kHighlightSprite);
    game_.slots.FreeImageSlot(kCaptionImage);
    built_ = false;
    count_ = 0;
    selection_ = kNone;
}

}  // namespace script
