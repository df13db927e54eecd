#include "engine/screens/date_screen.h"

#include <algorithm>

#include "engine/screens/screen_support.h"
#include "engine/script/interpreter.h"
#include "engine/sound/music_controller.h"

namespace screens {

namespace {

constexpr int kTimer = 1;
constexpr int kMainStory = 0;
constexpr int kBackgroundImage = 10;
constexpr int kChipImage = 11;
constexpr int kWindowImage = 1;  // the message window's picture holds the date cells
constexpr int kFirstOptionSprite = 12;
constexpr int kOptionCount = 3;
constexpr int32_t kNone = kNoSelection;
constexpr int32_t kOptionX = 560;
constexpr int32_t kOptionY = 392;
constexpr int32_t kOptionStep = 40;
constexpr int32_t kOptionWidth = 216;
constexpr int32_t kOptionHeight = 32;
// The choices are flag rows 12..14, column 0, as the story reads them.
constexpr int kFirstChoiceRow = 12;
constexpr uint32_t kFadeMs = 1000;
// A digit's cell in the message window's picture: digit d at x = 16 d.
constexpr int32_t kDigitY = 352;
constexpr int32_t kDigitWidth = 16;
constexpr int32_t kDigitHeight = 24;

enum : int32_t { kSubBuild = 0, kSubFadeIn = 1, kSubChoice = 2, kSubFadeOut = 3 };

}  // namespace

DateScreen::DateScreen(const core::EngineServices& services, script::Interpreter& story,
                       const ScreenHooks& hooks)
    : services_(services), story_(story), hooks_(hooks) {}

void DateScreen::RunState() {
    core::GameFlow& flow = services_.flow;
    switch (flow.subState) {
        case kSubBuild:
            Build();
            break;
        case kSubFadeIn: {
            const uint32_t elapsed = services_.timers.TimerElapsed(kTimer);
            services_.composition.SetBrightness(RampUp(elapsed, kFadeMs));
            if (elapsed >= kFadeMs) flow.subState = kSubChoice;
            break;
        }
        case kSubChoice:
            RunChoice();
            break;
        case kSubFadeOut: {
            const uint32_t elapsed = services_.timers.TimerElapsed(kTimer);
            if (elapsed < kFadeMs) {
                services_.composition.SetBrightness(RampDown(elapsed, kFadeMs));
                break;
            }
            GoToNextScenario();
            break;
        }
        default:
            break;
    }
}

void DateScreen::Build() {
    core::ImageSlots& slots = services_.slots;
    if (script::MessageWindow* window = story_.Window()) window->Show(false);
    for (int slot :
         {script::kCharacterSlot, script::kSecondCharacterSlot, script::kBackgroundSlot}) {
        RemovePicture(services_, slot);
        // The story must load these again, even the same picture.
        story_.state.shownPaths[slot - script::kCharacterSlot].clear();
    }
    for (int option = 0; option < kOptionCount; ++option)
        story_.vars.SetFlag(kFirstChoiceRow + option, 0, 0);

    slots.LoadImageSlot(kBackgroundImage, kMainStory, "GameData\\system\\TimerBack.rbp",
                        gfx::Keying::kUnkeyed);
    slots.LoadImageSlot(kChipImage, kMainStory, "GameData\\system\\timerchip.rbp",
                        gfx::Keying::kKeyed);
    slots.CreateSprite(kBackgroundImage, kBackgroundImage, 0, 0, -1, -1, 0, 0, 0, 0, 64);
    slots.CreateSprite(11, kChipImage, 0, 64, 472, 216, 328, 304, 0, 0, 62);
    for (int option = 0; option < kOptionCount; ++option) ShowOption(option, false);

    // The date: month, day and weekday as the story's eye-catch numbers hold them.
    // A script sets them; two digits each keep the cell arithmetic small
    // (a cell outside the picture shows nothing).
    const auto& numbers = story_.state.eyecatchNumbers;
    const int32_t month = std::clamp(numbers[0], 0, 99);
    const int32_t day = std::clamp(numbers[1], 0, 99);
    const int32_t weekday = std::clamp(numbers[2], 0, 99);
    slots.CreateSprite(15, kWindowImage, 432, 296, 192, 32, 24, 24, 0, 0, 62);
    slots.CreateSprite(16, kWindowImage, 432 + 32 * weekday, 328, 32, 24, 160, 28, 0, 0, 60);
    slots.CreateSprite(17, kWindowImage, (month + 27) * kDigitWidth, kDigitY, kDigitWidth,
                       kDigitHeight, 56, 28, 0, 0, 60);
    if (day > 9) {
        slots.CreateSprite(18, kWindowImage, (day / 10) * kDigitWidth, kDigitY, kDigitWidth,
                           kDigitHeight, 96, 28, 0, 0, 60);
    }
    slots.CreateSprite(19, kWindowImage, (day % 10) * kDigitWidth, kDigitY, kDigitWidth,
                       kDigitHeight, 112, 28, 0, 0, 60);

    PlayScreenMusic(services_, "12.mp3", MusicRepeat::kLoop);
    selection_ = kNone;
    services_.composition.SetBrightness(0);
    services_.composition.MarkScreenDirty();
    services_.timers.NoteTimer(kTimer);
    services_.flow.subState = kSubFadeIn;
}

// An option's highlighted cell lies right below its normal one.
void DateScreen::ShowOption(int32_t option, bool highlighted) {
    if (option < 0 || option >= kOptionCount) return;
    services_.slots.CreateSprite(kFirstOptionSprite + option, kChipImage, kOptionWidth * option,
                                 highlighted ? kOptionHeight : 0, kOptionWidth, kOptionHeight,
                                 kOptionX, kOptionY + kOptionStep * option, 0, 0, 60);
}

void DateScreen::RunChoice() {
    core::InputState& input = services_.input;
    int32_t chosen = StepSelection(input, selection_, kOptionCount);
    if (input.tap) {
        chosen = kNone;
        for (int option = 0; option < kOptionCount; ++option) {
            if (StylusIn(input, kOptionX, kOptionY + kOptionStep * option, kOptionWidth,
                         kOptionHeight))
                chosen = option;
        }
    }
    if (chosen != selection_) {
        ShowOption(selection_, false);
        ShowOption(chosen, true);
        selection_ = chosen;
    }
    if (!input.Confirmed()) return;
    ClearConfirm(input);
    if (selection_ == kNone) return;
    story_.vars.SetFlag(kFirstChoiceRow + selection_, 0, 1);
    services_.timers.NoteTimer(kTimer);
    services_.flow.subState = kSubFadeOut;
}

void DateScreen::GoToNextScenario() {
    services_.sound.Music().Stop();
    services_.composition.SetBrightness(256);
    for (int sprite = 10; sprite <= 20; ++sprite) services_.slots.DeleteSprite(sprite);
    services_.slots.FreeImageSlot(kBackgroundImage);
    services_.slots.FreeImageSlot(kChipImage);
    services_.composition.MarkScreenDirty();
    services_.flow.GoTo(core::kStateScript);
    script::ScriptState& state = story_.state;
    // The chain's end has no next scenario: an index past it loads nothing,
    // and the story then returns to the title.
    const bool inChain = state.chainIndex >= 0 && state.chainIndex < script::kDateChainLength;
    story_.LoadScenarioFile(inChain ? story_.tables.dateChain[state.chainIndex] : std::string());
    ++state.chainIndex;
}

}  // namespace screens
