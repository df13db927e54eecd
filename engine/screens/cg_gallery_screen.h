#pragma once
// Game state 70: the event pictures the reader has already seen, under seven
// character tabs with up to nine thumbnails a page. A thumbnail stands for
// up to nine pictures, which the viewer shows one after another; only seen
// pictures are shown, and a thumbnail without any is locked.

#include <array>
#include <string>
#include <vector>

#include "engine/core/game_flow.h"
#include "engine/core/services.h"
#include "engine/screens/screen_hooks.h"
#include "engine/screens/screen_support.h"

namespace script {
class Interpreter;
}

namespace screens {

class CgGalleryScreen : public core::StateHandler {
public:
    // Item codes of the selection.
    static constexpr int kFirstPageButton = 0;  // 0 and 1
    static constexpr int kLeave = 2;
    static constexpr int kFirstTab = 3;
    static constexpr int kFirstThumbnail = 10;
    static constexpr int kNone = kNoSelection;
    static constexpr int kThumbnailsPerPage = 9;
    static constexpr int kPicturesPerThumbnail = 9;

    CgGalleryScreen(const core::EngineServices& services, script::Interpreter& story,
                    const ScreenHooks& hooks)
        : services_(services), story_(story), hooks_(hooks) {}

    void RunState() override;

    int Tab() const { return tab_; }
    int Page() const { return page_; }
    int Selection() const { return selection_; }

private:
    void BuildPage();
    void Interact();
    void Confirm();
    void Select(int item);
    void ShowItem(int item, bool highlighted);
    int ItemAtTap() const;
    bool Selectable(int item) const;
    bool HasPictures(int thumbnail) const { return !pictures_[thumbnail].empty(); }
    void ShowNextPicture();

    core::EngineServices services_;
    script::Interpreter& story_;
    [[maybe_unused]] const ScreenHooks& hooks_;  // nothing to ask of them yet
    int selection_ = kNone;
    int tab_ = 0;
    int page_ = 0;
    // Per thumbnail of the page, its seen pictures in table order.
    std::array<std::vector<std::string>, kThumbnailsPerPage> pictures_;
    int thumbnailCount_ = 0;
    int viewed_ = 0;
    int pictureIndex_ = 0;
};

}  // namespace screens
