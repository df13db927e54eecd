#include "engine/screens/map_screen.h"

#include <algorithm>
#include <array>

#include "engine/gfx/rect.h"
#include "engine/script/interpreter.h"
#include "engine/script/script_input.h"
#include "engine/sound/music_controller.h"
#include "formats/sjis.h"

namespace screens {

namespace {

constexpr int kBackgroundSlot = 10;
constexpr int kChipImage = 11;
constexpr int kIconImage = 12;
constexpr int kFirstDateSprite = 15;
constexpr int kHighlightSprite = 20;
constexpr int kFirstIconSprite = 21;
constexpr int kLastMapSprite = 25;
// The message window's sheet, which holds the date's frame and digits.
constexpr int kWindowImage = 1;
constexpr int kMapTimer = 1;
constexpr uint32_t kFadeMs = 1000;
constexpr int32_t kSquareSize = 56;
constexpr int kStoryLocation = 0;

struct Point {
    int32_t x, y;
};

struct Cell {
    int32_t sourceX, sourceY, width, height, x, y;
};

// Per variant (0, 1) and place: the icon's top-left, the stylus square's
// top-left, and the highlight from the chip sheet.
constexpr Point kIconPositions[2][kMapPlaceCount] = {
    {{460, 476}, {628, 200}, {484, 364}, {340, 440}, {188, 348}},
    {{88, 244}, {280, 264}, {568, 500}, {708, 276}, {412, 404}},
};
constexpr Point kStylusSquares[2][kMapPlaceCount] = {
    {{460, 476}, {628, 200}, {484, 364}, {340, 440}, {188, 348}},
    {{90, 240}, {280, 264}, {568, 500}, {704, 276}, {412, 404}},
};
constexpr Cell kHighlights[2][kMapPlaceCount] = {
    {{0, 280, 278, 208, 514, 324},
     {280, 280, 256, 192, 418, 50},
     {480, 48, 240, 224, 388, 178},
     {240, 48, 238, 208, 240, 240},
     {0, 48, 238, 232, 44, 164}},
    {{0, 176, 238, 176, 32, 104},
     {0, 0, 238, 176, 192, 104},
     {240, 176, 240, 176, 512, 344},
     {0, 352, 240, 176, 568, 96},
     {240, 0, 240, 176, 368, 224}},
};
constexpr const char* kBackgrounds[2] = {"GameData\\system\\MapBack00.rbp",
                                         "GameData\\system\\MapBack01.rbp"};
constexpr const char* kChipSheets[2] = {"GameData\\system\\MapChip00.rbp",
                                        "GameData\\system\\MapChip01.rbp"};
constexpr int32_t kIconLayers[2] = {52, 62};
constexpr int32_t kHighlightLayer = 56;

// The icon cell of a place: the letter after the last '_' of its scenario
// path names the character met there.
int32_t IconOf(const std::string& path) {
    size_t underscore = formats::SjisFindLast(path, '_');
    if (underscore == formats::kSjisNotFound || underscore + 1 >= path.size()) return 7;
    switch (formats::FoldAsciiUpper(path[underscore + 1])) {
        case 'E':
            return 4;
        case 'K':
            return 2;
        case 'N':
            return 0;
        case 'S':
            return 1;
        default:
            return 7;
    }
}

// The date as the date screen shows it, from the message window's sheet:
// the frame, the weekday, the month and the day. A damaged script's numbers
// are kept small enough for the cell arithmetic.
void ShowDate(core::ImageSlots& slots, const std::array<int32_t, 3>& numbers) {
    const int32_t month = std::clamp(numbers[0], -1000, 1000);
    const int32_t day = std::clamp(numbers[1], -1000, 1000);
    const int32_t weekday = std::clamp(numbers[2], -1000, 1000);
    auto digit = [&slots](int sprite, int32_t value, int32_t x) {
        slots.CreateSprite(sprite, kWindowImage, (value + 27) * 16, 352, 16, 24, x, 28, 0, 0, 60);
    };
    slots.CreateSprite(15, kWindowImage, 432, 296, 192, 32, 24, 24, 0, 0, 62);
    slots.CreateSprite(16, kWindowImage, 432 + 32 * weekday, 328, 32, 24, 160, 28, 0, 0, 60);
    digit(17, month, 56);
    if (day > 9) digit(18, day / 10, 96);
    digit(19, day % 10, 112);
}

}  // namespace

const std::string& MapScreen::PlacePath(int place) const {
    static const std::string kNone;
    const auto& table = story_.tables.mapPlaces;
    if (row_ < 0 || static_cast<size_t>(row_) >= table.size() || place < 0 ||
        place >= kMapPlaceCount)
        return kNone;
    return table[static_cast<size_t>(row_)][static_cast<size_t>(firstColumn_ + place)];
}

void MapScreen::RunState() {
    core::Composition& screen = services_.composition;
    core::Timers& timers = services_.timers;
    switch (services_.flow.subState) {
        case 0:
            Build();
            screen.MarkScreenDirty();
            break;
        case 1: {
            uint32_t elapsed = timers.TimerElapsed(kMapTimer);
            if (elapsed < kFadeMs) {
                screen.SetBrightness(static_cast<int32_t>(elapsed * 256 / kFadeMs));
            } else {
                screen.SetBrightness(256);
                services_.flow.subState = 2;
            }
            screen.MarkScreenDirty();
            break;
        }
        case 2:
            Interact();
            break;
        case 3: {
            uint32_t elapsed = timers.TimerElapsed(kMapTimer);
            if (elapsed < kFadeMs) {
                screen.SetBrightness(256 - static_cast<int32_t>(elapsed * 256 / kFadeMs));
                screen.MarkScreenDirty();
            } else {
                screen.MarkScreenDirty();
                Leave();
            }
            break;
        }
        default:
            break;
    }
}

void MapScreen::Build() {
    core::ImageSlots& slots = services_.slots;
    script::ScriptState& state = story_.state;
    if (script::MessageWindow* window = story_.Window()) window->Show(false);
    for (int slot = script::kCharacterSlot; slot <= script::kBackgroundSlot; ++slot) {
        slots.DeleteSprite(slot);
        slots.FreeImageSlot(slot);
        // The story's next picture of the slot is then drawn even when it
        // is the one shown before the map.
        state.shownPaths[static_cast<size_t>(slot - script::kCharacterSlot)].clear();
    }

    const auto& numbers = state.eyecatchNumbers;
    variant_ = (state.chainStep == 1 && numbers[2] != 0) ? 1 : 0;
    // February's last days come first; every other month counts from row 4.
    const int64_t row = numbers[0] == 2 ? int64_t{numbers[1]} - 25 : int64_t{numbers[1]} + 3;
    row_ = (row >= 0 && row < script::kMapPlaceRows) ? static_cast<int>(row) : -1;
    firstColumn_ = state.chainStep == 1 ? 0 : kMapPlaceCount;

    slots.LoadImageSlot(kBackgroundSlot, kStoryLocation, kBackgrounds[variant_],
                        gfx::Keying::kUnkeyed);
    slots.CreateSprite(kBackgroundSlot, kBackgroundSlot, 0, 0, 800, 600, 0, 0, 0, 0, 64);
    slots.LoadImageSlot(kChipImage, kStoryLocation, kChipSheets[variant_], gfx::Keying::kKeyed);
    slots.LoadImageSlot(kIconImage, kStoryLocation, "GameData\\system\\ChipChar.rbp",
                        gfx::Keying::kKeyed);
    for (int place = 0; place < kMapPlaceCount; ++place) {
        const std::string& path = PlacePath(place);
        if (path.empty()) continue;
        const Point& at = kIconPositions[variant_][place];
        slots.CreateSprite(kFirstIconSprite + place, kIconImage, kSquareSize * IconOf(path), 192,
                           kSquareSize, kSquareSize, at.x, at.y, 0, 0, kIconLayers[variant_]);
    }
    ShowDate(slots, numbers);

    selection_ = -1;
    chosen_.clear();
    services_.sound.Music().Play(
        "10.mp3",
        services_.data.DataFolders()[core::kLocationMusic0 + services_.flow.scriptDialect],
        script::ScaledVolume(services_, services_.settings.musicVolume), 0, 1);
    services_.timers.NoteTimer(kMapTimer);
    services_.composition.SetBrightness(0);
    services_.flow.subState = 1;
}

int MapScreen::StepPlace(int from, int step) const {
    int place = from;
    for (int tries = 0; tries < kMapPlaceCount; ++tries) {
        place = (place + step + kMapPlaceCount) % kMapPlaceCount;
        if (!PlacePath(place).empty()) return place;
    }
    return -1;
}

int MapScreen::PlaceAt(int32_t x, int32_t y) const {
    int found = -1;
    for (int place = 0; place < kMapPlaceCount; ++place) {
        if (PlacePath(place).empty()) continue;
        const Point& square = kStylusSquares[variant_][place];
        const int32_t left = gfx::DesignToScreenX(square.x);
        const int32_t top = gfx::DesignToScreenY(square.y);
        if (x >= left && x < left + gfx::DesignToScreenX(kSquareSize) && y >= top &&
            y < top + gfx::DesignToScreenY(kSquareSize))
            found = place;
    }
    return found;
}

void MapScreen::Interact() {
    core::InputState& input = services_.input;
    int selection = selection_;
    if (input.up == 1) {
        input.up = 0;
        // From the first place or none, the last.
        selection = StepPlace(selection <= 0 ? 0 : selection, -1);
    }
    if (input.down == 1) {
        input.down = 0;
        selection = StepPlace(selection < 0 ? kMapPlaceCount - 1 : selection, 1);
    }
    if (input.tap) selection = PlaceAt(input.stylusX, input.stylusY);
    if (selection != selection_) {
        selection_ = selection;
        ShowHighlight();
    }
    if (selection_ < 0 || !input.Confirmed()) return;
    script::ClearConfirm(services_);
    chosen_ = PlacePath(selection_);
    services_.timers.NoteTimer(kMapTimer);
    services_.flow.subState = 3;
}

void MapScreen::ShowHighlight() {
    services_.slots.DeleteSprite(kHighlightSprite);
    if (selection_ < 0) return;
    const Cell& cell = kHighlights[variant_][selection_];
    services_.slots.CreateSprite(kHighlightSprite, kChipImage, cell.sourceX, cell.sourceY,
                                 cell.width, cell.height, cell.x, cell.y, 0, 0, kHighlightLayer);
}

void MapScreen::Leave() {
    core::ImageSlots& slots = services_.slots;
    services_.sound.Music().Stop();
    services_.composition.SetBrightness(256);
    slots.DeleteSprite(kBackgroundSlot);
    for (int sprite = kFirstDateSprite; sprite <= kLastMapSprite; ++sprite)
        slots.DeleteSprite(sprite);
    for (int image : {kBackgroundSlot, kChipImage, kIconImage}) slots.FreeImageSlot(image);
    services_.flow.GoTo(core::kStateScript);
    story_.LoadScenarioFile(chosen_);
}

}  // namespace screens
