#include "engine/screens/screen_support.h"

#include "engine/gfx/rect.h"
#include "engine/sound/music_controller.h"
#include "platform/device_file.h"

namespace screens {

bool StylusIn(const core::InputState& input, int32_t x, int32_t y, int32_t width, int32_t height) {
    const int32_t left = gfx::DesignToScreenX(x);
    const int32_t top = gfx::DesignToScreenY(y);
    const int32_t right = left + gfx::DesignToScreenX(width);
    const int32_t bottom = top + gfx::DesignToScreenY(height);
    return input.stylusX >= left && input.stylusX < right && input.stylusY >= top &&
           input.stylusY < bottom;
}

bool TakePress(int32_t& counter) {
    if (counter != 1) return false;
    counter = 0;
    return true;
}

int StepSelection(core::InputState& input, int selection, int itemCount,
                  const std::function<bool(int)>& selectable) {
    int step = 0;
    if (TakePress(input.up)) {
        step = -1;
    } else if (TakePress(input.down)) {
        step = 1;
    }
    if (step == 0 || itemCount <= 0) return selection;
    const bool none = selection < 0 || selection >= itemCount;
    int item = selection;
    // At most one round: a list with nothing selectable keeps its selection.
    for (int tries = 0; tries < itemCount; ++tries) {
        if (step < 0) {
            item = (none && tries == 0) || item == 0 ? itemCount - 1 : item - 1;
        } else {
            item = none && tries == 0 ? 0 : (item + 1) % itemCount;
        }
        if (!selectable || selectable(item)) return item;
    }
    return selection;
}

void ClearConfirm(core::InputState& input) {
    input.tap = false;
    input.keyC = 0;
    input.right = 0;
}

void PlayScreenMusic(const core::EngineServices& services, std::string_view name,
                     MusicRepeat repeat) {
    const int volume = services.settings.musicVolume * services.settings.masterVolume / 100;
    services.sound.Music().Play(name, services.data.DataFolders()[core::kLocationMusic0], volume, 0,
                                repeat == MusicRepeat::kLoop ? 1 : 0);
}

int32_t RampUp(uint32_t elapsed, uint32_t duration) {
    if (duration == 0 || elapsed >= duration) return 256;
    return static_cast<int32_t>(uint64_t{elapsed} * 256 / duration);
}

void ClearPictures(const core::EngineServices& services) {
    services.slots.DeleteAllSprites();
    services.slots.FreeAllImages();
    services.composition.MarkScreenDirty();
}

void RemovePicture(const core::EngineServices& services, int slot) {
    services.slots.DeleteSprite(slot);
    services.slots.FreeImageSlot(slot);
}

bool FurtherStoriesInstalled(const core::EngineServices& services) {
    return platform::DeviceFile::OpenForReading(
               services.data.DataFolders()[core::kLocationImages1]) != nullptr;
}

}  // namespace screens
