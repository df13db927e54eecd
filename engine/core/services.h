#pragma once
// What the engine offers the subsystems above it (the story, the screens,
// saves and the menu, movies): a few small services handed in at
// construction, so that each subsystem shows what it uses and none needs
// the whole engine. The engine implements every service and outlives every
// subsystem it hands them to.
//
// Thread safety: game thread only.

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "engine/core/data_folders.h"
#include "engine/core/game_flow.h"
#include "engine/core/input_state.h"
#include "engine/core/settings.h"
#include "engine/core/sprite.h"
#include "engine/gfx/image.h"
#include "engine/gfx/rect.h"

namespace formats {
class ArchiveReader;
}
namespace gfx {
class TextLayer;
}
namespace platform {
class GlyphRasterizer;
}
namespace sound {
class MusicController;
class SoundMixer;
}  // namespace sound

namespace core {

// The image slots and sprite slots, in design coordinates (800 x 600).
// Operations on a slot number out of range set the engine's error word,
// which ends the program at the end of the frame; so does a failed load.
class ImageSlots {
public:
    // location: the location index k (entry k + 1 of the data folders).
    // False on failure.
    virtual bool LoadImageSlot(int slot, int location, std::string_view name,
                               gfx::Keying keying) = 0;
    virtual bool LoadMaskSlot(int slot, int location, std::string_view maskName) = 0;
    virtual void FreeImageSlot(int slot) = 0;
    // Slots 0..63; the start-up images stay.
    virtual void FreeAllImages() = 0;
    virtual bool CaptureScreen(int slot) = 0;
    virtual bool CreateBlank(int slot, int32_t width, int32_t height) = 0;
    // The image in the slot, or nullptr.
    virtual gfx::Image* ImageAt(int slot) = 0;

    virtual void CreateSprite(int sprite, int imageSlot, int32_t sourceX, int32_t sourceY,
                              int32_t width, int32_t height, int32_t x, int32_t y, int32_t hotX,
                              int32_t hotY, int32_t layer) = 0;
    virtual void DeleteSprite(int sprite) = 0;
    virtual void DeleteAllSprites() = 0;
    // The sprite in the slot, or nullptr (setters on an empty slot do nothing).
    virtual Sprite* SpriteAt(int sprite) = 0;
    virtual void StartFadeOut(int sprite, uint32_t duration) = 0;

    // The file parts of every loaded image's name, each once.
    virtual const std::vector<std::string>& SeenImages() const = 0;

protected:
    ~ImageSlots() = default;
};

// The screen: what must be redrawn, the brightness, the shake offset, and
// the one text layer the frame draws over the pictures.
class Composition {
public:
    // A design rectangle, scaled to the screen.
    virtual void MarkDirty(int32_t x, int32_t y, int32_t width, int32_t height) = 0;
    void MarkScreenDirty() { MarkDirty(0, 0, 800, 600); }
    // A rectangle already in screen pixels (merged with what it overlaps).
    virtual void MarkScreenRectDirty(const gfx::Rect& screenRect) = 0;

    // The screen brightness (0..256); a change redraws the whole screen.
    virtual void SetBrightness(int32_t value) = 0;
    virtual int32_t Brightness() const = 0;

    // The whole picture moved by (x, y) screen pixels when presented.
    virtual void SetShakeOffset(int32_t x, int32_t y) = 0;
    virtual int32_t ShakeX() const = 0;
    virtual int32_t ShakeY() const = 0;

    // The owner of a text layer hands it down while it is on screen and
    // takes it back before it goes; taking back a layer that is not the
    // current one does nothing.
    virtual void SetTextLayer(gfx::TextLayer* layer) = 0;
    virtual void RemoveTextLayer(const gfx::TextLayer* layer) = 0;

protected:
    ~Composition() = default;
};

// The engine clock and the general timers 1..8.
class Timers {
public:
    // Milliseconds; one value for the whole sprite pass of a frame.
    virtual uint32_t Now() = 0;
    virtual void NoteTimer(int timer) = 0;
    virtual uint32_t TimerElapsed(int timer) = 0;
    virtual void SetFramePeriod(uint32_t milliseconds) = 0;

protected:
    ~Timers() = default;
};

// Sound: the mixer (none without a sound device) and the music controller
// (always there; without a mixer it only keeps the name).
class SoundServices {
public:
    virtual sound::SoundMixer* Mixer() = 0;
    virtual sound::MusicController& Music() = 0;

protected:
    ~SoundServices() = default;
};

// The data set on disk: the archives and the resource location table.
class DataAccess {
public:
    virtual formats::ArchiveReader& Archives() = 0;
    virtual const DataFolderTable& DataFolders() const = 0;
    // The device path of the program folder, ending in '\'.
    virtual const std::string& ProgramFolder() const = 0;

protected:
    ~DataAccess() = default;
};

// Everything a subsystem may use, as references into the engine.
struct EngineServices {
    ImageSlots& slots;
    Composition& composition;
    InputState& input;
    Timers& timers;
    SoundServices& sound;
    DataAccess& data;
    Settings& settings;
    GameFlow& flow;
    // The glyph source for text drawn into images; nullptr without a font.
    platform::GlyphRasterizer* glyphs;
};

}  // namespace core
