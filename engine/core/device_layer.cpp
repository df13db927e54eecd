#include "engine/core/device_layer.h"

#include <cstdio>

#include "formats/sjis.h"
#include "platform/device_path.h"
#include "platform/text_encoding.h"

namespace core {

DeviceLayer::DeviceLayer(platform::Backend& platformBackend,
                         std::unique_ptr<platform::GlyphRasterizer> glyphRasterizer,
                         const std::string& folder)
    : backend(platformBackend),
      clock(*platformBackend.clock),
      input(inputState, settings, *this),
      dataFolders(DefaultDataFolders(folder)),
      programFolder(folder),
      glyphs(std::move(glyphRasterizer)) {
    keyList = platform::GXGetDefaultKeys(platform::kGxLandscapeKeys);
    input.SetKeyList(keyList);
    if (glyphs) messageFont = std::make_unique<gfx::MessageFont>(*glyphs);
    // The mixer's clock is read on the device's callback thread, so it takes
    // the platform's tick directly rather than the freezable one.
    platform::Clock& source = *backend.clock;
    if (backend.audio) {
        mixer = std::make_unique<sound::SoundMixer>(
            *backend.audio, [&source] { return source.TickCount(); },
            [this](uint32_t milliseconds) { clock.Sleep(milliseconds); });
    }
    // The music controller always exists: without a mixer it only keeps the
    // name and the nominal start, as with the music setting off.
    music = std::make_unique<sound::MusicController>([&source] { return source.TickCount(); });
    music->SetMemoryStream(settings.memStream != 0);
    music->SetMode(mixer.get(), settings.pcm);
}

void DeviceLayer::ApplySettings() {
    music->SetMemoryStream(settings.memStream != 0);
    music->SetMode(mixer.get(), settings.pcm);
    if (!mixer) return;
    // Full volume is the device's own; only a real reduction is set.
    if (settings.deviceVolume > 0 && settings.deviceVolume < 65535) {
        mixer->SetDeviceVolume(static_cast<uint32_t>(settings.deviceVolume));
    }
    mixer->SelectDecoder(settings.fastBrindlex > 0 ? 1 : 0);
}

// Destroyed in the order of the device layer's teardown: images, sprites,
// then the rest with the members.
DeviceLayer::~DeviceLayer() {
    for (auto& image : images) image.reset();
    for (auto& sprite : sprites) sprite.reset();
    // The controller only points at the mixer; the mixer stops every channel
    // and closes the device, so no callback outlives it.
    music.reset();
    mixer.reset();
}

intptr_t DeviceLayer::HandleMessage(const platform::Message& message) {
    switch (message.code) {
        case platform::kMsgKeyDown:
            input.OnKey(message.wParam, true);
            return 0;
        case platform::kMsgKeyUp:
            input.OnKey(message.wParam, false);
            return 0;
        case platform::kMsgStylusDown:
            input.OnStylusDown(platform::PointX(message.lParam), platform::PointY(message.lParam));
            return 0;
        case platform::kMsgStylusMove:
            input.OnStylusMove(platform::PointX(message.lParam), platform::PointY(message.lParam));
            return 0;
        case platform::kMsgStylusUp:
            input.OnStylusUp(platform::PointX(message.lParam), platform::PointY(message.lParam));
            return 0;
        default:
            return AppWindow::HandleMessage(message);
    }
}

void DeviceLayer::RememberSeen(std::string_view name) {
    size_t backslash = formats::SjisFindLastBackslash(name);
    std::string_view file = backslash == formats::kSjisNotFound ? name : name.substr(backslash + 1);
    for (const std::string& seen : seenImages_) {
        if (formats::SjisEqualNoCase(seen, file)) return;
    }
    seenImages_.emplace_back(file);
}

bool DeviceLayer::LoadImageSlot(int slot, int location, std::string_view name, gfx::Keying keying) {
    if (slot < 0 || slot >= gfx::kImageSlotCount) {
        errorWord |= kErrorImageSlot;
        return false;
    }
    images[slot] = std::make_unique<gfx::Image>();
    RememberSeen(name);
    int entry = location + 1;
    const std::string& where =
        (entry >= 0 && entry < kLocationCount) ? dataFolders[entry] : dataFolders[kLocationImages0];
    std::string why;
    if (!images[slot]->Load(name, where, keying, archives, &why)) {
        errorWord |= kErrorImageLoad;
        // Not shown to the player, but whoever runs the program should learn
        // why it stopped: once for an archive that fails as a whole, else
        // per picture.
        ReportLoadFailure(where, name, why);
        return false;
    }
    return true;
}

void DeviceLayer::ReportLoadFailure(std::string_view location, std::string_view name,
                                    const std::string& why) {
    const std::string host = platform::DeviceToHostPath(location);
    if (!location.empty() && location.back() == '\\') {
        std::fprintf(stderr, "mirelo: %s%s: %s\n", host.c_str(),
                     platform::SjisForDisplay(name).c_str(), why.c_str());
    } else if (!archives.LastErrorIsArchiveWide()) {
        std::fprintf(stderr, "mirelo: %s: %s: %s\n", host.c_str(),
                     platform::SjisForDisplay(name).c_str(), why.c_str());
    } else if (reportedArchives_.insert(host).second) {
        std::fprintf(stderr, "mirelo: %s: %s\n", host.c_str(), why.c_str());
    }
}

bool DeviceLayer::LoadMaskSlot(int slot, int location, std::string_view maskName) {
    if (slot < 0 || slot >= gfx::kImageSlotCount || !images[slot]) {
        errorWord |= kErrorImageSlot;
        return false;
    }
    int entry = location + 1;
    const std::string& where =
        (entry >= 0 && entry < kLocationCount) ? dataFolders[entry] : dataFolders[kLocationImages0];
    return images[slot]->LoadMask(maskName, where, archives);
}

void DeviceLayer::FreeImageSlot(int slot) {
    if (slot < 0 || slot >= gfx::kImageSlotCount) {
        errorWord |= kErrorImageSlot;
        return;
    }
    images[slot].reset();
}

void DeviceLayer::FreeAllImages() {
    for (int slot = 0; slot < 64; ++slot) images[slot].reset();
}

bool DeviceLayer::CaptureScreen(int slot) {
    if (slot < 0 || slot >= gfx::kImageSlotCount) {
        errorWord |= kErrorImageSlot;
        return false;
    }
    images[slot] = std::make_unique<gfx::Image>();
    return images[slot]->CaptureScreen(screen);
}

bool DeviceLayer::CreateBlank(int slot, int32_t width, int32_t height) {
    if (slot < 0 || slot >= gfx::kImageSlotCount) {
        errorWord |= kErrorImageSlot;
        return false;
    }
    images[slot] = std::make_unique<gfx::Image>();
    return images[slot]->CreateBlank(width, height);
}

gfx::Image* DeviceLayer::ImageAt(int slot) {
    if (slot < 0 || slot >= gfx::kImageSlotCount) return nullptr;
    return images[slot].get();
}

void DeviceLayer::CreateSprite(int sprite, int imageSlot, int32_t sourceX, int32_t sourceY,
                               int32_t width, int32_t height, int32_t x, int32_t y, int32_t hotX,
                               int32_t hotY, int32_t layer) {
    if (sprite < 0 || sprite >= kSpriteSlotCount) {
        errorWord |= kErrorSpriteSlot;
        return;
    }
    if (sprites[sprite]) DeleteSprite(sprite);
    sprites[sprite] = std::make_unique<Sprite>(imageSlot, sourceX, sourceY, width, height, x, y,
                                               hotX, hotY, layer, images);
}

void DeviceLayer::DeleteSprite(int sprite) {
    Sprite* existing = SpriteAt(sprite);
    if (existing == nullptr) return;
    // Its last drawn rectangle, and the one it was about to take, need redrawing.
    for (const gfx::Rect& rect :
         {existing->Object().currentRect, existing->Object().ScreenRect()}) {
        if (!rect.IsEmpty()) dirty.Add(rect, true);
    }
    sprites[sprite].reset();
}

void DeviceLayer::DeleteAllSprites() {
    for (int sprite = 0; sprite < kSpriteSlotCount; ++sprite) DeleteSprite(sprite);
}

Sprite* DeviceLayer::SpriteAt(int sprite) {
    if (sprite < 0 || sprite >= kSpriteSlotCount) {
        errorWord |= kErrorSpriteSlot;
        return nullptr;
    }
    return sprites[sprite].get();
}

void DeviceLayer::StartFadeOut(int sprite, uint32_t duration) {
    if (Sprite* target = SpriteAt(sprite)) target->StartFadeOut(duration, clock.Now());
}

void DeviceLayer::MarkDirty(int32_t x, int32_t y, int32_t width, int32_t height) {
    int32_t left = gfx::DesignToScreenX(x);
    int32_t top = gfx::DesignToScreenY(y);
    dirty.Add(gfx::Rect{left, top, left + gfx::DesignToScreenX(width),
                        top + gfx::DesignToScreenY(height)},
              true);
}

void DeviceLayer::MarkScreenRectDirty(const gfx::Rect& screenRect) {
    dirty.Add(screenRect, true);
}

uint8_t* DeviceLayer::BeginDraw() {
    return static_cast<uint8_t*>(platform::GXBeginDraw());
}

void DeviceLayer::EndDraw() {
    platform::GXEndDraw();
}

}  // namespace core
