#pragma once
// The device layer: keys and stylus, the image and sprite slots, the screen
// and its composition, the archives, the settings and the data folders.
// Slot operations take design coordinates (800 x 600).

#include <memory>
#include <set>
#include <string>
#include <string_view>
#include <vector>

#include "engine/core/app_window.h"
#include "engine/core/data_folders.h"
#include "engine/core/engine_clock.h"
#include "engine/core/input_state.h"
#include "engine/core/services.h"
#include "engine/core/settings.h"
#include "engine/core/sprite.h"
#include "engine/gfx/dirty_rect_list.h"
#include "engine/gfx/frame_composer.h"
#include "engine/gfx/image.h"
#include "engine/gfx/screen_buffer.h"
#include "engine/gfx/text_layer.h"
#include "engine/sound/music_controller.h"
#include "engine/sound/sound_mixer.h"
#include "formats/archive_reader.h"
#include "platform/backend.h"
#include "platform/device_file.h"
#include "platform/glyph_rasterizer.h"

namespace core {

// Bits of errorWord; any of them ends the program at the end of the frame.
inline constexpr uint32_t kErrorImageLoad = 0x80000000u;
inline constexpr uint32_t kErrorImageSlot = 0x00800000u;
inline constexpr uint32_t kErrorSpriteSlot = 0x08000000u;

class DeviceLayer : public AppWindow,
                    public MenuControl,
                    public gfx::PresentTarget,
                    public ImageSlots,
                    public Composition,
                    public SoundServices,
                    public DataAccess {
public:
    // programFolder: the device path of the program folder, ending in '\'.
    DeviceLayer(platform::Backend& backend, std::unique_ptr<platform::GlyphRasterizer> glyphs,
                const std::string& programFolder);
    ~DeviceLayer() override;

    intptr_t HandleMessage(const platform::Message& message) override;

    // --- image slots
    // location: the location index k (entry k + 1 of the data folders).
    bool LoadImageSlot(int slot, int location, std::string_view name, gfx::Keying keying) override;
    bool LoadMaskSlot(int slot, int location, std::string_view maskName) override;
    void FreeImageSlot(int slot) override;
    void FreeAllImages() override;  // slots 0..63; the start-up images stay
    bool CaptureScreen(int slot) override;
    bool CreateBlank(int slot, int32_t width, int32_t height) override;
    gfx::Image* ImageAt(int slot) override;

    // --- sprite slots
    void CreateSprite(int sprite, int imageSlot, int32_t sourceX, int32_t sourceY, int32_t width,
                      int32_t height, int32_t x, int32_t y, int32_t hotX, int32_t hotY,
                      int32_t layer) override;
    void DeleteSprite(int sprite) override;
    void DeleteAllSprites() override;
    // The sprite in the slot, or nullptr (setters on an empty slot do nothing).
    Sprite* SpriteAt(int sprite) override;
    void StartFadeOut(int sprite, uint32_t duration) override;

    // Scales a design rectangle and adds it to the dirty list.
    void MarkDirty(int32_t x, int32_t y, int32_t width, int32_t height) override;
    void MarkScreenRectDirty(const gfx::Rect& screenRect) override;

    // The seen-image list (file parts of every loaded image's name).
    const std::vector<std::string>& SeenImages() const override { return seenImages_; }

    // SoundServices, DataAccess.
    sound::SoundMixer* Mixer() override { return mixer.get(); }
    sound::MusicController& Music() override { return *music; }
    formats::ArchiveReader& Archives() override { return archives; }
    const DataFolderTable& DataFolders() const override { return dataFolders; }
    const std::string& ProgramFolder() const override { return programFolder; }

    // Hands the settings that the sound devices take to them: the music
    // mode, reading music whole, the device volume and the decoder module.
    void ApplySettings();

    // MenuControl: the installed menu, if any.
    bool IsMenuOpen() const override { return menuOpen; }
    bool OpenMenu() override {
        menuOpen = menu != nullptr && menu->Open();
        return menuOpen;
    }
    bool OpenMenuAt(int rootIndex) {
        menuOpen = menu != nullptr && menu->OpenAt(rootIndex);
        return menuOpen;
    }
    // PresentTarget: the Game API's draw bracket.
    uint8_t* BeginDraw() override;
    void EndDraw() override;

    platform::Backend& backend;
    EngineClock clock;
    platform::GXKeyList keyList{};
    InputState inputState;
    Input input;
    Settings settings;
    DataFolderTable dataFolders;
    std::string programFolder;
    uint32_t errorWord = 0;
    bool menuOpen = false;
    // Installed by the game assembly; none leaves the menu key without effect.
    MenuHandler* menu = nullptr;

    gfx::ImageTable images;
    SpriteTable sprites;
    gfx::ScreenBuffer screen;
    gfx::FrameComposer composer;
    gfx::DirtyRectList dirty;
    formats::ArchiveReader archives{platform::DeviceFileOpener()};
    std::unique_ptr<platform::GlyphRasterizer> glyphs;
    std::unique_ptr<gfx::MessageFont> messageFont;
    // All sound goes through the mixer, which owns the wave device while the
    // engine runs; none without a device (in-process tests may give none).
    std::unique_ptr<sound::SoundMixer> mixer;
    // Always present (it plays nothing without a mixer).
    std::unique_ptr<sound::MusicController> music;

    // Marks an archive whose failure was already told (host path), so that
    // each of its pictures does not say it again.
    void NoteArchiveReported(const std::string& hostPath) { reportedArchives_.insert(hostPath); }

private:
    void RememberSeen(std::string_view name);
    void ReportLoadFailure(std::string_view location, std::string_view name,
                           const std::string& why);
    std::vector<std::string> seenImages_;
    std::set<std::string> reportedArchives_;
};

}  // namespace core
