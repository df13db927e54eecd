#include "engine/screens/epilogue_screen.h"

#include "engine/script/interpreter.h"
#include "engine/script/script_input.h"
#include "engine/sound/music_controller.h"
#include "formats/sjis.h"

namespace screens {

namespace {

constexpr int kFirstPictureSlot = 10;
constexpr int kEpilogueTimer = 1;
// The pictures and the music come from the third story's folder and its
// music row.
constexpr int kEpilogueLocation = 2;
constexpr int kMusicEntry = 12;
constexpr int32_t kPictureIntervalMs = 5000;
constexpr uint32_t kFadeInMs = 1000;
constexpr uint32_t kHoldMs = 3000;
constexpr int32_t kFirstPictureLayer = 48;
// The ending the story's flags choose: row 2, columns 1 and 2; column 16
// records the one a watched epilogue showed.
constexpr int kEndingRow = 2;
constexpr int kFirstEndingColumn = 1;
constexpr int kSecondEndingColumn = 2;
constexpr int kShownEndingColumn = 16;

int PictureSlot(int counter) {
    return kFirstPictureSlot + counter % 2;
}

}  // namespace

void EpilogueScreen::RunState() {
    core::ImageSlots& slots = services_.slots;
    core::Timers& timers = services_.timers;
    core::GameFlow& flow = services_.flow;
    if (services_.input.Confirmed()) {
        script::ClearConfirm(services_);
        services_.composition.MarkScreenDirty();
        Finish(Ending::kSkipped);
        return;
    }
    const auto& pictures = story_.tables.epiloguePictures;
    switch (flow.subState) {
        case 0:
            Start();
            break;
        case 1: {
            // A picture the data set leaves out shows nothing in its turn.
            const std::string& path = pictures[static_cast<size_t>(counter_)];
            if (!path.empty())
                slots.LoadImageSlot(PictureSlot(counter_), kEpilogueLocation, path,
                                    gfx::Keying::kUnkeyed);
            flow.subState = 2;
            break;
        }
        case 2: {
            const int32_t t = services_.sound.Music().PacedPositionMs();
            if (t < int64_t{kPictureIntervalMs} * counter_) break;
            if (slots.ImageAt(PictureSlot(counter_)) != nullptr) {
                slots.CreateSprite(PictureSlot(counter_), PictureSlot(counter_), 0, 0, 800, 600, 0,
                                   0, 0, 0, kFirstPictureLayer - counter_);
                if (core::Sprite* picture = slots.SpriteAt(PictureSlot(counter_)))
                    picture->SetAlpha(0);
            }
            timers.NoteTimer(kEpilogueTimer);
            flow.subState = 3;
            break;
        }
        case 3: {
            const uint32_t elapsed = timers.TimerElapsed(kEpilogueTimer);
            core::Sprite* picture = slots.SpriteAt(PictureSlot(counter_));
            if (elapsed < kFadeInMs) {
                if (picture) picture->SetAlpha(static_cast<int32_t>(elapsed * 256 / kFadeInMs));
                break;
            }
            if (picture) picture->SetAlpha(256);
            // The picture before this one is covered now.
            slots.DeleteSprite(PictureSlot(counter_ + 1));
            slots.FreeImageSlot(PictureSlot(counter_ + 1));
            ++counter_;
            timers.NoteTimer(kEpilogueTimer);
            flow.subState = counter_ < script::kEpiloguePictureCount ? 1 : 4;
            break;
        }
        case 4:
            if (timers.TimerElapsed(kEpilogueTimer) >= kHoldMs) flow.subState = 5;
            break;
        case 5:
            Finish(Ending::kWatched);
            break;
        default:
            break;
    }
}

void EpilogueScreen::Start() {
    if (hooks_.refreshMenu) hooks_.refreshMenu();
    if (script::MessageWindow* window = story_.Window()) window->Show(false);
    story_.RemoveMessageWindow();
    counter_ = 0;
    services_.composition.SetBrightness(256);
    ClearScene();
    const int dialect = kEpilogueLocation;
    std::string_view name = story_.tables.music[dialect][kMusicEntry];
    size_t slash = formats::SjisFindLastBackslash(name);
    if (slash != formats::kSjisNotFound) name = name.substr(slash + 1);
    // Played once; the sequence keeps its pace even when it is silent.
    services_.sound.Music().Play(
        name, services_.data.DataFolders()[core::kLocationMusic0 + dialect],
        script::ScaledVolume(services_, services_.settings.musicVolume), 0, 0);
    services_.flow.subState = 1;
}

void EpilogueScreen::ClearScene() {
    services_.sound.Music().Stop();
    services_.slots.DeleteAllSprites();
    services_.slots.FreeAllImages();
    // The story draws its next pictures afresh.
    story_.state.shownPaths = {};
}

void EpilogueScreen::Finish(Ending ending) {
    services_.composition.SetBrightness(256);
    ClearScene();
    story_.BuildMessageWindow();
    services_.flow.GoTo(core::kStateScript);
    // The menu offers saving again once the story runs.
    if (hooks_.refreshMenu) hooks_.refreshMenu();

    script::ScriptVariables& vars = story_.vars;
    const bool first = vars.Flag(kEndingRow, kFirstEndingColumn) != 0;
    const bool second = vars.Flag(kEndingRow, kSecondEndingColumn) != 0;
    // Cleared first, so that the final scenario's end returns to the title
    // instead of coming back here. With both set the second ending wins;
    // only its scenario is loaded, so the first is not marked seen.
    vars.SetFlag(kEndingRow, kFirstEndingColumn, 0);
    vars.SetFlag(kEndingRow, kSecondEndingColumn, 0);
    const bool watched = ending == Ending::kWatched;
    if (second) {
        if (watched) vars.SetFlag(kEndingRow, kShownEndingColumn, 2);
        story_.LoadScenarioFile("GameData\\sinario\\00706_06a.MES");
    } else if (first) {
        if (watched) vars.SetFlag(kEndingRow, kShownEndingColumn, 1);
        story_.LoadScenarioFile("GameData\\sinario\\00706_05a.MES");
    }
    // With neither, the story's script still in memory runs its end again,
    // which now returns to the title.
}

}  // namespace screens
