#pragma once
// The choice plates of dialects 0 and 1: up to four plates cut from the
// message window's picture (image 1), each with its caption rendered into
// image 2, chosen by Up/Down and confirmed by C, Right or a tap (a tap on a
// plate selects and confirms at once). Sprites 64..71 and the highlight 72.

#include <string>
#include <vector>

#include "engine/core/services.h"

namespace script {

class ChoicePlates {
public:
    explicit ChoicePlates(const core::EngineServices& game) : game_(game) {}
    ~ChoicePlates() { Remove(); }
    ChoicePlates(const ChoicePlates&) = delete;
    ChoicePlates& operator=(const ChoicePlates&) = delete;

    // captions: Shift-JIS, at most four. firstRun builds the plates with no
    // selection. Returns the confirmed index (plates removed), or -1.
    int Run(const std::vector<std::string>& captions, bool firstRun);
    // Deletes the plates, the highlight and image 2 if they exist.
    void Remove();
    int Selection() const { return selection_; }

private:
    core::EngineServices game_;
    void ShowHighlight();

    int selection_ = 100;  // none
    int count_ = 0;
    bool built_ = false;  // the plates and image 2 are ours
};

}  // namespace script
