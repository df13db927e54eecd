#include "engine/screens/ending_pictures_screen.h"

#include <algorithm>
#include <cstdio>

#include "engine/screens/screen_support.h"
#include "engine/script/interpreter.h"
#include "engine/sound/music_controller.h"

namespace screens {

namespace {

constexpr int kTimer = 1;
constexpr int kMainStory = 0;
constexpr int kOpeningImage = 10;
// Pair k uses images (and sprites) 11 and 12 when k is even, 13 and 14 when
// it is odd: the left picture, then the caption picture beside it.
constexpr int kEvenPairImage = 11;
constexpr int kOddPairImage = 13;
constexpr int32_t kLeftWidth = 428;
constexpr int32_t kRightWidth = 372;
constexpr int32_t kFirstPairAtMs = 12000;
constexpr int32_t kPairStepMs = 5000;
constexpr int32_t kFadeInMs = 1000;
constexpr uint32_t kHoldMs = 5000;
constexpr uint32_t kFadeOutMs = 5000;

enum : int32_t {
    kSubStart = 0,
    kSubOpening = 1,
    kSubLoadPair = 2,
    kSubShowPair = 3,
    kSubFadePair = 4,
    kSubFirstClosing = 5,
    kSubLastClosing = 13,
    kSubHold = 14,
    kSubFadeOut = 15,
    kSubFinish = 16,
};

// The three closing pictures: each fades in over the one before it.
struct ClosingPicture {
    const char* name;
    int image;
    int32_t atMs;
    int32_t layer;
};
constexpr ClosingPicture kClosing[] = {
    {"GameData\\char\\staff\\e02.rbp", 10, 147000, 20},
    {"GameData\\char\\staff\\e03.rbp", 11, 152000, 18},
    {"GameData\\char\\staff\\e04.rbp", 10, 157000, 16},
};

int PairImage(int32_t pair) {
    return pair % 2 == 0 ? kEvenPairImage : kOddPairImage;
}

void SetAlpha(const core::EngineServices& services, int sprite, int32_t alpha) {
    if (core::Sprite* shown = services.slots.SpriteAt(sprite)) shown->SetAlpha(alpha);
}

}  // namespace

EndingPicturesScreen::EndingPicturesScreen(const core::EngineServices& services,
                                           script::Interpreter& story, const ScreenHooks& hooks)
    : services_(services), story_(story), hooks_(hooks) {}

void EndingPicturesScreen::RunState() {
    if (services_.input.Confirmed()) {
        ClearConfirm(services_.input);
        services_.composition.MarkScreenDirty();
        Finish();
        return;
    }
    core::GameFlow& flow = services_.flow;
    // The music's position; in silence the engine clock at the same pace.
    const int32_t position = std::max(services_.sound.Music().PacedPositionMs(), 0);
    switch (flow.subState) {
        case kSubStart:
            Start();
            break;
        case kSubOpening:
            SetAlpha(services_, kOpeningImage, RampUp(static_cast<uint32_t>(position), 1000));
            if (position >= 1000) flow.subState = kSubLoadPair;
            break;
        case kSubLoadPair:
            LoadPair();
            break;
        case kSubShowPair:
            if (position >= kFirstPairAtMs + kPairStepMs * pair_) ShowPair();
            break;
        case kSubFadePair:
            FadeInPair(position);
            break;
        case kSubHold:
            if (services_.timers.TimerElapsed(kTimer) >= kHoldMs) {
                services_.timers.NoteTimer(kTimer);
                flow.subState = kSubFadeOut;
            }
            break;
        case kSubFadeOut: {
            const uint32_t elapsed = services_.timers.TimerElapsed(kTimer);
            services_.composition.SetBrightness(RampDown(elapsed, kFadeOutMs));
            if (elapsed >= kFadeOutMs) {
                RemovePicture(services_, kOpeningImage);
                services_.composition.SetBrightness(256);
                flow.subState = kSubFinish;
            }
            break;
        }
        case kSubFinish:
            Finish();
            break;
        default:
            if (flow.subState >= kSubFirstClosing && flow.subState <= kSubLastClosing)
                RunClosingPicture(position);
            break;
    }
}

void EndingPicturesScreen::Start() {
    if (hooks_.refreshMenu) hooks_.refreshMenu();
    if (script::MessageWindow* window = story_.Window()) window->Show(false);
    story_.RemoveMessageWindow();
    services_.composition.SetBrightness(256);
    services_.sound.Music().Stop();
    ClearPictures(services_);
    story_.state.shownPaths = {};
    services_.slots.LoadImageSlot(kOpeningImage, kMainStory, "GameData\\char\\staff\\e01.rbp",
                                  gfx::Keying::kUnkeyed);
    services_.slots.CreateSprite(kOpeningImage, kOpeningImage, 0, 0, 800, 600, 0, 0, 0, 0, 52);
    SetAlpha(services_, kOpeningImage, 0);
    PlayScreenMusic(services_, "27.mp3", MusicRepeat::kOnce);
    pair_ = 0;
    services_.flow.subState = kSubOpening;
}

void EndingPicturesScreen::LoadPair() {
    const int left = PairImage(pair_);
    // The route's row of the table; a route without a row, or a row without
    // this picture, shows the caption picture alone.
    const int32_t route = story_.vars.variables[script::kRouteVariable];
    if (route >= 1 && route <= script::kEndingPictureRoutes) {
        const std::string& name = story_.tables.endingPictures[route - 1][pair_];
        if (!name.empty())
            services_.slots.LoadImageSlot(left, kMainStory, name, gfx::Keying::kUnkeyed);
    }
    char caption[64];
    std::snprintf(caption, sizeof caption, "GameData\\char\\staff\\emoji%02d.rbp", pair_ + 1);
    services_.slots.LoadImageSlot(left + 1, kMainStory, caption, gfx::Keying::kUnkeyed);
    services_.flow.subState = kSubShowPair;
}

void EndingPicturesScreen::ShowPair() {
    const int left = PairImage(pair_);
    const int32_t layer = 51 - pair_;
    core::ImageSlots& slots = services_.slots;
    if (slots.ImageAt(left) != nullptr)
        slots.CreateSprite(left, left, 0, 0, kLeftWidth, 600, 0, 0, 0, 0, layer);
    slots.CreateSprite(left + 1, left + 1, 0, 0, kRightWidth, 600, kLeftWidth, 0, 0, 0, layer);
    SetAlpha(services_, left, 0);
    SetAlpha(services_, left + 1, 0);
    shownAt_ = kFirstPairAtMs + kPairStepMs * pair_;
    services_.flow.subState = kSubFadePair;
}

void EndingPicturesScreen::FadeInPair(int32_t position) {
    const int left = PairImage(pair_);
    const int32_t since = std::max(position - shownAt_, 0);
    const int32_t alpha = RampUp(static_cast<uint32_t>(since), kFadeInMs);
    SetAlpha(services_, left, alpha);
    SetAlpha(services_, left + 1, alpha);
    if (since < kFadeInMs) return;
    RemovePicture(services_, kOpeningImage);
    const int other = PairImage(pair_ + 1);
    RemovePicture(services_, other);
    RemovePicture(services_, other + 1);
    ++pair_;
    services_.flow.subState = pair_ < script::kEndingPicturePairs ? kSubLoadPair : kSubFirstClosing;
}

void EndingPicturesScreen::RunClosingPicture(int32_t position) {
    core::GameFlow& flow = services_.flow;
    const int32_t step = flow.subState - kSubFirstClosing;
    const ClosingPicture& picture = kClosing[step / 3];
    switch (step % 3) {
        case 0:
            services_.slots.LoadImageSlot(picture.image, kMainStory, picture.name,
                                          gfx::Keying::kUnkeyed);
            ++flow.subState;
            break;
        case 1:
            if (position < picture.atMs) break;
            services_.slots.CreateSprite(picture.image, picture.image, 0, 0, 800, 600, 0, 0, 0, 0,
                                         picture.layer);
            SetAlpha(services_, picture.image, 0);
            ++flow.subState;
            break;
        default: {
            const int32_t since = std::max(position - picture.atMs, 0);
            SetAlpha(services_, picture.image, RampUp(static_cast<uint32_t>(since), kFadeInMs));
            if (since < kFadeInMs) break;
            if (step / 3 == 0) {
                // The last pair goes under the first closing picture.
                for (int slot = kEvenPairImage; slot <= kOddPairImage + 1; ++slot)
                    RemovePicture(services_, slot);
            } else {
                RemovePicture(services_, kClosing[step / 3 - 1].image);
            }
            if (flow.subState == kSubLastClosing) {
                services_.timers.NoteTimer(kTimer);
                flow.subState = kSubHold;
            } else {
                ++flow.subState;
            }
            break;
        }
    }
}

void EndingPicturesScreen::Finish() {
    if (hooks_.refreshMenu) hooks_.refreshMenu();
    services_.composition.SetBrightness(256);
    services_.sound.Music().Stop();
    ClearPictures(services_);
    // The reached ending is kept before anything else can end the program.
    story_.WriteSystemFile();
    story_.ReturnToTitle();
}

}  // namespace screens
